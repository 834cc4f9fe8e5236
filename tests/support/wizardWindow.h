// A main window built from its resource and driven like a user would: by
// clicking its controls, with every desktop question answered by a
// FakeDesktop.
#pragma once

#include "fakeDesktop.h"
#include "guiTest.h"
#include "unitMain.h"
#include "wizardPages.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

// The step row of a screen: "welcome", or a path page found by its name
// in its table.
inline const sorvane::TAcPage& StepRowOf(const QString& screen)
{
    using namespace sorvane;
    if (const qsizetype i = PageNamesOf(ConvertPageTable).indexOf(screen); i >= 0)
        return ConvertSteps[i];
    if (const qsizetype i = PageNamesOf(GeneratePageTable).indexOf(screen); i >= 0)
        return GenerateSteps[i];
    EXPECT_EQ(screen, "welcome") << "no such screen";
    return WelcomeStep;
}

template <class Window = sorvane::TfrmMain>
class WizardWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<Window>(desktop);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    template <class T = QWidget>
    T* Control(const QString& name) const
    {
        return Find<T>(window.get(), name);
    }

    void Click(const QString& name) const { QTest::mouseClick(Control(name), Qt::LeftButton); }
    void Next() const { Click(QStringLiteral("btnNext")); }
    void Back() const { Click(QStringLiteral("btnBack")); }

    // The page the user sees: a notebook page's name, or "welcome".
    QString Screen() const
    {
        for (const char* notebook : {"nbkConvert", "nbkGenerate"}) {
            auto* book = Control<QStackedWidget>(QString::fromLatin1(notebook));
            if (book->isVisible())
                return book->currentWidget()->objectName();
        }
        return Control(QStringLiteral("panFirst"))->isVisible() ? QStringLiteral("welcome") : QStringLiteral("none");
    }

    // Presses Next until the screen named screen shows (none when it shows
    // already); fails when the path chosen runs past it without showing it.
    void NextUntil(const QString& screen) const
    {
        const std::size_t longestPath = std::max(sorvane::ConvertPageTable.size(), sorvane::GeneratePageTable.size());
        for (std::size_t press = 0; press <= longestPath && Screen() != screen; ++press)
            Next();
        EXPECT_EQ(Screen(), screen) << "not reached by Next";
    }

    QString Title() const { return Control<QLabel>(QStringLiteral("lblTitle"))->text(); }

    // Writes a file in the test's own folder and returns its full path as
    // the dialogs give it.
    QString WriteFile(const QString& name, const QByteArray& bytes) const
    {
        const QString path = site.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
        return QDir::toNativeSeparators(path);
    }

    // A page for the convert path, put straight into its (read-only) edit
    // box as if it had been picked.
    QString SetConvertPage(const QString& name = QStringLiteral("index.html"))
    {
        const QString page = WriteFile(name, "<head></head><object>A</object>");
        Control<QLineEdit>(QStringLiteral("txt_cv_input"))->setText(page);
        return page;
    }

    // Title and the three buttons show exactly the given step row.
    void ExpectRowShown(const sorvane::TAcPage& row) const
    {
        EXPECT_EQ(Title(), row.Title);
        const std::pair<const char*, const sorvane::TNavButton*> buttons[] = {
            {"btnBack", &row.Back}, {"btnNext", &row.Next}, {"btnExit", &row.Exit}};
        for (const auto& [name, state] : buttons) {
            auto* button = Control<QAbstractButton>(QString::fromLatin1(name));
            EXPECT_EQ(button->text(), state->Caption) << name;
            EXPECT_EQ(button->isEnabled(), state->Enabled) << name;
        }
    }

    // Declared first: the window is destroyed before the desktop it uses.
    QTemporaryDir site;
    FakeDesktop desktop;
    std::unique_ptr<Window> window;
};

using WizardWindow = WizardWindowTest<>;

// A window whose generate pages let every Next through and whose completion
// page writes nothing: for tests of the wizard's steps, not of what the pages
// ask for or produce.
class StepsOnlyWindow : public sorvane::TfrmMain {
public:
    using TfrmMain::TfrmMain;
    bool gn_inputCheck() override { return true; }
    bool gn_swfoptionCheck() override { return true; }
    void gn_completeEnter() override {}
};

using StepsWindow = WizardWindowTest<StepsOnlyWindow>;
