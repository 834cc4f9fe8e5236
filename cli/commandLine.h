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
