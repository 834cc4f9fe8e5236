// File names between UTF-8, as every part holds them, and the UTF-16 of
// Windows's file functions.
#include "nativePath.h"
#include "namedRow.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

struct NameRow : testkit::NamedRow {
    std::u16string utf16;
    std::string utf8;
};

class NameBothWays : public ::testing::TestWithParam<NameRow> {};

// Every name Windows allows goes to UTF-8 and comes back as itself: two names
// never meet in one byte string.
TEST_P(NameBothWays, IsKeptWhole)
{
    EXPECT_EQ(Utf8Of(GetParam().utf16), GetParam().utf8);
    EXPECT_EQ(Utf16Of(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameBothWays,
    ::testing::Values(
        NameRow{{"Ascii"}, u"site\\index.htm", "site\\index.htm"},
        NameRow{{"GreekBeyondTheCodePage"}, u"\u03a9mega", "\xce\xa9mega"},
        NameRow{{"Japanese"}, u"\u65e5\u672c\\index.htm", "\xe6\x97\xa5\xe6\x9c\xac\\index.htm"},
        NameRow{{"SurrogatePair"}, u"\U0001F600.htm", "\xf0\x9f\x98\x80.htm"},
        NameRow{{"UnpairedHighSurrogate"},
                std::u16string{u'a', char16_t{0xD83D}, u'b'},
                "a\xed\xa0\xbd"
                "b"},
        NameRow{{"UnpairedLowSurrogateAtTheEnd"}, std::u16string{u'a', char16_t{0xDE00}}, "a\xed\xb8\x80"},
        NameRow{
            {"LowBeforeHighIsNoPair"}, std::u16string{char16_t{0xDE00}, char16_t{0xD83D}}, "\xed\xb8\x80\xed\xa0\xbd"}),
    testkit::RowName<NameRow>);

struct BadBytesRow : testkit::NamedRow {
    std::string utf8;
    std::u16string utf16;
};

class BadBytes : public ::testing::TestWithParam<BadBytesRow> {};

// A byte that begins no character stands for U+FFFD alone; the bytes after it
// are read afresh, so a good character after a bad byte is kept.
TEST_P(BadBytes, BecomeTheReplacementCharacter)
{
    EXPECT_EQ(Utf16Of(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Names, BadBytes,
    ::testing::Values(BadBytesRow{{"LoneContinuation"}, "a\x80z", u"a\uFFFDz"},
                      BadBytesRow{{"Overlong"}, "\xc0\xaf", u"\uFFFD\uFFFD"},
                      BadBytesRow{{"CutShort"}, "\xe6\x97", u"\uFFFD\uFFFD"},
                      BadBytesRow{{"CutShortBeforeAscii"}, "\xe6\x97z", u"\uFFFD\uFFFDz"},
                      BadBytesRow{{"BeyondTheLastCodePoint"}, "\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                      BadBytesRow{{"BadByteThenGoodCharacter"}, "\xff\xce\xa9", u"\uFFFD\u03a9"}),
    testkit::RowName<BadBytesRow>);

}  // namespace
}  // namespace sorvane
