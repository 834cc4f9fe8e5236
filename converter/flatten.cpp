// Putting a movie block on one line, so that it fits the single-quoted
// string of a document.write call, without changing what a browser reads.
#include "converterInternals.h"
#include "markupTokens.h"
#include "textSearch.h"

#include <algorithm>

namespace sorvane {
namespace {

using detail::IsAsciiLetter;
using detail::IsSpaceOrLineBreak;
using detail::IsQuote;

constexpr std::size_t npos = detail::NotFound;

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// What a "<" starts when this byte follows it: a tag, an end tag, a comment
// or declaration, or a processing instruction. Any other "<" is text.
bool OpensTag(char c)
{
    return IsAsciiLetter(c) || c == '/' || c == '!' || c == '?';
}

// The offset of the quote that opens a value after the "=" at `equals`
// (blanks and tabs may stand between), or npos when no quote follows.
std::size_t ValueQuoteAfter(std::string_view text, std::size_t equals)
{
    std::size_t at = equals + 1;
    while (at < text.size() && (IsSpaceOrLineBreak(text[at]) || text[at] == '\t'))
        ++at;
    return at < text.size() && IsQuote(text[at]) ? at : npos;
}

// Deleting blanks two at a time leaves one of an odd run and none of an even
// one. None is right only where markup meets markup: after the ">" of a tag
// or the closing quote of a value, or before a "<". Anywhere else the run
// parts two words ("<object\r\nwidth", "<param  name"), so it keeps a blank.
bool RunLeavesABlank(std::string_view text, std::size_t start, std::size_t end)
{
    if ((end - start) % 2 == 1)
        return true;
    const char before = text[start - 1];
    return !(before == '>' || IsQuote(before) || text[end] == '<');
}

// Whether the "<" at `at` starts a script element's start tag.
bool OpensScript(std::string_view text, std::size_t at)
{
    constexpr std::string_view Name = "script";
    const std::size_t nameEnd = at + 1 + Name.size();
    return detail::StartsWithLowered(text.substr(at + 1), Name) && nameEnd < text.size()
           && detail::InClass(text[nameEnd], detail::TagBlank | detail::TagSlash | detail::TagClose);
}

// Where the flattening stands: between tags, inside a tag, or inside a
// quoted attribute value, whose bytes are the value and stay as they are.
enum class Place { Text, Tag, Value };

}  // namespace

// The ends are trimmed first; trimming the result of the run rule gives the
// same, as no run touches the ends then. One pass copies the bytes between
// the places that change as whole spans. The text of a script element keeps
// its bytes too: a line end may close a "//" comment or the "<!--" line that
// old pages open their scripts with, and joining the lines would comment out
// the rest of the script.
void detail::AppendFlattened(std::string& out, std::string_view markup)
{
    const auto first = std::ranges::find_if_not(markup, IsBlankOrControl);
    const auto last = std::find_if_not(markup.rbegin(), markup.rend(), IsBlankOrControl).base();
    if (first >= last)
        return;
    const std::string_view text(first, last);

    FlattenStops stops(text);
    Place place = Place::Text;
    bool scriptTag = false;         // the tag is a script element's start tag
    std::size_t valueQuote = npos;  // where the value after the last "=" of a tag opens
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (place == Place::Value) {
            // A value's bytes stay as they are, whatever they are.
            const std::size_t close = detail::FindByte(text, i, text[valueQuote]);
            if (close == text.size())
                break;
            place = Place::Tag;
            i = close + 1;
            continue;
        }
        const std::size_t stop = stops.NextFrom(i);
        if (valueQuote >= i && valueQuote < stop) {
            place = Place::Value;
            i = valueQuote + 1;
            continue;
        }
        if ((i = stop) == text.size())
            break;
        const char c = text[i];
        if (IsSpaceOrLineBreak(c)) {
            out.append(text.substr(copied, i - copied));
            const std::size_t runEnd = SkipBlanks(text, i);
            if (RunLeavesABlank(text, i, runEnd))
                out.push_back(' ');
            copied = i = runEnd;
            continue;
        }
        if (place == Place::Text) {
            if (c == '<' && i + 1 < text.size() && OpensTag(text[i + 1])) {
                place = Place::Tag;
                scriptTag = OpensScript(text, i);
            }
        } else if (c == '>') {
            place = Place::Text;
            if (scriptTag) {
                // The script's text goes as it is, up to its end tag.
                if ((i = detail::FindLowered(text, "</script", i + 1)) == npos)
                    break;
                continue;
            }
        } else if (c == '=') {
            valueQuote = ValueQuoteAfter(text, i);
            if (valueQuote == i + 1) {
                // The quote right after the "=" (the usual case): the value
                // starts at once, no blank run between to look at.
                place = Place::Value;
                i += 2;
                continue;
            }
        }
        ++i;
    }
    out.append(text.substr(copied));
}

std::string FlattenMarkup(std::string_view markup)
{
    std::string flat;
    flat.reserve(markup.size());
    detail::AppendFlattened(flat, markup);
    return flat;
}

}  // namespace sorvane
