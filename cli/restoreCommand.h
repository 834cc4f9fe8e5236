// sorvane-cli restore [-r] [--exclude GLOB]... [--json] [-q] PAGE...
#pragma once

#include "pageRun.h"

namespace sorvane::cli {

inline constexpr std::string_view RestoreHelp =
    "restore [-r] [--exclude GLOB]... [--json] [-q] PAGE...\n"
    "      Puts back each page's newest backup, the one with the highest number\n"
    "      (NAME_backup.EXT is number 0, then NAME_backup1.EXT, ...): the page\n"
    "      gets the backup's bytes, replaced at once as a whole. The backup stays,\n"
    "      and script files are left as they are, as other pages may call their\n"
    "      functions. When a page has no backup, nothing at all is restored.\n" SORVANE_PAGE_RUN_OPTIONS_HELP;

int RunRestore(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
