// What the commands that work on many pages (convert, restore) share: the
// options that choose the pages and the output, the list of pages, and the
// output of a run: a line or a JSON object per page, errors, the progress
// line.
#pragma once

#include "commandLine.h"
#include "pageSearch.h"
#include "progressLine.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace sorvane::cli {

// The help lines of the options below, for the help of each such command.
#define SORVANE_PAGE_RUN_OPTIONS_HELP                                                                                  \
    "      -r, --recursive   every argument that is a folder stands for the pages\n"                                   \
    "                        under it: files named as web pages (*.htm, *.html,\n"                                     \
    "                        *.shtm, *.shtml, *.php, *.php3, *.php4, *.phtm, *.phtml,\n"                               \
    "                        *.jsp, *.asp, *.aspx, *.cfm, in any letter case), in\n"                                   \
    "                        sorted order; links to folders are not followed, backups\n"                               \
    "                        (NAME_backup.EXT, NAME_backupN.EXT of a page beside\n"                                    \
    "                        them) are no pages\n"                                                                     \
    "      --exclude GLOB    with --recursive: leave out the files and folders that\n"                                 \
    "                        match GLOB (repeatable); a GLOB without '/' is matched\n"                                 \
    "                        against each name, one with '/' against the path under\n"                                 \
    "                        the folder; '*' and '?' stop at '/', '**' does not\n"                                     \
    "      --json            print one JSON object per page instead of a line: path,\n"                                \
    "                        blocks, script, backup, error (null when not known); bytes\n"                             \
    "                        that are no UTF-8 are written \\udcXX\n"                                                  \
    "      -q, --quiet       print neither a line per page nor the progress line that\n"                               \
    "                        a long run shows on a terminal; errors are still printed\n"

struct PageRunOptions {
    bool recursive = false;
    std::vector<std::string> excludes;
    bool json = false;
    bool quiet = false;
};

// Takes arguments[i] when it is one of the options above (moving i past a
// separate value) and returns whether it was.
bool ParsePageRunOption(Arguments arguments, std::size_t& i, PageRunOptions& options);

// The pages the arguments name: without --recursive the arguments as given;
// with it, each folder argument searched (FindPages) and other arguments as
// given.
FoundPages PagesOfArguments(const std::vector<std::string>& arguments, const PageRunOptions& options);

// Whether the path leads to a folder (links followed).
bool IsFolder(const std::string& path);

// A folder made full, resolved by the file system as the shell resolves it:
// "link/.." is the folder above the one the link leads to, never the current
// folder. A folder that does not exist is left as given (made absolute), for
// the read or write in it to report.
std::string RealFolderPath(const std::filesystem::path& folder);

// Paths made full, so that reports and script references are computed from
// real folder names, whatever the current folder: the real path of the
// folder (RealFolderPath) and the file name as given.
class FullPaths {
public:
    std::string operator()(const std::string& path);

private:
    const std::filesystem::path currentFolder_ = std::filesystem::current_path();
    std::unordered_map<std::string, std::string> folders_;  // many pages share a folder
};

class RunOutput {
public:
    RunOutput(Streams streams, const PageRunOptions& options, const std::vector<std::string>& pages);

    bool Json() const { return json_; }
    // A report line: printed unless the output is JSON or quiet.
    void Line(std::string_view text);
    // A JSON object line: printed when the output is JSON.
    void JsonLine(std::string_view objectLine);
    // "sorvane-cli: MESSAGE" on stderr, after what stdout holds.
    void Error(std::string_view message);
    // A folder of the run that could not be searched: its error, and with
    // --json an object whose path is null.
    void SearchError(std::string_view message);
    // The next page of the list is done, with the blocks it had (nothing
    // for a run that does not count blocks).
    void PageDone(std::optional<int> blocks);

private:
    Streams streams_;
    bool json_;
    bool quiet_;
    bool outIsTerminal_;                // report lines then share the screen with the progress line
    std::vector<std::uint64_t> sizes_;  // of the pages, when the progress line may show
    std::size_t pagesDone_ = 0;
    std::unique_ptr<ProgressLine> progress_;
};

}  // namespace sorvane::cli
