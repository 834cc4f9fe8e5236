// Runs the built sorvane-cli as a separate program in a scratch folder.
#pragma once

#include "childProcess.h"
#include "converterTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

struct Outcome {
    int status;
    std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
    // Runs sorvane-cli with the arguments, in the scratch folder.
    Outcome Run(const std::vector<std::string_view>& arguments)
    {
        const int status = testing::RunProgram(SORVANE_CLI, arguments, folder.path(), output / "out", output / "err");
        return {status, testing::ReadFile(output.path() / "out"), testing::ReadFile(output.path() / "err")};
    }

    testing::TempFolder folder;
    testing::TempFolder output;
};

}  // namespace sorvane
