// The default error box: its text rule and the box itself.
#include "errorBox.h"
#include "guiTest.h"
#include "namedRow.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;

namespace {

struct TextCase : NamedRow {
    const char* message;
    const char* shown;
};

class ErrorText : public testing::TestWithParam<TextCase> {};

TEST_P(ErrorText, AppendsAFullStopOnlyAfterCharactersAboveIt)
{
    EXPECT_EQ(ErrorBoxText(QString::fromUtf8(GetParam().message)), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorText,
    testing::Values(TextCase{"EndsInLetter", "Cannot open file /site/page.htm", "Cannot open file /site/page.htm."},
                    TextCase{"EndsInSlash", "Cannot create file /site/", "Cannot create file /site/."},
                    TextCase{"EndsInNonAscii", "Cannot open file /site/\u00e9", "Cannot open file /site/\u00e9."},
                    TextCase{"EndsInFullStop", "Nothing to do.", "Nothing to do."},
                    TextCase{"EndsInHyphen", "Cannot open file -", "Cannot open file -"},
                    TextCase{"EndsInExclamation", "Stop!", "Stop!"},
                    TextCase{"EndsInBlank", "Cannot open file ", "Cannot open file "}, TextCase{"Empty", "", ""},
                    TextCase{"ReasonOnASecondLine", "Cannot create file /site/a.js\nNo space left on device",
                             "Cannot create file /site/a.js.\nNo space left on device."}),
    RowName<TextCase>);

TEST(DefaultErrorBox, IsCaptionedWithTheApplicationTitleWithErrorIconAndOk)
{
    QCoreApplication::setApplicationName(QStringLiteral("Sorvane"));
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    ShowDefaultErrorBox(nullptr, QStringLiteral("Cannot open file /site/page.htm"));
    EXPECT_EQ(caption, "Sorvane");
    EXPECT_EQ(text, "Cannot open file /site/page.htm.");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST(DefaultErrorBox, UsesTheFontOfTheWindowItIsShownOverAndPlainText)
{
    QWidget window;
    window.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QFont font;
    Qt::TextFormat format = Qt::AutoText;
    OnNextModal([&](QWidget* modal) {
        auto* box = static_cast<QMessageBox*>(modal);
        font = box->font();
        format = box->textFormat();
        box->accept();
    });
    ShowDefaultErrorBox(&window, QStringLiteral("Cannot open file /site/<b>x</b>/page.htm"));
    EXPECT_EQ(font, window.font());
    EXPECT_EQ(format, Qt::PlainText);
}

}  // namespace
