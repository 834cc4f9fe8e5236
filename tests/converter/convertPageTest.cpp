#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testkit::CrLfLines;
using testkit::ReadFile;
using testkit::WriteFile;

const std::string Header = "\r\n// Created by Sorvane. Website: http://www.sorvane.example/\r\n";

std::string FunctionLine(int n, std::string_view flat)
{
    return "\r\nfunction displaySWF_" + std::to_string(n) + "() { document.write('" + std::string(flat) + "'); }\r\n";
}

std::string Include(std::string_view reference)
{
    return "\r\n<script language=\"JavaScript\" src=\"" + std::string(reference) + "\"></script>\r\n";
}

const std::string OneBlockPage = "<html><head></head><body><object>m</object></body></html>";

#ifndef _WIN32
// Keeps a file or folder from being changed while the object lives: by the
// immutable flag where the test may set it (as root), else, for a folder, by
// taking away its write bits. Works() is false where neither is possible.
class Unchangeable {
public:
    explicit Unchangeable(fs::path path) : path_(std::move(path))
    {
        if (::geteuid() == 0) {
            works_ = SetImmutable(true);
        } else if (fs::is_directory(path_)) {
            fs::permissions(path_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
            works_ = true;
        }
    }
    ~Unchangeable()
    {
        if (::geteuid() == 0)
            SetImmutable(false);
        else
            fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
    }
    bool Works() const { return works_; }

private:
    bool SetImmutable(bool on) const
    {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                          && (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                              ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (fd >= 0)
            ::close(fd);
        return done;
    }

    fs::path path_;
    bool works_ = false;
};
#endif

class ConvertPageTest : public ::testing::Test {
protected:
    // Runs call, which must raise a FileError of the given kind naming path.
    template <class Call>
    void ExpectFileError(Call call, FileError::Kind kind, const std::string& path)
    {
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const FileError& error) {
            EXPECT_EQ(error.kind(), kind);
            EXPECT_EQ(error.path(), path);
            EXPECT_STREQ(
                error.what(),
                ((kind == FileError::Kind::Open ? "Cannot open file " : "Cannot create file ") + path).c_str());
        }
    }

    ConversionRun run;
    testkit::TempFolder folder;
    const std::string page = folder / "index.htm";
    const std::string script = folder / "index.js";
};

TEST_F(ConvertPageTest, WorkedExampleByteForByte)
{
    WriteFile(page, CrLfLines({"<html>", "<head>", "</head>", "<body>", "<object id=\"m\">",
                               "<param name=\"movie\" value=\"m.swf\">", "</object>", "</body>", "</html>"}));

    const ConvertReport report = ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});

    EXPECT_EQ(ReadFile(page),
              CrLfLines({"<html>", "<head>", "", "<script language=\"JavaScript\" src=\"index.js\"></script>",
                         "</head>", "<body>", "<script language=\"JavaScript\"> displaySWF_1(); </script>",
                         "<noscript>", "<object id=\"m\">", "<param name=\"movie\" value=\"m.swf\">", "</object>",
                         "</noscript>", "</body>", "</html>"}));
    EXPECT_EQ(ReadFile(script),
              CrLfLines({"", "// Created by Sorvane. Website: http://www.sorvane.example/", "",
                         "function displaySWF_1() { document.write('<object id=\"m\"><param name=\"movie\" "
                         "value=\"m.swf\"></object>'); }",
                         "", "// Created by Sorvane. Website: http://www.sorvane.example/"}));
    EXPECT_EQ(report.blocksConverted, 1);
    EXPECT_EQ(report.scriptPath, script);
    EXPECT_EQ(report.backupPath, "");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "index.js"}));
}

TEST_F(ConvertPageTest, PageWithoutObjectGetsTheIncludeAndTheScriptTwoHeaders)
{
    WriteFile(page, "<p>plain</p>");
    EXPECT_EQ(ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false}).blocksConverted, 0);
    EXPECT_EQ(ReadFile(page), Include("index.js") + "<p>plain</p>");
    EXPECT_EQ(ReadFile(script), Header + Header);
}

TEST_F(ConvertPageTest, ScriptInOtherFolderIsReferencedRelatively)
{
    fs::create_directories(folder.path() / "pages");
    fs::create_directories(folder.path() / "js");
    WriteFile(folder / "pages/index.htm", "<head></head>");
    ConvertPage(run, {.pagePath = folder / "pages/index.htm", .scriptPath = folder / "js/index.js", .backup = false});
    EXPECT_EQ(ReadFile(folder / "pages/index.htm"),
              "<head>" + Include(testkit::InNativeStyle("../js/index.js")) + "</head>");
}

// The page file gets the include where InsertScriptInclude puts it in the
// rewritten page, also where the tag it follows touches a block, when no
// block comes before that place.
struct IncludePlaceRow : testkit::NamedRow {
    std::string page;
};

class IncludePlace : public ConvertPageTest, public ::testing::WithParamInterface<IncludePlaceRow> {};

TEST_P(IncludePlace, IsWhereTheRewrittenPageWantsIt)
{
    WriteFile(page, GetParam().page);
    ConversionRun rewrite;
    const std::string expected = InsertScriptInclude(RewriteBlocks(rewrite, GetParam().page), "index.js");
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});
    EXPECT_EQ(ReadFile(page), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Include, IncludePlace,
    ::testing::Values(IncludePlaceRow{{"HtmlRightBeforeABlock"}, "<html><object>a</object></html>"},
                      IncludePlaceRow{{"HeadBeforeAdjacentBlocks"}, "<head><object>1</object><object>2</object>"},
                      IncludePlaceRow{{"BlockAtTheStartWithoutTags"}, "<object>a</object><p>"},
                      IncludePlaceRow{{"InsideNoscript"},
                                      "<noscript><object><head></object></noscript><object>b</object>"},
                      IncludePlaceRow{{"EmptyPage"}, ""},
                      IncludePlaceRow{{"PageLargerThanTheWriteBuffer"},
                                      [] {
                                          std::string page = "<html><head></head><body>";
                                          for (int i = 0; i < 60000; ++i)
                                              page += "<p>" + std::to_string(i) + "</p><object>\r\n  x</object>";
                                          return page + std::string(1 << 21, 'z');
                                      }()}),
    testkit::RowName<IncludePlaceRow>);

std::string Call(int n, std::string_view block)
{
    return "<script language=\"JavaScript\"> displaySWF_" + std::to_string(n) + "(); </script>\r\n<noscript>\r\n"
           + std::string(block) + "\r\n</noscript>";
}

// A block that starts before the include's place would call its function
// before the script is loaded: the include goes before the first converted
// block then, unless a base element comes earlier still.
struct IncludeFirstRow : testkit::NamedRow {
    std::string page, expected;
};

class IncludeFirst : public ConvertPageTest, public ::testing::WithParamInterface<IncludeFirstRow> {};

TEST_P(IncludeFirst, GoesBeforeTheFirstBlockOrBaseThatPrecedesItsPlace)
{
    WriteFile(page, GetParam().page);
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});
    EXPECT_EQ(ReadFile(page), GetParam().expected);
}

const std::string Block = "<object>m</object>";

INSTANTIATE_TEST_SUITE_P(
    Include, IncludeFirst,
    ::testing::Values(
        IncludeFirstRow{{"BlockInTheHead"},
                        "<head>" + Block + "</head>",
                        "<head>" + Include("index.js") + Call(1, Block) + "</head>"},
        IncludeFirstRow{{"HeadInsideABlock"},
                        "<object><head></object><body>",
                        Include("index.js") + Call(1, "<object><head></object>") + "<body>"},
        IncludeFirstRow{{"CloseHeadInsideABlock"},
                        "<head><object></head></object></head>",
                        "<head>" + Include("index.js") + Call(1, "<object></head></object>") + "</head>"},
        IncludeFirstRow{{"BodyAfterABlock"}, Block + "<BODY>", Include("index.js") + Call(1, Block) + "<BODY>"},
        IncludeFirstRow{{"HtmlAtTheVeryEnd"}, Block + "<html>", Include("index.js") + Call(1, Block) + "<html>"},
        IncludeFirstRow{{"BlockInNoscriptCountsNot"},
                        "<noscript>" + Block + "</noscript></head>",
                        "<noscript>" + Block + "</noscript>" + Include("index.js") + "</head>"},
        IncludeFirstRow{{"BaseBeforeTheBlockWins"},
                        "<base href=\"/\">" + Block + "</head>",
                        Include("index.js") + "<base href=\"/\">" + Call(1, Block) + "</head>"},
        IncludeFirstRow{{"BlockBeforeTheBaseWins"},
                        Block + "<base href=\"/\"></head>",
                        Include("index.js") + Call(1, Block) + "<base href=\"/\"></head>"},
        IncludeFirstRow{{"BlockRightAfterAByteOrderMark"},
                        "\xEF\xBB\xBF" + Block,
                        "\xEF\xBB\xBF" + Include("index.js") + Call(1, Block)}),
    testkit::RowName<IncludeFirstRow>);

// The include's address is a URL: a name that holds bytes with a meaning
// there would make the browser ask for another file or end the attribute.
struct ReferenceRow : testkit::NamedRow {
    std::string pageName, expectedSrc;
};

class ScriptReference : public ConvertPageTest, public ::testing::WithParamInterface<ReferenceRow> {};

TEST_P(ScriptReference, IsSafeAsAUrlInTheAttribute)
{
#ifdef _WIN32
    if (GetParam().pageName.find_first_of("?\"<>\t\\") != std::string::npos)
        GTEST_SKIP() << "no file name on Windows, where \\ is a separator";
#endif
    const std::string namedPage = folder / (GetParam().pageName + ".htm");
    WriteFile(namedPage, "<head></head>");
    ConvertPage(run, {.pagePath = namedPage, .scriptPath = folder / (GetParam().pageName + ".js"), .backup = false});
    EXPECT_EQ(ReadFile(namedPage), "<head>" + Include(GetParam().expectedSrc) + "</head>");
}

INSTANTIATE_TEST_SUITE_P(Include, ScriptReference,
                         ::testing::Values(ReferenceRow{{"Plain"}, "My page", "My page.js"},
                                           ReferenceRow{{"Fragment"}, "a#b", "a%23b.js"},
                                           ReferenceRow{{"Query"}, "a?b", "a%3Fb.js"},
                                           ReferenceRow{{"Percent"}, "100%", "100%25.js"},
                                           ReferenceRow{{"PercentEscapeLookalike"}, "a%41", "a%2541.js"},
                                           ReferenceRow{{"DoubleQuote"}, "a\"b", "a%22b.js"},
                                           ReferenceRow{{"AngleBrackets"}, "<a>", "%3Ca%3E.js"},
                                           ReferenceRow{{"Ampersand"}, "R&D", "R&amp;D.js"},
                                           ReferenceRow{{"ControlBytes"}, "a\tb\x7F", "a%09b%7F.js"},
                                           ReferenceRow{{"BackslashIsNoSeparatorHere"}, "a\\b", "a%5Cb.js"},
                                           ReferenceRow{{"OtherBytesStay"}, "it's \xC3\xA9", "it's \xC3\xA9.js"}),
                         testkit::RowName<ReferenceRow>);

// A UTF-16 page would get ASCII bytes before its byte-order mark, and a file
// with NUL bytes is no page at all: both are refused, and nothing is written.
struct NotTextRow : testkit::NamedRow {
    std::string content, reason;
};

class NotEightBitText : public ConvertPageTest, public ::testing::WithParamInterface<NotTextRow> {};

TEST_P(NotEightBitText, IsRefusedBeforeAnyWrite)
{
    WriteFile(page, GetParam().content);
    try {
        ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true});
        ADD_FAILURE() << "no error raised";
    } catch (const ConvertError& error) {
        EXPECT_EQ(error.what(), page + " is not a web page in an 8-bit encoding: " + GetParam().reason);
    }
    EXPECT_EQ(ReadFile(page), GetParam().content);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"index.htm"});
    EXPECT_EQ(run.blockCounter, 0);
}

const std::string Utf16Bom = "it starts with a UTF-16 byte-order mark";

INSTANTIATE_TEST_SUITE_P(
    Refusal, NotEightBitText,
    ::testing::Values(NotTextRow{{"Utf16LittleEndian"}, std::string("\xFF\xFE<\0o\0>\0", 8), Utf16Bom},
                      NotTextRow{{"Utf16BigEndianWithoutNul"}, "\xFE\xFF\x4E\x2D", Utf16Bom},
                      NotTextRow{{"PictureWithAPageName"},
                                 std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR<object></object>", 32),
                                 "it holds NUL bytes"},
                      NotTextRow{{"NulLateInAPage"}, OneBlockPage + std::string(1, '\0'), "it holds NUL bytes"}),
    testkit::RowName<NotTextRow>);

TEST_F(ConvertPageTest, SecondPageOfARunNumbersOnAndGetsTheFirstPagesFunctions)
{
    WriteFile(folder / "a.htm", "<object>1</object><object>2</object>");
    WriteFile(folder / "b.htm", "<object>3</object>");
    ConvertPage(run, {.pagePath = folder / "a.htm", .scriptPath = folder / "a.js", .backup = false});
    EXPECT_EQ(ConvertPage(run, {.pagePath = folder / "b.htm", .scriptPath = folder / "b.js", .backup = false})
                  .blocksConverted,
              1);

    EXPECT_EQ(ReadFile(folder / "b.js"), Header + FunctionLine(1, "<object>1</object>")
                                             + FunctionLine(2, "<object>2</object>")
                                             + FunctionLine(3, "<object>3</object>") + Header);
    EXPECT_EQ(ReadFile(folder / "b.htm"), Include("b.js")
                                              + R"(<script language="JavaScript"> displaySWF_3(); )"
                                                "</script>\r\n<noscript>\r\n<object>3</object>\r\n</noscript>");
}

TEST_F(ConvertPageTest, SamePageTwiceInOneRunRepeatsItsFunctionsAndInclude)
{
    WriteFile(page, OneBlockPage);
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});
    const std::string once = ReadFile(page);
    EXPECT_EQ(ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false}).blocksConverted, 0);

    const std::string functions = FunctionLine(1, "<object>m</object>");
    EXPECT_EQ(ReadFile(script), Header + functions + Header + Header + functions + Header);
    EXPECT_EQ(ReadFile(page), InsertScriptInclude(once, "index.js"));
}

TEST_F(ConvertPageTest, ConvertedPageInALaterRunGainsOnlyHeadersAndAnInclude)
{
    WriteFile(page, OneBlockPage);
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});
    const std::string convertedPage = ReadFile(page);
    const std::string firstScript = ReadFile(script);

    ConversionRun laterRun;
    EXPECT_EQ(ConvertPage(laterRun, {.pagePath = page, .scriptPath = script, .backup = false}).blocksConverted, 0);
    EXPECT_EQ(ReadFile(script), firstScript + Header + Header);
    EXPECT_EQ(ReadFile(page), InsertScriptInclude(convertedPage, "index.js"));
}

// Line ends follow the files: what is added to a page whose line ends are LF
// alone ends with LF, and so does a new script file made for it; any CR (or
// no line end at all) keeps CR LF; an existing script keeps its own.
struct LineEndRow : testkit::NamedRow {
    std::string pageLineEnd, pageTail;
    std::optional<std::string> existingScript;
    std::string added, scriptLineEnd;  // the line ends expected in the page's and the script's new lines
};

class LineEnds : public ConvertPageTest, public ::testing::WithParamInterface<LineEndRow> {};

TEST_P(LineEnds, FollowThePageAndTheExistingScript)
{
    const LineEndRow& row = GetParam();
    const std::string& own = row.pageLineEnd;
    const std::string& added = row.added;
    WriteFile(page, "<head></head>" + own + "<object>m</object>" + own + row.pageTail);
    if (row.existingScript)
        WriteFile(script, *row.existingScript);

    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});

    EXPECT_EQ(ReadFile(page), "<head>" + added + "<script language=\"JavaScript\" src=\"index.js\"></script>" + added
                                  + "</head>" + own + "<script language=\"JavaScript\"> displaySWF_1(); </script>"
                                  + added + "<noscript>" + added + "<object>m</object>" + added + "</noscript>" + own
                                  + row.pageTail);
    const std::string& end = row.scriptLineEnd;
    const std::string header = end + "// Created by Sorvane. Website: http://www.sorvane.example/" + end;
    EXPECT_EQ(ReadFile(script), row.existingScript.value_or("") + header + end
                                    + "function displaySWF_1() { document.write('<object>m</object>'); }" + end
                                    + header);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LineEnds,
    ::testing::Values(LineEndRow{"LfPage", "\n", "", std::nullopt, "\n", "\n"},
                      LineEndRow{"CrLfPage", "\r\n", "", std::nullopt, "\r\n", "\r\n"},
                      LineEndRow{"LfPageWithOneCr", "\n", "x\ry", std::nullopt, "\r\n", "\r\n"},
                      LineEndRow{"PageWithoutLineEnds", "", "", std::nullopt, "\r\n", "\r\n"},
                      LineEndRow{"LfPageCrLfScript", "\n", "", "// mine\r\nvar a;\n", "\n", "\r\n"},
                      LineEndRow{"CrLfPageLfScript", "\r\n", "", "// mine\nvar a;\r\n", "\r\n", "\n"},
                      LineEndRow{"LfPageScriptWithoutLineEnd", "\n", "", "// mine", "\n", "\n"},
                      LineEndRow{"CrLfPageScriptWithoutLineEnd", "\r\n", "", "", "\r\n", "\r\n"}),
    testkit::RowName<LineEndRow>);

// A later run must not define a name of the existing script file again: the
// browser would keep the later definition and an earlier page would show
// another page's movie.
TEST_F(ConvertPageTest, LaterRunNumbersOnPastTheExistingScriptFunctions)
{
    const std::string earlier = Header + FunctionLine(1, "<object>old</object>") + FunctionLine(7, "x") + Header;
    WriteFile(script, earlier);
    WriteFile(page, "<object>new</object>");

    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});

    EXPECT_EQ(run.blockCounter, 8);
    EXPECT_EQ(ReadFile(script), earlier + Header + FunctionLine(8, "<object>new</object>") + Header);
    EXPECT_NE(ReadFile(page).find("displaySWF_8();"), std::string::npos);
}

// Scripts edited by hand, or saved with other line ends, still name their
// functions: a new block never takes one of those names.
struct ExistingScriptRow : testkit::NamedRow {
    std::string script;
    int highest;
    std::string lineEnd = "\r\n";  // of its first line, which what is added keeps
};

class ExistingScriptNames : public ConvertPageTest, public ::testing::WithParamInterface<ExistingScriptRow> {};

TEST_P(ExistingScriptNames, AreNeverGivenToNewBlocks)
{
    WriteFile(script, GetParam().script);
    WriteFile(page, "<object>new</object>");
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});
    const int next = GetParam().highest + 1;
    EXPECT_NE(ReadFile(page).find("displaySWF_" + std::to_string(next) + "();"), std::string::npos);
    const auto withLineEnd = [](std::string text) {
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += GetParam().lineEnd.size())
            text.replace(at, 2, GetParam().lineEnd);
        return text;
    };
    EXPECT_EQ(ReadFile(script),
              GetParam().script + withLineEnd(Header + FunctionLine(next, "<object>new</object>") + Header));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ExistingScriptNames,
    ::testing::Values(
        ExistingScriptRow{{"CrOnlyLineEnds"},
                          "\r// x\rfunction displaySWF_1() { document.write('a'); }\r"
                          "function displaySWF_2() { document.write('b'); }\r",
                          2,
                          "\r"},
        ExistingScriptRow{{"IndentedHead"}, "  function displaySWF_3() {\n    document.write('a');\n  }\n", 3, "\n"},
        ExistingScriptRow{{"BlankBeforeTheParenthesis"}, "function displaySWF_4 () { document.write('a'); }\r\n", 4},
        ExistingScriptRow{{"AssignedToAVariable"}, "var displaySWF_5 = function() { document.write('a'); };", 5},
        ExistingScriptRow{{"NamedOnlyInACall"}, "function show() { displaySWF_6(); }", 6}),
    testkit::RowName<ExistingScriptRow>);

TEST_F(ConvertPageTest, BufferedFunctionsClashingWithTheExistingScriptAreLeftOut)
{
    WriteFile(folder / "a.htm", "<object>1</object><object>2</object>");
    ConvertPage(run, {.pagePath = folder / "a.htm", .scriptPath = folder / "a.js", .backup = false});
    const std::string otherRun = Header + FunctionLine(1, "<object>other</object>") + Header;
    WriteFile(folder / "b.js", otherRun);
    WriteFile(folder / "b.htm", "<object>3</object>");

    ConvertPage(run, {.pagePath = folder / "b.htm", .scriptPath = folder / "b.js", .backup = false});

    EXPECT_EQ(ReadFile(folder / "b.js"), otherRun + Header + FunctionLine(2, "<object>2</object>")
                                             + FunctionLine(3, "<object>3</object>") + Header);
}

TEST_F(ConvertPageTest, HugeNumbersInTheExistingScriptCannotClashAndAreIgnored)
{
    WriteFile(script, "function displaySWF_99999999999() {}\r\nfunction displaySWF_() {}\r\n");
    WriteFile(page, "<object>a</object>");
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false});
    EXPECT_EQ(run.blockCounter, 1);
}

TEST_F(ConvertPageTest, BackupHoldsTheOldPageUnderTheFirstFreeName)
{
    WriteFile(page, OneBlockPage);
    WriteFile(folder / "index_backup.htm", "first");
    WriteFile(folder / "index_backup1.htm", "second");
    fs::permissions(page, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const ConvertReport report = ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true});

    EXPECT_EQ(report.backupPath, folder / "index_backup2.htm");
    EXPECT_EQ(ReadFile(report.backupPath), OneBlockPage);
    EXPECT_EQ(fs::status(report.backupPath).permissions(), fs::status(page).permissions());
    EXPECT_EQ(ReadFile(folder / "index_backup.htm"), "first");
    EXPECT_EQ(ReadFile(folder / "index_backup1.htm"), "second");
}

TEST_F(ConvertPageTest, BackupPassesOverTheNameOfTheScriptFile)
{
    WriteFile(page, OneBlockPage);
    const ConvertReport report = ConvertPage(
        run, {.pagePath = page, .scriptPath = folder / "index_backup.htm", .backup = true});
    EXPECT_EQ(report.backupPath, folder / "index_backup1.htm");
    EXPECT_EQ(ReadFile(report.backupPath), OneBlockPage);
    EXPECT_EQ(ReadFile(folder / "index_backup.htm").substr(0, Header.size()), Header);
}

#ifndef _WIN32  // links and inodes
// The script path is a link to the name the backup would get: writing the
// script through it would replace the backup just made.
TEST_F(ConvertPageTest, ScriptLinkedToTheBackupNameNeverTakesTheBackupsPlace)
{
    WriteFile(page, OneBlockPage);
    fs::create_symlink("index_backup.htm", script);

    const ConvertReport report = ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true});

    EXPECT_EQ(report.backupPath, folder / "index_backup1.htm");
    EXPECT_EQ(ReadFile(report.backupPath), OneBlockPage);
    EXPECT_EQ(ReadFile(folder / "index_backup.htm"), Header + FunctionLine(1, "<object>m</object>") + Header);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(script)));
}

// A backup made by a hard link is the old page file itself; when the page
// cannot be converted after all, the backup must not stay one file with it.
TEST_F(ConvertPageTest, BackupIsTheOldFileAndStaysApartWhenThePageIsNotReplaced)
{
    WriteFile(page, OneBlockPage);
    struct stat before {};
    ::stat(page.c_str(), &before);
    const ConvertReport report = ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true});
    struct stat backup {};
    ::stat(report.backupPath.c_str(), &backup);
    EXPECT_EQ(backup.st_ino, before.st_ino) << "the old file became the backup";
    EXPECT_EQ(ReadFile(report.backupPath), OneBlockPage);

    ConversionRun laterRun;
    WriteFile(folder / "b.htm", OneBlockPage);
    WriteFile(folder / "b.js", std::string(20 * 1024, ' '));
    {
        testkit::FileSizeLimit diskFull(16 * 1024);  // no room for the script
        EXPECT_THROW(
            ConvertPage(laterRun, {.pagePath = folder / "b.htm", .scriptPath = folder / "b.js", .backup = true}),
            FileError);
    }
    ::stat((folder / "b.htm").c_str(), &before);
    ::stat((folder / "b_backup.htm").c_str(), &backup);
    EXPECT_NE(backup.st_ino, before.st_ino);
    EXPECT_EQ(before.st_nlink, 1u);
    EXPECT_EQ(ReadFile(folder / "b_backup.htm"), OneBlockPage);
}
#endif

#ifndef _WIN32  // a full disk is made with a file size limit, which Windows lacks
TEST_F(ConvertPageTest, FailedBackupStopsBeforeScriptAndPage)
{
    const std::string bigPage = OneBlockPage + std::string(64 * 1024, ' ');
    WriteFile(page, bigPage);
    fs::create_hard_link(page, folder / "other-name.htm");  // so the backup is a copy, which can fail
    {
        testkit::FileSizeLimit diskFull(16 * 1024);
        ExpectFileError([&] { ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true}); },
                        FileError::Kind::Create, folder / "index_backup.htm");
    }
    EXPECT_EQ(ReadFile(page), bigPage);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "other-name.htm"}));
}
#endif

#ifndef _WIN32  // Windows has no links for a user; fileIOWindowsTest.cpp checks names differing in case
TEST_F(ConvertPageTest, PageAndScriptBeingOneFileIsRefusedBeforeAnyWrite)
{
    WriteFile(folder / "index.js", OneBlockPage);
    fs::create_symlink(folder / "index.js", folder / "link.js");

    for (const std::string& scriptPath : {folder / "index.js", folder / "link.js"}) {
        EXPECT_THROW(ConvertPage(run, {.pagePath = folder / "index.js", .scriptPath = scriptPath, .backup = true}),
                     ConvertError)
            << scriptPath;
        EXPECT_EQ(ReadFile(folder / "index.js"), OneBlockPage);
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.js", "link.js"}));
        EXPECT_EQ(run.blockCounter, 0);
    }
}
#endif

TEST_F(ConvertPageTest, MissingPageWritesNothingAndKeepsTheState)
{
    ExpectFileError([&] { ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true}); },
                    FileError::Kind::Open, page);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(run.blockCounter, 0);
    EXPECT_EQ(run.scriptBuffer, "");
}

TEST_F(ConvertPageTest, UnreadableScriptStopsBeforeAnyWrite)
{
    WriteFile(page, OneBlockPage);
    fs::create_directory(script);  // exists, but holds no text to read
    ExpectFileError([&] { ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true}); },
                    FileError::Kind::Open, script);
    EXPECT_EQ(ReadFile(page), OneBlockPage);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "index.js"}));
    EXPECT_EQ(run.blockCounter, 0);
}

// Without the lock of the script's folder (here: there is no such folder)
// nothing is written, not even the backup.
TEST_F(ConvertPageTest, ScriptFolderThatCannotBeLockedLeavesEverythingAsItWas)
{
    WriteFile(page, OneBlockPage);
    const std::string lostScript = folder / "missing/index.js";
    ExpectFileError([&] { ConvertPage(run, {.pagePath = page, .scriptPath = lostScript, .backup = true}); },
                    FileError::Kind::Create, lostScript);
    EXPECT_EQ(ReadFile(page), OneBlockPage);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"index.htm"});
}

#ifndef _WIN32  // a full disk is made with a file size limit, which Windows lacks
TEST_F(ConvertPageTest, UncreatablePageLeavesItWholeAfterTheScriptIsWritten)
{
    const std::string bigPage = "<p>" + std::string(64 * 1024, 'x') + "</p>";
    WriteFile(page, bigPage);
    {
        testkit::FileSizeLimit diskFull(16 * 1024);  // room for the script, not for the page
        ExpectFileError([&] { ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false}); },
                        FileError::Kind::Create, page);
    }
    EXPECT_EQ(ReadFile(page), bigPage);
    EXPECT_EQ(ReadFile(script), Header + Header);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "index.js"}));
}

// A batch writes its new pages out when it puts them in place: a page that
// does not fit is left whole after its script, as above, and the pages
// after it are converted.
TEST_F(ConvertPageTest, UnwritablePageOfABatchLeavesItWholeAndTheNextConverts)
{
    const std::string big = folder / "big.htm";
    const std::string bigPage = "<html><head></head><body><object>b</object>" + std::string(64 * 1024, 'x') + "</body>";
    WriteFile(big, bigPage);
    WriteFile(page, OneBlockPage);
    std::vector<PageOutcome> outcomes;
    {
        testkit::FileSizeLimit diskFull(16 * 1024);  // room for the scripts and the small page
        PageBatch batch(run, {.content = ScriptContent::ThisPage},
                        [&](const PageOutcome& outcome) { outcomes.push_back(outcome); });
        batch.Convert({.pagePath = big, .scriptPath = folder / "big.js", .backup = false});
        batch.Convert({.pagePath = page, .scriptPath = script, .backup = false});
        batch.Finish();
    }
    ASSERT_EQ(outcomes.size(), 2u);
    ASSERT_TRUE(outcomes[0].error);
    ExpectFileError([&] { std::rethrow_exception(outcomes[0].error); }, FileError::Kind::Create, big);
    EXPECT_EQ(ReadFile(big), bigPage);
    EXPECT_NE(ReadFile(folder / "big.js").find("displaySWF_1()"), std::string::npos);
    EXPECT_FALSE(outcomes[1].error);
    EXPECT_NE(ReadFile(page).find("displaySWF_2()"), std::string::npos);
    EXPECT_NE(ReadFile(script).find("displaySWF_2()"), std::string::npos);
}
#endif

#ifndef _WIN32  // file flags, folder bits and file times of POSIX systems
// A page that cannot be replaced is found before anything is written, so
// retries do not pile up functions that no page calls.
struct UnreplaceableRow : testkit::NamedRow {
    bool immutablePage;  // else the page's folder is read-only, the script's not
};

class UnreplaceablePage : public ConvertPageTest, public ::testing::WithParamInterface<UnreplaceableRow> {};

TEST_P(UnreplaceablePage, StopsBeforeTheBackupAndTheScript)
{
    fs::create_directory(folder.path() / "pages");
    fs::create_directory(folder.path() / "js");
    const std::string lockedPage = folder / "pages/index.htm";
    WriteFile(lockedPage, OneBlockPage);
    const Unchangeable lock(GetParam().immutablePage ? fs::path(lockedPage) : folder.path() / "pages");
    if (!lock.Works())
        GTEST_SKIP() << "cannot make " << lockedPage << " unchangeable here (needs root)";

    for (int attempt = 0; attempt < 2; ++attempt)
        ExpectFileError(
            [&] { ConvertPage(run, {.pagePath = lockedPage, .scriptPath = folder / "js/index.js", .backup = true}); },
            FileError::Kind::Create, lockedPage);

    EXPECT_EQ(ReadFile(lockedPage), OneBlockPage);
    EXPECT_TRUE(fs::is_empty(folder.path() / "js"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path() / "pages"), {}), 1) << "no backup";
    EXPECT_EQ(run.blockCounter, 0);
    EXPECT_EQ(run.scriptBuffer, "");
}

INSTANTIATE_TEST_SUITE_P(Pages, UnreplaceablePage,
                         ::testing::Values(UnreplaceableRow{{"ReadOnlyPageFolder"}, false},
                                           UnreplaceableRow{{"ImmutablePage"}, true}),
                         testkit::RowName<UnreplaceableRow>);

// What another program saves while a page is converted is kept: the page is
// compared with the file that was read just before anything is replaced.
struct ChangedPageRow : testkit::NamedRow {
    std::function<void(const std::string& page)> change;
};

class PageChangedMeanwhile : public ConvertPageTest, public ::testing::WithParamInterface<ChangedPageRow> {};

TEST_P(PageChangedMeanwhile, IsLeftAsItIsAndReported)
{
    WriteFile(page, OneBlockPage);
    std::vector<PageOutcome> outcomes;
    PageBatch batch(run, {}, [&](const PageOutcome& outcome) { outcomes.push_back(outcome); });
    batch.Convert({.pagePath = page, .scriptPath = script, .backup = false});
    GetParam().change(page);
    const std::string saved = ReadFile(page);

    batch.Finish();

    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_TRUE(outcomes[0].error);
    try {
        std::rethrow_exception(outcomes[0].error);
    } catch (const ConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "The page changed during the conversion and was left as it is: " + page);
    }
    EXPECT_EQ(ReadFile(page), saved);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"index.htm"});
}

void SetModified(const std::string& path, timespec when)
{
    const timespec times[] = {when, when};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

timespec ModifiedOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mtim;
}

INSTANTIATE_TEST_SUITE_P(Saves, PageChangedMeanwhile,
                         ::testing::Values(ChangedPageRow{{"RewrittenInPlace"},
                                                          [](const std::string& page) {
                                                              WriteFile(page, "<p>edited</p>");
                                                          }},
                                           ChangedPageRow{{"SameSizeWrittenLater"},
                                                          [](const std::string& page) {
                                                              timespec when = ModifiedOf(page);
                                                              std::string edited = OneBlockPage;
                                                              edited[1] = 'H';
                                                              WriteFile(page, edited);
                                                              when.tv_sec += 1;
                                                              SetModified(page, when);
                                                          }},
                                           ChangedPageRow{{"ReplacedByAFileOfTheSameSizeAndTime"},
                                                          [](const std::string& page) {
                                                              std::string edited = OneBlockPage;
                                                              edited[1] = 'H';
                                                              WriteFile(page + ".new", edited);
                                                              SetModified(page + ".new", ModifiedOf(page));
                                                              fs::rename(page + ".new", page);
                                                          }}),
                         testkit::RowName<ChangedPageRow>);
#endif

}  // namespace
}  // namespace sorvane
