// sorvane-cli convert [--no-backup] [--script-dir DIR] [--player SRC] [-r] ... PAGE...
// Its options are in ConvertCommandLine, in convertCommand.cpp.
#pragma once

#include "pageRun.h"

namespace sorvane::cli {

// The command's synopsis, description and options, for the help.
std::string ConvertHelp();

int RunConvert(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
