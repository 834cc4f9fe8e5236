// The parts of the command-line tool that have no file of their own to show:
// glob matching, JSON text, the progress line; and the runs of convert and
// restore in this process, where a test can change the tree between the
// search for the pages and their conversion.
#include "commandLine.h"
#include "converterTestKit.h"
#include "jsonText.h"
#include "namedRow.h"
#include "pageRun.h"
#include "pageSearch.h"
#include "progressLine.h"
#include "systemFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <utility>

namespace sorvane::cli {
namespace {

using sorvane::testkit::NamedRow;
using sorvane::testkit::RowName;

struct GlobRow : NamedRow {
    std::string_view glob, text;
    bool matches;
};

class Globs : public ::testing::TestWithParam<GlobRow> {};

TEST_P(Globs, MatchTheWholeText)
{
    EXPECT_EQ(MatchesGlob(GetParam().glob, GetParam().text), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    CliParts, Globs,
    ::testing::Values(GlobRow{"Literal", "old", "old", true}, GlobRow{"LiteralIsWhole", "old", "older", false},
                      GlobRow{"StarRun", "*.bak.htm", "a.b.bak.htm", true}, GlobRow{"StarEmpty", "a*b", "ab", true},
                      GlobRow{"StarStopsAtSlash", "old/*.htm", "old/sub/a.htm", false},
                      GlobRow{"DoubleStarCrossesSlash", "old/**.htm", "old/sub/a.htm", true},
                      GlobRow{"DoubleStarFolders", "**/draft/*", "x/y/draft/a.htm", true},
                      GlobRow{"QuestionOneByte", "a?c", "abc", true}, GlobRow{"QuestionNotSlash", "a?c", "a/c", false},
                      GlobRow{"SetRange", "page[0-9].htm", "page7.htm", true},
                      GlobRow{"SetNegated", "page[!0-9].htm", "page7.htm", false},
                      GlobRow{"SetBracketFirst", "[]x]", "]", true},
                      GlobRow{"UnclosedSetIsLiteral", "a[b", "a[b", true}, GlobRow{"Escape", "a\\*", "a*", true},
                      GlobRow{"EscapeIsLiteral", "a\\*", "ab", false},
                      GlobRow{"ManyStarsNoMatch", "*a*a*a*a*a*b",
                              "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false}),
    RowName<GlobRow>);

struct JsonRow : NamedRow {
    std::string_view bytes, json;
};

class JsonStrings : public ::testing::TestWithParam<JsonRow> {};

TEST_P(JsonStrings, AreValidForAnyBytes)
{
    EXPECT_EQ(JsonString(GetParam().bytes), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(CliParts, JsonStrings,
                         ::testing::Values(JsonRow{"Plain", "/site/a.htm", R"("/site/a.htm")"},
                                           JsonRow{"QuoteAndBackslash", "a\"b\\c", R"("a\"b\\c")"},
                                           JsonRow{"ControlBytes", std::string_view("\n\r\t\x01\x1f\x7f", 6),
                                                   "\"\\n\\r\\t\\u0001\\u001f\x7f\""},
                                           JsonRow{"Nul", std::string_view("a\0b", 3), R"("a\u0000b")"},
                                           JsonRow{"Utf8Kept", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
                                                   "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
                                           JsonRow{"Latin1Byte", "caf\xE9.htm", R"("caf\udce9.htm")"},
                                           JsonRow{"CutSequence", "\xE2\x82", R"("\udce2\udc82")"},
                                           JsonRow{"StrayContinuation", "\x80", R"("\udc80")"},
                                           JsonRow{"Overlong", "\xC0\xAF", R"("\udcc0\udcaf")"},
                                           JsonRow{"EncodedSurrogate", "\xED\xA0\x80", R"("\udced\udca0\udc80")"},
                                           JsonRow{"AboveUnicode", "\xF4\x90\x80\x80", R"("\udcf4\udc90\udc80\udc80")"},
                                           JsonRow{"BadThenGood",
                                                   "\xFF"
                                                   "a",
                                                   R"("\udcffa")"}),
                         RowName<JsonRow>);

TEST(JsonObjects, HoldStringsNumbersAndNulls)
{
    EXPECT_EQ(JsonObjectLine({{"path", "a\"b"}, {"blocks", "3", true}, {"error", std::nullopt}}),
              "{\"path\":\"a\\\"b\",\"blocks\":3,\"error\":null}\n");
}

// A clock the test moves by hand.
struct FakeClock {
    double now = 100;
    ProgressLine::Clock Function()
    {
        return [this] { return now; };
    }
};

TEST(ProgressLines, ShowOnlyOnLongRunsAndAreErasedAtTheEnd)
{
    std::ostringstream err;
    FakeClock clock;
    {
        ProgressLine progress(err, true, 4, 4 * 1024 * 1024, LineErase::EscapeSequence, clock.Function());
        clock.now += 0.5;
        progress.PageDone(2, 1024 * 1024);
        EXPECT_EQ(err.str(), "") << "a short run shows nothing";
        clock.now += 0.5;
        progress.PageDone(1, 1024 * 1024);
        const std::string drawn = "\r\x1b[K"
                                  "2/4 pages, 3 blocks, 2.0 MiB/s, 0:01 left";
        EXPECT_EQ(err.str(), drawn);
        clock.now += 0.1;
        progress.PageDone(0, 1024 * 1024);
        EXPECT_EQ(err.str(), drawn) << "redrawn too soon";
    }
    EXPECT_TRUE(err.str().ends_with("left\r\x1b[K")) << "the line stays on the screen";
}

TEST(ProgressLines, AreErasedWithSpacesWhereEscapeSequencesMayNotWork)
{
    std::ostringstream err;
    FakeClock clock;
    {
        ProgressLine progress(err, true, 2, 2, LineErase::Spaces, clock.Function());
        clock.now += 2;
        progress.PageDone(1, 1);
    }
    const std::string text = "1/2 pages, 1 block, 0.0 MiB/s, 0:02 left";
    EXPECT_EQ(err.str(), "\r" + text + "\r" + std::string(text.size(), ' ') + "\r");
}

TEST(ProgressLines, NeverShowWhenNotWanted)
{
    std::ostringstream err;
    FakeClock clock;
    {
        ProgressLine progress(err, false, 2, 10, LineErase::EscapeSequence, clock.Function());
        clock.now += 60;
        progress.PageDone(1, 5);
    }
    EXPECT_EQ(err.str(), "");
}

TEST(ProgressLines, TellTimeLeftInHoursWhenLong)
{
    EXPECT_EQ(ProgressLine::Text(1, 1000, 1, 0.5, 3 * 3600 + 62), "1/1000 pages, 1 block, 0.5 MiB/s, 3:01:02 left");
    EXPECT_EQ(ProgressLine::Text(0, 5, 0, 0, std::nan("")), "0/5 pages, 0 blocks, 0.0 MiB/s, ?:?? left");
}

// A restore has no blocks to count: its line tells pages only.
TEST(ProgressLines, OfRunsWithoutBlocksCountPagesOnly)
{
    std::ostringstream err;
    FakeClock clock;
    ProgressLine progress(err, true, 4, 4 * 1024 * 1024, LineErase::EscapeSequence, clock.Function());
    clock.now += 1;
    progress.PageDone(std::nullopt, 1024 * 1024);
    EXPECT_EQ(err.str(), "\r\x1b[K1/4 pages, 1.0 MiB/s, 0:03 left");
}

// A page swapped for a link or another file after the search judged it is
// never written: the run reads the file under the page's name, finds another
// file than the one the search saw, and leaves it (and where it leads) alone.
struct SwapRow : NamedRow {
    std::vector<std::string> command;  // run on the folder "s" after a convert -r of it
    bool byLink;                       // the page becomes a link to o/file; otherwise o/file takes its name
};

class SwappedPages : public ::testing::TestWithParam<SwapRow> {
protected:
    void TearDown() override { SetPagesFoundHook(nullptr); }

    int Run(std::vector<std::string> arguments, std::string& err)
    {
        std::ostringstream out, errors;
        const int status = RunCommandLine(arguments, {out, errors});
        err = errors.str();
        return status;
    }

    testkit::TempFolder folder;
};

TEST_P(SwappedPages, AreLeftAloneWithAnError)
{
    namespace fs = std::filesystem;
    const std::string page = folder / "s/a.htm", other = folder / "o/file";
    fs::create_directories(folder.path() / "s");
    fs::create_directories(folder.path() / "o");
    testkit::WriteFile(page, "<html><head></head><body><object>1</object></body></html>\n");
    std::string err;
    if (GetParam().command.front() == "restore") {
        ASSERT_EQ(Run({"convert", "-r", folder / "s"}, err), 0) << err;
    }
    // The other file is what the run would accept in the page's place: a
    // copy of the page as it is now.
    testkit::WriteFile(other, testkit::ReadFile(page));
    SetPagesFoundHook([&] {
        if (GetParam().byLink) {
            fs::remove(page);
            fs::create_symlink(other, page);
        } else {
            fs::rename(other, page);
            testkit::WriteFile(other, testkit::ReadFile(page));
        }
    });
    const std::string otherBefore = testkit::ReadFile(other), pageBefore = testkit::ReadFile(page);
    std::vector<std::string> arguments = GetParam().command;
    arguments.push_back(folder / "s");

    EXPECT_EQ(Run(arguments, err), 1);

    EXPECT_NE(err.find(page + " is no longer the file the folder search found"), std::string::npos) << err;
    EXPECT_EQ(testkit::ReadFile(other), otherBefore);
    EXPECT_EQ(testkit::ReadFile(page), pageBefore);
    EXPECT_EQ(fs::is_symlink(page), GetParam().byLink);
}

const SwapRow swapRows[] = {
#ifndef _WIN32
    {"ConvertByLink", {"convert", "-r"}, true},
    {"RestoreByLink", {"restore", "-r"}, true},
    {"RestoreForcedByLink", {"restore", "-r", "--force"}, true},
#endif
    {"ConvertByOtherFile", {"convert", "-r"}, false},
    {"RestoreByOtherFile", {"restore", "-r"}, false},
};
INSTANTIATE_TEST_SUITE_P(CliParts, SwappedPages, ::testing::ValuesIn(swapRows), RowName<SwapRow>);

#ifndef _WIN32
// A folder on the way to a page swapped for a link to a folder out of the
// tree, just before a file of the page takes its name (its backup, its script
// file, the page itself, the copy kept by restore --force): the run writes
// in the page's own folder only, leaves the other folder as it was, and
// says that the page's path leads elsewhere now.
struct SwappedFolderRow : NamedRow {
    std::vector<std::string> command;  // run on the folder "s"
    bool converted;                    // the command runs on a converted tree
    bool edited;                       // and the page was edited since
};

class SwappedFolders : public ::testing::TestWithParam<SwappedFolderRow> {
protected:
    void TearDown() override { detail::SetBeforeNamingHook(nullptr); }

    // Every file under the folder, with its bytes.
    static std::map<std::string, std::string> Files(const std::filesystem::path& root)
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            files[entry.path().string()] = entry.is_regular_file() ? testkit::ReadFile(entry.path()) : "(folder)";
        return files;
    }

    testkit::TempFolder folder;
};

TEST_P(SwappedFolders, NeverLeadAWriteOutOfTheTree)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::canonical(folder.path());
    const std::string page = (root / "s/sub/a.htm").string();
    fs::create_directories(root / "s/sub");
    fs::create_directories(root / "o");
    testkit::WriteFile(page, "<html><head></head><body><object>1</object></body></html>\n");
    std::ostringstream out, err;
    if (GetParam().converted) {
        const std::vector<std::string> convert{"convert", "-r", (root / "s").string()};
        ASSERT_EQ(RunCommandLine(convert, {out, err}), 0) << err.str();
    }
    if (GetParam().edited)
        testkit::WriteFile(page, testkit::ReadFile(page) + "edited\n");
    // The other folder holds files of the names the run writes.
    testkit::WriteFile(root / "o/a.htm", testkit::ReadFile(page));
    const std::map<std::string, std::string> otherBefore = Files(root / "o");
    // A name made there and removed again would change the folder's time.
    const fs::file_time_type otherTime = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(root / "o", otherTime);
    bool swapped = false;
    detail::SetBeforeNamingHook([&] {
        if (std::exchange(swapped, true))
            return;
        fs::rename(root / "s/sub", root / "s/moved");
        fs::create_directory_symlink(root / "o", root / "s/sub");
    });
    std::vector<std::string> arguments = GetParam().command;
    arguments.push_back((root / "s").string());

    EXPECT_EQ(RunCommandLine(arguments, {out, err}), 1);

    EXPECT_TRUE(swapped);
    EXPECT_EQ(Files(root / "o"), otherBefore);
    EXPECT_EQ(fs::last_write_time(root / "o"), otherTime);
    EXPECT_NE(err.str().find(page), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("a folder on its way was replaced"), std::string::npos) << err.str();
}

const SwappedFolderRow swappedFolderRows[] = {
    {"ConvertBeforeTheBackup", {"convert", "-r"}, false, false},
    {"ConvertBeforeTheScript", {"convert", "-r", "--no-backup"}, false, false},
    {"RestoreBeforeThePage", {"restore", "-r"}, true, false},
    {"RestoreForcedBeforeTheKeptCopy", {"restore", "-r", "--force"}, true, true},
};
INSTANTIATE_TEST_SUITE_P(CliParts, SwappedFolders, ::testing::ValuesIn(swappedFolderRows), RowName<SwappedFolderRow>);
#endif

}  // namespace
}  // namespace sorvane::cli
