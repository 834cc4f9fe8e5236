// What Windows has in place of the POSIX-only file tests: attributes instead
// of permission bits, names alike but for letter case instead of links.
#include "converterTestKit.h"
#include "nativePath.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include "windowsApi.h"

namespace sorvane {
namespace {

using testkit::ReadFile;
using testkit::WriteFile;

class FileIOWindowsTest : public ::testing::Test {
protected:
    DWORD Attributes(const std::string& path) const { return GetFileAttributesW(NativePath(path).c_str()); }

    ConversionRun run;
    testkit::TempFolder folder;
    const std::string file = folder / "page.htm";
};

// ReplaceFile gives the new file the old one's attributes on Windows. Wine's
// ReplaceFile only renames, so there a hidden page comes back visible.
TEST_F(FileIOWindowsTest, SaveKeepsTheTargetsAttributes)
{
    WriteFile(file, "old");
    SetFileAttributesW(NativePath(file).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    SaveTextFile("new", file);
    EXPECT_EQ(ReadFile(file), "new");
    if (!testkit::RunsUnderWine()) {
        EXPECT_TRUE(Attributes(file) & FILE_ATTRIBUTE_HIDDEN);
    }
}

TEST_F(FileIOWindowsTest, ReadOnlyFileIsNotReplacedAndStaysReadOnly)
{
    WriteFile(file, "old");
    SetFileAttributesW(NativePath(file).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_THROW(SaveTextFile("new", file), FileError);
    const DWORD attributes = Attributes(file);
    SetFileAttributesW(NativePath(file).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"page.htm"});
}

// Names that differ in letter case only name one file on Windows: a script
// path that names the page that way is refused before anything is written.
TEST_F(FileIOWindowsTest, PageAndScriptNamedInAnotherCaseAreOneFileAndRefused)
{
    const std::string page = "<object>m</object>";
    WriteFile(folder / "index.js", page);
    EXPECT_THROW(ConvertPage(run, {.pagePath = folder / "index.js", .scriptPath = folder / "INDEX.JS", .backup = true}),
                 ConvertError);
    EXPECT_EQ(ReadFile(folder / "index.js"), page);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"index.js"});
    EXPECT_EQ(run.blockCounter, 0);
}

TEST_F(FileIOWindowsTest, BackupPassesOverNamesTakenInAnotherCase)
{
    WriteFile(file, "page");
    WriteFile(folder / "PAGE_BACKUP.HTM", "older backup");
    EXPECT_EQ(BackupPage(file), folder / "page_backup1.htm");
    EXPECT_EQ(ReadFile(folder / "PAGE_BACKUP.HTM"), "older backup");
    EXPECT_EQ(ReadFile(folder / "page_backup1.htm"), "page");
}

}  // namespace
}  // namespace sorvane
