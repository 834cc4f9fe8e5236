// sorvane-cli convert [--no-backup] [--script-dir DIR] [--player SRC] [-r] ... PAGE...
#pragma once

#include "pageRun.h"

namespace sorvane::cli {

inline constexpr std::string_view ConvertHelp =
    "convert [--no-backup] [--script-dir DIR] [--player SRC] [-r] [--exclude GLOB]... [--dry-run | --diff] [--json] "
    "[-q] PAGE...\n"
    "      Moves every Flash <object> block of each page into a function of the\n"
    "      page's script file (NAME.js beside the page) and calls it from the page.\n"
    "      Pages are converted in the order given, in one run: the function\n"
    "      numbers go on from page to page, and each script file gets the\n"
    "      functions of the pages that use it. A page that fails is reported and\n"
    "      the next one is converted.\n"
    "      --no-backup       do not copy each page to NAME_backup.EXT first\n"
    "      --script-dir DIR  write the script files into DIR instead\n"
    "      --player SRC      make each page load the Flash player script SRC (such\n"
    "                        as Ruffle's ruffle.js) after its script file: a web\n"
    "                        address (http://, https://, //) as given, or a local\n"
    "                        file, referred to from the page\n"
    "      --dry-run         read every page and tell, per page, how many blocks\n"
    "                        would be converted and which files would be created or\n"
    "                        replaced; write nothing\n"
    "      --diff            print the changes of every page and script file as a\n"
    "                        unified diff, labels a/PATH and b/PATH with the path\n"
    "                        from the current folder; write nothing\n" SORVANE_PAGE_RUN_OPTIONS_HELP;

int RunConvert(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
