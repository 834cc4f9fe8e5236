#include "pageSearch.h"

#include "nativePath.h"
#include "pageNames.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_set>

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

bool Excluded(std::span<const std::string> excludes, const std::string& relative, const std::string& name)
{
    return std::ranges::any_of(excludes, [&](const std::string& glob) {
        return MatchesGlob(glob, glob.find('/') == std::string::npos ? name : relative);
    });
}

struct Entry {
    std::string name;
    fs::file_type type;  // of the entry itself, links not followed
    std::error_code typeError;
};

std::vector<Entry> ListFolder(const fs::path& folder, std::error_code& error)
{
    std::vector<Entry> entries;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        Entry entry{PathBytes(it->path().filename()), fs::file_type::none, {}};
        entry.type = it->symlink_status(entry.typeError).type();
        entries.push_back(std::move(entry));
    }
    std::ranges::sort(entries, {}, &Entry::name);
    return entries;
}

bool IsBackupOfPageBeside(const std::string& name, const std::vector<Entry>& sortedEntries)
{
    const std::optional<BackupOf> backup = ParseBackupName(name);
    return backup && std::ranges::binary_search(sortedEntries, backup->pageName, {}, &Entry::name);
}

// A folder being searched: its entries, and the next one to look at.
struct FolderVisit {
    fs::path folder;
    std::string relative;  // under the folder searched, "/" between names
    std::vector<Entry> entries;
    std::size_t next = 0;
};

// The search of one folder given. Folders are visited depth first from an
// explicit stack, so that a deep tree costs memory, not the call stack; a
// folder or entry that cannot be read (one deeper than the system's longest
// path among them) is an error, never passed over without a word.
class TreeSearch {
public:
    TreeSearch(const fs::path& root, std::span<const std::string> excludes, std::string_view donePages,
               FoundPages& found)
        : root_(root), excludes_(excludes), donePages_(donePages), found_(found)
    {}

    void Run()
    {
        Visit(root_, "");
        while (!stack_.empty()) {
            FolderVisit& visit = stack_.back();
            if (visit.next == visit.entries.size()) {
                stack_.pop_back();
                continue;
            }
            const Entry& entry = visit.entries[visit.next++];
            Look(visit, entry);
        }
        JudgeLinks();
    }

private:
    void Visit(const fs::path& folder, std::string relative)
    {
        std::error_code error;
        std::vector<Entry> entries = ListFolder(folder, error);
        if (error)
            found_.errors.push_back("cannot read folder " + PathBytes(folder) + ": " + error.message());
        else
            stack_.push_back({folder, std::move(relative), std::move(entries)});
    }

    // May push a folder, which ends the life of visit and entry.
    void Look(const FolderVisit& visit, const Entry& entry)
    {
        std::string relative = visit.relative.empty() ? entry.name : visit.relative + '/' + entry.name;
        if (Excluded(excludes_, relative, entry.name))
            return;
        const fs::path path = visit.folder / NativePath(entry.name);
        // A file that vanished since the folder was listed is no page.
        if (entry.typeError && entry.typeError != std::errc::no_such_file_or_directory) {
            found_.errors.push_back("cannot read " + PathBytes(path) + ": " + entry.typeError.message());
        } else if (entry.type == fs::file_type::directory) {
            Visit(path, std::move(relative));
        } else if (IsWebPageName(entry.name) && !IsBackupOfPageBeside(entry.name, visit.entries)) {
            if (entry.type == fs::file_type::regular) {
                AddPage(path, std::move(relative));
            } else if (entry.type == fs::file_type::symlink) {
                links_.push_back(path);
            }
        }
    }

    // The page and the file it is now, which alone the run may write.
    void AddPage(const fs::path& path, std::string relative)
    {
        std::optional<FileIdentity> identity;
        try {
            identity = FileIdentityOf(PathBytes(path));
        } catch (const FileError& error) {
            found_.errors.push_back("cannot read " + PathBytes(path) + ": " + error.reason());
            return;
        }
        if (!identity)
            return;  // gone since the folder was listed
        found_.pages.push_back(PathBytes(path));
        found_.identities.push_back(identity);
        pages_.insert(std::move(relative));
    }

    // A link is never written through: the page it leads to, when that is
    // a page of the tree, is converted under its own name; anything else is
    // passed over with the reason.
    void JudgeLinks()
    {
        if (links_.empty())
            return;
        std::error_code error;
        const fs::path root = fs::canonical(root_, error);
        for (const fs::path& link : links_)
            found_.skipped.push_back({PathBytes(link), WhyNoPage(root, link)});
    }

    std::string WhyNoPage(const fs::path& root, const fs::path& link) const
    {
        std::error_code error;
        const fs::path target = fs::canonical(link, error);
        if (error)
            return "skipped: link that leads to no file (" + error.message() + ")";
        const std::optional<std::string> relative = PathUnder(root, target);
        if (!relative)
            return "skipped: link out of " + PathBytes(root_) + ", to " + PathBytes(target);
        if (pages_.contains(*relative))
            return "skipped: link to " + PathBytes(target) + ", " + std::string(donePages_) + " as that page";
        return "skipped: link to " + PathBytes(target) + ", which is no page of the tree";
    }

    // The path of target under root ("/" between names), if it lies there.
    static std::optional<std::string> PathUnder(const fs::path& root, const fs::path& target)
    {
        const std::optional<fs::path> relative = PathBelow(root, target);
        if (!relative || *relative == ".")
            return std::nullopt;
        return GenericPathBytes(*relative);
    }

    const fs::path root_;
    std::span<const std::string> excludes_;
    std::string_view donePages_;
    FoundPages& found_;
    std::vector<FolderVisit> stack_;
    std::unordered_set<std::string> pages_;  // the pages found, by their path under the root
    std::vector<fs::path> links_;            // with a page's name, judged once every page is known
};

}  // namespace

FoundPages FindPages(std::span<const std::string> folders, std::span<const std::string> excludes,
                     std::string_view donePages)
{
    FoundPages found;
    for (const std::string& folder : folders)
        TreeSearch(NativePath(folder), excludes, donePages, found).Run();
    return found;
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
