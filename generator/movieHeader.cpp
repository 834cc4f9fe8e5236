#include "movieHeader.h"

#include "nativePath.h"

#ifndef SORVANE_WITHOUT_LZMA
#include <lzma.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <istream>
#include <memory>
#include <streambuf>

namespace sorvane {
namespace {

// Signature (3), version (1), file length (4): never compressed.
constexpr std::size_t PlainPartSize = 8;
constexpr std::size_t SignatureSize = 3;
// A ZWS movie then stores the compressed length (4) and the LZMA properties (5).
constexpr std::size_t LzmaPrefixSize = 9;
// The widest stage rectangle (5 + 4 x 31 bits, padded: 17 bytes), frame rate
// and frame count (4), then the first tag's header (2, or 6 in its long form)
// and the first byte of its data: no header needs more of the body.
constexpr std::size_t BodyBytesWanted = 17 + 4 + 6 + 1;
constexpr unsigned FileAttributesTag = 69;
constexpr unsigned char ActionScript3Flag = 0x08;
constexpr std::size_t ReadChunkSize = 4096;

std::uint32_t LittleEndian(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

// Reads the stage rectangle's fields, which are packed most significant bit
// first and need not end on a byte.
class BitReader {
public:
    explicit BitReader(std::string_view bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> Unsigned(int count)
    {
        if (bitPos_ + count > bytes_.size() * 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++bitPos_)
            value = value << 1 | (static_cast<unsigned char>(bytes_[bitPos_ / 8]) >> (7 - bitPos_ % 8) & 1u);
        return value;
    }

    std::optional<std::int32_t> Signed(int count)
    {
        const auto value = Unsigned(count);
        if (!value || count == 0)
            return value;
        const std::uint32_t signBit = 1u << (count - 1);
        return static_cast<std::int32_t>(static_cast<std::int64_t>(*value ^ signBit) - signBit);
    }

    // The bytes after the field last read, from the next byte boundary.
    std::string_view Rest() const { return bytes_.substr(std::min(bytes_.size(), (bitPos_ + 7) / 8)); }

private:
    std::string_view bytes_;
    std::size_t bitPos_ = 0;
};

// The machine that the tags, from the first one on, call for: a movie that
// runs ActionScript 3 says so in a FileAttributes tag, its first.
ActionScriptMachine MachineOfFirstTag(std::string_view tags)
{
    if (tags.size() < 2)
        return ActionScriptMachine::Avm1;
    const std::uint32_t codeAndLength = LittleEndian(tags.substr(0, 2));
    const std::size_t dataStart = (codeAndLength & 0x3F) == 0x3F ? 6 : 2;  // a long tag's length follows
    const bool actionScript3 = codeAndLength >> 6 == FileAttributesTag && tags.size() > dataStart
                               && (static_cast<unsigned char>(tags[dataStart]) & ActionScript3Flag) != 0;
    return actionScript3 ? ActionScriptMachine::Avm2 : ActionScriptMachine::Avm1;
}

// Fills the header's fields that follow the plain part from the start of the
// decompressed body; false when the body ends first.
bool ParseBody(std::string_view body, MovieHeader& header)
{
    BitReader bits(body);
    const auto fieldBits = bits.Unsigned(5);
    if (!fieldBits)
        return false;
    const int count = static_cast<int>(*fieldBits);
    const auto xMin = bits.Signed(count), xMax = bits.Signed(count);
    const auto yMin = bits.Signed(count), yMax = bits.Signed(count);
    const std::string_view rest = bits.Rest();
    if (!yMax || rest.size() < 4)
        return false;
    header.stage = {*xMin, *xMax, *yMin, *yMax};
    header.frameRate = static_cast<std::uint16_t>(LittleEndian(rest.substr(0, 2)));
    header.frameCount = static_cast<std::uint16_t>(LittleEndian(rest.substr(2, 2)));
    header.machine = MachineOfFirstTag(rest.substr(4));
    return true;
}

// Up to count bytes, fewer when the stream ends first.
std::string ReadUpTo(std::istream& in, std::size_t count)
{
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Runs a decompressor (a z_stream or lzma_stream, whose fields are named
// alike) on the rest of the movie, read in chunks, until it has put out the
// bytes the header needs, its data ends or is bad. Returns what it put out.
template <typename Stream, typename Step>
std::string DecompressBodyStart(std::istream& in, Stream& stream, Step step)
{
    std::string body(BodyBytesWanted, '\0');
    std::array<char, ReadChunkSize> chunk;
    stream.next_out = reinterpret_cast<unsigned char*>(body.data());
    stream.avail_out = static_cast<decltype(stream.avail_out)>(body.size());
    while (stream.avail_out > 0) {
        if (stream.avail_in == 0) {
            in.read(chunk.data(), chunk.size());
            if (in.gcount() == 0)
                break;
            stream.next_in = reinterpret_cast<unsigned char*>(chunk.data());
            stream.avail_in = static_cast<decltype(stream.avail_in)>(in.gcount());
        }
        if (!step())
            break;
    }
    body.resize(body.size() - stream.avail_out);
    return body;
}

std::string InflateBodyStart(std::istream& in)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    const std::unique_ptr<z_stream, decltype(&inflateEnd)> end(&stream, &inflateEnd);
    return DecompressBodyStart(in, stream, [&] { return inflate(&stream, Z_NO_FLUSH) == Z_OK; });
}

// The 5 property bytes (literal and position bits, dictionary size) come
// before the raw stream, as in the .lzma format.
std::string UnLzmaBodyStart(std::istream& in, std::string_view properties)
{
#ifdef SORVANE_WITHOUT_LZMA
    (void)in;
    (void)properties;
    return {};
#else
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, reinterpret_cast<const std::uint8_t*>(properties.data()),
                               properties.size())
        != LZMA_OK)
        return {};
    const std::unique_ptr<lzma_options_lzma, decltype(&std::free)> options(
        static_cast<lzma_options_lzma*>(filters[0].options), &std::free);
    // The header's bytes lie within the first few of the stream, so no match
    // reaches further back than this; a foreign file's claim of gigabytes of
    // dictionary is never allocated.
    options->dict_size = LZMA_DICT_SIZE_MIN;
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, filters) != LZMA_OK)
        return {};
    const std::unique_ptr<lzma_stream, decltype(&lzma_end)> end(&stream, &lzma_end);
    return DecompressBodyStart(in, stream, [&] { return lzma_code(&stream, LZMA_RUN) == LZMA_OK; });
#endif
}

std::string BodyStart(std::istream& in, MovieCompression compression)
{
    switch (compression) {
    case MovieCompression::None: return ReadUpTo(in, BodyBytesWanted);
    case MovieCompression::Zlib: return InflateBodyStart(in);
    case MovieCompression::Lzma: {
        const std::string prefix = ReadUpTo(in, LzmaPrefixSize);
        if (prefix.size() < LzmaPrefixSize)
            return {};
        return UnLzmaBodyStart(in, std::string_view(prefix).substr(4));
    }
    }
    return {};
}

// Lets bytes in memory be read as a stream without copying them.
class MemoryBuffer : public std::streambuf {
public:
    explicit MemoryBuffer(std::string_view bytes)
    {
        char* start = const_cast<char*>(bytes.data());
        setg(start, start, start + bytes.size());
    }
};

// Twips to whole pixels, halves rounded up; nothing below one pixel.
std::optional<int> Pixels(std::int32_t from, std::int32_t to)
{
    const std::int64_t twips = std::int64_t{to} - from;
    if (twips < 10)
        return std::nullopt;
    return static_cast<int>((twips + 10) / 20);
}

}  // namespace

std::string_view NameOf(ActionScriptMachine machine)
{
    return machine == ActionScriptMachine::Avm2 ? "AVM2" : "AVM1";
}

std::string_view LanguageOf(ActionScriptMachine machine)
{
    return machine == ActionScriptMachine::Avm2 ? "ActionScript 3" : "ActionScript 1 and 2";
}

std::string_view SignatureOf(MovieCompression compression)
{
    switch (compression) {
    case MovieCompression::None: return "FWS";
    case MovieCompression::Zlib: return "CWS";
    case MovieCompression::Lzma: return "ZWS";
    }
    return {};
}

std::optional<MovieCompression> CompressionOf(std::string_view signature)
{
    for (const MovieCompression compression : {MovieCompression::None, MovieCompression::Zlib, MovieCompression::Lzma})
        if (signature == SignatureOf(compression))
            return compression;
    return std::nullopt;
}

std::optional<MovieHeader> ReadMovieHeader(std::istream& in)
{
    const std::string plain = ReadUpTo(in, PlainPartSize);
    if (plain.size() < PlainPartSize)
        return std::nullopt;
    const auto compression = CompressionOf(std::string_view(plain).substr(0, 3));
    if (!compression)
        return std::nullopt;
    MovieHeader header;
    header.compression = *compression;
    header.version = static_cast<std::uint8_t>(plain[3]);
    header.fileLength = LittleEndian(std::string_view(plain).substr(4, 4));
    if (!ParseBody(BodyStart(in, *compression), header))
        return std::nullopt;
    return header;
}

std::optional<MovieHeader> ParseMovieHeader(std::string_view movieStart)
{
    MemoryBuffer buffer(movieStart);
    std::istream in(&buffer);
    return ReadMovieHeader(in);
}

std::optional<StageSize> StageSizeOf(const StageRect& stage)
{
    const auto width = Pixels(stage.xMin, stage.xMax), height = Pixels(stage.yMin, stage.yMax);
    if (!width || !height)
        return std::nullopt;
    return StageSize{*width, *height};
}

std::optional<MovieHeader> MovieFileHeader(const std::string& path)
{
    // Opening a pipe or a device could wait for ever; a movie is a file.
    std::error_code error;
    if (!std::filesystem::is_regular_file(NativePath(path), error))
        return std::nullopt;
    std::ifstream in(NativePath(path), std::ios::binary);
    return ReadMovieHeader(in);
}

std::optional<StageSize> MovieStageSize(const std::string& path)
{
    const auto header = MovieFileHeader(path);
    return header ? StageSizeOf(header->stage) : std::nullopt;
}

bool HasMovieSignature(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(NativePath(path), error))
        return false;
    std::ifstream in(NativePath(path), std::ios::binary);
    return CompressionOf(ReadUpTo(in, SignatureSize)).has_value();
}

}  // namespace sorvane
