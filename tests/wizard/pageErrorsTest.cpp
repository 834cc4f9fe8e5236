// Errors raised by page actions end in the default error box at the
// handler's boundary, and the wizard never shows a page it could not enter.
#include "namedRow.h"
#include "unitACConvertor.h"
#include "wizardWindow.h"

#include <QProgressBar>
#include <QTimer>
#include <new>
#include <stdexcept>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;
using Kind = FakeDesktop::Kind;

namespace {

const char* const OpenFailure = "Cannot open file /movies/intro.swf";

// A main window whose pages can be told to fail: the entry action of the
// page named failingPage raises, and the check of the page named
// refusingPage returns false.
class FailingPages : public StepsOnlyWindow {
public:
    using StepsOnlyWindow::StepsOnlyWindow;

    QString failingPage;
    QString refusingPage;
    std::exception_ptr failure;  // what the failing page raises; a plain error when null

    void gn_inputEnter() override { FailIf("gn_input"); }
    void gn_swfoptionEnter() override { FailIf("gn_swfoption"); }
    void gn_confirmEnter() override { FailIf("gn_confirm"); }
    void cv_completeEnter() override { FailIf("cv_complete"); }
    bool gn_inputCheck() override { return refusingPage != "gn_input"; }

private:
    void FailIf(const char* page) const
    {
        if (failingPage != QLatin1String(page))
            return;
        if (failure)
            std::rethrow_exception(failure);
        throw std::runtime_error(OpenFailure);
    }
};

using PageErrors = WizardWindowTest<FailingPages>;

struct EntryFailure : NamedRow {
    const char* failingPage;
    bool byBack;        // the failing move is Back, else Next
    const char* stays;  // the screen of the generate path the move starts from
};

class FailedEntry : public PageErrors, public testing::WithParamInterface<EntryFailure> {};

TEST_P(FailedEntry, ReportsTheErrorAndTurnsBackToThePageTheUserCameFrom)
{
    const EntryFailure& c = GetParam();
    NextUntil(QString::fromLatin1(c.stays));
    window->failingPage = QString::fromLatin1(c.failingPage);

    c.byBack ? Back() : Next();

    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::Error, QString::fromLatin1(OpenFailure)}}));
    EXPECT_EQ(Screen(), c.stays);
    ExpectRowShown(StepRowOf(QString::fromLatin1(c.stays)));

    window->failingPage.clear();
    c.byBack ? Back() : Next();
    EXPECT_NE(Screen(), c.stays) << "the wizard goes on once the page can be entered";
}

INSTANTIATE_TEST_SUITE_P(Moves, FailedEntry,
                         testing::Values(EntryFailure{"FirstPageFromWelcome", "gn_input", false, "welcome"},
                                         EntryFailure{"NextPage", "gn_confirm", false, "gn_swfoption"},
                                         EntryFailure{"PreviousPage", "gn_swfoption", true, "gn_confirm"}),
                         RowName<EntryFailure>);

TEST_F(PageErrors, FailedCheckKeepsThePageAndItsTitle)
{
    window->refusingPage = QStringLiteral("gn_input");
    NextUntil(QStringLiteral("gn_input"));
    Next();
    EXPECT_EQ(Screen(), "gn_input");
    ExpectRowShown(StepRowOf(QStringLiteral("gn_input")));
    EXPECT_TRUE(desktop.Calls().empty());
}

TEST_F(PageErrors, FailedMoveOnAfterProgressStopsTheTimer)
{
    window->failingPage = QStringLiteral("cv_complete");
    SetConvertPage();
    Click(QStringLiteral("lblConvert"));
    NextUntil(QStringLiteral("cv_progress"));
    auto* timer = Find<QTimer>(window.get(), QStringLiteral("Timer"));
    ASSERT_TRUE(timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }, 5000));
    QTest::qWait(200);

    EXPECT_EQ(desktop.CountOf(Kind::Error), 1) << "one error box, not one per tick";
    EXPECT_EQ(Control<QProgressBar>(QStringLiteral("ProgressBar"))->value(), 0);
    EXPECT_EQ(Screen(), "cv_progress");
}

// A file error's reason stands on a line of its own under the message; an
// exhausted memory is told in a sentence, not by the library's name for it.
struct ErrorMessageCase : NamedRow {
    std::exception_ptr error;
    const char* shown;
};

class ErrorMessage : public PageErrors, public testing::WithParamInterface<ErrorMessageCase> {};

TEST_P(ErrorMessage, GivesTheReasonOrASentence)
{
    window->failingPage = QStringLiteral("gn_input");
    window->failure = GetParam().error;
    Next();
    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::Error, QString::fromUtf8(GetParam().shown)}}));
}

INSTANTIATE_TEST_SUITE_P(Errors, ErrorMessage,
                         testing::Values(ErrorMessageCase{{"FileErrorWithReason"},
                                                          std::make_exception_ptr(sorvane::FileError(
                                                              sorvane::FileError::Kind::Create, "/site/a.js",
                                                              "No space left on device")),
                                                          "Cannot create file /site/a.js\nNo space left on device"},
                                         ErrorMessageCase{{"OutOfMemory"},
                                                          std::make_exception_ptr(std::bad_alloc()),
                                                          "There is not enough memory to do this"}),
                         RowName<ErrorMessageCase>);

}  // namespace
