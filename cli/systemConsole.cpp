#include "systemConsole.h"

#include <csignal>
#include <cstdlib>
#include <string_view>

#ifdef _WIN32
#include "nativePath.h"

#include <cwchar>
#include <fcntl.h>
#include <io.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace sorvane::cli {

#ifdef _WIN32

std::vector<std::string> ProgramArguments(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(Utf8Of(std::u16string(argv[i], argv[i] + std::wcslen(argv[i]))));
    return arguments;
}

void KeepDescriptorBytes(int fileDescriptor)
{
    _setmode(fileDescriptor, _O_BINARY);
}

long WriteToDescriptor(int fileDescriptor, const char* data, std::size_t size)
{
    return _write(fileDescriptor, data, static_cast<unsigned>(size));
}

int CloseDescriptor(int fileDescriptor)
{
    return _close(fileDescriptor);
}

bool IsTerminal(int fileDescriptor)
{
    return _isatty(fileDescriptor) != 0;
}

bool TerminalErasesByEscapeSequence()
{
    return false;
}

void AllowManyOpenFiles() {}

#else

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void KeepDescriptorBytes(int) {}

long WriteToDescriptor(int fileDescriptor, const char* data, std::size_t size)
{
    return ::write(fileDescriptor, data, size);
}

int CloseDescriptor(int fileDescriptor)
{
    return ::close(fileDescriptor);
}

bool IsTerminal(int fileDescriptor)
{
    return ::isatty(fileDescriptor) == 1;
}

bool TerminalErasesByEscapeSequence()
{
    const char* term = std::getenv("TERM");
    return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}

// A batch of pages holds two new files open per page: the more files may be
// open, the fewer syncs of the disk a long run needs.
void AllowManyOpenFiles()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        (void)::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

#endif

void KeepStandardStreamBytes()
{
    for (const int standardStream : {0, 1, 2})
        KeepDescriptorBytes(standardStream);
}

void IgnoreLostReaderSignal()
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void RaiseLostReaderSignal()
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
#endif
}

}  // namespace sorvane::cli
