#include "pageSearch.h"

#include "nativePath.h"
#include "pageNames.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

// One element of a glob and the length of its text.
struct GlobToken {
    enum Kind { Byte, AnyByte, Run, RunAcrossFolders, Set } kind;
    std::string_view text;  // the byte, or the set between the brackets
    bool negated = false;
};

GlobToken NextToken(std::string_view glob, std::size_t& i)
{
    const char c = glob[i++];
    if (c == '\\' && i < glob.size())
        return {GlobToken::Byte, glob.substr(i++, 1)};
    if (c == '?')
        return {GlobToken::AnyByte, {}};
    if (c == '*') {
        if (i < glob.size() && glob[i] == '*')
            return ++i, GlobToken{GlobToken::RunAcrossFolders, {}};
        return {GlobToken::Run, {}};
    }
    if (c == '[') {
        std::size_t start = i;
        const bool negated = start < glob.size() && (glob[start] == '!' || glob[start] == '^');
        if (negated)
            ++start;
        // A "]" right after the opening bracket belongs to the set.
        const std::size_t end = glob.find(']', start + 1);
        if (end != std::string_view::npos) {
            i = end + 1;
            return {GlobToken::Set, glob.substr(start, end - start), negated};
        }
    }
    return {GlobToken::Byte, glob.substr(i - 1, 1)};
}

bool SetHolds(std::string_view set, unsigned char c)
{
    for (std::size_t i = 0; i < set.size(); ++i) {
        const auto low = static_cast<unsigned char>(set[i]);
        if (i + 2 < set.size() && set[i + 1] == '-') {
            if (low <= c && c <= static_cast<unsigned char>(set[i + 2]))
                return true;
            i += 2;
        } else if (low == c) {
            return true;
        }
    }
    return false;
}

bool TokenTakes(const GlobToken& token, char c)
{
    switch (token.kind) {
    case GlobToken::Byte: return token.text.front() == c;
    case GlobToken::AnyByte: return c != '/';
    case GlobToken::Set: return c != '/' && SetHolds(token.text, static_cast<unsigned char>(c)) != token.negated;
    default: return false;
    }
}

struct SearchState {
    std::span<const std::string> excludes;
    std::set<fs::path> seen;  // the real paths of the pages listed
    FoundPages found;
};

bool Excluded(std::span<const std::string> excludes, const std::string& relative, const std::string& name)
{
    return std::ranges::any_of(excludes, [&](const std::string& glob) {
        return MatchesGlob(glob, glob.find('/') == std::string::npos ? name : relative);
    });
}

// A page counts once, by the file it leads to.
void AddPage(SearchState& state, const fs::path& page)
{
    std::error_code error;
    fs::path real = fs::canonical(page, error);
    if (error)
        real = page;
    if (state.seen.insert(real).second)
        state.found.pages.push_back(PathBytes(page));
}

struct Entry {
    std::string name;
    fs::file_type type;  // of the entry itself, links not followed
};

std::vector<Entry> ListFolder(const fs::path& folder, std::error_code& error)
{
    std::vector<Entry> entries;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        entries.push_back({PathBytes(it->path().filename()), it->symlink_status(typeError).type()});
    }
    std::ranges::sort(entries, {}, &Entry::name);
    return entries;
}

bool IsBackupOfPageBeside(const std::string& name, const std::set<std::string_view>& names)
{
    const std::optional<BackupOf> backup = ParseBackupName(name);
    return backup && names.contains(backup->pageName);
}

bool IsFileOrLinkToFile(const fs::path& path, fs::file_type type)
{
    if (type == fs::file_type::regular)
        return true;
    std::error_code error;
    return type == fs::file_type::symlink && fs::is_regular_file(path, error);
}

void SearchFolder(SearchState& state, const fs::path& folder, const std::string& relative)
{
    std::error_code error;
    const std::vector<Entry> entries = ListFolder(folder, error);
    if (error) {
        state.found.errors.push_back("cannot read folder " + PathBytes(folder) + ": " + error.message());
        return;
    }
    std::set<std::string_view> names;
    for (const Entry& entry : entries)
        names.insert(entry.name);
    for (const Entry& entry : entries) {
        const std::string path = relative.empty() ? entry.name : relative + '/' + entry.name;
        if (Excluded(state.excludes, path, entry.name))
            continue;
        if (entry.type == fs::file_type::directory) {
            SearchFolder(state, folder / NativePath(entry.name), path);
        } else if (IsWebPageName(entry.name) && !IsBackupOfPageBeside(entry.name, names)
                   && IsFileOrLinkToFile(folder / NativePath(entry.name), entry.type)) {
            AddPage(state, folder / NativePath(entry.name));
        }
    }
}

}  // namespace

FoundPages FindPages(std::span<const std::string> folders, std::span<const std::string> excludes)
{
    SearchState state{excludes, {}, {}};
    for (const std::string& folder : folders)
        SearchFolder(state, NativePath(folder), "");
    return std::move(state.found);
}

bool MatchesGlob(std::string_view glob, std::string_view text)
{
    // reachable[i]: the glob read so far can match the first i bytes of text.
    std::vector<char> reachable(text.size() + 1, 0);
    reachable[0] = 1;
    for (std::size_t g = 0; g < glob.size();) {
        const GlobToken token = NextToken(glob, g);
        std::vector<char> next(text.size() + 1, 0);
        if (token.kind == GlobToken::Run || token.kind == GlobToken::RunAcrossFolders) {
            bool carry = false;
            for (std::size_t i = 0; i <= text.size(); ++i) {
                carry = reachable[i] || (carry && (token.kind == GlobToken::RunAcrossFolders || text[i - 1] != '/'));
                next[i] = carry;
            }
        } else {
            for (std::size_t i = 0; i < text.size(); ++i)
                next[i + 1] = reachable[i] && TokenTakes(token, text[i]);
        }
        reachable.swap(next);
    }
    return reachable[text.size()] != 0;
}

}  // namespace sorvane::cli
