// sorvane-cli info [--json] MOVIE
#pragma once

#include "commandLine.h"

namespace sorvane::cli {

// The command's synopsis and description, for the help.
std::string InfoHelp();

int RunInfo(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
