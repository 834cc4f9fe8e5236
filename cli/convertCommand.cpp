#include "convertCommand.h"

#include "unitACConvertor.h"

#include <filesystem>
#include <optional>
#include <unordered_map>
#include <vector>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

struct ConvertOptions {
    bool backup = true;
    std::optional<std::string> scriptFolder;
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
        } else {
            throw UsageError("convert: unknown option '" + argument + "'");
        }
    }
    if (options.pages.empty() && !options.help) throw UsageError("convert: no page given");
    return options;
}

// Relative paths are made full so that the script reference is computed from
// real folder names, whatever the current folder. A folder is resolved by the
// file system, as the shell resolves it: "link/.." is the folder above the
// one the link leads to, never the current folder. A folder that does not
// exist is left as given, for the read or write in it to report.
std::string RealFolderPath(const fs::path& folder)
{
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    return error ? fs::absolute(folder).string() : real.string();
}

// The full paths of pages: the real path of the folder and the file name as
// given.
class FullPaths {
public:
    std::string operator()(const std::string& path)
    {
        const fs::path absolute = currentFolder_ / path;  // an absolute path stays as it is
        if (!absolute.has_filename()) return absolute.string();
        auto [folder, isNew] = folders_.try_emplace(absolute.parent_path().string());
        if (isNew) folder->second = RealFolderPath(absolute.parent_path());
        return (fs::path(folder->second) / absolute.filename()).string();
    }

private:
    const fs::path currentFolder_ = fs::current_path();
    std::unordered_map<std::string, std::string> folders_;  // many pages share a folder
};

std::string WithTrailingSeparator(std::string folder)
{
    if (!folder.ends_with(fs::path::preferred_separator)) folder += fs::path::preferred_separator;
    return folder;
}

// The wizard's default: the page's folder and base name with ".js"; or the
// chosen folder with that file name.
std::string ScriptPathFor(const std::string& page, const std::optional<std::string>& scriptFolder)
{
    const std::string folder = scriptFolder ? WithTrailingSeparator(RealFolderPath(*scriptFolder)) : FolderPart(page);
    return folder + BaseName(page) + ".js";
}

// One line per page on stdout, or the reason it failed on stderr; stdout is
// flushed first so that both read in page order on one terminal.
bool ReportOutcome(const PageOutcome& outcome, Streams streams)
{
    if (outcome.error) {
        streams.out.flush();
        streams.err << ProgramName << ": " << DescribeError(outcome.error, outcome.pagePath) << '\n';
        return false;
    }
    const ConvertReport& report = outcome.report;
    streams.out << outcome.pagePath << ": " << report.blocksConverted
                << (report.blocksConverted == 1 ? " block" : " blocks") << " converted; script " << report.scriptPath
                << "; " << (report.backupPath.empty() ? "no backup" : "backup " + report.backupPath) << '\n';
    return true;
}

}  // namespace

int RunConvert(Arguments arguments, Streams streams)
{
    const ConvertOptions options = ParseConvertOptions(arguments);
    if (options.help) {
        streams.out << "Usage: " << ProgramName << ' ' << ConvertHelp;
        return Success;
    }
    bool allConverted = true;
    PageBatch batch(ScriptContent::ThisPage,
                    [&](const PageOutcome& outcome) { allConverted &= ReportOutcome(outcome, streams); });
    FullPaths fullPath;
    for (const std::string& argument : options.pages) {
        const std::string page = fullPath(argument);
        batch.Convert(page, ScriptPathFor(page, options.scriptFolder), options.backup);
    }
    batch.Finish();
    return allConverted ? Success : SomeFailed;
}

}  // namespace sorvane::cli
