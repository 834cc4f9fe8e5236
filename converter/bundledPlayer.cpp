#include "bundledPlayer.h"

#include "nativePath.h"
#include "systemFiles.h"
#include "unitACConvertor.h"

#include <filesystem>

namespace sorvane {

std::string BundledPlayerFolderOf(const std::string& programPath)
{
    // The program's folder's parent rather than "..": the path reads plainly
    // in messages. The system's own name of the program has no links left
    // to follow, and a program replaced while it runs (Linux then adds
    // " (deleted)" to its name) still lies in the same folder.
    const std::filesystem::path prefix = NativePath(programPath).parent_path().parent_path();
    return PathBytes(prefix / "share" / "sorvane" / "player");
}

std::string BundledPlayerFolder()
{
    std::string program;
    if (const detail::SystemError error = detail::RunningProgramPath(program))
        throw ConvertError("Cannot find where the running program lies: " + detail::ReasonText(error));
    return BundledPlayerFolderOf(program);
}

std::string BundledPlayerScriptPath()
{
    return PathBytes(NativePath(BundledPlayerFolder()) / BundledPlayerScript);
}

std::optional<std::string> FindBundledPlayerScript()
{
    try {
        std::string script = BundledPlayerScriptPath();
        std::error_code error;
        if (std::filesystem::is_regular_file(NativePath(script), error))
            return script;
    } catch (const ConvertError&) {}
    return std::nullopt;
}

}  // namespace sorvane
