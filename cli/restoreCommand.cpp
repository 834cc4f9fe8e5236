#include "restoreCommand.h"

#include "jsonText.h"
#include "nativePath.h"
#include "pageNames.h"
#include "unitACConvertor.h"

#include <filesystem>
#include <map>
#include <optional>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

struct RestoreOptions {
    std::vector<std::string> pages;
    PageRunOptions run;
    bool help = false;
};

RestoreOptions ParseRestoreOptions(Arguments arguments)
{
    RestoreOptions options;
    ParsedArguments parsed = ParseArguments(
        arguments, "restore", [&](std::size_t& i) { return ParsePageRunOption(arguments, i, options.run); });
    options.pages = std::move(parsed.operands);
    options.help = parsed.help;
    if (options.pages.empty() && !options.help)
        throw UsageError("restore: no page given");
    return options;
}

// The newest backup of every page of a folder, by the page's file name; a
// folder is listed once however many of its pages are restored.
class BackupFinder {
public:
    std::optional<std::string> NewestBackup(const std::string& page)
    {
        const fs::path path = NativePath(page);
        const std::map<std::string, Newest>& backups = BackupsIn(path.parent_path());
        const auto found = backups.find(PathBytes(path.filename()));
        if (found == backups.end())
            return std::nullopt;
        return PathBytes(path.parent_path() / NativePath(found->second.name));
    }

private:
    struct Newest {
        int number;
        std::string name;
    };

    const std::map<std::string, Newest>& BackupsIn(const fs::path& folder)
    {
        const auto [entry, added] = folders_.try_emplace(folder);
        if (!added)
            return entry->second;
        std::error_code error;
        for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = PathBytes(it->path().filename());
            const std::optional<BackupOf> backup = ParseBackupName(name);
            if (!backup)
                continue;
            const auto [newest, first] = entry->second.try_emplace(backup->pageName, Newest{backup->number, name});
            if (!first && newest->second.number < backup->number)
                newest->second = {backup->number, name};
        }
        return entry->second;
    }

    std::map<fs::path, std::map<std::string, Newest>> folders_;
};

struct Restoration {
    std::string page;
    std::string backup;
};

void Report(RunOutput& output, const Restoration& restoration, const std::string& error)
{
    const std::optional<std::string> backup = restoration.backup.empty() ? std::nullopt
                                                                         : std::optional(restoration.backup);
    output.JsonLine(JsonObjectLine({{"path", restoration.page},
                                    {"blocks", std::nullopt},
                                    {"script", std::nullopt},
                                    {"backup", backup},
                                    {"error", error.empty() ? std::nullopt : std::optional(error)}}));
    if (!error.empty())
        output.Error(error);
    else
        output.Line(restoration.page + ": restored from " + restoration.backup);
}

// Every page with its backup; a page without one is reported, and then no
// page is restored at all.
std::optional<std::vector<Restoration>> PlanRestorations(const FoundPages& found, RunOutput& output)
{
    for (const std::string& error : found.errors)
        output.Error(error);
    bool complete = found.errors.empty();
    std::vector<Restoration> plan;
    BackupFinder finder;
    FullPaths fullPath;
    for (const std::string& argument : found.pages) {
        const std::string page = fullPath(argument);
        if (std::optional<std::string> backup = finder.NewestBackup(page)) {
            plan.push_back({page, std::move(*backup)});
            continue;
        }
        complete = false;
        Report(output, {page, {}},
               "no backup of " + page + " (" + FileNamePart(BackupCandidate(page, 0)) + ", "
                   + FileNamePart(BackupCandidate(page, 1)) + ", ...)");
    }
    if (!complete)
        output.Error("nothing was restored");
    return complete ? std::optional(std::move(plan)) : std::nullopt;
}

}  // namespace

int RunRestore(Arguments arguments, Streams streams)
{
    const RestoreOptions options = ParseRestoreOptions(arguments);
    if (ShowHelpIfAsked(options.help, RestoreHelp, streams.out))
        return Success;
    const FoundPages found = PagesOfArguments(options.pages, options.run);
    RunOutput output(streams, options.run, found.pages);
    const std::optional<std::vector<Restoration>> plan = PlanRestorations(found, output);
    if (!plan)
        return SomeFailed;
    bool allRestored = true;
    for (const Restoration& restoration : *plan) {
        std::string error;
        try {
            SaveTextFile(LoadTextFile(restoration.backup), restoration.page);
        } catch (const std::exception& failure) {
            error = failure.what();
            allRestored = false;
        }
        Report(output, restoration, error);
        output.PageDone(0);
    }
    return allRestored ? Success : SomeFailed;
}

}  // namespace sorvane::cli
