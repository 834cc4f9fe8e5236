// The --player and --player-dir options of convert and generate: a Flash
// player script given by the user, or the one that comes with Sorvane
// ("--player bundled"), which a run copies into the site once, into one
// folder, before the first page or snippet refers to it.
#pragma once

#include "commandLine.h"
#include "optionTable.h"
#include "playerCopy.h"

#include <optional>
#include <ostream>
#include <string>

namespace sorvane::cli {

// The --player value that stands for the player that comes with Sorvane.
inline constexpr std::string_view BundledPlayerChoice = "bundled";

struct PlayerOptions {
    std::optional<std::string> source;  // --player
    std::optional<std::string> folder;  // --player-dir
};

// Adds --player and --player-dir to a command's options; from: where a
// local player script is referred to from ("the page").
void AddPlayerOptions(CLI::App& table, PlayerOptions& options, std::string_view from);

// Raises UsageError when --player-dir is given without --player bundled.
void RequireBundledForPlayerFolder(const PlayerOptions& options);

// The player of one run. For the bundled player, the copy into the site's
// folder is planned (and refused, ConvertError) before anything is written.
class SitePlayer {
public:
    // firstPath: the run's first page, or the movie; scriptFolder: the
    // --script-dir given, or empty; force: replace player files that differ.
    SitePlayer(const PlayerOptions& options, const std::string& firstPath, const std::string& scriptFolder, bool force);

    // What pages load: the script given, or the copied player's script.
    const std::optional<std::string>& Source() const { return source_; }
    // The copy of the bundled player, when that was chosen.
    const std::optional<PlayerCopy>& Copy() const { return copy_; }
    // Copies the bundled player into the site. Returns what it did for a
    // report ("copied the Flash player into DIR (N files)"), or "" when
    // every file was there already or no player is copied.
    std::string CopyIntoSite() const;

private:
    std::optional<std::string> source_;
    std::optional<PlayerCopy> copy_;
};

// The player refuses to run in a page opened from a file (file://): says so
// once, after a run whose pages load a player.
void PrintViewingHint(std::ostream& err);

}  // namespace sorvane::cli
