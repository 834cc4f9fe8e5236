#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

constexpr PathStyle Win = PathStyle::Windows;
constexpr PathStyle Posix = PathStyle::Posix;

using testkit::NamedRow;
using testkit::RowName;

struct SplitRow : NamedRow {
    PathStyle style;
    std::string_view path, folder, file, extension, drive, base;
};

class PathSplit : public ::testing::TestWithParam<SplitRow> {};

TEST_P(PathSplit, GivesEveryPart)
{
    const SplitRow& row = GetParam();
    EXPECT_EQ(FolderPart(row.path, row.style), row.folder);
    EXPECT_EQ(FileNamePart(row.path, row.style), row.file);
    EXPECT_EQ(ExtensionPart(row.path, row.style), row.extension);
    EXPECT_EQ(DrivePart(row.path, row.style), row.drive);
    EXPECT_EQ(BaseName(row.path, row.style), row.base);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathSplit,
    ::testing::Values(
        SplitRow{"WinPlain", Win, R"(E:\site\index.htm)", R"(E:\site\)", "index.htm", ".htm", "E:", "index"},
        SplitRow{"WinTwoDots", Win, R"(E:\site\archive.tar.gz)", R"(E:\site\)", "archive.tar.gz", ".gz",
                 "E:", "archive.tar"},
        SplitRow{"WinNoExtension", Win, R"(E:\site\README)", R"(E:\site\)", "README", "", "E:", "README"},
        SplitRow{"WinOnlyExtension", Win, R"(E:\site\.htaccess)", R"(E:\site\)", ".htaccess", ".htaccess", "E:", ""},
        SplitRow{"WinTrailingDot", Win, R"(E:\site\name.)", R"(E:\site\)", "name.", ".", "E:", "name"},
        SplitRow{"WinDotInFolder", Win, R"(E:\si.te\index)", R"(E:\si.te\)", "index", "", "E:", "index"},
        SplitRow{"WinDriveRelative", Win, "E:index.htm", "E:", "index.htm", ".htm", "E:", "index"},
        SplitRow{"WinUnc", Win, R"(\\srv\share\a\page.htm)", R"(\\srv\share\a\)", "page.htm", ".htm", R"(\\srv\share)",
                 "page"},
        SplitRow{"WinUncShareOnly", Win, R"(\\srv\share)", R"(\\srv\)", "share", "", R"(\\srv\share)", "share"},
        SplitRow{"WinDevicePath", Win, R"(\\?\E:\site\page.htm)", R"(\\?\E:\site\)", "page.htm", ".htm", R"(\\?\E:)",
                 "page"},
        SplitRow{"WinDeviceUnc", Win, R"(\\?\UNC\srv\share\a\page.htm)", R"(\\?\UNC\srv\share\a\)", "page.htm", ".htm",
                 R"(\\?\UNC\srv\share)", "page"},
        SplitRow{"WinDotDeviceUncInLowerCase", Win, R"(\\.\unc\srv\share)", R"(\\.\unc\srv\)", "share", "",
                 R"(\\.\unc\srv\share)", "share"},
        SplitRow{"WinUtf8Names", Win, "E:\\\u65e5\u672c\\\u03a9mega.htm", "E:\\\u65e5\u672c\\", "\u03a9mega.htm",
                 ".htm", "E:", "\u03a9mega"},
        SplitRow{"WinSlashIsNoSeparator", Win, R"(E:\a/b.htm)", R"(E:\)", "a/b.htm", ".htm", "E:", "a/b"},
        SplitRow{"PosixPlain", Posix, "/site/index.htm", "/site/", "index.htm", ".htm", "", "index"},
        SplitRow{"PosixTwoDots", Posix, "/site/archive.tar.gz", "/site/", "archive.tar.gz", ".gz", "", "archive.tar"},
        SplitRow{"PosixOnlyExtension", Posix, "/site/.htaccess", "/site/", ".htaccess", ".htaccess", "", ""},
        SplitRow{"PosixDotInFolder", Posix, "/si.te/index", "/si.te/", "index", "", "", "index"},
        SplitRow{"PosixBare", Posix, "index.htm", "", "index.htm", ".htm", "", "index"},
        SplitRow{"PosixBackslashAndColonAreBytes", Posix, R"(/site/C:a\b.htm)", "/site/", R"(C:a\b.htm)", ".htm", "",
                 R"(C:a\b)"}),
    RowName<SplitRow>);

struct RelativeRow : NamedRow {
    PathStyle style;
    std::string_view base, target, expected;
};

class RelativePathTable : public ::testing::TestWithParam<RelativeRow> {};

TEST_P(RelativePathTable, LeadsFromThePageFolderToTheTarget)
{
    const RelativeRow& row = GetParam();
    EXPECT_EQ(RelativePath(row.base, row.target, row.style), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RelativePathTable,
    ::testing::Values(
        RelativeRow{"WinSameFolder", Win, R"(E:\site\index.htm)", R"(E:\site\index.js)", "index.js"},
        RelativeRow{"WinSiblingFolder", Win, R"(E:\site\pages\index.htm)", R"(E:\site\js\index.js)",
                    R"(..\js\index.js)"},
        RelativeRow{"WinCaseInsensitive", Win, R"(E:\Site\index.htm)", R"(e:\site\scripts\index.js)",
                    R"(scripts\index.js)"},
        RelativeRow{"WinUpToRoot", Win, R"(E:\site\a\b\index.htm)", R"(E:\index.js)", R"(..\..\..\index.js)"},
        RelativeRow{"WinUnc", Win, R"(\\srv\share\a\page.htm)", R"(\\srv\share\b\page.js)", R"(..\b\page.js)"},
        RelativeRow{"WinOtherDrive", Win, R"(E:\site\index.htm)", R"(F:\js\index.js)", R"(F:\js\index.js)"},
        RelativeRow{"WinOtherShare", Win, R"(\\srv\one\page.htm)", R"(\\srv\two\page.js)", R"(\\srv\two\page.js)"},
        RelativeRow{"WinUncCaseInsensitive", Win, R"(\\SRV\Share\a\p.htm)", R"(\\srv\share\a\p.js)", "p.js"},
        RelativeRow{"WinDeviceUnc", Win, R"(\\?\UNC\srv\share\a\p.htm)", R"(\\?\unc\SRV\share\b\p.js)", R"(..\b\p.js)"},
        RelativeRow{"WinDevicePathAndDrivePathAreOtherRoots", Win, R"(\\?\E:\a\p.htm)", R"(E:\a\p.js)", R"(E:\a\p.js)"},
        RelativeRow{"WinEmptyFolderName", Win, R"(E:\site\\x\index.htm)", R"(E:\site\x\i.js)", R"(..\..\x\i.js)"},
        RelativeRow{"PosixSameFolder", Posix, "/site/index.htm", "/site/index.js", "index.js"},
        RelativeRow{"PosixSiblingFolder", Posix, "/site/pages/index.htm", "/site/js/index.js", "../js/index.js"},
        RelativeRow{"PosixCaseSensitive", Posix, "/Site/index.htm", "/site/scripts/index.js",
                    "../site/scripts/index.js"},
        RelativeRow{"PosixUpToRoot", Posix, "/site/a/b/index.htm", "/index.js", "../../../index.js"},
        RelativeRow{"PosixDownward", Posix, "/site/index.htm", "/site/js/lib/index.js", "js/lib/index.js"},
        RelativeRow{"PosixEmptyAndDotNamesName", Posix, "/site//pages/./index.htm", "/site/js/index.js",
                    "../js/index.js"},
        RelativeRow{"PosixRelativePaths", Posix, "pages/index.htm", "js/index.js", "../js/index.js"}),
    RowName<RelativeRow>);

TEST(RelativePathDepth, HasNoLimitOnTheNumberOfFolders)
{
    std::string deep = "/";
    for (int i = 0; i < 500; ++i)
        deep += "d" + std::to_string(i) + "/";
    EXPECT_EQ(RelativePath(deep + "page.htm", deep + "js/page.js", Posix), "js/page.js");
    EXPECT_EQ(RelativePath(deep + "page.htm", "/page.js", Posix).size(), 500 * 3 + 7);
}

// In Shift-JIS the second byte of a character can be 0x5C, the backslash.
bool IsShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(LeadByteTest, KeepsTrailBytesOutOfTheSeparators)
{
    const std::string folderName = "a\x95\x5C";  // "a" and one two-byte character
    const std::string page = "E:\\" + folderName + "\\p.htm";
    EXPECT_EQ(FolderPart(page, Win, IsShiftJisLeadByte), "E:\\" + folderName + "\\");
    EXPECT_EQ(FileNamePart("E:\\" + folderName, Win, IsShiftJisLeadByte), folderName);
    EXPECT_EQ(BaseName("E:\\x\x95.htm", Win, IsShiftJisLeadByte), "x\x95.htm");
    EXPECT_EQ(RelativePath(page, "E:\\a\\p.js", Win, IsShiftJisLeadByte), "..\\a\\p.js");
    // Without the test the trail byte splits the name, as in single-byte code pages.
    EXPECT_EQ(RelativePath(page, "E:\\a\\p.js", Win), "..\\..\\a\\p.js");
}

struct BackupRow : NamedRow {
    PathStyle style;
    std::string_view page;
    int n;
    std::string_view expected;
};

class BackupNames : public ::testing::TestWithParam<BackupRow> {};

TEST_P(BackupNames, StayInThePageFolder)
{
    const BackupRow& row = GetParam();
    EXPECT_EQ(BackupCandidate(row.page, row.n, row.style), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BackupNames,
    ::testing::Values(BackupRow{"WinFirst", Win, R"(E:\site\index.html)", 0, R"(E:\site\index_backup.html)"},
                      BackupRow{"WinSecond", Win, R"(E:\site\index.html)", 1, R"(E:\site\index_backup1.html)"},
                      BackupRow{"WinTwelfth", Win, R"(E:\site\index.html)", 12, R"(E:\site\index_backup12.html)"},
                      BackupRow{"WinNoExtension", Win, R"(E:\site\index)", 0, R"(E:\site\index_backup)"},
                      BackupRow{"PosixThird", Posix, "/site/index.html", 2, "/site/index_backup2.html"},
                      BackupRow{"PosixOnlyExtension", Posix, "/site/.htaccess", 0, "/site/_backup.htaccess"}),
    RowName<BackupRow>);

struct ScriptPathRow : NamedRow {
    PathStyle style;
    std::string_view page, folder, expected;
};

class ScriptPaths : public ::testing::TestWithParam<ScriptPathRow> {};

TEST_P(ScriptPaths, AreThePageBaseNameWithJsBesideItOrInTheFolder)
{
    const ScriptPathRow& row = GetParam();
    EXPECT_EQ(ScriptPathFor(row.page, row.folder, row.style), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ScriptPaths,
    ::testing::Values(ScriptPathRow{"WinBesidePage", Win, R"(E:\site\index.html)", "", R"(E:\site\index.js)"},
                      ScriptPathRow{"WinInFolder", Win, R"(E:\site\index.html)", R"(E:\js)", R"(E:\js\index.js)"},
                      ScriptPathRow{"WinDriveRoot", Win, R"(E:\site\index.html)", R"(D:\)", R"(D:\index.js)"},
                      ScriptPathRow{"PosixBesidePage", Posix, "/site/news.old.htm", "", "/site/news.old.js"},
                      ScriptPathRow{"PosixPageWithoutFolder", Posix, "index.htm", "", "index.js"},
                      ScriptPathRow{"PosixInFolder", Posix, "/site/index.htm", "/site/js", "/site/js/index.js"},
                      ScriptPathRow{"PosixFolderEndingInSeparator", Posix, "/site/index.htm", "/site/js/",
                                    "/site/js/index.js"},
                      ScriptPathRow{"PosixRoot", Posix, "/site/index.htm", "/", "/index.js"}),
    RowName<ScriptPathRow>);

}  // namespace
}  // namespace sorvane
