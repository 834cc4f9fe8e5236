// sorvane-cli generate [--width W] [--height H] [--name NAME] [--quality best|high|low] [--player SRC] MOVIE
#pragma once

#include "commandLine.h"

namespace sorvane::cli {

inline constexpr std::string_view GenerateHelp =
    "generate [--width W] [--height H] [--name NAME] [--quality best|high|low] [--player SRC] [--force] MOVIE\n"
    "      Writes NAME.js beside the Flash movie MOVIE (replacing one that generate\n"
    "      wrote), whose one statement writes the movie's <object>/<embed> markup,\n"
    "      and prints the snippet to paste into a page: exactly its bytes, lines\n"
    "      ending in CR LF, no line end after the last. Blank sizes or name, and\n"
    "      sizes holding more than digits and %, are warned about, not refused.\n"
    "      --width W         the movie's width, such as 550 or 100% (default: the\n"
    "                        width of the movie's stage, blank when not known)\n"
    "      --height H        the movie's height (default: its stage's, or blank)\n"
    "      --name NAME       its name/id in the page (default: the movie's base name)\n"
    "      --quality Q       best, high or low (default: best)\n"
    "      --player SRC      start the snippet with a line that loads the Flash\n"
    "                        player script SRC (such as Ruffle's ruffle.js): a web\n"
    "                        address (http://, https://, //) as given, or a local\n"
    "                        file, referred to from the movie's folder\n"
    "      --force           replace NAME.js also when it holds other script code,\n"
    "                        such as a converted page's functions (refused without)\n";

int RunGenerate(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
