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
#include <utility>
#include <vector>

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

// The text of an attribute value with the character references that
// EscapeHtmlAttribute writes, and the apostrophe's, read back.
std::string AttributeText(std::string_view value)
{
    static constexpr std::pair<std::string_view, char> References[] = {
        {"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&#39;", '\''}, {"&apos;", '\''}};
    std::string text;
    for (std::size_t at = 0; at < value.size();) {
        const auto reference = std::ranges::find_if(
            References, [&](const auto& entry) { return StartsWithLowered(value.substr(at), entry.first); });
        if (reference == std::end(References)) {
            text.push_back(value[at++]);
        } else {
            text.push_back(reference->second);
            at += reference->first.size();
        }
    }
    return text;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// %XX escapes read back as their bytes; browsers read "\" in an address as
// "/", so a page that loads "player/ruffle.js" loads the player that Windows
// names "player\ruffle.js".
std::string DecodedPath(std::string_view path)
{
    std::string decoded;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const int high = at + 2 < path.size() && path[at] == '%' ? HexValue(path[at + 1]) : -1;
        const int low = high < 0 ? -1 : HexValue(path[at + 2]);
        if (low >= 0) {
            decoded.push_back(static_cast<char>(high << 4 | low));
            at += 2;
        } else {
            decoded.push_back(path[at] == '\\' ? '/' : path[at]);
        }
    }
    return decoded;
}

// The path with its "." segments left out and each ".." taking the segment
// before it away, as a browser resolves an address.
std::string WithoutDotSegments(std::string_view path)
{
    std::vector<std::string_view> kept;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view segment = path.substr(start, end - start);
        if (segment == ".." && !kept.empty() && kept.back() != ".." && !(kept.size() == 1 && kept[0].empty()))
            kept.pop_back();
        else if (segment != "." && (segment != ".." || kept.empty() || kept.back() == ".."))
            kept.push_back(segment);
        if (end == path.size())
            break;
        start = end + 1;
    }
    std::string joined;
    for (std::size_t i = 0; i < kept.size(); ++i)
        joined.append(i == 0 ? "" : "/").append(kept[i]);
    return joined;
}

// A script's src as the browser resolves it, for comparing two addresses of
// one file: character references, %XX escapes, "\", "." and ".." read as a
// browser reads them, and a relative address taken from the page's folder
// (pageFolder, ending in "/"; empty keeps it relative). The query and the
// fragment stay as written.
std::string ResolvedAddress(std::string_view src, std::string_view pageFolder)
{
    const std::string text = AttributeText(src);
    const std::size_t pathEnd = std::min(text.find_first_of("?#"), text.size());
    std::string path = DecodedPath(std::string_view(text).substr(0, pathEnd));
    if (!IsWebAddress(path) && !path.starts_with('/'))
        path.insert(0, pageFolder);
    return WithoutDotSegments(path) + text.substr(pathEnd);
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
bool LoadsScript(std::string_view pageText, std::string_view reference, std::string_view pagePath)
{
    using detail::MarkupToken;
    // A file path, not an address: only Windows' separators are read as "/".
    std::string pageFolder = FolderPart(pagePath);
    if (NativePathStyle == PathStyle::Windows)
        std::ranges::replace(pageFolder, '\\', '/');
    const std::string wanted = ResolvedAddress(reference, pageFolder);
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
        if (src && ResolvedAddress(*src, pageFolder) == wanted)
            return true;
        at = detail::RawTextAfter(pageText, tag).after;
    }
}

}  // namespace sorvane
