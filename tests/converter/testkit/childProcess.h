// Starting the built programs from tests, the same way on Linux and Windows:
// no shell in between, so no quoting rules of a shell to get right.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::testkit {

// Runs program with the arguments in folder, its standard output going to
// the file out and its standard error to the file err, and waits for it.
// Returns its exit status: on Linux -1 when it did not end by exiting, on
// Windows the code of the fault that ended it.
int RunProgram(const std::string& program, const std::vector<std::string_view>& arguments,
               const std::filesystem::path& folder, const std::filesystem::path& out,
               const std::filesystem::path& err);

}  // namespace sorvane::testkit
