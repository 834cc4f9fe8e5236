// Reading whole files, and writing them so that an interruption at any moment
// leaves either the old or the new file, never a mix: the new content goes to
// a fresh file beside the target, reaches the disk, and only then takes the
// target's name.
#include "converterInternals.h"
#include "nativePath.h"
#include "systemFiles.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <utility>

namespace sorvane {
namespace fs = std::filesystem;

namespace {

// Small pieces are gathered up to this size before they are written.
constexpr std::size_t WriteBuffer = std::size_t{1} << 20;
// Links followed before a path is taken for a loop, as the system does.
constexpr int MaxLinkHops = 40;

fs::path FolderOf(const fs::path& file)
{
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

[[noreturn]] void RaiseCreateError(const std::string& path, detail::SystemError error)
{
    throw FileError(FileError::Kind::Create, path, detail::ReasonText(error));
}

// Reads the whole file at path into the memory that allocate(size) returns.
template <class Allocate>
detail::SystemError ReadWholeFile(const std::string& path, Allocate allocate, detail::FileStamp& stamp)
{
    detail::InputFile file;
    if (const detail::SystemError error = file.Open(path))
        return error;
    stamp = file.Stamp();
    return file.ReadAll(allocate(static_cast<std::size_t>(stamp.size)), static_cast<std::size_t>(stamp.size));
}

detail::SystemError ReadText(const std::string& path, std::string& text)
{
    detail::FileStamp stamp;
    return ReadWholeFile(
        path,
        [&text](std::size_t size) {
            text.resize(size);
            return text.data();
        },
        stamp);
}

}  // namespace

std::string detail::FolderBytes(const std::string& file)
{
    return PathBytes(FolderOf(NativePath(file)));
}

fs::path detail::ResolveLinks(const std::string& path)
{
    fs::path current = NativePath(path);
    for (int hops = 0; hops < MaxLinkHops; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            return current;
        const fs::path target = fs::read_symlink(current, error);
        if (error)
            throw FileError(FileError::Kind::Create, path, error.message());
        current = target.is_absolute() ? target : FolderOf(current) / target;
    }
    throw FileError(FileError::Kind::Create, path, "Too many levels of symbolic links");
}

std::string detail::LinkTarget(const std::string& path)
{
    try {
        return PathBytes(ResolveLinks(path));
    } catch (const FileError&) {
        return path;
    }
}

std::optional<detail::PlaceIdentity> detail::PlaceIdentityOf(const std::string& linkTarget)
{
    FileStamp stamp;
    if (StampOf(linkTarget, stamp) == NoError)
        return PlaceIdentity{stamp.identity, {}};
    return NewPlaceIdentity(linkTarget);
}

std::optional<detail::PlaceIdentity> detail::NewPlaceIdentity(const std::string& path)
{
    const fs::path name = NativePath(path);
    FileStamp folder;
    if (StampOf(PathBytes(FolderOf(name)), folder) != NoError)
        return std::nullopt;
    return PlaceIdentity{folder.identity, PathBytes(name.filename())};
}

std::shared_ptr<detail::PinnedFolder> detail::PinFolderOf(const std::string& pagePath, bool searched)
{
    if (!searched)
        return nullptr;
    auto pinned = std::make_shared<PinnedFolder>();
    const SystemError error = pinned->Open(FolderBytes(pagePath));
    if (error == IsSymbolicLink)
        throw ConvertError(pagePath
                           + " is left as it is: a folder on its way is a symbolic link now (it was replaced since "
                             "the folder search)");
    if (error)
        throw ConvertError(pagePath + " is left as it is: its folder cannot be opened: " + ReasonText(error));
    return pinned;
}

std::string detail::PathIn(const PinnedFolder* pinned, const std::string& path)
{
    if (pinned == nullptr || FolderBytes(path) != pinned->Folder())
        return path;
    return PathBytes(NativePath(pinned->Place()) / NativePath(path).filename());
}

bool SameFile(const std::string& first, const std::string& second)
{
    if (first == second)
        return true;
    const std::optional<detail::PlaceIdentity> a = detail::PlaceIdentityOf(detail::LinkTarget(first));
    return a && a == detail::PlaceIdentityOf(detail::LinkTarget(second));
}

// ------------------------------------------------------ AtomicFileWriter --

detail::AtomicFileWriter::AtomicFileWriter(const std::string& path)
    : AtomicFileWriter(path, PathBytes(ResolveLinks(path)))
{}

detail::AtomicFileWriter::AtomicFileWriter(const std::string& path, std::string target)
    : path_(path), target_(std::move(target))
{
    if (const SystemError error = CheckReplaceable(target_, targetExists_))
        Fail(error);
    if (const SystemError error = temp_.Create(FolderBytes(target_)))
        Fail(error);
}

void detail::AtomicFileWriter::Append(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > WriteBuffer)
        HandOver();
    if (bytes.size() >= WriteBuffer) {
        WaitForWrite();
        if (const SystemError error = temp_.Write(bytes))
            Fail(error);
    } else {
        buffer_.append(bytes);
    }
}

void detail::AtomicFileWriter::Reserve(std::size_t bytes)
{
    buffer_.reserve(std::min(bytes, WriteBuffer));
}

void detail::AtomicFileWriter::StopWritingAhead()
{
    WaitForWrite();
    writer_.reset();
}

void detail::AtomicFileWriter::Finish()
{
    StopWritingAhead();
    if (const SystemError error = temp_.Write(buffer_))
        Fail(error);
    std::string().swap(buffer_);  // a batch holds many finished writers
    std::string().swap(writing_);
    if (!targetExists_)
        return;  // a new file keeps the bits it was made with
    if (const SystemError error = temp_.TakeMetadataOf(target_))
        Fail(error);
}

void detail::AtomicFileWriter::Place()
{
    // A new file takes a free name in one step; should the name have been
    // taken meanwhile, that file is replaced as any other.
    SystemError error = targetExists_ ? temp_.Replace(target_) : temp_.PlaceNew(target_);
    if (IsNameTaken(error) && !targetExists_)
        error = temp_.Replace(target_);
    if (error)
        Fail(error);
}

void detail::AtomicFileWriter::Commit()
{
    Finish();
    if (const SystemError error = temp_.Sync())
        Fail(error);
    Place();
    const std::string folder = FolderBytes(target_);
    SyncFolders({&folder, 1});
}

// The full buffer is written on the writer's thread while the next one
// fills here: the write's copy into the system's cache takes about as long
// as making the bytes.
void detail::AtomicFileWriter::HandOver()
{
    WaitForWrite();
    std::swap(buffer_, writing_);
    buffer_.clear();
    if (!writer_)
        writer_.emplace();
    writer_->Start([this] { writeError_ = temp_.Write(writing_); });
}

void detail::AtomicFileWriter::WaitForWrite()
{
    if (!writer_)
        return;
    if (const std::exception_ptr error = writer_->Finish())
        std::rethrow_exception(error);
    if (const SystemError error = std::exchange(writeError_, NoError))
        Fail(error);
}

void detail::AtomicFileWriter::Fail(SystemError error) const
{
    RaiseCreateError(path_, error);
}

void detail::ReplaceFileContent(const std::string& path, Pieces pieces)
{
    AtomicFileWriter writer(path);
    for (const std::string_view piece : pieces)
        writer.Append(piece);
    writer.Commit();
}

bool detail::CreateNewFile(const std::string& path, std::string_view content, const std::string& metadataFrom,
                           const std::string& shownPath)
{
    TempFile temp;
    SystemError error = temp.Create(FolderBytes(path));
    if (!error)
        error = temp.Write(content);
    if (!error)
        error = temp.TakeMetadataOf(metadataFrom);
    if (!error)
        error = temp.Sync();
    if (!error)
        error = temp.PlaceNew(path);
    if (IsNameTaken(error))
        return false;
    if (error)
        RaiseCreateError(shownPath.empty() ? path : shownPath, error);
    const std::string folder = FolderBytes(path);
    SyncFolders({&folder, 1});
    return true;
}

// ------------------------------------------------------------- reading --

std::optional<std::string> detail::LoadTextFileIfAny(const std::string& path, const std::string& shownPath)
{
    std::string text;
    const SystemError error = ReadText(path, text);
    if (IsMissing(error))
        return std::nullopt;
    if (error)
        throw FileError(FileError::Kind::Open, shownPath.empty() ? path : shownPath, ReasonText(error));
    return text;
}

std::string LoadTextFile(const std::string& path)
{
    std::string text;
    if (const detail::SystemError error = ReadText(path, text))
        throw FileError(FileError::Kind::Open, path, detail::ReasonText(error));
    return text;
}

detail::FileBytes::FileBytes(const std::string& path)
{
    const auto allocate = [this](std::size_t size) {
        memory_ = MemoryBlock(size);
        size_ = size;
        return memory_.data();
    };
    if (const SystemError error = ReadWholeFile(path, allocate, stamp_))
        throw FileError(FileError::Kind::Open, path, ReasonText(error));
}

std::optional<FileIdentity> FileIdentityOf(const std::string& path)
{
    detail::FileStamp stamp;
    if (const detail::SystemError error = detail::StampOf(path, stamp, detail::LinkRule::Refuse)) {
        if (detail::IsMissing(error))
            return std::nullopt;
        throw FileError(FileError::Kind::Open, path, detail::ReasonText(error));
    }
    return stamp.identity;
}

void SaveTextFile(std::string_view text, const std::string& path)
{
    detail::ReplaceFileContent(path, {&text, 1});
}

}  // namespace sorvane
