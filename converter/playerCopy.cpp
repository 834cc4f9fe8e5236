#include "playerCopy.h"

#include "nativePath.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <filesystem>

namespace sorvane {
namespace {

namespace fs = std::filesystem;

// The player's files under its folder, as paths relative to it, in name
// order so that every run lists and writes them alike.
std::vector<fs::path> PlayerFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator walk(folder, error), end; !error && walk != end; walk.increment(error))
        if (walk->is_regular_file(error))
            files.push_back(walk->path().lexically_relative(folder));
    if (error)
        throw FileError(FileError::Kind::Open, PathBytes(folder), error.message());
    std::ranges::sort(files);
    return files;
}

// Whether path, with every link followed, still lies in folder (itself
// resolved the same way).
bool LiesIn(const fs::path& path, const fs::path& folder)
{
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    const fs::path base = fs::weakly_canonical(folder, error);
    return !error && PathBelow(base, resolved).has_value();
}

enum class TargetState { Missing, Same, Different };

TargetState StateOf(const fs::path& source, const fs::path& target, const fs::path& siteFolder)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(target, error);
    if (!fs::exists(status))
        return TargetState::Missing;
    if (!LiesIn(target, siteFolder))
        throw ConvertError("The file " + PathBytes(target) + " is a link that leads out of " + PathBytes(siteFolder)
                           + ": the Flash player is not copied there");
    if (!fs::is_regular_file(target, error))
        throw ConvertError("The Flash player cannot be copied to " + PathBytes(target) + ": it is not a file");
    return LoadTextFile(PathBytes(source)) == LoadTextFile(PathBytes(target)) ? TargetState::Same
                                                                              : TargetState::Different;
}

}  // namespace

std::string DefaultSitePlayerFolder(std::string_view firstPath, std::string_view scriptFolder)
{
    return FolderPart(ScriptPathFor(firstPath, scriptFolder)) + std::string(SitePlayerFolderName);
}

PlayerCopy PlanPlayerCopy(const std::string& playerScript, const std::string& siteFolder)
{
    RequirePlayerScript(playerScript);
    const fs::path script = NativePath(playerScript);
    const fs::path playerFolder = script.parent_path();
    const fs::path site = NativePath(siteFolder);
    PlayerCopy copy;
    copy.script = PathBytes(site / script.filename());
    for (const fs::path& file : PlayerFiles(playerFolder.empty() ? fs::path(".") : playerFolder)) {
        const fs::path source = playerFolder / file, target = site / file;
        const TargetState state = StateOf(source, target, site);
        if (state == TargetState::Same)
            continue;
        (state == TargetState::Missing ? copy.newFiles : copy.differingFiles).push_back(PathBytes(target));
        copy.copies.emplace_back(PathBytes(source), PathBytes(target));
    }
    return copy;
}

void CopyPlayer(const PlayerCopy& copy)
{
    for (const auto& [source, target] : copy.copies) {
        const fs::path folder = NativePath(target).parent_path();
        std::error_code error;
        fs::create_directories(folder, error);
        if (error)
            throw FileError(FileError::Kind::Create, PathBytes(folder), error.message());
        SaveTextFile(LoadTextFile(source), target);
    }
}

}  // namespace sorvane
