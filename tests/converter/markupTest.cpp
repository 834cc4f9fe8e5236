#include "converterTestKit.h"
#include "markupTokens.h"
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

TEST_P(Flatten, PutsMarkupOnOneLine)
{
    EXPECT_EQ(FlattenMarkup(GetParam().markup), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markup, Flatten,
    ::testing::Values(FlattenRow{"CrLfBetweenTagsVanishes", "<a>\r\n<b>", "<a><b>"},
                      FlattenRow{"LoneLfBecomesABlank", "<a>\n<b>", "<a> <b>"},
                      FlattenRow{"LoneCrBecomesABlank", "<a>\r<b>", "<a> <b>"},
                      FlattenRow{"CrLfAndOneBlankLeaveOne", "<a>\r\n <b>", "<a> <b>"},
                      FlattenRow{"CrLfAndTwoBlanksVanish", "<a>\r\n  <b>", "<a><b>"},
                      FlattenRow{"OddRunLeavesOne", "<a     b>", "<a b>"},
                      FlattenRow{"EvenThousandsBetweenWordsLeaveOne", "<a" + std::string(4000, ' ') + "b>", "<a b>"},
                      FlattenRow{"EvenThousandsBeforeATagVanish", "<a>x" + std::string(4000, ' ') + "<b>", "<a>x<b>"},
                      FlattenRow{"OddThousandsLeaveOne", "<a" + std::string(4001, ' ') + "b>", "<a b>"},
                      FlattenRow{"TabsInsideStay", "<a\tb\t\tc>", "<a\tb\t\tc>"},
                      FlattenRow{"EndsTrimmedOfControlBytes", std::string("\t\x01 <a> \x1f\0", 9), "<a>"},
                      FlattenRow{"QuotesAndBackslashesStay", R"(<a b='c\d' e="f">)", R"(<a b='c\d' e="f">)"},
                      FlattenRow{"HighBytesStay", "\xe9<a \xff\x80>\xe9", "\xe9<a \xff\x80>\xe9"},
                      FlattenRow{"OnlyBlanks", " \r\n \r\n", ""},
                      // A run that the pair rule deletes whole must not join what it parts.
                      FlattenRow{"LineEndAfterTagNameKeepsABlank", "<object\r\nwidth=\"1\">", "<object width=\"1\">"},
                      FlattenRow{"TwoBlanksAfterTagNameKeepOne", "<param  name=\"a\">", "<param name=\"a\">"},
                      FlattenRow{"UnquotedValuesStayApart", "<embed src=m.swf  width=1>", "<embed src=m.swf width=1>"},
                      FlattenRow{"RunAfterAValueVanishes", "<a b=\"1\"\r\n  c='2'\r\n/>", "<a b=\"1\"c='2'/>"},
                      // Quoted values keep their bytes.
                      FlattenRow{"ValueKeepsItsBlanks", "<param value=\"a  b\">", "<param value=\"a  b\">"},
                      FlattenRow{"ValueKeepsItsLineEnds", "<p a=\"x\r\ny\" b='\n'>", "<p a=\"x\r\ny\" b='\n'>"},
                      FlattenRow{"BlanksBeforeTheQuoteStillOpenIt", "<p a= \r\n\t'x  y'>", "<p a= \t'x  y'>"},
                      FlattenRow{"ValueEndsOnlyAtItsOwnQuote", "<p a=\"it's  >\" b='say \"hi\"  '>",
                                 "<p a=\"it's  >\" b='say \"hi\"  '>"},
                      FlattenRow{"UnclosedValueKeepsTheRest", "<p a=\"x  \r\n y", "<p a=\"x  \r\n y"},
                      // Quotes open a value only after "=" inside a tag.
                      FlattenRow{"QuoteWithoutEqualsIsNoValue", "<p a \"x  y\">", "<p a \"x y\">"},
                      FlattenRow{"TextIsNoTag", "<b>a='x  y'</b>", "<b>a='x y'</b>"},
                      FlattenRow{"LessThanBeforeADigitIsText", "1 <2 a='x  y'", "1 <2 a='x y'"},
                      FlattenRow{"ValueOfTheNextTagAfterText", "x > a='1  2' <i b='3  4'>", "x > a='1 2' <i b='3  4'>"},
                      FlattenRow{"Empty", "", ""},
                      // A script keeps its lines: "<!--" and "//" comment out only their own.
                      FlattenRow{"ScriptKeepsItsLines",
                                 "<object>\r\n <script>\r\n<!--\r\nw('a  b'); // x\n//-->\r\n</script>\r\n <p>",
                                 "<object> <script>\r\n<!--\r\nw('a  b'); // x\n//-->\r\n</script> <p>"},
                      FlattenRow{"ScriptStartTagIsFlattened", "<SCRIPT\r\n  type=\"a\">x\n</Script  >",
                                 "<SCRIPT type=\"a\">x\n</Script >"},
                      FlattenRow{"UnclosedScriptKeepsTheRest", "<script>a\r\n  b", "<script>a\r\n  b"},
                      FlattenRow{"OtherNamesAreNoScript", "<scripts>a\r\n  b<noscript>c\r\nd",
                                 "<scripts>a b<noscript>c d"}),
    RowName<FlattenRow>);

bool IsQuoteByte(char c)
{
    return c == '"' || c == '\'';
}
bool IsBlankByte(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

// Marks the bytes inside quoted attribute values, by the rules as they are
// stated: a tag runs from a "<" followed by a letter, "/", "!" or "?" to the
// next ">" outside a value; in a tag a quote that follows "=" and optional
// blanks, tabs, CR or LF opens a value, which the same quote closes.
std::vector<bool> InsideValues(std::string_view markup)
{
    std::vector<bool> inside(markup.size());
    bool inTag = false;
    char quote = 0;
    for (std::size_t i = 0; i < markup.size(); ++i) {
        const char c = markup[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else
                inside[i] = true;
        } else if (!inTag) {
            const char next = i + 1 < markup.size() ? markup[i + 1] : '\0';
            const bool letter = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z');
            inTag = c == '<' && (letter || next == '/' || next == '!' || next == '?');
        } else if (c == '>') {
            inTag = false;
        } else if (IsQuoteByte(c)) {
            std::size_t before = i;
            while (before > 0 && (IsBlankByte(markup[before - 1]) || markup[before - 1] == '\t'))
                --before;
            if (before > 0 && markup[before - 1] == '=')
                quote = c;
        }
    }
    return inside;
}

// Flattening step by step as the rule is stated: outside values, CR and LF
// become blanks and a run of k blanks leaves k mod 2 blanks, or one where
// none would be left but the run does not follow ">" or a quote nor comes
// before "<"; the ends are trimmed of bytes up to 0x20.
std::string FlattenByTheRule(const std::string& markup)
{
    const std::vector<bool> inside = InsideValues(markup);
    std::string flat;
    for (std::size_t i = 0; i < markup.size();) {
        if (inside[i] || !IsBlankByte(markup[i])) {
            flat += markup[i++];
            continue;
        }
        std::size_t end = i;
        while (end < markup.size() && !inside[end] && IsBlankByte(markup[end]))
            ++end;
        const bool markupMeets = (i > 0 && (markup[i - 1] == '>' || IsQuoteByte(markup[i - 1])))
                                 || (end < markup.size() && markup[end] == '<');
        if ((end - i) % 2 == 1 || !markupMeets)
            flat += ' ';
        i = end;
    }
    const auto above = [](char c) { return static_cast<unsigned char>(c) > 0x20; };
    const auto first = std::ranges::find_if(flat, above);
    const auto last = std::find_if(flat.rbegin(), flat.rend(), above).base();
    return first < last ? std::string(first, last) : std::string();
}

TEST(FlattenRandom, AgreesWithTheRuleOnAnyMixOfBlanksAndBytes)
{
    static constexpr std::string_view Alphabet{" \r\n\t\0a'\\<\xff=\">/ ", 15};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string markup(random() % 90, ' ');
        for (char& c : markup)
            c = Alphabet[random() % Alphabet.size()];
        const std::string flat = FlattenByTheRule(markup);
        ASSERT_EQ(FlattenMarkup(markup), flat) << ::testing::PrintToString(markup);
        ConversionRun run;
        RegisterFlashBlock(run, markup);
        ASSERT_EQ(run.scriptBuffer,
                  "\r\nfunction displaySWF_1() { document.write('" + EscapeSingleQuoted(flat) + "'); }\r\n")
            << ::testing::PrintToString(markup);
    }
}

TEST(EscapeSingleQuoted, EscapesOnlyBackslashSingleQuoteAndLineEnds)
{
    EXPECT_EQ(EscapeSingleQuoted(R"(a'b\c"d)"), R"(a\'b\\c"d)");
    EXPECT_EQ(EscapeSingleQuoted("a\r\nb\tc\xff\x83"), "a\\r\\nb\tc\xff\x83");
    EXPECT_EQ(EscapeSingleQuoted("<object id=\"m\">"), "<object id=\"m\">");
}

TEST(EscapeUrlAttribute, KeepsWindowsSeparatorsAndEncodesAPosixBackslash)
{
    EXPECT_EQ(EscapeUrlAttribute(R"(..\js\a b#1.js)", PathStyle::Windows), R"(..\js\a b%231.js)");
    EXPECT_EQ(EscapeUrlAttribute(R"(../js/a\b&c.js)", PathStyle::Posix), "../js/a%5Cb&amp;c.js");
}

// ---------------------------------------------------------------- scanning --

// The markup that takes block n's place, and its function line, as the
// templates of the converter have them.
std::string Call(int n, std::string_view block, const std::string& lineEnd = "\r\n")
{
    return "<script language=\"JavaScript\"> displaySWF_" + std::to_string(n) + "(); </script>" + lineEnd + "<noscript>"
           + lineEnd + std::string(block) + lineEnd + "</noscript>";
}

std::string Functions(std::initializer_list<std::string_view> flatBlocks, int first = 1)
{
    std::string lines;
    int n = first;
    for (const std::string_view flat : flatBlocks)
        lines += "\r\nfunction displaySWF_" + std::to_string(n++) + "() { document.write('" + std::string(flat)
                 + "'); }\r\n";
    return lines;
}

struct ScanRow : NamedRow {
    std::string page, expectedPage, expectedFunctions;
};

class Scan : public ::testing::TestWithParam<ScanRow> {};

TEST_P(Scan, ReplacesTheBlocksOutsideNoscript)
{
    const ScanRow& row = GetParam();
    ConversionRun run;
    EXPECT_EQ(RewriteBlocks(run, row.page), row.expectedPage);
    EXPECT_EQ(run.scriptBuffer, row.expectedFunctions);
}

INSTANTIATE_TEST_SUITE_P(
    Markup, Scan,
    ::testing::Values(
        ScanRow{"NoObject", "<p>hi</p>", "<p>hi</p>", ""},
        ScanRow{"MixedCaseKeepsPageCase", "x<OBJECT a=1></Object>y", "x" + Call(1, "<OBJECT a=1></Object>") + "y",
                Functions({"<OBJECT a=1></Object>"})},
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
                "</NOSCRIPT><noscript>a</noscript >" + Call(1, "<object>b</object>"),
                Functions({"<object>b</object>"})},
        ScanRow{"NestedEndsAtFirstClose", "<object a><object b></object></object>",
                Call(1, "<object a><object b></object>") + "</object>", Functions({"<object a><object b></object>"})},
        ScanRow{"QuotesEscapedInFunctionOnly", R"(<object title='Bob's' v="a\b"></object>)",
                Call(1, R"(<object title='Bob's' v="a\b"></object>)"),
                Functions({R"(<object title=\'Bob\'s\' v="a\\b"></object>)"})},
        // Inside raw text "<object" is no markup: a script's string, a box of
        // embed code to copy.
        ScanRow{"InScriptString", "<script>s='<object></object>';</script><object>m</object>",
                "<script>s='<object></object>';</script>" + Call(1, "<object>m</object>"),
                Functions({"<object>m</object>"})},
        ScanRow{"InEveryRawTextElement",
                "<STYLE\t>a</style><Textarea\n><object></object></textarea><title/><object></object></TITLE>"
                "<xmp\f><object></object></xmp><script\r><object></object></script>",
                "<STYLE\t>a</style><Textarea\n><object></object></textarea><title/><object></object></TITLE>"
                "<xmp\f><object></object></xmp><script\r><object></object></script>",
                ""},
        ScanRow{"OtherNamesAreNoRawText", "<scripts><titles ><object>a</object>",
                "<scripts><titles >" + Call(1, "<object>a</object>"), Functions({"<object>a</object>"})},
        ScanRow{"EndTagNameEndsTheRawText", "<title>x</titlex<object>a</object>",
                "<title>x</titlex" + Call(1, "<object>a</object>"), Functions({"<object>a</object>"})},
        ScanRow{"EndTagCountsOnlyAfterTheStart", "</script><script>'<object></object>'</script>",
                "</script><script>'<object></object>'</script>", ""},
        ScanRow{"UnclosedScriptStopsTheScan", "<object>1</object><script>x<object>2</object>",
                Call(1, "<object>1</object>") + "<script>x<object>2</object>", Functions({"<object>1</object>"})},
        ScanRow{"ScriptInsideABlockGoesWithIt", "<object><script>x</script></object>",
                Call(1, "<object><script>x</script></object>"), Functions({"<object><script>x</script></object>"})},
        // Only markup counts: not what stands in another tag's quoted value.
        ScanRow{"ObjectInAQuotedValueIsText",
                "<input value=\"<object width=1><param name=movie value=y.swf></object>\"><object>m</object>",
                "<input value=\"<object width=1><param name=movie value=y.swf></object>\">"
                    + Call(1, "<object>m</object>"),
                Functions({"<object>m</object>"})},
        ScanRow{"EndInAQuotedValueDoesNotEndTheBlock", "<object><embed title=\"</object>\" src='a.swf'></object>x",
                Call(1, "<object><embed title=\"</object>\" src='a.swf'></object>") + "x",
                Functions({"<object><embed title=\"</object>\" src=\\'a.swf\\'></object>"})},
        ScanRow{"NoscriptInAQuotedValueIsText", "<a title='<noscript>'><object>m</object>",
                "<a title='<noscript>'>" + Call(1, "<object>m</object>"), Functions({"<object>m</object>"})},
        ScanRow{"NoscriptEndInAQuotedValueIsText",
                "<noscript><a title=\"</noscript>\"><object>1</object></noscript><object>2</object>",
                "<noscript><a title=\"</noscript>\"><object>1</object></noscript>" + Call(1, "<object>2</object>"),
                Functions({"<object>2</object>"})},
        ScanRow{"QuoteInsideAnUnquotedValueOpensNothing", "<a href=x\"y><object>m</object>\"",
                "<a href=x\"y>" + Call(1, "<object>m</object>") + "\"", Functions({"<object>m</object>"})},
        ScanRow{"QuoteWithoutEqualsOpensNothing", "<a \"b><object>m</object>\"",
                "<a \"b>" + Call(1, "<object>m</object>") + "\"", Functions({"<object>m</object>"})},
        ScanRow{"UnclosedValueHidesTheRest", "<a title=\"x><object>m</object>", "<a title=\"x><object>m</object>", ""},
        ScanRow{"EndTagWithBlanksEndsTheBlock", "<object>a</object\r\n>b", Call(1, "<object>a</object\r\n>") + "b",
                Functions({"<object>a</object >"})},
        ScanRow{"ScriptTextInsideABlockDoesNotEndIt", "<object><script>w('</object>')</script></object>",
                Call(1, "<object><script>w('</object>')</script></object>"),
                Functions({"<object><script>w(\\'</object>\\')</script></object>"})},
        ScanRow{"CommentInsideABlockDoesNotEndIt", "<object><!-- </object> --></object>",
                Call(1, "<object><!-- </object> --></object>"), Functions({"<object><!-- </object> --></object>"})},
        // Old browsers read conditional comments: blocks in comments are
        // converted, but other markup there counts for nothing.
        ScanRow{"BlockInAComment", "<!--[if IE]><object>a</object><![endif]-->",
                "<!--[if IE]>" + Call(1, "<object>a</object>") + "<![endif]-->", Functions({"<object>a</object>"})},
        ScanRow{"RawTextStartInACommentIsText", "<!-- <script> --><object>a</object><!-- </script> -->",
                "<!-- <script> -->" + Call(1, "<object>a</object>") + "<!-- </script> -->",
                Functions({"<object>a</object>"})},
        ScanRow{"QuoteInACommentIsText", "<!-- <a title=\" --><object>a</object>\"",
                "<!-- <a title=\" -->" + Call(1, "<object>a</object>") + "\"", Functions({"<object>a</object>"})},
        ScanRow{"LfPageGetsLf", "<p>\n<object>\n</object>\n", "<p>\n" + Call(1, "<object>\n</object>", "\n") + "\n",
                Functions({"<object> </object>"})},
        ScanRow{"AnyBytesPass", std::string("\0\xff<object>\0</object>\x80", 21),
                std::string("\0\xff", 2) + Call(1, std::string("<object>\0</object>", 18)) + "\x80",
                Functions({std::string("<object>\0</object>", 18)})}),
    RowName<ScanRow>);

// A piece of markup as the tokenizer's states find it, one byte at a time.
struct StatesToken {
    enum Kind { StartTag, EndTag, Comment, Other, None } kind = None;
    std::size_t start = 0, end = 0;
    bool closed = false;
};

bool IsTokenizerBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The end of a tag whose name starts at `at`, by the states of the HTML
// tokenizer from "tag name" on.
StatesToken TagByStates(std::string_view text, std::size_t start, std::size_t at, StatesToken::Kind kind)
{
    enum State {
        Name,
        BeforeName,
        AttributeName,
        AfterName,
        BeforeValue,
        Double,
        Single,
        Unquoted,
        AfterQuoted,
        Slash
    };
    State state = Name;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        const bool blank = IsTokenizerBlank(c);
        if (c == '>' && state != Double && state != Single)
            return {kind, start, at + 1, true};
        switch (state) {
        case Name: state = blank ? BeforeName : c == '/' ? Slash : Name; break;
        case BeforeName:
            if (c == '/') {
                state = Slash;
            } else if (!blank) {
                state = AttributeName;  // "=" too starts a name here
            }
            break;
        case AttributeName:
        case AfterName: state = blank ? AfterName : c == '/' ? Slash : c == '=' ? BeforeValue : AttributeName; break;
        case BeforeValue: state = blank ? BeforeValue : c == '"' ? Double : c == '\'' ? Single : Unquoted; break;
        case Double: state = c == '"' ? AfterQuoted : Double; break;
        case Single: state = c == '\'' ? AfterQuoted : Single; break;
        case Unquoted: state = blank ? BeforeName : Unquoted; break;
        case AfterQuoted:
        case Slash: state = blank ? BeforeName : c == '/' ? Slash : AttributeName; break;
        }
    }
    return {kind, start, text.size(), false};
}

StatesToken TokenByStates(std::string_view text, std::size_t from)
{
    const auto toGreater = [&](std::size_t start, std::size_t at) {
        const std::size_t end = text.find('>', at);
        return end == std::string_view::npos ? StatesToken{StatesToken::Other, start, text.size(), false}
                                             : StatesToken{StatesToken::Other, start, end + 1, true};
    };
    for (std::size_t at = from; at + 1 < text.size(); ++at) {
        if (text[at] != '<')
            continue;
        const char next = text[at + 1];
        if (IsLetter(next))
            return TagByStates(text, at, at + 1, StatesToken::StartTag);
        if (next == '/' && at + 2 < text.size())
            return IsLetter(text[at + 2]) ? TagByStates(text, at, at + 2, StatesToken::EndTag) : toGreater(at, at + 2);
        if (next == '!' && text.substr(at + 2, 2) == "--") {
            const std::size_t end = text.find("-->", at + 2);
            return end == std::string_view::npos ? StatesToken{StatesToken::Comment, at, text.size(), false}
                                                 : StatesToken{StatesToken::Comment, at, end + 3, true};
        }
        if (next == '!' || next == '?')
            return toGreater(at, at + 2);
    }
    return {};
}

TEST(TokenRandom, AgreesWithTheTokenizerStatesOnAnyMixOfTagBytes)
{
    static constexpr std::string_view Pieces[] = {
        "<a", "<P ", "</b", " ",    "\t",  "/",  "=",  "\"",      "'",         ">",   "x",     "<!--",  "-->", "<!",
        "<?", "</",  "<",   "\r\n", "a=b", "= ", "\f", "<object", "</object>", "'a'", "\"b\"", "<x/ =", "--"};
    std::mt19937 random(5);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int n = random() % 40; n > 0; --n)
            text += Pieces[random() % std::size(Pieces)];
        for (std::size_t at = 0;;) {
            const StatesToken expected = TokenByStates(text, at);
            const detail::MarkupToken token = detail::NextToken(text, at);
            if (expected.kind == StatesToken::None) {
                ASSERT_EQ(token.start, text.size()) << ::testing::PrintToString(text);
                break;
            }
            ASSERT_EQ(static_cast<int>(token.kind), static_cast<int>(expected.kind)) << ::testing::PrintToString(text);
            ASSERT_EQ(token.start, expected.start) << ::testing::PrintToString(text);
            ASSERT_EQ(token.end, expected.end) << ::testing::PrintToString(text);
            ASSERT_EQ(token.closed, expected.closed) << ::testing::PrintToString(text);
            at = token.end;
        }
    }
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lowered;
}

// The scan step by step as the rule is stated, token by token, registering
// in run through RegisterFlashBlock: an object start tag opens a block that the
// first object end tag closes; a noscript element is passed over to its
// first end tag that starts with "</noscript"; raw-text elements to their
// first "</name"; in a comment only "<object" counts. The content of
// raw-text elements and comments inside a block or a noscript element does
// not count.
std::string ScanByTheRule(ConversionRun& run, const std::string& page)
{
    const std::string lowered = Lowered(page);
    const auto startsAt = [&](std::size_t at, std::string_view prefix) {
        return lowered.compare(at, prefix.size(), prefix) == 0;
    };
    const auto named = [&](const StatesToken& token, std::string_view name) {
        const std::size_t at = token.start + (token.kind == StatesToken::EndTag ? 2 : 1);
        const std::size_t end = at + name.size();
        return startsAt(at, name)
               && (end == page.size() || IsTokenizerBlank(page[end]) || page[end] == '/' || page[end] == '>');
    };
    // Whether the token starts a raw-text element; `after` is then one past
    // the name of its end tag, or npos when it has none.
    const auto rawTextEnd = [&](const StatesToken& token, std::size_t& after) {
        for (const std::string_view name : {"script", "style", "textarea", "title", "xmp"}) {
            if (token.kind != StatesToken::StartTag || !named(token, name))
                continue;
            const std::size_t close = lowered.find("</" + std::string(name), token.end);
            after = close == std::string::npos ? close : close + 2 + name.size();
            return true;
        }
        return false;
    };
    // The first end tag from `at` on that isEnd accepts, passing over raw
    // text and comments; or a token of kind None.
    const auto endTag = [&](std::size_t at, auto isEnd) {
        for (;;) {
            const StatesToken token = TokenByStates(page, at);
            if (token.kind == StatesToken::None || (token.kind == StatesToken::EndTag && isEnd(token)))
                return token;
            std::size_t after = 0;
            at = rawTextEnd(token, after) ? std::min(after, page.size()) : token.end;
        }
    };
    const bool lfPage = page.find('\r') == std::string::npos && page.find('\n') != std::string::npos;
    std::string output;
    std::size_t copied = 0, at = 0, commentEnd = 0;
    while (at < page.size()) {
        StatesToken open;
        if (at < commentEnd) {
            const std::size_t object = lowered.find("<object", at);
            if (object >= commentEnd) {
                at = commentEnd;
                continue;
            }
            open = TokenByStates(page, object);
        } else {
            open = TokenByStates(page, at);
            std::size_t after = 0;
            if (open.kind == StatesToken::None)
                break;
            if (open.kind == StatesToken::Comment) {
                commentEnd = open.end;
                at = open.start + 4;
                continue;
            }
            if (open.kind == StatesToken::StartTag && startsAt(open.start, "<noscript")) {
                const StatesToken close = endTag(
                    open.end, [&](const StatesToken& token) { return startsAt(token.start, "</noscript"); });
                if (!open.closed || !close.closed || close.kind == StatesToken::None)
                    break;
                at = close.end;
                continue;
            }
            if (rawTextEnd(open, after)) {
                if (after == std::string::npos)
                    break;
                at = after;
                continue;
            }
            if (open.kind != StatesToken::StartTag || !startsAt(open.start, "<object")) {
                at = open.end;
                continue;
            }
        }
        const StatesToken close = endTag(open.end, [&](const StatesToken& token) { return named(token, "object"); });
        if (!open.closed || !close.closed || close.kind == StatesToken::None)
            break;
        output += page.substr(copied, open.start - copied);
        std::string call = RegisterFlashBlock(run, page.substr(open.start, close.end - open.start));
        for (std::size_t crlf; lfPage && (crlf = call.find("\r\n")) != std::string::npos;)
            call.replace(crlf, 2, "\n");
        output += call;
        copied = at = close.end;
    }
    return output + page.substr(copied);
}

TEST(ScanRandom, AgreesWithTheRuleOnAnyMixOfTags)
{
    static constexpr std::string_view Pieces[] = {"<object",     "<OBJECT id='a'>",
                                                  "<!--",        "-->",
                                                  "\"",          "'",
                                                  " title=\"",   "<p a=",
                                                  "=",           "<!x>",
                                                  "</ ",         "</object>",
                                                  "</Object>",   "<noscript>",
                                                  "</noscript>", "</NOSCRIPT",
                                                  "<noscript",   "<Noscript>",
                                                  "text",        " ",
                                                  "\r\n",        "<",
                                                  "<o",          "</",
                                                  ">",           "<p>",
                                                  "\\",          "<script>",
                                                  "<SCRIPT\t",   "</script>",
                                                  "</Script",    "<scripts",
                                                  "<style/",     "</style",
                                                  "<textarea\n", "</textarea>",
                                                  "<title>",     "</title",
                                                  "<titles>",    "<xmp\f",
                                                  "</xmp>"};
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string page;
        for (int n = random() % 60; n > 0; --n)
            page += Pieces[random() % std::size(Pieces)];
        ConversionRun byTheRule;
        const std::string expected = ScanByTheRule(byTheRule, page);
        const std::string& expectedFunctions = byTheRule.scriptBuffer;
        ConversionRun run;
        ASSERT_EQ(RewriteBlocks(run, page), expected) << ::testing::PrintToString(page);
        ASSERT_EQ(run.scriptBuffer, expectedFunctions) << ::testing::PrintToString(page);
        ASSERT_EQ(HasFlashBlocks(page), !expectedFunctions.empty()) << ::testing::PrintToString(page);
    }
}

// A converted page keeps its blocks inside noscript only: a second run has
// nothing to convert.
TEST(HasFlashBlocks, IsFalseForAPageConvertedBefore)
{
    ConversionRun run;
    const std::string page = "<head></head><body><object data='a.swf'></object></body>";
    ASSERT_TRUE(HasFlashBlocks(page));
    EXPECT_FALSE(HasFlashBlocks(RewriteBlocks(run, page)));
}

// -------------------------------------------------------------- encodings --

// In Shift_JIS, GBK and Big5 the second byte of a character can be 0x5C, the
// backslash: escaping it would end the script's string early.
struct EncodingRow : NamedRow {
    std::string head;                // the page before its one block
    std::string blockText;           // stands inside the block
    std::string expectedInFunction;  // how it stands in the function line
};

class DeclaredEncoding : public ::testing::TestWithParam<EncodingRow> {};

TEST_P(DeclaredEncoding, DecidesWhatIsOneCharacterWhenEscaping)
{
    const EncodingRow& row = GetParam();
    ConversionRun run;
    RewriteBlocks(run, row.head + "<object title=\"" + row.blockText + "\"></object>");
    EXPECT_EQ(run.scriptBuffer, Functions({"<object title=\"" + row.expectedInFunction + "\"></object>"}));
}

const std::string So = "\x83\x5C";  // Shift_JIS katakana so: 83 5C
const std::string Xu0 = "\xB3\x5C"
                        "0";  // Big5 xu then "0": B3 5C 30

INSTANTIATE_TEST_SUITE_P(
    Markup, DeclaredEncoding,
    ::testing::Values(
        EncodingRow{"ShiftJisMetaCharset", "<meta charset=\"Shift_JIS\">", So, So},
        EncodingRow{"WindowsCodePageName", "<META CHARSET=cp932>", So, So},
        EncodingRow{"HttpEquivContentType", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">",
                    Xu0, Xu0},
        EncodingRow{"ContentBeforeHttpEquiv", "<meta content='text/html;charset= \"big5\"' http-equiv=content-type>",
                    Xu0, Xu0},
        EncodingRow{"AfterCommentsAndOtherTags",
                    "<!-- <meta charset=utf-8> --><html lang=ja><meta name=x charset=sjis>", So, So},
        // A lone lead byte would take the backslash of the next escape for
        // its trail byte: the string is closed after it and goes on.
        EncodingRow{"LeadByteBeforeALowByteGoesAlone", "<meta charset=sjis>", "\x83'" + So, "\x83'+'\\'" + So},
        EncodingRow{"LeadByteBeforeALineEndGoesAlone", "<meta charset=gbk>", "\xB3\r\n" + Xu0, "\xB3'+'\\r\\n" + Xu0},
        EncodingRow{"TrailByteIsNoLeadByte", "<meta charset=sjis>", "\x81\x81\\", "\x81\x81\\\\"},
        EncodingRow{"NoDeclarationEscapesBytes", "<html>", So, So + "\\"},
        EncodingRow{"SingleByteEncoding", "<meta charset=windows-1252>", So, So + "\\"},
        EncodingRow{"ContentWithoutHttpEquivCountsNot", "<meta content=\"text/html; charset=sjis\">", So, So + "\\"},
        EncodingRow{"FirstDeclarationWins", "<meta charset=utf-8><meta charset=sjis>", So, So + "\\"},
        // A label no browser knows declares nothing: the next meta counts.
        EncodingRow{"UnknownLabelPassedOver", "<meta charset=\"x-unknown\"><meta charset=\"Shift_JIS\">", So, So},
        EncodingRow{"UnknownContentLabelPassedOver",
                    "<meta http-equiv=content-type content=\"text/html; charset=jis-x\"><meta charset=gbk>", Xu0, Xu0},
        EncodingRow{"KnownLabelAfterUnknownWins", "<meta charset=bogus><meta charset=\" latin1\"><meta charset=sjis>",
                    So, So + "\\"},
        EncodingRow{"Utf8ByteOrderMarkWins", "\xEF\xBB\xBF<meta charset=sjis>", So, So + "\\"},
        EncodingRow{"DeclarationBeyond1024Bytes", std::string(1024, ' ') + "<meta charset=sjis>", So, So + "\\"}),
    RowName<EncodingRow>);

TEST(ScanState, NumbersGoOnAcrossPagesOfOneRun)
{
    ConversionRun run;
    RewriteBlocks(run, "<object>1</object><object>2</object>");
    EXPECT_EQ(RewriteBlocks(run, "<object>3</object>"), Call(3, "<object>3</object>"));
    EXPECT_EQ(run.blockCounter, 3);
    EXPECT_EQ(run.scriptBuffer, Functions({"<object>1</object>", "<object>2</object>", "<object>3</object>"}));
}

// The wizard's run and a command's run share nothing: each numbers from 1.
TEST(ScanState, RunsKeepTheirNumbersApart)
{
    ConversionRun first;
    ConversionRun second;
    RewriteBlocks(first, "<object>1</object><object>2</object>");
    EXPECT_EQ(RewriteBlocks(second, "<object>b</object>"), Call(1, "<object>b</object>"));
    EXPECT_EQ(RewriteBlocks(first, "<object>3</object>"), Call(3, "<object>3</object>"));
    EXPECT_EQ(second.scriptBuffer, Functions({"<object>b</object>"}));
}

TEST(ScanState, RefusesABlockWhenTheNumbersAreUsedUp)
{
    ConversionRun run;
    run.blockCounter = INT_MAX;  // every number handed out
    EXPECT_THROW(RegisterFlashBlock(run, "<object></object>"), ConvertError);
    EXPECT_EQ(run.blockCounter, INT_MAX);
    EXPECT_EQ(run.scriptBuffer, "");
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

INSTANTIATE_TEST_SUITE_P(
    Markup, Include,
    ::testing::Values(
        IncludeRow{"BeforeCloseHead", "<html><head a=1><t></t>", "</HEAD><body>"},
        IncludeRow{"CloseHeadWinsOverEarlierBody", "<body>", "</head>"},
        IncludeRow{"AfterCapitalHeadWithoutClose", "<HTML><HEAD>", "<BODY>"},
        IncludeRow{"BeforeBodyWithAttributes", "<p>", "<Body class=x>"}, IncludeRow{"AfterBareHtml", "<html>", "<p>"},
        IncludeRow{"AtStartWhenHeadHasAttributesOnly", "", "<head id=1><p>"},
        IncludeRow{"AtStartWithoutAnyTag", "", "<p>x</p>"}, IncludeRow{"EmptyPage", "", ""},
        IncludeRow{"AfterAUtf8ByteOrderMark", "\xEF\xBB\xBF", "<p>x</p>"},
        IncludeRow{"ByteOrderMarkDoesNotMoveTheHead", "\xEF\xBB\xBF<head>", "<p>"},
        // A base element before the include would make its address lead elsewhere.
        IncludeRow{"BeforeABaseInTheHead", "<head><title>t</title>", "<BASE href=\"http://cdn/\"></head>"},
        IncludeRow{"BeforeABaseWithoutAttributes", "<head>", "<base/></head>"},
        IncludeRow{"BasefontIsNoBase", "<head><basefont size=3>", "</head>"},
        IncludeRow{"BaseAfterTheIncludeStaysBehind", "<head>", "</head><body><base href=x>"},
        // Only markup counts: not comments, raw text or quoted values.
        IncludeRow{"BaseInACommentPassedOver", "<head><!-- <base href=\"/x/\"> -->", "</head>"},
        IncludeRow{"HeadEndInAScriptPassedOver", "<head><script>document.write('</head>')</script>", "</head>"},
        IncludeRow{"BaseInATitlePassedOver", "<head><title><base href=x></title>", "</head>"},
        IncludeRow{"HeadEndAndBaseInAQuotedValuePassedOver", "<head><meta content=\"</head><base href=x>\">",
                   "</head>"},
        IncludeRow{"BaseAfterACommentCounts", "<head><!-- x -->", "<base href=x></head>"}),
    RowName<IncludeRow>);

TEST(Include, EndsItsLinesAsThePageDoes)
{
    const std::string include = "<script language=\"JavaScript\" src=\"x.js\"></script>";
    EXPECT_EQ(InsertScriptInclude("<head>\n</head>", "x.js"), "<head>\n\n" + include + "\n</head>");
    EXPECT_EQ(InsertScriptInclude("<head>\r</head>\n", "x.js"), "<head>\r\r\n" + include + "\r\n</head>\n");
    EXPECT_EQ(InsertScriptInclude("<head></head>", "x.js"), "<head>\r\n" + include + "\r\n</head>");
}

}  // namespace
}  // namespace sorvane
