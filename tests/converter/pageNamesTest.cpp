#include "pageNames.h"

#include "converterTestKit.h"
#include "namedRow.h"
#include "unitACConvertor.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

using testkit::NamedRow;
using testkit::RowName;

TEST(PageNames, FilterListsEveryPatternOfTheGroups)
{
    EXPECT_EQ(WebPageFilter(), "Webpage Files (*.htm;*.html;*.shtm;*.shtml)|*.htm;*.html;*.shtm;*.shtml|"
                               "Dynamic Pages (*.php;*.php3;*.php4;*.phtm;*.phtml;*.jsp;*.asp;*.aspx;*.cfm)|"
                               "*.php;*.php3;*.php4;*.phtm;*.phtml;*.jsp;*.asp;*.aspx;*.cfm");
}

struct PageNameRow : NamedRow {
    std::string_view fileName;
    bool isPage;
};

class WebPageNames : public ::testing::TestWithParam<PageNameRow> {};

TEST_P(WebPageNames, AreThoseOfThePatterns)
{
    EXPECT_EQ(IsWebPageName(GetParam().fileName), GetParam().isPage);
}

INSTANTIATE_TEST_SUITE_P(
    PageNames, WebPageNames,
    ::testing::Values(PageNameRow{"FirstPattern", "index.htm", true},
                      PageNameRow{"LastPatternOfLastGroup", "form.cfm", true},
                      PageNameRow{"UpperCase", "INDEX.HTM", true}, PageNameRow{"MixedCase", "News.PhP3", true},
                      PageNameRow{"OnlyExtension", ".html", true}, PageNameRow{"Script", "index.js", false},
                      PageNameRow{"Text", "notes.txt", false}, PageNameRow{"LongerExtension", "index.htmlx", false},
                      PageNameRow{"ShorterExtension", "index.ht", false}, PageNameRow{"NoExtension", "html", false},
                      PageNameRow{"ExtensionInTheMiddle", "index.htm.orig", false}),
    RowName<PageNameRow>);

TEST(PageNames, EveryBackupNameTheConverterMakesIsReadBack)
{
    for (const std::string_view page : {"index.htm", "a.b.html", ".htaccess", "README", "x_backup.htm"})
        for (const int n : {0, 1, 9, 10, 123}) {
            const std::optional<BackupOf> parsed = ParseBackupName(BackupCandidate(page, n));
            ASSERT_TRUE(parsed) << page << ' ' << n;
            EXPECT_EQ(parsed->pageName, page);
            EXPECT_EQ(parsed->number, n);
        }
}

TEST(PageNames, OtherNamesAreNoBackups)
{
    for (const std::string_view name :
         {"index.htm", "index_backup0.htm", "index_backup01.htm", "index_backup-1.htm", "index_backup+1.htm",
          "index_backupx.htm", "index_backup1x.htm", "index_backup99999999999.htm", "index_Backup.htm"})
        EXPECT_FALSE(ParseBackupName(name)) << name;
}

}  // namespace
}  // namespace sorvane
