// Starting the built programs from tests, the same way on Linux and Windows:
// no shell in between, so no quoting rules of a shell to get right.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::testkit {

// The system's empty device, for output that a test drops.
extern const std::filesystem::path NullDevice;

// A program started in folder, its standard output going to the file out and
// its standard error to the file err, that the test may watch while it runs.
// Exit statuses: on Linux -1 when it did not end by exiting, on Windows the
// code of the fault that ended it. Destroying it waits for the program.
class StartedProgram {
public:
    StartedProgram(const std::string& program, const std::vector<std::string_view>& arguments,
                   const std::filesystem::path& folder, const std::filesystem::path& out,
                   const std::filesystem::path& err);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool IsRunning();
    int Wait();
    // Ends the program at once, as kill -9 or the task manager does; Wait
    // still collects it.
    void Kill();

private:
#ifdef _WIN32
    void* process_ = nullptr;
#else
    // Keeps the status waitpid gave (waited: its return value).
    void Ended(int waited, int status);

    int process_ = -1;
#endif
    bool ended_ = false;
    int status_ = -1;
};

// Runs program as StartedProgram does and waits for it; returns its exit status.
int RunProgram(const std::string& program, const std::vector<std::string_view>& arguments,
               const std::filesystem::path& folder, const std::filesystem::path& out, const std::filesystem::path& err);

}  // namespace sorvane::testkit
