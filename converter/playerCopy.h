// A Flash player that a run copies into the site, such as the one that comes
// with Sorvane: the folder of its script, with the script chunks and
// WebAssembly modules the script loads and its licence files. A run copies it
// once, into one folder of the site, and every page it converts (or the
// snippet it generates) loads the player from there by a relative address,
// so that the site plays offline and on any server.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorvane {

// The player's folder in a site, unless the user names another.
inline constexpr std::string_view SitePlayerFolderName = "sorvane-player";

// The folder a run copies the player into by default: SitePlayerFolderName
// in the script folder when one is given, else beside the first page (or
// beside the movie, for a generated snippet).
std::string DefaultSitePlayerFolder(std::string_view firstPath, std::string_view scriptFolder = {});

// What copying a player into a site's folder does.
struct PlayerCopy {
    std::string script;                       // the player's script in the site's folder, which pages load
    std::vector<std::string> newFiles;        // files of the site's folder to be created, in name order
    std::vector<std::string> differingFiles;  // files there that differ from the player's, to be replaced
    std::vector<std::pair<std::string, std::string>> copies;  // source and target of each file above
};

// What copying the player whose script is playerScript (every file of the
// script's folder, also in its subfolders) into siteFolder would do: files
// already there with the same bytes are left alone, missing ones created,
// and those that differ (which the user may have changed) replaced; the
// caller asks first or refuses. Refused (ConvertError): a missing player
// script, a target that is no regular file, and one whose links lead out of
// siteFolder. Reads, writes nothing.
PlayerCopy PlanPlayerCopy(const std::string& playerScript, const std::string& siteFolder);

// Carries a plan out: makes the folders and writes every file of copies
// atomically, as every file of a page's conversion is written. Raises
// FileError at the first file that cannot be read or written; the files
// before it stay, and a second run goes on from there.
void CopyPlayer(const PlayerCopy& copy);

}  // namespace sorvane
