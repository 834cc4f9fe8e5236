// The state of one page of a PageBatch between its preparation and the
// moment its new files are put in place; shared by the conversion steps
// (unitACConvertor.cpp) and the batch's commit (pageBatch.cpp).
#pragma once

#include "converterInternals.h"
#include "unitACConvertor.h"

#include <exception>
#include <optional>

namespace sorvane {

// The new page file, filled while the page is scanned; what the writer still
// buffers when the scan ends (most pages, whole) is written by Finish on the
// thread that places the page's group. A failure to write it is kept until
// the script file is in place, as the page comes last and the scan must
// register every block whatever happens to the page. Making the file itself
// is no such failure: it is raised at once.
class PageDraft final : public detail::ByteSink {
public:
    PageDraft(const std::string& pagePath, std::string pageTarget) : writer_(pagePath, std::move(pageTarget)) {}

    void Append(std::string_view bytes) override
    {
        Try([&] { writer_.Append(bytes); });
    }
    void Finish()
    {
        Try([&] { writer_.Finish(); });
    }
    void Reserve(std::size_t bytes) { writer_.Reserve(bytes); }
    // Once the scan is done: the page waits for its group with no thread of
    // its own (see AtomicFileWriter::StopWritingAhead).
    void StopWritingAhead()
    {
        Try([&] { writer_.StopWritingAhead(); });
    }
    std::size_t BufferedBytes() const { return writer_.BufferedBytes(); }
    detail::TempFile* Temp() { return error_ ? nullptr : &writer_.Temp(); }
    void KeepSyncError(detail::SystemError error)
    {
        if (error)
            Try([&] { writer_.Fail(error); });
    }
    // Puts the page in place, or raises the failure kept from before.
    void Place()
    {
        if (error_)
            std::rethrow_exception(error_);
        writer_.Place();
    }
    const std::string& Target() const { return writer_.Target(); }

private:
    template <class Step>
    void Try(Step step)
    {
        if (error_)
            return;
        try {
            step();
        } catch (const FileError&) {
            error_ = std::current_exception();
        }
    }

    detail::AtomicFileWriter writer_;
    std::exception_ptr error_;
};

struct PageBatch::Pending {
    Pending(std::string pagePath, BackupOfFailedPage failedBackup) : failedBackup(failedBackup)
    {
        outcome.pagePath = std::move(pagePath);
    }

    bool Failed() const { return outcome.error != nullptr; }
    // Whether the page still has files to put in place: it neither failed
    // nor is left unchanged.
    bool Writes() const { return !Failed() && !outcome.report.leftUnchanged; }
    // Ends the page's conversion with error: nothing more of it is written,
    // and its backup is dealt with as failedBackup says.
    void Fail(std::exception_ptr error);
    // What becomes of the backup of a page not replaced: as Fail does it.
    void DropBackup();

    PageOutcome outcome;
    std::shared_ptr<detail::PinnedFolder> folder;  // of a page the search found
    std::string pageTarget;
    std::optional<detail::PlaceIdentity> pageIdentity;
    std::optional<detail::PlaceIdentity> scriptIdentity;
    detail::FileStamp pageRead;
    std::shared_ptr<detail::FolderLock> scriptLock;  // shared by the pages of one script folder
    std::optional<PageDraft> newPage;
    std::optional<detail::AtomicFileWriter> newScript;
    detail::Backup backup;
    BackupOfFailedPage failedBackup;
};

}  // namespace sorvane
