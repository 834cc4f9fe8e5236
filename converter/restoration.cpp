// Putting backups back: the checks that keep a restore from showing a file
// it should not trust or from losing a page's later edits, and the groups of
// pages whose new files reach the disk with one sync.
#include "restoration.h"

#include "converterInternals.h"
#include "nativePath.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <span>
#include <system_error>
#include <utility>

namespace sorvane {
namespace {

namespace fs = std::filesystem;

// As in a PageBatch: many pages share one sync, each holding its new file
// and its folder open until the group is placed.
constexpr std::size_t FilesPerRestoredPage = 2;

// The backup's bytes, read from the file of that very name (never through a
// link, which could lead to any file, a private key among them) when it is
// a regular file of the page's owner or of the user: a backup that someone
// else put beside the page would show the web what that someone wants.
// backupPlace reaches the backup (PathIn), backupPath names it.
std::string LoadBackup(const std::string& backupPath, const std::string& backupPlace, const std::string& pageTarget)
{
    detail::InputFile file;
    detail::SystemError error = file.Open(backupPlace, detail::LinkRule::Refuse);
    bool owned = false;
    if (!error)
        error = file.OwnedByUserOrOwnerOf(pageTarget, owned);
    if (error)
        throw FileError(FileError::Kind::Open, backupPath, detail::ReasonText(error));
    if (!owned)
        throw ConvertError(backupPath + " is not used: it belongs neither to the owner of the page nor to you");
    std::string text(static_cast<std::size_t>(file.Stamp().size), '\0');
    if (const detail::SystemError readError = file.ReadAll(text.data(), text.size()))
        throw FileError(FileError::Kind::Open, backupPath, detail::ReasonText(readError));
    return text;
}

void RemoveQuietly(const std::string& path) noexcept
{
    std::error_code error;
    fs::remove(NativePath(path), error);
}

}  // namespace

PageEditedError::PageEditedError(const std::string& pagePath, const std::string& backupPath)
    : ConvertError(pagePath + " is not what its conversion made of " + backupPath
                   + ": it was changed since, and restoring would lose that; it is left as it is"),
      pagePath_(pagePath)
{}

struct RestoreBatch::Pending {
    explicit Pending(RestoreOutcome start) : outcome(std::move(start)) {}

    // Nothing of the page is written; a copy kept of it goes again, as the
    // page stays as it is.
    void Fail(std::exception_ptr error) noexcept
    {
        outcome.error = std::move(error);
        newPage.reset();
        DropKeptCopy();
    }
    void DropKeptCopy() noexcept
    {
        if (!outcome.keptPath.empty())
            RemoveQuietly(keptPlace);
        outcome.keptPath.clear();
    }

    RestoreOutcome outcome;
    std::shared_ptr<detail::PinnedFolder> folder;  // of a page the search found
    std::string keptPlace;                         // reaches outcome.keptPath
    std::string pageTarget;
    std::optional<detail::PlaceIdentity> pageIdentity;
    detail::FileStamp pageRead;
    std::optional<detail::AtomicFileWriter> newPage;
};

RestoreBatch::RestoreBatch(std::function<void(const RestoreOutcome&)> onOutcome)
    : onOutcome_(std::move(onOutcome)), maxPages_(detail::PagesPerGroup(FilesPerRestoredPage))
{}

RestoreBatch::~RestoreBatch()
{
    placer_.Finish();  // a destructor cannot report the last group's error
    for (const auto& page : pending_)
        page->DropKeptCopy();
}

void RestoreBatch::Restore(const RestoreRequest& request)
{
    const std::string& pagePath = request.pagePath;
    auto page = std::make_unique<Pending>(RestoreOutcome{.pagePath = pagePath, .backupPath = request.backupPath});
    try {
        // As in a conversion, a page the search found is written in its own
        // folder only, and its backup is read there.
        page->folder = detail::PinFolderOf(pagePath, request.judged.has_value());
    } catch (...) {
        page->Fail(std::current_exception());
    }
    page->pageTarget = page->folder ? detail::PathIn(page->folder.get(), pagePath) : detail::LinkTarget(pagePath);
    page->pageIdentity = detail::PlaceIdentityOf(page->pageTarget);
    if (IsPending(page->pageIdentity))
        Finish();  // the page given twice: the second restore sees the first
    try {
        if (!page->outcome.error)
            Prepare(*page, request);
    } catch (...) {
        page->Fail(std::current_exception());
    }
    pending_.push_back(std::move(page));
    if (pending_.size() >= maxPages_)
        StartPlacing();
}

void RestoreBatch::PassOver(const std::string& pagePath)
{
    pending_.push_back(std::make_unique<Pending>(RestoreOutcome{.pagePath = pagePath}));
}

void RestoreBatch::Prepare(Pending& page, const RestoreRequest& request)
{
    const std::string& pagePath = page.outcome.pagePath;
    const std::string& backupPath = page.outcome.backupPath;
    const std::string backup = LoadBackup(backupPath, detail::PathIn(page.folder.get(), backupPath), page.pageTarget);
    const detail::FileBytes current(pagePath);
    detail::RefuseReplacedPage(pagePath, current.Stamp(), request.judged);
    page.pageRead = current.Stamp();
    if (current.view() == backup) {
        page.outcome.alreadyRestored = true;
        return;
    }
    if (std::optional<ConversionFound> conversion = FindConversion(current.view(), backup)) {
        page.outcome.scriptPath = FolderPart(pagePath) + conversion->scriptPath;
        page.outcome.functions = std::move(conversion->functions);
    } else if (!request.keepEdits) {
        throw PageEditedError(pagePath, page.outcome.backupPath);
    } else {
        const detail::Backup kept = detail::WriteBackup(
            pagePath, {current.Stamp(), [&current] { return current.view(); }}, page.pageTarget, true,
            [](const std::string&) { return false; }, KeptPageCandidate, page.folder.get());
        page.outcome.keptPath = kept.path;
        page.keptPlace = kept.place;
    }
    page.newPage.emplace(pagePath, page.pageTarget);
    page.newPage->Append(backup);
    page.newPage->Finish();
    detail::RefuseChangedPage(pagePath, page.pageTarget, page.pageRead);
}

namespace {

// Syncs the new pages of a group together and puts them in place.
void PlaceGroup(std::vector<std::unique_ptr<RestoreBatch::Pending>>& group)
{
    std::vector<detail::TempFile*> files;
    std::vector<RestoreBatch::Pending*> owners;
    for (const auto& page : group) {
        if (page->newPage) {
            files.push_back(&page->newPage->Temp());
            owners.push_back(page.get());
        }
    }
    const std::vector<detail::SystemError> errors = detail::SyncTogether(files);
    std::set<std::string> folders;
    for (std::size_t i = 0; i < owners.size(); ++i) {
        RestoreBatch::Pending& page = *owners[i];
        try {
            if (errors[i])
                page.newPage->Fail(errors[i]);
            // An editor may have saved the page meanwhile.
            detail::RefuseChangedPage(page.outcome.pagePath, page.pageTarget, page.pageRead);
            page.newPage->Place();
            folders.insert(detail::FolderBytes(page.pageTarget));
            // Told, but not undone: the page is restored, and a copy kept of
            // it stays.
            page.outcome.error = detail::PageOffItsPath(page.outcome.pagePath, page.pageTarget);
        } catch (...) {
            page.Fail(std::current_exception());
        }
    }
    const std::vector<std::string> names(folders.begin(), folders.end());
    detail::SyncFolders(names);
}

}  // namespace

void RestoreBatch::Finish()
{
    StartPlacing();
    WaitForPlacing();
}

void RestoreBatch::StartPlacing()
{
    WaitForPlacing();
    if (pending_.empty())
        return;
    placing_ = std::move(pending_);
    pending_.clear();
    placer_.Start([this] { PlaceGroup(placing_); });
}

void RestoreBatch::WaitForPlacing()
{
    const std::exception_ptr placingError = placer_.Finish();
    std::vector<std::unique_ptr<Pending>> done = std::move(placing_);
    placing_.clear();
    if (placingError)
        std::rethrow_exception(placingError);
    for (const auto& page : done)
        onOutcome_(page->outcome);
}

namespace {

bool IsNameDelimiter(char c)
{
    return c == '/' || c == '\\' || c == '"' || c == '\'' || c == '=' || c == '<' || c == '>' || c == '(' || c == ')'
           || static_cast<unsigned char>(c) <= ' ';
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    return lowered;
}

// Every name that ends in ".js" in the page, in lower case, as written and
// as a URL attribute stands for it: what a page can load a script file by.
template <class Visitor>
void ForEachScriptName(std::string_view pageText, Visitor visit)
{
    const std::string lowered = Lowered(pageText);
    const std::string_view text = lowered;
    for (std::size_t at = text.find(".js"); at != std::string_view::npos; at = text.find(".js", at + 1)) {
        std::size_t start = at;
        while (start > 0 && !IsNameDelimiter(text[start - 1]))
            --start;
        const std::string_view name = text.substr(start, at + 3 - start);
        visit(name);
        visit(Lowered(PathOfUrlAttribute(name)));
    }
}

// A script file that may go: what it was when it was found to hold only
// the functions of conversions.
struct RemovalCandidate {
    std::string path;
    detail::FileStamp stamp;
};

// A script file that conversions alone wrote, with no function but those
// called.
std::optional<RemovalCandidate> ConversionScriptAt(const std::string& scriptPath, const std::set<int>& called)
{
    try {
        const detail::FileBytes script(scriptPath);
        if (IsConversionScript(script.view())
            && std::ranges::all_of(detail::FunctionNumbers(script.view()),
                                   [&](int number) { return called.contains(number); }))
            return RemovalCandidate{scriptPath, script.Stamp()};
    } catch (const FileError&) {
        // one that cannot be read stays
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> RemoveUnusedScripts(const ScriptUses& scripts, std::span<const std::string> pagesLeft)
{
    std::vector<RemovalCandidate> candidates;
    std::set<std::string> names;
    for (const auto& [path, called] : scripts) {
        if (std::optional<RemovalCandidate> candidate = ConversionScriptAt(path, called)) {
            names.insert(Lowered(FileNamePart(path)));
            candidates.push_back(std::move(*candidate));
        }
    }
    std::set<std::string, std::less<>> mentioned;
    for (const std::string& page : pagesLeft) {
        try {
            ForEachScriptName(detail::FileBytes(page).view(), [&](std::string_view name) {
                if (const auto found = names.find(std::string(name)); found != names.end())
                    mentioned.insert(*found);
            });
        } catch (const FileError&) {
            // a page that cannot be read cannot load a script either
        }
    }
    std::vector<std::string> removed;
    for (const RemovalCandidate& candidate : candidates) {
        if (mentioned.contains(Lowered(FileNamePart(candidate.path))))
            continue;
        // A conversion that included the script in a page since has written
        // the script too: it is removed only as it was found.
        detail::FolderLock lock;
        detail::FileStamp now;
        if (detail::LockScript(lock, detail::LinkTarget(candidate.path), true) == detail::NoError
            && detail::StampOf(candidate.path, now) == detail::NoError
            && detail::SameContentStamp(now, candidate.stamp)) {
            std::error_code error;
            if (fs::remove(NativePath(candidate.path), error))
                removed.push_back(candidate.path);
        }
    }
    return removed;
}

bool RestoreBatch::IsPending(const std::optional<detail::PlaceIdentity>& identity) const
{
    const auto same = [&](const auto& page) { return page->pageIdentity == identity; };
    return identity && (std::ranges::any_of(pending_, same) || std::ranges::any_of(placing_, same));
}

}  // namespace sorvane
