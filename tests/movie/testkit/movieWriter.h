// Writes small Flash movies for the tests, so that no movie file from
// elsewhere is needed: a header with any stage rectangle and field width, any
// of the three signatures, and a few tags.
#pragma once

#include "movieHeader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace sorvane::testmovie {

struct TestMovie {
    MovieCompression compression = MovieCompression::None;
    std::uint8_t version = 10;
    StageRect stage{0, 550 * 20, 0, 400 * 20};
    std::optional<int> rectFieldBits;  // the fewest that hold the stage's four values when not given
    std::uint16_t frameRate = 0x0C00;
    std::uint16_t frameCount = 1;
    std::string tags;  // after the header, such as BackgroundMovieTags()
};

// The tags of a one-frame movie that shows nothing but its background colour:
// SetBackgroundColor, ShowFrame, End.
std::string BackgroundMovieTags(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The movie's bytes, its stated file length being its decompressed length.
std::string MovieBytes(const TestMovie& movie);

}  // namespace sorvane::testmovie
