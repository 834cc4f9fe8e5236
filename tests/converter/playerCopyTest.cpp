// The copy of a Flash player's folder into a site: what it creates, what it
// leaves, and where it refuses to write.
#include "playerCopy.h"
#include "converterTestKit.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testkit::ReadFile;
using testkit::WriteFile;

class PlayerCopyTest : public ::testing::Test {
protected:
    PlayerCopyTest()
    {
        fs::create_directories(folder.path() / "player/chunks");
        WriteFile(folder / "player/ruffle.js", "// player");
        WriteFile(folder / "player/chunks/core.wasm", std::string_view("\0asm", 4));
        WriteFile(folder / "player/LICENSE_MIT", "MIT");
        fs::create_directories(folder.path() / "site");
    }

    testkit::TempFolder folder;
    const std::string player = folder / "player/ruffle.js";
    const std::string site = folder / "site";
};

TEST_F(PlayerCopyTest, CreatesWhatIsMissingReplacesWhatDiffersAndLeavesWhatIsEqual)
{
    WriteFile(folder / "site/ruffle.js", "// player");
    WriteFile(folder / "site/LICENSE_MIT", "changed");

    const PlayerCopy copy = PlanPlayerCopy(player, site);
    EXPECT_EQ(copy.script, folder / "site/ruffle.js");
    EXPECT_EQ(copy.newFiles, std::vector<std::string>{folder / "site/chunks/core.wasm"});
    EXPECT_EQ(copy.differingFiles, std::vector<std::string>{folder / "site/LICENSE_MIT"});
    EXPECT_EQ(ReadFile(folder / "site/LICENSE_MIT"), "changed");  // planned, not written

    CopyPlayer(copy);
    for (const char* name : {"ruffle.js", "chunks/core.wasm", "LICENSE_MIT"})
        EXPECT_EQ(ReadFile(folder.path() / "site" / name), ReadFile(folder.path() / "player" / name)) << name;
    EXPECT_TRUE(PlanPlayerCopy(player, site).copies.empty());
}

TEST_F(PlayerCopyTest, RefusesTargetsThatAreNoFilesOrLeadOutOfTheSite)
{
    fs::create_directory(folder.path() / "site/ruffle.js");
    EXPECT_THROW(PlanPlayerCopy(player, site), ConvertError);
    fs::remove(folder.path() / "site/ruffle.js");
#ifndef _WIN32
    WriteFile(folder / "outside.txt", "the user's");
    fs::create_symlink(folder.path() / "outside.txt", folder.path() / "site/LICENSE_MIT");
    EXPECT_THROW(PlanPlayerCopy(player, site), ConvertError);
    EXPECT_EQ(ReadFile(folder / "outside.txt"), "the user's");
#endif
    EXPECT_THROW(PlanPlayerCopy(folder / "gone/ruffle.js", site), ConvertError);
}

TEST(SitePlayerFolder, IsBesideTheFirstPageOrInTheScriptFolder)
{
    EXPECT_EQ(DefaultSitePlayerFolder(testkit::InNativeStyle("site/a.htm")),
              testkit::InNativeStyle("site/sorvane-player"));
    EXPECT_EQ(DefaultSitePlayerFolder(testkit::InNativeStyle("site/a.htm"), testkit::InNativeStyle("site/js")),
              testkit::InNativeStyle("site/js/sorvane-player"));
    EXPECT_EQ(DefaultSitePlayerFolder("intro.swf"), "sorvane-player");
}

}  // namespace
}  // namespace sorvane
