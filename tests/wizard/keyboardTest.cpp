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
    std::vector<const char*> focusAfterEachNext;  // the welcome screen's first
};

class ScreenFocus : public StepsWindow, public testing::WithParamInterface<FocusCase> {};

TEST_P(ScreenFocus, IsOnTheFirstControlTheUserActsOn)
{
    const FocusCase& c = GetParam();
    SetConvertPage();
    if (c.convert)
        Click(QStringLiteral("lblConvert"));
    for (const char* expected : c.focusAfterEachNext) {
        QWidget* focused = window->focusWidget();
        EXPECT_EQ((focused ? focused->objectName() : QString()).toStdString(), expected)
            << "on " << Screen().toStdString();
        if (Screen() == (c.convert ? "cv_confirm" : "gn_complete"))
            break;
        Next();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ScreenFocus,
    testing::Values(
        FocusCase{"Generate",
                  false,
                  {"radGenerate", "sbtn_gn_input", "txt_gn_swfoption_height", "btnNext", "sbtn_gn_complete"}},
        FocusCase{"Convert", true, {"radConvert", "sbtn_cv_input", "rad_cv_output_default", "chk_cv_confirm"}}),
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
    for (int page = 0; page < 4; ++page)
        Next();
    ASSERT_EQ(Screen(), "gn_complete");
    Next();  // "&Again"
    EXPECT_EQ(window->focusWidget(), Control(QStringLiteral("radGenerate")));
}

}  // namespace
