// Writing text into the places where pages and scripts read it back: a
// single-quoted script string, an HTML attribute, a URL in an attribute.
#include "converterInternals.h"
#include "textSearch.h"

namespace sorvane {
namespace {

// Bytes that a relative URL cannot carry as they are: "%" starts an escape,
// "#" and "?" end the path, a quote or angle bracket ends the attribute or
// the tag, control bytes are dropped or end the attribute.
bool NeedsPercent(unsigned char c, PathStyle style)
{
    return c < 0x20 || c == 0x7F || c == '%' || c == '#' || c == '?' || c == '"' || c == '<' || c == '>'
           || (c == '\\' && style == PathStyle::Posix);  // a browser takes it for a separator
}

}  // namespace

// With a lead-byte test, a lead byte and the trail byte after it (0x40 and
// up) are one character and go as they are: a trail byte 0x5C is no
// backslash, and doubling it would end the string early. A lead byte that
// stands alone before a byte to escape would take the escape's backslash
// for its trail byte, and the quote or line end after it would end the
// string: the string is closed after such a lead byte and goes on in a new
// one joined to it ("'+'"); the quote is no trail byte.
void detail::AppendEscapedForScript(std::string& out, std::string_view text, LeadByteTest isLeadByte)
{
    constexpr std::string_view JoinedString = "'+'";
    std::size_t copied = 0;
    std::size_t loneLeadEnd = NotFound;  // one past a lead byte with no trail byte
    for (std::size_t i = 0; (i = NextToEscape(text, i, isLeadByte != nullptr)) < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (InClass(text[i], HighByte)) {
            const bool lead = isLeadByte(c);
            const bool pair = lead && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x40;
            i += pair ? 2 : 1;
            loneLeadEnd = lead && !pair ? i : NotFound;
            continue;
        }
        out.append(text.substr(copied, i - copied));
        if (i == loneLeadEnd)
            out.append(JoinedString);
        out.append(ScriptEscapeOf[c]);
        copied = ++i;
    }
    out.append(text.substr(copied));
}

std::string EscapeSingleQuoted(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    detail::AppendEscapedForScript(escaped, text, nullptr);
    return escaped;
}

std::string EscapeHtmlAttribute(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string EscapeUrlAttribute(std::string_view path, PathStyle style)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsPercent(byte, style))
            encoded.append({'%', Hex[byte >> 4], Hex[byte & 0xF]});
        else
            encoded.push_back(c);
    }
    return EscapeHtmlAttribute(encoded);
}

std::string PathOfUrlAttribute(std::string_view attribute)
{
    const auto hexValue = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : -1;
    };
    std::string path;
    path.reserve(attribute.size());
    for (std::size_t i = 0; i < attribute.size(); ++i) {
        if (attribute.compare(i, 5, "&amp;") == 0) {
            path += '&';
            i += 4;
        } else if (attribute[i] == '%' && i + 2 < attribute.size() && hexValue(attribute[i + 1]) >= 0
                   && hexValue(attribute[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(attribute[i + 1]) * 16 + hexValue(attribute[i + 2]));
            i += 2;
        } else {
            path += attribute[i];
        }
    }
    return path;
}

}  // namespace sorvane
