#include "pageRun.h"

#include "jsonText.h"
#include "nativePath.h"
#include "systemConsole.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numeric>
#include <system_error>

namespace sorvane::cli {
namespace {

namespace fs = std::filesystem;

std::function<void()>& PagesFoundHook()
{
    static std::function<void()> hook;
    return hook;
}

// The size of each page, for the rate and the time left; only asked for when
// the progress line may show.
std::vector<std::uint64_t> SizesOf(const std::vector<std::string>& pages)
{
    std::vector<std::uint64_t> sizes;
    for (const std::string& page : pages) {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(NativePath(page), error);
        sizes.push_back(error ? 0 : size);
    }
    return sizes;
}

// What the list of pages is called in messages.
std::string ListName(const std::string& file)
{
    return file == "-" ? "standard input" : file;
}

// The bytes of the list, read from standard input for "-". Throws FileError
// with the system's reason.
std::string ListBytes(const std::string& file)
{
    std::ifstream opened;
    std::istream* in = &std::cin;
    const auto failure = [&] {
        const int error = errno;
        return FileError(FileError::Kind::Open, ListName(file),
                         error ? std::generic_category().message(error) : "read error");
    };
    errno = 0;
    if (file != "-") {
        opened.open(NativePath(file), std::ios::binary);
        if (!opened)
            throw failure();
        in = &opened;
    }
    std::string bytes;
    std::array<char, 64 * 1024> buffer;
    while (in->read(buffer.data(), buffer.size()) || in->gcount() > 0)
        bytes.append(buffer.data(), static_cast<std::size_t>(in->gcount()));
    if (in->bad())
        throw failure();
    return bytes;
}

// The names of a list, each ended by the separator (the last one may lack
// it); empty names are skipped.
std::vector<std::string> ListedNames(std::string_view bytes, char separator)
{
    std::vector<std::string> names;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find(separator), bytes.size());
        if (end > 0)
            names.emplace_back(bytes.substr(0, end));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return names;
}

}  // namespace

void SetPagesFoundHook(std::function<void()> hook)
{
    PagesFoundHook() = std::move(hook);
}

bool AddListedPages(std::vector<std::string>& pages, const PageRunOptions& options, std::ostream& err)
{
    if (options.nulSeparated && !options.filesFrom)
        throw UsageError("option '--null' needs '--files-from'");
    if (!options.filesFrom)
        return true;
    if (options.filesFrom->empty())
        throw UsageError("option '--files-from' needs a file");
    std::vector<std::string> listed;
    try {
        listed = ListedNames(ListBytes(*options.filesFrom), options.nulSeparated ? '\0' : '\n');
    } catch (const FileError&) {
        ReportCaughtError(err, ListName(*options.filesFrom));
        return false;
    }
    if (listed.empty())
        err << ProgramName << ": no pages named in " << ListName(*options.filesFrom) << '\n';
    pages.insert(pages.end(), std::make_move_iterator(listed.begin()), std::make_move_iterator(listed.end()));
    return true;
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(NativePath(path), error);
}

std::string RealFolderPath(const fs::path& folder)
{
    const std::string given = PathBytes(folder);
    if (HasNetworkOrDeviceRoot(given))
        return given;
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    return PathBytes(error ? fs::absolute(folder) : real);
}

std::string FullPaths::operator()(const std::string& path)
{
    // An absolute path stays as it is.
    const fs::path absolute = HasNetworkOrDeviceRoot(path) ? NativePath(path) : currentFolder_ / NativePath(path);
    if (!absolute.has_filename())
        return PathBytes(absolute);
    auto [folder, isNew] = folders_.try_emplace(PathBytes(absolute.parent_path()));
    if (isNew)
        folder->second = RealFolderPath(absolute.parent_path());
    return PathBytes(NativePath(folder->second) / absolute.filename());
}

std::string LinksUnderRecursiveText(std::string_view done)
{
    return "With -r, a link with a page's name is never written through: a link to a page of the tree leaves it to "
           "be "
           + std::string(done)
           + " under its own name, and a link out of the folder, to a file that is no page "
             "of the tree or to nothing is skipped, each with a line that says why (JSON: \"note\").";
}

CLI::Option* AddPageChoiceOptions(CLI::App& table, PageRunOptions& options)
{
    table.add_flag("-r,--recursive", options.recursive,
                   "every argument that is a folder stands for the pages under it: files named as web pages "
                   "(*.htm, *.html, *.shtm, *.shtml, *.php, *.php3, *.php4, *.phtm, *.phtml, *.jsp, *.asp, *.aspx, "
                   "*.cfm, in any letter case), in sorted order; links to folders are not followed, links with a "
                   "page's name and backups (NAME_backup.EXT, NAME_backupN.EXT of a page beside them) are no pages");
    table
        .add_option("--exclude", options.excludes,
                    "with --recursive: leave out the files and folders that match GLOB (repeatable); a GLOB without "
                    "'/' is matched against each name, one with '/' against the path under the folder; '*' and "
                    "'?' stop at '/', '**' does not")
        ->type_name("GLOB")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);  // one pattern each time: the pages follow
    CLI::Option* filesFrom =
        table
            .add_option_function<std::string>(
                "--files-from", [&options](const std::string& file) { options.filesFrom = file; },
                "take the pages named in FILE too, after those given as arguments ('-': standard input), one per "
                "line; empty lines are skipped")
            ->type_name("FILE");
    table.add_flag("-0,--null", options.nulSeparated,
                   "with --files-from: each name in FILE ends with a NUL byte instead of a line end, "
                   "so that any name can be given");
    return filesFrom;
}

void AddPageOutputOptions(CLI::App& table, PageRunOptions& options)
{
    table.add_flag("--json", options.json,
                   "print one JSON object per page instead of a line: path, blocks, script, backup, error (null "
                   "when not known), and \"dry_run\": true on a dry run (convert --dry-run); bytes that are no UTF-8 "
                   "are written \\udcXX");
    table.add_flag("-q,--quiet", options.quiet,
                   "print neither a line per page nor the progress line that a long run shows on a terminal; errors "
                   "are still printed");
}

FoundPages PagesOfArguments(const std::vector<std::string>& arguments, const PageRunOptions& options)
{
    if (std::ranges::find(options.excludes, "") != options.excludes.end())
        throw UsageError("option '--exclude' needs a pattern");
    if (!options.recursive) {
        if (!options.excludes.empty())
            throw UsageError("option '--exclude' needs '--recursive'");
    }
    FoundPages all;
    for (const std::string& argument : arguments) {
        if (!IsFolder(argument)) {
            all.pages.push_back(argument);
            all.identities.emplace_back();
            all.searchedFolders.emplace_back();
        } else if (!options.recursive) {
            all.errors.push_back(argument + " is a folder; add -r to " + std::string(options.verb)
                                 + " the pages under it");
        } else {
            FoundPages found = FindPages({&argument, 1}, options.excludes, options.done);
            if (found.pages.empty() && found.errors.empty())
                all.notes.push_back("no pages found under " + argument);
            all.pages.insert(all.pages.end(), found.pages.begin(), found.pages.end());
            all.identities.insert(all.identities.end(), found.identities.begin(), found.identities.end());
            all.searchedFolders.insert(all.searchedFolders.end(), found.pages.size(),
                                       RealFolderPath(NativePath(argument)));
            all.errors.insert(all.errors.end(), found.errors.begin(), found.errors.end());
            all.skipped.insert(all.skipped.end(), found.skipped.begin(), found.skipped.end());
        }
    }
    if (PagesFoundHook())
        PagesFoundHook()();
    return all;
}

RunOutput::RunOutput(Streams streams, const PageRunOptions& options, const std::vector<std::string>& pages)
    : streams_(streams), json_(options.json), dryRun_(options.dryRun), quiet_(options.quiet),
      outIsTerminal_(IsTerminal(1))
{
    if (options.quiet || !IsTerminal(2))
        return;
    sizes_ = SizesOf(pages);
    progress_ = std::make_unique<ProgressLine>(streams.err, true, pages.size(),
                                               std::accumulate(sizes_.begin(), sizes_.end(), std::uint64_t{0}),
                                               TerminalLineErase());
}

// Report text on stdout. Where stdout and the progress line share a
// terminal, the line is taken away first and the text goes out at once: text
// left in stdout's buffer would reach the screen later, in the middle of a
// progress line, and the next erase would cut it.
void RunOutput::Print(std::string_view text)
{
    const bool sharesScreen = progress_ && outIsTerminal_;
    if (sharesScreen)
        progress_->Clear();
    streams_.out << text;
    if (sharesScreen)
        streams_.out.flush();
}

void RunOutput::Line(std::string_view text)
{
    if (!json_ && !quiet_)
        Print(std::string(text) + '\n');
}

void RunOutput::JsonLine(std::initializer_list<JsonMember> members)
{
    if (!json_)
        return;
    std::vector<JsonMember> line(members);
    if (dryRun_)
        line.push_back({"dry_run", "true", true});
    Print(JsonObjectLine(line));
}

void RunOutput::Text(std::string_view text)
{
    Print(text);
}

void RunOutput::Skipped(const SkippedFile& file, std::optional<int> blocks)
{
    Line(file.path + ": " + file.reason);
    JsonLine({{"path", file.path},
              {"blocks", blocks ? std::optional(std::to_string(*blocks)) : std::nullopt, true},
              {"script", std::nullopt},
              {"backup", std::nullopt},
              {"error", std::nullopt},
              {"note", file.reason}});
}

void RunOutput::SkippedBySearch(const FoundPages& found, FullPaths& fullPath)
{
    for (const SkippedFile& skipped : found.skipped)
        Skipped({fullPath(skipped.path), skipped.reason});
}

void RunOutput::Error(std::string_view message)
{
    if (progress_)
        progress_->Clear();
    streams_.out.flush();
    streams_.err << ProgramName << ": " << message << '\n';
}

bool RunOutput::SearchOutcome(const FoundPages& found)
{
    for (const std::string& note : found.notes)
        Error(note);
    for (const std::string& error : found.errors)
        SearchError(error);
    return found.errors.empty();
}

void RunOutput::SearchError(std::string_view message)
{
    JsonLine({{"path", std::nullopt},
              {"blocks", std::nullopt},
              {"script", std::nullopt},
              {"backup", std::nullopt},
              {"error", std::string(message)}});
    Error(message);
}

void RunOutput::PageDone(std::optional<int> blocks)
{
    if (progress_ && pagesDone_ < sizes_.size())
        progress_->PageDone(blocks, sizes_[pagesDone_++]);
}

}  // namespace sorvane::cli
