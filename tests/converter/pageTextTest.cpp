// A page read a window at a time gives what the page read whole gives: the
// same blocks, the same new page, the same function lines, the same include
// place and line end, whatever piece of markup a window ends in; and a
// script file fed its function lines in pieces gets the text it gets whole.
#include "converterInternals.h"
#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorvane {
namespace {

using testkit::RowName;
using testkit::WriteFile;

constexpr std::size_t Window = std::size_t{1} << 20;  // a window's first size

struct Rewritten {
    int blocks = 0;
    std::string page, functions;
    std::size_t includeAt = 0;
    bool hasBlocks = false;
    bool operator==(const Rewritten&) const = default;
};

Rewritten RewriteWhole(std::string_view text)
{
    Rewritten out;
    ConversionRun run;
    detail::StringSink page;
    out.includeAt = detail::IncludePosition(text);
    out.hasBlocks = HasFlashBlocks(text);
    out.blocks = detail::RewritePage(run, text, out.includeAt, "[include]", "\r\n", page);
    out.page = std::move(page.text);
    out.functions = std::move(run.scriptBuffer);
    return out;
}

Rewritten RewriteInWindows(const std::string& path)
{
    Rewritten out;
    ConversionRun run;
    detail::StringSink page, functions;
    detail::PageText text(path, detail::PageText::Reading::Windows);
    out.hasBlocks = detail::HasFlashBlocks(text);
    out.includeAt = detail::IncludePosition(text);
    out.blocks = detail::RewritePage(run, text, out.includeAt, "[include]", "\r\n", page, &functions);
    out.page = std::move(page.text);
    out.functions = std::move(functions.text);
    return out;
}

// Text of exactly `size` bytes: paragraphs, a "<" now and then.
std::string Filler(std::size_t size)
{
    std::string text;
    while (text.size() < size)
        text += "<p>lorem ipsum dolor sit amet</p>\r\n";
    text.resize(size);
    return text;
}

struct StraddleRow : testkit::NamedRow {
    std::string markup;  // placed so that the first window ends inside it
    std::string after;   // what follows it up to the page's end
};

class WindowEnd : public ::testing::TestWithParam<StraddleRow> {};

TEST_P(WindowEnd, InsideAnyPieceOfMarkupChangesNothing)
{
    const testkit::TempFolder folder;
    const std::string path = folder / "page.htm";
    const StraddleRow& row = GetParam();
    const std::string head = "<html><head><title>t</title></head><body>\r\n<object>first</object>\r\n";
    // The first window ends before, within and after the markup, at every
    // byte of its first few and last few.
    for (std::size_t cut = 0; cut <= row.markup.size() + 1; ++cut) {
        if (cut > 8 && cut + 8 < row.markup.size())
            continue;
        if (head.size() + cut > Window)
            break;
        const std::string page = head + Filler(Window - head.size() - cut) + row.markup + row.after;
        WriteFile(path, page);
        const Rewritten whole = RewriteWhole(page);
        ASSERT_EQ(RewriteInWindows(path), whole) << "first window ends " << cut << " bytes into the markup";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Markup, WindowEnd,
    ::testing::Values(
        StraddleRow{{"Block"}, "<object data=\"a.swf\"><param name=\"movie\" value=\"a.swf\"></object>", "\r\n</body>"},
        StraddleRow{{"BlockInAComment"}, "<!-- <object>in</object> <object>too</object> -->", "<object>after</object>"},
        StraddleRow{{"CommentOpener"}, "<!-- x -->", "<object>after</object>"},
        StraddleRow{{"UnclosedComment"}, "<!-- <object>in</object> ", Filler(3 * Window) + "<object>no</object>"},
        StraddleRow{{"ScriptHoldingAnObject"}, "<script>var s = '<object></object>';</script>", "<object>b</object>"},
        StraddleRow{{"NoscriptHoldingABlock"}, "<noscript><object>n</object></noscript>", "<object>b</object>"},
        StraddleRow{{"EndTagInAValue"}, "<object><embed title=\"</object>\" src=\"a.swf\"></object>", ""},
        StraddleRow{{"ObjectNeverClosed"}, "<object data=\"a.swf\">", Filler(3 * Window) + "<object>b</object>"},
        StraddleRow{{"BlockLargerThanAWindow"}, "<object>" + Filler(2 * Window) + "</object>", "<object>b</object>"},
        StraddleRow{{"LessThanSignAtTheEnd"}, "<", "object>b</object>"}),
    RowName<StraddleRow>);

TEST(PageTextInclude, WithoutAHeadEndInTheFirstWindowGoesWhereTheWholePageSaysIt)
{
    const testkit::TempFolder folder;
    const std::string path = folder / "page.htm";
    for (const std::string& late : {std::string("</head>"), std::string("<object>b</object></head>"), std::string()}) {
        const std::string page = "<html><head><title>t</title>" + Filler(2 * Window) + late + "<body>";
        WriteFile(path, page);
        EXPECT_EQ(RewriteInWindows(path), RewriteWhole(page)) << late;
    }
}

// Blocks enough for their function lines to be made in several batches on
// a thread of their own, of several lengths and with lines to flatten.
std::vector<std::string> ManyBlocks()
{
    std::vector<std::string> blocks;
    for (int n = 0; n < 3000; ++n)
        blocks.push_back("<object data=\"m" + std::to_string(n) + ".swf\">\r\n  <param name='a' value='x  y'>"
                         + std::string(static_cast<std::size_t>(n % 7) * 100, ' ') + "\r\n</object>");
    return blocks;
}

TEST(FunctionLines, OfManyBlocksComeInTheBlocksOrder)
{
    std::string page, expected;
    ConversionRun oneByOne;
    for (const std::string& block : ManyBlocks()) {
        page += "<p>text</p>\r\n" + block + "\r\n";
        (void)RegisterFlashBlock(oneByOne, block);
    }
    const testkit::TempFolder folder;
    WriteFile(folder / "page.htm", page);
    EXPECT_EQ(RewriteWhole(page).functions, oneByOne.scriptBuffer);
    EXPECT_EQ(RewriteInWindows(folder / "page.htm").functions, oneByOne.scriptBuffer);
}

class FailingSink final : public detail::ByteSink {
public:
    void Append(std::string_view bytes) override
    {
        if ((taken += bytes.size()) > 1000)
            throw FileError(FileError::Kind::Create, "script.js", "No space left on device");
    }
    std::size_t taken = 0;
};

TEST(FunctionLines, ThatCannotBeWrittenFailTheRewrite)
{
    std::string page;
    for (const std::string& block : ManyBlocks())
        page += block;
    ConversionRun run;
    detail::StringSink newPage;
    FailingSink script;
    try {
        (void)detail::RewritePage(run, page, std::nullopt, "", "\r\n", newPage, &script);
        FAIL() << "the script's write error was not raised";
    } catch (const FileError& error) {
        EXPECT_EQ(error.reason(), "No space left on device");
    }
}

struct LineEndRow : testkit::NamedRow {
    std::string page;
    std::string_view expected;
};

class PageTextLineEnd : public ::testing::TestWithParam<LineEndRow> {};

TEST_P(PageTextLineEnd, IsThatOfTheWholePage)
{
    const testkit::TempFolder folder;
    WriteFile(folder / "page.htm", GetParam().page);
    detail::PageText text(folder / "page.htm", detail::PageText::Reading::Windows);
    EXPECT_EQ(text.LineEnd(), GetParam().expected);
    EXPECT_EQ(text.Start(), 0u);
    EXPECT_EQ(text.LineEnd(), detail::PageLineEnd(GetParam().page));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageTextLineEnd,
    ::testing::Values(LineEndRow{{"LfOnly"}, std::string(3 * Window, 'a') + "\n", "\n"},
                      LineEndRow{{"CrAfterTheFirstWindow"}, "a\n" + std::string(3 * Window, 'a') + "\r\n", "\r\n"},
                      LineEndRow{{"CrInTheFirstWindow"}, "a\r\n" + std::string(3 * Window, 'a'), "\r\n"},
                      LineEndRow{{"NoLineEnd"}, std::string(3 * Window, 'a'), "\r\n"}),
    RowName<LineEndRow>);

TEST(PageTextRead, ANulByteAfterTheFirstWindowIsRefusedAsInTheFirst)
{
    const testkit::TempFolder folder;
    for (const std::size_t at : {std::size_t{10}, 3 * Window}) {
        std::string page(4 * Window, '\n');
        page[at] = '\0';
        WriteFile(folder / "page.htm", page);
        try {
            detail::PageText text(folder / "page.htm", detail::PageText::Reading::Windows);
            (void)text.LineEnd();
            (void)text.Whole();
            FAIL() << "a NUL at " << at << " was not refused";
        } catch (const ConvertError& error) {
            EXPECT_EQ(std::string(error.what()),
                      folder / "page.htm" + " is not a web page in an 8-bit encoding: it holds NUL bytes");
        }
    }
}

struct ScriptRow : testkit::NamedRow {
    std::string existing;
};

class ScriptLinesInPieces : public ::testing::TestWithParam<ScriptRow> {};

TEST_P(ScriptLinesInPieces, MakeTheTextTheyMakeWhole)
{
    const std::string lines = "\r\nfunction displaySWF_1() { document.write('a'); }\r\n"
                              "\r\nfunction displaySWF_2() { document.write('b'); }\r\n"
                              "\r\nfunction displaySWF_3() { document.write('c'); }\r\n";
    detail::StringSink whole;
    detail::WriteScriptAfter(GetParam().existing, lines, "\n", whole);
    detail::StringSink file;
    detail::ScriptFileLines pieces(GetParam().existing, "\n", file);
    for (std::size_t at = 0; at < lines.size();) {  // a block's two lines at a time
        const std::size_t end = lines.find("\r\n\r\n", at + 2);
        const std::size_t next = end == std::string::npos ? lines.size() : end + 2;
        pieces.Append(std::string_view(lines).substr(at, next - at));
        at = next;
    }
    pieces.Finish();
    EXPECT_EQ(file.text, whole.text);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptLinesInPieces,
    ::testing::Values(ScriptRow{{"None"}, ""}, ScriptRow{{"LfScript"}, "// mine\n"},
                      ScriptRow{{"ClashingFunction"}, "function displaySWF_2() { document.write('other'); }\r\n"},
                      ScriptRow{{"SameFunction"}, "function displaySWF_1() { document.write('a'); }\n"}),
    RowName<ScriptRow>);

}  // namespace
}  // namespace sorvane
