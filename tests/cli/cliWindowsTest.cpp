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

// In the two-byte code page Shift_JIS the second byte of katakana SO is 5C,
// the byte of "\": named in UTF-8, whatever the system's code page, the
// folder is one folder, so the script in a sibling folder is one folder up.
// (The cross build runs this also with Shift_JIS as the code page.)
TEST_F(CliWindowsTest, FolderNamedWithATrailByte5CIsOneFolder)
{
    const std::string so = "\u30bd";  // katakana SO
    fs::create_directory(NativePath(folder / so));
    fs::create_directory(folder.path() / "js");
    WriteFile(folder / (so + "\\index.htm"), OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", "js", so + "\\index.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(ReadFile(folder / (so + "\\index.htm")).find(IncludeOf("..\\js\\index.js")), std::string::npos);
    EXPECT_TRUE(fs::exists(folder.path() / "js/index.js"));
}

// A name with a letter beyond ASCII names the same file all the way through,
// and the reports give it in UTF-8.
TEST_F(CliWindowsTest, PageNamedBeyondAsciiIsConvertedUnderItsOwnName)
{
    const std::string page = folder / "caf\u00e9.htm";
    const std::string script = folder / "caf\u00e9.js";
    WriteFile(page, OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", page});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, page + ": 1 block converted; script " + script + "; no backup\n");
    EXPECT_NE(ReadFile(page).find(IncludeOf("caf\u00e9.js")), std::string::npos);
    EXPECT_NE(ReadFile(script).find("function displaySWF_1()"), std::string::npos);
}

// Names beyond every code page: the system's byte-string functions would map
// "Ωmega" to the folder "Omega" beside it and "日本" to "??". Each page
// converted is the one named, its neighbour stays as it was, and the report
// and the diff's labels give the names in UTF-8.
TEST_F(CliWindowsTest, NamesBeyondTheCodePageNameTheirOwnPagesAndNoLookAlikes)
{
    for (const char* name : {"Omega", "\u03a9mega", "\u65e5\u672c"}) {
        fs::create_directory(NativePath(folder / name));
        WriteFile(folder / (name + std::string("\\index.htm")), OneBlockPage);
    }
    const std::string omega = "\u03a9mega\\index.htm";
    const std::string japan = "\u65e5\u672c\\index.htm";

    const Outcome diff = Run({"convert", "--diff", "--no-backup", omega});
    const Outcome outcome = Run({"convert", "--no-backup", omega, japan});

    EXPECT_EQ(diff.status, 0) << diff.err;
    EXPECT_NE(diff.out.find("--- a/\u03a9mega/index.htm"), std::string::npos) << diff.out;
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, folder / omega + ": 1 block converted; script " + folder / "\u03a9mega\\index.js"
                               + "; no backup\n" + folder / japan + ": 1 block converted; script "
                               + folder / "\u65e5\u672c\\index.js" + "; no backup\n");
    EXPECT_NE(ReadFile(folder / omega).find("displaySWF_1();"), std::string::npos);
    EXPECT_NE(ReadFile(folder / japan).find("displaySWF_2();"), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "Omega\\index.htm"), OneBlockPage);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Omega", "\u03a9mega", "\u65e5\u672c"}));
}

// The folder search lists names in UTF-16 and passes none over.
TEST_F(CliWindowsTest, RecursiveRunReachesFoldersNamedBeyondTheCodePage)
{
    for (const char* name : {"site", "site\\Omega", "site\\\u03a9mega", "site\\\u65e5\u672c"})
        fs::create_directory(NativePath(folder / name));
    for (const char* page : {"site\\Omega\\index.htm", "site\\\u03a9mega\\index.htm", "site\\\u65e5\u672c\\index.htm"})
        WriteFile(folder / page, OneBlockPage);

    const Outcome outcome = Run({"convert", "--no-backup", "--json", "-r", "site"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const char* page :
         {"site\\Omega\\index.htm", "site\\\u03a9mega\\index.htm", "site\\\u65e5\u672c\\index.htm"}) {
        EXPECT_NE(ReadFile(folder / page).find("displaySWF_"), std::string::npos) << page;
        std::string jsonPath = folder / page;
        for (std::size_t at = 0; (at = jsonPath.find('\\', at)) != std::string::npos; at += 2)
            jsonPath.insert(at, 1, '\\');
        EXPECT_NE(outcome.out.find("\"" + jsonPath + "\""), std::string::npos) << outcome.out;
    }
}

// A device path ("\\?\C:\...") is full as it stands: no current drive is put
// in front of it, and the script beside the page is referenced relatively.
TEST_F(CliWindowsTest, DevicePathIsTakenAsItStands)
{
    fs::create_directory(folder.path() / "js");
    WriteFile(folder / "index.htm", OneBlockPage);
    const std::string page = "\\\\?\\" + folder / "index.htm";
    const std::string scriptFolder = "\\\\?\\" + folder / "js";

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", scriptFolder, page});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, page + ": 1 block converted; script " + scriptFolder + "\\index.js; no backup\n");
    EXPECT_NE(ReadFile(folder / "index.htm").find(IncludeOf("js\\index.js")), std::string::npos);
    EXPECT_NE(ReadFile(folder / "js\\index.js").find("function displaySWF_1()"), std::string::npos);
}

// ------------------------------------------------------- refused writes --

TEST_F(CliWindowsTest, ReadOnlyPageIsReportedAndLeftWhole)
{
    WriteFile(folder / "index.htm", OneBlockPage);
    const fs::path page = NativePath(folder / "index.htm");
    SetFileAttributesW(page.c_str(), FILE_ATTRIBUTE_READONLY);

    const Outcome outcome = Run({"convert", "--no-backup", "index.htm"});
    const DWORD attributes = GetFileAttributesW(page.c_str());
    SetFileAttributesW(page.c_str(), FILE_ATTRIBUTE_NORMAL);

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
    const HANDLE holder = CreateFileW(NativePath(page).c_str(), GENERIC_READ, GetParam().share, nullptr, OPEN_EXISTING,
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

// Windows's file functions take at most 260 characters (MAX_PATH) unless a
// path has the "\\?\" form (or the program declares itself long-path aware
// and the system allows long paths): a longer path is given that form, so
// the page, its script and its backup are written there as anywhere.
TEST_F(CliWindowsTest, PageWithAPathOfMoreThan260CharactersIsConverted)
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

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(ReadFile(fs::path(page)).find("displaySWF_1();"), std::string::npos);
    EXPECT_EQ(ReadFile(fs::path(deep + L"\\index_backup.htm")), OneBlockPage);
    EXPECT_NE(ReadFile(fs::path(deep + L"\\index.js")).find("function displaySWF_1()"), std::string::npos);
    EXPECT_EQ(DeepFolderEntries(deep).size(), 3U);  // no temporary file or lock left
    RemoveDeepFolder(L"\\\\?\\" + folder.path().wstring());
}

}  // namespace
}  // namespace sorvane
