#include "cliFixture.h"
#include "converterTestKit.h"
#include "embedCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

// ------------------------------------------------------------- golden pages --

class CliGoldenPage : public CliTest, public ::testing::WithParamInterface<testing::GoldenCase> {};

TEST_P(CliGoldenPage, ConvertsToTheExpectedPageAndScript)
{
    fs::copy_file(GetParam().folder / "page.htm", folder.path() / "page.htm");
    const Outcome outcome = Run({"convert", "--no-backup", "page.htm"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadFile(folder / "page.htm"), ReadFile(GetParam().folder / "expected.htm"));
    EXPECT_EQ(ReadFile(folder / "page.js"), ReadFile(GetParam().folder / "expected.js"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"page.htm", "page.js"}));
}

INSTANTIATE_TEST_SUITE_P(Golden, CliGoldenPage, ::testing::ValuesIn(testing::GoldenCases()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::erase(name, '-');
                             return name;
                         });

// ------------------------------------------------------------------ convert --

TEST_F(CliTest, PagesOfOneCallShareNumberingAndFunctionsAndEachGetsALine)
{
    WriteFile(folder / "a.htm", "<object>1</object><object>2</object>");
    WriteFile(folder / "b.htm", "<object>3</object>");

    const Outcome outcome = Run({"convert", "a.htm", "b.htm"});

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, folder / "a.htm" + ": 2 blocks converted; script " + folder / "a.js" + "; backup "
                               + folder / "a_backup.htm" + "\n" + folder / "b.htm" + ": 1 block converted; script "
                               + folder / "b.js" + "; backup " + folder / "b_backup.htm" + "\n");
    const std::string bScript = ReadFile(folder / "b.js");
    for (const char* name : {"displaySWF_1()", "displaySWF_2()", "displaySWF_3()"})
        EXPECT_NE(bScript.find(name), std::string::npos) << name;
    EXPECT_EQ(ReadFile(folder / "b_backup.htm"), "<object>3</object>");
}

TEST_F(CliTest, FailingPageIsReportedAndTheNextOneConverted)
{
    WriteFile(folder / "a.htm", "<object>1</object>");
    WriteFile(folder / "b.htm", "<object>2</object>");
    WriteFile(folder / "index.js", "<object>0</object>");  // would be its own script file

    const Outcome outcome = Run({"convert", "--no-backup", "a.htm", "missing.htm", "index.js", "b.htm"});

    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "sorvane-cli: Cannot open file " + folder / "missing.htm"
                               + "\nsorvane-cli: The page and the script file are the same file: "
                               + folder / "index.js" + "\n");
    EXPECT_NE(ReadFile(folder / "b.htm").find("displaySWF_2();"), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "index.js"), "<object>0</object>");
    EXPECT_EQ(std::ranges::count(outcome.out, '\n'), 2);
}

TEST_F(CliTest, ScriptFolderTakesTheScriptsAndRelativePathsWork)
{
    fs::create_directories(folder.path() / "site/pages");
    fs::create_directories(folder.path() / "site/js");
    WriteFile(folder / "site/pages/a.htm", "<head></head>");
    WriteFile(folder / "site/pages/b.htm", "<head></head>");

    const Outcome outcome = Run({"convert", "--no-backup", "--script-dir", "site/js/", "site/pages/a.htm",
                                 "--script-dir=./site/pages/../js", "site/pages/b.htm"});

    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(fs::exists(folder / "site/js/a.js"));
    EXPECT_TRUE(fs::exists(folder / "site/js/b.js"));
    EXPECT_NE(outcome.out.find("script " + folder / "site/js/a.js" + ";"), std::string::npos);
    for (const char* page : {"site/pages/a.htm", "site/pages/b.htm"})
        EXPECT_NE(ReadFile(folder / page).find("src=\"" + fs::path("../js/").make_preferred().string()),
                  std::string::npos)
            << page;
}

// ----------------------------------------------------------------- generate --

TEST_F(CliTest, GeneratePrintsExactlyTheSnippetAndWritesTheScript)
{
    WriteFile(folder / "intro.swf", "FWS");
    const Outcome outcome = Run({"generate", "--width", "550", "--height=400", "intro.swf"});
    const std::string script = ReadFile(folder / "intro.js");

    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    const EmbedCodeResult expected = GenerateEmbedCode(folder / "intro.swf", "550", "400", "intro", "best");
    EXPECT_EQ(outcome.out, expected.snippet);
    EXPECT_EQ(script, ReadFile(folder / "intro.js"));
    EXPECT_TRUE(outcome.out.ends_with("\r\n</noscript>"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"intro.js", "intro.swf"}));
}

TEST_F(CliTest, GenerateWarnsAboutWhatTheWizardWouldQuestionAndGoesOn)
{
    WriteFile(folder / "intro.swf", "FWS");
    const Outcome defaults = Run({"generate", "intro.swf"});
    EXPECT_EQ(defaults.status, 0);
    EXPECT_EQ(defaults.err, "sorvane-cli: warning: the width is blank\n"
                            "sorvane-cli: warning: the height is blank\n");
    EXPECT_EQ(defaults.out, GenerateEmbedCode(folder / "intro.swf", "", "", "intro", "best").snippet);

    const Outcome doubtful = Run({"generate", "--width", " 5", "--height", "4px", "--name=", "--quality=High",
                                  "intro.swf"});
    EXPECT_EQ(doubtful.status, 0);
    EXPECT_EQ(doubtful.err, "sorvane-cli: warning: the name/id is blank\n"
                            "sorvane-cli: warning: the width should contain numbers and % sign only\n"
                            "sorvane-cli: warning: the height should contain numbers and % sign only\n");
    EXPECT_EQ(doubtful.out, GenerateEmbedCode(folder / "intro.swf", " 5", "4px", "", "high").snippet);
}

TEST_F(CliTest, GenerateFailureIsReportedWithStatusOneAndNoSnippet)
{
    WriteFile(folder / "intro.swf", "FWS");
    fs::create_directory(folder.path() / "intro.js");  // a folder is never replaced by the script

    const Outcome unwritable = Run({"generate", "--width=1", "--height=1", "intro.swf"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.out, "");
    EXPECT_EQ(unwritable.err, "sorvane-cli: Cannot create file intro.js\n");
    EXPECT_TRUE(fs::is_directory(folder.path() / "intro.js"));

    const Outcome missing = Run({"generate", "--width=1", "--height=1", "gone.swf"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "sorvane-cli: no movie file 'gone.swf'\n");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"intro.js", "intro.swf"}));
}

// ------------------------------------------------------ help and usage errors --

TEST_F(CliTest, HelpAndVersion)
{
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("sorvane-cli convert [--no-backup] [--script-dir DIR] PAGE..."), std::string::npos);
    EXPECT_NE(help.out.find("sorvane-cli generate [--width W] [--height H] [--name NAME] "
                            "[--quality best|high|low] MOVIE"),
              std::string::npos);
    EXPECT_EQ(Run({"convert", "--help"}).status, 0);
    EXPECT_EQ(Run({"generate", "--help"}).status, 0);
    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "sorvane-cli 1.01\n");
}

struct UsageRow : testing::NamedRow {
    std::vector<std::string_view> arguments;
    std::string_view message;
};

class CliUsage : public CliTest, public ::testing::WithParamInterface<UsageRow> {};

TEST_P(CliUsage, IsRefusedWithStatusTwoAndNothingWritten)
{
    WriteFile(folder / "a.htm", "<object>1</object>");
    const Outcome outcome = Run(GetParam().arguments);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "sorvane-cli: " + std::string(GetParam().message)
                               + "\nTry 'sorvane-cli --help' for more information.\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.htm"});
}

INSTANTIATE_TEST_SUITE_P(Cli, CliUsage, ::testing::Values(
    UsageRow{{"NoCommand"}, {}, "no command given"},
    UsageRow{{"UnknownCommand"}, {"frobnicate", "a.htm"}, "unknown command 'frobnicate'"},
    UsageRow{{"UnknownOption"}, {"convert", "--bogus", "a.htm"}, "convert: unknown option '--bogus'"},
    UsageRow{{"NoPage"}, {"convert", "--no-backup"}, "convert: no page given"},
    UsageRow{{"ScriptDirWithoutFolder"}, {"convert", "a.htm", "--script-dir"}, "option '--script-dir' needs a folder"},
    UsageRow{{"EmptyScriptDir"}, {"convert", "--script-dir=", "a.htm"}, "option '--script-dir' needs a folder"},
    UsageRow{{"BadQuality"}, {"generate", "--quality", "Medium", "a.htm"},
             "generate: quality must be best, high or low, not 'Medium'"},
    UsageRow{{"NoMovie"}, {"generate", "--width=5"}, "generate: no movie given"},
    UsageRow{{"TwoMovies"}, {"generate", "a.htm", "b.swf"}, "generate: only one movie can be given"},
    UsageRow{{"SizeWithoutValue"}, {"generate", "a.htm", "--height"}, "option '--height' needs a value"},
    UsageRow{{"UnknownGenerateOption"}, {"generate", "--no-backup", "a.htm"},
             "generate: unknown option '--no-backup'"}),
    testing::RowName<UsageRow>);

}  // namespace
}  // namespace sorvane
