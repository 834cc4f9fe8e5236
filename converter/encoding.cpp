// The encoding a page declares, found as browsers find it before they parse:
// a byte-order mark, else the first meta charset declaration in the first
// 1024 bytes that names an encoding browsers know. Only the double-byte encodings whose second byte can be a
// backslash matter to the converter.
#include "converterInternals.h"
#include "textSearch.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace sorvane {
namespace {

constexpr std::size_t PrescanBytes = 1024;

using detail::IsAsciiLetter;
using detail::LowerAscii;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    std::ranges::transform(lowered, lowered.begin(), LowerAscii);
    return lowered;
}

bool IsShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
// GBK, GB2312, GB18030 and Big5 alike.
bool IsChineseLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

struct DoubleByteEncoding {
    std::string_view label;
    LeadByteTest isLeadByte;
};

// The labels browsers accept for these encodings, and the Windows code page
// names authors write for them.
constexpr std::array<DoubleByteEncoding, 28> DoubleByteEncodings{{
    {"shift_jis", IsShiftJisLeadByte},  {"shift-jis", IsShiftJisLeadByte},
    {"sjis", IsShiftJisLeadByte},       {"x-sjis", IsShiftJisLeadByte},
    {"csshiftjis", IsShiftJisLeadByte}, {"ms_kanji", IsShiftJisLeadByte},
    {"ms932", IsShiftJisLeadByte},      {"windows-31j", IsShiftJisLeadByte},
    {"cp932", IsShiftJisLeadByte},      {"gbk", IsChineseLeadByte},
    {"x-gbk", IsChineseLeadByte},       {"gb2312", IsChineseLeadByte},
    {"gb_2312", IsChineseLeadByte},     {"gb_2312-80", IsChineseLeadByte},
    {"csgb2312", IsChineseLeadByte},    {"csiso58gb231280", IsChineseLeadByte},
    {"iso-ir-58", IsChineseLeadByte},   {"chinese", IsChineseLeadByte},
    {"gb18030", IsChineseLeadByte},     {"cp936", IsChineseLeadByte},
    {"big5", IsChineseLeadByte},        {"big5-hkscs", IsChineseLeadByte},
    {"cn-big5", IsChineseLeadByte},     {"csbig5", IsChineseLeadByte},
    {"x-x-big5", IsChineseLeadByte},    {"cp950", IsChineseLeadByte},
    {"ms936", IsChineseLeadByte},       {"ms950", IsChineseLeadByte},
}};

// The other labels that browsers know (the single-byte encodings, UTF-8,
// UTF-16, EUC, ISO-2022 and the replacement encoding's). A meta element that
// names none of these nor of the double-byte encodings above declares
// nothing: the pre-scan goes on to the next one.
constexpr std::array<std::string_view, 205> OtherKnownLabels{"unicode-1-1-utf-8",
                                                             "unicode11utf8",
                                                             "unicode20utf8",
                                                             "utf-8",
                                                             "utf8",
                                                             "x-unicode20utf8",
                                                             "866",
                                                             "cp866",
                                                             "csibm866",
                                                             "ibm866",
                                                             "csisolatin2",
                                                             "iso-8859-2",
                                                             "iso-ir-101",
                                                             "iso8859-2",
                                                             "iso88592",
                                                             "iso_8859-2",
                                                             "iso_8859-2:1987",
                                                             "l2",
                                                             "latin2",
                                                             "csisolatin3",
                                                             "iso-8859-3",
                                                             "iso-ir-109",
                                                             "iso8859-3",
                                                             "iso88593",
                                                             "iso_8859-3",
                                                             "iso_8859-3:1988",
                                                             "l3",
                                                             "latin3",
                                                             "csisolatin4",
                                                             "iso-8859-4",
                                                             "iso-ir-110",
                                                             "iso8859-4",
                                                             "iso88594",
                                                             "iso_8859-4",
                                                             "iso_8859-4:1988",
                                                             "l4",
                                                             "latin4",
                                                             "csisolatincyrillic",
                                                             "cyrillic",
                                                             "iso-8859-5",
                                                             "iso-ir-144",
                                                             "iso8859-5",
                                                             "iso88595",
                                                             "iso_8859-5",
                                                             "iso_8859-5:1988",
                                                             "arabic",
                                                             "asmo-708",
                                                             "csiso88596e",
                                                             "csiso88596i",
                                                             "csisolatinarabic",
                                                             "ecma-114",
                                                             "iso-8859-6",
                                                             "iso-8859-6-e",
                                                             "iso-8859-6-i",
                                                             "iso-ir-127",
                                                             "iso8859-6",
                                                             "iso88596",
                                                             "iso_8859-6",
                                                             "iso_8859-6:1987",
                                                             "csisolatingreek",
                                                             "ecma-118",
                                                             "elot_928",
                                                             "greek",
                                                             "greek8",
                                                             "iso-8859-7",
                                                             "iso-ir-126",
                                                             "iso8859-7",
                                                             "iso88597",
                                                             "iso_8859-7",
                                                             "iso_8859-7:1987",
                                                             "sun_eu_greek",
                                                             "csiso88598e",
                                                             "csisolatinhebrew",
                                                             "hebrew",
                                                             "iso-8859-8",
                                                             "iso-8859-8-e",
                                                             "iso-ir-138",
                                                             "iso8859-8",
                                                             "iso88598",
                                                             "iso_8859-8",
                                                             "iso_8859-8:1988",
                                                             "visual",
                                                             "csiso88598i",
                                                             "iso-8859-8-i",
                                                             "logical",
                                                             "csisolatin6",
                                                             "iso-8859-10",
                                                             "iso-ir-157",
                                                             "iso8859-10",
                                                             "iso885910",
                                                             "l6",
                                                             "latin6",
                                                             "iso-8859-13",
                                                             "iso8859-13",
                                                             "iso885913",
                                                             "iso-8859-14",
                                                             "iso8859-14",
                                                             "iso885914",
                                                             "csisolatin9",
                                                             "iso-8859-15",
                                                             "iso8859-15",
                                                             "iso885915",
                                                             "iso_8859-15",
                                                             "l9",
                                                             "iso-8859-16",
                                                             "cskoi8r",
                                                             "koi",
                                                             "koi8",
                                                             "koi8-r",
                                                             "koi8_r",
                                                             "koi8-ru",
                                                             "koi8-u",
                                                             "csmacintosh",
                                                             "mac",
                                                             "macintosh",
                                                             "x-mac-roman",
                                                             "dos-874",
                                                             "iso-8859-11",
                                                             "iso8859-11",
                                                             "iso885911",
                                                             "tis-620",
                                                             "windows-874",
                                                             "cp1250",
                                                             "windows-1250",
                                                             "x-cp1250",
                                                             "cp1251",
                                                             "windows-1251",
                                                             "x-cp1251",
                                                             "ansi_x3.4-1968",
                                                             "ascii",
                                                             "cp1252",
                                                             "cp819",
                                                             "csisolatin1",
                                                             "ibm819",
                                                             "iso-8859-1",
                                                             "iso-ir-100",
                                                             "iso8859-1",
                                                             "iso88591",
                                                             "iso_8859-1",
                                                             "iso_8859-1:1987",
                                                             "l1",
                                                             "latin1",
                                                             "us-ascii",
                                                             "windows-1252",
                                                             "x-cp1252",
                                                             "cp1253",
                                                             "windows-1253",
                                                             "x-cp1253",
                                                             "cp1254",
                                                             "csisolatin5",
                                                             "iso-8859-9",
                                                             "iso-ir-148",
                                                             "iso8859-9",
                                                             "iso88599",
                                                             "iso_8859-9",
                                                             "iso_8859-9:1989",
                                                             "l5",
                                                             "latin5",
                                                             "windows-1254",
                                                             "x-cp1254",
                                                             "cp1255",
                                                             "windows-1255",
                                                             "x-cp1255",
                                                             "cp1256",
                                                             "windows-1256",
                                                             "x-cp1256",
                                                             "cp1257",
                                                             "windows-1257",
                                                             "x-cp1257",
                                                             "cp1258",
                                                             "windows-1258",
                                                             "x-cp1258",
                                                             "x-mac-cyrillic",
                                                             "x-mac-ukrainian",
                                                             "cseucpkdfmtjapanese",
                                                             "euc-jp",
                                                             "x-euc-jp",
                                                             "csiso2022jp",
                                                             "iso-2022-jp",
                                                             "cseuckr",
                                                             "csksc56011987",
                                                             "euc-kr",
                                                             "iso-ir-149",
                                                             "korean",
                                                             "ks_c_5601-1987",
                                                             "ks_c_5601-1989",
                                                             "ksc5601",
                                                             "ksc_5601",
                                                             "windows-949",
                                                             "csiso2022kr",
                                                             "hz-gb-2312",
                                                             "iso-2022-cn",
                                                             "iso-2022-cn-ext",
                                                             "iso-2022-kr",
                                                             "replacement",
                                                             "unicodefffe",
                                                             "utf-16be",
                                                             "csunicode",
                                                             "iso-10646-ucs-2",
                                                             "ucs-2",
                                                             "unicode",
                                                             "unicodefeff",
                                                             "utf-16",
                                                             "utf-16le",
                                                             "x-user-defined"};

// The label as browsers compare it: without surrounding blanks, lowered.
std::string NormalLabel(std::string_view label)
{
    while (!label.empty() && IsSpace(label.front()))
        label.remove_prefix(1);
    while (!label.empty() && IsSpace(label.back()))
        label.remove_suffix(1);
    return Lowered(label);
}

LeadByteTest LeadByteTestOfLabel(std::string_view label)
{
    const std::string normal = NormalLabel(label);
    for (const auto& encoding : DoubleByteEncodings)
        if (encoding.label == normal)
            return encoding.isLeadByte;
    return nullptr;
}

bool IsKnownLabel(std::string_view label)
{
    const std::string normal = NormalLabel(label);
    return LeadByteTestOfLabel(normal) != nullptr
           || std::ranges::find(OtherKnownLabels, normal) != OtherKnownLabels.end();
}

struct Attribute {
    std::string name, value;  // both lowered
};

// Reads tags and attributes the way the pre-scan does: forgiving, lowered,
// and giving up at the end of the bytes it may look at.
class Prescanner {
public:
    explicit Prescanner(std::string_view head) : text_(head) {}

    std::optional<std::string> Charset()
    {
        while (at_ < text_.size()) {
            if (StartsWith("<!--")) {
                const std::size_t end = text_.find("-->", at_ + 2);
                if (end == std::string_view::npos)
                    return std::nullopt;
                at_ = end + 3;
            } else if (StartsWithLowered("<meta") && at_ + 5 < text_.size()
                       && (IsSpace(text_[at_ + 5]) || text_[at_ + 5] == '/')) {
                at_ += 5;
                // A label no browser knows declares nothing.
                if (auto charset = MetaCharset(); charset && IsKnownLabel(*charset))
                    return charset;
            } else if (StartsWithTagName()) {
                while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '>')
                    ++at_;
                while (NextAttribute()) {}
            } else if (StartsWith("<!") || StartsWith("</") || StartsWith("<?")) {
                const std::size_t end = text_.find('>', at_);
                if (end == std::string_view::npos)
                    return std::nullopt;
                at_ = end + 1;
            } else {
                ++at_;
            }
        }
        return std::nullopt;
    }

private:
    bool StartsWith(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }
    // Asked at every byte of the head: compared in place, with no copy.
    bool StartsWithLowered(std::string_view prefix) const
    {
        return detail::StartsWithLowered(text_.substr(at_), prefix);
    }
    bool StartsWithTagName() const
    {
        const std::size_t name = at_ + (StartsWith("</") ? 2 : 1);
        return text_[at_] == '<' && name < text_.size() && IsAsciiLetter(text_[name]);
    }
    bool AtEnd() const { return at_ >= text_.size(); }
    void SkipSpaces()
    {
        while (!AtEnd() && IsSpace(text_[at_]))
            ++at_;
    }

    // The charset a meta element's attributes declare, if they declare one
    // in a way that counts: a charset attribute, or a content attribute's
    // charset together with http-equiv="content-type".
    std::optional<std::string> MetaCharset()
    {
        std::vector<std::string> seen;
        bool contentType = false;
        bool needsContentType = false;
        std::optional<std::string> charset;
        while (const auto attribute = NextAttribute()) {
            if (std::ranges::find(seen, attribute->name) != seen.end())
                continue;
            seen.push_back(attribute->name);
            if (attribute->name == "http-equiv") {
                contentType = contentType || attribute->value == "content-type";
            } else if (attribute->name == "content" && !charset) {
                if ((charset = CharsetInContent(attribute->value)))
                    needsContentType = true;
            } else if (attribute->name == "charset") {
                charset = attribute->value;
                needsContentType = false;
            }
        }
        if (needsContentType && !contentType)
            return std::nullopt;
        return charset;
    }

    // The value of "charset=" in a content attribute ("text/html; charset=gbk").
    static std::optional<std::string> CharsetInContent(std::string_view content)
    {
        for (std::size_t at = content.find("charset"); at != std::string_view::npos; at = content.find("charset", at)) {
            at += 7;
            while (at < content.size() && IsSpace(content[at]))
                ++at;
            if (at >= content.size() || content[at] != '=')
                continue;
            ++at;
            while (at < content.size() && IsSpace(content[at]))
                ++at;
            if (at >= content.size())
                return std::nullopt;
            if (content[at] == '"' || content[at] == '\'') {
                const std::size_t end = content.find(content[at], at + 1);
                if (end == std::string_view::npos)
                    return std::nullopt;
                return std::string(content.substr(at + 1, end - at - 1));
            }
            std::size_t end = at;
            while (end < content.size() && !IsSpace(content[end]) && content[end] != ';')
                ++end;
            return std::string(content.substr(at, end - at));
        }
        return std::nullopt;
    }

    // The next attribute of the tag being read, or nothing at its ">" or at
    // the end of the bytes.
    std::optional<Attribute> NextAttribute()
    {
        while (!AtEnd() && (IsSpace(text_[at_]) || text_[at_] == '/'))
            ++at_;
        if (AtEnd() || text_[at_] == '>')
            return std::nullopt;
        Attribute attribute;
        for (; !AtEnd(); ++at_) {
            const char c = text_[at_];
            if (c == '=' && !attribute.name.empty())
                break;
            if (IsSpace(c)) {
                SkipSpaces();
                if (AtEnd() || text_[at_] != '=')
                    return attribute;
                break;
            }
            if (c == '/' || c == '>')
                return attribute;
            attribute.name.push_back(LowerAscii(c));
        }
        if (AtEnd())
            return std::nullopt;
        ++at_;  // the "="
        SkipSpaces();
        if (AtEnd())
            return std::nullopt;
        if (const char quote = text_[at_]; quote == '"' || quote == '\'') {
            const std::size_t end = text_.find(quote, at_ + 1);
            if (end == std::string_view::npos)
                return std::nullopt;
            attribute.value = Lowered(text_.substr(at_ + 1, end - at_ - 1));
            at_ = end + 1;
            return attribute;
        }
        for (; !AtEnd() && !IsSpace(text_[at_]) && text_[at_] != '>'; ++at_)
            attribute.value.push_back(LowerAscii(text_[at_]));
        return attribute;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

LeadByteTest detail::DeclaredLeadByteTest(std::string_view pageText)
{
    if (pageText.starts_with("\xEF\xBB\xBF") || pageText.starts_with("\xFE\xFF") || pageText.starts_with("\xFF\xFE"))
        return nullptr;  // UTF-8 or UTF-16, whatever a meta element says
    const std::optional<std::string> charset = Prescanner(pageText.substr(0, PrescanBytes)).Charset();
    return charset ? LeadByteTestOfLabel(*charset) : nullptr;
}

}  // namespace sorvane
