#include "converterTestKit.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testing::CrLfLines;
using testing::ReadFile;
using testing::WriteFile;

const std::string Header = "\r\n// Created by Sorvane. Website: http://www.sorvane.example/\r\n";

std::string FunctionLine(int n, std::string_view flat)
{
    return "\r\nfunction displaySWF_" + std::to_string(n) + "() { document.write('" + std::string(flat)
           + "'); }\r\n";
}

std::string Include(std::string_view reference)
{
    return "\r\n<script language=\"JavaScript\" src=\"" + std::string(reference) + "\"></script>\r\n";
}

const std::string OneBlockPage = "<html><head></head><body><object>m</object></body></html>";

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
        if (::geteuid() == 0) SetImmutable(false);
        else fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
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
        if (fd >= 0) ::close(fd);
        return done;
    }

    fs::path path_;
    bool works_ = false;
};

class ConvertPageTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ResetConverterState(); }

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
            EXPECT_STREQ(error.what(),
                         ((kind == FileError::Kind::Open ? "Cannot open file " : "Cannot create file ") + path).c_str());
        }
    }

    testing::TempFolder folder;
    const std::string page = folder / "index.htm";
    const std::string script = folder / "index.js";
};

TEST_F(ConvertPageTest, WorkedExampleByteForByte)
{
    WriteFile(page, CrLfLines({"<html>", "<head>", "</head>", "<body>", "<object id=\"m\">",
                               "<param name=\"movie\" value=\"m.swf\">", "</object>", "</body>", "</html>"}));

    const ConvertReport report = ConvertPage(page, script, false);

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
    EXPECT_EQ(ConvertPage(page, script, false).blocksConverted, 0);
    EXPECT_EQ(ReadFile(page), Include("index.js") + "<p>plain</p>");
    EXPECT_EQ(ReadFile(script), Header + Header);
}

TEST_F(ConvertPageTest, ScriptInOtherFolderIsReferencedRelatively)
{
    fs::create_directories(folder.path() / "pages");
    fs::create_directories(folder.path() / "js");
    WriteFile(folder / "pages/index.htm", "<head></head>");
    ConvertPage(folder / "pages/index.htm", folder / "js/index.js", false);
    EXPECT_EQ(ReadFile(folder / "pages/index.htm"), "<head>" + Include("../js/index.js") + "</head>");
}

// The page file gets the include where InsertScriptInclude puts it in the
// rewritten page, also where the tag it follows touches a block or stands
// inside one.
struct IncludePlaceRow : testing::NamedRow {
    std::string page;
};

class IncludePlace : public ConvertPageTest, public ::testing::WithParamInterface<IncludePlaceRow> {};

TEST_P(IncludePlace, IsWhereTheRewrittenPageWantsIt)
{
    WriteFile(page, GetParam().page);
    const std::string expected = InsertScriptInclude(RewriteBlocks(GetParam().page), "index.js");
    testing::ResetConverterState();
    ConvertPage(page, script, false);
    EXPECT_EQ(ReadFile(page), expected);
}

INSTANTIATE_TEST_SUITE_P(Include, IncludePlace, ::testing::Values(
    IncludePlaceRow{{"HtmlRightBeforeABlock"}, "<html><object>a</object></html>"},
    IncludePlaceRow{{"HeadBeforeAdjacentBlocks"}, "<head><object>1</object><object>2</object>"},
    IncludePlaceRow{{"BlockAtTheStartWithoutTags"}, "<object>a</object><p>"},
    IncludePlaceRow{{"HeadInsideABlock"}, "<object><head></object><body>"},
    IncludePlaceRow{{"CloseHeadInsideABlockWins"}, "<head><object></head></object></head>"},
    IncludePlaceRow{{"BodyAfterABlock"}, "<object>a</object><BODY>"},
    IncludePlaceRow{{"HtmlAtTheVeryEnd"}, "<object>a</object><html>"},
    IncludePlaceRow{{"InsideNoscript"}, "<noscript><object><head></object></noscript><object>b</object>"},
    IncludePlaceRow{{"EmptyPage"}, ""},
    IncludePlaceRow{{"PageLargerThanTheWriteBuffer"}, [] {
        std::string page = "<html><head></head><body>";
        for (int i = 0; i < 60000; ++i) page += "<p>" + std::to_string(i) + "</p><object>\r\n  x</object>";
        return page + std::string(1 << 21, 'z');
    }()}),
    testing::RowName<IncludePlaceRow>);

TEST_F(ConvertPageTest, SecondPageOfARunNumbersOnAndGetsTheFirstPagesFunctions)
{
    WriteFile(folder / "a.htm", "<object>1</object><object>2</object>");
    WriteFile(folder / "b.htm", "<object>3</object>");
    ConvertPage(folder / "a.htm", folder / "a.js", false);
    EXPECT_EQ(ConvertPage(folder / "b.htm", folder / "b.js", false).blocksConverted, 1);

    EXPECT_EQ(ReadFile(folder / "b.js"), Header + FunctionLine(1, "<object>1</object>")
                                             + FunctionLine(2, "<object>2</object>")
                                             + FunctionLine(3, "<object>3</object>") + Header);
    EXPECT_EQ(ReadFile(folder / "b.htm"), Include("b.js") + R"(<script language="JavaScript"> displaySWF_3(); )"
                                              "</script>\r\n<noscript>\r\n<object>3</object>\r\n</noscript>");
}

TEST_F(ConvertPageTest, SamePageTwiceInOneRunRepeatsItsFunctionsAndInclude)
{
    WriteFile(page, OneBlockPage);
    ConvertPage(page, script, false);
    const std::string once = ReadFile(page);
    EXPECT_EQ(ConvertPage(page, script, false).blocksConverted, 0);

    const std::string functions = FunctionLine(1, "<object>m</object>");
    EXPECT_EQ(ReadFile(script), Header + functions + Header + Header + functions + Header);
    EXPECT_EQ(ReadFile(page), InsertScriptInclude(once, "index.js"));
}

TEST_F(ConvertPageTest, ConvertedPageInALaterRunGainsOnlyHeadersAndAnInclude)
{
    WriteFile(page, OneBlockPage);
    ConvertPage(page, script, false);
    const std::string convertedPage = ReadFile(page);
    const std::string firstScript = ReadFile(script);

    testing::ResetConverterState();  // a new program run
    EXPECT_EQ(ConvertPage(page, script, false).blocksConverted, 0);
    EXPECT_EQ(ReadFile(script), firstScript + Header + Header);
    EXPECT_EQ(ReadFile(page), InsertScriptInclude(convertedPage, "index.js"));
}

// A later run must not define a name of the existing script file again: the
// browser would keep the later definition and an earlier page would show
// another page's movie.
TEST_F(ConvertPageTest, LaterRunNumbersOnPastTheExistingScriptFunctions)
{
    const std::string earlier = Header + FunctionLine(1, "<object>old</object>") + FunctionLine(7, "x") + Header;
    WriteFile(script, earlier);
    WriteFile(page, "<object>new</object>");

    ConvertPage(page, script, false);

    EXPECT_EQ(BlockCounter, 8);
    EXPECT_EQ(ReadFile(script), earlier + Header + FunctionLine(8, "<object>new</object>") + Header);
    EXPECT_NE(ReadFile(page).find("displaySWF_8();"), std::string::npos);
}

// Scripts edited by hand, or saved with other line ends, still name their
// functions: a new block never takes one of those names.
struct ExistingScriptRow : testing::NamedRow {
    std::string script;
    int highest;
};

class ExistingScriptNames : public ConvertPageTest, public ::testing::WithParamInterface<ExistingScriptRow> {};

TEST_P(ExistingScriptNames, AreNeverGivenToNewBlocks)
{
    WriteFile(script, GetParam().script);
    WriteFile(page, "<object>new</object>");
    ConvertPage(page, script, false);
    const int next = GetParam().highest + 1;
    EXPECT_NE(ReadFile(page).find("displaySWF_" + std::to_string(next) + "();"), std::string::npos);
    EXPECT_EQ(ReadFile(script), GetParam().script + Header + FunctionLine(next, "<object>new</object>") + Header);
}

INSTANTIATE_TEST_SUITE_P(Numbers, ExistingScriptNames, ::testing::Values(
    ExistingScriptRow{{"CrOnlyLineEnds"}, "\r// x\rfunction displaySWF_1() { document.write('a'); }\r"
                                          "function displaySWF_2() { document.write('b'); }\r", 2},
    ExistingScriptRow{{"IndentedHead"}, "  function displaySWF_3() {\n    document.write('a');\n  }\n", 3},
    ExistingScriptRow{{"BlankBeforeTheParenthesis"}, "function displaySWF_4 () { document.write('a'); }\r\n", 4},
    ExistingScriptRow{{"AssignedToAVariable"}, "var displaySWF_5 = function() { document.write('a'); };", 5},
    ExistingScriptRow{{"NamedOnlyInACall"}, "function show() { displaySWF_6(); }", 6}),
    testing::RowName<ExistingScriptRow>);

TEST_F(ConvertPageTest, BufferedFunctionsClashingWithTheExistingScriptAreLeftOut)
{
    WriteFile(folder / "a.htm", "<object>1</object><object>2</object>");
    ConvertPage(folder / "a.htm", folder / "a.js", false);
    const std::string otherRun = Header + FunctionLine(1, "<object>other</object>") + Header;
    WriteFile(folder / "b.js", otherRun);
    WriteFile(folder / "b.htm", "<object>3</object>");

    ConvertPage(folder / "b.htm", folder / "b.js", false);

    EXPECT_EQ(ReadFile(folder / "b.js"), otherRun + Header + FunctionLine(2, "<object>2</object>")
                                             + FunctionLine(3, "<object>3</object>") + Header);
}

TEST_F(ConvertPageTest, HugeNumbersInTheExistingScriptCannotClashAndAreIgnored)
{
    WriteFile(script, "function displaySWF_99999999999() {}\r\nfunction displaySWF_() {}\r\n");
    WriteFile(page, "<object>a</object>");
    ConvertPage(page, script, false);
    EXPECT_EQ(BlockCounter, 1);
}

TEST_F(ConvertPageTest, BackupHoldsTheOldPageUnderTheFirstFreeName)
{
    WriteFile(page, OneBlockPage);
    WriteFile(folder / "index_backup.htm", "first");
    WriteFile(folder / "index_backup1.htm", "second");
    fs::permissions(page, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const ConvertReport report = ConvertPage(page, script, true);

    EXPECT_EQ(report.backupPath, folder / "index_backup2.htm");
    EXPECT_EQ(ReadFile(report.backupPath), OneBlockPage);
    EXPECT_EQ(fs::status(report.backupPath).permissions(), fs::status(page).permissions());
    EXPECT_EQ(ReadFile(folder / "index_backup.htm"), "first");
    EXPECT_EQ(ReadFile(folder / "index_backup1.htm"), "second");
}

TEST_F(ConvertPageTest, BackupPassesOverTheNameOfTheScriptFile)
{
    WriteFile(page, OneBlockPage);
    const ConvertReport report = ConvertPage(page, folder / "index_backup.htm", true);
    EXPECT_EQ(report.backupPath, folder / "index_backup1.htm");
    EXPECT_EQ(ReadFile(report.backupPath), OneBlockPage);
    EXPECT_EQ(ReadFile(folder / "index_backup.htm").substr(0, Header.size()), Header);
}

// The script path is a link to the name the backup would get: writing the
// script through it would replace the backup just made.
TEST_F(ConvertPageTest, ScriptLinkedToTheBackupNameNeverTakesTheBackupsPlace)
{
    WriteFile(page, OneBlockPage);
    fs::create_symlink("index_backup.htm", script);

    const ConvertReport report = ConvertPage(page, script, true);

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
    const ConvertReport report = ConvertPage(page, script, true);
    struct stat backup {};
    ::stat(report.backupPath.c_str(), &backup);
    EXPECT_EQ(backup.st_ino, before.st_ino) << "the old file became the backup";
    EXPECT_EQ(ReadFile(report.backupPath), OneBlockPage);

    testing::ResetConverterState();
    WriteFile(folder / "b.htm", OneBlockPage);
    EXPECT_THROW(ConvertPage(folder / "b.htm", folder / "missing/b.js", true), FileError);
    ::stat((folder / "b.htm").c_str(), &before);
    ::stat((folder / "b_backup.htm").c_str(), &backup);
    EXPECT_NE(backup.st_ino, before.st_ino);
    EXPECT_EQ(before.st_nlink, 1u);
    EXPECT_EQ(ReadFile(folder / "b_backup.htm"), OneBlockPage);
}

TEST_F(ConvertPageTest, FailedBackupStopsBeforeScriptAndPage)
{
    const std::string bigPage = OneBlockPage + std::string(64 * 1024, ' ');
    WriteFile(page, bigPage);
    fs::create_hard_link(page, folder / "other-name.htm");  // so the backup is a copy, which can fail
    {
        testing::FileSizeLimit diskFull(16 * 1024);
        ExpectFileError([&] { ConvertPage(page, script, true); }, FileError::Kind::Create,
                        folder / "index_backup.htm");
    }
    EXPECT_EQ(ReadFile(page), bigPage);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "other-name.htm"}));
}

TEST_F(ConvertPageTest, PageAndScriptBeingOneFileIsRefusedBeforeAnyWrite)
{
    WriteFile(folder / "index.js", OneBlockPage);
    fs::create_symlink(folder / "index.js", folder / "link.js");

    for (const std::string& scriptPath : {folder / "index.js", folder / "link.js"}) {
        EXPECT_THROW(ConvertPage(folder / "index.js", scriptPath, true), ConvertError) << scriptPath;
        EXPECT_EQ(ReadFile(folder / "index.js"), OneBlockPage);
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.js", "link.js"}));
        EXPECT_EQ(BlockCounter, 0);
    }
}

TEST_F(ConvertPageTest, MissingPageWritesNothingAndKeepsTheState)
{
    ExpectFileError([&] { ConvertPage(page, script, true); }, FileError::Kind::Open, page);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(BlockCounter, 0);
    EXPECT_EQ(ScriptBuffer, "");
}

TEST_F(ConvertPageTest, UnreadableScriptStopsBeforeAnyWrite)
{
    WriteFile(page, OneBlockPage);
    fs::create_directory(script);  // exists, but holds no text to read
    ExpectFileError([&] { ConvertPage(page, script, true); }, FileError::Kind::Open, script);
    EXPECT_EQ(ReadFile(page), OneBlockPage);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "index.js"}));
    EXPECT_EQ(BlockCounter, 0);
}

TEST_F(ConvertPageTest, UncreatableScriptLeavesThePageAndKeepsTheBackup)
{
    WriteFile(page, OneBlockPage);
    const std::string lostScript = folder / "missing/index.js";
    ExpectFileError([&] { ConvertPage(page, lostScript, true); }, FileError::Kind::Create, lostScript);
    EXPECT_EQ(ReadFile(page), OneBlockPage);
    EXPECT_EQ(ReadFile(folder / "index_backup.htm"), OneBlockPage);
    EXPECT_EQ(BlockCounter, 1);  // this page's function stays buffered
}

TEST_F(ConvertPageTest, UncreatablePageLeavesItWholeAfterTheScriptIsWritten)
{
    const std::string bigPage = "<p>" + std::string(64 * 1024, 'x') + "</p>";
    WriteFile(page, bigPage);
    {
        testing::FileSizeLimit diskFull(16 * 1024);  // room for the script, not for the page
        ExpectFileError([&] { ConvertPage(page, script, false); }, FileError::Kind::Create, page);
    }
    EXPECT_EQ(ReadFile(page), bigPage);
    EXPECT_EQ(ReadFile(script), Header + Header);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "index.js"}));
}

// A page that cannot be replaced is found before anything is written, so
// retries do not pile up functions that no page calls.
struct UnreplaceableRow : testing::NamedRow {
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
    if (!lock.Works()) GTEST_SKIP() << "cannot make " << lockedPage << " unchangeable here (needs root)";

    for (int attempt = 0; attempt < 2; ++attempt)
        ExpectFileError([&] { ConvertPage(lockedPage, folder / "js/index.js", true); }, FileError::Kind::Create,
                        lockedPage);

    EXPECT_EQ(ReadFile(lockedPage), OneBlockPage);
    EXPECT_TRUE(fs::is_empty(folder.path() / "js"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path() / "pages"), {}), 1) << "no backup";
    EXPECT_EQ(BlockCounter, 0);
    EXPECT_EQ(ScriptBuffer, "");
}

INSTANTIATE_TEST_SUITE_P(Pages, UnreplaceablePage, ::testing::Values(
    UnreplaceableRow{{"ReadOnlyPageFolder"}, false},
    UnreplaceableRow{{"ImmutablePage"}, true}),
    testing::RowName<UnreplaceableRow>);

// What another program saves while a page is converted is kept: the page is
// compared with the file that was read just before anything is replaced.
struct ChangedPageRow : testing::NamedRow {
    std::function<void(const std::string& page)> change;
};

class PageChangedMeanwhile : public ConvertPageTest, public ::testing::WithParamInterface<ChangedPageRow> {};

TEST_P(PageChangedMeanwhile, IsLeftAsItIsAndReported)
{
    WriteFile(page, OneBlockPage);
    std::vector<PageOutcome> outcomes;
    PageBatch batch(ScriptContent::WholeRun, [&](const PageOutcome& outcome) { outcomes.push_back(outcome); });
    batch.Convert(page, script, false);
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

INSTANTIATE_TEST_SUITE_P(Saves, PageChangedMeanwhile, ::testing::Values(
    ChangedPageRow{{"RewrittenInPlace"}, [](const std::string& page) { WriteFile(page, "<p>edited</p>"); }},
    ChangedPageRow{{"SameSizeWrittenLater"}, [](const std::string& page) {
        timespec when = ModifiedOf(page);
        std::string edited = OneBlockPage;
        edited[1] = 'H';
        WriteFile(page, edited);
        when.tv_sec += 1;
        SetModified(page, when);
    }},
    ChangedPageRow{{"ReplacedByAFileOfTheSameSizeAndTime"}, [](const std::string& page) {
        std::string edited = OneBlockPage;
        edited[1] = 'H';
        WriteFile(page + ".new", edited);
        SetModified(page + ".new", ModifiedOf(page));
        fs::rename(page + ".new", page);
    }}),
    testing::RowName<ChangedPageRow>);

}  // namespace
}  // namespace sorvane
