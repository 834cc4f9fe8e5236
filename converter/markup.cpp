// The rewriting of the page text: finding the movie blocks, turning each into
// a script function and a call, and inserting the script include.
#include "converterInternals.h"
#include "unitACConvertor.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

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

// First offset >= from at which the text, with A-Z taken as a-z, holds the
// lower-case needle. Matching letter case on the fly gives the same answer as
// searching a lowered copy, without making one. The needle starts with a byte
// that is not a letter ('<'), so memchr finds its candidates.
std::size_t FindLowered(std::string_view text, std::string_view needle, std::size_t from)
{
    while (from + needle.size() <= text.size()) {
        const void* hit = std::memchr(text.data() + from, needle[0], text.size() - from - needle.size() + 1);
        if (hit == nullptr) return npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (EqualsLowered(text.substr(at), needle)) return at;
        from = at + 1;
    }
    return npos;
}

// A search whose start only moves forward. It keeps its last hit while that
// still lies ahead, and once it has found nothing it never searches again, so
// every byte is looked at about once however the scan moves.
class ForwardSearch {
public:
    ForwardSearch(std::string_view text, std::string_view needle) : text_(text), needle_(needle) {}

    std::size_t FirstFrom(std::size_t from)
    {
        if (!searched_ || (hit_ != npos && hit_ < from)) {
            hit_ = FindLowered(text_, needle_, from);
            searched_ = true;
        }
        return hit_;
    }

private:
    std::string_view text_;
    std::string_view needle_;
    std::size_t hit_ = npos;
    bool searched_ = false;
};

constexpr std::string_view CallStart = "<script language=\"JavaScript\"> displaySWF_";
constexpr std::string_view CallEnd = "(); </script>\r\n<noscript>\r\n";
constexpr std::string_view NoscriptClose = "\r\n</noscript>";

bool IsBlank(char c) { return c == ' ' || c == '\r' || c == '\n'; }
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }
bool NeedsEscape(char c) { return c == '\\' || c == '\''; }

// The bytes at which flattening may change something, without and with the
// escaping of quotes.
constexpr std::array<bool, 256> StopTable(bool escapeQuotes)
{
    std::array<bool, 256> stops{};
    stops[' '] = stops['\r'] = stops['\n'] = true;
    stops['\\'] = stops['\''] = escapeQuotes;
    return stops;
}
constexpr std::array<bool, 256> FlattenStops = StopTable(false);
constexpr std::array<bool, 256> FlattenEscapeStops = StopTable(true);

// The bytes of a function line besides its number and its markup.
constexpr std::size_t FunctionLineFrame = 64;

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

    const auto& stops = escapeQuotes ? FlattenEscapeStops : FlattenStops;
    std::size_t copied = 0;
    for (std::size_t i = 0;;) {
        while (i < text.size() && !stops[static_cast<unsigned char>(text[i])]) ++i;
        if (i == text.size()) break;
        const char c = text[i];
        if (c == ' ' && !IsBlank(text[i + 1])) {  // a lone blank stays; the text never ends in one
            ++i;
            continue;
        }
        out.append(text.substr(copied, i - copied));
        if (IsBlank(c)) {
            const std::size_t runStart = i;
            while (i < text.size() && IsBlank(text[i])) ++i;
            if ((i - runStart) % 2 == 1) out.push_back(' ');
        } else {
            out.push_back('\\');
            out.push_back(c);
            ++i;
        }
        copied = i;
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

    void ReplaceBlock(const detail::BlockSpan& block)
    {
        if (includeAt_ == block.start) WriteInclude();
        sink_.Append(CallStart);
        sink_.Append(std::to_string(block.number));
        sink_.Append(CallEnd);
        CopyPage(block.start, block.end);
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
    PageRenderer(block, std::nullopt, {}, replacement).ReplaceBlock({0, block.size(), number});
    return replacement.text;
}

std::vector<detail::BlockSpan> detail::ScanBlocks(std::string_view pageText)
{
    ForwardSearch objectStarts(pageText, ObjectStart);
    ForwardSearch objectEnds(pageText, ObjectEnd);
    ForwardSearch noscriptStarts(pageText, NoscriptStart);
    ForwardSearch noscriptEnds(pageText, NoscriptEnd);

    std::vector<BlockSpan> blocks;
    std::size_t blockBytes = 0;
    std::size_t rest = 0;  // start of the text not handled yet
    for (std::size_t object; (object = objectStarts.FirstFrom(rest)) != npos;) {
        const std::size_t noscript = noscriptStarts.FirstFrom(rest);
        if (noscript != npos && object > noscript) {
            // Blocks inside a noscript element are written there for browsers
            // without scripting and stay as they are.
            const std::size_t close = noscriptEnds.FirstFrom(rest);
            if (close == npos) break;
            rest = close + NoscriptEnd.size();
            continue;
        }
        const std::size_t close = objectEnds.FirstFrom(object);
        // Without a closing tag ahead, no later object can be closed either:
        // everything from here on stays as it is.
        if (close == npos) break;
        rest = close + ObjectEnd.size();
        blocks.push_back({object, rest, 0});
        blockBytes += rest - object;
    }

    // Grown once for the whole page rather than doubling block by block.
    ScriptBuffer.reserve(ScriptBuffer.size() + blockBytes + blocks.size() * FunctionLineFrame);
    for (BlockSpan& block : blocks) block.number = RegisterBlock(pageText.substr(block.start, block.end - block.start));
    return blocks;
}

void detail::RenderPage(std::string_view pageText, std::span<const BlockSpan> blocks,
                        std::optional<std::size_t> includeAt, std::string_view include, ByteSink& sink)
{
    PageRenderer renderer(pageText, includeAt, include, sink);
    std::size_t copied = 0;
    for (const BlockSpan& block : blocks) {
        renderer.CopyPage(copied, block.start);
        renderer.ReplaceBlock(block);
        copied = block.end;
    }
    renderer.CopyPage(copied, pageText.size());
    renderer.Finish();
}

std::string RewriteBlocks(std::string_view pageText)
{
    const std::vector<detail::BlockSpan> blocks = detail::ScanBlocks(pageText);
    StringSink output;
    output.text.reserve(pageText.size() + blocks.size() * 80);
    detail::RenderPage(pageText, blocks, std::nullopt, {}, output);
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
