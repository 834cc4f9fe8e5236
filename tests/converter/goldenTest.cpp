// The golden pages converted through the library; tests/cli runs the same
// cases through the command-line tool.
#include "converterTestKit.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sorvane {
namespace {

using testkit::GoldenCase;
using testkit::ReadFile;

class GoldenPage : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenPage, ConvertsToTheExpectedPageAndScript)
{
    ConversionRun run;
    testkit::TempFolder folder;
    std::filesystem::copy_file(GetParam().folder / "page.htm", folder.path() / "page.htm");

    ConvertPage(run, {.pagePath = folder / "page.htm", .scriptPath = folder / "page.js", .backup = false});

    EXPECT_EQ(ReadFile(folder / "page.htm"), ReadFile(GetParam().folder / "expected.htm"));
    EXPECT_EQ(ReadFile(folder / "page.js"), ReadFile(GetParam().folder / "expected.js"));
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenPage, ::testing::ValuesIn(testkit::GoldenCases()), [](const auto& info) {
    std::string name = info.param.name;
    std::erase(name, '-');
    return name;
});

}  // namespace
}  // namespace sorvane
