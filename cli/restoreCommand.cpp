#include "restoreCommand.h"

#include "jsonText.h"
#include "nativePath.h"
#include "pageNames.h"
#include "restoration.h"
#include "unitACConvertor.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

struct RestoreOptions {
    std::vector<std::string> pages;
    PageRunOptions run;
    bool force = false;
    bool clean = false;
};

// restore's options and the table that reads them and tells them in the help.
struct RestoreCommandLine {
    RestoreOptions options;
    OptionTable table{"restore",
                      "Puts back each page's newest backup, the one with the highest number (NAME_backup.EXT is "
                      "number 0, then NAME_backup1.EXT, ...): the page gets the backup's bytes, replaced at once as a "
                      "whole. Only while the page is still what its conversion made of that backup (the backup with "
                      "an include and, per block, a call and a noscript copy): a page edited since is left as it is. "
                      "A backup that is a symbolic link, no regular file, or belongs to neither the page's owner nor "
                      "you is not used. When a page given by name has no backup, nothing at all is restored; a page "
                      "found with -r that never had one is passed over. "
                          + LinksUnderRecursiveText("restored")};

    RestoreCommandLine()
    {
        CLI::App& add = table.Options();
        add.add_flag("--force", options.force,
                     "restore an edited page too, after keeping it as NAME_edited.EXT (or NAME_editedN.EXT)");
        add.add_flag("--clean", options.clean,
                     "then remove the backups used, and the script files of the restored pages that hold only "
                     "converted functions and that no page of the run or of their folders loads any more");
        options.run.verb = "restore";
        options.run.done = "restored";
        CLI::Option* filesFrom = AddPageChoiceOptions(add, options.run);
        AddPageOutputOptions(add, options.run);
        table.Operands("PAGE", options.pages, true, filesFrom);
    }
};

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

// The pages each argument stands for; searched: found in a folder with
// --recursive, where a page without a backup is passed over.
struct ArgumentPages {
    FoundPages found;
    bool searched;
};

// A page of the run, the identity its folder's search saw, and its newest
// backup, if it has one.
struct Restoration {
    std::string page;
    std::optional<FileIdentity> judged;
    std::optional<std::string> backup;
};

std::optional<std::string> Optional(const std::string& text)
{
    return text.empty() ? std::nullopt : std::optional(text);
}

void ReportPage(RunOutput& output, const RestoreOutcome& outcome, const std::string& error)
{
    output.JsonLine({{"path", outcome.pagePath},
                     {"blocks", std::nullopt},
                     {"script", Optional(outcome.scriptPath)},
                     {"backup", Optional(outcome.backupPath)},
                     {"kept", Optional(outcome.keptPath)},
                     {"error", Optional(error)}});
    if (!error.empty())
        output.Error(error);
    else if (outcome.backupPath.empty())
        output.Line(outcome.pagePath + ": no backup; left as it is");
    else if (outcome.alreadyRestored)
        output.Line(outcome.pagePath + ": has the bytes of " + outcome.backupPath + " already; left as it is");
    else
        output.Line(outcome.pagePath + ": restored from " + outcome.backupPath
                    + (outcome.keptPath.empty() ? "" : "; the page as it was is kept as " + outcome.keptPath));
}

// The error of a page, with the way out when the page was edited since its
// conversion.
std::string DescribeRestoreError(const RestoreOutcome& outcome)
{
    try {
        std::rethrow_exception(outcome.error);
    } catch (const PageEditedError& edited) {
        return std::string(edited.what()) + " (with --force it is kept as "
               + FileNamePart(KeptPageCandidate(edited.pagePath(), 0)) + " or the next free such name first)";
    } catch (...) {
        return DescribeError(outcome.error, outcome.pagePath);
    }
}

// Every page of the arguments with its backup. A page named as an argument
// that has no backup is reported, and then no page is restored at all.
std::optional<std::vector<Restoration>> PlanRestorations(const std::vector<ArgumentPages>& arguments, RunOutput& output)
{
    bool complete = true;
    std::vector<Restoration> plan;
    BackupFinder finder;
    FullPaths fullPath;
    for (const ArgumentPages& argument : arguments) {
        complete = output.SearchOutcome(argument.found) && complete;
        output.SkippedBySearch(argument.found, fullPath);
        for (std::size_t i = 0; i < argument.found.pages.size(); ++i) {
            const std::string page = fullPath(argument.found.pages[i]);
            std::optional<std::string> backup = finder.NewestBackup(page);
            if (!backup && !argument.searched) {
                complete = false;
                output.Error("no backup of " + page + " (" + FileNamePart(BackupCandidate(page, 0)) + ", "
                             + FileNamePart(BackupCandidate(page, 1)) + ", ...)");
            }
            plan.push_back({page, argument.found.identities[i], std::move(backup)});
        }
    }
    if (!complete)
        output.Error("nothing was restored");
    return complete ? std::optional(std::move(plan)) : std::nullopt;
}

// What --clean may remove once the pages are restored.
struct Leftovers {
    std::vector<std::string> backups;
    ScriptUses scripts;
    std::set<std::string> folders;  // of the pages restored and of their scripts
};

// The pages a removed script file might still be loaded by: those of the
// run, and every file named as a web page (backups too) in the folders of
// the pages restored and of their scripts.
std::vector<std::string> PagesLeft(const std::vector<Restoration>& plan, const std::set<std::string>& folders)
{
    std::set<std::string> pages;
    for (const Restoration& restoration : plan)
        pages.insert(restoration.page);
    for (const std::string& folder : folders) {
        std::error_code error;
        for (fs::directory_iterator it(NativePath(folder), error), end; !error && it != end; it.increment(error)) {
            const std::string name = PathBytes(it->path().filename());
            if (IsWebPageName(name))
                pages.insert(PathBytes(it->path()));
        }
    }
    return {pages.begin(), pages.end()};
}

void ReportRemoved(RunOutput& output, const std::string& path)
{
    output.JsonLine({{"removed", path}});
    output.Line("removed " + path);
}

// Removes the backups that were used and the script files that only the
// conversions of the restored pages needed.
void Clean(RunOutput& output, const Leftovers& leftovers, const std::vector<Restoration>& plan)
{
    for (const std::string& backup : leftovers.backups) {
        std::error_code error;
        if (fs::remove(NativePath(backup), error))
            ReportRemoved(output, backup);
        else if (error)
            output.Error("cannot remove " + backup + ": " + error.message());
    }
    for (const std::string& script : RemoveUnusedScripts(leftovers.scripts, PagesLeft(plan, leftovers.folders)))
        ReportRemoved(output, script);
}

}  // namespace

std::string RestoreHelp()
{
    return RestoreCommandLine().table.Help();
}

int RunRestore(Arguments arguments, Streams streams)
{
    RestoreCommandLine commandLine;
    if (!commandLine.table.Parse(arguments, streams.out))
        return Success;
    if (!AddListedPages(commandLine.options.pages, commandLine.options.run, streams.err))
        return SomeFailed;
    const RestoreOptions& options = commandLine.options;
    std::vector<ArgumentPages> argumentPages;
    std::vector<std::string> allPages;
    for (const std::string& argument : options.pages) {
        argumentPages.push_back(
            {PagesOfArguments({argument}, options.run), options.run.recursive && IsFolder(argument)});
        allPages.insert(allPages.end(), argumentPages.back().found.pages.begin(),
                        argumentPages.back().found.pages.end());
    }
    RunOutput output(streams, options.run, allPages);
    const std::optional<std::vector<Restoration>> plan = PlanRestorations(argumentPages, output);
    if (!plan)
        return SomeFailed;
    bool allRestored = true;
    Leftovers leftovers;
    RestoreBatch batch([&](const RestoreOutcome& outcome) {
        const std::string error = outcome.error ? DescribeRestoreError(outcome) : std::string();
        allRestored = allRestored && error.empty();
        ReportPage(output, outcome, error);
        output.PageDone(std::nullopt);
        if (!error.empty() || outcome.backupPath.empty())
            return;
        leftovers.backups.push_back(outcome.backupPath);
        leftovers.folders.insert(FolderPart(outcome.pagePath));
        if (!outcome.scriptPath.empty()) {
            // The page's folder is a real one (FullPaths): its ".." is the
            // folder above it.
            const std::string script = PathBytes(NativePath(outcome.scriptPath).lexically_normal());
            leftovers.scripts[script].insert(outcome.functions.begin(), outcome.functions.end());
            leftovers.folders.insert(FolderPart(script));
        }
    });
    for (const Restoration& restoration : *plan) {
        if (restoration.backup)
            batch.Restore({.pagePath = restoration.page,
                           .backupPath = *restoration.backup,
                           .keepEdits = options.force,
                           .judged = restoration.judged});
        else
            batch.PassOver(restoration.page);
    }
    batch.Finish();
    if (options.clean)
        Clean(output, leftovers, *plan);
    return allRestored ? Success : SomeFailed;
}

}  // namespace sorvane::cli
