// The header of a Flash movie (.swf): its signature, version, length, stage
// rectangle, frame rate and frame count, and from its first tag the
// ActionScript machine it needs. The generator offers the stage size
// as the movie's width and height; "sorvane-cli info" prints every field.
// Plain C++; only the few bytes the header needs are read and decompressed,
// so a movie of any size costs the same.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// What follows the first 8 bytes: the signature says which.
enum class MovieCompression {
    None,  // "FWS"
    Zlib,  // "CWS": a zlib stream from byte 8
    Lzma,  // "ZWS": compressed length, 5 LZMA property bytes, raw LZMA stream
};

// The stage rectangle in twips, 20 to the pixel, as the movie stores it.
struct StageRect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    friend bool operator==(const StageRect&, const StageRect&) = default;
};

// Whole pixels; both at least 1.
struct StageSize {
    int width = 0, height = 0;
    friend bool operator==(const StageSize&, const StageSize&) = default;
};

// Which of the player's two virtual machines runs the movie's ActionScript:
// AVM1 for ActionScript 1 and 2, AVM2 for ActionScript 3. Players that
// emulate Flash support the two to a different degree.
enum class ActionScriptMachine {
    Avm1,
    Avm2,
};

struct MovieHeader {
    MovieCompression compression = MovieCompression::None;
    std::uint8_t version = 0;
    std::uint32_t fileLength = 0;  // of the whole movie once decompressed, as stated
    StageRect stage;
    std::uint16_t frameRate = 0;  // 8.8 fixed point: 0x0C80 is 12.5 frames a second
    std::uint16_t frameCount = 0;
    // AVM2 when the movie's first tag is a FileAttributes tag (69) with its
    // ActionScript 3 flag (bit 3) set; AVM1 otherwise, as in every movie
    // before version 8, which has no such tag.
    ActionScriptMachine machine = ActionScriptMachine::Avm1;
    friend bool operator==(const MovieHeader&, const MovieHeader&) = default;
};

// "AVM1" or "AVM2".
std::string_view NameOf(ActionScriptMachine machine);
// The ActionScript versions the machine runs: "ActionScript 1 and 2" or
// "ActionScript 3".
std::string_view LanguageOf(ActionScriptMachine machine);

// "FWS", "CWS" or "ZWS".
std::string_view SignatureOf(MovieCompression compression);
// The compression a signature stands for; nothing for any other text.
std::optional<MovieCompression> CompressionOf(std::string_view signature);

// The header of the movie whose first bytes are movieStart; nothing when they
// are not a Flash movie or are cut short before the header ends.
std::optional<MovieHeader> ParseMovieHeader(std::string_view movieStart);

// The same for a movie read from a stream, which is left just past the
// bytes the header needed (for a compressed movie, a few kilobytes on).
std::optional<MovieHeader> ReadMovieHeader(std::istream& movie);

// The stage's width and height rounded to whole pixels; nothing when either
// is less than one pixel.
std::optional<StageSize> StageSizeOf(const StageRect& stage);

// The header of the movie file at path; nothing when it is not known, for
// whatever reason (no such file, unreadable, not a movie, cut short).
std::optional<MovieHeader> MovieFileHeader(const std::string& path);

// The stage size of the movie file at path; nothing when it is not known,
// as for MovieFileHeader, or when the stage is less than a pixel.
std::optional<StageSize> MovieStageSize(const std::string& path);

// True when the file at path starts with a movie's signature (FWS, CWS or
// ZWS), whatever follows it; false for any other file, and when there is no
// such file or it cannot be read. The wizard asks before it embeds a file
// without one.
bool HasMovieSignature(const std::string& path);

}  // namespace sorvane
