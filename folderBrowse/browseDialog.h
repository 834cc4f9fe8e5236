// What the folder picker needs from the shell's folder browser, as one small
// interface with a backend per platform: the shell's SHBrowseForFolder on
// Windows (win32BrowseDialog.cpp) and a Qt folder dialog elsewhere
// (qtBrowseDialog.cpp). Tests plug in a scripted backend.
//
// This header includes no Qt and no Windows header: the Windows backend
// includes it before <windows.h>, so the shell's own BIF_/CSIDL_/BFFM_ macros
// (same names, same values) only take over after these constants exist.
//
// Texts cross this interface as byte strings in the system's 8-bit code page
// (the "A" variants of the shell's calls); the component converts them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// ------------------------------------------------------------- flag word --
// Bits of the dialog's flag word (BROWSEINFO.ulFlags).
constexpr unsigned BIF_RETURNONLYFSDIRS = 0x0001;
constexpr unsigned BIF_DONTGOBELOWDOMAIN = 0x0002;
constexpr unsigned BIF_STATUSTEXT = 0x0004;
constexpr unsigned BIF_RETURNFSANCESTORS = 0x0008;
constexpr unsigned BIF_EDITBOX = 0x0010;
constexpr unsigned BIF_VALIDATE = 0x0020;
constexpr unsigned BIF_BROWSEFORCOMPUTER = 0x1000;
constexpr unsigned BIF_BROWSEFORPRINTER = 0x2000;

// ------------------------------------------------------ special folders --
// CSIDL values of the shell's special folders that can root the dialog.
constexpr int CSIDL_DESKTOP = 0x00;
constexpr int CSIDL_PROGRAMS = 0x02;
constexpr int CSIDL_CONTROLS = 0x03;
constexpr int CSIDL_PRINTERS = 0x04;
constexpr int CSIDL_PERSONAL = 0x05;
constexpr int CSIDL_FAVORITES = 0x06;
constexpr int CSIDL_STARTUP = 0x07;
constexpr int CSIDL_RECENT = 0x08;
constexpr int CSIDL_SENDTO = 0x09;
constexpr int CSIDL_BITBUCKET = 0x0A;
constexpr int CSIDL_STARTMENU = 0x0B;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x10;
constexpr int CSIDL_DRIVES = 0x11;
constexpr int CSIDL_NETWORK = 0x12;
constexpr int CSIDL_NETHOOD = 0x13;
constexpr int CSIDL_FONTS = 0x14;
constexpr int CSIDL_TEMPLATES = 0x15;
constexpr int CSIDL_COMMON_STARTMENU = 0x16;
constexpr int CSIDL_COMMON_PROGRAMS = 0x17;
constexpr int CSIDL_COMMON_STARTUP = 0x18;
constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x19;
constexpr int CSIDL_APPDATA = 0x1A;
constexpr int CSIDL_PRINTHOOD = 0x1B;

// ------------------------------------------------------------- messages --
// From the dialog to the callback.
constexpr unsigned BFFM_INITIALIZED = 1;
constexpr unsigned BFFM_SELCHANGED = 2;
constexpr unsigned BFFM_VALIDATEFAILEDA = 3;
// From the callback to the dialog (WM_USER + 100 and WM_USER + 102); the
// message parameter is 1 when the text is a path.
constexpr unsigned BFFM_SETSTATUSTEXTA = 0x0400 + 100;
constexpr unsigned BFFM_SETSELECTIONA = 0x0400 + 102;

// A window as the platform knows it: the HWND on Windows, the native window
// id (QWidget::winId()) elsewhere. Only compared and handed back, never
// dereferenced by the component.
using TWindowHandle = std::uintptr_t;

// A shell item (an item identifier list). Each backend derives its own kind;
// destroying one releases it, so a run leaks none.
class TItemIdList {
public:
    virtual ~TItemIdList() = default;
};
using TItemIdListPtr = std::unique_ptr<TItemIdList>;

// The dialog's callback: the dialog window, the message, its parameter and
// the callback data of the parameter record.
using TBrowseCallbackProc = int (*)(TWindowHandle dialog, unsigned message, std::intptr_t parameter,
                                    std::intptr_t data);

// The dialog's parameter record (the shell's BROWSEINFO).
struct TBrowseInfo {
    TWindowHandle Owner = 0;             // the dialog is modal to this window
    const TItemIdList* Root = nullptr;   // top of the tree; null: the whole namespace
    std::string* DisplayName = nullptr;  // receives the chosen item's display name
    std::string Title;                   // the instruction text above the tree
    unsigned Flags = 0;                  // the flag word (BIF_ bits)
    TBrowseCallbackProc Callback = nullptr;
    std::intptr_t CallbackData = 0;
};

class TBrowseDialogBackend {
public:
    virtual ~TBrowseDialogBackend() = default;

    // Shows the dialog modally and returns when the user closes it: the chosen
    // item, or null when the user cancelled. Calls info.Callback with
    // BFFM_INITIALIZED once the dialog is open.
    virtual TItemIdListPtr ShowBrowseDialog(const TBrowseInfo& info) = 0;

    // Sends a BFFM_ message to the open dialog; the text messages carry a
    // const char* in lParam. A handle that is not the open dialog is ignored.
    virtual std::intptr_t SendDialogMessage(TWindowHandle dialog, unsigned message, std::uintptr_t wParam,
                                            std::intptr_t lParam) = 0;

    // The item of a special folder, or null when the platform has none.
    virtual TItemIdListPtr SpecialFolderLocation(int csidl) = 0;

    // The file-system path of an item; empty when it has none.
    virtual std::string PathFromIdList(const TItemIdList& item) = 0;
};

// The backend of this platform: the shell's folder browser on Windows, a Qt
// folder dialog elsewhere.
std::unique_ptr<TBrowseDialogBackend> DefaultBrowseDialogBackend();
