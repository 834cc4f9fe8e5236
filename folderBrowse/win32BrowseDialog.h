// The folder browser on Windows: the shell's own SHBrowseForFolder dialog.
// Free of Qt and of Windows headers, so that it can be checked with a cross
// compiler that has no Qt for Windows.
#pragma once

#include "browseDialog.h"

class Win32BrowseDialog final : public TBrowseDialogBackend {
public:
    TItemIdListPtr ShowBrowseDialog(const TBrowseInfo& info) override;
    std::intptr_t SendDialogMessage(TWindowHandle dialog, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override;
    TItemIdListPtr SpecialFolderLocation(int csidl) override;
    std::string PathFromIdList(const TItemIdList& item) override;
};
