// The real desktop services, answered from inside their own exec().
#include "qtDesktop.h"
#include "guiTest.h"
#include "namedRow.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;

namespace {

// ------------------------------------------------------------ questions --

struct BoxCase : NamedRow {
    bool (*ask)(QtDesktop&, QWidget* parent, const QString&);
    QMessageBox::Icon icon;
    const char* caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

const BoxCase Boxes[] = {
    {"Information",
     [](QtDesktop& d, QWidget* p, const QString& t) {
         d.ShowInformation(p, t);
         return true;
     },
     QMessageBox::Information, "Information", QMessageBox::Ok, QMessageBox::NoButton},
    {"Confirm", [](QtDesktop& d, QWidget* p, const QString& t) { return d.Confirm(p, t); }, QMessageBox::Question,
     "Confirm", QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
    {"ConfirmDefaultNo", [](QtDesktop& d, QWidget* p, const QString& t) { return d.ConfirmDefaultNo(p, t); },
     QMessageBox::Question, "Confirm", QMessageBox::Yes | QMessageBox::No, QMessageBox::No},
    {"ExitQuestion", [](QtDesktop& d, QWidget* p, const QString& t) { return d.AskExit(p, t); },
     QMessageBox::Information, "Information", QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
};

class MessageBoxes : public testing::TestWithParam<BoxCase> {
protected:
    // Shows the box, lets act answer it, and returns the box's answer.
    bool Ask(const std::function<void(QMessageBox*)>& act)
    {
        OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            seen = box;
            icon = box->icon();
            caption = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
            font = box->font();
            format = box->textFormat();
            act(box);
        });
        return GetParam().ask(desktop, parent, QStringLiteral("First line.\r\nSecond line?"));
    }

    QtDesktop desktop;
    QWidget* parent = nullptr;
    QMessageBox* seen = nullptr;
    QFont font;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption, text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

TEST_P(MessageBoxes, HaveTheirIconCaptionButtonsAndText)
{
    const BoxCase& c = GetParam();
    const auto firstButton = c.buttons & QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::Ok;
    EXPECT_TRUE(Ask([&](QMessageBox* box) { box->button(firstButton)->click(); }));
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(text, "First line.\r\nSecond line?");
    EXPECT_EQ(buttons, c.buttons);
    if (c.defaultButton != QMessageBox::NoButton) {
        EXPECT_EQ(defaultButton, c.defaultButton);
    }
}

TEST_P(MessageBoxes, EscAnswersNo)
{
    const bool asksYesNo = GetParam().buttons & QMessageBox::No;
    const bool answer = Ask([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(answer, !asksYesNo);
}

// A box in the desktop's default font would look like another program's; a
// path in its text such as /site/<b>x</b>/ must not turn into markup.
TEST_P(MessageBoxes, UseTheFontOfTheWindowTheyAreShownOverAndPlainText)
{
    QWidget window;
    window.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    ASSERT_NE(window.font(), QApplication::font());
    parent = &window;
    Ask([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(font, window.font());
    EXPECT_EQ(format, Qt::PlainText);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MessageBoxes, testing::ValuesIn(Boxes), RowName<BoxCase>);

TEST(QtDesktopErrors, ShowTheDefaultErrorBox)
{
    QCoreApplication::setApplicationName(QStringLiteral("Sorvane"));
    QtDesktop desktop;
    QString caption, text;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        box->accept();
    });
    desktop.ShowError(nullptr, QStringLiteral("Cannot create file /site/page.js"));
    EXPECT_EQ(caption, "Sorvane");
    EXPECT_EQ(text, "Cannot create file /site/page.js.");
}

// ---------------------------------------------------------- open dialog --

struct FilterCase : NamedRow {
    const char* filter;
    QStringList nameFilters;
};

class NameFilters : public testing::TestWithParam<FilterCase> {};

TEST_P(NameFilters, ShowEachDescriptionWithItsPatterns)
{
    EXPECT_EQ(NameFiltersOf(QString::fromLatin1(GetParam().filter)), GetParam().nameFilters);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, NameFilters,
    testing::Values(FilterCase{"OneEntry", "Flash Movie Files (*.swf)|*.swf", {"Flash Movie Files (*.swf) (*.swf)"}},
                    FilterCase{"SeveralPatternsAndAllFiles",
                               "Pages (*.htm;*.html)|*.htm;*.html|All Files(*.*)|*.*",
                               {"Pages (*.htm;*.html) (*.htm *.html)", "All Files(*.*) (*)"}},
                    FilterCase{"Empty", "", {}}),
    RowName<FilterCase>);

class OpenDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        for (const char* name : {"page.htm", "notes.txt"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }

    static void Choose(QFileDialog* dialog, const QString& path)
    {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Open)->click();
    }

    QTemporaryDir folder;
    QtDesktop desktop;
};

TEST_F(OpenDialog, ReturnsTheChosenExistingFileAndStartsThereNextTime)
{
    const QString page = folder.filePath(QStringLiteral("page.htm"));
    QStringList shownFilters;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; i < types->count(); ++i)
            shownFilters << types->itemText(i);
        Choose(dialog, page);
    });
    EXPECT_EQ(desktop.OpenFile(nullptr, QStringLiteral("Webpage Files (*.htm)|*.htm|All Files(*.*)|*.*"), {}),
              QDir::toNativeSeparators(page));
    EXPECT_EQ(shownFilters, QStringList({"Webpage Files (*.htm)", "All Files(*.*)"}));

    QString startFolder;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        startFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(desktop.OpenFile(nullptr, QStringLiteral("Text Files (*.txt)|*.txt"), {}), std::nullopt);
    EXPECT_EQ(startFolder, QDir(folder.path()).absolutePath());
}

TEST_F(OpenDialog, RefusesAFileThatDoesNotExist)
{
    bool stayedOpen = false;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        Choose(dialog, folder.filePath(QStringLiteral("missing.htm")));
        stayedOpen = dialog->isVisible() && !dialog->result();
        dialog->reject();
    });
    EXPECT_EQ(desktop.OpenFile(nullptr, QStringLiteral("All Files(*.*)|*.*"), {}), std::nullopt);
    EXPECT_TRUE(stayedOpen);
}

// ------------------------------------------------- browser and clipboard --

class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST(Browser, GetsTheAddressExactly)
{
    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
    QtDesktop().OpenUrl(QStringLiteral("http://www.flash-tools.example/?Sorvane"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened[0].toString(), "http://www.flash-tools.example/?Sorvane");
}

TEST(Clipboard, HoldsTheTextAsPlainText)
{
    const QString snippet = QStringLiteral("<script src=\"intro.js\"></script>\r\n<noscript>x</noscript>");
    QtDesktop().CopyToClipboard(snippet);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(data->formats(), QStringList({"text/plain"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), snippet);
}

}  // namespace

#include "qtDesktopTest.moc"
