// Runs the built sorvane-cli as a separate program in a scratch folder.
#pragma once

#include "childProcess.h"
#include "converterTestKit.h"

#include <gtest/gtest.h>

#include <memory>
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
        const int status = testkit::RunProgram(SORVANE_CLI, arguments, folder.path(), output / "out", output / "err");
        return {status, testkit::ReadFile(output.path() / "out"), testkit::ReadFile(output.path() / "err")};
    }

    // Starts sorvane-cli with the arguments in the scratch folder and returns
    // at once; its output is dropped.
    std::unique_ptr<testkit::StartedProgram> Start(const std::vector<std::string_view>& arguments)
    {
        return std::make_unique<testkit::StartedProgram>(SORVANE_CLI, arguments, folder.path(), testkit::NullDevice,
                                                         testkit::NullDevice);
    }

    testkit::TempFolder folder;
    testkit::TempFolder output;
};

}  // namespace sorvane
