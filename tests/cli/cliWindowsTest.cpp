// sorvane-cli on Windows: the Windows path style, the file system's own rules
// on names, and writes that the system refuses. The cross build runs these
// under Wine; where Wine behaves otherwise than Windows, the test says so.
#include "cliFixture.h"
#include "converterTestKit.h"
#include "namedRow.h"
#include "nativePath.h"
#include "systemFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "windowsApi.h"

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testkit::ReadFile;
using testkit::WriteFile;

const std::string OneBlockPage = "<html><head></head><body><object>m</object></body></html>";

std::string IncludeOf(std::string_view reference)
{
    return "<script language=\"JavaScript\" src=\"" + std::string(reference) + "\"></script>";
}

// The entries of a folder whose paths may pass 260 characters: only the
// system's wide functions on the "\\?\" form of a path reach there.
std::vector<WIN32_FIND_DATAW> DeepFolderEntries(const std::wstring& folder)
{
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back(entry);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return entries;
}

void RemoveDeepFolder(const std::wstring& folder)
{
    for (const WIN32_FIND_DATAW& entry : DeepFolderEntries(folder)) {
        const std::wstring path = folder + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDeepFolder(path);
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    }
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

// In a two-byte code page (Shift_JIS) the second byte of a character can be
// 5C, the byte of "\\": the folder named by that character is one folder, so
// the script in a sibling folder is one folder up. Runs where the system's
// code page is Shift_JIS (the cross build runs it so under Wine).
TEST_F(CliWindowsTest, FolderNamedWithATrailByte5CIsOneFolder)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "the system's code page is not Shift_JIS";
    const std::string so = "\x83\x5C";  // katakana SO
    fs::create_directory(NativePath(folder / so));
    fs::create_directory(folder.path() / "js");
    WriteFile(folder / (so + "\\index.htm"), OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", "js", so + "\\index.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(ReadFile(folder / (so + "\\index.htm")).find(IncludeOf("..\\js\\index.js")), std::string::npos);
    EXPECT_TRUE(fs::exists(folder.path() / "js/index.js"));
}

// A name with a letter beyond ASCII, given in the system's code page as any
// Windows program gets it, names the same file all the way through.
TEST_F(CliWindowsTest, PageNamedBeyondAsciiIsConvertedUnderItsOwnName)
{
    const std::string page = PathBytes(folder.path() / L"caf\u00e9.htm");
    const std::string script = PathBytes(folder.path() / L"caf\u00e9.js");
    if (page.find('?') != std::string::npos)
        GTEST_SKIP() << "the system's code page has no letter e with acute";
    WriteFile(page, OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", page});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, page + ": 1 block converted; script " + script + "; no backup\n");
    EXPECT_NE(ReadFile(page).find(IncludeOf(PathBytes(L"caf\u00e9.js"))), std::string::npos);
    EXPECT_NE(ReadFile(script).find("function displaySWF_1()"), std::string::npos);
}

// ------------------------------------------------------- refused writes --

TEST_F(CliWindowsTest, ReadOnlyPageIsReportedAndLeftWhole)
{
    WriteFile(folder / "index.htm", OneBlockPage);
    SetFileAttributesA((folder / "index.htm").c_str(), FILE_ATTRIBUTE_READONLY);

    const Outcome outcome = Run({"convert", "--no-backup", "index.htm"});
    const DWORD attributes = GetFileAttributesA((folder / "index.htm").c_str());
    SetFileAttributesA((folder / "index.htm").c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "sorvane-cli: Cannot create file " + folder / "index.htm" + ": "
                               + detail::ReasonText(ERROR_ACCESS_DENIED) + "\n");
    EXPECT_EQ(ReadFile(folder / "index.htm"), OneBlockPage);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"index.htm"});  // refused before the script is written
}

struct HolderRow : testkit::NamedRow {
    DWORD share;  // what the other program lets others do with the page it holds open
};

class CliPageHeldOpen : public CliWindowsTest, public ::testing::WithParamInterface<HolderRow> {};

// Another program holds the page open while it is converted. Windows then
// lets the page be replaced only when that program allows its deletion
// (FILE_SHARE_DELETE); else the conversion is refused before anything is
// written and the page stays. Either way that program goes on reading the old
// page whole.
TEST_P(CliPageHeldOpen, PageIsReplacedOnlyWhereTheHolderAllowsItAndTheHolderReadsTheOldPage)
{
    const std::string page = folder / "index.htm";
    WriteFile(page, OneBlockPage);
    const HANDLE holder = CreateFileA(page.c_str(), GENERIC_READ, GetParam().share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const Outcome outcome = Run({"convert", "--no-backup", "index.htm"});
    std::string heldContent(OneBlockPage.size() + 1, '\0');
    DWORD read = 0;
    ::ReadFile(holder, heldContent.data(), static_cast<DWORD>(heldContent.size()), &read, nullptr);
    heldContent.resize(read);
    CloseHandle(holder);

    EXPECT_EQ(heldContent, OneBlockPage);
    if (GetParam().share & FILE_SHARE_DELETE) {
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_NE(ReadFile(page).find("displaySWF_1();"), std::string::npos);
    } else {
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, "sorvane-cli: Cannot create file " + page + ": "
                                   + detail::ReasonText(ERROR_SHARING_VIOLATION) + "\n");
        EXPECT_EQ(ReadFile(page), OneBlockPage);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"index.htm"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliPageHeldOpen,
    ::testing::Values(HolderRow{{"SharedForReading"}, FILE_SHARE_READ},
                      HolderRow{{"SharedForReadingAndWriting"}, FILE_SHARE_READ | FILE_SHARE_WRITE},
                      HolderRow{{"SharedForDeletion"}, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}),
    testkit::RowName<HolderRow>);

// Windows's byte-string file functions take at most 260 characters (MAX_PATH)
// unless the program declares itself long-path aware and the system allows
// long paths; sorvane-cli does neither, so such a page is reported, not read,
// and nothing is made beside it. (Windows and Wine give different reasons.)
TEST_F(CliWindowsTest, PageWithAPathOfMoreThan260CharactersIsReportedAndLeftWhole)
{
    std::wstring deep = L"\\\\?\\" + folder.path().wstring();
    while (deep.size() < 300) {
        deep += L"\\a-folder-with-a-rather-long-name";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    const std::wstring page = deep + L"\\index.htm";
    const HANDLE file = CreateFileW(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, OneBlockPage.data(), static_cast<DWORD>(OneBlockPage.size()), &written, nullptr);
    CloseHandle(file);
    const std::string pageBytes = PathBytes(page.substr(4));
    ASSERT_GT(pageBytes.size(), 260U);

    const Outcome outcome = Run({"convert", pageBytes});

    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(ReadFile(fs::path(page)), OneBlockPage);
    const std::string prefix = "sorvane-cli: Cannot open file " + pageBytes + ": ";
    EXPECT_TRUE(outcome.err.starts_with(prefix) && outcome.err.size() > prefix.size() + 1) << outcome.err;
    EXPECT_EQ(DeepFolderEntries(deep).size(), 1U);
    RemoveDeepFolder(L"\\\\?\\" + folder.path().wstring());
}

}  // namespace
}  // namespace sorvane
