#include "restoration.h"
#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace sorvane {
namespace {

using testkit::ReadFile;
using testkit::WriteFile;

// A page converted for real, then perhaps changed: whether it is still
// known as what the conversion made of its backup, and by which script.
struct ConversionRow : testkit::NamedRow {
    std::string page;
    std::string scriptName;  // under the page's folder
    std::optional<std::string> player;
    std::function<std::string(std::string)> change;  // of the converted page
    std::optional<std::string> script;               // the script FindConversion names
};

class ConvertedPage : public ::testing::TestWithParam<ConversionRow> {
protected:
    ConversionRun run;
    testkit::TempFolder folder;
};

TEST_P(ConvertedPage, IsKnownByItsBackupUntilItIsChanged)
{
    const ConversionRow& row = GetParam();
    const std::string page = folder / "p.htm";
    WriteFile(page, row.page);
    std::filesystem::create_directories(std::filesystem::path(folder / row.scriptName).parent_path());
    const ConvertReport report = ConvertPage(
        run, {.pagePath = page, .scriptPath = folder / row.scriptName, .backup = true, .playerSource = row.player});
    const std::string converted = row.change(ReadFile(page));

    const std::optional<ConversionFound> found = FindConversion(converted, ReadFile(report.backupPath));
    EXPECT_EQ(found ? std::optional(found->scriptPath) : std::nullopt, row.script);
    if (found) {
        EXPECT_EQ(found->functions.size(), static_cast<std::size_t>(report.blocksConverted));
    }
}

// The include names the script as the page's relative path does.
#ifdef _WIN32
const std::string SpecialScript = "js\\a&b%c#.js";
#else
const std::string SpecialScript = "js/a&b%c#.js";
#endif
const auto Unchanged = [](std::string page) { return page; };
const std::string TwoBlocks = "<html><head><title>t</title></head><body>\r\n<object data=\"a.swf\">\r\n</object>\n"
                              "<noscript><object>kept</object></noscript><OBJECT>b</OBJECT></body></html>";

INSTANTIATE_TEST_SUITE_P(
    Restoration, ConvertedPage,
    ::testing::Values(
        ConversionRow{{"AsConverted"}, TwoBlocks, "p.js", {}, Unchanged, "p.js"},
        ConversionRow{{"WithoutBlocks"}, "<p>plain</p>", "p.js", {}, Unchanged, "p.js"},
        ConversionRow{{"BlockBeforeTheHeadEnds"}, "<head><object>m</object></head>", "p.js", {}, Unchanged, "p.js"},
        ConversionRow{{"WithAPlayerLine"}, TwoBlocks, "p.js", "https://example.org/ruffle.js", Unchanged, "p.js"},
        ConversionRow{{"LfPageWithAPlayerLine"},
                      "<head></head>\n<object>m</object>\n",
                      "p.js",
                      "https://example.org/ruffle.js",
                      Unchanged,
                      "p.js"},
        ConversionRow{{"ScriptElsewhereWithSpecialName"}, TwoBlocks, "js/a&b%c#.js", {}, Unchanged, SpecialScript},
        ConversionRow{{"EditedAfterwards"},
                      TwoBlocks,
                      "p.js",
                      {},
                      [](const std::string& page) { return page + "NEW"; },
                      std::nullopt},
        ConversionRow{{"NoscriptCopyEdited"},
                      TwoBlocks,
                      "p.js",
                      {},
                      [](std::string page) { return page.replace(page.find("a.swf"), 5, "b.swf"); },
                      std::nullopt},
        ConversionRow{{"CallTakenOut"},
                      TwoBlocks,
                      "p.js",
                      {},
                      [](std::string page) {
                          const std::size_t call = page.find("<script language=\"JavaScript\"> displaySWF_");
                          return page.erase(call, page.find("<noscript>", call) - call);
                      },
                      std::nullopt},
        ConversionRow{{"IncludeTakenOut"},
                      TwoBlocks,
                      "p.js",
                      {},
                      [](std::string page) {
                          const std::size_t include = page.find("\r\n<script language=\"JavaScript\" src=");
                          return page.erase(include, page.find("\r\n", include + 2) + 2 - include);
                      },
                      std::nullopt}),
    testkit::RowName<ConversionRow>);

// Conversions before line ends followed the page wrote CR LF into LF pages:
// such a page is known as well as one converted now.
TEST(Restoration, KnowsAnLfPageConvertedWithEitherLineEnd)
{
    const std::string backup = "<head></head>\n<object>m</object>\n";
    const auto converted = [](const std::string& end) {
        return "<head>" + end + "<script language=\"JavaScript\" src=\"p.js\"></script>" + end
               + "</head>\n<script language=\"JavaScript\"> displaySWF_3(); </script>" + end + "<noscript>" + end
               + "<object>m</object>" + end + "</noscript>\n";
    };
    EXPECT_EQ(FindConversion(converted("\n"), backup), (ConversionFound{"p.js", {3}}));
    EXPECT_EQ(FindConversion(converted("\r\n"), backup), (ConversionFound{"p.js", {3}}));
    EXPECT_EQ(FindConversion(converted("\r"), backup), std::nullopt);
}

// A page converted twice is known by the backup of its second conversion:
// the calls and include of the first belong to that backup.
TEST(Restoration, SecondConversionIsKnownByTheSecondBackup)
{
    ConversionRun run;
    testkit::TempFolder folder;
    const std::string page = folder / "p.htm";
    WriteFile(page, "<head></head><object>1</object>");
    const std::string first =
        ConvertPage(run, {.pagePath = page, .scriptPath = folder / "p.js", .backup = true}).backupPath;
    WriteFile(page, ReadFile(page) + "<object>2</object>");
    const std::string second =
        ConvertPage(run, {.pagePath = page, .scriptPath = folder / "p.js", .backup = true}).backupPath;

    EXPECT_EQ(FindConversion(ReadFile(page), ReadFile(second)), (ConversionFound{"p.js", {2}}));
    EXPECT_EQ(FindConversion(ReadFile(page), ReadFile(first)), std::nullopt);
}

TEST(Restoration, ScriptsWrittenByConversionsAloneAreKnown)
{
    ConversionRun run;
    testkit::TempFolder folder;
    WriteFile(folder / "p.htm", "<object>1</object><object>'2'</object>");
    ConvertPage(run, {.pagePath = folder / "p.htm", .scriptPath = folder / "p.js", .backup = false});
    const std::string script = ReadFile(folder / "p.js");

    EXPECT_TRUE(IsConversionScript(script));
    EXPECT_TRUE(IsConversionScript(""));
    EXPECT_FALSE(IsConversionScript(script + "var mine = 1;\r\n"));
    EXPECT_FALSE(IsConversionScript("// old script\r\n" + script));
}

}  // namespace
}  // namespace sorvane
