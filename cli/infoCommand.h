// sorvane-cli info MOVIE
#pragma once

#include "commandLine.h"

namespace sorvane::cli {

inline constexpr std::string_view InfoHelp =
    "info MOVIE\n"
    "      Prints the header of the Flash movie MOVIE: its signature, version,\n"
    "      file length, stage rectangle and size, frame rate and frame count.\n"
    "      A file that is not a Flash movie, or is cut short, is reported.\n";

int RunInfo(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
