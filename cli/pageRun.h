// What the commands that work on many pages (convert, restore) share: the
// options that choose the pages and the output, the list of pages, and the
// output of a run: a line or a JSON object per page, errors, the progress
// line.
#pragma once

#include "commandLine.h"
#include "jsonText.h"
#include "optionTable.h"
#include "pageSearch.h"
#include "progressLine.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace sorvane::cli {

struct PageRunOptions {
    bool recursive = false;
    std::vector<std::string> excludes;
    bool json = false;
    bool dryRun = false;  // nothing is written: each JSON object says so ("dry_run": true)
    bool quiet = false;
    std::optional<std::string> filesFrom;  // a file that names pages too, "-" for standard input
    bool nulSeparated = false;             // its names end with a NUL byte, not a line end
    std::string_view verb = "convert";     // what the command does to pages, for messages
    std::string_view done = "converted";
};

// What -r does with links with a page's name, for a command's description;
// done as in PageRunOptions.
std::string LinksUnderRecursiveText(std::string_view done);

// Adds the options that choose the pages (-r, --exclude, --files-from, -0)
// to a command's table. Returns --files-from, which names pages besides the
// operands (OptionTable::Operands).
CLI::Option* AddPageChoiceOptions(CLI::App& table, PageRunOptions& options);
// Adds the options that choose the output (--json, -q) to a command's table.
void AddPageOutputOptions(CLI::App& table, PageRunOptions& options);

// Adds the pages that the --files-from list names, as bytes, to those the
// arguments name. A list that names none is a note on err. Returns false,
// after telling err why, when the list cannot be read. Throws UsageError for
// -0 without --files-from.
bool AddListedPages(std::vector<std::string>& pages, const PageRunOptions& options, std::ostream& err);

// The pages the arguments name: without --recursive the arguments as given;
// with it, each folder argument searched (FindPages) and other arguments as
// given. A folder given without --recursive is an error, one searched
// without a page found a note. Throws UsageError for an empty --exclude and for --exclude without
// --recursive.
FoundPages PagesOfArguments(const std::vector<std::string>& arguments, const PageRunOptions& options);

// For tests: a step run once the pages of a run are found, before the first
// of them is read, where a test puts another file in a page's place as
// another program could meanwhile. Nothing by default.
void SetPagesFoundHook(std::function<void()> hook);

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
    // A JSON object of the members on a line: printed when the output is
    // JSON, with "dry_run": true last on a dry run.
    void JsonLine(std::initializer_list<JsonMember> members);
    // Output printed as it is, such as a diff (-q or not).
    void Text(std::string_view text);
    // The notes and errors of the search for the pages; false when any
    // folder could not be searched or was given without -r.
    bool SearchOutcome(const FoundPages& found);
    // "PATH: REASON" for a file left as it is, or in JSON the path, the
    // blocks when known, null for script, backup and error, and the reason
    // as "note".
    void Skipped(const SkippedFile& file, std::optional<int> blocks = std::nullopt);
    // Skipped for every file the search passed over (a link with a page's
    // name), its path made full.
    void SkippedBySearch(const FoundPages& found, FullPaths& fullPath);
    // "sorvane-cli: MESSAGE" on stderr, after what stdout holds.
    void Error(std::string_view message);
    // A folder of the run that could not be searched: its error, and with
    // --json an object whose path is null.
    void SearchError(std::string_view message);
    // The next page of the list is done, with the blocks it had (nothing
    // for a run that does not count blocks).
    void PageDone(std::optional<int> blocks);

private:
    void Print(std::string_view text);

    Streams streams_;
    bool json_;
    bool dryRun_;
    bool quiet_;
    bool outIsTerminal_;                // report lines then share the screen with the progress line
    std::vector<std::uint64_t> sizes_;  // of the pages, when the progress line may show
    std::size_t pagesDone_ = 0;
    std::unique_ptr<ProgressLine> progress_;
};

}  // namespace sorvane::cli
