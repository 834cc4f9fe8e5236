#include "markupTokens.h"

#include "textSearch.h"

#include <array>

namespace sorvane::detail {
namespace {

using Kind = MarkupToken::Kind;

struct RawTextElement {
    std::string_view name, endTag;
};

constexpr std::array<RawTextElement, 5> RawTextElements{{
    {"script", "</script"},
    {"style", "</style"},
    {"textarea", "</textarea"},
    {"title", "</title"},
    {"xmp", "</xmp"},
}};

std::size_t SkipWhile(std::string_view text, std::size_t at, ByteClassSet classes)
{
    while (at < text.size() && InClass(text[at], classes))
        ++at;
    return at;
}

std::size_t SkipUntil(std::string_view text, std::size_t at, ByteClassSet classes)
{
    while (at < text.size() && !InClass(text[at], classes))
        ++at;
    return at;
}

// One past the next c, or NotFound.
std::size_t OnePastNext(std::string_view text, std::size_t at, char c)
{
    const std::size_t found = FindByte(text, at, c);
    return found == text.size() ? NotFound : found + 1;
}

// A token whose end is NotFound runs to the end of the text, unclosed.
MarkupToken Token(MarkupToken::Kind kind, std::size_t start, std::size_t end, std::size_t size)
{
    return end == NotFound ? MarkupToken{kind, start, size, false} : MarkupToken{kind, start, end, true};
}

// Whether the "=" at `equals` starts an attribute's name rather than parting
// a name from its value: so it does where no name stands between it and
// `from`, where the tag was between attributes, or right after a "/".
bool StartsAName(std::string_view text, std::size_t from, std::size_t equals)
{
    std::size_t at = equals;
    while (at > from && InClass(text[at - 1], TagBlank))
        --at;
    return at == from || text[at - 1] == '/';
}

// One past the ">" that ends the tag whose name starts at `at`, or NotFound;
// read as a browser's tokenizer reads it. Between attributes only ">" and
// "=" change what follows; a quote opens a value only as the first byte of
// the value after an "=", and an unquoted value or a name may hold quotes
// and "=" of its own.
std::size_t TagEnd(std::string_view text, std::size_t at)
{
    const std::size_t end = text.size();
    at = SkipUntil(text, at, TagBlank | TagSlash | TagClose);  // the name
    for (;;) {
        // Between attributes.
        std::size_t stop = FindTagStop(text, at);
        if (stop == end)
            return NotFound;
        if (text[stop] == '>')
            return stop + 1;
        if (StartsAName(text, at, stop)) {
            // An "=" after that name and blanks parts it from its value.
            stop = SkipWhile(text, SkipUntil(text, stop + 1, TagBlank | TagSlash | TagClose | TagEquals), TagBlank);
            if (stop == end || text[stop] != '=') {
                at = stop;
                continue;
            }
        }
        // The value after the "=".
        at = SkipWhile(text, stop + 1, TagBlank);
        if (at == end)
            return NotFound;
        if (IsQuote(text[at])) {
            if ((at = OnePastNext(text, at + 1, text[at])) == NotFound)
                return NotFound;
        } else if (text[at] == '>') {
            return at + 1;
        } else {
            at = FindUnquotedValueEnd(text, at);
        }
    }
}

}  // namespace

MarkupToken NextToken(std::string_view text, std::size_t from)
{
    const std::size_t size = text.size();
    while (from < size) {
        const std::size_t at = FindByte(text, from, '<');
        if (at + 2 > size)
            break;
        const char next = text[at + 1];
        if (InClass(next, Letter))
            return Token(Kind::StartTag, at, TagEnd(text, at + 1), size);
        if (next == '/' && at + 2 < size)
            return InClass(text[at + 2], Letter) ? Token(Kind::EndTag, at, TagEnd(text, at + 2), size)
                                                 : Token(Kind::Other, at, OnePastNext(text, at + 2, '>'), size);
        if (next == '!' && text.compare(at + 2, 2, "--") == 0) {
            const std::size_t close = text.find("-->", at + 2);  // "<!-->" is a whole comment
            return {Kind::Comment, at, close == NotFound ? size : close + 3, close != NotFound};
        }
        if (next == '!' || next == '?')
            return Token(Kind::Other, at, OnePastNext(text, at + 2, '>'), size);
        from = at + 1;
    }
    return {Kind::Other, size, size};
}

bool TagNamed(std::string_view text, std::size_t at, std::string_view name)
{
    const std::size_t nameStart = at + (text[at + 1] == '/' ? 2 : 1);
    const std::size_t nameEnd = nameStart + name.size();
    return StartsWithLowered(text.substr(nameStart), name)
           && (nameEnd == text.size() || InClass(text[nameEnd], TagBlank | TagSlash | TagClose));
}

RawTextEnd RawTextAfter(std::string_view text, const MarkupToken& startTag)
{
    // Most tags are none of them: their first letter tells.
    const char first = LowerAscii(text[startTag.start + 1]);
    if (first != 's' && first != 't' && first != 'x')
        return {};
    for (const RawTextElement& element : RawTextElements) {
        if (!TagNamed(text, startTag.start, element.name))
            continue;
        const std::size_t endTag = FindLowered(text, element.endTag, startTag.end);
        if (endTag == NotFound)
            return {true, text.size(), text.size()};
        return {true, endTag, endTag + element.endTag.size()};
    }
    return {};
}

}  // namespace sorvane::detail
