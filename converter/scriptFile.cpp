// The convert script file, its lock, and the page backup.
#include "converterInternals.h"
#include "nativePath.h"
#include "restoration.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <climits>
#include <thread>
#include <unordered_set>

namespace sorvane {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view FunctionName = "displaySWF_";
constexpr std::string_view FunctionNameStart = "function displaySWF_";
constexpr std::string_view Digits = "0123456789";

std::string ScriptHeader(std::string_view lineEnd)
{
    return std::string(lineEnd) + "// " + std::string(ScriptHeaderText) + std::string(lineEnd);
}

// The line end of the text's first line (CR LF, LF or a lone CR), or
// nothing when it has none.
std::string_view FirstLineEnd(std::string_view text)
{
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return {};
    return text[at] == '\n' ? "\n" : text.compare(at, 2, "\r\n") == 0 ? "\r\n" : "\r";
}

// Appends function lines with each CR LF made lineEnd. The lines hold no
// other CR or LF: those of the blocks are escaped in the script strings.
void AppendWithLineEnds(std::string& out, std::string_view functionLines, std::string_view lineEnd)
{
    std::size_t copied = 0;
    for (std::size_t at; (at = functionLines.find("\r\n", copied)) != std::string_view::npos; copied = at + 2)
        out.append(functionLines.substr(copied, at - copied)).append(lineEnd);
    out.append(functionLines.substr(copied));
}

std::string_view WithoutLineEnd(std::string_view line)
{
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

// Calls visit(line) for every line of text, each with its line end: CR LF,
// LF or a lone CR, as hand-edited files mix them.
template <class Visitor>
void ForEachLine(std::string_view text, Visitor visit)
{
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        else
            end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        visit(text.substr(start, end - start));
        start = end;
    }
}

// The number of "displaySWF_<digits>", or 0 when it does not fit the counter
// (such a name can never clash with one the counter hands out).
int NumberAfterName(std::string_view digits)
{
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return error == std::errc() ? number : 0;
}

// Calls visit(n) for every "displaySWF_<n>" anywhere in the text: a head
// written by hand (indented, "displaySWF_1 ()", "var displaySWF_1 =") names
// a function as much as one the converter wrote.
template <class Visitor>
void ForEachFunctionNumber(std::string_view text, Visitor visit)
{
    for (std::size_t at = text.find(FunctionName); at != std::string_view::npos; at = text.find(FunctionName, at)) {
        at += FunctionName.size();
        const std::size_t digitsEnd = std::min(text.find_first_not_of(Digits, at), text.size());
        if (digitsEnd > at)
            visit(NumberAfterName(text.substr(at, digitsEnd - at)));
        at = digitsEnd;
    }
}

// "function displaySWF_<digits>(" at the start of a line, or "" when the line
// does not start a script function as the converter writes it.
std::string_view FunctionHead(std::string_view line)
{
    if (!line.starts_with(FunctionNameStart))
        return {};
    const std::size_t digitsEnd = line.find_first_not_of(Digits, FunctionNameStart.size());
    if (digitsEnd == FunctionNameStart.size() || digitsEnd == std::string_view::npos || line[digitsEnd] != '(')
        return {};
    return line.substr(0, digitsEnd + 1);
}

}  // namespace

// The names and function lines of an existing script file, to tell which new
// lines would define one of its names a second time with other markup.
class detail::ExistingFunctions {
public:
    explicit ExistingFunctions(std::string_view script)
    {
        ForEachFunctionNumber(script, [this](int number) { numbers_.insert(number); });
        ForEachLine(script, [this](std::string_view line) {
            const std::string_view content = WithoutLineEnd(line);
            if (!FunctionHead(content).empty())
                lines_.insert(content);
        });
    }

    bool Empty() const { return numbers_.empty(); }

    bool Clashes(std::string_view line) const
    {
        const std::string_view head = FunctionHead(line);
        if (head.empty())
            return false;
        const int number = NumberAfterName(
            head.substr(FunctionNameStart.size(), head.size() - FunctionNameStart.size() - 1));
        return numbers_.contains(number) && !lines_.contains(line);
    }

private:
    std::unordered_set<int> numbers_;
    std::unordered_set<std::string_view> lines_;
};

namespace {

// Appends the function lines minus those that clash with the existing
// script; each one left out takes the empty line before it along.
void AppendUnclashedLines(std::string& kept, std::string_view functionLines, const detail::ExistingFunctions& existing)
{
    std::size_t emptyLineStart = std::string::npos;
    ForEachLine(functionLines, [&](std::string_view line) {
        const std::string_view content = WithoutLineEnd(line);
        if (existing.Clashes(content)) {
            if (emptyLineStart != std::string::npos)
                kept.resize(emptyLineStart);
            emptyLineStart = std::string::npos;
            return;
        }
        emptyLineStart = content.empty() ? kept.size() : std::string::npos;
        kept += line;
    });
}

std::function<void(const std::string&)> LockWaitNotice;

}  // namespace

void NoticeLongLockWaits(std::function<void(const std::string& folder)> notice)
{
    LockWaitNotice = std::move(notice);
}

detail::SystemError detail::LockScript(FolderLock& lock, const std::string& scriptTarget, bool wait)
{
    using namespace std::chrono_literals;
    const std::string folder = FolderBytes(scriptTarget);
    SystemError error = lock.Acquire(folder, false);
    // A short wait goes unsaid; a longer one is told once, then waited out.
    const auto noticeAt = std::chrono::steady_clock::now() + 1s;
    while (wait && FolderLock::IsBusy(error) && std::chrono::steady_clock::now() < noticeAt) {
        std::this_thread::sleep_for(20ms);
        error = lock.Acquire(folder, false);
    }
    if (!wait || !FolderLock::IsBusy(error))
        return error;
    if (LockWaitNotice)
        LockWaitNotice(folder);
    return lock.Acquire(folder, true);
}

void detail::RaiseLockFailure(const std::string& scriptPath, SystemError error)
{
    throw FileError(FileError::Kind::Create, scriptPath, "cannot lock its folder: " + ReasonText(error));
}

void detail::RaiseBlockCounterAbove(ConversionRun& run, std::string_view existingScript)
{
    ForEachFunctionNumber(existingScript,
                          [&run](int number) { run.blockCounter = std::max(run.blockCounter, number); });
}

detail::ScriptJoin::ScriptJoin(std::string_view existingScript, std::string_view newScriptLineEnd)
{
    std::string_view lineEnd = FirstLineEnd(existingScript);
    lineEnd_ = lineEnd.empty() ? newScriptLineEnd : lineEnd;
    header_ = ScriptHeader(lineEnd_);
    if (auto existing = std::make_unique<ExistingFunctions>(existingScript); !existing->Empty())
        existing_ = std::move(existing);
}

detail::ScriptJoin::~ScriptJoin() = default;

std::string_view detail::ScriptJoin::Lines(std::string_view functionLines)
{
    if (lineEnd_ != "\r\n") {
        converted_.clear();
        AppendWithLineEnds(converted_, functionLines, lineEnd_);
        functionLines = converted_;
    }
    if (!existing_)
        return functionLines;
    kept_.clear();
    AppendUnclashedLines(kept_, functionLines, *existing_);
    return kept_;
}

detail::ScriptFileLines::ScriptFileLines(std::string_view existingScript, std::string_view newScriptLineEnd,
                                         ByteSink& file)
    : join_(existingScript, newScriptLineEnd), file_(file)
{
    file_.Append(existingScript);
    file_.Append(join_.Header());
}

void detail::ScriptFileLines::Append(std::string_view functionLines)
{
    file_.Append(join_.Lines(functionLines));
}

void detail::ScriptFileLines::Finish()
{
    file_.Append(join_.Header());
}

void detail::WriteScriptAfter(std::string_view existingScript, std::string_view functionLines,
                              std::string_view newScriptLineEnd, ByteSink& sink)
{
    ScriptFileLines lines(existingScript, newScriptLineEnd, sink);
    lines.Append(functionLines);
    lines.Finish();
}

std::vector<int> detail::FunctionNumbers(std::string_view scriptText)
{
    std::vector<int> numbers;
    ForEachFunctionNumber(scriptText, [&](int number) { numbers.push_back(number); });
    return numbers;
}

bool IsConversionScript(std::string_view scriptText)
{
    const std::string header = "// " + std::string(ScriptHeaderText);
    bool onlyConversions = true;
    ForEachLine(scriptText, [&](std::string_view line) {
        const std::string_view content = WithoutLineEnd(line);
        onlyConversions = onlyConversions
                          && (content.empty() || content == header
                              || (!FunctionHead(content).empty() && content.ends_with("'); }")));
    });
    return onlyConversions;
}

void WriteScriptFile(std::string_view functionLines, const std::string& scriptPath)
{
    detail::FolderLock lock;
    if (const detail::SystemError error = detail::LockScript(lock, PathBytes(detail::ResolveLinks(scriptPath)), true))
        detail::RaiseLockFailure(scriptPath, error);
    const std::string existing = detail::LoadTextFileIfAny(scriptPath).value_or(std::string());
    detail::AtomicFileWriter writer(scriptPath);
    detail::WriteScriptAfter(existing, functionLines, "\r\n", writer);
    writer.Commit();
}

namespace {

// A backup takes a name that names nothing and that no file about to be
// written claims.
bool FreeForBackup(const std::string& candidate, const std::function<bool(const std::string&)>& isReserved)
{
    std::error_code error;
    return !fs::exists(fs::symlink_status(NativePath(candidate), error)) && !isReserved(candidate);
}

}  // namespace

detail::Backup detail::WriteBackup(const std::string& pagePath, const PageAsRead& page, const std::string& pageTarget,
                                   bool mayLink, const std::function<bool(const std::string&)>& isReserved,
                                   NameCandidate candidateName, const PinnedFolder* pinned)
{
    // A link is the old file itself under a second name: nothing is copied,
    // and it has the page's owner, bits and attributes. A page with other
    // names is copied instead, so that the backup does not change when the
    // page is changed through one of them.
    mayLink = mayLink && page.stamp.links == 1;
    for (int n = 0; n < INT_MAX; ++n) {
        std::string candidate = candidateName(pagePath, n, NativePathStyle);
        std::string place = PathIn(pinned, candidate);
        if (!FreeForBackup(place, isReserved))
            continue;
        if (mayLink) {
            const SystemError linkError = HardLink(pageTarget, place);
            if (!linkError)
                return {std::move(candidate), std::move(place), true};
            if (IsNameTaken(linkError))
                continue;
            mayLink = false;  // another file system, or one without links: copy
        }
        if (CreateNewFile(place, page.bytes(), pageTarget, candidate))
            return {std::move(candidate), std::move(place), false};
    }
    throw FileError(FileError::Kind::Create, candidateName(pagePath, INT_MAX, NativePathStyle));
}

std::string detail::FreeBackupName(const std::string& pagePath,
                                   const std::function<bool(const std::string&)>& isReserved)
{
    for (int n = 0; n < INT_MAX; ++n)
        if (std::string candidate = BackupCandidate(pagePath, n); FreeForBackup(candidate, isReserved))
            return candidate;
    throw FileError(FileError::Kind::Create, BackupCandidate(pagePath, INT_MAX));
}

void detail::DetachBackup(const Backup& backup) noexcept
{
    if (!backup.linked)
        return;
    try {
        const std::string content = LoadTextFile(backup.place);
        const std::string_view piece = content;
        ReplaceFileContent(backup.place, {&piece, 1});
    } catch (...) {
        // It stays a second name of the unchanged page: the same bytes.
    }
}

void detail::RemoveBackup(const Backup& backup) noexcept
{
    try {
        std::error_code error;
        fs::remove(NativePath(backup.place), error);
    } catch (...) {
        // No memory for the path: it stays, the same bytes as the page.
    }
}

std::string BackupPage(const std::string& pagePath)
{
    const detail::FileBytes page(pagePath);
    return detail::WriteBackup(pagePath, {page.Stamp(), [&page] { return page.view(); }},
                               PathBytes(detail::ResolveLinks(pagePath)), false,
                               [](const std::string&) { return false; })
        .path;
}

}  // namespace sorvane
