// The convert path's pages driven like a user would, on real files: picking
// the page and the script folder, the checks before Next, the confirm page
// and whole conversions.
#include "folderBrowse.h"
#include "namedRow.h"
#include "pathLabel.h"
#include "unitACConvertor.h"
#include "wizardWindow.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <functional>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;
using Kind = FakeDesktop::Kind;

namespace {

const std::string Page = "<head></head><object>A</object>";
const std::string Header = "\r\n// Created by Sorvane. Website: http://www.sorvane.example/\r\n";

std::string ConvertedPage(const std::string& scriptReference, int number)
{
    return "<head>\r\n<script language=\"JavaScript\" src=\"" + scriptReference
           + "\"></script>\r\n</head><script language=\"JavaScript\"> displaySWF_" + std::to_string(number)
           + "(); </script>\r\n<noscript>\r\n<object>A</object>\r\n</noscript>";
}

std::string FunctionLine(int number)
{
    return "\r\nfunction displaySWF_" + std::to_string(number) + "() { document.write('<object>A</object>'); }\r\n";
}

// What one conversion appends to the script file.
std::string ScriptPart(const std::string& functionLines)
{
    return Header + functionLines + Header;
}

std::string ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

// Public, so the rows of the check table can arrange the pages.
class ConvertPages : public WizardWindow {
public:
    using WizardWindow::Click;
    using WizardWindow::Control;
    using WizardWindow::Next;
    using WizardWindow::site;

    void SetUp() override
    {
        WizardWindow::SetUp();
        Click(QStringLiteral("lblConvert"));
        Next();
        ASSERT_EQ(Screen(), "cv_input");
    }

    QString Folder(const QString& name) const
    {
        EXPECT_TRUE(QDir(site.path()).mkpath(name));
        return QDir::toNativeSeparators(site.filePath(name));
    }

    QString PickPage(const QString& name)
    {
        const QString page = WriteFile(name, QByteArray::fromStdString(Page));
        desktop.ChooseFile(page);
        Click(QStringLiteral("sbtn_cv_input"));
        return page;
    }

    // The folder browser answers with path; nullopt cancels.
    void PickFolder(std::optional<std::string> path)
    {
        desktop.folderBrowser.answer.reset();
        if (path)
            desktop.folderBrowser.answer = FakeBrowseDialog::Answer{*path, "folder"};
        Click(QStringLiteral("sbtn_cv_output"));
    }

    // On the radio button's own circle: its middle may lie beyond its text.
    void Choose(const QString& radio)
    {
        QWidget* button = Control(radio);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    void ChooseSpecificFolder(const QString& folder)
    {
        Choose(QStringLiteral("rad_cv_output_custom"));
        PickFolder(folder.toStdString());
    }

    QString Text(const char* name) const { return Control<QLineEdit>(QString::fromLatin1(name))->text(); }
    QString Label(const char* name) const { return Control<QLabel>(QString::fromLatin1(name))->text(); }
    QCheckBox* BackupBox() const { return Control<QCheckBox>(QStringLiteral("chk_cv_confirm")); }
    QTimer* Timer() const { return Find<QTimer>(window.get(), QStringLiteral("Timer")); }
    QProgressBar* Bar() const { return Control<QProgressBar>(QStringLiteral("ProgressBar")); }

    // Next on the confirm page, then waits until the timer has moved on.
    void Convert()
    {
        ASSERT_EQ(Screen(), "cv_confirm");
        Next();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Screen() == "cv_complete"; }, 5000));
        EXPECT_FALSE(Timer()->isActive());
    }
};

// ------------------------------------------------------------ checks --

struct CheckCase : NamedRow {
    std::function<void(ConvertPages&)> arrange;  // ends on the page whose Next is refused
    const char* message;
    const char* stays;
};

class Check : public ConvertPages, public testing::WithParamInterface<CheckCase> {};

const char* const SameFileRefused =
    "The script file would have the same name as the web page and replace it. Please select another folder.";

TEST_P(Check, RefusesNextWithItsMessageAndKeepsThePage)
{
    const CheckCase& c = GetParam();
    c.arrange(*this);
    ASSERT_EQ(Screen(), c.stays);
    const QString title = Title();
    const QString output = Text("txt_cv_output");
    desktop.ClearCalls();

    Next();

    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::Information, QString::fromUtf8(c.message)}}));
    EXPECT_EQ(Screen(), c.stays);
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(Text("txt_cv_output"), output);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, Check,
    testing::Values(
        CheckCase{"NoPageChosen", [](ConvertPages&) {}, "Please select a web page file first.", "cv_input"},
        CheckCase{"BlankPagePath",
                  [](ConvertPages& t) { t.Control<QLineEdit>(QStringLiteral("txt_cv_input"))->setText(" \t"); },
                  "Please select a web page file first.", "cv_input"},
        CheckCase{"PageRemoved", [](ConvertPages& t) { QFile::remove(t.PickPage(QStringLiteral("index.html"))); },
                  "The web page you selected does not exist now.", "cv_input"},
        CheckCase{"NoFolderPicked",
                  [](ConvertPages& t) {
                      t.PickPage(QStringLiteral("index.html"));
                      t.Next();
                      t.Choose(QStringLiteral("rad_cv_output_custom"));
                  },
                  "Please select a folder first.", "cv_output"},
        CheckCase{"FolderRemoved",
                  [](ConvertPages& t) {
                      t.PickPage(QStringLiteral("index.html"));
                      t.Next();
                      t.ChooseSpecificFolder(t.Folder(QStringLiteral("js")));
                      QDir(t.Folder(QStringLiteral("js"))).removeRecursively();
                  },
                  "The folder you selected does not exist now.", "cv_output"},
        CheckCase{"ScriptPageByDefault",
                  [](ConvertPages& t) {
                      t.PickPage(QStringLiteral("page.js"));
                      t.Next();
                  },
                  SameFileRefused, "cv_output"},
        CheckCase{"ScriptPageInPickedFolder",
                  [](ConvertPages& t) {
                      t.PickPage(QStringLiteral("page.js"));
                      t.Next();
                      t.ChooseSpecificFolder(QDir::toNativeSeparators(t.site.path()));
                  },
                  SameFileRefused, "cv_output"},
        CheckCase{"ScriptPageThroughALinkedFolder",
                  [](ConvertPages& t) {
                      t.PickPage(QStringLiteral("page.js"));
                      t.Next();
                      const QString link = t.site.filePath(QStringLiteral("link"));
                      ASSERT_TRUE(QFile::link(t.site.path(), link));
                      t.ChooseSpecificFolder(QDir::toNativeSeparators(link));
                  },
                  SameFileRefused, "cv_output"}),
    RowName<CheckCase>);

// The page removed after its own check: two missing files are not one file,
// and the default folder is not refused for it. The conversion reports it.
TEST_F(ConvertPages, APageGoneOnTheScriptFolderPageIsNoReasonToRefuseTheDefaultFolder)
{
    const QString page = PickPage(QStringLiteral("index.html"));
    Next();
    ASSERT_EQ(Screen(), "cv_output");
    QFile::remove(page);
    desktop.ClearCalls();
    Next();
    EXPECT_EQ(Screen(), "cv_confirm");
    EXPECT_EQ(desktop.Calls(), std::vector<FakeDesktop::Call>{});
}

// ------------------------------------------------------ folder picker --

struct PickCase : NamedRow {
    std::optional<std::string> picked;  // nullopt: the user cancels; "<sub>": the test's folder "sub"
    const char* scriptPath;             // "<sub>/index.js" likewise; "" keeps the earlier text
    bool refused;
};

class FolderPick : public ConvertPages, public testing::WithParamInterface<PickCase> {};

TEST_P(FolderPick, BuildsTheScriptPathInThePickedFolder)
{
    const PickCase& c = GetParam();
    const QString sub = Folder(QStringLiteral("sub"));
    const QString page = PickPage(QStringLiteral("index.html"));
    Next();
    Control<QLineEdit>(QStringLiteral("txt_cv_output"))->setText(QStringLiteral("earlier"));
    Choose(QStringLiteral("rad_cv_output_custom"));
    const auto expand = [&](QString text) { return text.replace(QStringLiteral("<sub>"), sub); };
    auto* picker = Find<TBrowseForFolder>(window.get(), QStringLiteral("BrowseForFolder"));
    EXPECT_EQ(picker->FolderName(), QFileInfo(page).path() + "/") << "the picker starts at the page's folder";

    PickFolder(c.picked ? std::optional(expand(QString::fromStdString(*c.picked)).toStdString()) : std::nullopt);

    const QString expected = *c.scriptPath ? expand(QString::fromUtf8(c.scriptPath)) : QStringLiteral("earlier");
    EXPECT_EQ(Text("txt_cv_output"), QDir::toNativeSeparators(expected));
    EXPECT_EQ(desktop.CountOf(Kind::Information), c.refused ? 1 : 0);
    EXPECT_EQ(desktop.folderBrowser.runs.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Picks, FolderPick,
                         testing::Values(PickCase{"Folder", "<sub>", "<sub>/index.js", false},
                                         PickCase{"FolderEndingInSeparator", "<sub>/", "<sub>/index.js", false},
                                         PickCase{"RootFolder", "/", "/index.js", false},
                                         PickCase{"ItemWithoutFileSystemPath", "", "", true},
                                         PickCase{"Cancelled", std::nullopt, "", false}),
                         RowName<PickCase>);

TEST_F(ConvertPages, RadioButtonsGreyTheFolderFieldAndSwitchItsBrowseButton)
{
    PickPage(QStringLiteral("index.html"));
    Next();
    auto* field = Control<QLineEdit>(QStringLiteral("txt_cv_output"));
    auto* browse = Control(QStringLiteral("sbtn_cv_output"));
    const QColor grey(0xE9, 0xE9, 0xE9);
    EXPECT_EQ(field->palette().color(QPalette::Base), grey);
    EXPECT_FALSE(browse->isEnabled());

    ChooseSpecificFolder(Folder(QStringLiteral("js")));
    EXPECT_EQ(field->palette().color(QPalette::Base), QApplication::palette(field).color(QPalette::Base));
    EXPECT_TRUE(browse->isEnabled());

    Choose(QStringLiteral("rad_cv_output_default"));
    EXPECT_EQ(field->palette().color(QPalette::Base), grey);
    EXPECT_FALSE(browse->isEnabled());
    EXPECT_EQ(field->text(), QDir::toNativeSeparators(site.filePath(QStringLiteral("js/index.js"))));
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->palette().color(QPalette::Text), QColor(128, 128, 128));
    Next();
    EXPECT_EQ(Label("lbl_cv_confirm_js"), QDir::toNativeSeparators(site.filePath(QStringLiteral("index.js"))));
}

// ------------------------------------------------------ confirm page --

// The open dialog's four entries: web pages, dynamic pages, text files and
// all files.
const QString PageFilter = QStringLiteral("Webpage Files (*.htm;*.html;*.shtm;*.shtml)|*.htm;*.html;*.shtm;*.shtml|"
                                          "Dynamic Pages (*.php;*.php3;*.php4;*.phtm;*.phtml;*.jsp;*.asp;*.aspx;*.cfm)|"
                                          "*.php;*.php3;*.php4;*.phtm;*.phtml;*.jsp;*.asp;*.aspx;*.cfm|"
                                          "Text Files (*.txt)|*.txt|"
                                          "All Files(*.*)|*.*");

TEST_F(ConvertPages, ConfirmPageIsRebuiltFromTheFieldsOnEveryEntry)
{
    const QString first = PickPage(QStringLiteral("index.html"));
    EXPECT_EQ(desktop.TextsOf(Kind::OpenFile), QStringList{PageFilter});
    NextUntil(QStringLiteral("cv_confirm"));
    EXPECT_EQ(Label("lbl_cv_confirm_htm"), first);
    EXPECT_EQ(Label("lbl_cv_confirm_js"), QDir::toNativeSeparators(site.filePath(QStringLiteral("index.js"))));
    EXPECT_EQ(BackupBox()->text(), "Create backup of index.html");

    Back();
    Back();
    const QString second = PickPage(QStringLiteral("about.htm"));
    Next();
    ChooseSpecificFolder(Folder(QStringLiteral("js")));
    Next();
    EXPECT_EQ(Label("lbl_cv_confirm_htm"), second);
    EXPECT_EQ(Label("lbl_cv_confirm_js"), QDir::toNativeSeparators(site.filePath(QStringLiteral("js/about.js"))));
    EXPECT_EQ(BackupBox()->text(), "Create backup of about.htm");
}

// ------------------------------------------------------- Flash player --

TEST_F(ConvertPages, PlayerIsOffAtFirstAndThePickedOneIsLoadedAfterTheScript)
{
    const QString page = PickPage(QStringLiteral("index.html"));
    NextUntil(QStringLiteral("cv_confirm"));
    auto* box = Control<QCheckBox>(QStringLiteral("chk_cv_confirm_player"));
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(Control(QStringLiteral("txt_cv_confirm_player"))->isEnabled());
    EXPECT_FALSE(Control(QStringLiteral("sbtn_cv_confirm_player"))->isEnabled());

    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    ASSERT_TRUE(Control(QStringLiteral("sbtn_cv_confirm_player"))->isEnabled());
    Folder(QStringLiteral("player"));
    const QString player = WriteFile(QStringLiteral("player/ruffle.js"), "// player");
    desktop.ChooseFile(player);
    Click(QStringLiteral("sbtn_cv_confirm_player"));
    EXPECT_EQ(Text("txt_cv_confirm_player"), player);
    EXPECT_EQ(desktop.TextsOf(Kind::OpenFile).last(), PlayerScriptFilter);
    Convert();

    std::string expected = ConvertedPage("index.js", 1);
    expected.insert(expected.find("</head>"), "<script src=\"player/ruffle.js\"></script>\r\n");
    EXPECT_EQ(ReadFile(page), expected);
}

TEST_F(ConvertPages, MissingPlayerIsReportedAndThePageKept)
{
    const QString page = PickPage(QStringLiteral("index.html"));
    NextUntil(QStringLiteral("cv_confirm"));
    Control<QCheckBox>(QStringLiteral("chk_cv_confirm_player"))->setChecked(true);
    Control<QLineEdit>(QStringLiteral("txt_cv_confirm_player"))->setText(site.filePath(QStringLiteral("gone.js")));
    desktop.ClearCalls();

    Next();

    EXPECT_EQ(desktop.TextsOf(Kind::Information),
              QStringList{"Cannot find the Flash player script " + site.filePath(QStringLiteral("gone.js"))
                          + "\nFolder looked in: " + site.path()});
    EXPECT_EQ(Screen(), "cv_confirm");
    EXPECT_TRUE(Control(QStringLiteral("txt_cv_confirm_player"))->hasFocus());
    EXPECT_EQ(ReadFile(page), Page);
    EXPECT_FALSE(QFileInfo::exists(site.filePath(QStringLiteral("index_backup.html"))));
}

// A relative path is looked for from the working folder, which the message
// names; Browse.. starts in the folder of the path typed.
TEST_F(ConvertPages, PlayerTypedIsLookedForFromTheWorkingFolderAndBrowseStartsBesideIt)
{
    PickPage(QStringLiteral("index.html"));
    NextUntil(QStringLiteral("cv_confirm"));
    Control<QCheckBox>(QStringLiteral("chk_cv_confirm_player"))->setChecked(true);
    auto* field = Control<QLineEdit>(QStringLiteral("txt_cv_confirm_player"));
    field->setText(QStringLiteral("no such folder/ruffle.js"));
    Next();
    EXPECT_EQ(desktop.TextsOf(Kind::Information).value(0),
              "Cannot find the Flash player script no such folder/ruffle.js\nFolder looked in: "
                  + QDir::current().filePath(QStringLiteral("no such folder")));

    Folder(QStringLiteral("player"));
    field->setText(WriteFile(QStringLiteral("player/old.js"), "// player"));
    desktop.CancelFileDialog();
    Click(QStringLiteral("sbtn_cv_confirm_player"));
    EXPECT_EQ(desktop.openDialogFolders.last(), site.filePath(QStringLiteral("player")));
}

// A page with no block (one converted before, for one) has nothing to
// convert: the confirm page says so and Next writes nothing.
TEST_F(ConvertPages, APageWithoutABlockIsNotConvertedAndNothingIsWritten)
{
    const QByteArray converted = "<head></head><noscript><object>A</object></noscript><p>no movie</p>";
    const QString page = WriteFile(QStringLiteral("index.html"), converted);
    desktop.ChooseFile(page);
    Click(QStringLiteral("sbtn_cv_input"));
    NextUntil(QStringLiteral("cv_confirm"));
    ASSERT_EQ(Screen(), "cv_confirm");
    auto* note = Control<QLabel>(QStringLiteral("lbl_cv_confirm_none"));
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().contains(QStringLiteral("no Flash movie block"))) << note->text().toStdString();
    EXPECT_TRUE(note->text().contains(QStringLiteral("Nothing will be written")));
    for (const char* option : {"chk_cv_confirm", "lbl_cv_confirm_js", "chk_cv_confirm_player"})
        EXPECT_FALSE(Control(QString::fromLatin1(option))->isVisible()) << option;
    desktop.ClearCalls();

    Next();

    EXPECT_EQ(desktop.TextsOf(Kind::Information), QStringList{note->text()});
    EXPECT_EQ(Screen(), "cv_confirm");
    EXPECT_EQ(QDir(site.path()).entryList(QDir::Files), QStringList{"index.html"});
    EXPECT_EQ(ReadFile(page), converted.toStdString());

    WriteFile(QStringLiteral("index.html"), QByteArray::fromStdString(Page));  // a movie put on the page
    Back();
    Next();
    EXPECT_FALSE(note->isVisible());
    EXPECT_TRUE(BackupBox()->isVisible());
}

// Every place that shows the page's name shows it as it is: no markup, no
// Alt key, its line end kept in the tooltips.
TEST_F(ConvertPages, ANameThatLooksLikeMarkupIsShownAsItIs)
{
    const QString name = QStringLiteral("a <b>bold &amp; & <br>x\ny.html");
    const QString page = PickPage(name);
    const QString script = QDir::toNativeSeparators(site.filePath(QStringLiteral("a <b>bold &amp; & <br>x\ny.js")));
    NextUntil(QStringLiteral("cv_confirm"));
    auto* htm = Control<QLabel>(QStringLiteral("lbl_cv_confirm_htm"));
    auto* js = Control<QLabel>(QStringLiteral("lbl_cv_confirm_js"));
    const std::pair<QString, QString> shown[] = {
        {ShownToolTip(htm), page},
        {ShownToolTip(js), script},
        {ShownCaption(BackupBox()->text()), "Create backup of " + QString(name).replace('\n', QChar(0x21B5))},
        {ShownToolTip(BackupBox()), "Create backup of " + name},
    };
    for (const auto& [text, expected] : shown)
        EXPECT_EQ(text, expected);
    EXPECT_EQ(QKeySequence::mnemonic(BackupBox()->text()), QKeySequence());
    for (const QLabel* label : {htm, js}) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        ExpectShownWhole(label);
    }
    Convert();
    EXPECT_EQ(ShownToolTip(Control(QStringLiteral("lbl_cv_complete"))), page);
    EXPECT_NE(ReadFile(page).find("displaySWF_1(); </script>"), std::string::npos);
}

// The pages meant for checking the paths keep them readable, however long:
// the labels show what fits with the file names in view, and the conversion
// and the completion page use the paths whole.
TEST_F(ConvertPages, LongPathsShowTheirFileNamesAndAreConvertedWhole)
{
    const QString folders = QStringLiteral("a rather long folder name for the web site/<b>another</b> deeply "
                                           "nested folder/and yet one more level of folders");
    Folder(folders);
    const QString page = PickPage(folders + QStringLiteral("/my_favourite_page.html"));
    NextUntil(QStringLiteral("cv_confirm"));
    const QString script = QDir::toNativeSeparators(site.filePath(folders + QStringLiteral("/my_favourite_page.js")));
    const std::pair<const char*, QString> shown[] = {{"lbl_cv_confirm_htm", page}, {"lbl_cv_confirm_js", script}};
    for (const auto& [name, path] : shown) {
        auto* label = Control<QLabel>(QString::fromLatin1(name));
        ExpectShownWhole(label);
        EXPECT_TRUE(label->text().contains(PathLabel::Cut)) << name << " is too small for the whole path";
        EXPECT_TRUE(label->text().endsWith(QFileInfo(path).fileName())) << label->text().toStdString();
        EXPECT_EQ(ShownToolTip(label), path);
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << name;
    }

    Convert();
    EXPECT_EQ(ReadFile(page), ConvertedPage("my_favourite_page.js", 1));
    auto* completed = Control<QLabel>(QStringLiteral("lbl_cv_complete"));
    ExpectShownWhole(completed);
    EXPECT_TRUE(completed->text().endsWith(QStringLiteral("/my_favourite_page.html")));
    EXPECT_EQ(ShownToolTip(completed), page);
    EXPECT_EQ(completed->textFormat(), Qt::PlainText);
}

// ------------------------------------------------------- conversions --

struct RunCase : NamedRow {
    const char* scriptFolder;  // "" keeps "Same Folder (Recommended)"
    bool backup;
    const char* scriptReference;
};

class FullRun : public ConvertPages, public testing::WithParamInterface<RunCase> {};

TEST_P(FullRun, ConvertsThePageWritesItsScriptAndBackup)
{
    const RunCase& c = GetParam();
    const QString page = PickPage(QStringLiteral("index.html"));
    Next();
    if (*c.scriptFolder)
        ChooseSpecificFolder(Folder(QString::fromLatin1(c.scriptFolder)));
    Next();
    BackupBox()->setChecked(c.backup);

    Convert();

    EXPECT_EQ(Label("lbl_cv_complete"), page);
    EXPECT_EQ(ReadFile(page), ConvertedPage(c.scriptReference, 1));
    EXPECT_EQ(ReadFile(site.filePath(QString::fromLatin1(c.scriptReference))), ScriptPart(FunctionLine(1)));
    EXPECT_EQ(ReadFile(site.filePath(QStringLiteral("index_backup.html"))), c.backup ? Page : "<missing>");
    EXPECT_TRUE(desktop.Calls().size() == 1u) << "only the open dialog";
}

INSTANTIATE_TEST_SUITE_P(Runs, FullRun,
                         testing::Values(RunCase{"DefaultFolderWithBackup", "", true, "index.js"},
                                         RunCase{"SpecificFolderWithoutBackup", "js", false, "js/index.js"}),
                         RowName<RunCase>);

TEST_F(ConvertPages, AgainConvertsTheSamePageOnceMoreKeepingTheChoices)
{
    const QString page = PickPage(QStringLiteral("index.html"));
    NextUntil(QStringLiteral("cv_confirm"));
    BackupBox()->setChecked(false);
    Convert();

    WriteFile(QStringLiteral("index.html"),
              QByteArray::fromStdString(Page));  // the author puts a new movie on the page
    Next();                                      // "&Again"
    ASSERT_EQ(Screen(), "welcome");
    NextUntil(QStringLiteral("cv_confirm"));
    EXPECT_FALSE(BackupBox()->isChecked()) << "the cleared backup box stays cleared";
    Convert();

    EXPECT_EQ(ReadFile(page), ConvertedPage("index.js", 2));
    EXPECT_EQ(ReadFile(site.filePath(QStringLiteral("index.js"))),
              ScriptPart(FunctionLine(1)) + ScriptPart(FunctionLine(1) + FunctionLine(2)));
    EXPECT_FALSE(QFileInfo::exists(site.filePath(QStringLiteral("index_backup.html"))));
}

TEST_F(ConvertPages, FailedConversionIsReportedAndLeavesTheWizardOnTheConfirmPage)
{
    const QString page = PickPage(QStringLiteral("index.html"));
    NextUntil(QStringLiteral("cv_confirm"));
    QFile::remove(page);
    desktop.ClearCalls();

    Next();

    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{
                                   {Kind::Error, "Cannot open file " + page + "\nNo such file or directory"}}));
    EXPECT_EQ(Screen(), "cv_confirm");
    ExpectRowShown(StepRowOf(QStringLiteral("cv_confirm")));
    EXPECT_FALSE(Timer()->isActive());
    EXPECT_EQ(Bar()->value(), 0);
    QTest::qWait(700);
    EXPECT_EQ(Screen(), "cv_confirm") << "no completion page after a failure";

    WriteFile(QStringLiteral("index.html"), QByteArray::fromStdString(Page));
    Convert();
    EXPECT_EQ(ReadFile(page), ConvertedPage("index.js", 1));
}

}  // namespace
