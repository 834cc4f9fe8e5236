#include "embedCode.h"

#include "converterTestKit.h"
#include "namedRow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace sorvane {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using testkit::ReadFile;
using testkit::WriteFile;

// Windows-style paths such as D:\site\intro.swf have no folder on Linux:
// the script file they name ("D:\site\intro.js") lands in the current folder,
// which is a scratch folder for the length of each test. On Windows they go
// through OnScratchDrive first.
class EmbedCodeTest : public ::testing::Test {
protected:
    EmbedCodeTest() { fs::current_path(folder.path()); }
    ~EmbedCodeTest() override { fs::current_path(previous); }

    // A path on drive D: as the tests name it. On Windows, where D: is a real
    // drive, the scratch folder stands in for the drive's root ("D:\a.swf"
    // becomes "<scratch>\a.swf", made with its folder) and the current
    // drive for a drive-relative path ("D:a.swf" becomes "C:a.swf", the
    // scratch folder being current there). Elsewhere the path stays.
    std::string OnScratchDrive(std::string_view path) const
    {
#ifdef _WIN32
        if (path.starts_with("D:\\")) {
            const std::string onScratch = folder / path.substr(3);
            fs::create_directories(fs::path(onScratch).parent_path());
            return onScratch;
        }
        if (path.starts_with("D:"))
            return folder.path().root_name().string() + std::string(path.substr(2));
#endif
        return std::string(path);
    }

    fs::path previous = fs::current_path();
    testkit::TempFolder folder;
};

// The second line of a script file: the document.write statement.
std::string ScriptLine(const std::string& scriptText)
{
    return scriptText.substr(scriptText.find("\r\n") + 2);
}

// True when the text is one single-quoted JavaScript string literal with no
// quote or line end left unescaped inside.
bool IsOneSingleQuotedString(std::string_view literal)
{
    if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'')
        return false;
    std::size_t i = 1;
    while (i < literal.size() - 1) {
        if (literal[i] == '\\')
            i += 2;
        else if (literal[i] == '\'' || literal[i] == '\r' || literal[i] == '\n')
            return false;
        else
            ++i;
    }
    return i == literal.size() - 1;
}

TEST_F(EmbedCodeTest, IntroMovieGivesTheSnippetAndScriptByteForByte)
{
    const EmbedCodeResult result = GenerateEmbedCode({.moviePath = OnScratchDrive("D:\\site\\intro.swf"),
                                                      .width = "550",
                                                      .height = "400",
                                                      .name = "intro",
                                                      .style = PathStyle::Windows});

    EXPECT_EQ(result.movieFileName, "intro.swf");
    EXPECT_EQ(result.scriptName, "intro.js");
    EXPECT_EQ(result.scriptPath, OnScratchDrive("D:\\site\\intro.js"));
    EXPECT_EQ(
        result.snippet,
        "<script src=\"intro.js\"></script>\r\n"
        "<noscript>\r\n"
        "<object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\"\r\n"
        "        codebase=\"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=8,0,0,0\"\r\n"
        "        width=\"550\" height=\"400\"\r\n"
        "        id=\"intro\" align=\"middle\">\r\n"
        "  <param name=\"allowScriptAccess\" value=\"sameDomain\" />\r\n"
        "  <param name=\"movie\" value=\"intro.swf\" />\r\n"
        "  <param name=\"quality\" value=\"best\" />\r\n"
        "  <embed src=\"intro.swf\" quality=\"best\" \r\n"
        "         width=\"550\" height=\"400\"\r\n"
        "         name=\"intro\" align=\"middle\"\r\n"
        "         allowScriptAccess=\"sameDomain\"\r\n"
        "         type=\"application/x-shockwave-flash\"\r\n"
        "         pluginspage=\"http://www.macromedia.com/go/getflashplayer\" />\r\n"
        "</object>\r\n"
        "</noscript>");
    EXPECT_EQ(ReadFile(folder / result.scriptPath),
              "// Created by Sorvane. Website: http://www.sorvane.example/\r\n"
              "document.write('<object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\""
              "codebase=\"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=8,0,0,0\""
              "width=\"550\" height=\"400\"id=\"intro\" align=\"middle\">"
              "<param name=\"allowScriptAccess\" value=\"sameDomain\" />"
              "<param name=\"movie\" value=\"intro.swf\" />"
              "<param name=\"quality\" value=\"best\" />"
              "<embed src=\"intro.swf\" quality=\"best\"width=\"550\" height=\"400\" "
              "name=\"intro\" align=\"middle\" allowScriptAccess=\"sameDomain\" "
              "type=\"application/x-shockwave-flash\" "
              "pluginspage=\"http://www.macromedia.com/go/getflashplayer\" /></object>');");
}

// ------------------------------------------------------------------ names --

struct NameRow : testkit::NamedRow {
    const char* moviePath;
    PathStyle style;
    const char* movieFileName;
    const char* scriptName;
    const char* scriptPath;
};

class EmbedCodeNames : public EmbedCodeTest, public ::testing::WithParamInterface<NameRow> {};

TEST_P(EmbedCodeNames, ScriptIsNamedAfterTheMovieInItsFolder)
{
    const NameRow& row = GetParam();
    const EmbedCodeResult result = GenerateEmbedCode(
        {.moviePath = OnScratchDrive(row.moviePath), .width = "1", .height = "1", .name = "m", .style = row.style});
    EXPECT_EQ(result.movieFileName, row.movieFileName);
    EXPECT_EQ(result.scriptName, row.scriptName);
    EXPECT_EQ(result.scriptPath, OnScratchDrive(row.scriptPath));
    EXPECT_TRUE(fs::exists(folder / result.scriptPath));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, EmbedCodeNames,
    ::testing::Values(
        NameRow{{"InnerDotStays"},
                "D:\\site\\intro.final.swf",
                PathStyle::Windows,
                "intro.final.swf",
                "intro.final.js",
                "D:\\site\\intro.final.js"},
        NameRow{{"NoExtension"}, "D:\\site\\intro", PathStyle::Windows, "intro", "intro.js", "D:\\site\\intro.js"},
        NameRow{{"DriveOnly"}, "D:intro.swf", PathStyle::Windows, "intro.swf", "intro.js", "D:intro.js"},
        NameRow{{"PosixBareName"}, "intro.swf", PathStyle::Posix, "intro.swf", "intro.js", "intro.js"}),
    testkit::RowName<NameRow>);

TEST_F(EmbedCodeTest, ExistingScriptBesideAPosixMovieIsReplacedWhole)
{
    WriteFile(folder / "intro.swf", "FWS");
    WriteFile(folder / "intro.js", "\r\n// Created by Sorvane. Website: http://www.sorvane.example/\r\n"
                                   "function displaySWF_1(){document.write('<object></object>');}\r\n");

    const EmbedCodeResult result = GenerateEmbedCode(
        {.moviePath = folder / "intro.swf", .width = "550", .height = "400", .name = "intro"});

    EXPECT_EQ(result.scriptPath, folder / "intro.js");
    const std::string script = ReadFile(folder / "intro.js");
    EXPECT_TRUE(script.starts_with("// Created by Sorvane. Website: "));
    EXPECT_THAT(script, Not(HasSubstr("displaySWF_1")));
    EXPECT_TRUE(script.ends_with("</object>');"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"intro.js", "intro.swf"}));
}

#ifndef _WIN32  // a full disk is made with a file size limit, which Windows lacks
TEST_F(EmbedCodeTest, FailedWriteRaisesCreateErrorAndKeepsTheOldFileWhole)
{
    WriteFile(folder / "intro.js", "old script");
    try {
        const testkit::FileSizeLimit fullDisk(16);
        GenerateEmbedCode({.moviePath = folder / "intro.swf", .width = "550", .height = "400", .name = "intro"});
        ADD_FAILURE() << "no error raised";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::Create);
        EXPECT_EQ(error.path(), folder / "intro.js");
    }
    EXPECT_EQ(ReadFile(folder / "intro.js"), "old script");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"intro.js"});
}
#endif

TEST_F(EmbedCodeTest, MissingFolderRaisesCreateError)
{
    EXPECT_THROW(
        GenerateEmbedCode({.moviePath = folder / "gone/intro.swf", .width = "1", .height = "1", .name = "intro"}),
        FileError);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{});
}

// ----------------------------------------------------------------- values --

// The options go into the snippet as given (only HTML-escaped) and into the
// script line flattened and escaped for the single-quoted string.
struct ValueRow : testkit::NamedRow {
    const char* movie;
    const char* width;
    const char* nameId;
    std::vector<std::string> inSnippet;
    std::vector<std::string> inScriptLine;
};

class EmbedCodeValues : public EmbedCodeTest, public ::testing::WithParamInterface<ValueRow> {};

TEST_P(EmbedCodeValues, GoInAsPlainTextEscapedForTheirPlace)
{
    const ValueRow& row = GetParam();
#ifdef _WIN32
    if (std::string_view(row.movie).find_first_of("\"<>") != std::string_view::npos)
        GTEST_SKIP() << "Windows allows no \" < > in file names";
#endif
    const EmbedCodeResult result = GenerateEmbedCode({.moviePath = OnScratchDrive(row.movie),
                                                      .width = row.width,
                                                      .height = "400",
                                                      .name = row.nameId,
                                                      .style = PathStyle::Windows});
    const std::string scriptLine = ScriptLine(ReadFile(folder / result.scriptPath));

    for (const std::string& expected : row.inSnippet)
        EXPECT_THAT(result.snippet, HasSubstr(expected));
    for (const std::string& expected : row.inScriptLine)
        EXPECT_THAT(scriptLine, HasSubstr(expected));
    ASSERT_TRUE(scriptLine.starts_with("document.write(") && scriptLine.ends_with(");"));
    EXPECT_TRUE(IsOneSingleQuotedString(std::string_view(scriptLine).substr(15, scriptLine.size() - 17))) << scriptLine;
}

INSTANTIATE_TEST_SUITE_P(
    Options, EmbedCodeValues,
    ::testing::Values(
        ValueRow{{"PercentWidth"},
                 "D:\\a.swf",
                 "100%",
                 "a",
                 {"        width=\"100%\" height=\"400\"\r\n", "         width=\"100%\" height=\"400\"\r\n"},
                 {"<embed src=\"a.swf\" quality=\"best\"width=\"100%\" height=\"400\" "}},
        ValueRow{{"PlaceholderInValueStaysText"},
                 "D:\\a.swf",
                 "%s%",
                 "%s",
                 {"width=\"%s%\"", "id=\"%s\"", "name=\"%s\""},
                 {"width=\"%s%\"", "name=\"%s\""}},
        ValueRow{{"EmptyName"},
                 "D:\\a.swf",
                 "",
                 "",
                 {"width=\"\"", "id=\"\" align", "name=\"\" align"},
                 {"id=\"\" align", "name=\"\" align"}},
        ValueRow{{"TwoBlanksKeptInSnippetAndScript"},
                 "D:\\a.swf",
                 "5",
                 "my  movie",
                 {"id=\"my  movie\"", "name=\"my  movie\""},
                 {"id=\"my  movie\"", "name=\"my  movie\""}},
        ValueRow{{"LineEndInAValueEscapedInScript"},
                 "D:\\a.swf",
                 "5",
                 "a\r\nb",
                 {"id=\"a\r\nb\""},
                 {"id=\"a\\r\\nb\"", "name=\"a\\r\\nb\""}},
        ValueRow{{"QuoteAndBackslashEscapedForScript"},
                 "D:\\it's.swf",
                 "5",
                 "a\\b'c",
                 {"id=\"a\\b'c\"", "value=\"it's.swf\"", "<script src=\"it's.js\">"},
                 {"id=\"a\\\\b\\'c\"", "src=\"it\\'s.swf\""}},
        ValueRow{{"HtmlSpecialsEscapedInAttributes"},
                 "D:\\a.swf",
                 "<5>",
                 "a\"b&c",
                 {"width=\"&lt;5&gt;\"", "id=\"a&quot;b&amp;c\"", "name=\"a&quot;b&amp;c\""},
                 {"width=\"&lt;5&gt;\"", "name=\"a&quot;b&amp;c\""}},
        // The movie's and the script's names go into addresses: bytes with a
        // meaning in a URL are percent-encoded, then "&" is HTML-escaped.
        ValueRow{{"NameWithUrlSpecialsInAddresses"},
                 "D:\\R&D \"<1>\"#?.swf",
                 "5",
                 "m",
                 {"value=\"R&amp;D %22%3C1%3E%22%23%3F.swf\"", "src=\"R&amp;D %22%3C1%3E%22%23%3F.swf\"",
                  "<script src=\"R&amp;D %22%3C1%3E%22%23%3F.js\">"},
                 {"value=\"R&amp;D %22%3C1%3E%22%23%3F.swf\"", "src=\"R&amp;D %22%3C1%3E%22%23%3F.swf\""}},
        ValueRow{{"PercentInTheMovieName"},
                 "D:\\100%.swf",
                 "5",
                 "m",
                 {"value=\"100%25.swf\"", "src=\"100%25.swf\"", "<script src=\"100%25.js\">"},
                 {"src=\"100%25.swf\""}},
        ValueRow{{"BlankAndApostropheStayInAddresses"},
                 "D:\\My Movie's.swf",
                 "5",
                 "m",
                 {"value=\"My Movie's.swf\"", "<script src=\"My Movie's.js\">"},
                 {"src=\"My Movie\\'s.swf\""}},
        ValueRow{{"TrailingBackslashCannotEndTheString"}, "D:\\a.swf", "5", "x\\", {"id=\"x\\\""}, {"id=\"x\\\\\""}}),
    testkit::RowName<ValueRow>);

TEST_F(EmbedCodeTest, HtmlEscapingCoversExactlyTheFourCharacters)
{
    EXPECT_EQ(EscapeHtmlAttribute("a&\"<>'b\\ %s"), "a&amp;&quot;&lt;&gt;'b\\ %s");
}

TEST_F(EmbedCodeTest, LabelsKeepThePlainNames)
{
    const EmbedCodeResult result = GenerateEmbedCode(
        {.moviePath = "a#b&c.swf", .width = "1", .height = "1", .name = "m", .style = PathStyle::Posix});
    EXPECT_EQ(result.movieFileName, "a#b&c.swf");
    EXPECT_EQ(result.scriptName, "a#b&c.js");
    EXPECT_EQ(result.scriptPath, "a#b&c.js");
}

// The player's line comes first; a local player that is missing stops the
// generation before the script file is written.
TEST_F(EmbedCodeTest, PlayerLineStartsTheSnippetAndAMissingPlayerWritesNothing)
{
    fs::create_directories(folder.path() / "movies");
    WriteFile(folder / "ruffle.js", "// player");
    const std::string plain =
        GenerateEmbedCode({.moviePath = "movies/intro.swf", .width = "1", .height = "1", .name = "m"}).snippet;
    const EmbedCodeResult withPlayer = GenerateEmbedCode(
        {.moviePath = "movies/intro.swf", .width = "1", .height = "1", .name = "m", .playerSource = "ruffle.js"});
    EXPECT_EQ(withPlayer.snippet,
              "<script src=\"" + testkit::InNativeStyle("../ruffle.js") + "\"></script>\r\n" + plain);

    EXPECT_THROW(GenerateEmbedCode(
                     {.moviePath = "outro.swf", .width = "1", .height = "1", .name = "m", .playerSource = "gone.js"}),
                 ConvertError);
    EXPECT_FALSE(fs::exists(folder.path() / "outro.js"));
}

// ------------------------------------------------------ protected scripts --

// What the generator writes, and look-alikes that hold more than that.
struct ScriptRow : testkit::NamedRow {
    std::string text;
    bool generated;
};

const std::string GeneratedHeader = "// " + std::string(ScriptHeaderText) + "\r\n";

class GeneratedScripts : public ::testing::TestWithParam<ScriptRow> {};

TEST_P(GeneratedScripts, AreTheHeaderAndOneDocumentWriteOnly)
{
    EXPECT_EQ(IsGeneratedMovieScript(GetParam().text), GetParam().generated) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GeneratedScripts,
    ::testing::Values(
        ScriptRow{{"Generated"}, GeneratedHeader + "document.write('<object id=\"a\"></object>');", true},
        ScriptRow{{"EscapedQuotesAndBackslashes"}, GeneratedHeader + "document.write('it\\'s \\\\ x');", true},
        ScriptRow{{"ConvertedPagesScript"},
                  "\r\n" + GeneratedHeader + "\r\nfunction displaySWF_1() { document.write('<object>A</object>'); }\r\n"
                      + GeneratedHeader,
                  false},
        ScriptRow{{"StatementFollowedByCode"}, GeneratedHeader + "document.write('a'); alert('b');", false},
        ScriptRow{{"SecondLine"}, GeneratedHeader + "document.write('a');\r\nalert(1);", false},
        ScriptRow{{"LineEndAfterTheStatement"}, GeneratedHeader + "document.write('a');\r\n", false},
        ScriptRow{{"LineEndInsideTheString"}, GeneratedHeader + "document.write('a\nb');", false},
        ScriptRow{{"UnclosedString"}, GeneratedHeader + "document.write('a\\');", false},
        ScriptRow{{"OtherHeader"}, "// written by hand\r\ndocument.write('a');", false},
        ScriptRow{{"Empty"}, "", false}),
    testkit::RowName<ScriptRow>);

TEST_F(EmbedCodeTest, OnlyAFileHoldingOtherScriptCodeIsProtected)
{
    const std::string movie = folder / "intro.swf";
    EXPECT_EQ(MovieScriptPath(movie), folder / "intro.js");
    EXPECT_FALSE(WouldReplaceOtherScript(movie)) << "no file yet";
    GenerateEmbedCode({.moviePath = movie, .width = "550", .height = "400", .name = "intro"});
    EXPECT_FALSE(WouldReplaceOtherScript(movie)) << "the generator's own script";
    WriteFile(folder / "intro.js", "");
    EXPECT_FALSE(WouldReplaceOtherScript(movie)) << "an empty file holds nothing to lose";
    WriteFile(folder / "intro.js", "function displaySWF_1() { }");
    EXPECT_TRUE(WouldReplaceOtherScript(movie));
    fs::remove(folder / "intro.js");
    fs::create_directory(folder / "intro.js");
    EXPECT_FALSE(WouldReplaceOtherScript(movie)) << "a folder is never replaced; writing it fails instead";
}

// A movie's name is bytes, UTF-8 on Windows, where std::filesystem reads a
// byte string in another encoding unless it comes through NativePath.
TEST_F(EmbedCodeTest, ScriptOfAMovieNamedBeyondAsciiIsFound)
{
    WriteFile(folder / "\xce\xa9mega.js", "function displaySWF_1() { }");
    EXPECT_TRUE(WouldReplaceOtherScript(folder / "\xce\xa9mega.swf"));
}

// ----------------------------------------------------------------- checks --

TEST(IsDigitsOrPercent, AcceptsOnlyDigitsAndPercentInAnyOrder)
{
    for (const char* text : {"", "550", "100%", "%%", "5%0", "0123456789%"})
        EXPECT_TRUE(IsDigitsOrPercent(text)) << text;
    for (const char* text : {" 550", "550 ", "-5", "+5", "1.5", "55px", "/", ":", "\xB2"})
        EXPECT_FALSE(IsDigitsOrPercent(text)) << text;
}

struct DoubtRow : testkit::NamedRow {
    std::string width, height, nameId;
    std::vector<DoubtfulValue> doubtful;
};

class Doubts : public ::testing::TestWithParam<DoubtRow> {};

TEST_P(Doubts, AreFoundInTheOrderTheyAreAsked)
{
    const DoubtRow& row = GetParam();
    EXPECT_EQ(DoubtfulValues({.width = row.width, .height = row.height, .name = row.nameId}), row.doubtful);
}

using enum DoubtfulValue;

INSTANTIATE_TEST_SUITE_P(
    Options, Doubts,
    ::testing::Values(DoubtRow{"NoneForSizesAndAName", "550", "100%", "intro", {}},
                      DoubtRow{"EverythingEmpty", "", "", "", {BlankWidth, BlankHeight, BlankName}},
                      // Blanks and control bytes read as empty, and are not digits either.
                      DoubtRow{"BlankWidthIsAlsoNotDigits", " \t", "400", "intro", {BlankWidth, WidthNotDigits}},
                      DoubtRow{"BlankNameOnly", "550", "400", "\r\n", {BlankName}},
                      DoubtRow{"UnitsAreNotDigits", "550px", "4.5", "intro", {WidthNotDigits, HeightNotDigits}},
                      DoubtRow{"HighBytesAreNotBlank", "550", "400", "\xA0", {}}),
    testkit::RowName<DoubtRow>);

TEST(FillPlaceholders, FillsInOrderAndRefusesMismatchedCounts)
{
    EXPECT_EQ(FillPlaceholders("<%s|%s>", {"%s", "100%"}), "<%s|100%>");
    EXPECT_THROW(FillPlaceholders("%s %s", {"a"}), std::invalid_argument);
    EXPECT_THROW(FillPlaceholders("%s", {"a", "b"}), std::invalid_argument);
}

}  // namespace
}  // namespace sorvane
