#include "commandLine.h"

#include "convertCommand.h"
#include "generateCommand.h"
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

namespace sorvane::cli {
namespace {

constexpr std::array Commands{
    Command{"convert", ConvertHelp, RunConvert},
    Command{"generate", GenerateHelp, RunGenerate},
};

const Command* FindCommand(std::string_view name)
{
    const auto found = std::ranges::find(Commands, name, &Command::name);
    return found == Commands.end() ? nullptr : &*found;
}

void PrintHelp(std::ostream& out)
{
    out << "Usage: " << ProgramName << " COMMAND [OPTION]... [ARGUMENT]...\n"
        << "       " << ProgramName << " --help | --version\n\n"
        << "Converts web pages so that their Flash movies are written by script, and\n"
        << "generates the script and paste snippet of one Flash movie.\n\n"
        << "Commands:\n";
    for (const Command& command : Commands) out << "  " << ProgramName << ' ' << command.help << '\n';
    out << "Exit status: 0 when everything was done, 1 when some page or the movie's script\n"
        << "failed, 2 on a usage error.\n";
}

int RunCommand(Arguments arguments, Streams streams)
{
    if (arguments.empty()) throw UsageError("no command given");
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
    if (command == nullptr) throw UsageError("unknown command '" + first + "'");
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
    StandardOutput out;
    int status = RunCommandLine(arguments, {out.Stream(), std::cerr});
    if (const std::string failure = out.Close(); !failure.empty()) {
        std::cerr << ProgramName << ": cannot write to standard output: " << failure << '\n';
        if (status == Success) status = SomeFailed;
    }
    return status;
}

std::string DescribeError(const std::exception_ptr& error, std::string_view subject)
{
    try {
        std::rethrow_exception(error);
    } catch (const FileError& fileError) {
        return fileError.reason().empty() ? fileError.what() : std::string(fileError.what()) + ": " + fileError.reason();
    } catch (const std::bad_alloc&) {
        return std::string(subject) + ": " + std::string(NotEnoughMemoryText);
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return std::string(subject) + ": unexpected error";
    }
}

}  // namespace sorvane::cli
