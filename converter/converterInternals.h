// Pieces shared by the converter's source files; not part of its interface.
#pragma once

#include "unitACConvertor.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

class TempFile;

// Replaces the file at path atomically with what is appended: the bytes go to
// a new file beside the target (symbolic links followed) and take the
// target's name, owner and permission bits on Commit. Until then, and when
// anything fails, the old file is whole; a failure raises
// FileError(Create, path) and leaves no new file behind.
class AtomicFileWriter final : public ByteSink {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Append(std::string_view bytes) override;
    void Commit();

private:
    void Flush();
    [[noreturn]] void Fail() const;

    std::string path_;
    std::unique_ptr<TempFile> temp_;
    std::string target_;
    std::string buffer_;
};

// Atomically replaces the content of the file at path with the pieces, one
// after the other (see AtomicFileWriter).
void ReplaceFileContent(const std::string& path, Pieces pieces);

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

private:
    MemoryBlock memory_;
    std::size_t size_ = 0;
};

// Atomically creates the file at path with the given content and the
// permission bits of permissionsFrom. Returns false, writing nothing, when a
// file of that name exists; raises FileError(Create, path) on other failures.
bool CreateNewFile(const std::string& path, std::string_view content, const std::string& permissionsFrom);

// Scans a page text, registers its blocks (BlockCounter, ScriptBuffer) and
// writes the page with its blocks replaced to sink; returns how many blocks
// it replaced. With includeAt, the include goes before everything that stands
// for the page byte at that offset (or at the end when the offset is the
// page's size).
int RewritePage(std::string_view pageText, std::optional<std::size_t> includeAt, std::string_view include,
                ByteSink& sink);

// Where the script include goes in a page text (0-based byte offset), by its
// tags, a UTF-8 byte-order mark and a base element (RewritePage moves it
// before the first block when that comes first). As the replacement markup
// holds none of the tags looked for, the offset found in a page before its
// rewriting gives the same place as in the rewritten page.
std::size_t IncludePosition(std::string_view pageText);

// The include line that loads the script file from the page; the reference
// goes in as EscapeUrlAttribute makes it.
std::string IncludeMarkup(std::string_view scriptReference);

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

// The content of the script file at path, or nothing when there is no such
// file. Raises FileError(Open) when a file exists but cannot be read.
std::optional<std::string> LoadExistingScript(const std::string& path);

// Raises BlockCounter to the highest function number defined in an existing
// script file, so that new blocks never reuse one of its names.
void RaiseBlockCounterAbove(std::string_view existingScript);

// A script file's new text: existingScript + header + the function lines
// that do not clash with it + header. Refers to both texts given.
class NewScriptText {
public:
    NewScriptText(std::string_view existingScript, std::string_view functionLines);
    NewScriptText(const NewScriptText&) = delete;
    NewScriptText& operator=(const NewScriptText&) = delete;

    Pieces Parts() const { return pieces_; }
    std::string Joined() const;

private:
    std::string header_;
    std::string kept_;
    std::array<std::string_view, 4> pieces_;
};

// Writes NewScriptText's pieces to scriptPath.
void WriteScriptAfter(std::string_view existingScript, std::string_view functionLines,
                      const std::string& scriptPath);

// Writes pageText to the first free backup name of pagePath, passing over the
// name of the script file that the conversion writes next, and returns it.
std::string WriteBackup(const std::string& pagePath, std::string_view pageText, const std::string& scriptPath);

// The name WriteBackup would take now, writing nothing.
std::string FreeBackupName(const std::string& pagePath, const std::string& scriptPath);

}  // namespace sorvane::detail
