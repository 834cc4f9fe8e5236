// Pieces shared by the converter's source files; not part of its interface.
#pragma once

#include "backgroundWork.h"
#include "systemFiles.h"
#include "unitACConvertor.h"

#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::detail {

// A file's new content, given as consecutive pieces so that large texts are
// written without being joined first.
using Pieces = std::span<const std::string_view>;

// Receives an output text piece by piece, in order.
class ByteSink {
public:
    virtual void Append(std::string_view bytes) = 0;

protected:
    ~ByteSink() = default;
};

// Gathers an output text in a string.
class StringSink final : public ByteSink {
public:
    void Append(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// The folder that holds file, as bytes: "." for a bare file name.
std::string FolderBytes(const std::string& file);

// Where a write to path must go: symbolic links are followed so that the
// link stays and the file it points to gets the new content. Raises
// FileError(Create, path) for a loop of links.
std::filesystem::path ResolveLinks(const std::string& path);

// Replaces the file at path atomically with what is appended: the bytes go to
// a new file beside the target (symbolic links followed) and take the
// target's name, owner, permission bits and extended attributes when placed.
// Until then, and when anything fails, the old file is whole; a failure
// raises FileError(Create, path) with the system's reason and leaves no new
// file behind. The file is checked and the new one created at once, so a
// target that cannot be replaced is refused before anything is written.
class AtomicFileWriter final : public ByteSink {
public:
    explicit AtomicFileWriter(const std::string& path);
    // For a path whose links were followed already (ResolveLinks or
    // LinkTarget gave target).
    AtomicFileWriter(const std::string& path, std::string target);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Append(std::string_view bytes) override;
    // All in one: Finish, sync, Place, and sync the folder.
    void Commit();

    // Commit in steps, for writers whose files are synced together
    // (SyncTogether on their Temp()) between Finish and Place.
    void Finish();
    TempFile& Temp() { return temp_; }
    // Room for about that many bytes to come, so that a text held whole is
    // not copied as it grows.
    void Reserve(std::size_t bytes);
    // The bytes appended and not yet written to the file.
    std::size_t BufferedBytes() const { return buffer_.size(); }
    // Waits for the buffer handed to the writer's thread and lets the thread
    // go: a writer that waits in a batch for its turn holds none.
    void StopWritingAhead();
    void Place();
    [[noreturn]] void Fail(SystemError error) const;

    const std::string& Path() const { return path_; }
    const std::string& Target() const { return target_; }

private:
    void HandOver();
    void WaitForWrite();

    std::string path_;
    std::string target_;
    bool targetExists_ = false;
    TempFile temp_;
    std::string buffer_;
    // A large file is written on a thread of its own while its next buffer
    // fills: the buffer handed over, and what its write gave.
    std::string writing_;
    SystemError writeError_ = NoError;
    std::optional<BackgroundWork> writer_;  // last: it ends first
};

// Atomically replaces the content of the file at path with the pieces, one
// after the other (see AtomicFileWriter).
void ReplaceFileContent(const std::string& path, Pieces pieces);

// The content of the file at path, or nothing when there is no such file.
// Raises FileError(Open) when a file exists but cannot be read, naming
// shownPath when one is given (path reaches it otherwise).
std::optional<std::string> LoadTextFileIfAny(const std::string& path, const std::string& shownPath = {});

// Memory for large texts that the system fills cheaply: on Linux, blocks of
// several MiB are backed by huge pages where the system allows it.
class MemoryBlock {
public:
    MemoryBlock() = default;
    explicit MemoryBlock(std::size_t size);
    ~MemoryBlock();
    MemoryBlock(MemoryBlock&& other) noexcept;
    MemoryBlock& operator=(MemoryBlock&& other) noexcept;

    char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

// Asks for huge pages behind the not yet used part of a large block that
// will be filled next (a hint; nothing changes where it is not followed).
void PreferHugePages(const char* data, std::size_t size);

// The whole content of a file, as LoadTextFile reads it, without the cost of
// a string that is zeroed first.
class FileBytes {
public:
    explicit FileBytes(const std::string& path);  // raises FileError(Open)
    std::string_view view() const { return {memory_.data(), size_}; }
    // The file as it was when it was read.
    const FileStamp& Stamp() const { return stamp_; }

private:
    MemoryBlock memory_;
    std::size_t size_ = 0;
    FileStamp stamp_;
};

// A page's text, read from its file a window at a time or whole, or given
// in memory. The window holds the page from Start() on as far as it was
// read; a scan asks for more at the window's end and lets go of what lies
// behind it, so that a page of many MiB needs room for its largest piece of
// markup rather than for all of it, room that stays in the processor's
// cache. Every byte read is checked: a page that is no text in an 8-bit
// encoding (a UTF-16 byte-order mark, a NUL byte) raises ConvertError
// naming the page, from whichever read finds it.
class PageText {
public:
    enum class Reading { Windows, Whole };
    // Raises FileError(Open) for a file that cannot be read.
    PageText(const std::string& path, Reading reading);
    // A text held elsewhere, in one window.
    explicit PageText(std::string_view text);
    PageText(const PageText&) = delete;
    PageText& operator=(const PageText&) = delete;

    std::string_view Window() const { return inMemory_ ? text_ : std::string_view(memory_.data(), filled_); }
    // The page offset of the window's first byte.
    std::size_t Start() const { return start_; }
    std::size_t Size() const { return size_; }
    bool AtEnd() const { return start_ + filled_ == size_; }
    // The file as it was when it was opened (nothing for a text in memory).
    const FileStamp& Stamp() const { return file_.Stamp(); }

    // Reads on: the window grows by as much as it holds (at least a MiB);
    // when nothing was let go of since the last read, by the rest of the
    // page. A scan that starts over on the larger window so costs linear time.
    void ReadMore();
    // The page before that offset is not needed any more.
    void LetGo(std::size_t offset);
    // The window starts at the page's start again.
    void Rewind();
    // The whole page in the window (read again if it was let go of).
    std::string_view Whole();
    // PageLineEnd of the whole page: read through once when the first window
    // cannot tell; the window is at the start again afterwards.
    std::string_view LineEnd();

private:
    void Fill(std::size_t windowSize);
    [[noreturn]] void RefuseAsNotEightBitText(std::string_view why) const;

    std::string path_;
    InputFile file_;
    MemoryBlock memory_;
    std::size_t filled_ = 0;
    std::string_view text_;
    bool inMemory_ = false;
    std::size_t start_ = 0;
    std::size_t startAtLastRead_ = 0;
    std::size_t size_ = 0;
};

// Atomically creates the file at path with the given content and the owner,
// permission bits and extended attributes of the file at metadataFrom.
// Returns false, writing nothing, when a file of that name exists; raises
// FileError(Create, shownPath) on other failures (path when none is given).
bool CreateNewFile(const std::string& path, std::string_view content, const std::string& metadataFrom,
                   const std::string& shownPath = {});

// Scans a page text, registers its blocks in the run and
// writes the page with its blocks replaced to sink; returns how many blocks
// it replaced. With includeAt, the include goes before everything that stands
// for the page byte at that offset (or at the end when the offset is the
// page's size). The calls and noscript elements end their lines with
// lineEnd (PageLineEnd). The blocks' function lines go to run.scriptBuffer,
// or with functionLines, to that sink in pieces of whole lines as the scan
// goes (a page of many MiB then needs no room for all of them at once).
int RewritePage(ConversionRun& run, PageText& page, std::optional<std::size_t> includeAt, std::string_view include,
                std::string_view lineEnd, ByteSink& sink, ByteSink* functionLines = nullptr);
int RewritePage(ConversionRun& run, std::string_view pageText, std::optional<std::size_t> includeAt,
                std::string_view include, std::string_view lineEnd, ByteSink& sink, ByteSink* functionLines = nullptr);

// HasFlashBlocks of a page read a window at a time.
bool HasFlashBlocks(PageText& page);

// The line end of what a conversion adds to a page and to a new script file:
// LF for a page with LF line ends and no CR at all, CR LF for any other.
std::string_view PageLineEnd(std::string_view pageText);

// Where the script include goes in a page text (0-based byte offset), by its
// tags, a UTF-8 byte-order mark and a base element (RewritePage moves it
// before the first block when that comes first). As the replacement markup
// holds none of the tags looked for, the offset found in a page before its
// rewriting gives the same place as in the rewritten page.
std::size_t IncludePosition(std::string_view pageText);
std::size_t IncludePosition(PageText& page);

// The include line that loads the script file from the page, between two
// line ends; the reference goes in as EscapeUrlAttribute makes it.
std::string IncludeMarkup(std::string_view scriptReference, std::string_view lineEnd);

// Appends the markup as FlattenMarkup returns it.
void AppendFlattened(std::string& out, std::string_view markup);

// Appends the text escaped for a single-quoted script string, as
// EscapeSingleQuoted does; with a lead-byte test, a lead byte and the byte
// after it, when that is 0x40 or above, go as they are.
void AppendEscapedForScript(std::string& out, std::string_view text, LeadByteTest isLeadByte);

// The lead-byte test of the double-byte encoding that the page declares
// (Shift_JIS, GBK, GB18030 or Big5 and their other names), or nullptr: a
// byte-order mark, else the first meta charset declaration in the first
// 1024 bytes, as browsers look for it.
LeadByteTest DeclaredLeadByteTest(std::string_view pageText);

// Takes the lock that makes the read, change and write of the script file
// that scriptTarget names happen as one step among programs: the lock of its
// folder. With wait false, a lock held by another is not waited for:
// FolderLock::IsBusy(result); with wait true, a wait longer than a second is
// told to the notice NoticeLongLockWaits set. Any other error means that the
// lock is not held: the script file must then not be written.
SystemError LockScript(FolderLock& lock, const std::string& scriptTarget, bool wait);
// Raises FileError(Create, scriptPath) for a lock that LockScript could not
// take.
[[noreturn]] void RaiseLockFailure(const std::string& scriptPath, SystemError error);

// The number of every "displaySWF_<n>" in a script text, as often as it
// is named.
std::vector<int> FunctionNumbers(std::string_view scriptText);

// Raises the run's blockCounter to the highest function number named anywhere
// in an existing script file, so that new blocks never reuse one of its names.
void RaiseBlockCounterAbove(ConversionRun& run, std::string_view existingScript);

class ExistingFunctions;

// How function lines join an existing script file: the header around them,
// their line end (the one the existing script's first line has, or
// newScriptLineEnd when it has no line end: PageLineEnd of the page), and
// which of them are left out, as they would define one of its names with
// other markup.
class ScriptJoin {
public:
    ScriptJoin(std::string_view existingScript, std::string_view newScriptLineEnd);
    ~ScriptJoin();
    ScriptJoin(const ScriptJoin&) = delete;
    ScriptJoin& operator=(const ScriptJoin&) = delete;

    const std::string& Header() const { return header_; }
    // Whole function lines, as the converter writes them, the way they go
    // into the file. Refers to functionLines or to room of this object
    // that the next call reuses.
    std::string_view Lines(std::string_view functionLines);

private:
    std::string header_;
    std::string lineEnd_;
    std::unique_ptr<ExistingFunctions> existing_;  // null when it names no function
    std::string converted_;                        // with the script's line end, where that is not CR LF
    std::string kept_;
};

// Writes a script file's new text, existingScript + header + the function
// lines that do not clash with it + header (see ScriptJoin), to file while
// the function lines are still coming: the existing script and the header
// at once, each piece of whole function lines as it is appended, and the
// header again at Finish.
class ScriptFileLines final : public ByteSink {
public:
    ScriptFileLines(std::string_view existingScript, std::string_view newScriptLineEnd, ByteSink& file);
    void Append(std::string_view functionLines) override;
    void Finish();

private:
    ScriptJoin join_;
    ByteSink& file_;
};

// Writes the script file's new text, as ScriptFileLines does, with all the
// function lines at once.
void WriteScriptAfter(std::string_view existingScript, std::string_view functionLines,
                      std::string_view newScriptLineEnd, ByteSink& sink);

struct Backup {
    std::string path;     // "" when none was made
    std::string place;    // the path that reaches it for a write (PathIn)
    bool linked = false;  // a second name of the page file, not a copy
};

// Backs the page up under its first free backup name that isReserved does
// not claim for a file about to be written (it is asked only about names that
// name nothing yet). With mayLink, a page with no
// other names becomes its own backup through a hard link to pageTarget (the
// file the page path leads to); otherwise, or where links fail, the bytes
// read are copied.
// candidateName gives the n-th name to try (BackupCandidate, or another
// scheme of numbered names beside the page). With the page's folder pinned,
// the backup is made in that folder (isReserved is asked about the path
// that reaches it there, as PathIn gives it).
using NameCandidate = std::string (*)(std::string_view pagePath, int n, PathStyle style);
// The page is given by the stamp of its read and its bytes as read, asked
// for only when a copy is made.
struct PageAsRead {
    const FileStamp& stamp;
    std::function<std::string_view()> bytes;
};
Backup WriteBackup(const std::string& pagePath, const PageAsRead& page, const std::string& pageTarget, bool mayLink,
                   const std::function<bool(const std::string&)>& isReserved,
                   NameCandidate candidateName = BackupCandidate, const PinnedFolder* pinned = nullptr);

// A backup linked to a page that is not replaced after all would change with
// every later edit of the page: it becomes a copy of its own (where that
// fails, it stays as it is: the same bytes as the page).
void DetachBackup(const Backup& backup) noexcept;

// A backup of a page that is not replaced after all, removed again: it only
// holds the page as it still is (where that fails, it stays as it is).
void RemoveBackup(const Backup& backup) noexcept;

// ResolveLinks for paths that are only compared: a loop of links leaves the
// path as it is, for the read or write of it to report.
std::string LinkTarget(const std::string& path);

// Where a path leads once its links are followed (linkTarget, as LinkTarget
// gives it): the file's identity, or for a file not yet made, its folder's
// identity and the name it will get.
struct PlaceIdentity {
    FileIdentity file;
    std::string nameInFolder;
    bool operator==(const PlaceIdentity&) const = default;
};
std::optional<PlaceIdentity> PlaceIdentityOf(const std::string& linkTarget);
// PlaceIdentityOf for a path that names nothing yet, not even a link.
std::optional<PlaceIdentity> NewPlaceIdentity(const std::string& path);

// How many pages a group that syncs once may hold (convert's and restore's
// batches): two groups are open at a time, the one prepared and the one being
// placed, and each page holds filesPerPage files open in each.
std::size_t PagesPerGroup(std::size_t filesPerPage);

// Raises ConvertError when the page file at pageTarget is no longer the one
// that was read: another file, another size or another time of last write;
// and when pagePath no longer leads to that file (a folder on its way was
// replaced since: the page is written in its pinned folder only while its
// own path still leads there).
void RefuseChangedPage(const std::string& pagePath, const std::string& pageTarget, const FileStamp& read);

// After the page at pageTarget was put in place: an error (ConvertError)
// when pagePath no longer leads to it, as a folder on its way was swapped
// during the run; the page was written in its own folder, wherever that lies
// now. Nothing when it does.
std::exception_ptr PageOffItsPath(const std::string& pagePath, const std::string& pageTarget);

// For a page that a folder search found (a recursive run, on hostile ground:
// folders others may write), its folder held open (PinnedFolder), so that
// every file written beside the page lands in the page's own folder even
// when a folder on the way is swapped for a link meanwhile; nothing for a
// page given by name. pagePath is a full path whose folder has no links (as
// the command-line tool makes it). Raises ConvertError naming the page when
// a folder on its way is a link now or cannot be opened.
std::shared_ptr<PinnedFolder> PinFolderOf(const std::string& pagePath, bool searched);

// The path that reaches the file at path for a write: in the pinned folder
// when path names a file of it, path itself otherwise (pinned null too).
std::string PathIn(const PinnedFolder* pinned, const std::string& path);

// Raises ConvertError when the page file read (read: its stamp) is not the
// one the search of its folder judged (judged: the identity it saw, nothing
// for a page given by name): a link or another file put in its place since
// could lead the write anywhere, out of the tree among others.
void RefuseReplacedPage(const std::string& pagePath, const FileStamp& read, const std::optional<FileIdentity>& judged);

// Raises ConvertError, naming the page, when its script file (scriptPath)
// lies in the folder searched (nothing: no search) but leads out of it
// (scriptTarget: where its links lead), so that a link put in a site never
// takes a write elsewhere.
void RefuseScriptOutOfFolder(const std::string& pagePath, const std::string& scriptPath,
                             const std::string& scriptTarget, const std::optional<std::string>& searchedFolder);

// The name WriteBackup would take now (passing over the names isReserved
// claims), writing nothing.
std::string FreeBackupName(const std::string& pagePath, const std::function<bool(const std::string&)>& isReserved);

// PlayerReference without its check that a local player script exists.
std::string PlayerAddress(std::string_view playerSource, std::string_view pagePath, PathStyle style = NativePathStyle);

}  // namespace sorvane::detail
