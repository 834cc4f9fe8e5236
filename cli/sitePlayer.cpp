#include "sitePlayer.h"

#include "bundledPlayer.h"
#include "nativePath.h"
#include "unitACConvertor.h"

namespace sorvane::cli {

void AddPlayerOptions(CLI::App& table, PlayerOptions& options, std::string_view from)
{
    table
        .add_option_function<std::string>(
            "--player", [&options](const std::string& source) { options.source = source; },
            "make each page load the Flash player script SRC after its script file: 'bundled' for the player that "
            "comes with Sorvane (Ruffle), copied into the site; a web address (http://, https://, //) as given; or a "
            "local file, referred to from "
                + std::string(from))
        ->type_name("SRC");
    table
        .add_option_function<std::string>(
            "--player-dir",
            [&options](const std::string& folder) {
                if (folder.empty())
                    throw UsageError("option '--player-dir' needs a folder");
                options.folder = folder;
            },
            "with --player bundled: copy the player into DIR (default: sorvane-player beside the first page or "
            "movie, or in the script folder); files already there and equal are kept, files that differ are "
            "refused without --force")
        ->type_name("DIR");
}

void RequireBundledForPlayerFolder(const PlayerOptions& options)
{
    if (options.folder && options.source != BundledPlayerChoice)
        throw UsageError("option '--player-dir' goes with '--player bundled'");
}

SitePlayer::SitePlayer(const PlayerOptions& options, const std::string& firstPath, const std::string& scriptFolder,
                       bool force)
{
    if (options.source != BundledPlayerChoice) {
        source_ = options.source;
        if (source_)
            RequirePlayerScript(*source_);
        return;
    }
    const std::string folder = options.folder ? *options.folder : DefaultSitePlayerFolder(firstPath, scriptFolder);
    copy_ = PlanPlayerCopy(BundledPlayerScriptPath(), folder);
    if (!force && !copy_->differingFiles.empty())
        throw ConvertError("the file " + copy_->differingFiles.front()
                           + " differs from the Flash player's own and is left as it is (--force replaces it)");
    source_ = copy_->script;
}

std::string SitePlayer::CopyIntoSite() const
{
    if (!copy_ || copy_->copies.empty())
        return {};
    CopyPlayer(*copy_);
    const std::size_t count = copy_->copies.size();
    return "copied the Flash player into " + PathBytes(NativePath(copy_->script).parent_path()) + " ("
           + std::to_string(count) + (count == 1 ? " file)" : " files)");
}

void PrintViewingHint(std::ostream& err)
{
    err << ProgramName << ": the Flash player does not run in pages opened as files (file://); view them through\n"
        << ProgramName << ": a web server, such as 'python3 -m http.server' started in the site's folder\n";
}

}  // namespace sorvane::cli
