// The command-line tool's entry: a table of commands, help, version and
// usage errors. Each command lives in a file of its own and is one row of the
// table in commandLine.cpp.
#pragma once

#include <exception>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::cli {

enum ExitStatus : int { Success = 0, SomeFailed = 1, BadUsage = 2 };

struct Streams {
    std::ostream& out;
    std::ostream& err;
};

// The arguments that follow a command's name.
using Arguments = std::span<const std::string>;

// A command line that cannot be carried out; what() says why. Thrown by a
// command, it is reported with the command's name.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string_view name;
    std::string (*help)();  // synopsis line, then indented description and option lines
    int (*run)(Arguments arguments, Streams streams);
};

inline constexpr std::string_view ProgramName = "sorvane-cli";

// Makes standard input, output and error pass bytes as they are. On Windows
// they start in text mode, which turns every LF written into CR LF (the
// snippet's CR LF would reach a file as CR CR LF) and ends input at a
// Ctrl-Z byte (a list of pages from --files-from would be cut short).
void KeepStandardStreamBytes();

// The program's arguments, its name left out, in the form every part of it
// takes: on Windows the UTF-16 arguments (wmain's) in UTF-8, so that a name
// beyond the system's code page arrives whole; elsewhere the bytes as given.
#ifdef _WIN32
std::vector<std::string> ProgramArguments(int argc, wchar_t** argv);
#else
std::vector<std::string> ProgramArguments(int argc, char** argv);
#endif

// Runs the tool on its arguments (the program name left out) and returns the
// exit status.
int RunCommandLine(Arguments arguments, Streams streams);

// RunCommandLine as the program's whole run: interrupted writes leave no
// temporary files, and output that does not reach standard output makes the
// run fail (status 1, with the reason on standard error).
int RunProgram(Arguments arguments);

// The message for an error that stopped the work on one file (subject): a
// file error with the system's reason after ": ", a plain sentence when
// memory ran out.
std::string DescribeError(const std::exception_ptr& error, std::string_view subject);

// Prints DescribeError of the exception being handled as a line of its own on
// err and returns SomeFailed: the ending of a command's catch block.
int ReportCaughtError(std::ostream& err, std::string_view subject);

}  // namespace sorvane::cli
