// The byte searches of the page rewriting. Where the processor has SSE2 they
// test 16 bytes at a time, so that pages dense with tags or blanks cost about
// as much per byte as any other page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace sorvane::detail {

inline constexpr std::size_t NotFound = std::string_view::npos;

// Classes of bytes for the scans of markup, shared by the byte-at-a-time
// paths; a byte may be in several.
enum ByteClass : std::uint8_t {
    TagBlank = 1,    // blank, tab, CR, LF, FF: parts a tag's name and attributes
    TagSlash = 2,    // "/"
    TagClose = 4,    // ">"
    TagEquals = 8,   // "="
    Quote = 16,      // " and '
    Letter = 32,     // A-Z, a-z
    FlatBlank = 64,  // blank, CR, LF: what flattening takes for a blank
    LineEnd = 128,   // CR, LF
};

inline constexpr std::array<std::uint8_t, 256> ByteClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (const unsigned char c : {' ', '\t', '\r', '\n', '\f'})
        classes[c] |= TagBlank;
    for (const unsigned char c : {' ', '\r', '\n'})
        classes[c] |= FlatBlank;
    classes['\r'] |= LineEnd;
    classes['\n'] |= LineEnd;
    classes['/'] |= TagSlash;
    classes['>'] |= TagClose;
    classes['='] |= TagEquals;
    classes['"'] |= Quote;
    classes['\''] |= Quote;
    for (int c = 'a'; c <= 'z'; ++c)
        classes[static_cast<unsigned char>(c)] |= Letter;
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[static_cast<unsigned char>(c)] |= Letter;
    return classes;
}();

inline bool InClass(char c, std::uint8_t classes)
{
    return (ByteClasses[static_cast<unsigned char>(c)] & classes) != 0;
}

inline bool IsSpaceOrLineBreak(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}
inline bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}
// Bytes that a single-quoted script string cannot hold as they are.
inline bool NeedsEscape(char c)
{
    return c == '\\' || c == '\'' || c == '\r' || c == '\n';
}

// Whether the text begins with the lower-case prefix, A-Z taken as a-z.
bool StartsWithLowered(std::string_view text, std::string_view lowerPrefix);

// The first offset >= from at which the text, with A-Z taken as a-z, holds
// one of the lower-case needles (each at least three bytes long, all starting
// with the same byte, which is no letter; up to eight are searched for at
// the full speed); `which` tells which one. Matching letter case on the fly
// gives the same answer as searching a lowered copy, without making one.
std::size_t FindLowered(std::string_view text, std::span<const std::string_view> needles, std::size_t from,
                        std::size_t& which);
std::size_t FindLowered(std::string_view text, std::string_view needle, std::size_t from);

// The first offset >= from holding ">" or "=", or the text's size: the
// bytes that change what a tag's next bytes are.
std::size_t FindTagStop(std::string_view text, std::size_t from);

// The first offset >= from holding a blank, tab, CR, LF, FF or ">", or the
// text's size: the end of an unquoted attribute value.
std::size_t FindUnquotedValueEnd(std::string_view text, std::size_t from);

// The first offset >= from that holds no blank (space, CR, LF), or the
// text's size.
std::size_t SkipBlanks(std::string_view text, std::size_t from);

// The offsets that flattening has to look at: a byte of tag syntax (< > =),
// a CR or LF, or a blank followed by a blank (the start of a run); a lone
// blank stays as it is. Markup holds many of them close together, so they
// are found for 64 bytes at a time and handed out from there.
class FlattenStops {
public:
    explicit FlattenStops(std::string_view text) : text_(text) {}

    // The first stop at or after from, or the text's size.
    std::size_t NextFrom(std::size_t from);

private:
    // Bit i is set when at + i is a stop.
    std::uint64_t StopsAt(std::size_t at) const;

    std::string_view text_;
    std::size_t window_ = NotFound;  // the offset that bit 0 of stops_ stands for
    std::uint64_t stops_ = 0;
};

// The first offset >= from holding a byte that NeedsEscape, or with
// highBytes any byte from 0x80 up; or the text's size.
std::size_t NextToEscape(std::string_view text, std::size_t from, bool highBytes);

}  // namespace sorvane::detail
