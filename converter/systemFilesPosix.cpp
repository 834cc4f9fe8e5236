// The file system layer on POSIX systems, with Linux's unnamed temporary
// files, batch syncs and file flags where they exist.
#include "systemFiles.h"
#include "tempNames.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/xattr.h>
#endif

namespace sorvane::detail {
namespace {

std::atomic<bool> UnnamedTempFilesAllowed{true};

// Once this much is written and not yet handed to the disk, it is handed
// over at once.
constexpr std::size_t WritebackStart = std::size_t{1} << 20;
// More files than this on one file system are synced with one syncfs, which
// costs one flush of the disk instead of one per file.
constexpr std::size_t FilesSyncedOneByOne = 4;

int Fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::int64_t ModifiedNanoseconds(const struct stat& info)
{
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

FileStamp StampFrom(const struct stat& info)
{
    return {{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
            static_cast<std::uint64_t>(info.st_size),
            ModifiedNanoseconds(info),
            static_cast<std::uint64_t>(info.st_nlink),
            S_ISREG(info.st_mode)};
}

SystemError LastError()
{
    return errno;
}

// Makes the call again while a signal interrupts it.
template <class Call>
auto Retrying(Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

#ifdef __linux__
// The name under which the system lets a program reach an open file.
std::string OpenFileName(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

// Whether open files can be reached by a name (OpenFileName).
bool OpenFilesHaveNames()
{
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    return procMounted;
}

// Unnamed files need O_TMPFILE and /proc to give them a name later.
bool UnnamedFilesUsable()
{
    return OpenFilesHaveNames() && UnnamedTempFilesAllowed.load();
}

// A folder's own answer to unnamed files: some file systems have none.
bool LacksUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Extended attributes the user can keep on a file; the other namespaces
// (security labels, trusted.*) belong to the system and are copied only
// where it allows.
bool MustKeepAttribute(std::string_view name)
{
    return name.starts_with("user.") || name.starts_with("system.posix_acl_");
}

// Fills text with what fetch(buffer, size) gives, asking fetch(nullptr, 0)
// for the size first, and again when it grew meanwhile (ERANGE).
template <class Fetch>
SystemError FetchSized(std::string& text, Fetch fetch)
{
    for (;;) {
        const ssize_t size = fetch(nullptr, 0);
        if (size < 0)
            return LastError();
        text.resize(static_cast<std::size_t>(size));
        if (size == 0)
            return NoError;
        const ssize_t got = fetch(text.data(), text.size());
        if (got >= 0) {
            text.resize(static_cast<std::size_t>(got));
            return NoError;
        }
        if (errno != ERANGE)
            return LastError();
    }
}

SystemError CopyAttribute(const std::string& from, const char* name, int toFd)
{
    std::string value;
    if (const SystemError error = FetchSized(
            value, [&](char* buffer, std::size_t size) { return ::getxattr(from.c_str(), name, buffer, size); }))
        return error;
    return ::fsetxattr(toFd, name, value.data(), value.size(), 0) == 0 ? NoError : LastError();
}

SystemError CopyAttributes(const std::string& from, int toFd)
{
    // The names, each ending in NUL.
    std::string names;
    const SystemError listed = FetchSized(
        names, [&](char* buffer, std::size_t size) { return ::listxattr(from.c_str(), buffer, size); });
    if (listed)
        return listed == ENOTSUP ? NoError : listed;
    for (std::size_t start = 0; start < names.size();) {
        const char* name = names.c_str() + start;
        start += std::strlen(name) + 1;
        const SystemError error = CopyAttribute(from, name, toFd);
        if (error && error != ENODATA && MustKeepAttribute(name))
            return error;
    }
    return NoError;
}

#else
SystemError CopyAttributes(const std::string&, int)
{
    return NoError;
}
#endif

// What decides whether a file may be replaced.
struct ReplaceFacts {
    mode_t mode = 0;
    uid_t owner = 0;
    bool locked = false;  // immutable or append-only: not even root may replace it
};

SystemError ReadReplaceFacts(const std::string& target, ReplaceFacts& facts)
{
#ifdef STATX_ATTR_IMMUTABLE
    struct statx info {};
    if (::statx(AT_FDCWD, target.c_str(), 0, STATX_TYPE | STATX_MODE | STATX_UID, &info) != 0)
        return LastError();
    facts = {info.stx_mode, info.stx_uid,
             (info.stx_attributes & info.stx_attributes_mask & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0};
#else
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return LastError();
    facts = {info.st_mode, info.st_uid, false};
#endif
    return NoError;
}

// A program killed in the moment between naming its new file and renaming
// it leaves the name behind. The first write of a run into a folder removes
// such names of programs that no longer run (a live one may be in that very
// moment).
void RemoveLeftoverTempFiles(const std::string& folder)
{
    static std::mutex clearedGuard;  // a batch places files on a thread of its own
    // By real path: one folder has many paths (a PinnedFolder's among them),
    // and its identity is no key either, as that of a folder removed during
    // the run may come back for a new folder elsewhere.
    static std::set<std::string> cleared;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr), &std::free);
    if (!real)
        return;
    {
        const std::lock_guard lock(clearedGuard);
        if (!cleared.emplace(real.get()).second)
            return;
    }
    DIR* entries = ::opendir(folder.c_str());
    if (entries == nullptr)
        return;
    while (const dirent* entry = ::readdir(entries)) {
        const long owner = TempFileOwner(entry->d_name);
        if (owner > 0 && ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH)
            (void)::unlinkat(::dirfd(entries), entry->d_name, 0);
    }
    ::closedir(entries);
}

// In a folder with the sticky bit (such as /tmp) only the owner of a file or
// of the folder may remove or replace it.
SystemError CheckStickyFolder(const std::string& target, uid_t owner)
{
    const uid_t user = ::geteuid();
    if (user == 0 || owner == user)
        return NoError;
    struct stat folder {};
    if (::stat(FolderOf(target).c_str(), &folder) != 0)
        return NoError;
    return (folder.st_mode & S_ISVTX) == 0 || folder.st_uid == user ? NoError : EPERM;
}

}  // namespace

std::string ReasonText(SystemError error)
{
    return error < 0 ? OwnReasonText(error) : std::strerror(error);
}

bool IsNameTaken(SystemError error)
{
    return error == EEXIST;
}
bool IsMissing(SystemError error)
{
    return error == ENOENT;
}

SystemError StampOf(const std::string& path, FileStamp& stamp, LinkRule links)
{
    struct stat info {};
    const int result = links == LinkRule::Follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (result != 0)
        return LastError();
    stamp = StampFrom(info);
    return NoError;
}

// ------------------------------------------------------------- InputFile --

InputFile::~InputFile()
{
    if (handle_ >= 0)
        ::close(Fd(handle_));
}

SystemError InputFile::Open(const std::string& path, LinkRule links)
{
    const int noFollow = links == LinkRule::Refuse ? O_NOFOLLOW : 0;
    const int fd = Retrying(
        [&] { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | noFollow); });
    if (fd < 0)
        return noFollow != 0 && errno == ELOOP ? IsSymbolicLink : LastError();
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return LastError();
    stamp_ = StampFrom(info);
    if (!stamp_.regular)
        return S_ISDIR(info.st_mode) ? EISDIR : NotRegularFile;
    return NoError;
}

SystemError InputFile::OwnedByUserOrOwnerOf(const std::string& otherPath, bool& owned) const
{
    struct stat mine {};
    if (::fstat(Fd(handle_), &mine) != 0)
        return LastError();
    owned = mine.st_uid == ::geteuid();
    struct stat other {};
    if (!owned && ::stat(otherPath.c_str(), &other) == 0)
        owned = mine.st_uid == other.st_uid;
    return NoError;
}

SystemError InputFile::ReadNext(char* into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = Retrying([&] { return ::read(Fd(handle_), into + done, size - done); });
        if (got < 0)
            return LastError();
        if (got == 0)
            return ChangedWhileRead;
        done += static_cast<std::size_t>(got);
    }
    return NoError;
}

SystemError InputFile::ReadEnd()
{
    char extra = 0;
    const ssize_t beyond = Retrying([&] { return ::read(Fd(handle_), &extra, 1); });
    if (beyond < 0)
        return LastError();
    return beyond == 0 ? NoError : ChangedWhileRead;
}

SystemError InputFile::Rewind()
{
    return ::lseek(Fd(handle_), 0, SEEK_SET) == 0 ? NoError : LastError();
}

// -------------------------------------------------------------- TempFile --

TempFile::~TempFile()
{
    if (handle_ >= 0)
        ::close(Fd(handle_));
    if (!name_.empty())
        ::unlink(name_.c_str());
    Forget();
}

void TempFile::Forget()
{
    entry_.Forget();
    name_.clear();
}

SystemError TempFile::Create(const std::string& folder)
{
    RemoveLeftoverTempFiles(folder);
#ifdef __linux__
    if (UnnamedFilesUsable()) {
        // 0666 lets the umask decide the bits of a file that is new to the user.
        const int fd = Retrying([&] { return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666); });
        if (fd >= 0) {
            handle_ = fd;
            struct stat info {};
            (void)::fstat(fd, &info);
            device_ = static_cast<std::uint64_t>(info.st_dev);
            return NoError;
        }
        if (!LacksUnnamedFiles(errno))
            return LastError();
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = (folder == "/" ? "" : folder) + "/" + TempFileName();
        entry_ = TempNameEntry(name);  // listed before it exists: an interrupt may come at any time
        const int fd = Retrying([&] { return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); });
        if (fd >= 0) {
            handle_ = fd;
            name_ = name;
            struct stat info {};
            (void)::fstat(fd, &info);
            device_ = static_cast<std::uint64_t>(info.st_dev);
            return NoError;
        }
        const SystemError error = LastError();
        entry_.Forget();
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

SystemError TempFile::Write(std::string_view bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        // One call may take any size; a gigabyte at a time keeps it portable.
        const ssize_t written = Retrying(
            [&] { return ::write(Fd(handle_), data, std::min<std::size_t>(left, std::size_t{1} << 30)); });
        if (written < 0)
            return LastError();
        if (written == 0)
            return EIO;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    StartWriteback(bytes.size());
    return NoError;
}

// Hands what was written to the disk at once, so that the disk works while
// the rest of a large file is produced and the closing sync has little left
// to do. Small files are better left to one sync of many. The bytes are
// counted across writes: a large file is often written a buffer at a time,
// each a little under the threshold.
void TempFile::StartWriteback(std::size_t size)
{
    written_ += size;
#ifdef SYNC_FILE_RANGE_WRITE
    if (const std::uint64_t pending = written_ - handedOver_; pending >= WritebackStart) {
        (void)::sync_file_range(Fd(handle_), static_cast<off_t>(handedOver_), static_cast<off_t>(pending),
                                SYNC_FILE_RANGE_WRITE);
        handedOver_ = written_;
    }
#endif
}

SystemError TempFile::TakeMetadataOf(const std::string& original)
{
    struct stat info {};
    if (::stat(original.c_str(), &info) != 0)
        return errno == ENOENT ? NoError : LastError();
    const int fd = Fd(handle_);
    // Only the superuser may give a file away; anyone else keeps at least the
    // file's group where they belong to it, so a shared group keeps access.
    if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid()) && ::fchown(fd, info.st_uid, info.st_gid) != 0)
        (void)!::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    // After the owner: changing the owner clears the set-user-ID bits.
    if (::fchmod(fd, info.st_mode & 07777) != 0)
        return LastError();
    return CopyAttributes(original, fd);
}

SystemError TempFile::Sync()
{
    return ::fsync(Fd(handle_)) == 0 ? NoError : LastError();
}

SystemError TempFile::Replace(const std::string& target)
{
    RunBeforeNamingHook();
#ifdef __linux__
    if (name_.empty()) {
        // The file gets a name just before the rename, so only this short
        // moment could leave it behind.
        const std::string folder = FolderOf(target);
        for (int attempt = 0; attempt < 100 && name_.empty(); ++attempt) {
            const std::string name = folder + "/" + TempFileName();
            entry_ = TempNameEntry(name);
            if (::linkat(AT_FDCWD, OpenFileName(Fd(handle_)).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                name_ = name;
                continue;
            }
            const SystemError error = LastError();
            entry_.Forget();
            if (error != EEXIST)
                return error;
        }
        if (name_.empty())
            return EEXIST;
    }
#endif
    if (::rename(name_.c_str(), target.c_str()) != 0)
        return LastError();
    Forget();
    return NoError;
}

SystemError TempFile::PlaceNew(const std::string& target)
{
    RunBeforeNamingHook();
#ifdef __linux__
    if (name_.empty())
        return ::linkat(AT_FDCWD, OpenFileName(Fd(handle_)).c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0
                   ? NoError
                   : LastError();
#endif
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        Forget();
        return NoError;
    }
    if (errno != EINVAL && errno != ENOSYS)
        return LastError();  // else the file system lacks it
#endif
    // The link fails when the name is taken; the temporary name goes with
    // the object.
    return ::link(name_.c_str(), target.c_str()) == 0 ? NoError : LastError();
}

std::vector<SystemError> SyncTogether(std::span<TempFile* const> files)
{
    std::vector<SystemError> errors(files.size(), NoError);
    std::map<std::uint64_t, std::vector<std::size_t>> byDevice;
    for (std::size_t i = 0; i < files.size(); ++i)
        byDevice[files[i]->Device()].push_back(i);
    for (const auto& [device, members] : byDevice) {
#ifdef __linux__
        if (members.size() > FilesSyncedOneByOne && ::syncfs(Fd(files[members.front()]->Handle())) == 0)
            continue;
            // One by one also tells which file failed when the batch sync did.
#endif
        for (const std::size_t i : members)
            errors[i] = files[i]->Sync();
    }
    return errors;
}

void SyncFolders(std::span<const std::string> folders)
{
    std::map<std::uint64_t, std::vector<int>> byDevice;
    for (const std::string& folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0)
            byDevice[static_cast<std::uint64_t>(info.st_dev)].push_back(fd);
        else if (fd >= 0)
            ::close(fd);
    }
    for (const auto& [device, fds] : byDevice) {
#ifdef __linux__
        const bool together = fds.size() > FilesSyncedOneByOne && ::syncfs(fds.front()) == 0;
#else
        const bool together = false;
#endif
        for (const int fd : fds) {
            if (!together)
                (void)::fsync(fd);
            ::close(fd);
        }
    }
}

std::size_t OpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1024;
    return static_cast<std::size_t>(limit.rlim_cur);
}

SystemError RunningProgramPath(std::string& path)
{
    // readlink does not say whether it had to cut the name short: a name
    // that fills the buffer is read again into a bigger one.
    std::string name(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", name.data(), name.size());
        if (length < 0)
            return errno;
        if (static_cast<std::size_t>(length) < name.size()) {
            name.resize(static_cast<std::size_t>(length));
            path = std::move(name);
            return NoError;
        }
        name.resize(name.size() * 2);
    }
}

SystemError CheckReplaceable(const std::string& target, bool& exists)
{
    ReplaceFacts facts;
    const SystemError error = ReadReplaceFacts(target, facts);
    exists = !error;
    if (error)
        return IsMissing(error) ? NoError : error;
    if (S_ISDIR(facts.mode))
        return EISDIR;
    if (!S_ISREG(facts.mode))
        return NotRegularFile;
    if (facts.locked)
        return EPERM;
    if (::access(target.c_str(), W_OK) != 0)
        return LastError();
    return CheckStickyFolder(target, facts.owner);
}

SystemError HardLink(const std::string& existing, const std::string& newName)
{
    RunBeforeNamingHook();
    return ::link(existing.c_str(), newName.c_str()) == 0 ? NoError : LastError();
}

// ---------------------------------------------------------- PinnedFolder --

PinnedFolder::~PinnedFolder()
{
    if (handle_ >= 0)
        ::close(Fd(handle_));
}

namespace {

// Opens the folder name in the folder at, never through a link. O_PATH asks
// for no right on the folder itself: one that may be written and not read
// (mode 0300) opens too.
int OpenFolderIn(int at, const char* name)
{
    return Retrying([&] { return ::openat(at, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); });
}

// Why a name on the way could not be opened as a folder: a link in its
// place is told as such.
SystemError WhyNoFolder(int at, const char* name)
{
    const SystemError error = LastError();
    struct stat info {};
    if ((error == ENOTDIR || error == ELOOP) && ::fstatat(at, name, &info, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISLNK(info.st_mode))
        return IsSymbolicLink;
    return error;
}

}  // namespace

SystemError PinnedFolder::Open(const std::string& realFolder)
{
    folder_ = place_ = realFolder;
#ifdef __linux__
    if (realFolder.empty() || realFolder.front() != '/' || !OpenFilesHaveNames())
        return NoError;
    int fd = OpenFolderIn(AT_FDCWD, "/");
    for (std::size_t start = 1; fd >= 0 && start < realFolder.size();) {
        const std::size_t end = std::min(realFolder.find('/', start), realFolder.size());
        const std::string name = realFolder.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".")
            continue;
        const int next = OpenFolderIn(fd, name.c_str());
        const SystemError error = next < 0 ? WhyNoFolder(fd, name.c_str()) : NoError;
        ::close(fd);
        if (error)
            return error;
        fd = next;
    }
    if (fd < 0)
        return LastError();
    handle_ = fd;
    place_ = OpenFileName(fd);
#endif
    return NoError;
}

// ------------------------------------------------------------ FolderLock --

FolderLock::~FolderLock()
{
    if (handle_ >= 0) {
        // Removed while still locked: whoever waits for it finds it gone.
        (void)::unlink(lockFile_.c_str());
        ::close(Fd(handle_));
    }
    if (folderHandle_ >= 0)
        ::close(Fd(folderHandle_));
}

namespace {

// Whether the folder carries an access ACL: then its group bits are only a
// mask, and a named user or group may write it without reading it.
SystemError HasAccessAcl(int folderFd, const std::string& folder, bool& has)
{
#ifdef __linux__
    constexpr const char* Name = "system.posix_acl_access";
    const ssize_t size = folderFd >= 0 ? ::fgetxattr(folderFd, Name, nullptr, 0)
                                       : ::getxattr(folder.c_str(), Name, nullptr, 0);
    has = size >= 0;
    if (size < 0 && errno != ENODATA && errno != ENOTSUP && errno != ENOSYS)
        return LastError();
#else
    has = true;  // unknown here: every holder takes the lock file as well
#endif
    return NoError;
}

// Whether someone who may write the folder (write and search) may not read
// it, so that not every writer can lock the folder itself.
bool LetsWritersNotRead(mode_t mode)
{
    for (const mode_t read : {S_IRUSR, S_IRGRP, S_IROTH}) {
        const mode_t writeAndSearch = (read >> 1) | (read >> 2);
        if ((mode & read) == 0 && (mode & writeAndSearch) == writeAndSearch)
            return true;
    }
    return false;
}

// Opens the folder to lock it, when it can be read (folderFd -1 otherwise),
// and tells whether its holders need the lock file as well.
SystemError OpenFolderToLock(const std::string& folder, int& folderFd, bool& needsLockFile)
{
    folderFd = Retrying([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY); });
    const SystemError openError = folderFd >= 0 ? NoError : LastError();
    if (openError && openError != EACCES)
        return openError;
    struct stat info {};
    bool hasAcl = false;
    SystemError error = (folderFd >= 0 ? ::fstat(folderFd, &info) : ::stat(folder.c_str(), &info)) == 0
                            ? HasAccessAcl(folderFd, folder, hasAcl)
                            : LastError();
    needsLockFile = hasAcl || LetsWritersNotRead(info.st_mode);
    if (!error && openError && !needsLockFile)
        error = openError;  // no writer locks the file here: there is no lock this holder can take
    if (error && folderFd >= 0)
        ::close(folderFd);
    return error;
}

// Opens the lock file, making it when there is none; never through a link,
// and never anything but a regular file. Opened for reading only, which
// flock needs no more than, so that other users' programs may open it too.
SystemError OpenLockFile(const std::string& path, int& fd, struct stat& opened)
{
    fd = Retrying([&] {
        return ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0444);
    });
    if (fd < 0)
        return errno == ELOOP ? IsSymbolicLink : LastError();
    SystemError error = ::fstat(fd, &opened) == 0 ? NoError : LastError();
    if (!error && !S_ISREG(opened.st_mode))
        error = NotRegularFile;
    // A umask of 077 would keep the others' programs out.
    if (!error && opened.st_uid == ::geteuid() && (opened.st_mode & 0444) != 0444)
        (void)::fchmod(fd, 0444);
    if (error)
        ::close(fd);
    return error;
}

SystemError Flock(int fd, bool wait)
{
    return Retrying([&] { return ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)); }) == 0 ? NoError : LastError();
}

// Locks the lock file at path; fd holds it then.
SystemError LockFileAt(const std::string& path, bool wait, int& fd)
{
    for (;;) {
        struct stat opened {};
        if (const SystemError error = OpenLockFile(path, fd, opened))
            return error;
        if (const SystemError error = Flock(fd, wait)) {
            ::close(fd);
            return error;
        }
        // The holder before may have removed the file between its opening
        // and its locking here: then the lock is on a file no one else sees.
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            return NoError;
        ::close(fd);
    }
}

}  // namespace

SystemError FolderLock::Acquire(const std::string& folder, bool wait)
{
    int folderFd = -1;
    bool needsLockFile = false;
    if (const SystemError error = OpenFolderToLock(folder, folderFd, needsLockFile))
        return error;
    SystemError error = folderFd >= 0 ? Flock(folderFd, wait) : NoError;
    const std::string path = (folder == "/" ? "" : folder) + "/" + std::string(LockFileName);
    int fileFd = -1;
    if (!error && needsLockFile)
        error = LockFileAt(path, wait, fileFd);
    if (error) {
        if (folderFd >= 0)
            ::close(folderFd);
        return error;
    }
    folderHandle_ = folderFd;
    handle_ = fileFd;
    if (fileFd >= 0)
        lockFile_ = path;
    return NoError;
}

bool FolderLock::IsBusy(SystemError error)
{
    return error == EWOULDBLOCK;
}

void AllowUnnamedTempFiles(bool allowed)
{
    UnnamedTempFilesAllowed = allowed;
}

}  // namespace sorvane::detail
