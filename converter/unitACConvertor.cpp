// The conversion of one page: the module state, and the order in which the
// page, its backup and its script file are read and written.
#include "unitACConvertor.h"

#include "converterInternals.h"
#include "pageBatch.h"

#include <exception>

namespace sorvane {

const std::string_view ScriptHeaderText = "Created by Sorvane. Website: http://www.sorvane.example/";

int BlockCounter = 0;
std::string ScriptBuffer;

namespace {

std::string FileErrorMessage(FileError::Kind kind, const std::string& path)
{
    return (kind == FileError::Kind::Open ? "Cannot open file " : "Cannot create file ") + path;
}

// Writing the script into the page would destroy the page, so such a pair is
// refused before anything is read or written.
void RefuseSameFile(const std::string& pagePath, const std::string& scriptPath, const PageBatch::Pending& page)
{
    if (pagePath == scriptPath || (page.pageIdentity && page.pageIdentity == page.scriptIdentity))
        throw ConvertError("The page and the script file are the same file: " + scriptPath);
}

}  // namespace

// An editor may save the page while it is converted; replacing it then would
// lose what was saved.
void detail::RefuseChangedPage(const std::string& pagePath, const std::string& pageTarget, const FileStamp& read)
{
    FileStamp now;
    if (StampOf(pageTarget, now) != NoError || !SameContentStamp(now, read))
        throw ConvertError("The page changed during the conversion and was left as it is: " + pagePath);
}

FileError::FileError(Kind kind, std::string path, std::string reason)
    : ConvertError(FileErrorMessage(kind, path)), kind_(kind), path_(std::move(path)), reason_(std::move(reason))
{
}

ConvertReport ConvertPage(const std::string& pagePath, const std::string& scriptPath, bool backup)
{
    PageOutcome outcome;
    PageBatch batch(ScriptContent::WholeRun, [&outcome](const PageOutcome& done) { outcome = done; });
    batch.Convert(pagePath, scriptPath, backup);
    batch.Finish();
    if (outcome.error) std::rethrow_exception(outcome.error);
    return outcome.report;
}

// Everything up to the moment the new files are put in place. Anything that
// stops the conversion before the backup leaves every file as it was; the
// page's new file is made first of all, so a page that cannot be replaced
// is found before anything is written.
void PageBatch::Prepare(Pending& page, const std::string& scriptPath, bool backup)
{
    const std::string& pagePath = page.outcome.pagePath;
    page.pageTarget = detail::LinkTarget(pagePath);
    const std::string scriptTarget = detail::LinkTarget(scriptPath);
    page.pageIdentity = detail::PlaceIdentityOf(page.pageTarget);
    page.scriptIdentity = detail::PlaceIdentityOf(scriptTarget);
    RefuseSameFile(pagePath, scriptPath, page);
    if (IsPending(page.pageIdentity) || IsPending(page.scriptIdentity)) Finish();
    const detail::FileBytes pageFile(pagePath);
    const std::string_view pageText = pageFile.view();

    // From the read of the script file to its write, no other conversion may
    // write it: both would number from the same point and one page would
    // lose its movies.
    page.scriptLock = ScriptLock(scriptTarget);
    // An existing script file is read before the scan: its function numbers
    // must not be handed out again, or one name would get two definitions.
    const std::optional<std::string> existingScript = detail::LoadTextFileIfAny(scriptPath);
    if (existingScript) detail::RaiseBlockCounterAbove(*existingScript);

    page.newPage.emplace(pagePath, page.pageTarget);
    if (content_ == ScriptContent::ThisPage) ScriptBuffer.clear();
    page.outcome.report.blocksConverted = detail::RewritePage(
        pageText, detail::IncludePosition(pageText), detail::IncludeMarkup(RelativePath(pagePath, scriptPath)),
        *page.newPage);
    page.outcome.report.scriptPath = scriptPath;
    page.pageRead = pageFile.Stamp();
    detail::RefuseChangedPage(pagePath, page.pageTarget, page.pageRead);

    if (backup) {
        page.backup = detail::WriteBackup(pagePath, pageFile, page.pageTarget, true,
                                          [&](const std::string& name) { return IsReservedName(name, page); });
        page.outcome.report.backupPath = page.backup.path;
    }
    page.newScript.emplace(scriptPath, scriptTarget);
    detail::WriteScriptAfter(existingScript.value_or(std::string()), ScriptBuffer, *page.newScript);
    page.newScript->Finish();
    page.newPage->Finish();
}

}  // namespace sorvane
