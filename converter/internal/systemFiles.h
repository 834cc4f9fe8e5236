// The file system as the converter uses it: one thin layer over the system's
// own calls, POSIX in systemFilesPosix.cpp and Win32 in systemFilesWin32.cpp.
// Nothing here raises; every call that can fail returns the system's error
// code, which the caller turns into a FileError with ReasonText.
#pragma once

#include "fileIdentity.h"
#include "tempNames.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::detail {

// errno on POSIX, GetLastError() on Windows; 0 when nothing failed. The
// negative values are reasons of our own.
using SystemError = int;
inline constexpr SystemError NoError = 0;
inline constexpr SystemError NotRegularFile = -1;    // a folder, FIFO, device or socket
inline constexpr SystemError ChangedWhileRead = -2;  // the file grew or shrank during the read
inline constexpr SystemError NoHardLinks = -3;       // the backup is copied instead
inline constexpr SystemError IsSymbolicLink = -4;    // a file that was to be opened by its own name

// The system's own words for an error ("No space left on device").
std::string ReasonText(SystemError error);
// The words for the reasons of our own (the negative errors).
std::string OwnReasonText(SystemError error);
// Whether the error says that a file of that name exists already.
bool IsNameTaken(SystemError error);
// Whether the error says that there is no such file.
bool IsMissing(SystemError error);

using sorvane::FileIdentity;

struct FileStamp {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // last write, in the system's finest unit
    std::uint64_t links = 1;    // names of the file (hard links)
    bool regular = false;
};

// True when both stamps are of one file that nothing has written to between
// them: same identity, size and time of last write.
bool SameContentStamp(const FileStamp& a, const FileStamp& b);

// Whether opening or looking at a file follows a symbolic link at its path.
enum class LinkRule { Follow, Refuse };

// The stamp of the file at path, symbolic links followed; with
// LinkRule::Refuse, a link at the end of path is looked at itself (a
// reparse point on Windows).
SystemError StampOf(const std::string& path, FileStamp& stamp, LinkRule links = LinkRule::Follow);

// A regular file opened for reading. Opening never waits (a FIFO or a device
// would block or never end) and refuses anything but a regular file.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // With LinkRule::Refuse, a symbolic link (a reparse point on Windows) at
    // path is not opened: IsSymbolicLink.
    SystemError Open(const std::string& path, LinkRule links = LinkRule::Follow);
    // Whether the open file belongs to the user running the program or to
    // the owner of the file at otherPath (links followed).
    SystemError OwnedByUserOrOwnerOf(const std::string& otherPath, bool& owned) const;
    const FileStamp& Stamp() const { return stamp_; }
    // Reads exactly size bytes from the start (the size the stamp gives).
    SystemError ReadAll(char* into, std::size_t size);
    // Reads exactly size bytes from where the last read ended:
    // ChangedWhileRead when the file ends before.
    SystemError ReadNext(char* into, std::size_t size);
    // Whether the file ends where the last read ended: ChangedWhileRead when
    // it goes on.
    SystemError ReadEnd();
    // The next read starts at the file's start again.
    SystemError Rewind();

private:
    std::intptr_t handle_ = -1;
    FileStamp stamp_;
};

// A new file in a folder that takes its final name only when it is placed.
// On Linux it has no name at all until then, so a run killed at any moment
// leaves nothing behind; elsewhere it has a hidden temporary name that is
// removed when the object goes away and, once RemoveTempFilesOnInterrupt has
// been called, when the program is interrupted.
class TempFile {
public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    SystemError Create(const std::string& folder);
    SystemError Write(std::string_view bytes);
    // Gives the new file what the original file at that path has besides its
    // content: owner (or at least its group, where the user may give it),
    // permission bits and extended attributes (POSIX ACLs among them). A path
    // with no file leaves the bits of a newly created file.
    SystemError TakeMetadataOf(const std::string& original);
    SystemError Sync();
    // Takes the name target, replacing the file there in one step.
    SystemError Replace(const std::string& target);
    // Takes the name target only while it is free (IsNameTaken otherwise).
    SystemError PlaceNew(const std::string& target);

    // The file system it lies on, for syncing many files at once.
    std::uint64_t Device() const { return device_; }
    std::intptr_t Handle() const { return handle_; }

private:
    void StartWriteback(std::size_t size);
    void Forget();

    std::intptr_t handle_ = -1;
    SystemString name_;  // empty while the file has no name
    TempNameEntry entry_;
    std::uint64_t device_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t handedOver_ = 0;  // the bytes before this were handed to the disk (StartWriteback)
};

// Makes the content of every file reach the disk. Many files on one file
// system are synced in one request; the result holds one error per file.
std::vector<SystemError> SyncTogether(std::span<TempFile* const> files);

// Makes the names given to files in the folders survive a power cut; many
// folders on one file system in one request. Some file systems cannot sync a
// folder; by then the names are in place, so that is not reported.
void SyncFolders(std::span<const std::string> folders);

// How many files this program may hold open at once.
std::size_t OpenFileLimit();

// The full path of the running program's own file, as the system knows it
// (/proc/self/exe on Linux, GetModuleFileNameW on Windows), not as argv[0]
// or the working folder would give it.
SystemError RunningProgramPath(std::string& path);

// Whether the existing file at target (symbolic links already followed) may
// be replaced: a regular file that the user may write and that nothing keeps
// from being replaced (immutable or append-only files, a sticky folder owned
// by someone else). A missing file may be created; exists tells which.
SystemError CheckReplaceable(const std::string& target, bool& exists);

// Gives the existing file a second name, newName, which must be free
// (IsNameTaken otherwise). NoHardLinks where backups are copies.
SystemError HardLink(const std::string& existing, const std::string& newName);

// An exclusive advisory lock on a folder, for programs that read, change and
// write files in it: while one holds it, the others wait.
//
// On POSIX systems every holder that can read the folder locks the folder
// itself (flock on it opened for reading): no file is made, and nothing stays
// when a holder is killed. Not everyone who may write a folder may read it,
// though (mode 0300, a drop box of mode 1733), and such a user cannot lock it
// that way. Where the folder's own permissions let that happen (a class of
// its mode bits with write and search but no read, or an access ACL, whose
// named entries the bits do not show), every holder also locks a lock file in
// it (LockFileName), always after the folder. The choice is read from the
// folder, never from the holder's own rights, so that root and a user who
// may only write the folder take one and the same lock. A holder who cannot
// read a folder that needs no lock file gets the system's refusal: it never
// goes on unlocked. The holder removes the lock file as it lets go, and one
// who locked a file that was removed meanwhile takes the lock again on the
// file of that name; a killed holder's file stays until the next holder lets
// go, the one case in which the lock leaves a file behind. A folder whose
// permissions change to write-only while a holder has it is not locked
// against that holder.
//
// On Windows a folder cannot be locked itself: every holder opens the lock
// file to be deleted on close, so it goes with its last handle, also when a
// program is killed.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Waits for the lock unless wait is false; then IsBusy tells a lock held
    // by another.
    SystemError Acquire(const std::string& folder, bool wait);
    static bool IsBusy(SystemError error);

    static constexpr std::string_view LockFileName = ".sorvane-lock";

private:
    std::intptr_t handle_ = -1;        // the lock file, where one is used
    std::intptr_t folderHandle_ = -1;  // POSIX: the folder itself, when it can be read
    std::string lockFile_;             // removed when let go, where the system does not do it
};

// A folder held open, so that the files a run makes, renames and links in it
// land in that very folder, whatever becomes of the path that led to it: a
// folder on that path swapped for a symbolic link to another folder, after
// the folder was opened, leads nothing astray. On Linux the folder is opened
// one name at a time from the root, never through a link, and its files are
// reached through the open folder (/proc/self/fd); elsewhere, and where /proc
// is not mounted, they are reached by their paths as given.
class PinnedFolder {
public:
    PinnedFolder() = default;
    ~PinnedFolder();
    PinnedFolder(const PinnedFolder&) = delete;
    PinnedFolder& operator=(const PinnedFolder&) = delete;

    // realFolder: a full path without symbolic links (as a real path has
    // none). A link met on the way is refused: IsSymbolicLink.
    SystemError Open(const std::string& realFolder);
    // The folder as the path it was opened by.
    const std::string& Folder() const { return folder_; }
    // A path that leads into the open folder itself.
    const std::string& Place() const { return place_; }

private:
    std::intptr_t handle_ = -1;
    std::string folder_;
    std::string place_;
};

// For tests: a step run just before a file takes a name in a folder (a new
// file's rename or link, a backup's link), where a test changes the folders
// on the way to it as another program could meanwhile. Nothing by default.
void SetBeforeNamingHook(std::function<void()> hook);
void RunBeforeNamingHook();

// For tests of the named temporary files: false makes TempFile give every
// new file a temporary name, as on systems without unnamed files.
void AllowUnnamedTempFiles(bool allowed);

}  // namespace sorvane::detail
