// TBrowseForFolder: a non-visual component that lets the user pick a folder in
// the shell's folder browser. A window owns it (QObject parent), sets its
// published properties (also by name through setProperty, the way a window
// resource does: "bl_DRIVES", "bf_EditBox|bf_ReturnOnlyFSDIRS"), and calls
// Execute(); after a confirmed run FolderName holds the chosen folder.
//
//     auto* browse = new TBrowseForFolder(this);                    // platform dialog
//     auto* browse = new TBrowseForFolder(this, desktop.FolderBrowser()); // given backend
//     browse->SetFolderName(start);
//     if (browse->Execute()) use(browse->FolderName());
#pragma once

#include "browseDialog.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QWidget;

// The callback data of one run: what the dialog selects and shows when it
// opens, and the backend that carries those messages to it.
struct TBrowseCallbackData {
    std::string FolderText;
    std::string StatusText;
    TBrowseDialogBackend* Shell = nullptr;
};

class TBrowseForFolder : public QObject {
    Q_OBJECT

public:
    // Each member is one bit of the set (1 << ordinal); the flag word bit it
    // stands for is given by the component's mapping, not by this value.
    enum class TBrowseFlag {
        bf_BrowseForComputer = 1 << 0,
        bf_BrowseForPrinter = 1 << 1,
        bf_DontGoBelowDomain = 1 << 2,
        bf_statustext = 1 << 3,
        bf_ReturnFSanceStors = 1 << 4,
        bf_ReturnOnlyFSDIRS = 1 << 5,
        bf_EditBox = 1 << 6,
    };
    Q_DECLARE_FLAGS(TBrowseFlags, TBrowseFlag)
    Q_FLAG(TBrowseFlags)

    enum class TBrowseLocation {
        bl_STANDART,
        bl_CUSTOM,
        bl_DESKTOP,
        bl_PROGRAMS,
        bl_CONTROLS,
        bl_PRINTERS,
        bl_PERSONAL,
        bl_FAVORITES,
        bl_STARTUP,
        bl_RECENT,
        bl_SENDTO,
        bl_BITBUCKET,
        bl_STARTMENU,
        bl_DESKTOPDIRECTORY,
        bl_DRIVES,
        bl_NETWORK,
        bl_NETHOOD,
        bl_FONTS,
        bl_TEMPLATES,
        bl_COMMON_STARTMENU,
        bl_COMMON_PROGRAMS,
        bl_COMMON_STARTUP,
        bl_COMMON_DESKTOPDIRECTORY,
        bl_APPDATA,
        bl_PRINTHOOD,
    };
    Q_ENUM(TBrowseLocation)

    Q_PROPERTY(QString DisplayName READ DisplayName)
    Q_PROPERTY(QString StatusText READ StatusText WRITE SetStatusText)
    Q_PROPERTY(QString FolderName READ FolderName WRITE SetFolderName)
    Q_PROPERTY(TBrowseFlags Flags READ Flags WRITE SetFlags)
    Q_PROPERTY(TBrowseLocation Root READ Root WRITE SetRoot)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)

    // Shows the platform's folder browser (DefaultBrowseDialogBackend()).
    explicit TBrowseForFolder(QObject* owner);
    // Shows its dialog through backend, which must outlive the component.
    TBrowseForFolder(QObject* owner, TBrowseDialogBackend& backend);
    ~TBrowseForFolder() override;

    QString DisplayName() const { return displayName_; }
    QString StatusText() const { return statusText_; }
    void SetStatusText(const QString& text) { statusText_ = text; }
    QString FolderName() const { return folderName_; }
    void SetFolderName(const QString& folder) { folderName_ = folder; }
    TBrowseFlags Flags() const;
    void SetFlags(TBrowseFlags flags);
    TBrowseLocation Root() const { return root_; }
    void SetRoot(TBrowseLocation root) { root_ = root; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption) { caption_ = caption; }

    // The root used when Root is bl_CUSTOM; none at creation (the whole
    // namespace). The item must come from this component's backend.
    const TItemIdList* CustomRoot() const { return customRoot_.get(); }
    void SetCustomRoot(TItemIdListPtr root) { customRoot_ = std::move(root); }

    // The dialog's flag word as it stands (BIF_ bits), BIF_VALIDATE included.
    unsigned FlagWord() const { return browseInfo_.Flags; }

    // Runs the dialog modally over the owner's window. True when the user
    // confirmed an item: FolderName is then its file-system path (empty when
    // it has none) and DisplayName its display name. False on cancel, and
    // nothing changes. Throws std::runtime_error("Invalid class typecast"),
    // before anything is shown, when the owner is not a widget.
    bool Execute();

    // The dialog's callback; data points to a TBrowseCallbackData.
    static int BrowseCallback(TWindowHandle window, unsigned message, std::intptr_t parameter, std::intptr_t data);

private:
    QWidget* OwnerWindow() const;
    TItemIdListPtr SpecialRoot() const;
    TItemIdListPtr ShowDialog(const TItemIdList* root, TBrowseCallbackData& callbackData, std::string& displayName);

    std::unique_ptr<TBrowseDialogBackend> ownBackend_;
    TBrowseDialogBackend* backend_;
    TBrowseInfo browseInfo_;
    TItemIdListPtr customRoot_;
    QString displayName_;
    QString statusText_ = QStringLiteral("Plase select folder");
    QString folderName_ = QStringLiteral("C:\\");
    TBrowseLocation root_ = TBrowseLocation::bl_STANDART;
    QString caption_ = QStringLiteral("Select Folder");
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseForFolder::TBrowseFlags)

using TBrowseFlag = TBrowseForFolder::TBrowseFlag;
using TBrowseFlags = TBrowseForFolder::TBrowseFlags;
using TBrowseLocation = TBrowseForFolder::TBrowseLocation;
