// The byte searches of the page rewriting. Every class of bytes that a search
// looks for has one home, the table ByteClasses; the searches test 64 bytes
// at a time against it, with SSE2 where the processor has it (the bytes of a
// class are compared at once, their list taken from the table when the
// program is compiled), so that pages dense with tags or blanks cost about as
// much per byte as any other page.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane::detail {

inline constexpr std::size_t NotFound = std::string_view::npos;

// A set of the classes below.
using ByteClassSet = std::uint16_t;

// Classes of bytes for the scans of markup and the escaping of script
// strings; a byte may be in several. Byte 0 is in none (a search pads the
// end of a text with it).
enum ByteClass : ByteClassSet {
    TagBlank = 1,        // blank, tab, CR, LF, FF: parts a tag's name and attributes
    TagSlash = 2,        // "/"
    TagClose = 4,        // ">"
    TagEquals = 8,       // "="
    Quote = 16,          // " and '
    Letter = 32,         // A-Z, a-z
    FlatBlank = 64,      // blank, CR, LF: what flattening takes for a blank
    LineEnd = 128,       // CR, LF
    TagOpen = 256,       // "<"
    ScriptEscape = 512,  // what a single-quoted script string cannot hold as it is (ScriptEscapes)
    HighByte = 1024,     // 0x80 and above
};

// How a single-quoted script string writes each byte that it cannot hold as
// it is. The one place for such a rule: the class ScriptEscape and the text
// written for each byte (ScriptEscapeOf) are made from this list.
struct ScriptEscapeRule {
    char byte;
    std::string_view written;
};
inline constexpr std::array<ScriptEscapeRule, 4> ScriptEscapes{{
    {'\\', "\\\\"},
    {'\'', "\\'"},
    {'\r', "\\r"},
    {'\n', "\\n"},
}};

inline constexpr std::array<ByteClassSet, 256> ByteClasses = [] {
    std::array<ByteClassSet, 256> classes{};
    const auto add = [&classes](std::string_view bytes, ByteClassSet set) {
        for (const char c : bytes)
            classes[static_cast<unsigned char>(c)] |= set;
    };
    add(" \t\r\n\f", TagBlank);
    add(" \r\n", FlatBlank);
    add("\r\n", LineEnd);
    add("/", TagSlash);
    add(">", TagClose);
    add("=", TagEquals);
    add("<", TagOpen);
    add("\"'", Quote);
    add("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", Letter);
    for (const ScriptEscapeRule& rule : ScriptEscapes)
        classes[static_cast<unsigned char>(rule.byte)] |= ScriptEscape;
    for (std::size_t c = 0x80; c < 0x100; ++c)
        classes[c] |= HighByte;
    return classes;
}();
static_assert(ByteClasses[0] == 0, "the searches pad a text's end with byte 0");

// What a single-quoted script string holds for each byte: the byte itself,
// or its escape from ScriptEscapes.
inline constexpr std::array<std::string_view, 256> ScriptEscapeOf = [] {
    std::array<std::string_view, 256> written{};
    for (const ScriptEscapeRule& rule : ScriptEscapes)
        written[static_cast<unsigned char>(rule.byte)] = rule.written;
    return written;
}();

// The sets of classes that the searches look for.
inline constexpr ByteClassSet TagStops = TagClose | TagEquals;          // what changes a tag's next bytes
inline constexpr ByteClassSet UnquotedValueEnds = TagBlank | TagClose;  // the end of an unquoted value
inline constexpr ByteClassSet FlattenSyntax = TagOpen | TagClose | TagEquals | LineEnd;  // what flattening looks at
inline constexpr std::array<ByteClassSet, 6> SearchedSets{
    TagStops, UnquotedValueEnds, FlatBlank, FlattenSyntax, ScriptEscape, ScriptEscape | HighByte,
};

inline bool InClass(char c, ByteClassSet classes)
{
    return (ByteClasses[static_cast<unsigned char>(c)] & classes) != 0;
}

inline bool IsSpaceOrLineBreak(char c)
{
    return InClass(c, FlatBlank);
}
inline bool IsAsciiLetter(char c)
{
    return InClass(c, Letter);
}
inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool IsQuote(char c)
{
    return InClass(c, Quote);
}

// The bits of the first n of 64 places.
inline std::uint64_t LowBits(std::size_t n)
{
    return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// Bit i is set where text[at + i] is in one of the classes, for the up to 64
// bytes from at (at < the text's size): byte by byte, as ClassBits gives it.
template <ByteClassSet Classes>
std::uint64_t ClassBitsByteAtATime(std::string_view text, std::size_t at)
{
    const std::size_t n = std::min<std::size_t>(64, text.size() - at);
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < n; ++i)
        bits |= std::uint64_t{InClass(text[at + i], Classes)} << i;
    return bits;
}

#ifdef __SSE2__
// The bytes of a set of classes, as the vector compares take them: those
// below 0x80 one by one, and the bytes from 0x80 up, which are in a set all
// or none (HighByte), by their top bit.
template <ByteClassSet Classes>
struct ClassMembers {
    static constexpr bool high = (ByteClasses[0x80] & Classes) != 0;
    static constexpr std::size_t count = [] {
        std::size_t n = 0;
        for (std::size_t c = 0; c < 0x80; ++c)
            n += (ByteClasses[c] & Classes) != 0;
        return n;
    }();
    static constexpr std::array<char, count> low = [] {
        std::array<char, count> bytes{};
        std::size_t n = 0;
        for (std::size_t c = 0; c < 0x80; ++c)
            if ((ByteClasses[c] & Classes) != 0)
                bytes[n++] = static_cast<char>(c);
        return bytes;
    }();
    static_assert(std::ranges::all_of(ByteClasses.begin() + 0x80, ByteClasses.end(),
                                      [](ByteClassSet c) { return ((c & Classes) != 0) == high; }),
                  "bytes from 0x80 up are in a set all or none");
};

template <ByteClassSet Classes>
unsigned ClassBits16(const char* at)
{
    using Members = ClassMembers<Classes>;
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i found = Members::high ? bytes : _mm_setzero_si128();  // the top bit of every byte
    for (const char c : Members::low)
        found = _mm_or_si128(found, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)));
    return static_cast<unsigned>(_mm_movemask_epi8(found));
}

template <ByteClassSet Classes>
std::uint64_t ClassBits64(const char* at)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 64; i += 16)
        bits |= std::uint64_t{ClassBits16<Classes>(at + i)} << i;
    return bits;
}
#endif

// Bit i is set where text[at + i] is in one of the classes, for the up to 64
// bytes from at (at < the text's size).
template <ByteClassSet Classes>
std::uint64_t ClassBits(std::string_view text, std::size_t at)
{
#ifdef __SSE2__
    const std::size_t n = text.size() - at;
    if (n >= 64)
        return ClassBits64<Classes>(text.data() + at);
    char padded[64] = {};
    std::memcpy(padded, text.data() + at, n);
    return ClassBits64<Classes>(padded) & LowBits(n);
#else
    return ClassBitsByteAtATime<Classes>(text, at);
#endif
}

// The first offset >= from holding a byte of the classes, or the text's size.
template <ByteClassSet Classes>
std::size_t FindInClass(std::string_view text, std::size_t from)
{
#ifdef __SSE2__
    // 16 bytes at a time while they last: in markup the byte looked for is
    // most often near, and a 64-byte window would look four times as far.
    for (; from + 16 <= text.size(); from += 16)
        if (const unsigned bits = ClassBits16<Classes>(text.data() + from); bits != 0)
            return from + static_cast<std::size_t>(std::countr_zero(bits));
#endif
    for (; from < text.size(); from += 64)
        if (const std::uint64_t bits = ClassBits<Classes>(text, from); bits != 0)
            return from + static_cast<std::size_t>(std::countr_zero(bits));
    return text.size();
}

// The first offset >= from holding a byte of none of the classes, or the
// text's size.
template <ByteClassSet Classes>
std::size_t SkipClass(std::string_view text, std::size_t from)
{
#ifdef __SSE2__
    for (; from + 16 <= text.size(); from += 16)
        if (const unsigned others = ~ClassBits16<Classes>(text.data() + from) & 0xFFFFu; others != 0)
            return from + static_cast<std::size_t>(std::countr_zero(others));
#endif
    for (; from < text.size(); from += 64)
        if (const std::uint64_t others = ~ClassBits<Classes>(text, from) & LowBits(text.size() - from); others != 0)
            return from + static_cast<std::size_t>(std::countr_zero(others));
    return text.size();
}

// The first offset >= from holding the byte c, or the text's size. Markup
// mostly looks for a byte a few places ahead (the quote that closes a value,
// the "<" after a line end), where testing the next 16 bytes in place costs
// less than a call of memchr; farther on, memchr takes over.
inline std::size_t FindByte(std::string_view text, std::size_t from, char c)
{
#ifdef __SSE2__
    if (from + 16 <= text.size()) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
        if (bits != 0)
            return from + static_cast<std::size_t>(std::countr_zero(bits));
        from += 16;
    }
#endif
    if (from >= text.size())
        return text.size();
    const void* found = std::memchr(text.data() + from, c, text.size() - from);
    return found == nullptr ? text.size() : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
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
inline std::size_t FindTagStop(std::string_view text, std::size_t from)
{
    return FindInClass<TagStops>(text, from);
}

// The first offset >= from holding a blank, tab, CR, LF, FF or ">", or the
// text's size: the end of an unquoted attribute value.
inline std::size_t FindUnquotedValueEnd(std::string_view text, std::size_t from)
{
    return FindInClass<UnquotedValueEnds>(text, from);
}

// The first offset >= from that holds no blank (space, CR, LF), or the
// text's size.
inline std::size_t SkipBlanks(std::string_view text, std::size_t from)
{
    return SkipClass<FlatBlank>(text, from);
}

// The offsets that flattening has to look at: a byte of tag syntax (< > =),
// a CR or LF, or a blank followed by a blank (the start of a run); a lone
// blank stays as it is. Markup holds many of them close together, so they
// are found for 64 bytes at a time and handed out from there.
class FlattenStops {
public:
    explicit FlattenStops(std::string_view text) : text_(text) {}

    // The first stop at or after from, or the text's size.
    std::size_t NextFrom(std::size_t from)
    {
        constexpr std::size_t Window = 64;
        while (from < text_.size()) {
            if (window_ == NotFound || from < window_ || from >= window_ + Window) {
                window_ = from;
                stops_ = StopsAt(from);
            }
            if (const std::uint64_t ahead = stops_ >> (from - window_); ahead != 0)
                return from + static_cast<std::size_t>(std::countr_zero(ahead));
            from = window_ + Window;
        }
        return text_.size();
    }

private:
    // Bit i is set when at + i is a stop.
    std::uint64_t StopsAt(std::size_t at) const
    {
        // A blank starts a run when a blank follows it, the byte after the
        // window included.
        const std::uint64_t blanks = ClassBits<FlatBlank>(text_, at);
        const bool blankAfter = at + 64 < text_.size() && InClass(text_[at + 64], FlatBlank);
        const std::uint64_t runStarts = blanks & ((blanks >> 1) | (std::uint64_t{blankAfter} << 63));
        return ClassBits<FlattenSyntax>(text_, at) | runStarts;
    }

    std::string_view text_;
    std::size_t window_ = NotFound;  // the offset that bit 0 of stops_ stands for
    std::uint64_t stops_ = 0;
};

// The first offset >= from holding a byte that a single-quoted script string
// cannot hold as it is (ScriptEscape), or with highBytes any byte from 0x80
// up; or the text's size.
inline std::size_t NextToEscape(std::string_view text, std::size_t from, bool highBytes)
{
    return highBytes ? FindInClass<ScriptEscape | HighByte>(text, from) : FindInClass<ScriptEscape>(text, from);
}

}  // namespace sorvane::detail
