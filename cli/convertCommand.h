// sorvane-cli convert [--no-backup] [--script-dir DIR] PAGE...
#pragma once

#include "commandLine.h"

namespace sorvane::cli {

inline constexpr std::string_view ConvertHelp =
    "convert [--no-backup] [--script-dir DIR] PAGE...\n"
    "      Moves every Flash <object> block of each page into a function of the\n"
    "      page's script file (NAME.js beside the page) and calls it from the page.\n"
    "      Pages are converted in the order given, in one run: the function\n"
    "      numbers go on from page to page, and each script file gets the\n"
    "      functions of the pages that use it. A page that fails is reported and\n"
    "      the next one is converted.\n"
    "      --no-backup       do not copy each page to NAME_backup.EXT first\n"
    "      --script-dir DIR  write the script files into DIR instead\n";

int RunConvert(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
