#include "unitSetting.h"

#include "desktop.h"
#include "pageNames.h"

namespace sorvane {

TAcPage WelcomeStep;
std::array<TAcPage, ConvertPageCount> ConvertSteps;
std::array<TAcPage, GeneratePageCount> GenerateSteps;

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

// Every path page starts with the three buttons enabled and captioned for
// going on; the special pages then change what differs.
void SetPathPageDefaults(TAcPage& row, int index)
{
    row.Index = index;
    row.Back = {BackCaption, true};
    row.Next = {NextCaption, true};
    row.Exit = {CancelCaption, true};
}

// A completion page: Back is gone, Next starts again, the third button exits.
void MakeCompletionRow(TAcPage& row)
{
    row.Next.Caption = AgainCaption;
    row.Exit.Caption = ExitCaption;
    row.Back.Enabled = false;
}

template <std::size_t N>
void SetTitles(std::array<TAcPage, N>& rows, const std::array<const char*, N>& titles)
{
    for (std::size_t i = 0; i < N; ++i)
        rows[i].Title = QString::fromLatin1(titles[i]);
}

template <std::size_t N>
void SetPathDefaults(std::array<TAcPage, N>& rows)
{
    for (std::size_t i = 0; i < N; ++i)
        SetPathPageDefaults(rows[i], static_cast<int>(i));
}

}  // namespace

void BuildStepTables()
{
    WelcomeStep.Title = QStringLiteral("Welcome");
    WelcomeStep.Index = 0;
    WelcomeStep.Back = {BackCaption, false};
    WelcomeStep.Next = {NextCaption, true};
    WelcomeStep.Exit = {CancelCaption, true};

    SetPathDefaults(ConvertSteps);
    SetPathDefaults(GenerateSteps);

    SetTitles(ConvertSteps, {"Select Web Page File", "Saving Script File", "Confirm Your Options",
                             "Processing Web Page..", "Complete"});
    MakeCompletionRow(ConvertSteps[4]);
    // The conversion's progress page leaves by itself.
    ConvertSteps[3].Back.Enabled = false;
    ConvertSteps[3].Next.Enabled = false;
    ConvertSteps[3].Exit.Enabled = false;

    SetTitles(GenerateSteps,
              {"Selecting Flash Movie File", "Entering Your Flash options", "Confirm Your Options", "Complete"});
    MakeCompletionRow(GenerateSteps[3]);
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
