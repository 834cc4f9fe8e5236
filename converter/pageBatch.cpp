// Putting the new files of a batch of pages in place. Every new file reaches
// the disk before any of them takes its name, so an interrupted run leaves
// each file wholly old or wholly new; the scripts take their names before
// the pages, so a page never calls a function its script file lacks.
#include "nativePath.h"
#include "pageBatch.h"

#include <algorithm>
#include <set>

namespace sorvane {
namespace {

using Pages = std::vector<std::unique_ptr<PageBatch::Pending>>;

// Beyond this many pages one more sync costs little next to their writing.
constexpr std::size_t MostPagesAtOnce = 1024;
// Open files left to the rest of the program.
constexpr std::size_t FilesLeftFree = 64;

// Each page waiting in the batch holds its new page and script files open.
std::size_t BatchSize()
{
    const std::size_t limit = detail::OpenFileLimit();
    return limit > FilesLeftFree + 2 ? std::min(MostPagesAtOnce, (limit - FilesLeftFree) / 2) : 1;
}

std::string FolderOf(const std::string& path) { return PathBytes(NativePath(path).parent_path()); }

void SyncFolders(const std::set<std::string>& folders)
{
    std::vector<std::string> names;
    for (const std::string& folder : folders) names.push_back(folder.empty() ? "." : folder);
    detail::SyncFolders(names);
}

// Runs step for each page still being converted; an error ends that page.
template <class Step>
void ForEachLivePage(Pages& pages, Step step)
{
    for (const auto& page : pages) {
        if (page->Failed()) continue;
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
        if (!errors[i] || page.Failed()) continue;
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

}  // namespace

void PageBatch::Pending::Fail(std::exception_ptr error)
{
    outcome.error = std::move(error);
    newPage.reset();
    newScript.reset();
    scriptLock.reset();
    detail::DetachBackup(backup);
    backup = {};
}

PageBatch::PageBatch(ScriptContent content, std::function<void(const PageOutcome&)> onOutcome)
    : content_(content), onOutcome_(std::move(onOutcome)), maxPages_(BatchSize())
{
}

PageBatch::~PageBatch()
{
    for (const auto& page : pending_) detail::DetachBackup(page->backup);
}

void PageBatch::Convert(const std::string& pagePath, const std::string& scriptPath, bool backup,
                        std::optional<std::string_view> playerSource)
{
    auto page = std::make_unique<Pending>(pagePath);
    try {
        Prepare(*page, scriptPath, backup, playerSource);
    } catch (...) {
        page->Fail(std::current_exception());
    }
    pending_.push_back(std::move(page));
    if (pending_.size() >= maxPages_) Finish();
}

void PageBatch::Finish()
{
    SyncNewFiles(pending_);
    std::set<std::string> folders;
    ForEachLivePage(pending_, [&](Pending& page) {
        detail::RefuseChangedPage(page.outcome.pagePath, page.pageTarget, page.pageRead);
        page.newScript->Place();
        folders.insert(FolderOf(page.newScript->Target()));
        if (!page.backup.path.empty()) folders.insert(FolderOf(page.backup.path));
    });
    SyncFolders(folders);
    folders.clear();
    ForEachLivePage(pending_, [&](Pending& page) {
        detail::RefuseChangedPage(page.outcome.pagePath, page.pageTarget, page.pageRead);
        page.newPage->Place();
        folders.insert(FolderOf(page.newPage->Target()));
    });
    SyncFolders(folders);

    Pages done = std::move(pending_);
    pending_.clear();
    for (const auto& page : done) {
        page->scriptLock.reset();
        onOutcome_(page->outcome);
    }
}

std::shared_ptr<detail::FolderLock> PageBatch::ScriptLock(const std::string& scriptTarget)
{
    const std::string folder = PathBytes(NativePath(scriptTarget).parent_path());
    if (std::shared_ptr<detail::FolderLock> held = folderLocks_[folder].lock()) return held;
    auto lock = std::make_shared<detail::FolderLock>();
    if (detail::FolderLock::IsBusy(detail::LockScript(*lock, scriptTarget, pending_.empty()))) {
        Finish();  // never wait while holding locks another program may wait for
        (void)detail::LockScript(*lock, scriptTarget, true);
    }
    folderLocks_[folder] = lock;
    return lock;
}

bool PageBatch::IsPending(const std::optional<detail::PlaceIdentity>& identity) const
{
    return identity && std::ranges::any_of(pending_, [&](const auto& page) {
               return !page->Failed() && (page->pageIdentity == identity || page->scriptIdentity == identity);
           });
}

bool PageBatch::IsReservedName(const std::string& name, const Pending& page) const
{
    const std::optional<detail::PlaceIdentity> identity = detail::NewPlaceIdentity(name);
    return identity && (identity == page.scriptIdentity || IsPending(identity));
}

}  // namespace sorvane
