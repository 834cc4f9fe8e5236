// sorvane-cli convert [--no-backup] [--script-dir DIR] [--player SRC] PAGE...
#pragma once

#include "commandLine.h"

namespace sorvane::cli {

inline constexpr std::string_view ConvertHelp =
    "convert [--no-backup] [--script-dir DIR] [--player SRC] PAGE...\n"
    "      Moves every Flash <object> block of each page into a function of the\n"
    "      page's script file (NAME.js beside the page) and calls it from the page.\n"
    "      Pages are converted in the order given, in one run: the function\n"
    "      numbers and the collected functions go on from page to page. A page\n"
    "      that fails is reported and the next one is converted.\n"
    "      --no-backup       do not copy each page to NAME_backup.EXT first\n"
    "      --script-dir DIR  write the script files into DIR instead\n"
    "      --player SRC      make each page load the Flash player script SRC (such\n"
    "                        as Ruffle's ruffle.js) after its script file: a web\n"
    "                        address (http://, https://, //) as given, or a local\n"
    "                        file, referred to from the page\n";

int RunConvert(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
