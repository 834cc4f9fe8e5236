#include "bundledPlayer.h"
#include "namedRow.h"
#include "nativePath.h"
#include "systemFiles.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace sorvane {
namespace {

using testkit::NamedRow;
using testkit::RowName;

struct FolderRow : NamedRow {
    std::string program, folder;
};

class PlayerFolder : public ::testing::TestWithParam<FolderRow> {};

TEST_P(PlayerFolder, IsShareSorvanePlayerAboveTheProgramsFolder)
{
    EXPECT_EQ(BundledPlayerFolderOf(GetParam().program), GetParam().folder);
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Programs, PlayerFolder,
                         ::testing::Values(FolderRow{"Installed", R"(C:\Program Files\Sorvane\bin\sorvane-cli.exe)",
                                                     R"(C:\Program Files\Sorvane\share\sorvane\player)"},
                                           FolderRow{"BuildFolder", R"(D:\src\build\cli\sorvane-cli.exe)",
                                                     R"(D:\src\build\share\sorvane\player)"},
                                           FolderRow{"NetworkShare", R"(\\server\tools\bin\sorvane.exe)",
                                                     R"(\\server\tools\share\sorvane\player)"}),
                         RowName<FolderRow>);
#else
INSTANTIATE_TEST_SUITE_P(
    Programs, PlayerFolder,
    ::testing::Values(FolderRow{"Installed", "/usr/bin/sorvane-cli", "/usr/share/sorvane/player"},
                      FolderRow{"BuildFolder", "/home/a/src/build/shell/sorvane",
                                "/home/a/src/build/share/sorvane/player"},
                      FolderRow{"BlankInFolderName", "/opt/my tools/bin/sorvane", "/opt/my tools/share/sorvane/player"},
                      // Linux's name of a program file replaced while it runs.
                      FolderRow{"ReplacedWhileRunning", "/usr/bin/sorvane-cli (deleted)", "/usr/share/sorvane/player"}),
    RowName<FolderRow>);
#endif

// The system's own name of this test program: a full path to the file
// itself, whatever the working folder or the name it was started by.
TEST(RunningProgram, IsFoundFromTheSystemsNameOfItsOwnFile)
{
    std::string program;
    ASSERT_EQ(detail::RunningProgramPath(program), detail::NoError);
    const std::filesystem::path path = NativePath(program);
    EXPECT_TRUE(path.is_absolute()) << program;
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << program;
    EXPECT_EQ(path.stem(), "converter_tests") << program;
    EXPECT_EQ(BundledPlayerFolder(), BundledPlayerFolderOf(program));
}

}  // namespace
}  // namespace sorvane
