// Reading whole files, and writing them so that an interruption at any moment
// leaves either the old or the new file, never a mix: the new content goes to
// a fresh file beside the target, reaches the disk, and only then takes the
// target's name.
#include "converterInternals.h"
#include "nativePath.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sorvane {
namespace fs = std::filesystem;

namespace {

// Largest amount handed to one write call; any size is fine for the loop.
constexpr std::size_t WriteChunk = std::size_t{1} << 30;
// Small pieces are gathered up to this size before they are written.
constexpr std::size_t WriteBuffer = std::size_t{1} << 20;

#ifdef _WIN32
int OpenNewFile(const std::string& path)
{
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
}
long WriteSome(int fd, const char* data, std::size_t size)
{
    return _write(fd, data, static_cast<unsigned>(std::min(size, WriteChunk)));
}
bool SyncAndClose(int fd) { return (_commit(fd) == 0) & (_close(fd) == 0); }
void CloseQuietly(int fd) { _close(fd); }
bool IsWritable(const fs::path& path) { return _access(PathBytes(path).c_str(), 2) == 0; }
#else
int OpenNewFile(const std::string& path)
{
    // 0666 lets the umask decide the bits of a file that is new to the user.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long WriteSome(int fd, const char* data, std::size_t size)
{
    return ::write(fd, data, std::min(size, WriteChunk));
}
bool SyncAndClose(int fd) { return (::fsync(fd) == 0) & (::close(fd) == 0); }
void CloseQuietly(int fd) { ::close(fd); }
bool IsWritable(const fs::path& path) { return ::access(path.c_str(), W_OK) == 0; }

// Makes a rename in the folder survive a power cut. Some file systems refuse
// to sync a folder; the rename itself has happened by then, so that is no
// reason to report a failure.
void SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}
#endif

std::string RandomSuffix()
{
    static std::mt19937_64 generator{std::random_device{}()};
    static constexpr std::string_view Letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, Letters.size() - 1);
    std::string suffix(10, ' ');
    for (char& c : suffix) c = Letters[pick(generator)];
    return suffix;
}

enum class Placement { Done, NameTaken, Failed };

fs::path FolderOf(const fs::path& file)
{
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// The file a write to path must replace: symbolic links are followed so that
// the link stays and the file it points to gets the new content.
fs::path ResolveLinks(const std::string& path)
{
    fs::path current = NativePath(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) return current;
        const fs::path target = fs::read_symlink(current, error);
        if (error) break;
        current = target.is_absolute() ? target : FolderOf(current) / target;
    }
    throw FileError(FileError::Kind::Create, path);
}

// Only a regular file the user may write is replaced: a read-only file keeps
// its protection, and a folder or device is never swapped for a file.
bool MayReplace(const fs::path& target)
{
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    if (status.type() == fs::file_type::not_found) return true;
    return !error && fs::is_regular_file(status) && IsWritable(target);
}

}  // namespace

// A new file with a unique name in a given folder. Unless it has been moved
// to its final name, it is deleted when the object goes away, so a failed
// write leaves nothing behind.
class detail::TempFile {
public:
    explicit TempFile(const fs::path& folder)
    {
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            path_ = PathBytes(folder / (".sorvane-" + RandomSuffix() + ".tmp"));
            fd_ = OpenNewFile(path_);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0) path_.clear();
    }
    ~TempFile()
    {
        if (fd_ >= 0) CloseQuietly(fd_);
        if (!path_.empty()) std::remove(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    bool Write(std::string_view bytes)
    {
        const char* data = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const long written = WriteSome(fd_, data, left);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            data += written;
            left -= static_cast<std::size_t>(written);
        }
        StartWriteback(bytes.size());
        return true;
    }

    // Gives the new file the owner and permission bits of an existing file;
    // a file that does not exist leaves the bits of a newly created file.
    bool TakePermissionsOf(const fs::path& original)
    {
#ifdef _WIN32
        (void)original;  // ReplaceFile carries the old file's attributes over
        return true;
#else
        struct stat info {};
        if (::stat(original.c_str(), &info) != 0) return errno == ENOENT;
        // Only the superuser may give a file away; anyone else becomes its
        // owner, as with any program that saves by renaming.
        if (info.st_uid != ::geteuid() || info.st_gid != ::getegid())
            (void)!::fchown(fd_, info.st_uid, info.st_gid);
        return ::fchmod(fd_, info.st_mode & 07777) == 0;
#endif
    }

    bool Finish()
    {
        const bool synced = SyncAndClose(fd_);
        fd_ = -1;
        return synced;
    }

    bool ReplaceTarget(const fs::path& target)
    {
#ifdef _WIN32
        std::error_code error;
        // Wine's ReplaceFile fails on a bare file name (no folder part) where
        // Windows's does not; a full path suits both.
        const std::string targetBytes = PathBytes(fs::absolute(target, error));
        const bool replaced = fs::exists(target, error)
            ? ReplaceFileA(targetBytes.c_str(), path_.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
            : MoveFileExA(path_.c_str(), targetBytes.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        if (!replaced) return false;
#else
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        SyncFolder(FolderOf(target));
#endif
        path_.clear();
        return true;
    }

    // Gives the file the target's name unless that name is taken meanwhile.
    Placement PlaceAsNew(const fs::path& target)
    {
#ifdef _WIN32
        if (!MoveFileExA(path_.c_str(), PathBytes(target).c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = GetLastError();
            return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Placement::NameTaken
                                                                                : Placement::Failed;
        }
        path_.clear();
        return Placement::Done;
#else
        if (LinkWithoutReplacing(target) != 0) return errno == EEXIST ? Placement::NameTaken : Placement::Failed;
        SyncFolder(FolderOf(target));
        return Placement::Done;
#endif
    }

private:
    // Hands what was just written to the disk at once, so that the disk works
    // while the rest is produced and the closing sync has little left to do.
    void StartWriteback(std::size_t size)
    {
#ifdef SYNC_FILE_RANGE_WRITE
        if (size > 0)
            (void)::sync_file_range(fd_, static_cast<off_t>(written_), static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
#endif
        written_ += size;
    }

#ifndef _WIN32
    // Links the file under the target name, failing if that name exists.
    int LinkWithoutReplacing(const fs::path& target)
    {
#ifdef RENAME_NOREPLACE
        if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
            path_.clear();
            return 0;
        }
        if (errno != EINVAL && errno != ENOSYS) return -1;  // else the file system lacks it
#endif
        return ::link(path_.c_str(), target.c_str());  // the destructor removes the temp name
    }
#endif

    std::string path_;
    int fd_ = -1;
    std::size_t written_ = 0;
};

detail::AtomicFileWriter::AtomicFileWriter(const std::string& path)
    : path_(path), target_(PathBytes(ResolveLinks(path)))
{
    if (!MayReplace(NativePath(target_))) Fail();
    temp_ = std::make_unique<TempFile>(FolderOf(NativePath(target_)));
    if (!temp_->IsOpen()) Fail();
    buffer_.reserve(WriteBuffer);
}

detail::AtomicFileWriter::~AtomicFileWriter() = default;

void detail::AtomicFileWriter::Append(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > WriteBuffer) Flush();
    if (bytes.size() >= WriteBuffer) {
        if (!temp_->Write(bytes)) Fail();
    } else {
        buffer_.append(bytes);
    }
}

void detail::AtomicFileWriter::Commit()
{
    Flush();
    const fs::path target = NativePath(target_);
    if (!(temp_->TakePermissionsOf(target) && temp_->Finish() && temp_->ReplaceTarget(target))) Fail();
}

void detail::AtomicFileWriter::Flush()
{
    if (!temp_->Write(buffer_)) Fail();
    buffer_.clear();
}

void detail::AtomicFileWriter::Fail() const { throw FileError(FileError::Kind::Create, path_); }

void detail::ReplaceFileContent(const std::string& path, Pieces pieces)
{
    AtomicFileWriter writer(path);
    for (const std::string_view piece : pieces) writer.Append(piece);
    writer.Commit();
}

bool detail::CreateNewFile(const std::string& path, std::string_view content, const std::string& permissionsFrom)
{
    TempFile temp(FolderOf(NativePath(path)));
    if (!(temp.IsOpen() && temp.Write(content) && temp.TakePermissionsOf(NativePath(permissionsFrom)) && temp.Finish()))
        throw FileError(FileError::Kind::Create, path);
    switch (temp.PlaceAsNew(NativePath(path))) {
    case Placement::Done: return true;
    case Placement::NameTaken: return false;
    case Placement::Failed: break;
    }
    throw FileError(FileError::Kind::Create, path);
}

namespace {

// Reads the whole file at path into the memory that allocate(size) returns.
template <class Allocate>
void ReadWholeFile(const std::string& path, Allocate allocate)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(NativePath(path), error);  // fails for folders and devices
    std::ifstream in(path, std::ios::binary);
    if (error || !in) throw FileError(FileError::Kind::Open, path);
    in.read(allocate(static_cast<std::size_t>(size)), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size)) throw FileError(FileError::Kind::Open, path);
}

}  // namespace

std::string LoadTextFile(const std::string& path)
{
    std::string text;
    ReadWholeFile(path, [&text](std::size_t size) {
        text.resize(size);
        return text.data();
    });
    return text;
}

detail::FileBytes::FileBytes(const std::string& path)
{
    ReadWholeFile(path, [this](std::size_t size) {
        memory_ = MemoryBlock(size);
        size_ = size;
        return memory_.data();
    });
}

void SaveTextFile(std::string_view text, const std::string& path)
{
    detail::ReplaceFileContent(path, {&text, 1});
}

}  // namespace sorvane
