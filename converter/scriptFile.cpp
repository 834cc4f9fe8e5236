// The convert script file and the page backup.
#include "converterInternals.h"
#include "nativePath.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <filesystem>
#include <unordered_set>

namespace sorvane {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view FunctionNameStart = "function displaySWF_";

std::string ScriptHeader() { return "\r\n// " + std::string(ScriptHeaderText) + "\r\n"; }

std::string_view WithoutLineEnd(std::string_view line)
{
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

// Calls visit(line) for every line of text, each with its line end.
template <class Visitor>
void ForEachLine(std::string_view text, Visitor visit)
{
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
        visit(text.substr(start, end - start));
        start = end;
    }
}

// "function displaySWF_<digits>(" at the start of a line, or "" when the line
// does not start a script function of the converter.
std::string_view FunctionHead(std::string_view line)
{
    if (!line.starts_with(FunctionNameStart)) return {};
    const std::size_t digitsEnd = line.find_first_not_of("0123456789", FunctionNameStart.size());
    if (digitsEnd == FunctionNameStart.size() || digitsEnd == std::string_view::npos
        || line[digitsEnd] != '(')
        return {};
    return line.substr(0, digitsEnd + 1);
}

// The function number of a head, or 0 when it does not fit the counter (such
// a name can never clash with one the counter hands out).
int FunctionNumber(std::string_view head)
{
    const char* first = head.data() + FunctionNameStart.size();
    int number = 0;
    const auto [end, error] = std::from_chars(first, head.data() + head.size() - 1, number);
    return error == std::errc() ? number : 0;
}

// The function lines of an existing script file, to tell which new lines
// would define one of its names a second time with other markup.
class ExistingFunctions {
public:
    explicit ExistingFunctions(std::string_view script)
    {
        ForEachLine(script, [this](std::string_view line) {
            const std::string_view content = WithoutLineEnd(line);
            if (const std::string_view head = FunctionHead(content); !head.empty()) {
                heads_.insert(head);
                lines_.insert(content);
            }
        });
    }

    bool Empty() const { return heads_.empty(); }

    bool Clashes(std::string_view line) const
    {
        const std::string_view head = FunctionHead(line);
        return !head.empty() && heads_.contains(head) && !lines_.contains(line);
    }

private:
    std::unordered_set<std::string_view> heads_;
    std::unordered_set<std::string_view> lines_;
};

// The function lines minus those that clash with the existing script; each
// one left out takes the empty line before it along.
std::string UnclashedLines(std::string_view functionLines, const ExistingFunctions& existing)
{
    std::string kept;
    kept.reserve(functionLines.size());
    std::size_t emptyLineStart = std::string::npos;
    ForEachLine(functionLines, [&](std::string_view line) {
        const std::string_view content = WithoutLineEnd(line);
        if (existing.Clashes(content)) {
            if (emptyLineStart != std::string::npos) kept.resize(emptyLineStart);
            emptyLineStart = std::string::npos;
            return;
        }
        emptyLineStart = content.empty() ? kept.size() : std::string::npos;
        kept += line;
    });
    return kept;
}

// A full path without "." and "..", to tell whether two paths name one file
// before that file exists; "" for "".
fs::path Normalized(const std::string& path)
{
    std::error_code error;
    return path.empty() ? fs::path() : fs::absolute(NativePath(path), error).lexically_normal();
}

}  // namespace

std::optional<std::string> detail::LoadExistingScript(const std::string& path)
{
    std::error_code error;
    if (!fs::exists(NativePath(path), error)) return std::nullopt;
    return LoadTextFile(path);
}

void detail::RaiseBlockCounterAbove(std::string_view existingScript)
{
    ForEachLine(existingScript, [](std::string_view line) {
        if (const std::string_view head = FunctionHead(line); !head.empty())
            BlockCounter = std::max(BlockCounter, FunctionNumber(head));
    });
}

detail::NewScriptText::NewScriptText(std::string_view existingScript, std::string_view functionLines)
    : header_(ScriptHeader())
{
    const ExistingFunctions existing(existingScript);
    if (!existing.Empty()) kept_ = UnclashedLines(functionLines, existing);
    pieces_ = {existingScript, header_, existing.Empty() ? functionLines : std::string_view(kept_), header_};
}

std::string detail::NewScriptText::Joined() const
{
    std::string text;
    for (const std::string_view piece : pieces_) text += piece;
    return text;
}

void detail::WriteScriptAfter(std::string_view existingScript, std::string_view functionLines,
                              const std::string& scriptPath)
{
    ReplaceFileContent(scriptPath, NewScriptText(existingScript, functionLines).Parts());
}

void WriteScriptFile(std::string_view functionLines, const std::string& scriptPath)
{
    const std::string existing = detail::LoadExistingScript(scriptPath).value_or(std::string());
    detail::WriteScriptAfter(existing, functionLines, scriptPath);
}

namespace {

// A backup takes a name that no file has, and never the name of the script
// file that the conversion writes next.
bool FreeForBackup(const std::string& candidate, const fs::path& script)
{
    std::error_code error;
    return !fs::exists(fs::symlink_status(NativePath(candidate), error)) && Normalized(candidate) != script;
}

}  // namespace

std::string detail::WriteBackup(const std::string& pagePath, std::string_view pageText,
                                const std::string& scriptPath)
{
    const fs::path script = Normalized(scriptPath);
    for (int n = 0; n < INT_MAX; ++n) {
        std::string candidate = BackupCandidate(pagePath, n);
        if (FreeForBackup(candidate, script) && CreateNewFile(candidate, pageText, pagePath)) return candidate;
    }
    throw FileError(FileError::Kind::Create, BackupCandidate(pagePath, INT_MAX));
}

std::string detail::FreeBackupName(const std::string& pagePath, const std::string& scriptPath)
{
    const fs::path script = Normalized(scriptPath);
    for (int n = 0; n < INT_MAX; ++n)
        if (std::string candidate = BackupCandidate(pagePath, n); FreeForBackup(candidate, script)) return candidate;
    throw FileError(FileError::Kind::Create, BackupCandidate(pagePath, INT_MAX));
}

std::string BackupPage(const std::string& pagePath)
{
    return detail::WriteBackup(pagePath, LoadTextFile(pagePath), {});
}

}  // namespace sorvane
