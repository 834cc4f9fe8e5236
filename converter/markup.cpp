// The rewriting of the page text: finding the movie blocks, turning each into
// a script function and a call, and inserting the script include.
#include "converterInternals.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <span>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view ObjectStart = "<object";
constexpr std::string_view ObjectEnd = "</object>";
constexpr std::string_view NoscriptStart = "<noscript";
constexpr std::string_view NoscriptEnd = "</noscript";  // the ">" after it is left in the text

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsLowered(std::string_view text, std::string_view lowerNeedle)
{
    for (std::size_t i = 0; i < lowerNeedle.size(); ++i)
        if (LowerAscii(text[i]) != lowerNeedle[i]) return false;
    return true;
}

// First offset >= from at which the text, with A-Z taken as a-z, holds one
// of the lower-case needles; which one tells its index. Matching letter case
// on the fly gives the same answer as searching a lowered copy, without
// making one. Every needle starts with '<', so memchr finds the candidates.
std::size_t FindLowered(std::string_view text, std::span<const std::string_view> needles, std::size_t from,
                        std::size_t& which)
{
    while (from < text.size()) {
        const void* hit = std::memchr(text.data() + from, '<', text.size() - from);
        if (hit == nullptr) return npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        for (which = 0; which < needles.size(); ++which)
            if (at + needles[which].size() <= text.size() && EqualsLowered(text.substr(at), needles[which]))
                return at;
        from = at + 1;
    }
    return npos;
}

std::size_t FindLowered(std::string_view text, std::string_view needle, std::size_t from)
{
    std::size_t which = 0;
    return FindLowered(text, {&needle, 1}, from, which);
}

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

bool IsBlank(char c) { return c == ' ' || c == '\r' || c == '\n'; }
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }
bool NeedsEscape(char c) { return c == '\\' || c == '\''; }

bool ChangesWhenFlattened(std::string_view text, std::size_t at, bool escapeQuotes)
{
    const char c = text[at];
    return c == '\r' || c == '\n' || (c == ' ' && at + 1 < text.size() && IsBlank(text[at + 1]))
           || (escapeQuotes && NeedsEscape(c));
}

// The first offset >= from at which flattening changes something: a CR or LF,
// a blank followed by a blank (the start of a run that shrinks), and with
// escaping a quote or backslash. A lone blank stays as it is.
std::size_t NextChange(std::string_view text, std::size_t from, bool escapeQuotes)
{
#ifdef __SSE2__
    const auto same = [](__m128i bytes, char c) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)); };
    const auto blanks = [&same](__m128i bytes) {
        return _mm_or_si128(same(bytes, ' '), _mm_or_si128(same(bytes, '\r'), same(bytes, '\n')));
    };
    for (; from + 17 <= text.size(); from += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from + 1));
        __m128i changes = _mm_or_si128(_mm_or_si128(same(here, '\r'), same(here, '\n')),
                                       _mm_and_si128(same(here, ' '), blanks(next)));
        if (escapeQuotes) changes = _mm_or_si128(changes, _mm_or_si128(same(here, '\''), same(here, '\\')));
        if (const int mask = _mm_movemask_epi8(changes); mask != 0)
            return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
    }
#endif
    while (from < text.size() && !ChangesWhenFlattened(text, from, escapeQuotes)) ++from;
    return from;
}

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
    for (std::size_t i = 0; (i = NextChange(text, i, escapeQuotes)) < text.size(); copied = i) {
        out.append(text.substr(copied, i - copied));
        if (IsBlank(text[i])) {
            const std::size_t runStart = i;
            while (i < text.size() && IsBlank(text[i])) ++i;
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
