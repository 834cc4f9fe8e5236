// Markup as a browser's tokenizer reads it: where tags, comments and the
// content of raw-text elements begin and end. A "<object", "<base" or
// "</head>" counts only where such a tag starts, never inside another tag's
// quoted value, a comment or a script's text.
#pragma once

#include "textSearch.h"

#include <cstddef>
#include <string_view>

namespace sorvane::detail {

// One piece of markup. A piece that the text ends inside has the text's size
// as its end.
struct MarkupToken {
    enum class Kind { StartTag, EndTag, Comment, Other };
    Kind kind;
    std::size_t start;   // its "<"
    std::size_t end;     // one past its ">" (or "-->")
    bool closed = true;  // false when the text ends inside it
};

// The next piece of markup that starts at or after from, or a token of kind
// Other at the text's size when there is none. A tag runs from "<" and a
// letter (or "</" and a letter) to the first ">" outside a quoted attribute
// value; a comment from "<!--" to "-->"; "<!", "<?" and "</" with anything
// else to the next ">". A "<" before anything else is text.
MarkupToken NextToken(std::string_view text, std::size_t from);

// Whether the tag starting at `at` ("<name" or "</name") has that lower-case
// name, as a whole.
bool TagNamed(std::string_view text, std::size_t at, std::string_view name);

// Where the text of a raw-text element ends. A script, style, textarea,
// title or xmp element holds text up to its first "</name", whatever follows
// that; rawText is false for the start tag of any other element.
struct RawTextEnd {
    bool rawText = false;
    std::size_t endTag = 0;  // where "</name" starts, or the text's size
    std::size_t after = 0;   // one past "</name", or the text's size
};
RawTextEnd RawTextAfter(std::string_view text, const MarkupToken& startTag);

// The next markup token at or after from, passing over the content of
// raw-text elements and comments: the first start or end tag for which
// wanted(token) is true, or a token of kind Other at the text's size.
template <class Wanted>
MarkupToken NextTagWhere(std::string_view text, std::size_t from, Wanted wanted)
{
    for (;;) {
        const MarkupToken token = NextToken(text, from);
        if (token.start == text.size())
            return token;
        if (token.kind == MarkupToken::Kind::StartTag || token.kind == MarkupToken::Kind::EndTag) {
            if (wanted(token))
                return token;
            if (token.kind == MarkupToken::Kind::StartTag) {
                if (const RawTextEnd raw = RawTextAfter(text, token); raw.rawText) {
                    from = raw.after;
                    continue;
                }
            }
        }
        from = token.end;
    }
}

}  // namespace sorvane::detail
