#include "convertCommand.h"

#include "convertPreview.h"
#include "jsonText.h"
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
    PageRunOptions run;
    std::optional<ConvertPreview::Kind> preview;  // --dry-run, --diff
    bool help = false;
};

// Takes arguments[i] when it is an option of convert.
bool TakeConvertOption(Arguments arguments, std::size_t& i, ConvertOptions& options)
{
    const std::string& argument = arguments[i];
    if (argument == "--no-backup") {
        options.backup = false;
    } else if (argument == "--script-dir" || argument.starts_with("--script-dir=")) {
        if (argument == "--script-dir" && ++i == arguments.size())
            throw UsageError("option '--script-dir' needs a folder");
        options.scriptFolder = argument == "--script-dir" ? arguments[i] : argument.substr(13);
        if (options.scriptFolder->empty()) throw UsageError("option '--script-dir' needs a folder");
    } else if (argument == "--dry-run" || argument == "--diff") {
        const auto kind = argument == "--diff" ? ConvertPreview::Kind::Diff : ConvertPreview::Kind::DryRun;
        if (options.preview && options.preview != kind)
            throw UsageError("options '--dry-run' and '--diff' cannot be used together");
        options.preview = kind;
    } else if (auto player = OptionValue(arguments, i, "--player")) {
        options.player = std::move(*player);
    } else {
        return ParsePageRunOption(arguments, i, options.run);
    }
    return true;
}

ConvertOptions ParseConvertOptions(Arguments arguments)
{
    ConvertOptions options;
    ParsedArguments parsed =
        ParseArguments(arguments, "convert", [&](std::size_t& i) { return TakeConvertOption(arguments, i, options); });
    options.pages = std::move(parsed.operands);
    options.help = parsed.help;
    if (options.pages.empty() && !options.help) throw UsageError("convert: no page given");
    if (options.preview == ConvertPreview::Kind::Diff && options.run.json)
        throw UsageError("options '--diff' and '--json' cannot be used together");
    return options;
}

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

void ReportConversion(RunOutput& output, const std::string& page, const ConvertReport& report, bool previewed)
{
    if (!previewed) output.Line(page + ": " + std::to_string(report.blocksConverted)
                + (report.blocksConverted == 1 ? " block" : " blocks") + " converted; script " + report.scriptPath
                + "; " + (report.backupPath.empty() ? "no backup" : "backup " + report.backupPath));
    output.JsonLine(JsonObjectLine({{"path", page},
                                    {"blocks", std::to_string(report.blocksConverted), true},
                                    {"script", report.scriptPath},
                                    {"backup", report.backupPath.empty() ? std::nullopt : std::optional(report.backupPath)},
                                    {"error", std::nullopt}}));
}

void ReportFailure(RunOutput& output, const std::string& page, const std::string& message)
{
    output.JsonLine(JsonObjectLine(
        {{"path", page}, {"blocks", std::nullopt}, {"script", std::nullopt}, {"backup", std::nullopt}, {"error", message}}));
    output.Error(message);
}

// Converts the page, or previews it when a preview is given.
bool ConvertOnePage(const std::string& pageArgument, const ConvertOptions& options, RunOutput& output,
                    ConvertPreview* preview)
{
    const std::string page = FullPath(pageArgument);
    const std::string script = ScriptPathFor(page, options.scriptFolder);
    try {
        const ConvertReport report = preview ? preview->Page(page, script, options.backup, options.player)
                                             : ConvertPage(page, script, options.backup, options.player);
        ReportConversion(output, page, report, preview != nullptr);
        output.PageDone(report.blocksConverted);
        return true;
    } catch (const std::exception& error) {
        ReportFailure(output, page, error.what());
        output.PageDone(0);
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
    if (ShowHelpIfAsked(options.help, ConvertHelp, streams.out)) return Success;
    if (!PlayerFound(options.player, streams.err)) return SomeFailed;
    const FoundPages found = PagesOfArguments(options.pages, options.run);
    RunOutput output(streams, options.run, found.pages);
    for (const std::string& error : found.errors) output.Error(error);
    std::optional<ConvertPreview> preview;
    if (options.preview) preview.emplace(*options.preview, output, streams.out);
    bool allConverted = found.errors.empty();
    for (const std::string& page : found.pages)
        allConverted &= ConvertOnePage(page, options, output, preview ? &*preview : nullptr);
    if (preview) preview->Finish();
    return allConverted ? Success : SomeFailed;
}

}  // namespace sorvane::cli
