// Every link of the advert strip and the menu opens its exact address, with
// "?Sorvane" appended where the link table says so.
#include "namedRow.h"
#include "wizardWindow.h"

#include <QAction>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;
using Kind = FakeDesktop::Kind;

namespace {

// name: the picture or menu action that is clicked.
struct LinkCase : NamedRow {
    const char* opens;
};

constexpr char Home1[] = "http://www.sorvane.example/";
constexpr char Site2Query[] = "http://www.flash-templates.example/?Sorvane";
constexpr char Site3Query[] = "http://www.flash-tools.example/?Sorvane";

class Links : public WizardWindowTest<>, public testing::WithParamInterface<LinkCase> {};

TEST_P(Links, OpenTheirAddress)
{
    const LinkCase& c = GetParam();
    const QString name = QString::fromLatin1(c.name);
    if (name.startsWith(QLatin1String("imgLogo")))
        Click(name);
    else
        Find<QAction>(window.get(), name)->trigger();
    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::OpenUrl, QString::fromLatin1(c.opens)}}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Links,
    testing::Values(LinkCase{"imgLogo_1", Home1}, LinkCase{"imgLogo_2", Site2Query}, LinkCase{"imgLogo_3", Site3Query},
                    LinkCase{"imgLogo_4", "http://www.flash-tutorials.example/?Sorvane"},
                    LinkCase{"mi_FlashTools", Site3Query},
                    LinkCase{"mi_MenuBuilder", "http://www.flash-tools.example/menu-builder.html?Sorvane"},
                    LinkCase{"mi_FlashTemplates", Site2Query},
                    LinkCase{"mi_FreeIntros", "http://www.flash-templates.example/free-intros.html"},
                    LinkCase{"mi_Tutorials", "http://www.flash-tutorials.example/first-steps.html?Sorvane"},
                    LinkCase{"mi_AuthoringTips", "http://www.web-authoring.example/"},
                    LinkCase{"mi_Showcase", "http://www.swf-gallery.example/showcase.html"},
                    LinkCase{"mi_Gallery", "http://www.swf-gallery.example/"},
                    LinkCase{"mi_HtmlHelp", "http://www.html-help.example/"},
                    LinkCase{"mi_FreeScripts", "http://www.free-scripts.example/javascript/index.html"}),
    RowName<LinkCase>);

TEST_F(StepsWindow, LinksLeaveTheWizardAsItWas)
{
    NextUntil(QStringLiteral("gn_swfoption"));
    Click(QStringLiteral("imgLogo_2"));
    Find<QAction>(window.get(), QStringLiteral("mi_Gallery"))->trigger();
    EXPECT_EQ(Screen(), "gn_swfoption");
    ExpectRowShown(StepRowOf(QStringLiteral("gn_swfoption")));
    EXPECT_EQ(desktop.CountOf(Kind::OpenUrl), 2);
}

TEST_F(WizardWindow, LogoClickFromAnyOtherSenderDoesNothing)
{
    window->Logo_Click(Control(QStringLiteral("lblTitle")));
    window->Logo_Click(nullptr);
    EXPECT_TRUE(desktop.Calls().empty());
}

}  // namespace
