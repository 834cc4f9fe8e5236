// The conversion of one page: the module state, and the order in which the
// page, its backup and its script file are read and written.
#include "unitACConvertor.h"

#include "converterInternals.h"

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
    if (pagePath == scriptPath || std::filesystem::equivalent(pagePath, scriptPath, error))
        throw ConvertError("The page and the script file are the same file: " + scriptPath);
}

detail::AtomicFileWriter StartPageFile(std::string_view page, std::span<const detail::BlockSpan> blocks,
                                       const std::string& pagePath, const std::string& scriptPath)
{
    detail::AtomicFileWriter writer(pagePath);
    detail::RenderPage(page, blocks, detail::IncludePosition(page),
                       detail::IncludeMarkup(RelativePath(pagePath, scriptPath)), writer);
    writer.Flush();
    return writer;
}

}  // namespace

FileError::FileError(Kind kind, std::string path)
    : ConvertError(FileErrorMessage(kind, path)), kind_(kind), path_(std::move(path))
{
}

ConvertReport ConvertPage(const std::string& pagePath, const std::string& scriptPath, bool backup)
{
    RefuseSameFile(pagePath, scriptPath);
    const detail::FileBytes pageFile(pagePath);
    const std::string_view page = pageFile.view();
    // An existing script file is read before the scan: its function numbers
    // must not be handed out again, or one name would get two definitions.
    const std::optional<std::string> existingScript = detail::LoadExistingScript(scriptPath);
    if (existingScript) detail::RaiseBlockCounterAbove(*existingScript);

    const std::vector<detail::BlockSpan> blocks = detail::ScanBlocks(page);
    ConvertReport report{static_cast<int>(blocks.size()), scriptPath, {}};

    if (backup) report.backupPath = detail::WriteBackup(pagePath, page);
    // The new page is written while the disk takes the new script; the script
    // still takes its name first, and the page only when all went well.
    detail::AtomicFileWriter script =
        detail::StartScriptFile(existingScript.value_or(std::string()), ScriptBuffer, scriptPath);
    std::optional<detail::AtomicFileWriter> newPage;
    try {
        newPage.emplace(StartPageFile(page, blocks, pagePath, scriptPath));
    } catch (const FileError&) {
        script.Commit();
        throw;
    }
    script.Commit();
    newPage->Commit();
    return report;
}

}  // namespace sorvane
