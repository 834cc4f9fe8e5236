#include "commandLine.h"

#include "convertCommand.h"
#include "generateCommand.h"
#include "infoCommand.h"
#include "nativePath.h"
#include "progressLine.h"
#include "restoreCommand.h"
#include "standardOutput.h"
#include "systemConsole.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <new>

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
        out << "  " << ProgramName << ' ' << command.help() << '\n';
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

// "sorvane-cli: convert: MESSAGE" and where to read more; the command's
// name is left out when the error came before it was known.
int ReportUsageError(std::ostream& err, std::string_view command, std::string_view message)
{
    const std::string commandName = command.empty() ? "" : std::string(command) + ' ';
    err << ProgramName << ": " << (command.empty() ? "" : std::string(command) + ": ") << message << "\n"
        << "Try '" << ProgramName << ' ' << commandName << "--help' for more information.\n";
    return BadUsage;
}

// Ends the run whose standard output lost its reader (`| head`) as it ends
// cat: quietly, by SIGPIPE, so the shell sees the same status. Where there
// is no SIGPIPE, quietly with status 1.
int EndAsReaderGone()
{
    RaiseLostReaderSignal();
    return SomeFailed;
}

}  // namespace

int RunCommandLine(Arguments arguments, Streams streams)
{
    if (arguments.empty())
        return ReportUsageError(streams.err, {}, "no command given");
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
        return ReportUsageError(streams.err, {}, "unknown command '" + first + "'");
    try {
        return command->run(arguments.subspan(1), streams);
    } catch (const UsageError& error) {
        return ReportUsageError(streams.err, command->name, error.what());
    }
}

int RunProgram(Arguments arguments)
{
    AllowManyOpenFiles();
    // A reader that went away ends the run after the pages are converted
    // (EndAsReaderGone), not between two pages.
    IgnoreLostReaderSignal();
    RemoveTempFilesOnInterrupt();
    if (IsTerminal(2))
        NoticeLongLockWaits([](const std::string& folder) {
            std::cerr << MessageLineStart(TerminalLineErase()) << ProgramName
                      << ": waiting for another program to finish with the script folder " << folder << '\n'
                      << std::flush;
        });
    StandardOutput out;
    int status = RunCommandLine(arguments, {out.Stream(), std::cerr});
    if (const std::string failure = out.Close(); !failure.empty()) {
        if (out.ReaderGone())
            return EndAsReaderGone();
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
