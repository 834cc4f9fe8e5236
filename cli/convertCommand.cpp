#include "convertCommand.h"

#include "nativePath.h"
#include "unitACConvertor.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

struct ConvertOptions {
    bool backup = true;
    std::optional<std::string> scriptFolder;
    std::optional<std::string> player;
    std::vector<std::string> pages;
    bool help = false;
};

ConvertOptions ParseConvertOptions(Arguments arguments)
{
    ConvertOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            options.pages.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--no-backup") {
            options.backup = false;
        } else if (argument == "--script-dir" || argument.starts_with("--script-dir=")) {
            if (argument == "--script-dir" && ++i == arguments.size())
                throw UsageError("option '--script-dir' needs a folder");
            options.scriptFolder = argument == "--script-dir" ? arguments[i] : argument.substr(13);
            if (options.scriptFolder->empty()) throw UsageError("option '--script-dir' needs a folder");
        } else if (auto player = OptionValue(arguments, i, "--player")) {
            options.player = std::move(*player);
        } else {
            throw UsageError("convert: unknown option '" + argument + "'");
        }
    }
    if (options.pages.empty() && !options.help) throw UsageError("convert: no page given");
    return options;
}

// Relative paths are made full so that the script reference is computed from
// real folder names, whatever the current folder.
std::string FullPath(const std::string& path) { return PathBytes(fs::absolute(NativePath(path)).lexically_normal()); }

std::string WithTrailingSeparator(std::string folder)
{
    if (!folder.ends_with(fs::path::preferred_separator)) folder += fs::path::preferred_separator;
    return folder;
}

// The wizard's default: the page's folder and base name with ".js"; or the
// chosen folder with that file name.
std::string ScriptPathFor(const std::string& page, const std::optional<std::string>& scriptFolder)
{
    const std::string folder = scriptFolder ? WithTrailingSeparator(FullPath(*scriptFolder)) : FolderPart(page);
    return folder + BaseName(page) + ".js";
}

void ReportConversion(std::ostream& out, const std::string& page, const ConvertReport& report)
{
    out << page << ": " << report.blocksConverted << (report.blocksConverted == 1 ? " block" : " blocks")
        << " converted; script " << report.scriptPath << "; "
        << (report.backupPath.empty() ? "no backup" : "backup " + report.backupPath) << '\n';
}

bool ConvertOnePage(const std::string& pageArgument, const ConvertOptions& options, Streams streams)
{
    const std::string page = FullPath(pageArgument);
    try {
        ReportConversion(streams.out, page, ConvertPage(page, ScriptPathFor(page, options.scriptFolder),
                                                        options.backup, options.player));
        return true;
    } catch (const std::exception& error) {
        streams.out.flush();
        streams.err << ProgramName << ": " << error.what() << '\n';
        return false;
    }
}

// A player script that is missing would fail every page: no page is touched.
bool PlayerFound(const std::optional<std::string>& player, std::ostream& err)
{
    try {
        if (player) RequirePlayerScript(*player);
        return true;
    } catch (const ConvertError& error) {
        err << ProgramName << ": " << error.what() << '\n';
        return false;
    }
}

}  // namespace

int RunConvert(Arguments arguments, Streams streams)
{
    const ConvertOptions options = ParseConvertOptions(arguments);
    if (options.help) {
        streams.out << "Usage: " << ProgramName << ' ' << ConvertHelp;
        return Success;
    }
    if (!PlayerFound(options.player, streams.err)) return SomeFailed;
    bool allConverted = true;
    for (const std::string& page : options.pages) allConverted &= ConvertOnePage(page, options, streams);
    return allConverted ? Success : SomeFailed;
}

}  // namespace sorvane::cli
