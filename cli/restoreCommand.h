// sorvane-cli restore [--force] [--clean] [-r] [--exclude GLOB]... [--json] [-q] PAGE...
#pragma once

#include "pageRun.h"

namespace sorvane::cli {

// The command's synopsis, description and options, for the help.
std::string RestoreHelp();

int RunRestore(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
