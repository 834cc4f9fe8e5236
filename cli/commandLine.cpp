#include "commandLine.h"

#include "convertCommand.h"
#include "generateCommand.h"
#include "infoCommand.h"
#include "nativePath.h"
#include "progressLine.h"
#include "restoreCommand.h"
#include "standardOutput.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <iostream>
#include <new>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#ifdef _WIN32
#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#endif

namespace sorvane::cli {
namespace {

constexpr std::array Commands{
    Command{"convert", ConvertHelp, RunConvert},
    Command{"restore", RestoreHelp, RunRestore},
    Command{"generate", GenerateHelp, RunGenerate},
    Command{"info", InfoHelp, RunInfo},
};

const Command* FindCommand(std::string_view name)
{
    const auto found = std::ranges::find(Commands, name, &Command::name);
    return found == Commands.end() ? nullptr : &*found;
}

void PrintHelp(std::ostream& out)
{
    out << "Usage: " << ProgramName << " COMMAND [OPTION]... [ARGUMENT]...\n"
        << "       " << ProgramName << " COMMAND --help\n"
        << "       " << ProgramName << " --help | --version\n\n"
        << "Converts web pages so that their Flash movies are written by script, and\n"
        << "generates the script and paste snippet of one Flash movie.\n\n"
        << "Commands:\n";
    for (const Command& command : Commands)
        out << "  " << ProgramName << ' ' << command.help << '\n';
    out << "Options:\n"
        << "  -h, --help    show this help; after a command, that command's help\n"
        << "  --version     show the version\n"
        << "An option's value follows it as the next argument or after '=' (--width=550).\n"
        << "An argument '--' ends the options: every argument after it is a page or movie.\n\n"
        << "Examples:\n"
        << "  " << ProgramName << " convert site/index.htm site/news.htm\n"
        << "  " << ProgramName << " convert --no-backup --script-dir site/js site/*.htm\n"
        << "  " << ProgramName << " convert --dry-run --recursive --exclude 'old/**' site\n"
        << "  " << ProgramName << " convert --diff -r site > changes.diff\n"
        << "  " << ProgramName << " restore --recursive site\n"
        << "  " << ProgramName << " generate --width 550 --height 400 site/intro.swf > snippet.html\n\n"
        << "Exit status: 0 when everything was done, 1 when some page or the movie's script\n"
        << "failed or a page to restore has no backup, 2 on a usage error.\n"
        << "The manual page " << ProgramName << "(1) tells more.\n";
}

int RunCommand(Arguments arguments, Streams streams)
{
    if (arguments.empty())
        throw UsageError("no command given");
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h") {
        PrintHelp(streams.out);
        return Success;
    }
    if (first == "--version") {
        streams.out << ProgramName << ' ' << SORVANE_VERSION << '\n';
        return Success;
    }
    const Command* command = FindCommand(first);
    if (command == nullptr)
        throw UsageError("unknown command '" + first + "'");
    return command->run(arguments.subspan(1), streams);
}

// A batch of pages holds two new files open per page: the more files may be
// open, the fewer syncs of the disk a long run needs.
void AllowManyOpenFiles()
{
#ifndef _WIN32
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        (void)::setrlimit(RLIMIT_NOFILE, &limit);
    }
#endif
}

}  // namespace

void KeepOutputBytes()
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

#ifdef _WIN32
std::vector<std::string> ProgramArguments(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(Utf8Of(std::u16string(argv[i], argv[i] + std::wcslen(argv[i]))));
    return arguments;
}
#else
std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return {argv + std::min(argc, 1), argv + argc};
}
#endif

std::optional<std::string> OptionValue(Arguments arguments, std::size_t& i, std::string_view option)
{
    const std::string& argument = arguments[i];
    if (argument == option) {
        if (++i == arguments.size())
            throw UsageError("option '" + std::string(option) + "' needs a value");
        return arguments[i];
    }
    if (argument.starts_with(option) && argument.size() > option.size() && argument[option.size()] == '=')
        return argument.substr(option.size() + 1);
    return std::nullopt;
}

ParsedArguments ParseArguments(Arguments arguments, std::string_view command,
                               const std::function<bool(std::size_t& i)>& takeOption)
{
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.starts_with('-'))
            parsed.operands.push_back(argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (argument == "--help" || argument == "-h")
            parsed.help = true;
        else if (!takeOption(i))
            throw UsageError(std::string(command) + ": unknown option '" + argument + "'");
    }
    return parsed;
}

bool ShowHelpIfAsked(bool asked, std::string_view help, std::ostream& out)
{
    if (asked)
        out << "Usage: " << ProgramName << ' ' << help;
    return asked;
}

int RunCommandLine(Arguments arguments, Streams streams)
{
    try {
        return RunCommand(arguments, streams);
    } catch (const UsageError& error) {
        streams.err << ProgramName << ": " << error.what() << "\n"
                    << "Try '" << ProgramName << " --help' for more information.\n";
        return BadUsage;
    }
}

int RunProgram(Arguments arguments)
{
    AllowManyOpenFiles();
#ifdef SIGPIPE
    // A reader that went away is reported like any failed write, after the
    // pages are converted, instead of ending the run between two pages.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    RemoveTempFilesOnInterrupt();
    if (IsTerminal(2))
        NoticeLongLockWaits([](const std::string& folder) {
            std::cerr << "\r\x1b[K" << ProgramName << ": waiting for another program to finish with the script folder "
                      << folder << '\n'
                      << std::flush;
        });
    StandardOutput out;
    int status = RunCommandLine(arguments, {out.Stream(), std::cerr});
    if (const std::string failure = out.Close(); !failure.empty()) {
        std::cerr << ProgramName << ": cannot write to standard output: " << failure << '\n';
        if (status == Success)
            status = SomeFailed;
    }
    return status;
}

std::string DescribeError(const std::exception_ptr& error, std::string_view subject)
{
    try {
        std::rethrow_exception(error);
    } catch (const FileError& fileError) {
        return fileError.reason().empty() ? fileError.what()
                                          : std::string(fileError.what()) + ": " + fileError.reason();
    } catch (const std::bad_alloc&) {
        return std::string(subject) + ": " + std::string(NotEnoughMemoryText);
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return std::string(subject) + ": unexpected error";
    }
}

int ReportCaughtError(std::ostream& err, std::string_view subject)
{
    err << ProgramName << ": " << DescribeError(std::current_exception(), subject) << '\n';
    return SomeFailed;
}

}  // namespace sorvane::cli
