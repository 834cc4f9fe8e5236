// The conversion of one page: the module state, and the order in which the
// page, its backup and its script file are read and written.
#include "unitACConvertor.h"

#include "converterInternals.h"

#include <array>
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

void SavePageWithInclude(std::string_view rewritten, const std::string& pagePath,
                         const std::string& scriptPath)
{
    const std::size_t at = detail::IncludePosition(rewritten);
    const std::string include = detail::IncludeMarkup(RelativePath(pagePath, scriptPath));
    const std::array<std::string_view, 3> pieces{rewritten.substr(0, at), include, rewritten.substr(at)};
    detail::ReplaceFileContent(pagePath, pieces);
}

}  // namespace

FileError::FileError(Kind kind, std::string path)
    : ConvertError(FileErrorMessage(kind, path)), kind_(kind), path_(std::move(path))
{
}

ConvertReport ConvertPage(const std::string& pagePath, const std::string& scriptPath, bool backup)
{
    RefuseSameFile(pagePath, scriptPath);
    const std::string page = LoadTextFile(pagePath);
    // An existing script file is read before the scan: its function numbers
    // must not be handed out again, or one name would get two definitions.
    const std::optional<std::string> existingScript = detail::LoadExistingScript(scriptPath);
    if (existingScript) detail::RaiseBlockCounterAbove(*existingScript);

    const int countBefore = BlockCounter;
    const std::string rewritten = RewriteBlocks(page);
    ConvertReport report{BlockCounter - countBefore, scriptPath, {}};

    if (backup) report.backupPath = detail::WriteBackup(pagePath, page);
    detail::WriteScriptAfter(existingScript.value_or(std::string()), ScriptBuffer, scriptPath);
    SavePageWithInclude(rewritten, pagePath, scriptPath);
    return report;
}

}  // namespace sorvane
