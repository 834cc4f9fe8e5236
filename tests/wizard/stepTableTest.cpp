// The page tables of both paths: the step rows made from them as the wizard
// shows them, and their agreement with the notebooks of the window.
#include "namedRow.h"
#include "wizardPages.h"
#include "wizardWindow.h"

#include <QStackedWidget>
#include <stdexcept>

namespace sorvane {
namespace {

using testkit::NamedRow;
using testkit::RowName;

// Named after the screen whose row it is: "welcome" or a page's object name.
struct StepCase : NamedRow {
    const char* title;
    const char* back;
    bool backEnabled;
    const char* next;
    bool nextEnabled;
    const char* exit;
    bool exitEnabled;
};

const std::vector<StepCase> StepCases{
    {"welcome", "Welcome", "&Back", false, "&Next", true, "&Cancel", true},
    {"cv_input", "Select Web Page File", "&Back", true, "&Next", true, "&Cancel", true},
    {"cv_output", "Saving Script File", "&Back", true, "&Next", true, "&Cancel", true},
    {"cv_confirm", "Confirm Your Options", "&Back", true, "&Next", true, "&Cancel", true},
    {"cv_progress", "Processing Web Page..", "&Back", false, "&Next", false, "&Cancel", false},
    {"cv_complete", "Complete", "&Back", false, "&Again", true, "E&xit", true},
    {"gn_input", "Selecting Flash Movie File", "&Back", true, "&Next", true, "&Cancel", true},
    {"gn_swfoption", "Entering Your Flash options", "&Back", true, "&Next", true, "&Cancel", true},
    {"gn_confirm", "Confirm Your Options", "&Back", true, "&Next", true, "&Cancel", true},
    {"gn_complete", "Complete", "&Back", false, "&Again", true, "E&xit", true},
};

// The position of the page named name in its path's table; 0 for the
// welcome screen.
int IndexOfPage(const QString& name)
{
    for (const std::span<const WizardPage> pages :
         std::initializer_list<std::span<const WizardPage>>{ConvertPageTable, GeneratePageTable}) {
        if (const qsizetype i = PageNamesOf(pages).indexOf(name); i >= 0)
            return static_cast<int>(i);
    }
    return 0;
}

class StepTable : public testing::TestWithParam<StepCase> {
protected:
    static void SetUpTestSuite() { BuildStepTables(); }
};

TEST_P(StepTable, RowHoldsTitleAndButtons)
{
    const StepCase& c = GetParam();
    const TAcPage& row = StepRowOf(QString::fromLatin1(c.name));
    EXPECT_EQ(row.Title, QString::fromLatin1(c.title));
    EXPECT_EQ(row.Note, QString());
    EXPECT_EQ(row.Index, IndexOfPage(QString::fromLatin1(c.name)));
    EXPECT_EQ(row.Back.Caption, QString::fromLatin1(c.back));
    EXPECT_EQ(row.Back.Enabled, c.backEnabled);
    EXPECT_EQ(row.Next.Caption, QString::fromLatin1(c.next));
    EXPECT_EQ(row.Next.Enabled, c.nextEnabled);
    EXPECT_EQ(row.Exit.Caption, QString::fromLatin1(c.exit));
    EXPECT_EQ(row.Exit.Enabled, c.exitEnabled);
}

INSTANTIATE_TEST_SUITE_P(Rows, StepTable, testing::ValuesIn(StepCases), RowName<StepCase>);

// A page added to a table is a row above, with its title and buttons.
TEST(StepTables, EveryPageOfBothTablesHasItsRowChecked)
{
    QStringList checked;
    for (const StepCase& c : StepCases)
        checked << QString::fromLatin1(c.name);
    for (const QString& page : PageNamesOf(ConvertPageTable) + PageNamesOf(GeneratePageTable))
        EXPECT_TRUE(checked.contains(page)) << page.toStdString();
}

// ------------------------------------------------ tables and notebooks --

TEST_F(WizardWindow, EachNotebookHoldsThePagesOfItsTableInItsOrder)
{
    EXPECT_EQ(PageNamesOf(*Control<QStackedWidget>(QStringLiteral("nbkConvert"))), PageNamesOf(ConvertPageTable));
    EXPECT_EQ(PageNamesOf(*Control<QStackedWidget>(QStringLiteral("nbkGenerate"))), PageNamesOf(GeneratePageTable));
}

// The window is made only from a notebook that holds exactly its table's
// pages: a page of the resource missing from the table, or of the table
// missing from the resource, or two pages in another order, stop it.
struct NotebookCase : NamedRow {
    QStringList pages;  // the notebook's, against the generate path's table
    bool agrees;
};

class NotebookAgainstTable : public testing::TestWithParam<NotebookCase> {};

TEST_P(NotebookAgainstTable, IsRequiredToHoldExactlyTheTablesPages)
{
    QStackedWidget notebook;
    notebook.setObjectName(QStringLiteral("nbkGenerate"));
    for (const QString& name : GetParam().pages) {
        auto* page = new QWidget(&notebook);
        page->setObjectName(name);
        notebook.addWidget(page);
    }
    if (GetParam().agrees)
        EXPECT_NO_THROW(RequirePagesOfTable(notebook, GeneratePageTable));
    else
        EXPECT_THROW(RequirePagesOfTable(notebook, GeneratePageTable), std::logic_error);
}

INSTANTIATE_TEST_SUITE_P(
    Notebooks, NotebookAgainstTable,
    testing::Values(
        NotebookCase{{"Same"}, {"gn_input", "gn_swfoption", "gn_confirm", "gn_complete"}, true},
        NotebookCase{{"PageNotInTable"}, {"gn_input", "gn_swfoption", "gn_extra", "gn_confirm", "gn_complete"}, false},
        NotebookCase{{"TablePageNotInNotebook"}, {"gn_input", "gn_confirm", "gn_complete"}, false},
        NotebookCase{{"OtherOrder"}, {"gn_input", "gn_confirm", "gn_swfoption", "gn_complete"}, false}),
    RowName<NotebookCase>);

}  // namespace
}  // namespace sorvane
