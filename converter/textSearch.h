// The byte searches of the page rewriting. Where the processor has SSE2 they
// test 16 bytes at a time, so that pages dense with tags or blanks cost about
// as much per byte as any other page.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace sorvane::detail {

inline constexpr std::size_t NotFound = std::string_view::npos;

inline bool IsSpaceOrLineBreak(char c) { return c == ' ' || c == '\r' || c == '\n'; }
inline bool NeedsEscape(char c) { return c == '\\' || c == '\''; }
inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The first offset >= from at which the text, with A-Z taken as a-z, holds
// one of the lower-case needles (each at least three bytes long, all starting
// with the same byte, which is no letter); `which` tells which one. Matching letter case on the fly gives the same answer as
// searching a lowered copy, without making one.
std::size_t FindLowered(std::string_view text, std::span<const std::string_view> needles, std::size_t from,
                        std::size_t& which);
std::size_t FindLowered(std::string_view text, std::string_view needle, std::size_t from);

// The first offset >= from that holds no blank (space, CR, LF), or the
// text's size.
std::size_t SkipBlanks(std::string_view text, std::size_t from);

// The first offset >= from at which flattening changes something: a CR or LF,
// a blank followed by a blank (the start of a run that shrinks), and with
// escaping a quote or backslash; or the text's size. A lone blank stays.
std::size_t NextFlattenChange(std::string_view text, std::size_t from, bool escapeQuotes);

}  // namespace sorvane::detail
