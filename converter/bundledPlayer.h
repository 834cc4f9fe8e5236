// The Flash player emulator that comes with Sorvane: the self-hosted web
// build of Ruffle (ruffle.js, its script chunks and WebAssembly modules) and
// its licence files, in one folder. The folder is found relative to the
// running program, never by a path written in at build time, so that an
// installed tree or a build folder works wherever it is moved:
//
//   installed:  PREFIX/bin/sorvane-cli  ->  PREFIX/share/sorvane/player/
//   built:      BUILD/cli/sorvane-cli   ->  BUILD/share/sorvane/player/
//
// (the build puts the player at BUILD/share/sorvane/player, see
// player/CMakeLists.txt). A build made without the player
// (-DSORVANE_BUNDLE_PLAYER=OFF) has no such folder: whether the player is
// there is for the caller to check, for instance by BundledPlayerScript.
#pragma once

#include <optional>
#include <string>

namespace sorvane {

// The player's script in its folder, the one file a page loads.
inline constexpr const char* BundledPlayerScript = "ruffle.js";

// The player's folder for the program file at programPath: share/sorvane/player
// in the folder above the program's own folder. programPath is a full path.
std::string BundledPlayerFolderOf(const std::string& programPath);

// The player's folder for the running program. Raises ConvertError, with
// the system's reason, when the system cannot say where the program lies.
std::string BundledPlayerFolder();

// The player's script in BundledPlayerFolder. Raises as that does.
std::string BundledPlayerScriptPath();

// The same when the script is there (a file); nothing in a build without
// the player, or when the program's place cannot be known.
std::optional<std::string> FindBundledPlayerScript();

}  // namespace sorvane
