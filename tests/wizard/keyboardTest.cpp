// The wizard for users of the keyboard and of assistive tools: every control
// has a name a screen reader can say, and each screen takes the focus where
// its work starts, so Tab is rarely needed.
#include "namedRow.h"
#include "wizardWindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;

namespace {

QString AccessibleName(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// What the user can act on or read a value from: buttons, text boxes, lists,
// the progress bar, and the pictures that open links.
bool IsControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget)
           || qobject_cast<const QComboBox*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)
           || qobject_cast<const QProgressBar*>(widget)
           || (qobject_cast<const QLabel*>(widget) && widget->cursor().shape() == Qt::PointingHandCursor);
}

TEST_F(WizardWindow, EveryControlHasAnAccessibleName)
{
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (IsControl(widget) && !widget->objectName().startsWith(QLatin1String("qt_"))
            && AccessibleName(widget).trimmed().isEmpty())
            unnamed << widget->objectName();
    }
    EXPECT_EQ(unnamed, QStringList{});
}

TEST_F(WizardWindow, FieldsAreNamedByTheirLabels)
{
    const std::pair<const char*, const char*> named[] = {
        {"txt_gn_swfoption_width", "Width"},
        {"txt_gn_swfoption_height", "Height"},
        {"txt_gn_swfoption_name", "Name / ID"},
        {"cmb_gn_swfoption_quality", "Quality"},
        {"txt_cv_input", "Click Browse and select a web page to process."},
        {"txt_gn_input", "Click Browse and select a Flash movie (.swf) file to process."},
        {"btnNext", "Next"},
    };
    for (const auto& [control, name] : named)
        EXPECT_EQ(AccessibleName(Control(QString::fromLatin1(control))), name) << control;
}

// Where the focus is once each screen has been entered by Next.
struct FocusCase : NamedRow {
    bool convert;
    // Each screen in the order Next reaches it, from the welcome screen,
    // with the control that has the focus there.
    std::vector<std::pair<const char*, const char*>> focusOnScreen;
};

class ScreenFocus : public StepsWindow, public testing::WithParamInterface<FocusCase> {};

TEST_P(ScreenFocus, IsOnTheFirstControlTheUserActsOn)
{
    const FocusCase& c = GetParam();
    SetConvertPage();
    if (c.convert)
        Click(QStringLiteral("lblConvert"));
    for (const auto& [screen, expected] : c.focusOnScreen) {
        NextUntil(QString::fromLatin1(screen));
        QWidget* focused = window->focusWidget();
        EXPECT_EQ((focused ? focused->objectName() : QString()).toStdString(), expected) << "on " << screen;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, ScreenFocus,
                         testing::Values(FocusCase{"Generate",
                                                   false,
                                                   {{"welcome", "radGenerate"},
                                                    {"gn_input", "sbtn_gn_input"},
                                                    {"gn_swfoption", "txt_gn_swfoption_height"},
                                                    {"gn_confirm", "btnNext"},
                                                    {"gn_complete", "sbtn_gn_complete"}}},
                                         FocusCase{"Convert",
                                                   true,
                                                   {{"welcome", "radConvert"},
                                                    {"cv_input", "sbtn_cv_input"},
                                                    {"cv_output", "rad_cv_output_default"},
                                                    {"cv_confirm", "chk_cv_confirm"}}}),
                         RowName<FocusCase>);

TEST_F(StepsWindow, BackToTheWelcomeScreenFocusesTheChosenOption)
{
    Click(QStringLiteral("lblConvert"));
    SetConvertPage();
    Next();
    Back();
    ASSERT_EQ(Screen(), "welcome");
    EXPECT_EQ(window->focusWidget(), Control(QStringLiteral("radConvert")));

    Click(QStringLiteral("lblGenerate"));
    NextUntil(QStringLiteral("gn_complete"));
    Next();  // "&Again"
    EXPECT_EQ(window->focusWidget(), Control(QStringLiteral("radGenerate")));
}

}  // namespace

namespace {

// ------------------------------------------------------------------ Enter --

// Enter presses the focused push or tool button; on any other control it is
// Next, and on a completion page the third button.
struct EnterCase : NamedRow {
    const char* screenBefore;  // reached by Next from the welcome screen (generate path)
    const char* focus;         // the control Enter is pressed on
    const char* screenAfter;
    int openDialogs;  // the open dialogs Enter opened
    bool endedApplication;
};

class EnterKey : public StepsWindow, public testing::WithParamInterface<EnterCase> {};

TEST_P(EnterKey, PressesTheFocusedButtonElseNext)
{
    const EnterCase& c = GetParam();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    NextUntil(QString::fromLatin1(c.screenBefore));
    if (c.openDialogs)
        desktop.CancelFileDialog();
    QWidget* focus = Control(QString::fromLatin1(c.focus));
    focus->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), focus);
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(Screen(), c.screenAfter);
    EXPECT_EQ(desktop.CountOf(FakeDesktop::Kind::OpenFile), c.openDialogs);
    EXPECT_EQ(desktop.CountOf(FakeDesktop::Kind::EndApplication), c.endedApplication ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, EnterKey,
    testing::Values(EnterCase{"OnTheChosenOption", "welcome", "radGenerate", "gn_input", 0, false},
                    EnterCase{"OnNext", "welcome", "btnNext", "gn_input", 0, false},
                    EnterCase{"OnBrowse", "gn_input", "sbtn_gn_input", "gn_input", 1, false},
                    EnterCase{"OnBack", "gn_input", "btnBack", "welcome", 0, false},
                    EnterCase{"InATextBox", "gn_swfoption", "txt_gn_swfoption_name", "gn_confirm", 0, false},
                    EnterCase{"InTheQualityList", "gn_swfoption", "cmb_gn_swfoption_quality", "gn_confirm", 0, false},
                    EnterCase{"InTheSnippetOnTheCompletionPage", "gn_complete", "mem_gn_complete", "gn_complete", 0,
                              true}),
    RowName<EnterCase>);

// ------------------------------------------------------------------ focus --

TEST_F(StepsWindow, TheSnippetBoxShowsWhenItHasTheFocus)
{
    NextUntil(QStringLiteral("gn_complete"));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* panel = Control(QStringLiteral("Panel1"));
    Control(QStringLiteral("sbtn_gn_complete"))->setFocus();
    const QImage unfocused = panel->grab().toImage();
    Control(QStringLiteral("mem_gn_complete"))->setFocus();
    const QImage focused = panel->grab().toImage();
    EXPECT_NE(focused, unfocused);
    EXPECT_EQ(focused.pixelColor(0, panel->height() / 2), panel->palette().color(QPalette::Highlight));
}

TEST_F(WizardWindow, AMenuClosedByEscapeGivesTheFocusBack)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* before = window->focusWidget();
    ASSERT_NE(before, nullptr);
    QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->focusWidget() == before; }, 2000))
        << "focus on " << (window->focusWidget() ? window->focusWidget()->objectName().toStdString() : "none");
}

// The path boxes that only Browse.. fills look and read as read-only.
TEST_F(WizardWindow, PathBoxesLookAndReadReadOnly)
{
    for (const char* name : {"txt_cv_input", "txt_gn_input"}) {
        auto* box = Control<QLineEdit>(QString::fromLatin1(name));
        EXPECT_TRUE(box->isReadOnly()) << name;
        EXPECT_EQ(box->palette().color(QPalette::Base), box->palette().color(QPalette::Window)) << name;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
        EXPECT_TRUE(accessible && accessible->state().readOnly) << name;
    }
}

// A screen smaller than the window (1024 x 768 drawn at twice the size)
// gets the window in a size that fits, its content scrolled.
TEST_F(WizardWindow, AWindowLargerThanTheScreenFitsAndScrolls)
{
    const QRect screen(0, 0, 512, 384);
    window->FitOnScreen(screen);
    EXPECT_LE(window->frameGeometry().height(), screen.height());
    EXPECT_LE(window->frameGeometry().width(), screen.width());
    auto* scroller = Control<QScrollArea>(QStringLiteral("scrContent"));
    ASSERT_NE(scroller, nullptr);
    QTest::qWait(50);
    EXPECT_EQ(scroller->widget()->size(), QSize(512, 373)) << "the content keeps its size";
    EXPECT_GT(scroller->verticalScrollBar()->maximum(), 0);
    Next();
    EXPECT_EQ(Screen(), "gn_input") << "the window works as before";
}

}  // namespace
