// A reader of single-quoted JavaScript string literals, written apart from
// the converter's escaping so that it can judge what the escaping writes.
// Used by the unit tests and the page rewrite fuzzer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane::testkit {

// The bytes that a browser's script engine reads from the literal (from its
// opening quote to its closing one, which must be its last byte; literals
// joined by "+" are read as one), or nothing
// when the literal would end early, hold a raw line end or stop in an escape.
// Each byte is one character, as in a single-byte encoding; with isLeadByte,
// a lead byte and the byte after it, when that is 0x40 or above, are one
// character of a double-byte encoding, whatever the second byte is.
// Escapes: \n \r \t \b \f \v, \0 not before a digit, a line continuation,
// and a backslash before any other byte but a digit, x or u, which stands
// for that byte; the escapes that the converter never writes (octal, \x, \u)
// are refused rather than read.
inline std::optional<std::string> ReadScriptString(std::string_view literal,
                                                   bool (*isLeadByte)(unsigned char) = nullptr)
{
    if (literal.empty() || literal.front() != '\'')
        return std::nullopt;
    std::string text;
    for (std::size_t i = 1; i < literal.size(); ++i) {
        const char c = literal[i];
        const bool pair = isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(c)) && i + 1 < literal.size()
                          && static_cast<unsigned char>(literal[i + 1]) >= 0x40;
        if (pair) {
            text += literal.substr(i++, 2);
        } else if (c == '\'') {
            if (i + 1 == literal.size())
                return text;
            if (literal.compare(i + 1, 2, "+'") != 0)
                return std::nullopt;
            i += 2;
        } else if (c != '\\') {
            if (c == '\r' || c == '\n')
                return std::nullopt;  // a raw line end cannot stand in a string
            text += c;
        } else if (++i == literal.size()) {
            return std::nullopt;
        } else {
            const char next = literal[i];
            const bool digitAfter = i + 1 < literal.size() && literal[i + 1] >= '0' && literal[i + 1] <= '9';
            switch (next) {
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'v': text += '\v'; break;
            case '\n': break;
            case '\r':
                if (i + 1 < literal.size() && literal[i + 1] == '\n')
                    ++i;
                break;
            case '0':
                if (digitAfter)
                    return std::nullopt;
                text += '\0';
                break;
            case 'x':
            case 'u': return std::nullopt;
            default:
                if (next >= '1' && next <= '9')
                    return std::nullopt;
                text += next;
            }
        }
    }
    return std::nullopt;
}

}  // namespace sorvane::testkit
