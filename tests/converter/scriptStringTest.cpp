// The byte classes that the scans and the script-string escaping read, their
// vector and byte-at-a-time paths, and what a script engine reads back from
// the escaped strings.
#include "converterInternals.h"
#include "scriptStringReader.h"
#include "textSearch.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <utility>

namespace sorvane {
namespace {

using namespace std::string_view_literals;
using testkit::ReadScriptString;

// Lengths on both sides of the 16-byte chunks and 64-byte windows.
constexpr std::size_t Lengths[] = {0,  1,  15, 16,  17,  31,  32,  33,  63,   64,
                                   65, 79, 80, 127, 128, 129, 191, 193, 1000, 4099};

// Random bytes of exactly `size` (a read past the end is a fault the
// sanitizers see): every byte value, or with dense, mostly the members of
// `classes` and a few others.
std::unique_ptr<char[]> RandomBytes(std::mt19937& random, std::size_t size, detail::ByteClassSet classes, bool dense)
{
    std::string members;
    for (int c = 1; c < 0x100; ++c)
        if (detail::InClass(static_cast<char>(c), classes))
            members += static_cast<char>(c);
    members += "a<\0"sv;
    auto bytes = std::make_unique<char[]>(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = dense ? members[random() % members.size()] : static_cast<char>(random());
    return bytes;
}

template <detail::ByteClassSet Classes>
void ExpectBothPathsAgree()
{
    std::mt19937 random(Classes);
    for (const std::size_t size : Lengths) {
        for (const bool dense : {false, true}) {
            const auto bytes = RandomBytes(random, size, Classes, dense);
            const std::string_view text(bytes.get(), size);
            for (std::size_t at = 0; at < size; ++at) {
                ASSERT_EQ(detail::ClassBits<Classes>(text, at), detail::ClassBitsByteAtATime<Classes>(text, at))
                    << "classes " << Classes << ", size " << size << ", at " << at;
                std::size_t found = at;
                while (found < size && !detail::InClass(text[found], Classes))
                    ++found;
                ASSERT_EQ(detail::FindInClass<Classes>(text, at), found) << "classes " << Classes << ", at " << at;
                std::size_t skipped = at;
                while (skipped < size && detail::InClass(text[skipped], Classes))
                    ++skipped;
                ASSERT_EQ(detail::SkipClass<Classes>(text, at), skipped) << "classes " << Classes << ", at " << at;
            }
        }
    }
}

template <std::size_t... Set>
void ExpectBothPathsAgreeForEverySet(std::index_sequence<Set...>)
{
    (ExpectBothPathsAgree<detail::SearchedSets[Set]>(), ...);
}

TEST(ByteClasses, VectorAndByteAtATimePathsAgreeOnEverySearchedSet)
{
    ExpectBothPathsAgreeForEverySet(std::make_index_sequence<detail::SearchedSets.size()>());
}

TEST(ByteClasses, FindByteAgreesWithAPlainSearch)
{
    std::mt19937 random(7);
    for (const std::size_t size : Lengths) {
        for (const bool dense : {false, true}) {
            const auto bytes = RandomBytes(random, size, detail::Quote | detail::TagClose, dense);
            const std::string_view text(bytes.get(), size);
            for (std::size_t at = 0; at < size; ++at)
                for (const char c : {'"', '\'', '>'})
                    ASSERT_EQ(detail::FindByte(text, at, c), std::min(text.find(c, at), size))
                        << "byte " << c << ", size " << size << ", at " << at;
        }
    }
}

bool IsShiftJisLead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Random texts of every byte value, with the bytes to escape and lead bytes
// often side by side.
std::string RandomText(std::mt19937& random, std::size_t size)
{
    static constexpr std::string_view Often{"\\'\r\n\x81\x5C\xE0\"\0a", 10};
    std::string text(size, '\0');
    for (char& c : text)
        c = random() % 3 == 0 ? static_cast<char>(random()) : Often[random() % Often.size()];
    return text;
}

TEST(ScriptString, ReadsBackAsTheTextItWasMadeFrom)
{
    std::mt19937 random(25);
    for (int round = 0; round < 40; ++round) {
        for (const std::size_t size : Lengths) {
            const std::string text = RandomText(random, size);
            ASSERT_EQ(ReadScriptString("'" + EscapeSingleQuoted(text) + "'"), text) << ::testing::PrintToString(text);
            std::string escaped = "'";
            detail::AppendEscapedForScript(escaped, text, IsShiftJisLead);
            ASSERT_EQ(ReadScriptString(escaped + "'", IsShiftJisLead), text) << ::testing::PrintToString(text);
        }
    }
}

}  // namespace
}  // namespace sorvane
