// sorvane-cli generate [--width W] [--height H] [--name NAME] [--quality best|high|low] [--player SRC] [--player-dir
// DIR] [--force] [--json] MOVIE
#pragma once

#include "commandLine.h"

namespace sorvane::cli {

// The command's synopsis, description and options, for the help.
std::string GenerateHelp();

int RunGenerate(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
