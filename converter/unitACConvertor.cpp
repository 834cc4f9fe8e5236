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

namespace {

// The steps every conversion of a page takes before anything is written: the
// refusals, the existing script file's function numbers, and the page with
// its blocks replaced, into sink.
class PageScan {
public:
    PageScan(const std::string& pagePath, const std::string& scriptPath,
             std::optional<std::string_view> playerSource)
        : pageFile_(PagePathApartFrom(pagePath, scriptPath)),
          player_(playerSource ? std::optional(PlayerReference(*playerSource, pagePath)) : std::nullopt)
    {
        RefuseUnlessEightBitText(pagePath, Page());
    }

    std::string_view Page() const { return pageFile_.view(); }

    // An existing script file is read before the scan: its function numbers
    // must not be handed out again, or one name would get two definitions.
    int Rewrite(const std::string& pagePath, const std::string& scriptPath,
                const std::optional<std::string>& existingScript, detail::ByteSink& sink) const
    {
        if (existingScript) detail::RaiseBlockCounterAbove(*existingScript);
        std::string include = detail::IncludeMarkup(RelativePath(pagePath, scriptPath));
        if (player_ && !LoadsScript(Page(), *player_)) include += PlayerIncludeLine(*player_);
        return detail::RewritePage(Page(), detail::IncludePosition(Page()), include, sink);
    }

private:
    static const std::string& PagePathApartFrom(const std::string& pagePath, const std::string& scriptPath)
    {
        RefuseSameFile(pagePath, scriptPath);
        return pagePath;
    }

    detail::FileBytes pageFile_;
    std::optional<std::string> player_;
};

class StringSink final : public detail::ByteSink {
public:
    void Append(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

class DiscardingSink final : public detail::ByteSink {
public:
    void Append(std::string_view) override {}
};

}  // namespace

ConvertReport ConvertPage(const std::string& pagePath, const std::string& scriptPath, bool backup,
                          std::optional<std::string_view> playerSource)
{
    const PageScan scan(pagePath, scriptPath, playerSource);
    const std::optional<std::string> existingScript = detail::LoadExistingScript(scriptPath);
    PageDraft newPage(pagePath);
    ConvertReport report{scan.Rewrite(pagePath, scriptPath, existingScript, newPage), scriptPath, {}};

    if (backup) report.backupPath = detail::WriteBackup(pagePath, scan.Page(), scriptPath);
    detail::WriteScriptAfter(existingScript.value_or(std::string()), ScriptBuffer, scriptPath);
    newPage.Commit();
    return report;
}

PagePreview ConversionPreview::Preview(const std::string& pagePath, const std::string& scriptPath, bool backup,
                                       std::optional<std::string_view> playerSource)
{
    const PageScan scan(pagePath, scriptPath, playerSource);
    PagePreview preview;
    // A script file planned before has only numbers below BlockCounter, so
    // only one not yet planned is read for them.
    const auto planned = scripts_.find(scriptPath);
    const std::optional<std::string> oldScript =
        planned != scripts_.end() ? std::optional(planned->second) : detail::LoadExistingScript(scriptPath);
    StringSink newPage;
    DiscardingSink discarded;
    preview.report = {scan.Rewrite(pagePath, scriptPath, oldScript,
                                   keepTexts_ ? static_cast<detail::ByteSink&>(newPage) : discarded),
                      scriptPath, backup ? detail::FreeBackupName(pagePath, scriptPath) : std::string()};
    preview.scriptExists = oldScript.has_value();
    if (keepTexts_) {
        preview.oldPage = scan.Page();
        preview.newPage = std::move(newPage.text);
        preview.newScript = detail::NewScriptText(oldScript.value_or(std::string()), ScriptBuffer).Joined();
        preview.oldScript = oldScript;
    }
    scripts_[scriptPath] = preview.newScript;
    return preview;
}

}  // namespace sorvane
