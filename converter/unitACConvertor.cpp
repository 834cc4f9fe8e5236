// The conversion of one page: the order in which the page, its backup and its
// script file are read and written.
#include "unitACConvertor.h"

#include "converterInternals.h"
#include "nativePath.h"
#include "pageBatch.h"

#include <algorithm>
#include <exception>
#include <filesystem>

namespace sorvane {

const std::string_view ScriptHeaderText = "Created by Sorvane. Website: http://www.sorvane.example/";

namespace {

std::string FileErrorMessage(FileError::Kind kind, const std::string& path)
{
    return (kind == FileError::Kind::Open ? "Cannot open file " : "Cannot create file ") + path;
}

// Writing the script into the page would destroy the page, so such a pair is
// refused before anything is read or written.
void RefuseSameFile(bool same, const std::string& scriptPath)
{
    if (same)
        throw ConvertError("The page and the script file are the same file: " + scriptPath);
}

// The steps every conversion of a page takes before anything is written: the
// read of the page and its refusals, the existing script file's function
// numbers, and the page with its blocks replaced, into sink. The caller has
// refused a script file that is the page. A UTF-16 page would get ASCII
// bytes before its byte-order mark and become unreadable; a NUL byte marks
// a picture or another binary file with a page's name: the page's reads
// refuse both (PageText).
class PageScan {
public:
    // playerMayBeNew: the player script is one the run creates before the
    // page is written (a preview of a copied player), so it need not exist.
    // A preview that keeps the page reads it whole; so does the check whether
    // the page loads the player already.
    PageScan(const std::string& pagePath, std::optional<std::string_view> playerSource,
             detail::PageText::Reading reading, bool playerMayBeNew = false)
        : page_(pagePath, playerSource ? detail::PageText::Reading::Whole : reading),
          player_(playerSource ? std::optional(playerMayBeNew ? detail::PlayerAddress(*playerSource, pagePath)
                                                              : PlayerReference(*playerSource, pagePath))
                               : std::nullopt),
          lineEnd_(page_.LineEnd())
    {}

    detail::PageText& Text() { return page_; }
    const detail::FileStamp& Stamp() const { return page_.Stamp(); }
    // What the conversion adds to the page and to a new script file ends
    // its lines as the page does.
    std::string_view LineEnd() const { return lineEnd_; }

    // An existing script file is read before the scan: its function numbers
    // must not be handed out again, or one name would get two definitions.
    // The function lines go to the run's scriptBuffer, or to functionLines.
    int Rewrite(ConversionRun& run, const std::string& pagePath, const std::string& scriptPath,
                const std::optional<std::string>& existingScript, detail::ByteSink& sink,
                detail::ByteSink* functionLines = nullptr)
    {
        if (existingScript)
            detail::RaiseBlockCounterAbove(run, *existingScript);
        std::string include = detail::IncludeMarkup(RelativePath(pagePath, scriptPath), lineEnd_);
        if (player_ && !LoadsScript(page_.Whole(), *player_, pagePath))
            include += PlayerIncludeLine(*player_, lineEnd_);
        return detail::RewritePage(run, page_, detail::IncludePosition(page_), include, lineEnd_, sink, functionLines);
    }

private:
    detail::PageText page_;
    std::optional<std::string> player_;
    std::string_view lineEnd_;
};

class DiscardingSink final : public detail::ByteSink {
public:
    void Append(std::string_view) override {}
};

// Whether the page's own path still leads to the file of that identity in
// its pinned place (pageTarget): not once a folder on its way was swapped.
bool PathLeadsTo(const std::string& pagePath, const std::string& pageTarget, const FileIdentity& identity)
{
    detail::FileStamp byPath;
    return pagePath == pageTarget
           || (detail::StampOf(pagePath, byPath) == detail::NoError && byPath.identity == identity);
}

}  // namespace

// An editor may save the page while it is converted; replacing it then would
// lose what was saved.
void detail::RefuseChangedPage(const std::string& pagePath, const std::string& pageTarget, const FileStamp& read)
{
    FileStamp now;
    if (StampOf(pageTarget, now) != NoError || !SameContentStamp(now, read))
        throw ConvertError("The page changed during the conversion and was left as it is: " + pagePath);
    if (!PathLeadsTo(pagePath, pageTarget, read.identity))
        throw ConvertError(pagePath
                           + " is left as it is: its path leads elsewhere now, as a folder on its way was "
                             "replaced (by a link or another folder) during the run");
}

std::exception_ptr detail::PageOffItsPath(const std::string& pagePath, const std::string& pageTarget)
{
    FileStamp placed;
    if (pagePath == pageTarget
        || (StampOf(pageTarget, placed) == NoError && PathLeadsTo(pagePath, pageTarget, placed.identity)))
        return nullptr;
    return std::make_exception_ptr(ConvertError(
        pagePath
        + " was written in its own folder, but its path leads elsewhere now: a folder on its way was replaced (by a "
          "link or another folder) during the run"));
}

void detail::RefuseReplacedPage(const std::string& pagePath, const FileStamp& read,
                                const std::optional<FileIdentity>& judged)
{
    if (judged && read.identity != *judged)
        throw ConvertError(pagePath
                           + " is no longer the file the folder search found: it was replaced since (by a link or "
                             "another file), and it is left as it is");
}

void detail::RefuseScriptOutOfFolder(const std::string& pagePath, const std::string& scriptPath,
                                     const std::string& scriptTarget, const std::optional<std::string>& searchedFolder)
{
    if (!searchedFolder)
        return;
    const std::filesystem::path folder = NativePath(*searchedFolder);
    if (!PathBelow(folder, NativePath(scriptPath)))
        return;  // a script folder chosen out of the tree is the user's to choose
    std::error_code error;
    const std::filesystem::path target = std::filesystem::weakly_canonical(NativePath(scriptTarget), error);
    if (!error && PathBelow(folder, target))
        return;
    throw ConvertError(pagePath + " is left as it is: its script file " + scriptPath + " is a symbolic link out of "
                       + *searchedFolder + ", to " + (error ? scriptTarget : PathBytes(target))
                       + ", which is never written through");
}

FileError::FileError(Kind kind, std::string path, std::string reason)
    : ConvertError(FileErrorMessage(kind, path)), kind_(kind), path_(std::move(path)), reason_(std::move(reason))
{}

ConvertReport ConvertPage(ConversionRun& run, const PageRequest& request)
{
    PageOutcome outcome;
    PageBatch batch(run, {}, [&outcome](const PageOutcome& done) { outcome = done; });
    batch.Convert(request);
    batch.Finish();
    if (outcome.error)
        std::rethrow_exception(outcome.error);
    return outcome.report;
}

// Everything up to the moment the new files are put in place. Anything that
// stops the conversion before the backup leaves every file as it was; the
// page's new file is made first of all, so a page that cannot be replaced
// is found before anything is written.
void PageBatch::Prepare(Pending& page, const PageRequest& request)
{
    const std::string& pagePath = request.pagePath;
    const std::string& scriptPath = request.scriptPath;
    // A page the search found is written in its own folder only, as are the
    // files beside it (its backup, a script file of that folder).
    page.folder = detail::PinFolderOf(pagePath, request.judged.has_value());
    page.pageTarget = page.folder ? detail::PathIn(page.folder.get(), pagePath) : detail::LinkTarget(pagePath);
    const std::string scriptTarget = detail::LinkTarget(detail::PathIn(page.folder.get(), scriptPath));
    const auto identify = [&] {
        page.pageIdentity = detail::PlaceIdentityOf(page.pageTarget);
        page.scriptIdentity = detail::PlaceIdentityOf(scriptTarget);
    };
    identify();
    RefuseSameFile(pagePath == scriptPath || (page.pageIdentity && page.pageIdentity == page.scriptIdentity),
                   scriptPath);
    if (IsPending(page.pageIdentity) || IsPending(page.scriptIdentity)) {
        Finish();
        // A script file that did not exist may exist now: later pages that
        // share it see the file, and must find this page waiting to write it.
        identify();
    }
    PageScan scan(pagePath, request.playerSource, detail::PageText::Reading::Windows);
    detail::RefuseReplacedPage(pagePath, scan.Stamp(), request.judged);
    if (rules_.withoutBlocks == PagesWithoutBlocks::LeaveUnchanged && !detail::HasFlashBlocks(scan.Text())) {
        page.outcome.report.leftUnchanged = true;
        page.pageIdentity.reset();  // it writes nothing
        page.scriptIdentity.reset();
        return;
    }

    detail::RefuseScriptOutOfFolder(pagePath, scriptPath, scriptTarget, request.searchedFolder);
    // From the read of the script file to its write, no other conversion may
    // write it: both would number from the same point and one page would
    // lose its movies.
    page.scriptLock = ScriptLock(scriptPath, scriptTarget);
    // An existing script file is read before the scan: its function numbers
    // must not be handed out again, or one name would get two definitions.
    const std::optional<std::string> existingScript = detail::LoadTextFileIfAny(scriptTarget, scriptPath);

    page.newPage.emplace(pagePath, page.pageTarget);
    // The new page: the old one with an include and, per block, a call.
    page.newPage->Reserve(scan.Text().Size() + scan.Text().Size() / 8 + 4096);
    // A script file of the page's own functions is written as they are
    // found; one of the whole run gets them all once the page is done.
    std::optional<detail::ScriptFileLines> ownLines;
    if (rules_.content == ScriptContent::ThisPage) {
        run_.scriptBuffer.clear();
        page.newScript.emplace(scriptPath, scriptTarget);
        ownLines.emplace(existingScript.value_or(std::string()), scan.LineEnd(), *page.newScript);
    }
    page.outcome.report.blocksConverted = scan.Rewrite(run_, pagePath, scriptPath, existingScript, *page.newPage,
                                                       ownLines ? &*ownLines : nullptr);
    page.newPage->StopWritingAhead();
    page.outcome.report.scriptPath = scriptPath;
    page.pageRead = scan.Stamp();
    detail::RefuseChangedPage(pagePath, page.pageTarget, page.pageRead);

    if (request.backup) {
        page.backup = detail::WriteBackup(
            pagePath, {scan.Stamp(), [&scan] { return scan.Text().Whole(); }}, page.pageTarget, true,
            [&](const std::string& name) { return IsReservedName(name, page); }, BackupCandidate, page.folder.get());
        page.outcome.report.backupPath = page.backup.path;
    }
    if (ownLines) {
        ownLines->Finish();
    } else {
        page.newScript.emplace(scriptPath, scriptTarget);
        detail::WriteScriptAfter(existingScript.value_or(std::string()), run_.scriptBuffer, scan.LineEnd(),
                                 *page.newScript);
    }
    page.newScript->Finish();
}

PagePreview ConversionPreview::Preview(const PageRequest& request)
{
    const std::string& pagePath = request.pagePath;
    const std::string& scriptPath = request.scriptPath;
    const std::optional<std::string>& player = request.playerSource;
    RefuseSameFile(SameFile(pagePath, scriptPath), scriptPath);
    PageScan scan(pagePath, player,
                  options_.keepTexts ? detail::PageText::Reading::Whole : detail::PageText::Reading::Windows,
                  player && *player == newPlayerScript_);
    PagePreview preview;
    if (options_.rules.withoutBlocks == PagesWithoutBlocks::LeaveUnchanged && !detail::HasFlashBlocks(scan.Text())) {
        preview.report.leftUnchanged = true;
        return preview;
    }
    detail::RefuseScriptOutOfFolder(pagePath, scriptPath, detail::LinkTarget(scriptPath), request.searchedFolder);
    // A script file planned before has only numbers below the run's counter, so
    // only one not yet planned is read for them.
    const auto planned = scripts_.find(scriptPath);
    const std::optional<std::string> oldScript = planned != scripts_.end() ? std::optional(planned->second)
                                                                           : detail::LoadTextFileIfAny(scriptPath);
    detail::StringSink newPage;
    DiscardingSink discarded;
    if (options_.rules.content == ScriptContent::ThisPage)
        run_.scriptBuffer.clear();
    preview.report = {scan.Rewrite(run_, pagePath, scriptPath, oldScript,
                                   options_.keepTexts ? static_cast<detail::ByteSink&>(newPage) : discarded),
                      scriptPath,
                      request.backup ? detail::FreeBackupName(
                          pagePath, [&](const std::string& name) { return IsReservedName(name, scriptPath); })
                                     : std::string()};
    preview.scriptExists = oldScript.has_value();
    if (!preview.scriptExists && planned == scripts_.end())
        newScripts_.emplace(FileNamePart(scriptPath), scriptPath);
    if (options_.keepTexts) {
        preview.oldPage = scan.Text().Whole();
        preview.newPage = std::move(newPage.text);
        detail::StringSink newScript;
        detail::WriteScriptAfter(oldScript.value_or(std::string()), run_.scriptBuffer, scan.LineEnd(), newScript);
        preview.newScript = std::move(newScript.text);
        preview.oldScript = oldScript;
    }
    scripts_[scriptPath] = preview.newScript;
    return preview;
}

// As in a conversion, a backup passes over the page's script file and the
// script files that pages before it would have made by then. Only a new
// script file can hold a name that names nothing yet, and only one of the
// same file name can be the same file.
bool ConversionPreview::IsReservedName(const std::string& name, const std::string& scriptPath) const
{
    if (SameFile(name, scriptPath))
        return true;
    const auto [first, last] = newScripts_.equal_range(FileNamePart(name));
    return std::any_of(first, last, [&name](const auto& script) { return SameFile(name, script.second); });
}

}  // namespace sorvane
