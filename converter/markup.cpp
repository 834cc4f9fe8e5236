// The rewriting of the page text: finding the movie blocks, turning each into
// a script function and a call, and inserting the script include.
#include "converterInternals.h"
#include "textSearch.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace sorvane {
namespace {

using detail::FindLowered;
using detail::IsSpaceOrLineBreak;
using detail::NeedsEscape;

constexpr std::size_t npos = detail::NotFound;
constexpr std::string_view ObjectStart = "<object";
constexpr std::string_view ObjectEnd = "</object>";
constexpr std::string_view NoscriptStart = "<noscript";
constexpr std::string_view NoscriptEnd = "</noscript";  // the ">" after it is left in the text

// A search whose start only moves forward. It keeps its last hit while that
// still lies ahead, and once it has found nothing it never searches again, so
// every byte is looked at about once however the scan moves.
class ForwardSearch {
public:
    ForwardSearch(std::string_view text, std::initializer_list<std::string_view> needles)
        : text_(text), needles_(needles.begin(), needles.end())
    {
    }

    std::size_t FirstFrom(std::size_t from)
    {
        if (!searched_ || (hit_ != npos && hit_ < from)) {
            hit_ = FindLowered(text_, needles_, from, which_);
            searched_ = true;
        }
        return hit_;
    }

    // The index of the needle found by the last FirstFrom.
    std::size_t Which() const { return which_; }

private:
    std::string_view text_;
    std::vector<std::string_view> needles_;
    std::size_t hit_ = npos;
    std::size_t which_ = 0;
    bool searched_ = false;
};

constexpr std::string_view CallStart = "<script language=\"JavaScript\"> displaySWF_";
constexpr std::string_view CallEnd = "(); </script>\r\n<noscript>\r\n";
constexpr std::string_view NoscriptClose = "\r\n</noscript>";

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// Appends the flattened markup, escaped for a single-quoted script string
// when asked. Removing the first pair of adjacent blanks until none is left
// turns a run of k blanks into k mod 2 blanks, and runs never merge because
// no other byte goes; trimming the result equals flattening only the part
// between the first and the last byte above 0x20. So one pass suffices, and
// the bytes between the places that change are copied as whole spans.
void AppendFlattened(std::string& out, std::string_view markup, bool escapeQuotes)
{
    const auto first = std::ranges::find_if_not(markup, IsBlankOrControl);
    const auto last = std::find_if_not(markup.rbegin(), markup.rend(), IsBlankOrControl).base();
    if (first >= last) return;
    const std::string_view text(first, last);

    std::size_t copied = 0;
    for (std::size_t i = 0; (i = detail::NextFlattenChange(text, i, escapeQuotes)) < text.size(); copied = i) {
        out.append(text.substr(copied, i - copied));
        if (IsSpaceOrLineBreak(text[i])) {
            const std::size_t runStart = i;
            i = detail::SkipBlanks(text, i);
            if ((i - runStart) % 2 == 1) out.push_back(' ');
        } else {
            out.push_back('\\');
            out.push_back(text[i++]);
        }
    }
    out.append(text.substr(copied));
}

// Raises BlockCounter and appends the block's function line to ScriptBuffer;
// returns the block's number.
int RegisterBlock(std::string_view block)
{
    if (BlockCounter == INT_MAX)
        throw ConvertError("Too many movie blocks: no function number is left for the next one");
    const int number = ++BlockCounter;
    ScriptBuffer.append("\r\nfunction displaySWF_").append(std::to_string(number)).append("() { document.write('");
    AppendFlattened(ScriptBuffer, block, true);
    ScriptBuffer.append("'); }\r\n");
    return number;
}

class StringSink final : public detail::ByteSink {
public:
    void Append(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// Writes a page with its blocks replaced, and the include where it belongs.
class PageRenderer {
public:
    PageRenderer(std::string_view page, std::optional<std::size_t> includeAt, std::string_view include,
                 detail::ByteSink& sink)
        : page_(page), includeAt_(includeAt), include_(include), sink_(sink)
    {
    }

    // The page's own bytes [from, to).
    void CopyPage(std::size_t from, std::size_t to)
    {
        if (includeAt_ && *includeAt_ >= from && *includeAt_ < to) {
            sink_.Append(page_.substr(from, *includeAt_ - from));
            WriteInclude();
            from = *includeAt_;
        }
        sink_.Append(page_.substr(from, to - from));
    }

    // The block [start, end) of the page, replaced by the call of its
    // function and a noscript element holding it.
    void ReplaceBlock(std::size_t start, std::size_t end, int number)
    {
        if (includeAt_ == start) WriteInclude();
        sink_.Append(CallStart);
        sink_.Append(std::to_string(number));
        sink_.Append(CallEnd);
        CopyPage(start, end);
        sink_.Append(NoscriptClose);
    }

    void Finish()
    {
        if (includeAt_) WriteInclude();
    }

private:
    void WriteInclude()
    {
        sink_.Append(include_);
        includeAt_.reset();
    }

    std::string_view page_;
    std::optional<std::size_t> includeAt_;
    std::string_view include_;
    detail::ByteSink& sink_;
};

}  // namespace

std::string FlattenMarkup(std::string_view markup)
{
    std::string flat;
    flat.reserve(markup.size());
    AppendFlattened(flat, markup, false);
    return flat;
}

std::string EscapeSingleQuoted(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (NeedsEscape(c)) escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

std::string RegisterFlashBlock(std::string_view block)
{
    const int number = RegisterBlock(block);
    StringSink replacement;
    PageRenderer(block, std::nullopt, {}, replacement).ReplaceBlock(0, block.size(), number);
    return replacement.text;
}

int detail::RewritePage(std::string_view pageText, std::optional<std::size_t> includeAt,
                        std::string_view include, ByteSink& sink)
{
    // A block inside a noscript element is written there for browsers without
    // scripting and stays as it is; so whichever of the two tags comes first
    // decides what happens next.
    constexpr std::size_t NoscriptNeedle = 1;
    ForwardSearch starts(pageText, {ObjectStart, NoscriptStart});
    ForwardSearch objectEnds(pageText, {ObjectEnd});
    ForwardSearch noscriptEnds(pageText, {NoscriptEnd});

    // The function lines take about as many bytes as the blocks, which take
    // at most the whole page: room made once spares the copies of a buffer
    // that doubles block by block.
    ScriptBuffer.reserve(ScriptBuffer.size() + pageText.size());
    PreferHugePages(ScriptBuffer.data() + ScriptBuffer.size(), ScriptBuffer.capacity() - ScriptBuffer.size());

    PageRenderer renderer(pageText, includeAt, include, sink);
    int blocks = 0;
    std::size_t copied = 0;  // the page text before this is written
    std::size_t rest = 0;    // the page text before this is scanned
    for (std::size_t start; (start = starts.FirstFrom(rest)) != npos;) {
        if (starts.Which() == NoscriptNeedle) {
            const std::size_t close = noscriptEnds.FirstFrom(rest);
            if (close == npos) break;
            rest = close + NoscriptEnd.size();
            continue;
        }
        const std::size_t close = objectEnds.FirstFrom(start);
        // Without a closing tag ahead, no later object can be closed either:
        // everything from here on stays as it is.
        if (close == npos) break;
        rest = close + ObjectEnd.size();
        // Registered and written in one go, while the block is in the cache.
        renderer.CopyPage(copied, start);
        renderer.ReplaceBlock(start, rest, RegisterBlock(pageText.substr(start, rest - start)));
        copied = rest;
        ++blocks;
    }
    renderer.CopyPage(copied, pageText.size());
    renderer.Finish();
    return blocks;
}

std::string RewriteBlocks(std::string_view pageText)
{
    StringSink output;
    output.text.reserve(pageText.size() + pageText.size() / 4);
    detail::RewritePage(pageText, std::nullopt, {}, output);
    return output.text;
}

std::size_t detail::IncludePosition(std::string_view pageText)
{
    if (const std::size_t at = FindLowered(pageText, "</head>", 0); at != npos) return at;
    if (const std::size_t at = FindLowered(pageText, "<head>", 0); at != npos) return at + 6;
    if (const std::size_t at = FindLowered(pageText, "<body", 0); at != npos) return at;
    if (const std::size_t at = FindLowered(pageText, "<html>", 0); at != npos) return at + 6;
    return 0;
}

std::string detail::IncludeMarkup(std::string_view scriptReference)
{
    return "\r\n<script language=\"JavaScript\" src=\"" + std::string(scriptReference)
           + "\"></script>\r\n";
}

std::string InsertScriptInclude(std::string_view pageText, std::string_view scriptReference)
{
    const std::size_t at = detail::IncludePosition(pageText);
    return std::string(pageText.substr(0, at)) + detail::IncludeMarkup(scriptReference)
           + std::string(pageText.substr(at));
}

}  // namespace sorvane
