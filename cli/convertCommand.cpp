#include "convertCommand.h"

#include "convertPreview.h"
#include "jsonText.h"
#include "nativePath.h"
#include "sitePlayer.h"
#include "unitACConvertor.h"

#include <exception>
#include <optional>
#include <vector>

namespace sorvane::cli {
namespace {

constexpr std::string_view LeftUnchangedText = "no blocks; left unchanged";

// A page's script file gets the page's own functions (pages of a site need
// not share one script); a page with no block to convert is left as it is;
// a page that fails keeps no backup of itself. A preview follows them too.
constexpr BatchRules ConvertRules{.content = ScriptContent::ThisPage,
                                  .withoutBlocks = PagesWithoutBlocks::LeaveUnchanged,
                                  .failedPageBackup = BackupOfFailedPage::Remove};

struct ConvertOptions {
    bool noBackup = false;
    std::optional<std::string> scriptFolder;
    PlayerOptions player;
    bool force = false;  // replace player files that differ
    std::vector<std::string> pages;
    PageRunOptions run;
    std::optional<ConvertPreview::Kind> preview;  // --dry-run, --diff
};

// convert's options and the table that reads them and tells them in the help.
struct ConvertCommandLine {
    ConvertOptions options;
    OptionTable table{"convert",
                      "Moves every Flash <object> block of each page into a function of the page's script file "
                      "(NAME.js beside the page) and calls it from the page. Pages are converted in the order given, "
                      "in one run: the function numbers go on from page to page, and each script file gets the "
                      "functions of the pages that use it. A page that fails is reported and the next one is "
                      "converted. A page with no block to convert (no movie, or converted before) is left as it is: "
                      "no include, no script file, no backup; its line says \"no blocks; left unchanged\". "
                          + LinksUnderRecursiveText("converted")};

    ConvertCommandLine()
    {
        CLI::App& add = table.Options();
        add.add_flag("--no-backup", options.noBackup, "do not copy each page to NAME_backup.EXT first");
        add.add_option_function<std::string>(
               "--script-dir", [this](const std::string& folder) { options.scriptFolder = folder; },
               "write the script files into DIR instead")
            ->type_name("DIR");
        AddPlayerOptions(add, options.player, "the page");
        add.add_flag("--force", options.force, "with --player bundled: replace player files that differ");
        CLI::Option* filesFrom = AddPageChoiceOptions(add, options.run);
        CLI::Option* dryRun = add.add_flag_callback(
            "--dry-run",
            [this] {
                options.preview = ConvertPreview::Kind::DryRun;
                options.run.dryRun = true;
            },
            "read every page and tell, per page, how many blocks would be converted and which files would be "
            "created or replaced; write nothing");
        add.add_flag_callback(
               "--diff", [this] { options.preview = ConvertPreview::Kind::Diff; },
               "print the changes of every page and script file as a unified diff, labels a/PATH and b/PATH with "
               "the path from the current folder; write nothing")
            ->excludes(dryRun);
        AddPageOutputOptions(add, options.run);
        table.Operands("PAGE", options.pages, true, filesFrom);
    }

    // Reads the arguments; false when help was asked for and printed.
    bool Parse(Arguments arguments, std::ostream& out)
    {
        if (!table.Parse(arguments, out))
            return false;
        if (options.scriptFolder && options.scriptFolder->empty())
            throw UsageError("option '--script-dir' needs a folder");
        RequireBundledForPlayerFolder(options.player);
        if (options.preview == ConvertPreview::Kind::Diff && options.run.json)
            throw UsageError("options '--diff' and '--json' cannot be used together");
        return true;
    }
};

using PreviewKind = std::optional<ConvertPreview::Kind>;

// A page's line: the conversion's, or one the preview printed itself; a diff
// is all that --diff prints.
void ReportConversion(RunOutput& output, const std::string& page, const ConvertReport& report, PreviewKind preview)
{
    if (report.leftUnchanged) {
        if (preview != ConvertPreview::Kind::Diff)
            output.Skipped({page, std::string(LeftUnchangedText)}, 0);
        return;
    }
    if (!preview)
        output.Line(page + ": " + std::to_string(report.blocksConverted)
                    + (report.blocksConverted == 1 ? " block" : " blocks") + " converted; script " + report.scriptPath
                    + "; " + (report.backupPath.empty() ? "no backup" : "backup " + report.backupPath));
    output.JsonLine({{"path", page},
                     {"blocks", std::to_string(report.blocksConverted), true},
                     {"script", report.scriptPath},
                     {"backup", report.backupPath.empty() ? std::nullopt : std::optional(report.backupPath)},
                     {"error", std::nullopt},
                     {"note", std::nullopt}});
}

void ReportFailure(RunOutput& output, const std::string& page, const std::string& message)
{
    output.JsonLine({{"path", page},
                     {"blocks", std::nullopt},
                     {"script", std::nullopt},
                     {"backup", std::nullopt},
                     {"error", message},
                     {"note", std::nullopt}});
    output.Error(message);
}

// Reports a page's outcome: its line or JSON object, or its error; then the
// progress line moves on (outcomes come in page order).
bool ReportOutcome(RunOutput& output, const PageOutcome& outcome, PreviewKind preview)
{
    if (outcome.error) {
        ReportFailure(output, outcome.pagePath, DescribeError(outcome.error, outcome.pagePath));
        output.PageDone(0);
        return false;
    }
    ReportConversion(output, outcome.pagePath, outcome.report, preview);
    output.PageDone(outcome.report.blocksConverted);
    return true;
}

// What the conversion of the page would do, as an outcome of its own.
PageOutcome PreviewOutcome(ConvertPreview& preview, const PageRequest& request)
{
    PageOutcome outcome{request.pagePath, {}, nullptr};
    try {
        outcome.report = preview.Page(request);
    } catch (...) {
        outcome.error = std::current_exception();
    }
    return outcome;
}

// The run's player, copied into the site unless the run only previews;
// nothing when it cannot be used, which would fail every page: no page is
// touched then.
std::optional<SitePlayer> PreparePlayer(const ConvertOptions& options, const std::vector<std::string>& pages,
                                        const std::string& scriptFolder, RunOutput& output)
{
    try {
        std::optional<SitePlayer> player;
        player.emplace(options.player, pages.empty() ? std::string() : pages.front(), scriptFolder, options.force);
        if (!options.preview)
            if (const std::string copied = player->CopyIntoSite(); !copied.empty())
                output.Line(copied);
        return player;
    } catch (const ConvertError&) {
        output.Error(DescribeError(std::current_exception(), "Flash player"));
        return std::nullopt;
    }
}

}  // namespace

std::string ConvertHelp()
{
    return ConvertCommandLine().table.Help();
}

int RunConvert(Arguments arguments, Streams streams)
{
    ConvertCommandLine commandLine;
    if (!commandLine.Parse(arguments, streams.out))
        return Success;
    if (!AddListedPages(commandLine.options.pages, commandLine.options.run, streams.err))
        return SomeFailed;
    const ConvertOptions& options = commandLine.options;
    const FoundPages found = PagesOfArguments(options.pages, options.run);
    RunOutput output(streams, options.run, found.pages);
    const std::string scriptFolder = options.scriptFolder ? RealFolderPath(NativePath(*options.scriptFolder))
                                                          : std::string();
    FullPaths fullPath;
    std::vector<std::string> pages;
    for (const std::string& argument : found.pages)
        pages.push_back(fullPath(argument));
    const std::optional<SitePlayer> player = PreparePlayer(options, pages, scriptFolder, output);
    if (!player)
        return SomeFailed;
    bool allConverted = output.SearchOutcome(found);
    if (options.preview != ConvertPreview::Kind::Diff)
        output.SkippedBySearch(found, fullPath);
    const auto report = [&](const PageOutcome& outcome) {
        allConverted &= ReportOutcome(output, outcome, options.preview);
    };
    ConversionRun run;  // the function numbers go on from page to page
    std::optional<ConvertPreview> preview;
    if (options.preview) {
        preview.emplace(*options.preview, run, ConvertRules, output);
        if (player->Copy())
            preview->PlayerFiles(*player->Copy());
    }
    PageBatch batch(run, ConvertRules, report);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const PageRequest request{.pagePath = pages[i],
                                  .scriptPath = ScriptPathFor(pages[i], scriptFolder),
                                  .backup = !options.noBackup,
                                  .playerSource = player->Source(),
                                  .judged = found.identities[i],
                                  .searchedFolder = found.searchedFolders[i]};
        if (preview)
            report(PreviewOutcome(*preview, request));
        else
            batch.Convert(request);
    }
    batch.Finish();
    if (preview)
        preview->Finish();
    else if (player->Source() && !options.run.quiet)
        PrintViewingHint(streams.err);
    return allConverted ? Success : SomeFailed;
}

}  // namespace sorvane::cli
