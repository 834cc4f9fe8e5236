// Checked by the MinGW cross compiler only: our BIF_/CSIDL_/BFFM_ constants
// must have the values of the shell's headers. Each list is expanded once
// before the shell's headers (our constants) and once after (the shell's
// macros of the same names).
#include "browseDialog.h"

#include <cstddef>

#define FLAG_BITS                                                                                                      \
    {                                                                                                                  \
        BIF_RETURNONLYFSDIRS, BIF_DONTGOBELOWDOMAIN, BIF_STATUSTEXT, BIF_RETURNFSANCESTORS, BIF_EDITBOX, BIF_VALIDATE, \
            BIF_BROWSEFORCOMPUTER, BIF_BROWSEFORPRINTER                                                                \
    }
#define SPECIAL_FOLDERS                                                                                                \
    {                                                                                                                  \
        CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_CONTROLS, CSIDL_PRINTERS, CSIDL_PERSONAL, CSIDL_FAVORITES, CSIDL_STARTUP, \
            CSIDL_RECENT, CSIDL_SENDTO, CSIDL_BITBUCKET, CSIDL_STARTMENU, CSIDL_DESKTOPDIRECTORY, CSIDL_DRIVES,        \
            CSIDL_NETWORK, CSIDL_NETHOOD, CSIDL_FONTS, CSIDL_TEMPLATES, CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS, \
            CSIDL_COMMON_STARTUP, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_APPDATA, CSIDL_PRINTHOOD                        \
    }
#define MESSAGES                                                                                                       \
    {                                                                                                                  \
        BFFM_INITIALIZED, BFFM_SELCHANGED, BFFM_VALIDATEFAILEDA, BFFM_SETSTATUSTEXTA, BFFM_SETSELECTIONA               \
    }

namespace ours {
constexpr unsigned flagBits[] = FLAG_BITS;
constexpr int specialFolders[] = SPECIAL_FOLDERS;
constexpr unsigned messages[] = MESSAGES;
}  // namespace ours

// The shell headers need the types of <windows.h>, so it comes first.
#include <windows.h>

#include <shlobj.h>

namespace shell {
constexpr unsigned flagBits[] = FLAG_BITS;
constexpr int specialFolders[] = SPECIAL_FOLDERS;
constexpr unsigned messages[] = MESSAGES;
}  // namespace shell

template <typename T, std::size_t N>
constexpr bool Same(const T (&left)[N], const T (&right)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (left[i] != right[i])
            return false;
    return true;
}

static_assert(Same(ours::flagBits, shell::flagBits), "BIF_ constants differ from the shell's");
static_assert(Same(ours::specialFolders, shell::specialFolders), "CSIDL_ constants differ from the shell's");
static_assert(Same(ours::messages, shell::messages), "BFFM_ constants differ from the shell's");
