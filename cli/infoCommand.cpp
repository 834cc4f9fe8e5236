#include "infoCommand.h"

#include "movieFile.h"
#include "movieHeader.h"
#include "nativePath.h"
#include "unitACConvertor.h"

#include <charconv>
#include <fstream>
#include <optional>

namespace sorvane::cli {
namespace {

// By MovieCompression: None, Zlib, Lzma.
constexpr std::string_view CompressionNames[] = {"uncompressed", "zlib", "LZMA"};

// 8.8 fixed point in its shortest exact decimal form: 12, 12.5, 29.96875.
std::string FramesPerSecond(std::uint16_t frameRate)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, frameRate / 256.0).ptr;
    return {text, end};
}

void PrintHeader(std::ostream& out, const MovieHeader& header)
{
    const StageRect& stage = header.stage;
    const auto size = StageSizeOf(stage);
    out << "signature: " << SignatureOf(header.compression) << " ("
        << CompressionNames[static_cast<int>(header.compression)] << ")\n"
        << "version: " << int{header.version} << '\n'
        << "file length: " << header.fileLength << " bytes\n"
        << "stage: x " << stage.xMin << " to " << stage.xMax << ", y " << stage.yMin << " to " << stage.yMax
        << " twips\n"
        << "stage size: "
        << (size ? std::to_string(size->width) + " x " + std::to_string(size->height) + " pixels" : "none") << '\n'
        << "frame rate: " << FramesPerSecond(header.frameRate) << " frames a second\n"
        << "frame count: " << header.frameCount << '\n';
}

int Info(const std::string& movie, Streams streams)
{
    try {
        RequireMovieFile(movie);
        std::ifstream in(NativePath(movie), std::ios::binary);
        if (!in)
            throw FileError(FileError::Kind::Open, movie);
        const auto header = ReadMovieHeader(in);
        if (!header)
            throw std::runtime_error("'" + movie + "' is not a Flash movie, or is cut short: no size known");
        PrintHeader(streams.out, *header);
        return Success;
    } catch (...) {
        return ReportCaughtError(streams.err, movie);
    }
}

}  // namespace

int RunInfo(Arguments arguments, Streams streams)
{
    std::optional<std::string> movie;
    bool help = false, optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            if (movie)
                throw UsageError("info: only one movie can be given");
            movie = argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            help = true;
        } else {
            throw UsageError("info: unknown option '" + argument + "'");
        }
    }
    if (help) {
        streams.out << "Usage: " << ProgramName << ' ' << InfoHelp;
        return Success;
    }
    if (!movie)
        throw UsageError("info: no movie given");
    return Info(*movie, streams);
}

}  // namespace sorvane::cli
