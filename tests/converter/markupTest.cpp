#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

namespace sorvane {
namespace {

using testkit::NamedRow;
using testkit::RowName;

// -------------------------------------------------------------- flattening --

struct FlattenRow : NamedRow {
    std::string markup, expected;
};

class Flatten : public ::testing::TestWithParam<FlattenRow> {};

TEST_P(Flatten, PutsMarkupOnOneLine) { EXPECT_EQ(FlattenMarkup(GetParam().markup), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Markup, Flatten, ::testing::Values(
    FlattenRow{"CrLfBetweenTagsVanishes", "<a>\r\n<b>", "<a><b>"},
    FlattenRow{"LoneLfBecomesABlank", "<a>\n<b>", "<a> <b>"},
    FlattenRow{"LoneCrBecomesABlank", "<a>\r<b>", "<a> <b>"},
    FlattenRow{"CrLfAndOneBlankLeaveOne", "<a>\r\n <b>", "<a> <b>"},
    FlattenRow{"CrLfAndTwoBlanksVanish", "<a>\r\n  <b>", "<a><b>"},
    FlattenRow{"OddRunLeavesOne", "<a     b>", "<a b>"},
    FlattenRow{"EvenThousandsVanish", "<a" + std::string(4000, ' ') + "b>", "<ab>"},
    FlattenRow{"OddThousandsLeaveOne", "<a" + std::string(4001, ' ') + "b>", "<a b>"},
    FlattenRow{"TabsInsideStay", "<a\tb\t\tc>", "<a\tb\t\tc>"},
    FlattenRow{"EndsTrimmedOfControlBytes", std::string("\t\x01 <a> \x1f\0", 9), "<a>"},
    FlattenRow{"QuotesAndBackslashesStay", R"(<a b='c\d' e="f">)", R"(<a b='c\d' e="f">)"},
    FlattenRow{"HighBytesStay", "\xe9<a \xff\x80>\xe9", "\xe9<a \xff\x80>\xe9"},
    FlattenRow{"OnlyBlanks", " \r\n \r\n", ""},
    FlattenRow{"Empty", "", ""}),
    RowName<FlattenRow>);

// Flattening step by step as the rule is stated: CR and LF become blanks, the
// first pair of adjacent blanks is deleted while there is one, the ends are
// trimmed of bytes up to 0x20.
std::string FlattenByTheRule(std::string markup)
{
    std::ranges::replace(markup, '\r', ' ');
    std::ranges::replace(markup, '\n', ' ');
    for (std::size_t pair; (pair = markup.find("  ")) != std::string::npos;) markup.erase(pair, 2);
    const auto above = [](char c) { return static_cast<unsigned char>(c) > 0x20; };
    const auto first = std::ranges::find_if(markup, above);
    const auto last = std::find_if(markup.rbegin(), markup.rend(), above).base();
    return first < last ? std::string(first, last) : std::string();
}

TEST(FlattenRandom, AgreesWithTheRuleOnAnyMixOfBlanksAndBytes)
{
    static constexpr std::string_view Alphabet{" \r\n\t\0a'\\<\xff", 10};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string markup(random() % 90, ' ');
        for (char& c : markup) c = Alphabet[random() % Alphabet.size()];
        const std::string flat = FlattenByTheRule(markup);
        ASSERT_EQ(FlattenMarkup(markup), flat) << ::testing::PrintToString(markup);
        testkit::ResetConverterState();
        RegisterFlashBlock(markup);
        ASSERT_EQ(ScriptBuffer, "\r\nfunction displaySWF_1() { document.write('" + EscapeSingleQuoted(flat) + "'); }\r\n")
            << ::testing::PrintToString(markup);
    }
}

TEST(EscapeSingleQuoted, EscapesOnlyBackslashAndSingleQuote)
{
    EXPECT_EQ(EscapeSingleQuoted(R"(a'b\c"d)"), R"(a\'b\\c"d)");
    EXPECT_EQ(EscapeSingleQuoted("<object id=\"m\">"), "<object id=\"m\">");
}

// ---------------------------------------------------------------- scanning --

// The markup that takes block n's place, and its function line, as the
// templates of the converter have them.
std::string Call(int n, std::string_view block)
{
    return "<script language=\"JavaScript\"> displaySWF_" + std::to_string(n)
           + "(); </script>\r\n<noscript>\r\n" + std::string(block) + "\r\n</noscript>";
}

std::string Functions(std::initializer_list<std::string_view> flatBlocks, int first = 1)
{
    std::string lines;
    int n = first;
    for (const std::string_view flat : flatBlocks)
        lines += "\r\nfunction displaySWF_" + std::to_string(n++) + "() { document.write('"
                 + std::string(flat) + "'); }\r\n";
    return lines;
}

struct ScanRow : NamedRow {
    std::string page, expectedPage, expectedFunctions;
};

class Scan : public ::testing::TestWithParam<ScanRow> {
protected:
    void SetUp() override { testkit::ResetConverterState(); }
};

TEST_P(Scan, ReplacesTheBlocksOutsideNoscript)
{
    const ScanRow& row = GetParam();
    EXPECT_EQ(RewriteBlocks(row.page), row.expectedPage);
    EXPECT_EQ(ScriptBuffer, row.expectedFunctions);
}

INSTANTIATE_TEST_SUITE_P(Markup, Scan, ::testing::Values(
    ScanRow{"NoObject", "<p>hi</p>", "<p>hi</p>", ""},
    ScanRow{"MixedCaseKeepsPageCase", "x<OBJECT a=1></Object>y",
            "x" + Call(1, "<OBJECT a=1></Object>") + "y", Functions({"<OBJECT a=1></Object>"})},
    ScanRow{"MultiLineBlockFlattened", "<object>\r\n  <param>\r\n</object>",
            Call(1, "<object>\r\n  <param>\r\n</object>"), Functions({"<object><param></object>"})},
    ScanRow{"BlocksNumberedInPageOrder", "<object>a</object>-<object>b</object>",
            Call(1, "<object>a</object>") + "-" + Call(2, "<object>b</object>"),
            Functions({"<object>a</object>", "<object>b</object>"})},
    ScanRow{"UnclosedObjectLeavesTheRest", "<object>a</object><object b<object c</object",
            Call(1, "<object>a</object>") + "<object b<object c</object", Functions({"<object>a</object>"})},
    ScanRow{"InsideNoscriptSkipped", "<noscript>\r\n<object></object>\r\n</noscript>",
            "<noscript>\r\n<object></object>\r\n</noscript>", ""},
    ScanRow{"UnclosedNoscriptStopsTheScan", "<object>1</object><noscript><object>2</object>",
            Call(1, "<object>1</object>") + "<noscript><object>2</object>", Functions({"<object>1</object>"})},
    ScanRow{"NoscriptWithoutObjectCopied", "<noscript>x</noscript><object>y</object>",
            "<noscript>x</noscript>" + Call(1, "<object>y</object>"), Functions({"<object>y</object>"})},
    ScanRow{"StrayNoscriptCloseMovedPast", "</NOSCRIPT><noscript>a</noscript ><object>b</object>",
            "</NOSCRIPT><noscript>a</noscript >" + Call(1, "<object>b</object>"), Functions({"<object>b</object>"})},
    ScanRow{"NestedEndsAtFirstClose", "<object a><object b></object></object>",
            Call(1, "<object a><object b></object>") + "</object>", Functions({"<object a><object b></object>"})},
    ScanRow{"QuotesEscapedInFunctionOnly", R"(<object title='Bob's' v="a\b"></object>)",
            Call(1, R"(<object title='Bob's' v="a\b"></object>)"),
            Functions({R"(<object title=\'Bob\'s\' v="a\\b"></object>)"})},
    ScanRow{"AnyBytesPass", std::string("\0\xff<object>\0</object>\x80", 21),
            std::string("\0\xff", 2) + Call(1, std::string("<object>\0</object>", 18)) + "\x80",
            Functions({std::string("<object>\0</object>", 18)})}),
    RowName<ScanRow>);

// The scan step by step as the rule is stated, on a lowered copy of what is
// left, registering through RegisterFlashBlock.
std::string ScanByTheRule(std::string rest)
{
    const auto lowered = [](std::string text) {
        for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return text;
    };
    std::string output;
    const auto move = [&](std::size_t count) {
        output += rest.substr(0, count);
        rest.erase(0, count);
    };
    while (lowered(rest).find("<object") != std::string::npos) {
        const std::size_t object = lowered(rest).find("<object");
        const std::size_t noscript = lowered(rest).find("<noscript");
        if (noscript != std::string::npos && object > noscript) {
            const std::size_t close = lowered(rest).find("</noscript");
            if (close == std::string::npos) break;
            move(close + 10);
            continue;
        }
        move(object);
        const std::size_t close = lowered(rest).find("</object>");
        if (close == std::string::npos) {
            move(7);
            continue;
        }
        output += RegisterFlashBlock(rest.substr(0, close + 9));
        rest.erase(0, close + 9);
    }
    return output + rest;
}

TEST(ScanRandom, AgreesWithTheRuleOnAnyMixOfTags)
{
    static constexpr std::string_view Pieces[] = {
        "<object", "<OBJECT id='a'>", "</object>", "</Object>", "<noscript>", "</noscript>", "</NOSCRIPT",
        "<noscript", "<Noscript>", "text", " ", "\r\n", "<", "<o", "</", ">", "<p>", "\\"};
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string page;
        for (int n = random() % 60; n > 0; --n) page += Pieces[random() % std::size(Pieces)];
        testkit::ResetConverterState();
        const std::string expected = ScanByTheRule(page);
        const std::string expectedFunctions = ScriptBuffer;
        testkit::ResetConverterState();
        ASSERT_EQ(RewriteBlocks(page), expected) << ::testing::PrintToString(page);
        ASSERT_EQ(ScriptBuffer, expectedFunctions) << ::testing::PrintToString(page);
    }
}

TEST(ScanState, NumbersGoOnAcrossPagesOfOneRun)
{
    testkit::ResetConverterState();
    RewriteBlocks("<object>1</object><object>2</object>");
    EXPECT_EQ(RewriteBlocks("<object>3</object>"), Call(3, "<object>3</object>"));
    EXPECT_EQ(BlockCounter, 3);
    EXPECT_EQ(ScriptBuffer, Functions({"<object>1</object>", "<object>2</object>", "<object>3</object>"}));
}

TEST(ScanState, RefusesABlockWhenTheNumbersAreUsedUp)
{
    testkit::ResetConverterState();
    BlockCounter = INT_MAX;
    EXPECT_THROW(RegisterFlashBlock("<object></object>"), ConvertError);
    EXPECT_EQ(BlockCounter, INT_MAX);
    EXPECT_EQ(ScriptBuffer, "");
}

// --------------------------------------------------------------- includes --

struct IncludeRow : NamedRow {
    std::string before, after;  // the page is before + after; the include goes between
};

class Include : public ::testing::TestWithParam<IncludeRow> {};

TEST_P(Include, GoesWhereTheFirstMatchingRuleSays)
{
    const IncludeRow& row = GetParam();
    EXPECT_EQ(InsertScriptInclude(row.before + row.after, "js/x.js"),
              row.before + "\r\n<script language=\"JavaScript\" src=\"js/x.js\"></script>\r\n" + row.after);
}

INSTANTIATE_TEST_SUITE_P(Markup, Include, ::testing::Values(
    IncludeRow{"BeforeCloseHead", "<html><head a=1><t></t>", "</HEAD><body>"},
    IncludeRow{"CloseHeadWinsOverEarlierBody", "<body>", "</head>"},
    IncludeRow{"AfterCapitalHeadWithoutClose", "<HTML><HEAD>", "<BODY>"},
    IncludeRow{"BeforeBodyWithAttributes", "<p>", "<Body class=x>"},
    IncludeRow{"AfterBareHtml", "<html>", "<p>"},
    IncludeRow{"AtStartWhenHeadHasAttributesOnly", "", "<head id=1><p>"},
    IncludeRow{"AtStartWithoutAnyTag", "", "<p>x</p>"},
    IncludeRow{"EmptyPage", "", ""}),
    RowName<IncludeRow>);

}  // namespace
}  // namespace sorvane
