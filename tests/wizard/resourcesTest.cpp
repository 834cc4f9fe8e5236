// The main window's resource holds every control under its own name, with
// its kind, text, look and initial state.
#include "namedRow.h"
#include "wizardWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolButton>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;

namespace {

struct ControlCase : NamedRow {
    const char* kind;
    const char* text;  // null: the control shows no text of its own
};

// Texts as the wizard's own; "\r\n" is the toolkit's line break "\n".
QString Shown(const char* text)
{
    return QString::fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

const char* const ConfirmText = "Your options are listed below. If they are correct, click Next to start the "
                                "process. If not, click Back to correct your settings.";

const ControlCase MainControls[] = {
    {"frmMain", "QMainWindow", nullptr},
    {"panMain", "QFrame", nullptr},
    {"panTitle", "QFrame", nullptr},
    {"imgTitleBg", "QLabel", nullptr},
    {"lblTitle", "QLabel", "Welcome"},
    {"panSep_2", "QFrame", nullptr},
    {"panStep", "QFrame", nullptr},
    {"btnBack", "QPushButton", "&Back"},
    {"btnNext", "QPushButton", "&Next"},
    {"btnExit", "QPushButton", "&Cancel"},
    {"panFirst", "QFrame", nullptr},
    {"Label2", "QLabel",
     "Welcome to Sorvane. This will help you to remove the frames around your Flash areas on your webpages. We "
     "will guide you the process by an easy step-by-step wizard.\r\n\r\nSelect your option below and click Next "
     "to start."},
    {"radGenerate", "QRadioButton", "Generate HTML Code"},
    {"lblGenerate", "QLabel", "I want to insert a Flash movie into an existing web page"},
    {"radConvert", "QRadioButton", "Replace HTML Code"},
    {"lblConvert", "QLabel", "I want to remove frames on all Flash area in an exising webpage"},
    {"nbkConvert", "QStackedWidget", nullptr},
    {"cv_input", "QWidget", nullptr},
    {"Label1", "QLabel", "Click Browse and select a web page to process."},
    {"txt_cv_input", "QLineEdit", ""},
    {"sbtn_cv_input", "QToolButton", "Browse.."},
    {"cv_output", "QWidget", nullptr},
    {"Label5", "QLabel",
     "A JavaScript (.js) file will be created throughout the process. \r\nIf you want to put the .js file in a "
     "specific folder, click Specific Folder and click Browse to select the location. If not, or you are not "
     "sure about this option, just click Next."},
    {"rad_cv_output_default", "QRadioButton", "Same Folder (Recommended)"},
    {"rad_cv_output_custom", "QRadioButton", "Specific Folder"},
    {"txt_cv_output", "QLineEdit", ""},
    {"sbtn_cv_output", "QToolButton", "Browse.."},
    {"cv_confirm", "QWidget", nullptr},
    {"Label9", "QLabel", ConfirmText},
    {"Label10", "QLabel", "Process web page file at:"},
    {"lbl_cv_confirm_htm", "QLabel", "lbl_cv_confirm_htm"},
    {"Label16", "QLabel", "Create script file at:"},
    {"lbl_cv_confirm_js", "QLabel", "lbl_cv_confirm_js"},
    {"chk_cv_confirm", "QCheckBox", "chkBackup"},
    {"cv_progress", "QWidget", nullptr},
    {"Label6", "QLabel", "In Progress..."},
    {"panPBar", "QFrame", nullptr},
    {"ProgressBar", "QProgressBar", nullptr},
    {"cv_complete", "QWidget", nullptr},
    {"Label3", "QLabel", "Frames on your Flash movies removed at webpage :"},
    {"lbl_cv_complete", "QLabel", "lbl_cv_complete"},
    {"Label11", "QLabel", "You can click Again for another web page, or Exit to leave"},
    {"nbkGenerate", "QStackedWidget", nullptr},
    {"gn_input", "QWidget", nullptr},
    {"Label12", "QLabel", "Click Browse and select a Flash movie (.swf) file to process."},
    {"txt_gn_input", "QLineEdit", ""},
    {"sbtn_gn_input", "QToolButton", "Browse.."},
    {"gn_swfoption", "QWidget", nullptr},
    {"Label13", "QLabel",
     "Please enter your Flash options below.\r\nYou must enter the options Width and Height. However, if you are "
     "not sure about the options Name and Quality, you can ignore them and use default values."},
    {"Label18", "QLabel", "*"},
    {"Label19", "QLabel", "*"},
    {"Label17", "QLabel", "Width"},
    {"txt_gn_swfoption_width", "QLineEdit", ""},
    {"Label4", "QLabel", "Height"},
    {"txt_gn_swfoption_height", "QLineEdit", ""},
    {"Label8", "QLabel", "Name / ID"},
    {"txt_gn_swfoption_name", "QLineEdit", ""},
    {"Label7", "QLabel", "Quality"},
    {"cmb_gn_swfoption_quality", "QComboBox", nullptr},
    {"gn_confirm", "QWidget", nullptr},
    {"Label14", "QLabel", ConfirmText},
    {"Label20", "QLabel", "Process Flash movie at:"},
    {"lbl_gn_confirm_path", "QLabel", "lbl_gn_confirm_path"},
    {"Label21", "QLabel", "Flash options:"},
    {"Label22", "QLabel", "Width"},
    {"lbl_gn_confirm_w", "QLabel", "w"},
    {"Label23", "QLabel", "Height"},
    {"lbl_gn_confirm_h", "QLabel", "h"},
    {"Label24", "QLabel", "Name / ID"},
    {"lbl_gn_confirm_id", "QLabel", "id"},
    {"Label25", "QLabel", "Quality"},
    {"lbl_gn_confirm_q", "QLabel", "q"},
    {"gn_complete", "QWidget", nullptr},
    {"lbl_gn_complete_js", "QLabel",
     "A JavaScript (.js) file named \"%s\" is created at the same folder of your Flash movie. "},
    {"Label26", "QLabel", "Please do the following step to insert Flash movie into your web page:"},
    {"lbl_gn_complete_step1", "QLabel", "1. Put \"%s\" and \"%s\" in the same folder of you web page."},
    {"Label15", "QLabel",
     "2. Open your web page with HTML editor.\r\n3. Copy the code in text box below.\r\n4. Paste the code in "
     "where you want the Flash movie to appear.\r\n5. Save file and exit."},
    {"Panel2", "QFrame", nullptr},
    {"sbtn_gn_complete", "QToolButton", "Copy To Clipboard"},
    {"Panel1", "QFrame", nullptr},
    {"mem_gn_complete", "QPlainTextEdit", nullptr},
    {"panAd", "QFrame", nullptr},
    {"Panel4", "QFrame", nullptr},
    {"Label27", "QLabel", "Flash Resource and Templates"},
    {"panSep_1", "QFrame", nullptr},
    {"imgLogo_1", "QLabel", nullptr},
    {"imgLogo_2", "QLabel", nullptr},
    {"imgLogo_3", "QLabel", nullptr},
    {"imgLogo_4", "QLabel", nullptr},
    {"MainMenu", "QMenuBar", nullptr},
    {"mi_About", "QAction", "&About Sorvane"},
    {"mi_GetFree1", "QMenu", "&Software"},
    {"mi_ReadMoreOn1", "QMenu", "&Links"},
    {"mi_Sep1", "QAction", nullptr},
    {"mi_Sep2", "QAction", nullptr},
    {"mi_Sep3", "QAction", nullptr},
};

class MainResource : public WizardWindowTest<>, public testing::WithParamInterface<ControlCase> {};

TEST_P(MainResource, HoldsTheControlWithItsKindAndText)
{
    const ControlCase& c = GetParam();
    const QString name = QString::fromLatin1(c.name);
    QObject* control = name == window->objectName() ? window.get() : window->findChild<QObject*>(name);
    ASSERT_NE(control, nullptr) << "no control named " << c.name;
    EXPECT_TRUE(control->inherits(c.kind)) << c.name << " is a " << control->metaObject()->className();
    if (c.text) {
        const char* property = qobject_cast<QMenu*>(control) ? "title" : "text";
        EXPECT_EQ(control->property(property).toString(), Shown(c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(Controls, MainResource, testing::ValuesIn(MainControls), RowName<ControlCase>);

// ------------------------------------------------------------------ look --

struct ColourCase : NamedRow {
    QPalette::ColorRole role;
    QRgb colour;
};

class MainColours : public WizardWindowTest<>, public testing::WithParamInterface<ColourCase> {};

TEST_P(MainColours, ControlHasItsColourInEveryState)
{
    const ColourCase& c = GetParam();
    const QPalette palette = Control(QString::fromLatin1(c.name))->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        EXPECT_EQ(palette.color(group, c.role).rgb(), c.colour) << c.name << " in group " << group;
}

INSTANTIATE_TEST_SUITE_P(Colours, MainColours,
                         testing::Values(ColourCase{"panTitle", QPalette::Window, 0xFFFFFFFF},
                                         ColourCase{"panSep_2", QPalette::Window, 0xFF889988},
                                         ColourCase{"panFirst", QPalette::Window, 0xFFF6F9F6},
                                         ColourCase{"nbkConvert", QPalette::Window, 0xFFF6F9F6},
                                         ColourCase{"nbkGenerate", QPalette::Window, 0xFFF6F9F6},
                                         ColourCase{"panAd", QPalette::Window, 0xFFFFFFFF},
                                         ColourCase{"Panel4", QPalette::Window, 0xFFF6F9F6},
                                         ColourCase{"panSep_1", QPalette::Window, 0xFF000000},
                                         ColourCase{"panPBar", QPalette::Window, 0xFFFFFFFF},
                                         ColourCase{"txt_cv_output", QPalette::Base, 0xFFE9E9E9},
                                         ColourCase{"Label18", QPalette::WindowText, 0xFFFF0000},
                                         ColourCase{"Label19", QPalette::WindowText, 0xFFFF0000}),
                         RowName<ColourCase>);

TEST_F(WizardWindow, StripsHaveTheirHeightsAndTheContentFillsTheRest)
{
    const std::pair<const char*, int> strips[] = {{"panTitle", 39}, {"panSep_2", 2}, {"panStep", 48}, {"panAd", 84}};
    for (const auto& [name, height] : strips)
        EXPECT_EQ(Control(QString::fromLatin1(name))->height(), height) << name;
    EXPECT_EQ(Control(QStringLiteral("panMain"))->height(), 373 - 48 - 84);
    EXPECT_EQ(Control(QStringLiteral("panFirst"))->frameGeometry(),
              Control(QStringLiteral("panMain"))->contentsRect().adjusted(0, 41, 0, 0));
}

TEST_F(WizardWindow, PicturesAreLoaded)
{
    EXPECT_FALSE(Control<QLabel>(QStringLiteral("imgTitleBg"))->pixmap().isNull());
    for (const char* name : {"imgLogo_1", "imgLogo_2", "imgLogo_3", "imgLogo_4"}) {
        auto* logo = Control<QLabel>(QString::fromLatin1(name));
        EXPECT_EQ(logo->pixmap().size(), QSize(122, 48)) << name << ": the JPEG advert must decode";
        EXPECT_EQ(logo->size(), QSize(122, 48)) << name;
        EXPECT_FALSE(logo->toolTip().isEmpty()) << name;
        EXPECT_EQ(logo->cursor().shape(), Qt::PointingHandCursor) << name;
    }
    for (const char* name : {"btnBack", "btnNext"}) {
        const QIcon icon = Control<QAbstractButton>(QString::fromLatin1(name))->icon();
        const QImage normal = icon.pixmap(16, QIcon::Normal).toImage();
        const QImage greyed = icon.pixmap(16, QIcon::Disabled).toImage();
        EXPECT_FALSE(normal.isNull()) << name;
        EXPECT_NE(normal, greyed) << name << " has its own greyed picture";
    }
    for (const char* name : {"sbtn_cv_input", "sbtn_cv_output", "sbtn_gn_input", "sbtn_gn_complete"})
        EXPECT_FALSE(Control<QAbstractButton>(QString::fromLatin1(name))->icon().isNull()) << name;
}

TEST_F(WizardWindow, InitialStatesAreTheResources)
{
    for (const char* name : {"txt_cv_input", "txt_cv_output", "txt_gn_input"})
        EXPECT_TRUE(Control<QLineEdit>(QString::fromLatin1(name))->isReadOnly()) << name;
    EXPECT_TRUE(Control<QRadioButton>(QStringLiteral("rad_cv_output_default"))->isChecked());
    EXPECT_FALSE(Control(QStringLiteral("sbtn_cv_output"))->isEnabled());
    EXPECT_TRUE(Control<QAbstractButton>(QStringLiteral("chk_cv_confirm"))->isChecked());
    auto* bar = Control<QProgressBar>(QStringLiteral("ProgressBar"));
    EXPECT_EQ(std::make_tuple(bar->minimum(), bar->maximum(), bar->value()), std::make_tuple(0, 100, 0));
    auto* quality = Control<QComboBox>(QStringLiteral("cmb_gn_swfoption_quality"));
    EXPECT_FALSE(quality->isEditable());
    EXPECT_EQ(quality->currentIndex(), -1);
    ASSERT_EQ(quality->count(), 3);
    EXPECT_EQ(quality->itemText(0), "Best");
    EXPECT_EQ(quality->itemText(1), "High");
    EXPECT_EQ(quality->itemText(2), "Low");
    auto* memo = Control<QPlainTextEdit>(QStringLiteral("mem_gn_complete"));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    for (const char* name : {"radGenerate", "radConvert", "lblGenerate", "lblConvert"})
        EXPECT_EQ(Control(QString::fromLatin1(name))->cursor().shape(), Qt::PointingHandCursor) << name;
    for (const char* name : {"radGenerate", "radConvert", "rad_cv_output_default", "lbl_cv_confirm_htm",
                             "lbl_cv_confirm_js", "lbl_cv_complete", "Label27", "lblTitle"})
        EXPECT_TRUE(Control(QString::fromLatin1(name))->font().bold()) << name;
    EXPECT_FALSE(Control<QLabel>(QStringLiteral("lbl_cv_confirm_htm"))->wordWrap()) << "one line, cut";
    EXPECT_TRUE(Control<QLabel>(QStringLiteral("lbl_cv_confirm_js"))->wordWrap());
}

// The next control that Tab reaches from start.
QWidget* NextTabStop(QWidget* start)
{
    for (QWidget* w = start->nextInFocusChain(); w != start; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled())
            return w;
    }
    return start;
}

TEST_F(WizardWindow, TabOrdersOfButtonBarAndOptionsPage)
{
    Next();
    desktop.ChooseFile(QStringLiteral("/movies/intro.swf"));
    Click(QStringLiteral("sbtn_gn_input"));
    Next();
    ASSERT_EQ(Screen(), "gn_swfoption");
    const char* order[] = {"txt_gn_swfoption_height",
                           "txt_gn_swfoption_width",
                           "txt_gn_swfoption_name",
                           "cmb_gn_swfoption_quality",
                           "chk_gn_swfoption_player",
                           "btnNext",
                           "btnBack",
                           "btnExit"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(NextTabStop(Control(QString::fromLatin1(order[i])))->objectName(), order[i + 1]);
}

TEST_F(WizardWindow, MenuBarHoldsAboutAndTwoLinkMenusWithSeparators)
{
    const auto names = [](const QList<QAction*>& actions) {
        QStringList list;
        for (QAction* action : actions)
            list << (action->menu() ? action->menu()->objectName() : action->objectName());
        return list;
    };
    EXPECT_EQ(names(Control<QMenuBar>(QStringLiteral("MainMenu"))->actions()),
              QStringList({"mi_About", "mi_GetFree1", "mi_ReadMoreOn1"}));
    EXPECT_EQ(names(Control<QMenu>(QStringLiteral("mi_GetFree1"))->actions()),
              QStringList({"mi_FlashTools", "mi_MenuBuilder", "mi_Sep1", "mi_FlashTemplates", "mi_FreeIntros"}));
    EXPECT_EQ(names(Control<QMenu>(QStringLiteral("mi_ReadMoreOn1"))->actions()),
              QStringList({"mi_Tutorials", "mi_AuthoringTips", "mi_Sep2", "mi_Showcase", "mi_Gallery", "mi_Sep3",
                           "mi_HtmlHelp", "mi_FreeScripts"}));
    for (const char* name : {"mi_Sep1", "mi_Sep2", "mi_Sep3"})
        EXPECT_TRUE(Find<QAction>(window.get(), QString::fromLatin1(name))->isSeparator()) << name;
}

}  // namespace
