#include "converterTestKit.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sorvane {
namespace {

// Tests of what only POSIX systems have (permission bits, umask, links,
// inodes, fork, file size limits) stand inside #ifndef _WIN32; the Windows
// build checks its own counterparts in fileIOWindowsTest.cpp.
namespace fs = std::filesystem;
using testkit::ReadFile;
using testkit::WriteFile;

std::string AllByteValues()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes + "\r\n\n\r" + bytes;
}

#ifndef _WIN32
ino_t InodeOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}
#endif

class FileIOTest : public ::testing::Test {
protected:
    testkit::TempFolder folder;
    const std::string file = folder / "page.htm";
};

TEST_F(FileIOTest, LoadAndSaveKeepEveryByte)
{
    SaveTextFile(AllByteValues(), file);
    EXPECT_EQ(ReadFile(file), AllByteValues());
    EXPECT_EQ(LoadTextFile(file), AllByteValues());
    SaveTextFile("", file);
    EXPECT_EQ(LoadTextFile(file), "");
}

TEST_F(FileIOTest, LoadRaisesOpenErrorForMissingFilesAndFolders)
{
    EXPECT_THROW(LoadTextFile(folder / "missing.htm"), FileError);
    try {
        LoadTextFile(folder.path().string());
        ADD_FAILURE() << "a folder was read as a file";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::Open);
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + folder.path().string());
    }
}

TEST_F(FileIOTest, SaveKeepsTheTargetsPermissionBits)
{
    WriteFile(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                              | fs::perms::others_exec);
    const fs::perms before = fs::status(file).permissions();
    SaveTextFile("new", file);
    EXPECT_EQ(fs::status(file).permissions(), before);
}

#ifndef _WIN32
TEST_F(FileIOTest, NewFileGetsTheUsualBitsOfACreatedFile)
{
    const mode_t previous = ::umask(027);
    SaveTextFile("new", file);
    ::umask(previous);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
}
#endif

#ifndef _WIN32
TEST_F(FileIOTest, SaveWritesThroughSymbolicLinks)
{
    fs::create_directory(folder.path() / "real");
    WriteFile(folder / "real/target.htm", "old");
    fs::create_symlink("real/target.htm", folder / "hop.htm");  // relative to the link's folder
    fs::create_symlink(folder / "hop.htm", file);

    SaveTextFile("new", file);

    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "hop.htm")));
    EXPECT_EQ(ReadFile(folder / "real/target.htm"), "new");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"hop.htm", "page.htm", "real"}));
}

TEST_F(FileIOTest, SaveThroughADanglingLinkCreatesItsTarget)
{
    fs::create_symlink("made.htm", file);
    SaveTextFile("new", file);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
    EXPECT_EQ(ReadFile(folder / "made.htm"), "new");
}
#endif

#ifndef _WIN32
// Readers that hold the old file open keep seeing it whole: the new content is
// a new file that takes the name, never the old one cut and written again.
TEST_F(FileIOTest, SaveReplacesTheFileInsteadOfRewritingIt)
{
    WriteFile(file, "old content");
    std::ifstream heldOpen(file, std::ios::binary);
    const ino_t inodeBefore = InodeOf(file);

    SaveTextFile("new", file);

    EXPECT_NE(InodeOf(file), inodeBefore);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(heldOpen), {}), "old content");
}

TEST_F(FileIOTest, FullDiskLeavesTheOldFileWholeAndNoTempFile)
{
    WriteFile(file, "old content");
    {
        testkit::FileSizeLimit diskFull(4096);
        EXPECT_THROW(SaveTextFile(std::string(100000, 'n'), file), FileError);
    }
    EXPECT_EQ(ReadFile(file), "old content");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"page.htm"});
}
#endif

TEST_F(FileIOTest, FolderOrMissingFolderAtTheTargetRaisesCreateError)
{
    fs::create_directory(file);
    try {
        SaveTextFile("new", file);
        ADD_FAILURE() << "a folder was replaced";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::Create);
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + file);
    }
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_THROW(SaveTextFile("new", folder / "missing/x.htm"), FileError);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"page.htm"});
}

#ifndef _WIN32
// A writer killed at random moments must leave the old or the new content,
// never a mix or a cut file.
TEST_F(FileIOTest, KilledWriterLeavesEitherTheOldOrTheNewFile)
{
    const std::string contentA(3 << 20, 'a');
    const std::string contentB(2 << 20, 'b');
    WriteFile(file, contentA);
    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (int i = 0;; ++i) SaveTextFile(i % 2 == 0 ? contentB : contentA, file);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 40));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        const std::string left = ReadFile(file);
        ASSERT_TRUE(left == contentA || left == contentB) << "round " << round << ": " << left.size() << " bytes";
    }
}
#endif

TEST_F(FileIOTest, ScriptFileOfItsOwnHoldsHeaderLinesHeader)
{
    const std::string header = "\r\n// " + std::string(ScriptHeaderText) + "\r\n";
    const std::string lines = "\r\nfunction displaySWF_1() { document.write('x'); }\r\n";
    WriteScriptFile(lines, folder / "new.js");
    EXPECT_EQ(ReadFile(folder / "new.js"), header + lines + header);
    WriteScriptFile("", folder / "new.js");
    EXPECT_EQ(ReadFile(folder / "new.js"), header + lines + header + header + header);
}

TEST_F(FileIOTest, ScriptFileKeepsIdenticalFunctionsAndDropsRedefinitions)
{
    const std::string header = "\r\n// " + std::string(ScriptHeaderText) + "\r\n";
    const std::string same = "\r\nfunction displaySWF_1() { document.write('same'); }\r\n";
    const std::string other = "\r\nfunction displaySWF_2() { document.write('other'); }\r\n";
    const std::string old = "// hand-written, LF ends\nfunction displaySWF_1() { document.write('same'); }\n"
                            "function displaySWF_2() { document.write('old'); }";
    WriteFile(folder / "old.js", old);

    WriteScriptFile(same + other, folder / "old.js");

    EXPECT_EQ(ReadFile(folder / "old.js"), old + header + same + header);
}

#ifndef _WIN32
TEST_F(FileIOTest, BackupTakesTheFirstFreeNameAndLeavesThePage)
{
    WriteFile(file, "page");
    fs::create_symlink("nowhere", folder / "page_backup.htm");  // a dangling link still takes the name
    WriteFile(folder / "page_backup1.htm", "older backup");

    EXPECT_EQ(BackupPage(file), folder / "page_backup2.htm");
    EXPECT_EQ(BackupPage(file), folder / "page_backup3.htm");

    EXPECT_EQ(ReadFile(folder / "page_backup2.htm"), "page");
    EXPECT_EQ(ReadFile(folder / "page_backup1.htm"), "older backup");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"page.htm", "page_backup.htm", "page_backup1.htm",
                                                        "page_backup2.htm", "page_backup3.htm"}));
}
#endif

}  // namespace
}  // namespace sorvane
