// What sorvane-cli needs of the system beyond files: its arguments, its
// standard streams as bytes, whether a stream is a terminal, its limits and
// signals. Every branch of the command-line tool between systems is here
// and in systemConsole.cpp (and main()'s own name, wmain on Windows); the
// test cli_system_branches_in_one_place keeps it so.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sorvane::cli {

// The characters of the program's arguments as main() receives them: UTF-16
// on Windows (wmain's), the system's bytes elsewhere.
#ifdef _WIN32
using ArgumentChar = wchar_t;
#else
using ArgumentChar = char;
#endif

// The program's arguments, its name left out, in the form every part of it
// takes: on Windows the UTF-16 arguments in UTF-8, so that a name beyond the
// system's code page arrives whole; elsewhere the bytes as given.
std::vector<std::string> ProgramArguments(int argc, ArgumentChar** argv);

// Makes standard input, output and error pass bytes as they are. On Windows
// they start in text mode, which turns every LF written into CR LF (the
// snippet's CR LF would reach a file as CR CR LF) and ends input at a
// Ctrl-Z byte (a list of pages from --files-from would be cut short).
void KeepStandardStreamBytes();
// The same for one file descriptor.
void KeepDescriptorBytes(int fileDescriptor);

// write() and close() of a file descriptor, with their results and errno.
long WriteToDescriptor(int fileDescriptor, const char* data, std::size_t size);
int CloseDescriptor(int fileDescriptor);

// True when the file descriptor (1 standard output, 2 standard error) is a
// terminal.
bool IsTerminal(int fileDescriptor);

// Whether this process's terminal knows the escape sequence that erases to
// the end of the line: not a Windows console, nor one with TERM=dumb or none.
bool TerminalErasesByEscapeSequence();

// Raises the limit of open files to the most the process may have, where
// the system has one.
void AllowManyOpenFiles();

// A write to a pipe whose reader has gone fails with EPIPE instead of ending
// the process (SIGPIPE is ignored), so that the run can finish its pages.
void IgnoreLostReaderSignal();
// Ends the process as one whose reader went away, by SIGPIPE as cat ends;
// returns where the system has no such signal.
void RaiseLostReaderSignal();

}  // namespace sorvane::cli
