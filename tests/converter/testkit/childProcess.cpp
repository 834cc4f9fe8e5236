#include "childProcess.h"

#include "nativePath.h"

#include <cerrno>
#include <stdexcept>

#ifdef _WIN32
#include "windowsApi.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sorvane::testkit {
namespace {

#ifdef _WIN32
// One argument as the C runtime of the child splits its command line:
// quotes around it, a quote inside it escaped, and backslashes doubled only
// where a quote follows them.
std::string QuotedArgument(std::string_view argument)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(2 * backslashes, '\\') + "\"";
}

HANDLE InheritableOutput(const std::filesystem::path& path)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path.string());
    return file;
}
#endif

}  // namespace

#ifdef _WIN32
const std::filesystem::path NullDevice = "NUL";

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string_view>& arguments,
                               const std::filesystem::path& folder, const std::filesystem::path& out,
                               const std::filesystem::path& err)
{
    std::string commandLine = QuotedArgument(program);
    for (const std::string_view argument : arguments)
        commandLine += " " + QuotedArgument(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = InheritableOutput(out);
    startup.hStdError = InheritableOutput(err);
    PROCESS_INFORMATION child{};
    // The arguments are UTF-8, as the program takes them: they reach it in
    // UTF-16, every name whole.
    std::wstring wideCommandLine = NativePath(commandLine).native();
    const bool started = CreateProcessW(NativePath(program).c_str(), wideCommandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, folder.c_str(), &startup, &child);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    if (!started)
        throw std::runtime_error("cannot start " + program);
    CloseHandle(child.hThread);
    process_ = child.hProcess;
}

StartedProgram::~StartedProgram()
{
    Wait();
    CloseHandle(process_);
}

bool StartedProgram::IsRunning()
{
    return !ended_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void StartedProgram::Kill()
{
    if (!ended_)
        TerminateProcess(process_, 1);
}

int StartedProgram::Wait()
{
    if (ended_)
        return status_;
    WaitForSingleObject(process_, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process_, &status);
    ended_ = true;
    return status_ = static_cast<int>(status);
}
#else
const std::filesystem::path NullDevice = "/dev/null";

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string_view>& arguments,
                               const std::filesystem::path& folder, const std::filesystem::path& out,
                               const std::filesystem::path& err)
{
    std::vector<std::string> owned{program};
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    process_ = ::fork();
    if (process_ < 0)
        throw std::runtime_error("cannot start " + program);
    if (process_ == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0 || ::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
}

StartedProgram::~StartedProgram()
{
    Wait();
}

void StartedProgram::Kill()
{
    if (!ended_)
        ::kill(process_, SIGKILL);
}

bool StartedProgram::IsRunning()
{
    if (ended_)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(process_, &status, WNOHANG);
    if (done == 0)
        return true;
    Ended(done, status);
    return false;
}

int StartedProgram::Wait()
{
    if (ended_)
        return status_;
    int status = 0;
    pid_t done;
    while ((done = ::waitpid(process_, &status, 0)) < 0 && errno == EINTR) {}
    Ended(done, status);
    return status_;
}

void StartedProgram::Ended(int waited, int status)
{
    ended_ = true;
    status_ = waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

int RunProgram(const std::string& program, const std::vector<std::string_view>& arguments,
               const std::filesystem::path& folder, const std::filesystem::path& out, const std::filesystem::path& err)
{
    return StartedProgram(program, arguments, folder, out, err).Wait();
}

}  // namespace sorvane::testkit
