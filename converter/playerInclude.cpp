// The Flash player script that a converted page or a generated snippet can
// load besides its own script: today's browsers have no Flash plug-in, and a
// player script (an emulator such as Ruffle) replaces every movie element it
// finds, also those that document.write adds later.
#include "converterInternals.h"
#include "markupTokens.h"
#include "nativePath.h"
#include "textSearch.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace sorvane {
namespace {

namespace fs = std::filesystem;

using detail::NotFound;
using detail::StartsWithLowered;

bool IsTagSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The value of the tag's src attribute as written (quoted or not), or nothing.
// tag runs from after the element's name to its ">".
std::optional<std::string_view> SrcValue(std::string_view tag)
{
    for (std::size_t at = 1; at + 3 <= tag.size(); ++at) {
        if (!IsTagSpace(tag[at - 1]) || !StartsWithLowered(tag.substr(at), "src"))
            continue;
        std::size_t value = at + 3;
        while (value < tag.size() && IsTagSpace(tag[value]))
            ++value;
        if (value == tag.size() || tag[value] != '=')
            continue;
        do
            ++value;
        while (value < tag.size() && IsTagSpace(tag[value]));
        if (value < tag.size() && detail::IsQuote(tag[value])) {
            const std::size_t end = tag.find(tag[value], value + 1);
            return tag.substr(value + 1, (end == NotFound ? tag.size() : end) - value - 1);
        }
        std::size_t end = value;
        while (end < tag.size() && !IsTagSpace(tag[end]))
            ++end;
        return tag.substr(value, end - value);
    }
    return std::nullopt;
}

// Browsers read "\\" in an address as "/", so a page that loads
// "player/ruffle.js" loads the player that Windows names "player\\ruffle.js".
bool SameAddress(std::string_view a, std::string_view b)
{
    const auto slashed = [](char c) { return c == '\\' ? '/' : c; };
    return std::ranges::equal(a, b, {}, slashed, slashed);
}

}  // namespace

bool IsWebAddress(std::string_view playerSource)
{
    return playerSource.starts_with("//") || StartsWithLowered(playerSource, "http://")
           || StartsWithLowered(playerSource, "https://");
}

void RequirePlayerScript(std::string_view playerSource)
{
    if (playerSource.empty())
        throw ConvertError("No Flash player script given");
    std::error_code error;
    if (!IsWebAddress(playerSource) && !fs::is_regular_file(NativePath(playerSource), error))
        throw ConvertError("Cannot find the Flash player script " + std::string(playerSource));
}

std::string PlayerReference(std::string_view playerSource, std::string_view pagePath, PathStyle style)
{
    RequirePlayerScript(playerSource);
    return detail::PlayerAddress(playerSource, pagePath, style);
}

std::string detail::PlayerAddress(std::string_view playerSource, std::string_view pagePath, PathStyle style)
{
    if (IsWebAddress(playerSource))
        return EscapeHtmlAttribute(playerSource);
    // Both are files of this system, whatever folder they were named from.
    // std::filesystem sees no root in "\\server\share" and would fold its
    // leading backslashes: such a path is full as it stands.
    const auto full = [](std::string_view path) {
        return HasNetworkOrDeviceRoot(path) ? std::string(path)
                                            : PathBytes(fs::absolute(NativePath(path)).lexically_normal());
    };
    return EscapeUrlAttribute(RelativePath(full(pagePath), full(playerSource), style), style);
}

std::string PlayerIncludeLine(std::string_view playerReference, std::string_view lineEnd)
{
    return "<script src=\"" + std::string(playerReference) + "\"></script>" + std::string(lineEnd);
}

// Only script elements that are markup count: one in a comment, in another
// script's text or in a quoted value loads nothing.
bool LoadsScript(std::string_view pageText, std::string_view reference)
{
    using detail::MarkupToken;
    const auto isScript = [&](const MarkupToken& token) {
        return token.kind == MarkupToken::Kind::StartTag && detail::TagNamed(pageText, token.start, "script");
    };
    constexpr std::size_t NameEnd = 7;  // "<script"
    for (std::size_t at = 0;;) {
        const MarkupToken tag = detail::NextTagWhere(pageText, at, isScript);
        if (tag.start == pageText.size())
            return false;
        const std::size_t end = tag.closed ? tag.end - 1 : tag.end;  // before its ">"
        const std::optional<std::string_view> src = SrcValue(
            pageText.substr(tag.start + NameEnd, end - tag.start - NameEnd));
        if (src && SameAddress(*src, reference))
            return true;
        at = detail::RawTextAfter(pageText, tag).after;
    }
}

}  // namespace sorvane
