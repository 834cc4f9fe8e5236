#include "converterInternals.h"
#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <thread>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
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

#ifndef _WIN32
std::string AttributeOf(const std::string& path, const char* name)
{
    std::string value(4096, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
    value.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    return value;
}

// A POSIX access ACL as the system keeps it in system.posix_acl_access: the
// owner may read and write, user 4321 and the group may read, others nothing.
std::string ReadForUser4321Acl()
{
    return testkit::AclAttribute({{0x01, 6}, {0x02, 4, 4321}, {0x04, 4}, {0x10, 4}, {0x20, 0}});
}
#endif

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
    fs::permissions(file,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_exec);
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
TEST_F(FileIOTest, SaveKeepsExtendedAttributesAndTheAcl)
{
    WriteFile(file, "old");
    if (::setxattr(file.c_str(), "user.origin", "site-a", 6, 0) != 0)
        GTEST_SKIP() << "the file system of " << folder.path()
                     << " keeps no user.* attributes: " << std::strerror(errno);
    const std::string acl = ReadForUser4321Acl();
    ASSERT_EQ(::setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0)
        << std::strerror(errno);
    const fs::perms bits = fs::status(file).permissions();

    SaveTextFile("new", file);

    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(AttributeOf(file, "user.origin"), "site-a");
    EXPECT_EQ(AttributeOf(file, "system.posix_acl_access"), acl);
    EXPECT_EQ(fs::status(file).permissions(), bits);
}

// A page of a shared group, owned by someone else: the user who converts it
// becomes its owner (only the superuser may give a file away), but the group
// stays, so the owner keeps access.
TEST_F(FileIOTest, SaveByAMemberOfTheFilesGroupKeepsTheGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play an owner and a member of a shared group";
    constexpr uid_t Owner = 4001, Member = 4300;
    constexpr gid_t SharedGroup = 4100, MembersOwnGroup = 4200;
    fs::permissions(folder.path(), fs::perms::all);
    WriteFile(file, "old");
    ASSERT_EQ(::chown(file.c_str(), Owner, SharedGroup), 0);
    fs::permissions(file, fs::perms(0664));

    const pid_t member = ::fork();
    ASSERT_GE(member, 0);
    if (member == 0) {
        const gid_t groups[] = {SharedGroup};
        if (::setgroups(1, groups) != 0 || ::setgid(MembersOwnGroup) != 0 || ::setuid(Member) != 0)
            ::_exit(2);
        try {
            SaveTextFile("new", file);
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(member, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(info.st_uid, Member);
    EXPECT_EQ(info.st_gid, SharedGroup);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
}

TEST_F(FileIOTest, SaveAsRootKeepsOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another owner";
    WriteFile(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    SaveTextFile("new", file);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
}

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
// never a mix or a cut file; and no file of its own once the folder is
// written again. (Its new file gets a name only just before the rename; a
// kill in that moment leaves the name, which the next write removes.)
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
            for (int i = 0;; ++i)
                SaveTextFile(i % 2 == 0 ? contentB : contentA, file);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 40));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        const std::string left = ReadFile(file);
        ASSERT_TRUE(left == contentA || left == contentB) << "round " << round << ": " << left.size() << " bytes";
    }
    SaveTextFile(contentA, file);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"page.htm"});
}

// So that a run killed while it writes leaves nothing, the new file has no
// name until it takes the target's.
TEST_F(FileIOTest, NewContentHasNoNameUntilItIsInPlace)
{
    WriteFile(file, "old");
    detail::AtomicFileWriter writer(file);
    writer.Append(std::string(3 << 20, 'n'));
    writer.Finish();
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"page.htm"});
    EXPECT_EQ(ReadFile(file), "old");
    writer.Commit();
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"page.htm"});
    EXPECT_EQ(ReadFile(file), std::string(3 << 20, 'n'));
}

// A writer killed in the moment between naming its new file and renaming it
// leaves the name; the next write into the folder removes it, but not the
// name of a writer that still runs.
std::string NameLeftByAWriterGone()
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    return ".sorvane-" + std::to_string(gone) + "-abcdefghij.tmp";
}

TEST_F(FileIOTest, WriteRemovesNamesLeftByWritersThatNoLongerRun)
{
    const std::string leftByGone = NameLeftByAWriterGone();
    const std::string ofLiveWriter = ".sorvane-" + std::to_string(::getpid()) + "-abcdefghij.tmp";
    for (const std::string& name : {leftByGone, ofLiveWriter, std::string(".sorvane-notes.tmp")})
        WriteFile(folder / name, "left");

    SaveTextFile("new", file);

    EXPECT_EQ(folder.Names(), (std::vector<std::string>{ofLiveWriter, ".sorvane-notes.tmp", "page.htm"}));
}

// A folder is cleared once per run, at its first write. A folder made after
// one was removed may get the removed one's identity (device and inode), and
// is cleared all the same.
TEST_F(FileIOTest, WriteClearsANewFolderThatTookARemovedOnesIdentity)
{
    const std::string first = folder / "first";
    fs::create_directory(first);
    SaveTextFile("new", first + "/page.htm");
    const auto inodeOf = [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    const ino_t removed = inodeOf(first);
    fs::remove_all(first);
    std::string heir;
    for (int i = 0; i < 64 && heir.empty(); ++i) {
        const std::string candidate = folder / ("next" + std::to_string(i));
        fs::create_directory(candidate);
        if (inodeOf(candidate) == removed)
            heir = candidate;
    }
    if (heir.empty())
        GTEST_SKIP() << "the file system gave the removed folder's identity to none of 64 new folders";
    WriteFile(heir + "/" + NameLeftByAWriterGone(), "left");

    SaveTextFile("new", heir + "/page.htm");

    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(heir))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"page.htm"});
}

// Where files must have a name from the start, an interrupted writer removes
// its temporary files on its way out.
class InterruptedWriter : public FileIOTest, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptedWriter, RemovesItsNamedTempFiles)
{
    const std::string contentA(3 << 20, 'a');
    const std::string contentB(2 << 20, 'b');
    WriteFile(file, contentA);
    std::mt19937 random(GetParam());
    for (int round = 0; round < 6; ++round) {
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            RemoveTempFilesOnInterrupt();
            detail::AllowUnnamedTempFiles(false);
            for (int i = 0;; ++i)
                SaveTextFile(i % 2 == 0 ? contentB : contentA, file);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 40));
        ::kill(writer, GetParam());
        int status = 0;
        ::waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam()) << "ends as the signal would end it";
        const std::string left = ReadFile(file);
        ASSERT_TRUE(left == contentA || left == contentB) << "round " << round << ": " << left.size() << " bytes";
        ASSERT_EQ(folder.Names(), std::vector<std::string>{"page.htm"}) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedWriter, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });
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

// The existing script file's line ends may be any of CR LF, LF or CR; what
// is added goes on with the line end of its first line.
class ScriptFileLineEnds : public FileIOTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(ScriptFileLineEnds, KeepIdenticalFunctionsAndDropRedefinitionsInTheirLineEnd)
{
    const std::string& end = GetParam();
    const std::string header = end + "// " + std::string(ScriptHeaderText) + end;
    const std::string same = end + "function displaySWF_1() { document.write('same'); }" + end;
    const std::string other = "\r\nfunction displaySWF_2() { document.write('other'); }\r\n";
    const std::string old = "// hand-written" + end + "function displaySWF_1() { document.write('same'); }" + end
                            + "function displaySWF_2() { document.write('old'); }";
    WriteFile(folder / "old.js", old);

    WriteScriptFile("\r\nfunction displaySWF_1() { document.write('same'); }\r\n" + other, folder / "old.js");

    EXPECT_EQ(ReadFile(folder / "old.js"), old + header + same + header);
}

INSTANTIATE_TEST_SUITE_P(Script, ScriptFileLineEnds, ::testing::Values("\n", "\r", "\r\n"), [](const auto& info) {
    return std::string(info.param == "\n" ? "Lf" : info.param == "\r" ? "Cr" : "CrLf");
});

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

#ifndef _WIN32  // FIFOs, alarm, file size limits, links
// Every file error says why, in the system's own words, after the message
// that names the file.
struct ReasonRow : testkit::NamedRow {
    std::function<void(const testkit::TempFolder&)> call;
    FileError::Kind kind;
    std::string file;
    std::string reason;
};

class FileErrorReason : public FileIOTest, public ::testing::WithParamInterface<ReasonRow> {};

TEST_P(FileErrorReason, NamesTheFileAndTheSystemsReason)
{
    fs::create_directory(folder.path() / "folder");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    WriteFile(file, "old content");
    ::alarm(10);  // opening a FIFO must not wait for a writer
    try {
        GetParam().call(folder);
        ADD_FAILURE() << "no error raised";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), GetParam().kind);
        EXPECT_EQ(error.path(), folder / GetParam().file);
        EXPECT_EQ(error.reason(), GetParam().reason);
    }
    ::alarm(0);
    EXPECT_EQ(ReadFile(file), "old content");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"fifo", "folder", "page.htm"}));
}

INSTANTIATE_TEST_SUITE_P(Files, FileErrorReason,
                         ::testing::Values(ReasonRow{{"MissingFile"},
                                                     [](auto& f) { LoadTextFile(f / "missing.htm"); },
                                                     FileError::Kind::Open,
                                                     "missing.htm",
                                                     "No such file or directory"},
                                           ReasonRow{{"FolderRead"},
                                                     [](auto& f) { LoadTextFile(f / "folder"); },
                                                     FileError::Kind::Open,
                                                     "folder",
                                                     "Is a directory"},
                                           ReasonRow{{"FifoRead"},
                                                     [](auto& f) { LoadTextFile(f / "fifo"); },
                                                     FileError::Kind::Open,
                                                     "fifo",
                                                     "Not a regular file"},
                                           ReasonRow{{"FifoReplaced"},
                                                     [](auto& f) { SaveTextFile("new", f / "fifo"); },
                                                     FileError::Kind::Create,
                                                     "fifo",
                                                     "Not a regular file"},
                                           ReasonRow{{"FolderReplaced"},
                                                     [](auto& f) { SaveTextFile("new", f / "folder"); },
                                                     FileError::Kind::Create,
                                                     "folder",
                                                     "Is a directory"},
                                           ReasonRow{{"MissingFolder"},
                                                     [](auto& f) { SaveTextFile("new", f / "missing/x.htm"); },
                                                     FileError::Kind::Create,
                                                     "missing/x.htm",
                                                     "No such file or directory"},
                                           ReasonRow{{"NameTooLong"},
                                                     [](auto& f) { SaveTextFile("new", f / std::string(300, 'n')); },
                                                     FileError::Kind::Create,
                                                     std::string(300, 'n'),
                                                     "File name too long"},
                                           ReasonRow{{"FullDisk"},
                                                     [](auto& f) {
                                                         testkit::FileSizeLimit diskFull(4096);
                                                         SaveTextFile(std::string(100000, 'n'), f / "page.htm");
                                                     },
                                                     FileError::Kind::Create,
                                                     "page.htm",
                                                     "File too large"},
                                           // Written a buffer at a time on the writer's thread.
                                           ReasonRow{{"FullDiskInALargeFile"},
                                                     [](auto& f) {
                                                         testkit::FileSizeLimit diskFull(3 << 19);
                                                         const std::string piece(1000, 'n');
                                                         const std::vector<std::string_view> pieces(4000, piece);
                                                         detail::ReplaceFileContent(f / "page.htm", pieces);
                                                     },
                                                     FileError::Kind::Create,
                                                     "page.htm",
                                                     "File too large"}),
                         testkit::RowName<ReasonRow>);

// Two paths name one file when they lead to it, by any links, or, for a file
// not made yet, lead to one name in one folder.
struct SameFileRow : testkit::NamedRow {
    std::function<void(const fs::path&)> setUp;
    std::string first, second;
    bool same;
};

class SameFileCase : public FileIOTest, public ::testing::WithParamInterface<SameFileRow> {};

TEST_P(SameFileCase, ComparesWhereThePathsLead)
{
    WriteFile(folder / "a.htm", "a");
    WriteFile(folder / "b.htm", "b");
    fs::create_directory(folder.path() / "sub");
    GetParam().setUp(folder.path());
    EXPECT_EQ(SameFile(folder / GetParam().first, folder / GetParam().second), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SameFileCase,
    ::testing::Values(SameFileRow{{"OnePath"}, [](const fs::path&) {}, "a.htm", "a.htm", true},
                      SameFileRow{{"SymbolicLink"},
                                  [](const fs::path& f) { fs::create_symlink("a.htm", f / "l.js"); },
                                  "a.htm",
                                  "l.js",
                                  true},
                      SameFileRow{{"HardLink"},
                                  [](const fs::path& f) { fs::create_hard_link(f / "a.htm", f / "h.js"); },
                                  "h.js",
                                  "a.htm",
                                  true},
                      SameFileRow{{"DanglingLinkToTheOtherName"},
                                  [](const fs::path& f) { fs::create_symlink("a_backup.htm", f / "a.js"); },
                                  "a.js",
                                  "a_backup.htm",
                                  true},
                      SameFileRow{{"NewNameThroughALinkedFolder"},
                                  [](const fs::path& f) { fs::create_symlink("sub", f / "lnk"); },
                                  "sub/new.js",
                                  "lnk/new.js",
                                  true},
                      SameFileRow{{"LinkThenParentFolder"},
                                  [](const fs::path& f) { fs::create_symlink("sub", f / "lnk"); },
                                  "lnk/../a.htm",
                                  "a.htm",
                                  true},
                      SameFileRow{{"TwoFiles"}, [](const fs::path&) {}, "a.htm", "b.htm", false},
                      SameFileRow{{"TwoNewNames"}, [](const fs::path&) {}, "x.js", "y.js", false},
                      SameFileRow{{"NewNameInAnotherFolder"}, [](const fs::path&) {}, "sub/a.htm", "a.htm", false}),
    testkit::RowName<SameFileRow>);
#endif

#ifdef __linux__
// A page's folder is opened from the root, never through a link: one reached
// through a link is refused, and files saved through one held open land in
// it after its path was swapped for a link to another folder.
TEST_F(FileIOTest, PinnedFolderRefusesLinksAndKeepsItsFilesAfterASwap)
{
    const fs::path root = fs::canonical(folder.path());
    fs::create_directories(root / "s/sub");
    fs::create_directories(root / "o");
    fs::create_directory_symlink(root / "s", root / "lnk");
    detail::PinnedFolder throughLink;
    EXPECT_EQ(throughLink.Open((root / "lnk/sub").string()), detail::IsSymbolicLink);

    detail::PinnedFolder pinned;
    ASSERT_EQ(pinned.Open((root / "s/sub").string()), detail::NoError);
    fs::rename(root / "s/sub", root / "s/moved");
    fs::create_directory_symlink(root / "o", root / "s/sub");
    SaveTextFile("new", detail::PathIn(&pinned, (root / "s/sub/a.htm").string()));

    EXPECT_EQ(ReadFile(root / "s/moved/a.htm"), "new");
    EXPECT_TRUE(fs::is_empty(root / "o"));
}
#endif

}  // namespace
}  // namespace sorvane
