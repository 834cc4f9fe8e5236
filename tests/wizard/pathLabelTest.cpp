// A path in a label of fixed size: whole when it fits, else cut in the middle
// with its file name in view; never a line cut off at the label's edge; the
// full path in the tooltip and in what a selection copies.
#include "pathLabel.h"
#include "guiTest.h"
#include "namedRow.h"

#include <QFont>
#include <QTest>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;

namespace {

const QString Folders = QStringLiteral("/home/author/web sites/a rather long folder name for the site/another "
                                       "deeply nested folder/and yet one more level of folders/");

struct PathCase : NamedRow {
    QString path;
    QSize size;
    bool wraps;
    const char* shownEnd;  // how the shown text ends; null: the path shows whole
};

class ShownPath : public testing::TestWithParam<PathCase> {
protected:
    void SetUp() override
    {
        QFont bold = label.font();
        bold.setBold(true);
        label.setFont(bold);
        label.setWordWrap(GetParam().wraps);
        label.resize(GetParam().size);
        shown.SetPath(GetParam().path);
    }

    QLabel label;
    QStringList copied;
    PathLabel shown{&label, [this](const QString& text) { copied << text; }};
};

TEST_P(ShownPath, FitsTheLabelKeepsTheFileNameAndCopiesWhole)
{
    const PathCase& c = GetParam();
    ExpectShownWhole(&label);
    QString text = label.text();
    EXPECT_EQ(text.contains(QLatin1Char('\n')), c.wraps) << "a wrapping label takes its second line";
    text.remove(QLatin1Char('\n'));
    if (c.shownEnd) {
        EXPECT_EQ(text.count(PathLabel::Cut), 1) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString::fromUtf8(c.shownEnd))) << text.toStdString();
        EXPECT_TRUE(c.path.startsWith(text.left(text.indexOf(PathLabel::Cut)))) << text.toStdString();
    } else {
        EXPECT_EQ(text, c.path) << text.toStdString();
    }
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(ShownToolTip(&label), c.path);
    EXPECT_EQ(label.accessibleName(), c.path);

    label.setSelection(0, static_cast<int>(label.text().size()));
    QTest::keyClick(&label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copied, QStringList{c.path});
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShownPath,
    testing::Values(
        PathCase{"ShortPathWhole", QStringLiteral("/site/index.html"), {345, 33}, false, nullptr},
        PathCase{"LongPathOnOneLine",
                 Folders + QStringLiteral("my_favourite_page.html"),
                 {345, 15},
                 false,
                 "/my_favourite_page.html"},
        PathCase{"LongPathOnTwoLines",
                 Folders + QStringLiteral("my_favourite_page.js"),
                 {345, 33},
                 true,
                 "/my_favourite_page.js"},
        PathCase{"PathOnTwoWholeLines",
                 QStringLiteral("/home/author/web sites/a rather long folder name/another folder/page.js"),
                 {345, 33},
                 true,
                 nullptr},
        PathCase{"FileNameLongerThanTheLabel",
                 QStringLiteral("/site/a_file_name_far_too_long_for_any_label_of_this_window_to_hold.html"),
                 {200, 15},
                 false,
                 "hold.html"},
        PathCase{"MarkupInAFolderNameIsText", QStringLiteral("/site/<b>x</b>/index.html"), {345, 15}, false, nullptr}),
    RowName<PathCase>);

// A selection that spans the cut stands for the hidden part too; one that
// does not, for just what it covers.
TEST(PathLabelSelection, CopiesThePartOfThePathItCovers)
{
    QLabel label;
    label.resize(200, 15);
    QStringList copied;
    PathLabel shown(&label, [&](const QString& text) { copied << text; });
    const QString path = Folders + QStringLiteral("page.html");
    shown.SetPath(path);
    const QString text = label.text();
    const qsizetype cut = text.indexOf(PathLabel::Cut);
    ASSERT_GT(cut, 2);

    label.setSelection(2, static_cast<int>(text.size() - 2 - 2));
    QTest::keyClick(&label, Qt::Key_C, Qt::ControlModifier);
    label.setSelection(static_cast<int>(text.size() - 4), 4);
    QTest::keyClick(&label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(copied, QStringList({path.mid(2, path.size() - 4), QStringLiteral("html")}));
}

}  // namespace
