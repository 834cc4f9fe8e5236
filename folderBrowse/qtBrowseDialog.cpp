#include "qtBrowseDialog.h"

#include "qtBytes.h"

#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTreeView>
#include <QUrl>

namespace {

class FolderPathItem final : public TItemIdList {
public:
    explicit FolderPathItem(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

private:
    QString path_;
};

QString CleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
}

bool IsWithin(const QString& path, const QString& root)
{
    return path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

QString DisplayNameOf(const QString& folder)
{
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

QString Below(const QString& folder, const char* subfolder)
{
    if (folder.isEmpty() || !subfolder)
        return folder;
    return folder + u'/' + QLatin1String(subfolder);
}

// The current user's own folder of a kind.
QString UserLocation(QStandardPaths::StandardLocation kind, const char* subfolder = nullptr)
{
    return Below(QStandardPaths::writableLocation(kind), subfolder);
}

// The folder of a kind that all users share: the first existing one outside
// the home folder.
QString CommonLocation(QStandardPaths::StandardLocation kind, const char* subfolder = nullptr)
{
    const QString home = QDir::cleanPath(QDir::homePath());
    for (const QString& location : QStandardPaths::standardLocations(kind)) {
        const QString folder = Below(QDir::cleanPath(location), subfolder);
        if (!IsWithin(folder, home) && QFileInfo(folder).isDir())
            return folder;
    }
    return {};
}

QString SpecialFolderPath(int csidl)
{
    using Paths = QStandardPaths;
    switch (csidl) {
    case CSIDL_DESKTOP:  // the top of the namespace
    case CSIDL_DRIVES:   // the computer: every drive is mounted below "/"
        return QDir::rootPath();
    case CSIDL_PROGRAMS:
    case CSIDL_STARTMENU: return UserLocation(Paths::ApplicationsLocation);
    case CSIDL_PERSONAL: return UserLocation(Paths::DocumentsLocation);
    case CSIDL_STARTUP: return UserLocation(Paths::GenericConfigLocation, "autostart");
    case CSIDL_BITBUCKET: return UserLocation(Paths::GenericDataLocation, "Trash/files");
    case CSIDL_DESKTOPDIRECTORY: return UserLocation(Paths::DesktopLocation);
    case CSIDL_TEMPLATES: return UserLocation(Paths::TemplatesLocation);
    case CSIDL_APPDATA: return UserLocation(Paths::GenericConfigLocation);
    case CSIDL_FONTS: return CommonLocation(Paths::FontsLocation);
    case CSIDL_COMMON_STARTMENU:
    case CSIDL_COMMON_PROGRAMS: return CommonLocation(Paths::ApplicationsLocation);
    case CSIDL_COMMON_STARTUP: return CommonLocation(Paths::GenericConfigLocation, "autostart");
    default:  // control panel, printers, network and the other folders without a counterpart
        return {};
    }
}

void ShowChild(QWidget& dialog, const char* objectName, bool visible)
{
    if (auto* child = dialog.findChild<QWidget*>(QLatin1String(objectName)))
        child->setVisible(visible);
}

}  // namespace

class QtBrowseDialog::FolderDialog final : public QFileDialog {
public:
    FolderDialog(QWidget* owner, const TBrowseInfo& info, QString root);

    TWindowHandle Handle() const { return reinterpret_cast<TWindowHandle>(this); }
    void SelectFolder(const QString& path);
    void ShowStatus(const QString& text) { statusLine_->setText(text); }
    QString ChosenFolder() const;
    int Notify(unsigned message, std::intptr_t parameter) const;

    void setVisible(bool visible) override;

protected:
    void accept() override;

private:
    void ShowPlaces();
    void LayOut(bool statusLineShown);
    void AddPathField(QGridLayout* grid, int row);
    void FolderEntered(const QString& folder);
    void GoToTypedFolder();
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool IsSelectable(const QString& folder) const;

    const TBrowseInfo& info_;
    const QString root_;
    const bool editBox_;
    QLineEdit* const nameEdit_;
    QLabel* statusLine_ = nullptr;
    QLineEdit* pathField_ = nullptr;
};

QtBrowseDialog::FolderDialog::FolderDialog(QWidget* owner, const TBrowseInfo& info, QString root)
    : QFileDialog(owner), info_(info), root_(std::move(root)), editBox_((info.Flags & BIF_EDITBOX) != 0),
      nameEdit_(findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
{
    setObjectName(QLatin1String(DialogObjectName));
    setAttribute(Qt::WA_WindowPropagation);  // the owner window's font, not the desktop's
    setOption(DontUseNativeDialog);
    setFileMode(Directory);
    setOption(ShowDirsOnly);
    setWindowTitle(sorvane::FromBytes(info.Title));
    ShowPlaces();
    ShowChild(*this, "fileNameLabel", editBox_);
    ShowChild(*this, "fileNameEdit", editBox_);
    ShowChild(*this, "fileTypeLabel", false);
    ShowChild(*this, "fileTypeCombo", false);
    LayOut((info.Flags & BIF_STATUSTEXT) != 0);
    // Folders have no size and are all of one type: those columns only take
    // the room that the names and dates need. The names take what the dates
    // leave.
    if (auto* details = findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* columns = details->header();
        columns->hideSection(1);
        columns->hideSection(2);
        columns->setSectionResizeMode(0, QHeaderView::Stretch);
        columns->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    }
    // Every way of moving (double-click, Up, Back, the path list) changes the
    // model's root path; not all of them report directoryEntered.
    if (auto* model = findChild<QFileSystemModel*>())
        connect(model, &QFileSystemModel::rootPathChanged, this, &FolderDialog::FolderEntered);
}

// The tree's top and, when it lies inside, the user's home, where the dialog
// opens unless a folder is pre-selected.
void QtBrowseDialog::FolderDialog::ShowPlaces()
{
    const QString home = QDir::cleanPath(QDir::homePath());
    QList<QUrl> places{QUrl::fromLocalFile(root_)};
    if (home != root_ && IsWithin(home, root_)) {
        places << QUrl::fromLocalFile(home);
        setDirectory(home);
    } else {
        setDirectory(root_);
    }
    setSidebarUrls(places);
}

// The file dialog's layout is made for a file name and a file type beside
// its buttons; without them its buttons would stand stacked under an empty
// strip and the "Look in" box would keep to the right. So the buttons go in
// a row of their own across the foot, under the status line, and the middle
// column takes the width.
void QtBrowseDialog::FolderDialog::LayOut(bool statusLineShown)
{
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QLatin1String(StatusLineObjectName));
    statusLine_->setVisible(statusLineShown);
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!grid || !buttons) {  // another toolkit's layout: keep it, add the line
        layout()->addWidget(statusLine_);
        return;
    }
    const int columns = grid->columnCount();
    grid->removeWidget(buttons);
    buttons->setOrientation(Qt::Horizontal);
    const int pathRow = grid->rowCount();
    AddPathField(grid, pathRow);
    grid->addWidget(statusLine_, pathRow + 1, 0, 1, columns);
    grid->addWidget(buttons, pathRow + 2, 0, 1, columns);
    grid->setColumnStretch(1, 1);
}

// Every desktop's folder chooser takes a typed or pasted path: the field
// completes folder names as they are typed, and Enter goes to the folder
// (Choose then takes it) instead of choosing whatever the view shows.
void QtBrowseDialog::FolderDialog::AddPathField(QGridLayout* grid, int row)
{
    pathField_ = new QLineEdit(this);
    pathField_->setObjectName(QLatin1String(PathFieldObjectName));
    pathField_->setAccessibleName(QStringLiteral("Folder path"));
    auto* folders = new QFileSystemModel(pathField_);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(root_);
    auto* completer = new QCompleter(folders, pathField_);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    pathField_->setCompleter(completer);
    pathField_->setText(QDir::toNativeSeparators(directory().absolutePath()));
    pathField_->installEventFilter(this);
    // A completion picked from the list with Enter arrives here, not as a key.
    connect(pathField_, &QLineEdit::returnPressed, this, &FolderDialog::GoToTypedFolder);
    auto* label = new QLabel(QStringLiteral("&Path:"), this);
    label->setBuddy(pathField_);
    grid->addWidget(label, row, 0);
    grid->addWidget(pathField_, row, 1, 1, grid->columnCount() - 1);
}

bool QtBrowseDialog::FolderDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pathField_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            GoToTypedFolder();
            return true;
        }
    }
    return QFileDialog::eventFilter(watched, event);
}

// A path that names no folder inside the tree stays in the field to be
// mended; relative paths start from the folder shown.
void QtBrowseDialog::FolderDialog::GoToTypedFolder()
{
    const QString folder = CleanAbsolute(directory().absoluteFilePath(QDir::fromNativeSeparators(pathField_->text())));
    if (!IsSelectable(folder)) {
        QApplication::beep();
        return;
    }
    setDirectory(folder);
    pathField_->setText(QDir::toNativeSeparators(folder));
}

// The keyboard starts where the choice is made: in the edit box when there
// is one, else in the folders, where typing selects a folder by its name and
// Enter chooses it. The file dialog would leave it on its hidden name box.
void QtBrowseDialog::FolderDialog::setVisible(bool visible)
{
    QFileDialog::setVisible(visible);
    if (!visible || editBox_)
        return;
    const char* view = viewMode() == Detail ? "treeView" : "listView";
    if (auto* folders = findChild<QWidget*>(QLatin1String(view)))
        folders->setFocus();
}

// A folder that does not exist or lies outside the tree is not selected, as
// the shell's dialog ignores a path it cannot select.
void QtBrowseDialog::FolderDialog::SelectFolder(const QString& path)
{
    const QString folder = CleanAbsolute(path);
    if (!IsSelectable(folder))
        return;
    if (folder == root_)
        setDirectory(root_);
    else
        selectFile(folder);
}

int QtBrowseDialog::FolderDialog::Notify(unsigned message, std::intptr_t parameter) const
{
    return info_.Callback ? info_.Callback(Handle(), message, parameter, info_.CallbackData) : 0;
}

void QtBrowseDialog::FolderDialog::accept()
{
    const QString chosen = ChosenFolder();
    if (IsSelectable(chosen)) {
        QDialog::accept();  // on the folder checked here, not on the view's selection
        return;
    }
    const std::string typed = sorvane::ToBytes(QDir::toNativeSeparators(chosen));
    if (Notify(BFFM_VALIDATEFAILEDA, reinterpret_cast<std::intptr_t>(typed.c_str())) == 0) {
        reject();
        return;
    }
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("\"%1\" is not a folder inside \"%2\".")
                             .arg(QDir::toNativeSeparators(chosen), QDir::toNativeSeparators(root_)));
}

// The dialog keeps the last name in its edit box when the user moves to
// another folder by Up or Back; left there, Choose would pick that name in
// the new folder, a folder the user never saw. Cleared quietly: the dialog's
// completion would otherwise select the folder shown beside the old name.
void QtBrowseDialog::FolderDialog::FolderEntered(const QString& folder)
{
    if (!IsWithin(CleanAbsolute(folder), root_)) {
        setDirectory(root_);
        return;
    }
    if (pathField_ && !pathField_->hasFocus())
        pathField_->setText(QDir::toNativeSeparators(CleanAbsolute(folder)));
    if (nameEdit_) {
        const QSignalBlocker quiet(nameEdit_);
        nameEdit_->clear();
    }
}

// With the edit box shown, its text is the choice, relative to the folder
// shown (empty: that folder): the dialog copies a pick in the view into it,
// while the view's selection can still hold names typed on the way, such as
// "..". Without it the dialog copies nothing there, so the view's selection
// (else the pre-selected name, else the folder shown) is the choice.
QString QtBrowseDialog::FolderDialog::ChosenFolder() const
{
    if (!editBox_ || !nameEdit_)
        return CleanAbsolute(selectedFiles().value(0));
    const QString typed = nameEdit_->text();
    return CleanAbsolute(typed.isEmpty() ? directory().absolutePath() : directory().absoluteFilePath(typed));
}

bool QtBrowseDialog::FolderDialog::IsSelectable(const QString& folder) const
{
    return IsWithin(folder, root_) && QFileInfo(folder).isDir();
}

TItemIdListPtr QtBrowseDialog::ShowBrowseDialog(const TBrowseInfo& info)
{
    const auto* root = dynamic_cast<const FolderPathItem*>(info.Root);
    FolderDialog dialog(QWidget::find(info.Owner), info, root ? root->Path() : QDir::rootPath());
    openDialog_ = &dialog;
    // Before exec(): the dialog then opens on the selection, and a line edit
    // that already has the focus cannot swallow it.
    dialog.Notify(BFFM_INITIALIZED, 0);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    openDialog_ = nullptr;
    if (!confirmed)
        return nullptr;
    const QString folder = dialog.ChosenFolder();
    if (info.DisplayName)
        *info.DisplayName = sorvane::ToBytes(DisplayNameOf(folder));
    return FolderItem(folder);
}

std::intptr_t QtBrowseDialog::SendDialogMessage(TWindowHandle dialog, unsigned message, std::uintptr_t wParam,
                                                std::intptr_t lParam)
{
    if (!openDialog_ || dialog != openDialog_->Handle() || lParam == 0)
        return 0;
    const QString text = sorvane::FromBytes(reinterpret_cast<const char*>(lParam));
    if (message == BFFM_SETSELECTIONA && wParam != 0)
        openDialog_->SelectFolder(text);
    else if (message == BFFM_SETSTATUSTEXTA)
        openDialog_->ShowStatus(text);
    return 0;
}

TItemIdListPtr QtBrowseDialog::SpecialFolderLocation(int csidl)
{
    const QString folder = SpecialFolderPath(csidl);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return nullptr;
    return FolderItem(folder);
}

std::string QtBrowseDialog::PathFromIdList(const TItemIdList& item)
{
    const auto* folder = dynamic_cast<const FolderPathItem*>(&item);
    if (!folder)
        return {};
    return sorvane::ToBytes(QDir::toNativeSeparators(folder->Path()));
}

TItemIdListPtr QtBrowseDialog::FolderItem(const QString& path)
{
    return std::make_unique<FolderPathItem>(CleanAbsolute(path));
}

std::unique_ptr<TBrowseDialogBackend> DefaultBrowseDialogBackend()
{
    return std::make_unique<QtBrowseDialog>();
}
