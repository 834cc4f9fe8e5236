// Putting the new files of a batch of pages in place. Every new file reaches
// the disk before any of them takes its name, so an interrupted run leaves
// each file wholly old or wholly new; the scripts take their names before
// the pages, so a page never calls a function its script file lacks.
#include "pageBatch.h"

#include <algorithm>
#include <set>
#include <utility>

namespace sorvane {
namespace {

using Pages = std::vector<std::unique_ptr<PageBatch::Pending>>;

// Beyond this many pages one more sync costs little next to their writing;
// fewer pages let more of the syncing happen while the next are prepared.
constexpr std::size_t MostPagesAtOnce = 256;
// The new pages of a group wait in memory until the group is placed.
constexpr std::size_t MostBytesAtOnce = std::size_t{64} << 20;
// Open files left to the rest of the program.
constexpr std::size_t FilesLeftFree = 64;
// Each page holds its new page and script files open, and its folder.
constexpr std::size_t FilesPerConvertedPage = 3;

// What tells a folder from every other: its identity, as one folder has
// many paths (those of pinned folders among them); its path where that
// cannot be had, for the lock to report.
std::string FolderKey(const std::string& folder)
{
    detail::FileStamp stamp;
    if (detail::StampOf(folder, stamp) != detail::NoError)
        return folder;
    return std::to_string(stamp.identity.device) + ':' + std::to_string(stamp.identity.index);
}

void SyncFolders(const std::set<std::string>& folders)
{
    const std::vector<std::string> names(folders.begin(), folders.end());
    detail::SyncFolders(names);
}

// Runs step for each page with files still to place; an error ends that
// page.
template <class Step>
void ForEachLivePage(Pages& pages, Step step)
{
    for (const auto& page : pages) {
        if (!page->Writes())
            continue;
        try {
            step(*page);
        } catch (...) {
            page->Fail(std::current_exception());
        }
    }
}

// Ends the new files and makes all of them reach the disk together.
void SyncNewFiles(Pages& pages)
{
    ForEachLivePage(pages, [](PageBatch::Pending& page) { page.newPage->Finish(); });
    struct NewFile {
        PageBatch::Pending* page;
        bool isScript;
    };
    std::vector<detail::TempFile*> files;
    std::vector<NewFile> owners;
    ForEachLivePage(pages, [&](PageBatch::Pending& page) {
        files.push_back(&page.newScript->Temp());
        owners.push_back({&page, true});
        if (detail::TempFile* temp = page.newPage->Temp()) {
            files.push_back(temp);
            owners.push_back({&page, false});
        }
    });
    const std::vector<detail::SystemError> errors = detail::SyncTogether(files);
    for (std::size_t i = 0; i < owners.size(); ++i) {
        PageBatch::Pending& page = *owners[i].page;
        if (!errors[i] || page.Failed())
            continue;
        if (!owners[i].isScript) {
            page.newPage->KeepSyncError(errors[i]);
            continue;
        }
        try {
            page.newScript->Fail(errors[i]);
        } catch (...) {
            page.Fail(std::current_exception());
        }
    }
}

// Syncs the new files of the pages and puts them in place: first every
// script file, then every page.
void PlacePages(Pages& pages)
{
    SyncNewFiles(pages);
    std::set<std::string> folders;
    ForEachLivePage(pages, [&](PageBatch::Pending& page) {
        detail::RefuseChangedPage(page.outcome.pagePath, page.pageTarget, page.pageRead);
        page.newScript->Place();
        folders.insert(detail::FolderBytes(page.newScript->Target()));
        if (!page.backup.path.empty())
            folders.insert(detail::FolderBytes(page.backup.place));
    });
    SyncFolders(folders);
    folders.clear();
    ForEachLivePage(pages, [&](PageBatch::Pending& page) {
        detail::RefuseChangedPage(page.outcome.pagePath, page.pageTarget, page.pageRead);
        // Nothing may fail once the page is in place: its backup would go.
        folders.insert(detail::FolderBytes(page.newPage->Target()));
        page.newPage->Place();
        // Told, but not undone: the page is converted, and its backup stays.
        page.outcome.error = detail::PageOffItsPath(page.outcome.pagePath, page.pageTarget);
    });
    SyncFolders(folders);
    for (const auto& page : pages)
        page->scriptLock.reset();
}

}  // namespace

std::size_t detail::PagesPerGroup(std::size_t filesPerPage)
{
    const std::size_t limit = OpenFileLimit();
    const std::size_t filesPerPageOfBothGroups = 2 * filesPerPage;
    return limit > FilesLeftFree + filesPerPageOfBothGroups
               ? std::min(MostPagesAtOnce, (limit - FilesLeftFree) / filesPerPageOfBothGroups)
               : 1;
}

void PageBatch::Pending::Fail(std::exception_ptr error)
{
    outcome.error = std::move(error);
    newPage.reset();
    newScript.reset();
    scriptLock.reset();
    DropBackup();
}

void PageBatch::Pending::DropBackup()
{
    if (backup.path.empty())
        return;
    if (failedBackup == BackupOfFailedPage::Remove)
        detail::RemoveBackup(backup);
    else
        detail::DetachBackup(backup);
    backup = {};
}

PageBatch::PageBatch(ConversionRun& run, const BatchRules& rules, std::function<void(const PageOutcome&)> onOutcome)
    : run_(run), rules_(rules), onOutcome_(std::move(onOutcome)),
      maxPages_(detail::PagesPerGroup(FilesPerConvertedPage))
{}

PageBatch::~PageBatch()
{
    placer_.Finish();  // a destructor cannot report the last group's error
    for (const auto& page : pending_)
        page->DropBackup();
}

void PageBatch::Convert(const PageRequest& request)
{
    auto page = std::make_unique<Pending>(request.pagePath, rules_.failedPageBackup);
    try {
        Prepare(*page, request);
    } catch (...) {
        page->Fail(std::current_exception());
    }
    pendingBytes_ += page->Writes() ? page->newPage->BufferedBytes() : 0;
    pending_.push_back(std::move(page));
    if (pending_.size() >= maxPages_ || pendingBytes_ >= MostBytesAtOnce)
        StartPlacing();
}

void PageBatch::Finish()
{
    StartPlacing();
    WaitForPlacing();
}

void PageBatch::StartPlacing()
{
    WaitForPlacing();
    if (pending_.empty())
        return;
    placing_ = std::move(pending_);
    pending_.clear();
    pendingBytes_ = 0;
    placer_.Start([this] { PlacePages(placing_); });
}

void PageBatch::WaitForPlacing()
{
    const std::exception_ptr placingError = placer_.Finish();
    if (placing_.empty())
        return;
    Pages done = std::move(placing_);
    placing_.clear();
    if (placingError)
        std::rethrow_exception(placingError);
    for (const auto& page : done)
        onOutcome_(page->outcome);
}

std::shared_ptr<detail::FolderLock> PageBatch::ScriptLock(const std::string& scriptPath,
                                                          const std::string& scriptTarget)
{
    const std::string folder = FolderKey(detail::FolderBytes(scriptTarget));
    if (std::shared_ptr<detail::FolderLock> held = folderLocks_[folder].lock())
        return held;
    auto lock = std::make_shared<detail::FolderLock>();
    detail::SystemError error = detail::LockScript(*lock, scriptTarget, pending_.empty() && placing_.empty());
    if (detail::FolderLock::IsBusy(error)) {
        Finish();  // never wait while holding locks another program may wait for
        error = detail::LockScript(*lock, scriptTarget, true);
    }
    if (error)
        detail::RaiseLockFailure(scriptPath, error);
    folderLocks_[folder] = lock;
    return lock;
}

bool PageBatch::IsPending(const std::optional<detail::PlaceIdentity>& identity) const
{
    const auto writes = [&](const auto& page) {
        return page->pageIdentity == identity || page->scriptIdentity == identity;
    };
    // Whether a page being placed failed is not known here: it counts.
    return identity
           && (std::ranges::any_of(pending_, [&](const auto& page) { return page->Writes() && writes(page); })
               || std::ranges::any_of(placing_, writes));
}

bool PageBatch::IsReservedName(const std::string& name, const Pending& page) const
{
    const std::optional<detail::PlaceIdentity> identity = detail::NewPlaceIdentity(name);
    return identity && (identity == page.scriptIdentity || IsPending(identity));
}

}  // namespace sorvane
