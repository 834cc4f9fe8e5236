#include "textSearch.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane::detail {
namespace {

#ifdef __SSE2__
constexpr std::size_t Chunk = 16;

__m128i Load(const char* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}
__m128i Or(__m128i a, __m128i b)
{
    return _mm_or_si128(a, b);
}
__m128i And(__m128i a, __m128i b)
{
    return _mm_and_si128(a, b);
}
unsigned Bits(__m128i mask)
{
    return static_cast<unsigned>(_mm_movemask_epi8(mask));
}
std::size_t Lowest(unsigned bits)
{
    return static_cast<std::size_t>(std::countr_zero(bits));
}

// The first three bytes of the needles, ready to be compared with 16 bytes
// at once: the first byte, which all needles share and which is no letter,
// and the second and third with bit 0x20 set. Setting that bit turns A-Z into
// a-z (and a few other bytes into others), so comparing folded bytes can only
// add candidates, which the exact test then turns down.
class NeedlePrefixes {
public:
    static constexpr std::size_t Most = 8;

    explicit NeedlePrefixes(std::span<const std::string_view> needles)
        : count_(needles.size()), first_(_mm_set1_epi8(needles[0][0]))
    {
        for (std::size_t n = 0; n < count_; ++n)
            for (std::size_t k = 0; k < 2; ++k)
                folded_[n][k] = _mm_set1_epi8(static_cast<char>(needles[n][k + 1] | 0x20));
    }

    // Bit i is set where a needle's first three bytes may start at at + i;
    // firstBytes tells whether the 16 bytes hold the first byte at all.
    unsigned Candidates(const char* at, bool& firstBytes) const
    {
        const __m128i first = _mm_cmpeq_epi8(Load(at), first_);
        firstBytes = Bits(first) != 0;
        if (!firstBytes)
            return 0;
        const __m128i fold = _mm_set1_epi8(0x20);
        const __m128i next[2] = {Or(Load(at + 1), fold), Or(Load(at + 2), fold)};
        __m128i any = _mm_setzero_si128();
        for (std::size_t n = 0; n < count_; ++n)
            any = Or(any, And(_mm_cmpeq_epi8(next[0], folded_[n][0]), _mm_cmpeq_epi8(next[1], folded_[n][1])));
        return Bits(And(first, any));
    }

private:
    std::size_t count_;
    __m128i first_;
    __m128i folded_[Most][2];
};
#endif

}  // namespace

bool StartsWithLowered(std::string_view text, std::string_view lowerPrefix)
{
    if (text.size() < lowerPrefix.size())
        return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
        if (LowerAscii(text[i]) != lowerPrefix[i])
            return false;
    return true;
}

std::size_t FindLowered(std::string_view text, std::span<const std::string_view> needles, std::size_t from,
                        std::size_t& which)
{
    const auto matches = [&](std::size_t at) {
        const std::string_view rest = text.substr(at);
        for (which = 0; which < needles.size(); ++which)
            if (StartsWithLowered(rest, needles[which]))
                return true;
        return false;
    };
#ifdef __SSE2__
    // 16 places are tested at once; where 16 bytes hold no first byte of a
    // needle at all, memchr leaps to the next one. Text dense with '<' thus
    // costs about as much as sparse text.
    if (needles.size() <= NeedlePrefixes::Most) {
        const NeedlePrefixes prefixes(needles);
        while (from + Chunk + 2 <= text.size()) {
            bool firstBytes = false;
            for (unsigned bits = prefixes.Candidates(text.data() + from, firstBytes); bits != 0; bits &= bits - 1)
                if (matches(from + Lowest(bits)))
                    return from + Lowest(bits);
            from += Chunk;
            if (firstBytes || from >= text.size())
                continue;
            const void* next = std::memchr(text.data() + from, needles[0][0], text.size() - from);
            if (next == nullptr)
                return NotFound;
            from = static_cast<std::size_t>(static_cast<const char*>(next) - text.data());
        }
    }
#endif
    for (; from < text.size(); ++from)
        if (matches(from))
            return from;
    return NotFound;
}

std::size_t FindLowered(std::string_view text, std::string_view needle, std::size_t from)
{
    std::size_t which = 0;
    return FindLowered(text, {&needle, 1}, from, which);
}

}  // namespace sorvane::detail
