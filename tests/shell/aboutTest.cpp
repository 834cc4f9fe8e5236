// The about box: its resource, its link, and being shown modally over the
// wizard any number of times without touching the wizard's state.
#include "namedRow.h"
#include "unitAbout.h"
#include "wizardWindow.h"

#include <QPushButton>
#include <QTimer>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;
using Kind = FakeDesktop::Kind;

namespace {

struct AboutControl : NamedRow {
    const char* kind;
    const char* text;
    QRect geometry;  // within panMain for its children, within the box's border for panMain and btnClose
};

constexpr int Border = 8;

const AboutControl AboutControls[] = {
    {"panMain", "QFrame", nullptr, {0, 0, 236, 153}},       {"lblApp", "QLabel", "Sorvane", {16, 16, -1, -1}},
    {"lblVer", "QLabel", "Version 1.01", {16, 40, -1, -1}}, {"lblCompany", "QLabel", nullptr, {16, 72, -1, -1}},
    {"lblCopyright", "QLabel", nullptr, {16, 96, -1, -1}},  {"lblLink", "QLabel", ProductHomePage, {16, 120, -1, -1}},
    {"imgLogo", "QLabel", nullptr, {172, 16, 48, 48}},      {"btnClose", "QPushButton", "&Close", {81, 160, 75, 25}},
};

class AboutBox : public StepsWindow {
protected:
    void SetUp() override
    {
        StepsWindow::SetUp();
        about = new TfrmAbout(desktop, window.get());
        window->SetAboutBox(about);
    }

    // "&About Sorvane"; act runs while the box is showing and closes it.
    void ShowAbout(const std::function<void(TfrmAbout*)>& act)
    {
        bool shown = false;
        OnNextModal([&](QWidget* modal) {
            ASSERT_EQ(modal, about) << "the one about box is shown";
            EXPECT_TRUE(about->isModal());
            shown = true;
            act(about);
        });
        Find<QAction>(window.get(), QStringLiteral("mi_About"))->trigger();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(about->isVisible());
    }

    TfrmAbout* about = nullptr;
};

class AboutResource : public AboutBox, public testing::WithParamInterface<AboutControl> {};

TEST_P(AboutResource, HoldsTheControlAtItsPlace)
{
    const AboutControl& c = GetParam();
    auto* control = Find<QWidget>(about, QString::fromLatin1(c.name));
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->inherits(c.kind));
    const QString text = control->property("text").toString();
    if (c.text) {
        EXPECT_EQ(text, QString::fromUtf8(c.text));
    } else if (control->inherits("QLabel") && c.geometry.width() < 0) {
        EXPECT_FALSE(text.isEmpty()) << "the maker's text";
    }
    const bool inPanel = control->parentWidget()->objectName() == "panMain";
    const QPoint origin = inPanel ? QPoint(0, 0) : QPoint(Border, Border);
    EXPECT_EQ(control->pos() - origin, c.geometry.topLeft());
    if (c.geometry.width() > 0) {
        EXPECT_EQ(control->size(), c.geometry.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Controls, AboutResource, testing::ValuesIn(AboutControls), RowName<AboutControl>);

TEST_F(AboutBox, IsAFixedBoxCaptionedAboutWithTheApplicationIcon)
{
    EXPECT_EQ(about->windowTitle(), "About");
    EXPECT_EQ(about->minimumSize(), about->maximumSize());
    EXPECT_EQ(about->size(), QSize(236 + 2 * Border, 185 + 2 * Border));
    const QImage logo = Find<QLabel>(about, QStringLiteral("imgLogo"))->pixmap().toImage();
    EXPECT_EQ(logo.size(), QSize(48, 48));
    EXPECT_TRUE(logo.hasAlphaChannel());
    EXPECT_TRUE(Find<QPushButton>(about, QStringLiteral("btnClose"))->isDefault());
    auto* link = Find<QLabel>(about, QStringLiteral("lblLink"));
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(AboutBox, LinkOpensExactlyItsTextAndTheBoxStaysOpen)
{
    bool openAfterClick = false;
    ShowAbout([&](TfrmAbout* box) {
        QTest::mouseClick(Find<QLabel>(box, QStringLiteral("lblLink")), Qt::LeftButton);
        openAfterClick = box->isVisible();
        box->btnCloseClick();
    });
    EXPECT_TRUE(openAfterClick);
    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::OpenUrl, "http://www.sorvane.example/"}}));
}

TEST_F(AboutBox, ClosesByButtonEnterEscAndCloseBoxKeepingTheWizardAsItWas)
{
    window->activateWindow();
    NextUntil(QStringLiteral("gn_swfoption"));
    ASSERT_EQ(Screen(), "gn_swfoption");
    const std::function<void(TfrmAbout*)> ways[] = {
        [](TfrmAbout* box) { QTest::mouseClick(Find<QPushButton>(box, QStringLiteral("btnClose")), Qt::LeftButton); },
        [](TfrmAbout* box) {
            // The box is active a moment after it is shown, on a busy machine later.
            QWidget* close = Find<QWidget>(box, QStringLiteral("btnClose"));
            EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == close; }));
            QTest::keyClick(box, Qt::Key_Return);
        },
        [](TfrmAbout* box) { QTest::keyClick(box, Qt::Key_Escape); },
        [](TfrmAbout* box) { box->close(); },
    };
    for (const auto& close : ways)
        ShowAbout(close);
    EXPECT_EQ(Screen(), "gn_swfoption");
    ExpectRowShown(StepRowOf(QStringLiteral("gn_swfoption")));
    EXPECT_TRUE(desktop.Calls().empty());
}

// "&Again" and "&About Sorvane" share the A: on a completion page Alt+A is
// Again's, anywhere else the menu's.
TEST_F(AboutBox, AltAPressesAgainOnACompletionPageAndOpensTheBoxElsewhere)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    int aboutShown = 0;
    QTimer closeAbout;
    QObject::connect(&closeAbout, &QTimer::timeout, [&] {
        if (about->isVisible()) {
            ++aboutShown;
            about->reject();
        }
    });
    closeAbout.start(10);
    const auto altA = [&] { QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier); };

    NextUntil(QStringLiteral("gn_complete"));
    ASSERT_EQ(Screen(), "gn_complete");
    altA();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Screen() == "welcome"; }));
    EXPECT_EQ(aboutShown, 0);

    altA();
    EXPECT_TRUE(QTest::qWaitFor([&] { return aboutShown == 1; }));
    EXPECT_EQ(Screen(), "welcome");
}

}  // namespace
