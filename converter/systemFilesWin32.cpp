// The file system layer on Windows. New files are named temporary files
// beside their target; ReplaceFileW puts them in place and carries the old
// file's attributes, ACL and streams over to the new one. Only the UTF-16
// ("W") functions are called: paths are UTF-8 here and reach the system
// through SystemPath, so every name works and none is mapped to another.
#include "nativePath.h"
#include "systemFiles.h"
#include "tempNames.h"
#include "windowsApi.h"

#include <aclapi.h>

#include <algorithm>
#include <vector>

namespace sorvane::detail {
namespace {

// One ReadFile or WriteFile call moves at most this many bytes.
constexpr std::size_t CallChunk = std::size_t{1} << 30;
// How long an opener waits for a lock file that is being deleted by its last
// holder before it gives up: opens fail while the deletion is pending.
constexpr int LockFileOpenAttempts = 200;

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}
std::intptr_t FromHandle(HANDLE handle)
{
    return reinterpret_cast<std::intptr_t>(handle);
}
constexpr std::intptr_t NoHandle = -1;  // INVALID_HANDLE_VALUE

SystemError LastError()
{
    return static_cast<SystemError>(GetLastError());
}

std::wstring Wide(std::string_view utf8)
{
    const std::u16string utf16 = Utf16Of(utf8);
    return {utf16.begin(), utf16.end()};
}

// The full form of a path, as the system resolves "." and ".." and the
// current folder; the path itself where that fails.
std::wstring FullPathOf(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

// The longest path that every call takes as it is: a folder to be created
// leaves room for an 8.3 name in it (MAX_PATH - 12).
constexpr std::size_t LongestPlainPath = MAX_PATH - 12;

// The path as the system's UTF-16 functions take it. A longer path than they
// take by default is made full and given the "\\?\" form (\\?\C:\... or
// \\?\UNC\server\share\...), which has no such limit; a path in that form or
// a device path (\\.\) goes as it is.
std::wstring SystemPath(const std::string& path)
{
    const std::wstring wide = Wide(path);
    if (wide.size() < LongestPlainPath || wide.starts_with(LR"(\\?\)") || wide.starts_with(LR"(\\.\)"))
        return wide;
    const std::wstring full = FullPathOf(wide);
    return full.starts_with(LR"(\\)") ? LR"(\\?\UNC)" + full.substr(1) : LR"(\\?\)" + full;
}

FileStamp StampFrom(const BY_HANDLE_FILE_INFORMATION& info)
{
    FileStamp stamp;
    stamp.identity = {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
    stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32)
                                               | info.ftLastWriteTime.dwLowDateTime);
    stamp.links = info.nNumberOfLinks;
    stamp.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return stamp;
}

SystemError StampOfHandle(HANDLE handle, FileStamp& stamp)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return LastError();
    stamp = StampFrom(info);
    if (GetFileType(handle) != FILE_TYPE_DISK)
        stamp.regular = false;
    return NoError;
}

// Opens the file or folder at path for its information only; with
// LinkRule::Refuse a reparse point at path is opened itself.
HANDLE OpenForInformation(const std::string& path, LinkRule links = LinkRule::Follow)
{
    const DWORD noFollow = links == LinkRule::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
    return CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | noFollow, nullptr);
}

}  // namespace

std::string ReasonText(SystemError error)
{
    if (error < 0)
        return OwnReasonText(error);
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string reason = length > 0 ? Utf8Of(std::u16string(text, text + length)) : "Error " + std::to_string(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

bool IsNameTaken(SystemError error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}
bool IsMissing(SystemError error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

SystemError StampOf(const std::string& path, FileStamp& stamp, LinkRule links)
{
    const HANDLE handle = OpenForInformation(path, links);
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    const SystemError error = StampOfHandle(handle, stamp);
    CloseHandle(handle);
    return error;
}

// ------------------------------------------------------------- InputFile --

InputFile::~InputFile()
{
    if (handle_ != NoHandle)
        CloseHandle(AsHandle(handle_));
}

SystemError InputFile::Open(const std::string& path, LinkRule links)
{
    // A reparse point opened as itself is not followed, and tells what it is.
    const DWORD noFollow = links == LinkRule::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
    const HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN | noFollow, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    handle_ = FromHandle(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (noFollow != 0 && GetFileInformationByHandle(handle, &info)
        && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return IsSymbolicLink;
    if (const SystemError error = StampOfHandle(handle, stamp_))
        return error;
    return stamp_.regular ? NoError : NotRegularFile;
}

namespace {

// The user of the program's token (and the owner it gives new files, which
// for an administrator is the Administrators group), for comparing owners.
bool IsTokenOwner(PSID owner)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    bool same = false;
    for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
        DWORD size = 0;
        (void)GetTokenInformation(token, kind, nullptr, 0, &size);
        std::vector<unsigned char> buffer(size);
        if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size))
            continue;
        const PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                           : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
        same = same || EqualSid(owner, sid);
    }
    CloseHandle(token);
    return same;
}

}  // namespace

SystemError InputFile::OwnedByUserOrOwnerOf(const std::string& otherPath, bool& owned) const
{
    PSID mine = nullptr;
    PSECURITY_DESCRIPTOR mineDescriptor = nullptr;
    const DWORD error = GetSecurityInfo(AsHandle(handle_), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &mine, nullptr,
                                        nullptr, nullptr, &mineDescriptor);
    if (error != ERROR_SUCCESS)
        return static_cast<SystemError>(error);
    owned = IsTokenOwner(mine);
    PSID other = nullptr;
    PSECURITY_DESCRIPTOR otherDescriptor = nullptr;
    std::wstring otherName = SystemPath(otherPath);
    if (!owned
        && GetNamedSecurityInfoW(otherName.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &other, nullptr, nullptr,
                                 nullptr, &otherDescriptor)
               == ERROR_SUCCESS) {
        owned = EqualSid(mine, other) != FALSE;
        LocalFree(otherDescriptor);
    }
    LocalFree(mineDescriptor);
    return NoError;
}

SystemError InputFile::ReadNext(char* into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile(AsHandle(handle_), into + done, static_cast<DWORD>(std::min(size - done, CallChunk)), &got,
                      nullptr))
            return LastError();
        if (got == 0)
            return ChangedWhileRead;
        done += got;
    }
    return NoError;
}

SystemError InputFile::ReadEnd()
{
    char extra = 0;
    DWORD beyond = 0;
    if (!ReadFile(AsHandle(handle_), &extra, 1, &beyond, nullptr))
        return LastError();
    return beyond == 0 ? NoError : ChangedWhileRead;
}

SystemError InputFile::Rewind()
{
    LARGE_INTEGER start{};
    return SetFilePointerEx(AsHandle(handle_), start, nullptr, FILE_BEGIN) ? NoError : LastError();
}

// -------------------------------------------------------------- TempFile --

TempFile::~TempFile()
{
    if (handle_ != NoHandle)
        CloseHandle(AsHandle(handle_));
    if (!name_.empty())
        DeleteFileW(name_.c_str());
    Forget();
}

void TempFile::Forget()
{
    entry_.Forget();
    name_.clear();
}

SystemError TempFile::Create(const std::string& folder)
{
    const std::string prefix = folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder : folder + "\\";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = SystemPath(prefix + TempFileName());
        entry_ = TempNameEntry(name);  // listed before it exists: an interrupt may come at any time
        const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = FromHandle(handle);
            name_ = name;
            FileStamp stamp;
            if (StampOfHandle(handle, stamp) == NoError)
                device_ = stamp.identity.device;
            return NoError;
        }
        const SystemError error = LastError();
        entry_.Forget();
        if (!IsNameTaken(error))
            return error;
    }
    return ERROR_FILE_EXISTS;
}

SystemError TempFile::Write(std::string_view bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), data, static_cast<DWORD>(std::min(left, CallChunk)), &written, nullptr))
            return LastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        data += written;
        left -= written;
    }
    StartWriteback(bytes.size());
    return NoError;
}

void TempFile::StartWriteback(std::size_t size)
{
    written_ += size;
}

// ReplaceFileW carries the attributes, ACL and streams of the old file over.
SystemError TempFile::TakeMetadataOf(const std::string&)
{
    return NoError;
}

SystemError TempFile::Sync()
{
    return FlushFileBuffers(AsHandle(handle_)) ? NoError : LastError();
}

// ReplaceFileW refuses a bare file name on some systems (Wine among them):
// it is given the full path of both files.
SystemError TempFile::Replace(const std::string& target)
{
    RunBeforeNamingHook();
    CloseHandle(AsHandle(handle_));  // ReplaceFileW and MoveFileExW need the file closed
    handle_ = NoHandle;
    const std::wstring targetPath = SystemPath(target);
    const bool targetExists = GetFileAttributesW(targetPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    const bool replaced = targetExists ? ReplaceFileW(FullPathOf(targetPath).c_str(), FullPathOf(name_).c_str(),
                                                      nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                             != 0
                                       : MoveFileExW(name_.c_str(), targetPath.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!replaced)
        return LastError();
    Forget();
    return NoError;
}

SystemError TempFile::PlaceNew(const std::string& target)
{
    RunBeforeNamingHook();
    CloseHandle(AsHandle(handle_));
    handle_ = NoHandle;
    if (!MoveFileExW(name_.c_str(), SystemPath(target).c_str(), MOVEFILE_WRITE_THROUGH))
        return LastError();
    Forget();
    return NoError;
}

std::vector<SystemError> SyncTogether(std::span<TempFile* const> files)
{
    std::vector<SystemError> errors;
    errors.reserve(files.size());
    for (TempFile* file : files)
        errors.push_back(file->Sync());
    return errors;
}

// MOVEFILE_WRITE_THROUGH has made the new names durable already.
void SyncFolders(std::span<const std::string>) {}

// Handles have no small limit here; this keeps a batch of pages moderate.
std::size_t OpenFileLimit()
{
    return 2048;
}

SystemError RunningProgramPath(std::string& path)
{
    // A name that fills the buffer was cut short: read it again into a
    // bigger one (paths may be longer than MAX_PATH).
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return LastError();
        if (length < name.size()) {
            name.resize(length);
            path = PathBytes(std::filesystem::path(name));
            return NoError;
        }
        name.resize(name.size() * 2);
    }
}

SystemError CheckReplaceable(const std::string& target, bool& exists)
{
    const std::wstring targetPath = SystemPath(target);
    const DWORD attributes = GetFileAttributesW(targetPath.c_str());
    exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        const SystemError error = LastError();
        return IsMissing(error) ? NoError : error;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return ERROR_ACCESS_DENIED;
    // Opening for deletion fails as the final replacement would where another
    // program holds the file open without letting others delete it.
    const HANDLE handle = CreateFileW(targetPath.c_str(), DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    FileStamp stamp;
    const SystemError error = StampOfHandle(handle, stamp);
    CloseHandle(handle);
    if (error)
        return error;
    return stamp.regular ? NoError : NotRegularFile;
}

// Backups are copies here: ReplaceFileW merges the old file's identity into
// the new one, and its documentation does not promise that another name of
// the old file keeps the old content.
SystemError HardLink(const std::string&, const std::string&)
{
    return NoHardLinks;
}

// ------------------------------------------------------------ FolderLock --

FolderLock::~FolderLock()
{
    if (handle_ != NoHandle)
        CloseHandle(AsHandle(handle_));
}

// A folder cannot be locked itself: every holder opens one hidden file in it
// to be deleted on close, so it vanishes with the last handle, also when a
// program is killed, and never holds a stale name.
SystemError FolderLock::Acquire(const std::string& folder, bool wait)
{
    const std::wstring lockPath = SystemPath(
        folder + (folder.empty() || folder.back() == '\\' || folder.back() == '/' ? "" : "\\") + ".sorvane-lock");
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; handle == INVALID_HANDLE_VALUE; ++attempt) {
        handle = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            break;
        const SystemError error = LastError();
        if (error != ERROR_ACCESS_DENIED || attempt == LockFileOpenAttempts)
            return error;
        Sleep(5);  // the last holder's file is being deleted
    }
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!LockFileEx(handle, flags, 0, 1, 0, &whole)) {
        const SystemError error = LastError();
        CloseHandle(handle);
        return error;
    }
    handle_ = FromHandle(handle);
    return NoError;
}

bool FolderLock::IsBusy(SystemError error)
{
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING;
}

// Windows has no unnamed files: every temporary file is named.
void AllowUnnamedTempFiles(bool) {}

// The files of a folder are reached by their paths here.
PinnedFolder::~PinnedFolder() = default;

SystemError PinnedFolder::Open(const std::string& realFolder)
{
    folder_ = place_ = realFolder;
    return NoError;
}

}  // namespace sorvane::detail
