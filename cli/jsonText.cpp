#include "jsonText.h"

namespace sorvane::cli {
namespace {

constexpr char HexDigits[] = "0123456789abcdef";

void AppendEscape(std::string& out, unsigned prefix, unsigned char byte)
{
    out += "\\u";
    for (const unsigned value : {prefix >> 4, prefix & 0xFu, unsigned(byte >> 4), byte & 0xFu})
        out += HexDigits[value];
}

// The length of the valid UTF-8 sequence at the start of bytes, 0 when there
// is none (a stray continuation byte, an overlong form, a surrogate, a value
// above U+10FFFF, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    return length;
}

}  // namespace

std::string JsonString(std::string_view bytes)
{
    std::string out = "\"";
    while (!bytes.empty()) {
        const auto c = static_cast<unsigned char>(bytes.front());
        const std::size_t length = Utf8SequenceLength(bytes);
        if (length == 0)
            AppendEscape(out, 0xDC, c);
        else if (c == '"' || c == '\\')
            out.append({'\\', char(c)});
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20)
            AppendEscape(out, 0x00, c);
        else
            out.append(bytes.substr(0, length));
        bytes.remove_prefix(length == 0 ? 1 : length);
    }
    return out + '"';
}

std::string JsonObjectLine(std::initializer_list<JsonMember> members)
{
    return JsonObjectLine(std::span(members.begin(), members.size()));
}

std::string JsonObjectLine(std::span<const JsonMember> members)
{
    std::string line = "{";
    for (const JsonMember& member : members) {
        if (line.size() > 1)
            line += ',';
        line += JsonString(member.name) + ':';
        if (!member.value)
            line += "null";
        else
            line += member.bare ? *member.value : JsonString(*member.value);
    }
    return line + "}\n";
}

}  // namespace sorvane::cli
