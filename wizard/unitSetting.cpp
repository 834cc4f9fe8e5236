#include "unitSetting.h"

#include "desktop.h"
#include "pageNames.h"

namespace sorvane {

const QString LinkQuery = QStringLiteral("?Sorvane");
const QString PageFileFilter = QString::fromStdString(WebPageFilter())
                               + QStringLiteral("|Text Files (*.txt)|*.txt|"
                                                "All Files(*.*)|*.*");
const QString MovieFileFilter = QStringLiteral("Flash Movie Files (*.swf)|*.swf");
const QString PlayerScriptFilter = QStringLiteral("JavaScript Files (*.js)|*.js");
const QString ScriptNamedFormat = QStringLiteral(
    "A JavaScript (.js) file named \"%s\" is created at the same folder of your Flash movie.");
const QString PutFilesFormat = QStringLiteral("1. Put \"%s\" and \"%s\" in the same folder of you web page.");

namespace {

const QString BackCaption = QStringLiteral("&Back");
const QString NextCaption = QStringLiteral("&Next");
const QString CancelCaption = QStringLiteral("&Cancel");
const QString AgainCaption = QStringLiteral("&Again");
const QString ExitCaption = QStringLiteral("E&xit");

}  // namespace

TAcPage WelcomeStepRow()
{
    TAcPage row;
    row.Title = QStringLiteral("Welcome");
    row.Back = {BackCaption, false};
    row.Next = {NextCaption, true};
    row.Exit = {CancelCaption, true};
    return row;
}

// An ordinary page goes back and on; the progress page leaves by itself; a
// completion page has no way back, Next starts again and the third button
// exits.
TAcPage PathStepRow(const char* title, int index, PageRole role)
{
    const bool leavesByItself = role == PageRole::Progress;
    const bool completes = role == PageRole::Completion;
    TAcPage row;
    row.Title = QString::fromLatin1(title);
    row.Index = index;
    row.Back = {BackCaption, role == PageRole::Ordinary};
    row.Next = {completes ? AgainCaption : NextCaption, !leavesByItself};
    row.Exit = {completes ? ExitCaption : CancelCaption, !leavesByItself};
    return row;
}

// ------------------------------------------------------------------ links --

namespace {

// The maker's other sites; see the link table of the about box and menu.
constexpr char TemplatesHome[] = "http://www.flash-templates.example/";
constexpr char ToolsHome[] = "http://www.flash-tools.example/";
constexpr char TutorialsHome[] = "http://www.flash-tutorials.example/";

}  // namespace

QString LinkText(const TLinkTarget& target)
{
    const QString address = QString::fromLatin1(target.Address);
    return target.WithQuery ? address + LinkQuery : address;
}

const std::array<TLinkTarget, 4> AdvertLinks{{
    {ProductHomePage, false},
    {TemplatesHome, true},
    {ToolsHome, true},
    {TutorialsHome, true},
}};

const std::array<TMenuLink, 10> MenuLinks{{
    {"mi_FlashTools", {ToolsHome, true}},
    {"mi_MenuBuilder", {"http://www.flash-tools.example/menu-builder.html", true}},
    {"mi_FlashTemplates", {TemplatesHome, true}},
    {"mi_FreeIntros", {"http://www.flash-templates.example/free-intros.html", false}},
    {"mi_Tutorials", {"http://www.flash-tutorials.example/first-steps.html", true}},
    {"mi_AuthoringTips", {"http://www.web-authoring.example/", false}},
    {"mi_Showcase", {"http://www.swf-gallery.example/showcase.html", false}},
    {"mi_Gallery", {"http://www.swf-gallery.example/", false}},
    {"mi_HtmlHelp", {"http://www.html-help.example/", false}},
    {"mi_FreeScripts", {"http://www.free-scripts.example/javascript/index.html", false}},
}};

void OpenLink(Desktop& desktop, const QString& address)
{
    desktop.OpenUrl(address);
}

}  // namespace sorvane
