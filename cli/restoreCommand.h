// sorvane-cli restore [--force] [--clean] [-r] [--exclude GLOB]... [--json] [-q] PAGE...
#pragma once

#include "pageRun.h"

namespace sorvane::cli {

inline constexpr std::string_view RestoreHelp =
    "restore [--force] [--clean] [-r] [--exclude GLOB]... [--json] [-q] PAGE...\n"
    "      Puts back each page's newest backup, the one with the highest number\n"
    "      (NAME_backup.EXT is number 0, then NAME_backup1.EXT, ...): the page\n"
    "      gets the backup's bytes, replaced at once as a whole. Only while the\n"
    "      page is still what its conversion made of that backup (the backup with\n"
    "      an include and, per block, a call and a noscript copy): a page edited\n"
    "      since is left as it is. A backup that is a symbolic link, no regular\n"
    "      file, or belongs to neither the page's owner nor you is not used. When\n"
    "      a page given by name has no backup, nothing at all is restored; a page\n"
    "      found with -r that never had one is passed over.\n"
    "      --force           restore an edited page too, after keeping it as\n"
    "                        NAME_edited.EXT (or NAME_editedN.EXT)\n"
    "      --clean           then remove the backups used, and the script files\n"
    "                        of the restored pages that hold only converted\n"
    "                        functions and that no page of the run or of their\n"
    "                        folders loads any more\n" SORVANE_PAGE_RUN_OPTIONS_HELP;

int RunRestore(Arguments arguments, Streams streams);

}  // namespace sorvane::cli
