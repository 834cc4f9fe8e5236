// The conversion of one page: the module state, and the order in which the
// page, its backup and its script file are read and written.
#include "unitACConvertor.h"

#include "converterInternals.h"
#include "nativePath.h"

#include <exception>
#include <filesystem>

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
void RefuseSameFile(const std::string& pagePath, const std::string& scriptPath)
{
    std::error_code error;
    if (pagePath == scriptPath || std::filesystem::equivalent(NativePath(pagePath), NativePath(scriptPath), error))
        throw ConvertError("The page and the script file are the same file: " + scriptPath);
}

// A UTF-16 page would get ASCII bytes before its byte-order mark and become
// unreadable; a NUL byte marks a picture or another binary file with a page's
// name. Such files are left alone before anything is written.
void RefuseUnlessEightBitText(const std::string& pagePath, std::string_view page)
{
    const bool utf16 = page.starts_with("\xFF\xFE") || page.starts_with("\xFE\xFF");
    if (!utf16 && page.find('\0') == std::string_view::npos) return;
    throw ConvertError(pagePath + " is not a web page in an 8-bit encoding: "
                       + (utf16 ? "it starts with a UTF-16 byte-order mark" : "it holds NUL bytes"));
}

// The new page file, filled while the page is scanned. A failure to write it
// is kept until the script file is in place, as the page comes last and the
// scan must register every block whatever happens to the page.
class PageDraft final : public detail::ByteSink {
public:
    explicit PageDraft(const std::string& pagePath)
    {
        try {
            writer_.emplace(pagePath);
        } catch (const FileError&) {
            error_ = std::current_exception();
        }
    }

    void Append(std::string_view bytes) override
    {
        if (error_) return;
        try {
            writer_->Append(bytes);
        } catch (const FileError&) {
            error_ = std::current_exception();
            writer_.reset();
        }
    }

    void Commit()
    {
        if (error_) std::rethrow_exception(error_);
        writer_->Commit();
    }

private:
    std::optional<detail::AtomicFileWriter> writer_;
    std::exception_ptr error_;
};

}  // namespace

FileError::FileError(Kind kind, std::string path)
    : ConvertError(FileErrorMessage(kind, path)), kind_(kind), path_(std::move(path))
{
}

ConvertReport ConvertPage(const std::string& pagePath, const std::string& scriptPath, bool backup,
                          std::optional<std::string_view> playerSource)
{
    RefuseSameFile(pagePath, scriptPath);
    const std::optional<std::string> player =
        playerSource ? std::optional(PlayerReference(*playerSource, pagePath)) : std::nullopt;
    const detail::FileBytes pageFile(pagePath);
    const std::string_view page = pageFile.view();
    RefuseUnlessEightBitText(pagePath, page);
    // An existing script file is read before the scan: its function numbers
    // must not be handed out again, or one name would get two definitions.
    const std::optional<std::string> existingScript = detail::LoadExistingScript(scriptPath);
    if (existingScript) detail::RaiseBlockCounterAbove(*existingScript);

    PageDraft newPage(pagePath);
    std::string include = detail::IncludeMarkup(RelativePath(pagePath, scriptPath));
    if (player && !LoadsScript(page, *player)) include += PlayerIncludeLine(*player);
    const int blocks = detail::RewritePage(page, detail::IncludePosition(page), include, newPage);
    ConvertReport report{blocks, scriptPath, {}};

    if (backup) report.backupPath = detail::WriteBackup(pagePath, page, scriptPath);
    detail::WriteScriptAfter(existingScript.value_or(std::string()), ScriptBuffer, scriptPath);
    newPage.Commit();
    return report;
}

}  // namespace sorvane
