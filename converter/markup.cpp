// The rewriting of the page text: finding the movie blocks, turning each into
// a script function and a call, and inserting the script include.
#include "converterInternals.h"
#include "unitACConvertor.h"

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

std::string FunctionLine(int number, std::string_view flatMarkup)
{
    return "function displaySWF_" + std::to_string(number) + "() { document.write('"
           + std::string(flatMarkup) + "'); }\r\n";
}

std::string Replacement(int number, std::string_view block)
{
    return "<script language=\"JavaScript\"> displaySWF_" + std::to_string(number)
           + "(); </script>\r\n<noscript>\r\n" + std::string(block) + "\r\n</noscript>";
}

bool IsBlank(char c) { return c == ' ' || c == '\r' || c == '\n'; }
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

std::string FlattenMarkup(std::string_view markup)
{
    // Removing the first pair of adjacent blanks until none is left turns a
    // run of k blanks into k mod 2 blanks; runs never merge because no other
    // byte is removed. So each run is decided once, in a single pass.
    std::string flat;
    flat.reserve(markup.size());
    std::size_t blanks = 0;
    for (const char c : markup) {
        if (IsBlank(c)) {
            ++blanks;
            continue;
        }
        if (blanks % 2 == 1) flat.push_back(' ');
        blanks = 0;
        flat.push_back(c);
    }
    if (blanks % 2 == 1) flat.push_back(' ');

    std::size_t end = flat.size();
    while (end > 0 && IsBlankOrControl(flat[end - 1])) --end;
    std::size_t start = 0;
    while (start < end && IsBlankOrControl(flat[start])) ++start;
    return flat.substr(start, end - start);
}

std::string EscapeSingleQuoted(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' || c == '\'') escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

std::string RegisterFlashBlock(std::string_view block)
{
    if (BlockCounter == INT_MAX)
        throw ConvertError("Too many movie blocks: no function number is left for the next one");
    const int number = ++BlockCounter;
    ScriptBuffer += "\r\n";
    ScriptBuffer += FunctionLine(number, EscapeSingleQuoted(FlattenMarkup(block)));
    return Replacement(number, block);
}

std::string RewriteBlocks(std::string_view pageText)
{
    ForwardSearch objectStarts(pageText, ObjectStart);
    ForwardSearch objectEnds(pageText, ObjectEnd);
    ForwardSearch noscriptStarts(pageText, NoscriptStart);
    ForwardSearch noscriptEnds(pageText, NoscriptEnd);

    std::string output;
    output.reserve(pageText.size() + pageText.size() / 4);
    std::size_t rest = 0;  // start of the text not handled yet
    for (std::size_t object; (object = objectStarts.FirstFrom(rest)) != npos;) {
        const std::size_t noscript = noscriptStarts.FirstFrom(rest);
        if (noscript != npos && object > noscript) {
            // Blocks inside a noscript element are written there for browsers
            // without scripting and stay as they are.
            const std::size_t close = noscriptEnds.FirstFrom(rest);
            if (close == npos) break;
            const std::size_t end = close + NoscriptEnd.size();
            output.append(pageText.substr(rest, end - rest));
            rest = end;
            continue;
        }
        output.append(pageText.substr(rest, object - rest));
        rest = object;
        const std::size_t close = objectEnds.FirstFrom(rest);
        // Without a closing tag ahead, no later object can be closed either:
        // everything from here on stays as it is.
        if (close == npos) break;
        const std::size_t end = close + ObjectEnd.size();
        output += RegisterFlashBlock(pageText.substr(rest, end - rest));
        rest = end;
    }
    output.append(pageText.substr(rest));
    return output;
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
