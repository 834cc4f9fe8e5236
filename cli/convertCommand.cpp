#include "convertCommand.h"

#include "convertPreview.h"
#include "jsonText.h"
#include "nativePath.h"
#include "unitACConvertor.h"

#include <exception>
#include <optional>
#include <vector>

namespace sorvane::cli {
namespace {

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
        if (options.scriptFolder->empty())
            throw UsageError("option '--script-dir' needs a folder");
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
    ParsedArguments parsed = ParseArguments(arguments, "convert",
                                            [&](std::size_t& i) { return TakeConvertOption(arguments, i, options); });
    options.pages = std::move(parsed.operands);
    options.help = parsed.help;
    if (options.pages.empty() && !options.help)
        throw UsageError("convert: no page given");
    if (options.preview == ConvertPreview::Kind::Diff && options.run.json)
        throw UsageError("options '--diff' and '--json' cannot be used together");
    return options;
}

void ReportConversion(RunOutput& output, const std::string& page, const ConvertReport& report, bool previewed)
{
    if (!previewed)
        output.Line(page + ": " + std::to_string(report.blocksConverted)
                    + (report.blocksConverted == 1 ? " block" : " blocks") + " converted; script " + report.scriptPath
                    + "; " + (report.backupPath.empty() ? "no backup" : "backup " + report.backupPath));
    output.JsonLine(
        JsonObjectLine({{"path", page},
                        {"blocks", std::to_string(report.blocksConverted), true},
                        {"script", report.scriptPath},
                        {"backup", report.backupPath.empty() ? std::nullopt : std::optional(report.backupPath)},
                        {"error", std::nullopt}}));
}

void ReportFailure(RunOutput& output, const std::string& page, const std::string& message)
{
    output.JsonLine(JsonObjectLine({{"path", page},
                                    {"blocks", std::nullopt},
                                    {"script", std::nullopt},
                                    {"backup", std::nullopt},
                                    {"error", message}}));
    output.Error(message);
}

// Reports a page's outcome: its line or JSON object, or its error; then the
// progress line moves on (outcomes come in page order).
bool ReportOutcome(RunOutput& output, const PageOutcome& outcome, bool previewed)
{
    if (outcome.error) {
        ReportFailure(output, outcome.pagePath, DescribeError(outcome.error, outcome.pagePath));
        output.PageDone(0);
        return false;
    }
    ReportConversion(output, outcome.pagePath, outcome.report, previewed);
    output.PageDone(outcome.report.blocksConverted);
    return true;
}

// What the conversion of the page would do, as an outcome of its own.
PageOutcome PreviewOutcome(ConvertPreview& preview, const std::string& page, const std::string& script,
                           const ConvertOptions& options)
{
    PageOutcome outcome{page, {}, nullptr};
    try {
        outcome.report = preview.Page(page, script, options.backup, options.player);
    } catch (...) {
        outcome.error = std::current_exception();
    }
    return outcome;
}

// A player script that is missing would fail every page: no page is touched.
bool PlayerFound(const std::optional<std::string>& player, std::ostream& err)
{
    try {
        if (player)
            RequirePlayerScript(*player);
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
    if (ShowHelpIfAsked(options.help, ConvertHelp, streams.out))
        return Success;
    if (!PlayerFound(options.player, streams.err))
        return SomeFailed;
    const FoundPages found = PagesOfArguments(options.pages, options.run);
    RunOutput output(streams, options.run, found.pages);
    for (const std::string& error : found.errors)
        output.SearchError(error);
    bool allConverted = found.errors.empty();
    const auto report = [&](const PageOutcome& outcome) {
        allConverted &= ReportOutcome(output, outcome, options.preview.has_value());
    };
    const std::string scriptFolder = options.scriptFolder ? RealFolderPath(NativePath(*options.scriptFolder))
                                                          : std::string();
    FullPaths fullPath;
    std::optional<ConvertPreview> preview;
    if (options.preview)
        preview.emplace(*options.preview, output, streams.out);
    PageBatch batch(ScriptContent::ThisPage, report);
    for (const std::string& argument : found.pages) {
        const std::string page = fullPath(argument);
        const std::string script = ScriptPathFor(page, scriptFolder);
        if (preview)
            report(PreviewOutcome(*preview, page, script, options));
        else
            batch.Convert(page, script, options.backup, options.player);
    }
    batch.Finish();
    if (preview)
        preview->Finish();
    return allConverted ? Success : SomeFailed;
}

}  // namespace sorvane::cli
