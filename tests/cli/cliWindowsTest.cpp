// sorvane-cli on Windows: the Windows path style, the file system's own rules
// on names, and writes that the system refuses. The cross build runs these
// under Wine; where Wine behaves otherwise than Windows, the test says so.
#include "cliFixture.h"
#include "converterTestKit.h"
#include "nativePath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const std::string OneBlockPage = "<html><head></head><body><object>m</object></body></html>";

std::string IncludeOf(std::string_view reference)
{
    return "<script language=\"JavaScript\" src=\"" + std::string(reference) + "\"></script>";
}

// Whole-file access by byte-string name, as the C runtime opens files: the
// name is taken in the system's code page.
std::string ReadBytesNamed(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliWindowsTest : public CliTest {
protected:
    std::string Page(std::string_view name) { return folder / name; }
};

// ------------------------------------------------------------ path style --

TEST_F(CliWindowsTest, FolderNamesInAnotherCaseAreTheSameFoldersAndTheReferenceUsesBackslashes)
{
    fs::create_directories(folder.path() / "Site/Pages");
    fs::create_directories(folder.path() / "Site/js");
    WriteFile(folder / "Site/Pages/index.htm", OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", "SITE\\JS", "Site\\Pages\\index.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(ReadFile(folder / "Site/Pages/index.htm").find(IncludeOf("..\\JS\\index.js")), std::string::npos);
    EXPECT_NE(ReadFile(folder / "Site/js/index.js").find("function displaySWF_1()"), std::string::npos);
}

TEST_F(CliWindowsTest, DriveLetterInAnotherCaseIsTheSameDrive)
{
    std::string scriptFolder = folder / "js";
    scriptFolder[0] = static_cast<char>(scriptFolder[0] ^ 0x20);  // c:\ for C:\ and the other way round
    fs::create_directory(folder.path() / "js");
    WriteFile(folder / "index.htm", OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", scriptFolder, "index.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(ReadFile(folder / "index.htm").find(IncludeOf("js\\index.js")), std::string::npos);
}

// The test program's own folder is in the build folder: under Wine on drive
// Z: (the Linux root), while the scratch folder is on C:.
TEST_F(CliWindowsTest, ScriptOnAnotherDriveIsReferencedByItsFullPath)
{
    const fs::path otherFolder = fs::current_path() / ("other-drive-" + std::to_string(GetCurrentProcessId()));
    if (otherFolder.root_name() == folder.path().root_name())
        GTEST_SKIP() << "the build folder and the temporary folder are on one drive";
    fs::create_directory(otherFolder);
    WriteFile(folder / "index.htm", OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", otherFolder.string(), "index.htm"});
    const std::string script = (otherFolder / "index.js").string();
    const bool scriptWritten = fs::exists(script);
    fs::remove_all(otherFolder);

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(scriptWritten);
    EXPECT_NE(ReadFile(folder / "index.htm").find(IncludeOf(script)), std::string::npos);
}

TEST_F(CliWindowsTest, BackupNumberingPassesOverNamesInAnyCase)
{
    WriteFile(folder / "index.htm", OneBlockPage);
    WriteFile(folder / "INDEX_BACKUP.HTM", "older");
    WriteFile(folder / "Index_Backup1.htm", "oldest");

    const Outcome outcome = Run({"convert", "index.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("; backup " + folder / "index_backup2.htm"), std::string::npos) << outcome.out;
    EXPECT_EQ(ReadFile(folder / "index_backup2.htm"), OneBlockPage);
    EXPECT_EQ(ReadFile(folder / "INDEX_BACKUP.HTM"), "older");
    EXPECT_EQ(ReadFile(folder / "Index_Backup1.htm"), "oldest");
}

// A name with a letter beyond ASCII, given in the system's code page as any
// Windows program gets it, names the same file all the way through.
TEST_F(CliWindowsTest, PageNamedBeyondAsciiIsConvertedUnderItsOwnName)
{
    const std::string page = PathBytes(folder.path() / L"caf\u00e9.htm");
    const std::string script = PathBytes(folder.path() / L"caf\u00e9.js");
    if (page.find('?') != std::string::npos) GTEST_SKIP() << "the system's code page has no letter e with acute";
    std::ofstream(page, std::ios::binary) << OneBlockPage;

    const Outcome outcome = Run({"convert", "--no-backup", page});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, page + ": 1 block converted; script " + script + "; no backup\n");
    EXPECT_NE(ReadBytesNamed(page).find(IncludeOf(PathBytes(L"caf\u00e9.js"))), std::string::npos);
    EXPECT_NE(ReadBytesNamed(script).find("function displaySWF_1()"), std::string::npos);
}

}  // namespace
}  // namespace sorvane
