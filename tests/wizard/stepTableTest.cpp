// The step rows as the wizard shows them.
#include "namedRow.h"
#include "unitSetting.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

using testkit::NamedRow;
using testkit::RowName;

struct StepCase : NamedRow {
    const TAcPage* row;
    int index;
    const char* title;
    const char* back;
    bool backEnabled;
    const char* next;
    bool nextEnabled;
    const char* exit;
    bool exitEnabled;
};

class StepTable : public testing::TestWithParam<StepCase> {
protected:
    static void SetUpTestSuite() { BuildStepTables(); }
};

TEST_P(StepTable, RowHoldsTitleAndButtons)
{
    const StepCase& c = GetParam();
    const TAcPage& row = *c.row;
    EXPECT_EQ(row.Title, QString::fromLatin1(c.title));
    EXPECT_EQ(row.Note, QString());
    EXPECT_EQ(row.Index, c.index);
    EXPECT_EQ(row.Back.Caption, QString::fromLatin1(c.back));
    EXPECT_EQ(row.Back.Enabled, c.backEnabled);
    EXPECT_EQ(row.Next.Caption, QString::fromLatin1(c.next));
    EXPECT_EQ(row.Next.Enabled, c.nextEnabled);
    EXPECT_EQ(row.Exit.Caption, QString::fromLatin1(c.exit));
    EXPECT_EQ(row.Exit.Enabled, c.exitEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StepTable,
    testing::Values(
        StepCase{"Welcome", &WelcomeStep, 0, "Welcome", "&Back", false, "&Next", true, "&Cancel", true},
        StepCase{"cv_input", &ConvertSteps[0], 0, "Select Web Page File", "&Back", true, "&Next", true, "&Cancel",
                 true},
        StepCase{"cv_output", &ConvertSteps[1], 1, "Saving Script File", "&Back", true, "&Next", true, "&Cancel", true},
        StepCase{"cv_confirm", &ConvertSteps[2], 2, "Confirm Your Options", "&Back", true, "&Next", true, "&Cancel",
                 true},
        StepCase{"cv_progress", &ConvertSteps[3], 3, "Processing Web Page..", "&Back", false, "&Next", false, "&Cancel",
                 false},
        StepCase{"cv_complete", &ConvertSteps[4], 4, "Complete", "&Back", false, "&Again", true, "E&xit", true},
        StepCase{"gn_input", &GenerateSteps[0], 0, "Selecting Flash Movie File", "&Back", true, "&Next", true,
                 "&Cancel", true},
        StepCase{"gn_swfoption", &GenerateSteps[1], 1, "Entering Your Flash options", "&Back", true, "&Next", true,
                 "&Cancel", true},
        StepCase{"gn_confirm", &GenerateSteps[2], 2, "Confirm Your Options", "&Back", true, "&Next", true, "&Cancel",
                 true},
        StepCase{"gn_complete", &GenerateSteps[3], 3, "Complete", "&Back", false, "&Again", true, "E&xit", true}),
    RowName<StepCase>);

}  // namespace
}  // namespace sorvane
