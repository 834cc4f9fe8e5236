// The folder browser outside Windows: a Qt folder dialog (QFileDialog in
// Directory mode, Qt's own widgets) that behaves as the shell's dialog does
// for the folder picker: the title text as the window title, a tree that
// cannot be left above its root, an edit box and a status line only when the
// flag word asks for them, and the chosen folder's path and name.
//
// Items are folder paths. The special folders map onto the nearest standard
// locations of the desktop (QStandardPaths); one that has no counterpart, or
// whose folder does not exist, gives no item and so the whole file system.
#pragma once

#include "browseDialog.h"

#include <QString>

class QtBrowseDialog final : public TBrowseDialogBackend {
public:
    TItemIdListPtr ShowBrowseDialog(const TBrowseInfo& info) override;
    std::intptr_t SendDialogMessage(TWindowHandle dialog, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override;
    TItemIdListPtr SpecialFolderLocation(int csidl) override;
    std::string PathFromIdList(const TItemIdList& item) override;

    // An item for a folder, e.g. for TBrowseForFolder::SetCustomRoot().
    static TItemIdListPtr FolderItem(const QString& path);

    // Object names of the dialog's own parts, for tests and style sheets.
    static constexpr const char* DialogObjectName = "folderBrowseDialog";
    static constexpr const char* StatusLineObjectName = "statusText";
    // The field where a folder's path is typed or pasted; Enter goes there.
    static constexpr const char* PathFieldObjectName = "folderPath";

private:
    class FolderDialog;
    FolderDialog* openDialog_ = nullptr;
};
