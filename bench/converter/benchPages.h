// Generated pages for the converter's benchmarks, made at run time so that
// no large file is kept in the repository.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane::bench {

enum class PageKind {
    Ordinary,         // text with multi-line, mixed-case movie blocks
    UnclosedObjects,  // "<object" again and again, never closed
    AllInNoscript,    // every block already inside a noscript element
    BlankRuns,        // blocks holding runs of thousands of blanks
    InScripts,        // every block inside a script's string, among tags named like raw-text elements
    QuotedValues,     // blocks of hundreds of params, thousands of quoted values
    LongQuotes,       // before each block, a quoted value that runs over a paragraph of text and tags
    InValues,         // before each block, a copy of it in an input box's value
};

// Blocks per byte of an ordinary page: 50,000 blocks in 64 MiB.
inline constexpr std::size_t OrdinaryBlockSpacing = (std::size_t{64} << 20) / 50000;
// "<object" per byte of the unclosed page: 200,000 in 8 MiB.
inline constexpr std::size_t UnclosedObjectSpacing = (std::size_t{8} << 20) / 200000;

std::optional<PageKind> PageKindNamed(std::string_view name);
std::string_view NameOf(PageKind kind);

// A page of the given kind, `size` bytes long, the same for every call.
std::string MakePage(PageKind kind, std::size_t size);

// One page of a site: about `size` bytes of text with `blocks` movie blocks
// spread over it; seed makes pages differ.
std::string MakeSitePage(std::size_t size, int blocks, unsigned seed);

}  // namespace sorvane::bench
