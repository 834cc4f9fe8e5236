// A Flash player script loaded by converted pages: its reference, the line
// that loads it, and a conversion that adds it once.
#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testkit::ReadFile;
using testkit::WriteFile;

// ---------------------------------------------------------------- reference --

struct ReferenceRow : testkit::NamedRow {
    std::string_view source;     // a web address, or a path in the scratch folder
    std::string_view page;       // in the scratch folder
    std::string_view reference;  // as the page writes it
};

class PlayerReferenceOf : public ::testing::TestWithParam<ReferenceRow> {};

TEST_P(PlayerReferenceOf, IsWhatThePageWrites)
{
    const ReferenceRow& row = GetParam();
    testkit::TempFolder folder;
    const bool local = !IsWebAddress(row.source);
    if (local) {
        fs::create_directories((folder.path() / row.source).parent_path());
        WriteFile(folder / row.source, "// player");
    }
    EXPECT_EQ(PlayerReference(local ? folder / row.source : std::string(row.source), folder / row.page),
              local ? testkit::InNativeStyle(row.reference) : std::string(row.reference));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PlayerReferenceOf,
    ::testing::Values(
        ReferenceRow{
            {"WebAddress"}, "https://example.org/ruffle/ruffle.js", "a.htm", "https://example.org/ruffle/ruffle.js"},
        ReferenceRow{{"WebAddressIsOnlyAttributeEscaped"},
                     "HTTP://example.org/r.js?v=1&a=\"2\"",
                     "a.htm",
                     "HTTP://example.org/r.js?v=1&amp;a=&quot;2&quot;"},
        ReferenceRow{{"SchemeRelativeAddress"}, "//cdn.example.org/ruffle.js", "a.htm", "//cdn.example.org/ruffle.js"},
        ReferenceRow{{"LocalBesideThePage"}, "ruffle.js", "a.htm", "ruffle.js"},
        ReferenceRow{{"LocalInAnotherFolder"}, "player/ruffle.js", "pages/a.htm", "../player/ruffle.js"},
        ReferenceRow{{"LocalNameMadeSafeAsAUrl"}, "R&D #1/100%.js", "a.htm", "R&amp;D %231/100%25.js"}),
    testkit::RowName<ReferenceRow>);

TEST(PlayerScript, ThatIsNoFileIsRefused)
{
    testkit::TempFolder folder;
    fs::create_directory(folder.path() / "player");
    for (const std::string& source : {folder / "gone.js", folder / "player"}) {
        EXPECT_THROW(
            {
                try {
                    PlayerReference(source, folder / "a.htm");
                } catch (const ConvertError& error) {
                    EXPECT_EQ(error.what(), "Cannot find the Flash player script " + source);
                    throw;
                }
            },
            ConvertError);
    }
    EXPECT_THROW(RequirePlayerScript(""), ConvertError);
    EXPECT_NO_THROW(RequirePlayerScript("https://example.org/gone.js"));
}

// ------------------------------------------------------ already loaded --

struct LoadsRow : testkit::NamedRow {
    std::string_view page;
    bool loads;
};

class PageLoadingPlayer : public ::testing::TestWithParam<LoadsRow> {};

TEST_P(PageLoadingPlayer, IsFoundByTheScriptsSrc)
{
    EXPECT_EQ(LoadsScript(GetParam().page, "player/ruffle.js", testkit::InNativeStyle("/web/site/a.htm")),
              GetParam().loads);
}

TEST(PageLoadingPlayer, WithBlanksOrQuotesInItsNameIsFoundByItsEscapedReference)
{
    // The reference as the converter writes it: % and & escaped, a blank as it is.
    EXPECT_TRUE(LoadsScript("<script src=\"my%20player/R&D%25.js\">", "my player/R&amp;D%25.js"));
    EXPECT_TRUE(LoadsScript("<script src='my player/R&amp;D%.js'>", "my player/R&amp;D%25.js"));
    EXPECT_FALSE(LoadsScript("<script src=\"my player/R&D.js\">", "my player/R&amp;D%25.js"));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageLoadingPlayer,
    ::testing::Values(
        LoadsRow{{"PlayerLine"}, "<head><script src=\"player/ruffle.js\"></script></head>", true},
        LoadsRow{{"CapitalsSingleQuotesOtherAttributes"},
                 "<SCRIPT type=\"text/javascript\"\r\nSRC='player/ruffle.js'>",
                 true},
        LoadsRow{{"UnquotedWithBlanksAroundEquals"}, "<script async src = player/ruffle.js >", true},
        LoadsRow{{"UnclosedAtTheEnd"}, "<p><script src=\"player/ruffle.js\"", true},
        LoadsRow{{"DotSegments"}, "<script src=\"./player/../player/./ruffle.js\"></script>", true},
        LoadsRow{{"EscapedLetters"}, "<script src=\"pl%61yer%2Fruffle.js\"></script>", true},
        LoadsRow{{"BackslashAndUpFromThePagesFolder"}, "<script src=\"..\\site\\player\\ruffle.js\">", true},
        LoadsRow{{"UpIntoAnotherFolder"}, "<script src=\"../other/player/ruffle.js\">", false},
        LoadsRow{{"RootOfTheServer"}, "<script src=\"/player/ruffle.js\">", false},
        LoadsRow{{"AnotherScript"}, "<script src=\"player/ruffle.js?v=2\"></script>", false},
        LoadsRow{{"OtherAttributeEndingInSrc"}, "<script data-src=\"player/ruffle.js\"></script>", false},
        LoadsRow{{"OtherElement"}, "<scripts src=\"player/ruffle.js\"><img src=\"player/ruffle.js\">", false},
        LoadsRow{{"SrcOfTheNextTag"}, "<script>run()</script><img src=\"player/ruffle.js\">", false},
        // Only markup loads: not a commented-out line, a script's string or a quoted value.
        LoadsRow{{"InAComment"}, "<!-- <script src=\"player/ruffle.js\"></script> -->", false},
        LoadsRow{{"InAScriptsText"}, "<script>w('<script src=\"player/ruffle.js\">')</script>", false},
        LoadsRow{{"InAQuotedValue"}, "<input value='<script src=\"player/ruffle.js\">'>", false},
        LoadsRow{{"AfterAScriptWithText"}, "<script>x</script><script src='player/ruffle.js'>", true}),
    testkit::RowName<LoadsRow>);

// --------------------------------------------------------------- convert --

class ConvertWithPlayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(folder.path() / "player");
        WriteFile(player, "// player");
    }

    ConversionRun run;
    testkit::TempFolder folder;
    const std::string page = folder / "index.htm";
    const std::string script = folder / "index.js";
    const std::string player = folder / "player/ruffle.js";
};

const std::string Include = "\r\n<script language=\"JavaScript\" src=\"index.js\"></script>\r\n";
const std::string PlayerLine = "<script src=\"" + testkit::InNativeStyle("player/ruffle.js") + "\"></script>\r\n";

TEST_F(ConvertWithPlayer, PlayerLineFollowsTheIncludeOnceOverConversions)
{
    WriteFile(page, "<html><head></head><body><object>m</object></body></html>");

    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false, .playerSource = player});
    const std::string once = ReadFile(page);
    EXPECT_TRUE(once.starts_with("<html><head>" + Include + PlayerLine + "</head><body>")) << once;

    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false, .playerSource = player});
    const std::string twice = ReadFile(page);
    EXPECT_EQ(twice,
              "<html><head>" + Include + PlayerLine + Include + once.substr(12 + Include.size() + PlayerLine.size()));
}

TEST_F(ConvertWithPlayer, PlayerLineGoesWithTheIncludeBeforeAnEarlyBlock)
{
    WriteFile(page, "<html><head><object>m</object></head></html>");
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false, .playerSource = player});
    EXPECT_TRUE(ReadFile(page).starts_with("<html><head>" + Include + PlayerLine + "<script language"));
}

TEST_F(ConvertWithPlayer, PageLoadingThePlayerItselfGetsNoSecondLine)
{
    const std::string own = "<html><head><script src='player/ruffle.js'></script></head><body></body></html>";
    WriteFile(page, own);
    ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = false, .playerSource = player});
    EXPECT_EQ(ReadFile(page),
              "<html><head><script src='player/ruffle.js'></script>" + Include + "</head><body></body></html>");
}

TEST_F(ConvertWithPlayer, MissingPlayerIsRefusedBeforeAnythingIsWritten)
{
    WriteFile(page, "<object>m</object>");
    EXPECT_THROW(
        ConvertPage(run, {.pagePath = page, .scriptPath = script, .backup = true, .playerSource = folder / "gone.js"}),
        ConvertError);
    EXPECT_EQ(ReadFile(page), "<object>m</object>");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"index.htm", "player"}));
}

}  // namespace
}  // namespace sorvane
