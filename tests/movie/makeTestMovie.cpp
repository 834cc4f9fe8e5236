// Writes a one-frame test movie of one background colour, for the tests that
// drive the built programs and a browser.
//
// usage: makeTestMovie FILE FWS|CWS|ZWS WIDTH HEIGHT RRGGBB
#include "movieWriter.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const auto compression = argc == 6 ? sorvane::CompressionOf(argv[2]) : std::nullopt;
    if (!compression) {
        std::cerr << "usage: makeTestMovie FILE FWS|CWS|ZWS WIDTH HEIGHT RRGGBB\n";
        return 2;
    }
    const unsigned long rgb = std::stoul(argv[5], nullptr, 16);
    const sorvane::testmovie::TestMovie movie{
        .compression = *compression,
        .stage = {0, std::stoi(argv[3]) * 20, 0, std::stoi(argv[4]) * 20},
        .tags = sorvane::testmovie::BackgroundMovieTags(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF)};
    std::ofstream(argv[1], std::ios::binary) << sorvane::testmovie::MovieBytes(movie);
    return 0;
}
