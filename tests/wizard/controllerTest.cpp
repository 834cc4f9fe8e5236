// The wizard's step machine, driven through the real main window.
#include "namedRow.h"
#include "wizardWindow.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;
using Kind = FakeDesktop::Kind;

namespace {

const QString ExitQuestion = QStringLiteral("This will close Sorvane.\r\nAre you sure your want to exit?");

TEST_F(WizardWindow, StartsOnTheWelcomeScreenWithGenerateChosenAndFocused)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(Screen(), "welcome");
    ExpectRowShown(WelcomeStep);
    EXPECT_EQ(Title(), "Welcome");
    EXPECT_FALSE(Control(QStringLiteral("btnBack"))->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(QStringLiteral("radGenerate"))->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Control(QStringLiteral("radGenerate")));
    EXPECT_EQ(window->CurrentNotebook(), nullptr);
    EXPECT_TRUE(desktop.Calls().empty());
}

TEST_F(WizardWindow, WindowIsFixedSizeWithoutMaximizeBox)
{
    EXPECT_EQ(window->centralWidget()->size(), QSize(512, 373));
    EXPECT_EQ(window->width(), 512);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window->windowTitle(), "Sorvane");
}

// ------------------------------------------------------------- walking --

struct PathCase : NamedRow {
    const char* chooser;  // the welcome label that chooses the path
    const char* notebook;
    std::span<const WizardPage> pages;
    // The pages reached by Next, in order, each with Back enabled: those up
    // to the page that starts the work.
    QStringList OrdinaryPages() const
    {
        QStringList names;
        for (const WizardPage& page : pages) {
            if (page.role != PageRole::Ordinary)
                break;
            names << QString::fromLatin1(page.objectName);
        }
        return names;
    }
};

class PathWalk : public StepsWindow, public testing::WithParamInterface<PathCase> {};

TEST_P(PathWalk, NextAndBackShowEachPageWithItsRow)
{
    const PathCase& path = GetParam();
    const QStringList pages = path.OrdinaryPages();
    ASSERT_FALSE(pages.isEmpty());
    SetConvertPage();
    Click(QString::fromLatin1(path.chooser));
    for (const QString& page : pages) {
        Next();
        EXPECT_EQ(Screen(), page);
        ExpectRowShown(StepRowOf(page));
        EXPECT_EQ(window->CurrentNotebook()->objectName(), path.notebook);
    }
    for (qsizetype i = pages.size() - 1; i > 0; --i) {
        Back();
        EXPECT_EQ(Screen(), pages[i - 1]);
        ExpectRowShown(StepRowOf(pages[i - 1]));
    }
    Back();
    EXPECT_EQ(Screen(), "welcome");
    ExpectRowShown(WelcomeStep);
    Next();
    EXPECT_EQ(Screen(), pages[0]);
    EXPECT_TRUE(desktop.Calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, PathWalk,
                         testing::Values(PathCase{"Convert", "lblConvert", "nbkConvert", ConvertPageTable},
                                         PathCase{"Generate", "lblGenerate", "nbkGenerate", GeneratePageTable}),
                         RowName<PathCase>);

TEST_F(StepsWindow, AgainReturnsToWelcomeKeepingEverythingEntered)
{
    NextUntil(QStringLiteral("gn_input"));
    Control<QLineEdit>(QStringLiteral("txt_gn_input"))->setText(QStringLiteral("/movies/intro.swf"));
    NextUntil(QStringLiteral("gn_swfoption"));
    Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_width"))->setText(QStringLiteral("550"));
    NextUntil(QStringLiteral("gn_complete"));
    ExpectRowShown(StepRowOf(QStringLiteral("gn_complete")));

    Next();  // "&Again"
    EXPECT_EQ(Screen(), "welcome");
    ExpectRowShown(WelcomeStep);
    EXPECT_EQ(Control<QStackedWidget>(QStringLiteral("nbkGenerate"))->currentIndex(), 0);
    EXPECT_EQ(Control<QStackedWidget>(QStringLiteral("nbkConvert"))->currentIndex(), 0);
    EXPECT_TRUE(Control<QRadioButton>(QStringLiteral("radGenerate"))->isChecked());
    EXPECT_EQ(Control<QLineEdit>(QStringLiteral("txt_gn_input"))->text(), "/movies/intro.swf");
    EXPECT_EQ(Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_width"))->text(), "550");
}

TEST_F(WizardWindow, LabelClicksChooseTheirRadioButton)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Click(QStringLiteral("lblConvert"));
    EXPECT_TRUE(Control<QRadioButton>(QStringLiteral("radConvert"))->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Control(QStringLiteral("radConvert")));
    EXPECT_EQ(Screen(), "welcome") << "choosing does not move on";
    Next();
    EXPECT_EQ(Screen(), "cv_input");

    Back();
    Click(QStringLiteral("lblGenerate"));
    EXPECT_TRUE(Control<QRadioButton>(QStringLiteral("radGenerate"))->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Control(QStringLiteral("radGenerate")));
    Next();
    EXPECT_EQ(Screen(), "gn_input");
}

TEST_F(WizardWindow, AltNPressesNext)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Screen() == "gn_input"; }));
    EXPECT_EQ(Title(), "Selecting Flash Movie File");
}

// -------------------------------------------------------------- progress --

class Progress : public WizardWindow {
protected:
    void ToConfirmPage()
    {
        SetConvertPage();
        Click(QStringLiteral("lblConvert"));
        NextUntil(QStringLiteral("cv_confirm"));
    }
    // Next on the confirm page, then every position the bar takes until the
    // wizard has moved on by itself.
    std::vector<int> RunProgress()
    {
        std::vector<int> positions;
        auto* bar = Control<QProgressBar>(QStringLiteral("ProgressBar"));
        const auto recording = QObject::connect(bar, &QProgressBar::valueChanged,
                                                [&](int value) { positions.push_back(value); });
        Next();
        EXPECT_EQ(Screen(), "cv_progress");
        ExpectRowShown(StepRowOf(QStringLiteral("cv_progress")));
        EXPECT_TRUE(Timer()->isActive());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !Timer()->isActive(); }, 5000));
        QObject::disconnect(recording);
        return positions;
    }
    QTimer* Timer() const { return Find<QTimer>(window.get(), QStringLiteral("Timer")); }
};

TEST_F(Progress, BarFillsInTenStepsThenMovesOnByItself)
{
    EXPECT_EQ(Timer()->interval(), 50);
    EXPECT_FALSE(Timer()->isActive());
    ToConfirmPage();

    const std::vector<int> filled{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 0};
    EXPECT_EQ(RunProgress(), filled);
    EXPECT_EQ(Screen(), "cv_complete");
    ExpectRowShown(StepRowOf(QStringLiteral("cv_complete")));

    Next();  // "&Again"
    ToConfirmPage();
    EXPECT_EQ(RunProgress(), filled) << "a second run starts from an empty bar";
    EXPECT_EQ(Screen(), "cv_complete");
}

// ------------------------------------------------------------- leaving --

TEST_F(StepsWindow, CancelAnsweredNoKeepsTheWizardWhereItWas)
{
    NextUntil(QStringLiteral("gn_swfoption"));
    desktop.AnswerNo();
    Click(QStringLiteral("btnExit"));
    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::AskExit, ExitQuestion}}));
    EXPECT_EQ(Screen(), "gn_swfoption");
    ExpectRowShown(StepRowOf(QStringLiteral("gn_swfoption")));
}

TEST_F(WizardWindow, CancelAnsweredYesEndsTheProgram)
{
    desktop.AnswerYes();
    Click(QStringLiteral("btnExit"));
    EXPECT_EQ(desktop.Calls(),
              (std::vector<FakeDesktop::Call>{{Kind::AskExit, ExitQuestion}, {Kind::EndApplication, {}}}));
}

TEST_F(StepsWindow, ExitOnCompletionPageEndsWithoutQuestion)
{
    NextUntil(QStringLiteral("gn_complete"));
    ASSERT_EQ(Control<QAbstractButton>(QStringLiteral("btnExit"))->text(), "E&xit");
    Click(QStringLiteral("btnExit"));
    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::EndApplication, {}}}));
}

TEST_F(WizardWindow, EscPressesTheThirdButtonOnlyWhileEnabled)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    desktop.AnswerNo();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(desktop.CountOf(Kind::AskExit), 1);

    Control<QAbstractButton>(QStringLiteral("btnExit"))->setEnabled(false);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(desktop.CountOf(Kind::AskExit), 1);
}

struct CloseCase : NamedRow {
    bool convert;        // the path chosen
    const char* screen;  // reached by Next from the welcome screen
    bool asks;           // the exit question, else the program ends at once
};

class CloseBox : public StepsWindow, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseBox, NeverClosesTheWindowAndActsLikeTheThirdButton)
{
    const CloseCase& c = GetParam();
    SetConvertPage();
    if (c.convert)
        Click(QStringLiteral("lblConvert"));
    NextUntil(QString::fromLatin1(c.screen));
    ASSERT_EQ(Screen(), c.screen);
    if (c.asks)
        desktop.AnswerNo();

    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    const auto expected = c.asks ? FakeDesktop::Call{Kind::AskExit, ExitQuestion}
                                 : FakeDesktop::Call{Kind::EndApplication, {}};
    EXPECT_EQ(desktop.Calls(), std::vector<FakeDesktop::Call>{expected});
    EXPECT_EQ(Screen(), c.screen);
}

INSTANTIATE_TEST_SUITE_P(Screens, CloseBox,
                         testing::Values(CloseCase{"Welcome", false, "welcome", true},
                                         CloseCase{"PathPage", false, "gn_swfoption", true},
                                         CloseCase{"ProgressPageWithThirdButtonDisabled", true, "cv_progress", true},
                                         CloseCase{"CompletionPage", false, "gn_complete", false}),
                         RowName<CloseCase>);

}  // namespace
