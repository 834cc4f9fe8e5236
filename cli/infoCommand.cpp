#include "infoCommand.h"

#include "jsonText.h"
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

std::optional<std::string> Number(auto value)
{
    return std::to_string(value);
}

// The header as one JSON object, each line of PrintHeader a member or more.
void PrintHeaderJson(std::ostream& out, const std::string& movie, const MovieHeader& header)
{
    const StageRect& stage = header.stage;
    const auto size = StageSizeOf(stage);
    out << JsonObjectLine({{"path", movie},
                           {"signature", std::string(SignatureOf(header.compression))},
                           {"compression", std::string(CompressionNames[static_cast<int>(header.compression)])},
                           {"version", Number(int{header.version}), true},
                           {"file_length", Number(header.fileLength), true},
                           {"stage_x_min", Number(stage.xMin), true},
                           {"stage_x_max", Number(stage.xMax), true},
                           {"stage_y_min", Number(stage.yMin), true},
                           {"stage_y_max", Number(stage.yMax), true},
                           {"stage_width", size ? Number(size->width) : std::nullopt, true},
                           {"stage_height", size ? Number(size->height) : std::nullopt, true},
                           {"frame_rate", FramesPerSecond(header.frameRate), true},
                           {"frame_count", Number(header.frameCount), true},
                           {"actionscript", std::string(NameOf(header.machine))},
                           {"language", std::string(LanguageOf(header.machine))},
                           {"error", std::nullopt}});
}

int Info(const std::string& movie, bool json, Streams streams)
{
    try {
        RequireMovieFile(movie);
        std::ifstream in(NativePath(movie), std::ios::binary);
        if (!in)
            throw FileError(FileError::Kind::Open, movie);
        const auto header = ReadMovieHeader(in);
        if (!header)
            throw std::runtime_error("'" + movie + "' is not a Flash movie, or is cut short: no size known");
        if (json)
            PrintHeaderJson(streams.out, movie, *header);
        else
            PrintHeader(streams.out, *header);
        return Success;
    } catch (...) {
        if (json)
            streams.out << JsonObjectLine({{"path", movie}, {"error", DescribeError(std::current_exception(), movie)}});
        return ReportCaughtError(streams.err, movie);
    }
}

// info's table: --json and the help, one movie.
struct InfoCommandLine {
    std::vector<std::string> movies;
    bool json = false;
    OptionTable table{
        "info", "Prints the header of the Flash movie MOVIE: its signature, version, file length, stage "
                "rectangle and size, frame rate, frame count and ActionScript machine (AVM1 for ActionScript 1 and 2, "
                "AVM2 for 3). A file that is not a Flash movie, or is cut "
                "short, is reported."};

    InfoCommandLine()
    {
        table.Options().add_flag("--json", json,
                                 "print the header as one JSON object: path, signature, compression, version, "
                                 "file_length, stage_x_min, stage_x_max, stage_y_min, stage_y_max, stage_width, "
                                 "stage_height (null when none), frame_rate, frame_count, actionscript (AVM1 or AVM2), "
                                 "language, error (null); on an error, path and error alone");
        table.Operands("MOVIE", movies, false);
    }
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
    return Info(commandLine.movies.front(), commandLine.json, streams);
}

}  // namespace sorvane::cli
