#include "infoCommand.h"

#include "movieFile.h"
#include "movieHeader.h"
#include "nativePath.h"
#include "optionTable.h"
#include "unitACConvertor.h"

#include <charconv>
#include <fstream>

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
        << "frame count: " << header.frameCount << '\n'
        << "ActionScript: " << NameOf(header.machine) << " (" << LanguageOf(header.machine) << ")\n";
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

// info's table: no options but the help, one movie.
struct InfoCommandLine {
    std::vector<std::string> movies;
    OptionTable table{
        "info", "Prints the header of the Flash movie MOVIE: its signature, version, file length, stage "
                "rectangle and size, frame rate, frame count and ActionScript machine (AVM1 for ActionScript 1 and 2, "
                "AVM2 for 3). A file that is not a Flash movie, or is cut "
                "short, is reported."};

    InfoCommandLine() { table.Operands("MOVIE", movies, false); }
};

}  // namespace

std::string InfoHelp()
{
    return InfoCommandLine().table.Help();
}

int RunInfo(Arguments arguments, Streams streams)
{
    InfoCommandLine commandLine;
    if (!commandLine.table.Parse(arguments, streams.out))
        return Success;
    return Info(commandLine.movies.front(), streams);
}

}  // namespace sorvane::cli
