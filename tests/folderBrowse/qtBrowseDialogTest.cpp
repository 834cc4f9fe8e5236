// The Qt folder dialog behind TBrowseForFolder, opened for real (offscreen)
// and answered from a timer once it is the active modal window.
#include "qtBrowseDialog.h"
#include "folderBrowse.h"
#include "namedRow.h"
#include "qtPrinters.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using sorvane::testkit::NamedRow;
using sorvane::testkit::RowName;

namespace {

// Calls answer with the modal window of type Window as soon as it is open.
// The answer must close it, or the modal loop of the test never returns.
template <typename Window>
std::unique_ptr<QTimer> WhenOpen(std::function<void(Window&)> answer)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QTimer* polling = timer.get();
    QObject::connect(polling, &QTimer::timeout, [polling, answer] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window)
            return;
        polling->stop();
        answer(*window);
    });
    timer->start();
    return timer;
}

template <typename Child>
Child& Part(QWidget& dialog, const char* objectName)
{
    auto* child = dialog.findChild<Child*>(QLatin1String(objectName));
    if (!child)
        throw std::logic_error(std::string("no dialog part ") + objectName);
    return *child;
}

// Clicks a button of the modal window; a button that cannot be pressed fails
// the test and closes the window instead, so the test cannot hang.
void Press(QAbstractButton* button)
{
    if (button && button->isEnabled()) {
        QTest::mouseClick(button, Qt::LeftButton);
        return;
    }
    ADD_FAILURE() << "button missing or disabled";
    QApplication::activeModalWidget()->close();
}

void Choose(QFileDialog& dialog)
{
    Press(Part<QDialogButtonBox>(dialog, "buttonBox").button(QDialogButtonBox::Open));
}

void Cancel(QFileDialog& dialog)
{
    Press(Part<QDialogButtonBox>(dialog, "buttonBox").button(QDialogButtonBox::Cancel));
}

// Types over the edit box's text as a user does: the box has the focus, which
// is what makes the dialog drop the earlier selection.
void Type(QFileDialog& dialog, const QString& text)
{
    QLineEdit& edit = Part<QLineEdit>(dialog, "fileNameEdit");
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

QAbstractItemView& View(QFileDialog& dialog)
{
    return Part<QAbstractItemView>(dialog, dialog.viewMode() == QFileDialog::Detail ? "treeView" : "listView");
}

// Up, pressed while the user browses in the view (which has the focus).
void Up(QFileDialog& dialog)
{
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    View(dialog).setFocus();
    QTest::mouseClick(&Part<QToolButton>(dialog, "toParentButton"), Qt::LeftButton);
}

// Clicks a folder in the dialog's view once the view has listed it.
void Pick(QFileDialog& dialog, const QString& name)
{
    QAbstractItemView* view = &View(dialog);
    QModelIndex item;
    const bool listed = QTest::qWaitFor([&] {
        const QModelIndexList found = view->model()->match(view->model()->index(0, 0, view->rootIndex()),
                                                           Qt::DisplayRole, name, 1, Qt::MatchExactly);
        item = found.value(0);
        return item.isValid();
    });
    EXPECT_TRUE(listed) << name.toStdString();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
}

// What the dialog showed when it opened.
struct Seen {
    QString title;
    QWidget* parent = nullptr;
    QString selected;
    QString directory;
    bool editBoxVisible = false;
    bool statusVisible = false;
    QString status;
};

Seen Look(QFileDialog& dialog)
{
    return {dialog.windowTitle(),
            dialog.parentWidget(),
            dialog.selectedFiles().value(0),
            dialog.directory().absolutePath(),
            Part<QLineEdit>(dialog, "fileNameEdit").isVisible(),
            Part<QLabel>(dialog, QtBrowseDialog::StatusLineObjectName).isVisible(),
            Part<QLabel>(dialog, QtBrowseDialog::StatusLineObjectName).text()};
}

class QtBrowseDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        for (const char* folder : {"pages/scripts", "pages/other", "outside"})
            ASSERT_TRUE(QDir(temp.path()).mkpath(QLatin1String(folder)));
    }

    void TearDown() override
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            EXPECT_FALSE(window->isVisible()) << "left open: " << window->objectName().toStdString();
    }

    QString Path(const char* relative) const { return QDir(temp.path()).filePath(QLatin1String(relative)); }

    QTemporaryDir temp;
    QWidget form;
    QtBrowseDialog shell;
    TBrowseForFolder& browse = *new TBrowseForFolder(&form, shell);
};

TEST_F(QtBrowseDialogTest, OpensOverTheOwnerOnFolderNameWithCaptionAndNoEditBoxOrStatusLine)
{
    browse.SetFolderName(Path("pages/scripts"));
    browse.SetCaption("Pick the script folder");
    Seen seen;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        seen = Look(dialog);
        Cancel(dialog);
    });
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(seen.title, "Pick the script folder");
    EXPECT_EQ(seen.parent, &form);
    EXPECT_EQ(seen.selected, Path("pages/scripts"));
    EXPECT_FALSE(seen.editBoxVisible);
    EXPECT_FALSE(seen.statusVisible);
}

// A path typed or pasted into the path field, completed from the folders
// there, is gone to by Enter; Choose then takes it. A path that names no
// folder of the tree leaves the dialog where it was.
TEST_F(QtBrowseDialogTest, PathFieldCompletesTypedFoldersAndEnterGoesThere)
{
    browse.SetCustomRoot(QtBrowseDialog::FolderItem(Path("pages")));
    browse.SetRoot(TBrowseLocation::bl_CUSTOM);
    browse.SetFolderName(Path("pages"));
    QStringList shown;
    QStringList completions;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        auto& field = Part<QLineEdit>(dialog, QtBrowseDialog::PathFieldObjectName);
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        field.setFocus();
        field.clear();
        QTest::keyClicks(&field, Path("pages/sc"));
        QCompleter* completer = field.completer();
        completer->setCompletionPrefix(field.text());
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                completer->setCompletionPrefix(field.text());
                return completer->completionCount() > 0;
            },
            3000));
        for (int row = 0; completer->setCurrentRow(row); ++row)
            completions << completer->currentCompletion();
        field.setText(Path("outside"));
        QTest::keyClick(&field, Qt::Key_Return);
        shown << dialog.directory().absolutePath();
        field.setText(QStringLiteral("scripts"));
        QTest::keyClick(&field, Qt::Key_Return);
        shown << dialog.directory().absolutePath() << field.text();
        EXPECT_TRUE(dialog.isVisible()) << "Enter in the field does not choose";
        Choose(dialog);
    });
    ASSERT_TRUE(browse.Execute());
    EXPECT_EQ(completions, QStringList{Path("pages/scripts")});
    EXPECT_EQ(shown, (QStringList{Path("pages"), Path("pages/scripts"), Path("pages/scripts")}));
    EXPECT_EQ(browse.FolderName(), Path("pages/scripts"));
}

TEST_F(QtBrowseDialogTest, ComponentWithoutABackendShowsThisPlatformsDialog)
{
    TBrowseForFolder& onItsOwn = *new TBrowseForFolder(&form);
    QString shown;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        shown = dialog.objectName();
        Cancel(dialog);
    });
    EXPECT_FALSE(onItsOwn.Execute());
    EXPECT_EQ(shown, QtBrowseDialog::DialogObjectName);
}

TEST_F(QtBrowseDialogTest, EditBoxAndStatusLineShowWhenAskedFor)
{
    browse.SetStatusText("Where should the script go?");
    browse.SetFlags(TBrowseFlag::bf_EditBox | TBrowseFlag::bf_statustext);
    Seen seen;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        seen = Look(dialog);
        Cancel(dialog);
    });
    EXPECT_FALSE(browse.Execute());
    EXPECT_TRUE(seen.editBoxVisible);
    EXPECT_TRUE(seen.statusVisible);
    EXPECT_EQ(seen.status, "Where should the script go?");
}

// Without the file dialog's name and type rows, its layout left the "Look
// in" box to the right half of its row and stacked the buttons under an empty
// strip. Laid out as a finished dialog: the box takes the row, the status
// line and the buttons side by side lie below the folders, in the owner's
// font, and the keyboard starts in the edit box or else in the folders.
TEST_F(QtBrowseDialogTest, IsLaidOutAsAFinishedDialogInItsOwnersFont)
{
    form.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    for (const TBrowseFlags flags : {TBrowseFlags(), TBrowseFlag::bf_EditBox | TBrowseFlag::bf_statustext}) {
        browse.SetFlags(flags);
        const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
            const auto at = [&](const char* part) {
                const QWidget& widget = Part<QWidget>(dialog, part);
                return QRect(widget.mapTo(&dialog, QPoint()), widget.size());
            };
            EXPECT_LE(at("lookInCombo").left() - at("lookInLabel").right(), 20) << "the box follows its label";
            EXPECT_GT(at("lookInCombo").width(), dialog.width() / 2) << "and takes the row";
            const QRect folders = at("splitter");
            const QRect choose = at("buttonBox");
            EXPECT_GT(choose.top(), folders.bottom());
            const auto& buttons = Part<QDialogButtonBox>(dialog, "buttonBox");
            EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->y(), buttons.button(QDialogButtonBox::Cancel)->y());
            if (flags) {
                EXPECT_GT(at(QtBrowseDialog::StatusLineObjectName).top(), folders.bottom());
                EXPECT_LT(at(QtBrowseDialog::StatusLineObjectName).bottom(), choose.top());
            }
            EXPECT_EQ(dialog.font(), form.font());
            QWidget* typedInto = flags ? &Part<QWidget>(dialog, "fileNameEdit") : &View(dialog);
            EXPECT_EQ(dialog.focusWidget(), typedInto) << "the keyboard starts where the choice is made";
            Cancel(dialog);
        });
        EXPECT_FALSE(browse.Execute());
    }
}

TEST_F(QtBrowseDialogTest, CancelKeepsTheLastResult)
{
    browse.SetFolderName(Path("pages"));
    const auto confirm = WhenOpen<QFileDialog>([](QFileDialog& dialog) { Choose(dialog); });
    ASSERT_TRUE(browse.Execute());
    browse.SetFlags(TBrowseFlag::bf_EditBox);
    const auto cancel = WhenOpen<QFileDialog>([](QFileDialog& dialog) {
        Type(dialog, "other");
        Cancel(dialog);
    });
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(browse.FolderName(), Path("pages"));
    EXPECT_EQ(browse.DisplayName(), "pages");
}

struct ChoiceRow : NamedRow {
    const char* folderName;  // below the temporary folder, or "/"
    TBrowseFlags flags;
    std::function<void(QFileDialog&)> answer;
    const char* chosen;       // below the temporary folder ("" for itself), or "/"
    const char* displayName;  // null: the temporary folder's name
};

class ChoiceTest : public QtBrowseDialogTest, public ::testing::WithParamInterface<ChoiceRow> {
protected:
    QString Resolve(const char* path) const { return QString(path) == "/" ? "/" : Path(path); }
};

TEST_P(ChoiceTest, GivesTheFolderTheUserChoseAndItsName)
{
    const ChoiceRow& row = GetParam();
    browse.SetFolderName(Resolve(row.folderName));
    browse.SetFlags(row.flags);
    const auto answer = WhenOpen<QFileDialog>(row.answer);
    ASSERT_TRUE(browse.Execute());
    EXPECT_EQ(browse.FolderName(), QDir::cleanPath(Resolve(row.chosen)));
    EXPECT_EQ(browse.DisplayName(), row.displayName ? row.displayName : QFileInfo(temp.path()).fileName());
}

const TBrowseFlags noEditBox;
const TBrowseFlags editBox = TBrowseFlag::bf_EditBox;

template <typename... Steps>
std::function<void(QFileDialog&)> Then(Steps... steps)
{
    return [=](QFileDialog& dialog) { (steps(dialog), ...); };
}

void PickOther(QFileDialog& dialog)
{
    Pick(dialog, "other");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ChoiceTest,
    ::testing::Values(
        ChoiceRow{"Preselected", "pages/scripts", noEditBox, Choose, "pages/scripts", "scripts"},
        ChoiceRow{"PreselectedInEditBox", "pages/scripts", editBox, Choose, "pages/scripts", "scripts"},
        ChoiceRow{"PickedInView", "pages/scripts", noEditBox, Then(PickOther, Choose), "pages/other", "other"},
        ChoiceRow{"PickedInViewWithEditBox", "pages/scripts", editBox, Then(PickOther, Choose), "pages/other", "other"},
        ChoiceRow{"TypedName", "pages/scripts", editBox,
                  Then([](QFileDialog& dialog) { Type(dialog, "other"); }, Choose), "pages/other", "other"},
        ChoiceRow{"TypedRelativePath", "pages/scripts", editBox,
                  Then([](QFileDialog& dialog) { Type(dialog, "../outside"); }, Choose), "outside", "outside"},
        // Up leaves the earlier name in the edit box; it must not be chosen.
        ChoiceRow{"UpThenChoose", "pages/scripts", noEditBox, Then(Up, Choose), "", nullptr},
        ChoiceRow{"UpThenChooseWithEditBox", "pages/scripts", editBox, Then(Up, Choose), "", nullptr},
        ChoiceRow{"FileSystemRoot", "/", noEditBox, Choose, "/", "/"}),
    RowName<ChoiceRow>);

TEST_F(QtBrowseDialogTest, CustomRootKeepsNavigationAndChoicesInsideIt)
{
    browse.SetCustomRoot(QtBrowseDialog::FolderItem(Path("pages")));
    browse.SetRoot(TBrowseLocation::bl_CUSTOM);
    browse.SetFolderName(Path("outside"));
    browse.SetFlags(TBrowseFlag::bf_EditBox);
    Seen seen;
    QString afterParentButton;
    QString warning;
    bool stayedOpen = false;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        seen = Look(dialog);
        Up(dialog);
        afterParentButton = dialog.directory().absolutePath();
        const auto refusal = WhenOpen<QMessageBox>([&](QMessageBox& box) {
            warning = box.text();
            Press(box.button(QMessageBox::Ok));
        });
        Type(dialog, "../outside");
        Choose(dialog);
        stayedOpen = dialog.isVisible();
        Cancel(dialog);
    });
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(seen.directory, Path("pages")) << "a folder outside the root is not selected";
    EXPECT_EQ(afterParentButton, Path("pages"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(warning, QString("\"%1\" is not a folder inside \"%2\".").arg(Path("outside"), Path("pages")));
}

TEST_F(QtBrowseDialogTest, TypedNameThatIsNoFolderCannotBeChosen)
{
    browse.SetFolderName(Path("pages"));
    browse.SetFlags(TBrowseFlag::bf_EditBox);
    bool chooseEnabled = true;
    bool stayedOpen = false;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        const auto refusal = WhenOpen<QMessageBox>([](QMessageBox& box) { Press(box.button(QMessageBox::Ok)); });
        Type(dialog, "no such folder");
        chooseEnabled = Part<QDialogButtonBox>(dialog, "buttonBox").button(QDialogButtonBox::Open)->isEnabled();
        QTest::keyClick(&Part<QLineEdit>(dialog, "fileNameEdit"), Qt::Key_Return);
        stayedOpen = dialog.isVisible();
        Type(dialog, "outside");
        Choose(dialog);
    });
    ASSERT_TRUE(browse.Execute());
    EXPECT_FALSE(chooseEnabled);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(browse.FolderName(), Path("outside"));
}

TEST_F(QtBrowseDialogTest, CallbackThatDismissesOnAFailedValidationCancels)
{
    const TItemIdListPtr root = QtBrowseDialog::FolderItem(Path("pages"));
    TBrowseInfo info;
    info.Root = root.get();
    info.Flags = BIF_EDITBOX | BIF_VALIDATE;
    info.Callback = [](TWindowHandle, unsigned, std::intptr_t, std::intptr_t) { return 0; };
    const auto answer = WhenOpen<QFileDialog>([](QFileDialog& dialog) {
        Type(dialog, "../outside");
        Choose(dialog);
    });
    EXPECT_EQ(shell.ShowBrowseDialog(info), nullptr);
}

// ------------------------------------------------------ special folders --

// Points the desktop's standard locations into a temporary home and system
// folder for the life of the test, and puts them back afterwards.
class StandardLocationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        Set("HOME", "home");
        Set("XDG_DATA_DIRS", "system/share");
        Set("XDG_CONFIG_DIRS", "system/etc/xdg");
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            saved.emplace(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
            qunsetenv(name);
        }
    }

    void TearDown() override
    {
        for (const auto& [name, value] : saved) {
            if (value)
                qputenv(name.c_str(), *value);
            else
                qunsetenv(name.c_str());
        }
    }

    void Set(const char* name, const char* relative)
    {
        saved.emplace(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, QFile::encodeName(Path(relative)));
    }

    QString Path(const char* relative) const { return QDir(temp.path()).filePath(QLatin1String(relative)); }

    QTemporaryDir temp;
    std::map<std::string, std::optional<QByteArray>> saved;
    QtBrowseDialog shell;
};

struct SpecialFolderRow : NamedRow {
    int csidl;
    const char* folder;  // below the temporary folder; "/" the file system; null: none
};

class SpecialFolderTest : public StandardLocationsTest, public ::testing::WithParamInterface<SpecialFolderRow> {
protected:
    std::string Expected() const
    {
        const char* folder = GetParam().folder;
        if (!folder)
            return {};
        return QString(folder) == "/" ? "/" : Path(folder).toStdString();
    }

    std::string Found()
    {
        const TItemIdListPtr item = shell.SpecialFolderLocation(GetParam().csidl);
        return item ? shell.PathFromIdList(*item) : std::string();
    }
};

TEST_P(SpecialFolderTest, MapsOntoTheNearestStandardLocation)
{
    for (const char* folder : {"home/.local/share/applications", "home/Documents", "home/.config/autostart",
                               "home/.local/share/Trash/files", "home/Desktop", "home/Templates", "system/share/fonts",
                               "system/share/applications", "system/etc/xdg/autostart"})
        ASSERT_TRUE(QDir(temp.path()).mkpath(QLatin1String(folder)));
    EXPECT_EQ(Found(), Expected());
}

INSTANTIATE_TEST_SUITE_P(
    Csidl, SpecialFolderTest,
    ::testing::Values(
        SpecialFolderRow{"DESKTOP", CSIDL_DESKTOP, "/"},
        SpecialFolderRow{"PROGRAMS", CSIDL_PROGRAMS, "home/.local/share/applications"},
        SpecialFolderRow{"CONTROLS", CSIDL_CONTROLS, nullptr}, SpecialFolderRow{"PRINTERS", CSIDL_PRINTERS, nullptr},
        SpecialFolderRow{"PERSONAL", CSIDL_PERSONAL, "home/Documents"},
        SpecialFolderRow{"FAVORITES", CSIDL_FAVORITES, nullptr},
        SpecialFolderRow{"STARTUP", CSIDL_STARTUP, "home/.config/autostart"},
        SpecialFolderRow{"RECENT", CSIDL_RECENT, nullptr}, SpecialFolderRow{"SENDTO", CSIDL_SENDTO, nullptr},
        SpecialFolderRow{"BITBUCKET", CSIDL_BITBUCKET, "home/.local/share/Trash/files"},
        SpecialFolderRow{"STARTMENU", CSIDL_STARTMENU, "home/.local/share/applications"},
        SpecialFolderRow{"DESKTOPDIRECTORY", CSIDL_DESKTOPDIRECTORY, "home/Desktop"},
        SpecialFolderRow{"DRIVES", CSIDL_DRIVES, "/"}, SpecialFolderRow{"NETWORK", CSIDL_NETWORK, nullptr},
        SpecialFolderRow{"NETHOOD", CSIDL_NETHOOD, nullptr},
        SpecialFolderRow{"FONTS", CSIDL_FONTS, "system/share/fonts"},
        SpecialFolderRow{"TEMPLATES", CSIDL_TEMPLATES, "home/Templates"},
        SpecialFolderRow{"COMMON_STARTMENU", CSIDL_COMMON_STARTMENU, "system/share/applications"},
        SpecialFolderRow{"COMMON_PROGRAMS", CSIDL_COMMON_PROGRAMS, "system/share/applications"},
        SpecialFolderRow{"COMMON_STARTUP", CSIDL_COMMON_STARTUP, "system/etc/xdg/autostart"},
        SpecialFolderRow{"COMMON_DESKTOPDIRECTORY", CSIDL_COMMON_DESKTOPDIRECTORY, nullptr},
        SpecialFolderRow{"APPDATA", CSIDL_APPDATA, "home/.config"},
        SpecialFolderRow{"PRINTHOOD", CSIDL_PRINTHOOD, nullptr}),
    RowName<SpecialFolderRow>);

TEST_F(StandardLocationsTest, SpecialFolderThatDoesNotExistGivesNoItem)
{
    for (const int csidl : {CSIDL_PERSONAL, CSIDL_STARTUP, CSIDL_FONTS, CSIDL_COMMON_STARTUP})
        EXPECT_EQ(shell.SpecialFolderLocation(csidl), nullptr) << "CSIDL " << csidl;
}

TEST_F(StandardLocationsTest, WithoutPreselectionOpensAtHomeAndListsItBesideTheRoot)
{
    ASSERT_TRUE(QDir(temp.path()).mkpath("home"));
    QWidget form;
    TBrowseForFolder browse(&form, shell);  // FolderName "C:\\": no such folder here
    QString directory;
    QList<QUrl> places;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        directory = dialog.directory().absolutePath();
        places = dialog.sidebarUrls();
        Cancel(dialog);
    });
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(directory, Path("home"));
    EXPECT_EQ(places, QList<QUrl>({QUrl::fromLocalFile("/"), QUrl::fromLocalFile(Path("home"))}));
}

TEST_F(StandardLocationsTest, SpecialFolderRootsTheDialog)
{
    ASSERT_TRUE(QDir(temp.path()).mkpath("home/Documents/site"));
    QWidget form;
    TBrowseForFolder browse(&form, shell);
    browse.SetRoot(TBrowseLocation::bl_PERSONAL);
    browse.SetFolderName(Path("home/Documents/site"));
    QString directory;
    const auto answer = WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        directory = dialog.directory().absolutePath();
        Choose(dialog);
    });
    ASSERT_TRUE(browse.Execute());
    EXPECT_EQ(directory, Path("home/Documents"));
    EXPECT_EQ(browse.FolderName(), Path("home/Documents/site"));
}

}  // namespace
