// The pages of the wizard's two paths: one table per path, a row per page of
// its notebook in resources/frmMain.ui (nbkConvert, nbkGenerate), in the
// notebook's order and named by the page's object name. The page counts,
// the step rows and the controller's page turns all follow from the tables;
// the window refuses to start when a notebook and its table disagree.
#pragma once

#include "unitMain.h"
#include "unitSetting.h"

#include <QStackedWidget>
#include <algorithm>
#include <array>
#include <span>

namespace sorvane {

struct WizardPage {
    using EnterAction = void (TfrmMain::*)();
    using CheckAction = bool (TfrmMain::*)();

    // Every field is given: a row cannot leave one to a zero.
    constexpr WizardPage(const char* objectName, const char* title, EnterAction enter, CheckAction check, PageRole role)
        : objectName(objectName), title(title), enter(enter), check(check), role(role)
    {}

    const char* objectName;
    // The step title, shown as written here.
    const char* title;
    // Run as the page is turned to, by Next or by Back.
    EnterAction enter;
    // Whether Next may leave the page; NextAlwaysMovesOn for a page that has
    // nothing to check.
    CheckAction check;
    PageRole role;
};

// The check of a page that lets Next move on whatever it shows.
inline constexpr WizardPage::CheckAction NextAlwaysMovesOn = nullptr;

inline constexpr auto ConvertPageTable = std::to_array<WizardPage>({
    {"cv_input", "Select Web Page File", &TfrmMain::cv_inputEnter, &TfrmMain::cv_inputCheck, PageRole::Ordinary},
    {"cv_output", "Saving Script File", &TfrmMain::cv_outputEnter, &TfrmMain::cv_outputCheck, PageRole::Ordinary},
    {"cv_confirm", "Confirm Your Options", &TfrmMain::cv_confirmEnter, &TfrmMain::cv_confirmCheck, PageRole::Ordinary},
    {"cv_progress", "Processing Web Page..", &TfrmMain::cv_progressEnter, NextAlwaysMovesOn, PageRole::Progress},
    {"cv_complete", "Complete", &TfrmMain::cv_completeEnter, NextAlwaysMovesOn, PageRole::Completion},
});

inline constexpr auto GeneratePageTable = std::to_array<WizardPage>({
    {"gn_input", "Selecting Flash Movie File", &TfrmMain::gn_inputEnter, &TfrmMain::gn_inputCheck, PageRole::Ordinary},
    {"gn_swfoption", "Entering Your Flash options", &TfrmMain::gn_swfoptionEnter, &TfrmMain::gn_swfoptionCheck,
     PageRole::Ordinary},
    {"gn_confirm", "Confirm Your Options", &TfrmMain::gn_confirmEnter, &TfrmMain::gn_confirmCheck, PageRole::Ordinary},
    {"gn_complete", "Complete", &TfrmMain::gn_completeEnter, NextAlwaysMovesOn, PageRole::Completion},
});

// The controller calls every page's entry action and ends a path on its
// last page, which Next leaves by starting again.
constexpr bool IsWellFormedPath(std::span<const WizardPage> pages)
{
    return !pages.empty() && std::ranges::all_of(pages, [](const WizardPage& page) { return page.enter != nullptr; })
           && pages.back().role == PageRole::Completion;
}
static_assert(IsWellFormedPath(ConvertPageTable), "a convert page without entry action, or no completion page last");
static_assert(IsWellFormedPath(GeneratePageTable), "a generate page without entry action, or no completion page last");

// The step rows: empty until BuildStepTables fills them from the tables,
// once, while the main window is created; read-only afterwards.
extern TAcPage WelcomeStep;
extern std::array<TAcPage, ConvertPageTable.size()> ConvertSteps;
extern std::array<TAcPage, GeneratePageTable.size()> GenerateSteps;

void BuildStepTables();

// The object names of the notebook's pages, in index order, and those of a
// table's rows.
QStringList PageNamesOf(const QStackedWidget& notebook);
QStringList PageNamesOf(std::span<const WizardPage> pages);

// Raises std::logic_error, naming both lists, unless the notebook holds
// exactly the table's pages in the table's order.
void RequirePagesOfTable(const QStackedWidget& notebook, std::span<const WizardPage> pages);

}  // namespace sorvane
