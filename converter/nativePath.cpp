#include "nativePath.h"

#include "unitACConvertor.h"

namespace sorvane {
namespace {

constexpr char32_t Replacement = 0xFFFD;

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The code point of the UTF-8 sequence at text[at], moving at past it; a byte
// that begins no valid sequence gives Replacement and is passed alone.
// Surrogates (ED A0..BF ..) are taken: they are how Utf8Of writes unpaired
// ones.
char32_t NextCodePoint(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    ++at;
    if (lead < 0x80)
        return lead;
    const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    if (length == 0 || text.size() - at < static_cast<std::size_t>(length - 1))
        return Replacement;
    char32_t point = lead & (0x7F >> length);
    for (int i = 0; i < length - 1; ++i) {
        const auto c = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
        if (!IsContinuation(c))
            return Replacement;
        point = (point << 6) | (c & 0x3F);
    }
    // Overlong forms and points past U+10FFFF name nothing.
    const char32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
    if (point < least || point > 0x10FFFF)
        return Replacement;
    at += static_cast<std::size_t>(length - 1);
    return point;
}

void AppendUtf8(std::string& out, char32_t point)
{
    if (point < 0x80) {
        out += static_cast<char>(point);
        return;
    }
    const int length = point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
    const unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(leads[length] | (point >> (6 * (length - 1))));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6)
        out += static_cast<char>(0x80 | ((point >> shift) & 0x3F));
}

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u16string Utf16Of(std::string_view utf8)
{
    std::u16string utf16;
    utf16.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t point = NextCodePoint(utf8, at);
        if (point < 0x10000) {
            utf16 += static_cast<char16_t>(point);
        } else {
            utf16 += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            utf16 += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
    }
    return utf16;
}

std::string Utf8Of(std::u16string_view utf16)
{
    std::string utf8;
    utf8.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (IsHighSurrogate(unit) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
            AppendUtf8(utf8, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(utf8, unit);
        }
    }
    return utf8;
}

#ifdef _WIN32
std::filesystem::path NativePath(std::string_view bytes)
{
    const std::u16string utf16 = Utf16Of(bytes);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string PathBytes(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    return Utf8Of(std::u16string(wide.begin(), wide.end()));
}

std::string GenericPathBytes(const std::filesystem::path& path)
{
    const std::wstring wide = path.generic_wstring();
    return Utf8Of(std::u16string(wide.begin(), wide.end()));
}
#else
std::filesystem::path NativePath(std::string_view bytes)
{
    return bytes;
}

std::string PathBytes(const std::filesystem::path& path)
{
    return path.native();
}

std::string GenericPathBytes(const std::filesystem::path& path)
{
    return path.generic_string();
}
#endif

bool HasNetworkOrDeviceRoot(std::string_view path)
{
    return NativePathStyle == PathStyle::Windows && path.starts_with("\\\\");
}

std::optional<std::filesystem::path> PathBelow(const std::filesystem::path& folder, const std::filesystem::path& target)
{
    std::filesystem::path relative = target.lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    return relative;
}

}  // namespace sorvane
