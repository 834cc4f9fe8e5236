#include "movieWriter.h"

#ifndef SORVANE_WITHOUT_LZMA
#include <lzma.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace sorvane::testmovie {
namespace {

std::string LittleEndian(std::uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i, value >>= 8)
        out += static_cast<char>(value & 0xFF);
    return out;
}

std::string Tag(unsigned code, std::string_view data)
{
    return LittleEndian(code << 6 | static_cast<unsigned>(data.size()), 2).append(data);
}

// Bits a signed field needs to hold value.
int SignedBits(std::int32_t value)
{
    int bits = 1;
    while (value < -(std::int64_t{1} << (bits - 1)) || value >= (std::int64_t{1} << (bits - 1)))
        ++bits;
    return bits;
}

class BitWriter {
public:
    void Put(std::uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i, ++bitPos_) {
            if (bitPos_ % 8 == 0)
                bytes_ += '\0';
            if (value >> i & 1u)
                bytes_.back() = static_cast<char>(bytes_.back() | 0x80 >> bitPos_ % 8);
        }
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    int bitPos_ = 0;
};

std::string RectBytes(const StageRect& stage, std::optional<int> givenFieldBits)
{
    const int fieldBits = givenFieldBits.value_or(
        std::max({SignedBits(stage.xMin), SignedBits(stage.xMax), SignedBits(stage.yMin), SignedBits(stage.yMax)}));
    BitWriter bits;
    bits.Put(static_cast<std::uint32_t>(fieldBits), 5);
    for (const std::int32_t value : {stage.xMin, stage.xMax, stage.yMin, stage.yMax})
        bits.Put(static_cast<std::uint32_t>(value), fieldBits);
    return bits.Bytes();
}

std::string ZlibCompressed(const std::string& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                 static_cast<uLong>(bytes.size()))
        != Z_OK)
        throw std::runtime_error("zlib compress failed");
    out.resize(size);
    return out;
}

// The 5 property bytes, then the raw LZMA stream.
std::string LzmaCompressed(const std::string& bytes)
{
#ifdef SORVANE_WITHOUT_LZMA
    (void)bytes;
    throw std::runtime_error("this build has no liblzma to write a ZWS movie with");
#else
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 1);
    options.dict_size = 1 << 16;  // plenty for a test movie; keeps the encoder small
    const lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::string properties(5, '\0');
    std::string stream(bytes.size() + 64, '\0');
    std::size_t written = 0;
    if (lzma_properties_encode(&filters[0], reinterpret_cast<std::uint8_t*>(properties.data())) != LZMA_OK
        || lzma_raw_buffer_encode(filters, nullptr, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                  reinterpret_cast<std::uint8_t*>(stream.data()), &written, stream.size())
               != LZMA_OK)
        throw std::runtime_error("lzma encode failed");
    stream.resize(written);
    return properties + stream;
#endif
}

}  // namespace

std::string BackgroundMovieTags(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const char rgb[] = {static_cast<char>(red), static_cast<char>(green), static_cast<char>(blue)};
    return Tag(9, std::string_view(rgb, 3)) + Tag(1, "") + Tag(0, "");
}

std::string MovieBytes(const TestMovie& movie)
{
    const std::string body = RectBytes(movie.stage, movie.rectFieldBits) + LittleEndian(movie.frameRate, 2)
                             + LittleEndian(movie.frameCount, 2) + movie.tags;
    const std::string plain = std::string(SignatureOf(movie.compression)) + static_cast<char>(movie.version)
                              + LittleEndian(static_cast<std::uint32_t>(8 + body.size()), 4);
    switch (movie.compression) {
    case MovieCompression::None: return plain + body;
    case MovieCompression::Zlib: return plain + ZlibCompressed(body);
    case MovieCompression::Lzma: {
        const std::string packed = LzmaCompressed(body);
        return plain + LittleEndian(static_cast<std::uint32_t>(packed.size() - 5), 4) + packed;
    }
    }
    return {};
}

}  // namespace sorvane::testmovie
