// The player that comes with Sorvane on both paths: the default choice when
// the program has it, copied into the site once before the page or snippet
// that loads it, and the completion pages telling how to view the site.
#include "movieWriter.h"
#include "namedRow.h"
#include "qtBytes.h"
#include "unitACConvertor.h"
#include "wizardWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QStandardItemModel>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;
using Kind = FakeDesktop::Kind;

namespace {

const QString OwnPlayer = QStringLiteral("Sorvane's own player");
const QString ViewingHint = QStringLiteral(
    "The player does not run in a page opened as a file (file://). Any local server works, e.g.\n"
    "python3 -m http.server started in the site's folder.");

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A word-wrapped label's text fits in its height.
void ExpectWrappedWhole(const QLabel* label)
{
    const QRect box = label->contentsRect();
    const QRect needed = QFontMetrics(label->font()).boundingRect(box, Qt::TextWordWrap, label->text());
    EXPECT_LE(needed.height(), box.height()) << label->objectName().toStdString();
}

// A window whose desktop has a small player of three files, as a build with
// the player has its own, unless the test says the build has none.
class PlayerWindow : public WizardWindow {
protected:
    void SetUp() override
    {
        if (withPlayer) {
            ASSERT_TRUE(QDir(player.path()).mkpath(QStringLiteral("chunks")));
            for (const auto& [name, bytes] : PlayerFiles)
                WriteTo(player.filePath(name), bytes);
            desktop.bundledPlayer = ToBytes(player.filePath(QStringLiteral("ruffle.js")));
        }
        WizardWindow::SetUp();
    }

    static void WriteTo(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }

    // Every file of the player is in the site's folder, as the player has it.
    void ExpectPlayerIn(const QString& folder) const
    {
        for (const auto& [name, bytes] : PlayerFiles)
            EXPECT_EQ(ReadFile(QDir(folder).filePath(name)), bytes) << name.toStdString();
    }

    bool withPlayer = true;
    QTemporaryDir player;
    const std::vector<std::pair<QString, QByteArray>> PlayerFiles{
        {QStringLiteral("ruffle.js"), "// player"},
        {QStringLiteral("chunks/core.js"), "// core"},
        {QStringLiteral("LICENSE_MIT"), "MIT"},
    };
};

// ------------------------------------------------------------ the choice --

struct ChoiceCase : NamedRow {
    bool withPlayer;
    const char* box;
    const char* choice;
    const char* field;
    bool chosen;  // the box ticked and the player that comes with Sorvane in the field
    const char* entryTip;
};

class PlayerChoice : public PlayerWindow, public testing::WithParamInterface<ChoiceCase> {
protected:
    void SetUp() override
    {
        withPlayer = GetParam().withPlayer;
        PlayerWindow::SetUp();
    }
};

TEST_P(PlayerChoice, StartsWithSorvanesOwnPlayerOnlyWhenTheProgramHasIt)
{
    const ChoiceCase& c = GetParam();
    auto* box = Control<QCheckBox>(QString::fromLatin1(c.box));
    auto* choice = Control<QComboBox>(QString::fromLatin1(c.choice));
    auto* field = Control<QLineEdit>(QString::fromLatin1(c.field));
    EXPECT_EQ(box->isChecked(), c.chosen);
    EXPECT_EQ(field->text(), c.chosen ? OwnPlayer : QString());
    EXPECT_EQ(choice->lineEdit(), field) << "the field is the choice's text box";
    EXPECT_EQ(choice->isEnabled(), c.chosen);

    const QStandardItem* entry = qobject_cast<QStandardItemModel*>(choice->model())->item(0);
    ASSERT_EQ(choice->count(), 1);
    EXPECT_EQ(entry->text(), OwnPlayer);
    EXPECT_EQ(entry->isEnabled(), c.withPlayer);
    EXPECT_EQ(entry->toolTip(), QString::fromUtf8(c.entryTip));

    box->setChecked(true);
    field->setText(QStringLiteral("https://example.org/ruffle.js"));
    if (c.withPlayer) {
        choice->setCurrentIndex(-1);
        choice->setCurrentIndex(0);
        EXPECT_EQ(field->text(), OwnPlayer) << "the entry chooses the player again after a typed address";
    }
}

const char* const AboutOwnPlayer =
    "The Flash player that comes with Sorvane (Ruffle), copied into the site once, into a sorvane-player folder";
const char* const NoOwnPlayer = "This copy of Sorvane was built without its own Flash player.";

INSTANTIATE_TEST_SUITE_P(Paths, PlayerChoice,
                         testing::Values(ChoiceCase{{"ConvertWithPlayer"},
                                                    true,
                                                    "chk_cv_confirm_player",
                                                    "cmb_cv_confirm_player",
                                                    "txt_cv_confirm_player",
                                                    true,
                                                    AboutOwnPlayer},
                                         ChoiceCase{{"GenerateWithPlayer"},
                                                    true,
                                                    "chk_gn_swfoption_player",
                                                    "cmb_gn_swfoption_player",
                                                    "txt_gn_swfoption_player",
                                                    true,
                                                    AboutOwnPlayer},
                                         ChoiceCase{{"ConvertBuiltWithout"},
                                                    false,
                                                    "chk_cv_confirm_player",
                                                    "cmb_cv_confirm_player",
                                                    "txt_cv_confirm_player",
                                                    false,
                                                    NoOwnPlayer},
                                         ChoiceCase{{"GenerateBuiltWithout"},
                                                    false,
                                                    "chk_gn_swfoption_player",
                                                    "cmb_gn_swfoption_player",
                                                    "txt_gn_swfoption_player",
                                                    false,
                                                    NoOwnPlayer}),
                         RowName<ChoiceCase>);

// -------------------------------------------------------- convert path --

class ConvertWithPlayer : public PlayerWindow {
protected:
    void ToConfirmPage()
    {
        page = SetConvertPage();
        Click(QStringLiteral("lblConvert"));
        NextUntil(QStringLiteral("cv_confirm"));
    }
    void RunToCompletion()
    {
        Next();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Screen() == "cv_complete"; }, 5000));
    }
    QString page;
};

TEST_F(ConvertWithPlayer, CopiesThePlayerBesideThePageWhichLoadsItAndTellsHowToView)
{
    ToConfirmPage();
    RunToCompletion();

    ExpectPlayerIn(site.filePath(QStringLiteral("sorvane-player")));
    EXPECT_TRUE(ReadFile(page).contains("<script language=\"JavaScript\" src=\"index.js\"></script>\r\n"
                                        "<script src=\"sorvane-player/ruffle.js\"></script>\r\n</head>"))
        << ReadFile(page).toStdString();
    auto* hint = Control<QLabel>(QStringLiteral("lbl_cv_complete_player"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), ViewingHint);
    ExpectWrappedWhole(hint);
    EXPECT_TRUE(desktop.Calls().empty());
}

// Files there that differ may be the user's own changes: No, the default,
// keeps them and the page; Yes replaces them and the run goes on.
TEST_F(ConvertWithPlayer, AsksBeforeReplacingPlayerFilesThatDiffer)
{
    ASSERT_TRUE(QDir(site.path()).mkpath(QStringLiteral("sorvane-player")));
    const QString changed = site.filePath(QStringLiteral("sorvane-player/ruffle.js"));
    WriteTo(changed, "// mine");
    ToConfirmPage();
    const QString question = QStringLiteral("The file \"%1\" differs from the Flash player's own. "
                                            "Replace the player's files that differ?")
                                 .arg(QDir::toNativeSeparators(changed));

    desktop.AnswerNo();
    Next();
    EXPECT_EQ(desktop.Calls(), (std::vector<FakeDesktop::Call>{{Kind::ConfirmDefaultNo, question}}));
    EXPECT_EQ(Screen(), "cv_confirm");
    EXPECT_EQ(ReadFile(changed), "// mine");
    EXPECT_EQ(ReadFile(page), "<head></head><object>A</object>");

    desktop.AnswerYes();
    RunToCompletion();
    ExpectPlayerIn(site.filePath(QStringLiteral("sorvane-player")));
}

TEST_F(ConvertWithPlayer, NoPlayerNoHint)
{
    ToConfirmPage();
    Control<QCheckBox>(QStringLiteral("chk_cv_confirm_player"))->setChecked(false);
    RunToCompletion();
    EXPECT_FALSE(QFileInfo::exists(site.filePath(QStringLiteral("sorvane-player"))));
    EXPECT_FALSE(ReadFile(page).contains("ruffle.js"));
    EXPECT_TRUE(Control(QStringLiteral("lbl_cv_complete_player"))->isHidden());
}

// ------------------------------------------------------- generate path --

class GenerateWithPlayer : public PlayerWindow {
protected:
    // To the confirm page for a movie with the tags given, 550 by 400.
    void ToConfirmPage(const std::string& tags)
    {
        const QString movie = WriteFile(QStringLiteral("intro.swf"),
                                        QByteArray::fromStdString(testmovie::MovieBytes({.tags = tags})));
        NextUntil(QStringLiteral("gn_input"));
        Control<QLineEdit>(QStringLiteral("txt_gn_input"))->setText(movie);
        NextUntil(QStringLiteral("gn_swfoption"));
        Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_width"))->setText(QStringLiteral("550"));
        Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_height"))->setText(QStringLiteral("400"));
        NextUntil(QStringLiteral("gn_confirm"));
    }
    QString Shown(const char* label) const { return Control<QLabel>(QString::fromLatin1(label))->text(); }
};

// FileAttributes (69) with the ActionScript 3 flag.
const std::string ActionScript3 = std::string("\x44\x11\x08\x00\x00\x00", 6);

TEST_F(GenerateWithPlayer, CopiesThePlayerBesideTheMovieWhoseSnippetLoadsItAndTellsHowToView)
{
    ToConfirmPage(ActionScript3);
    EXPECT_EQ(Shown("lbl_gn_confirm_player"), OwnPlayer);
    EXPECT_EQ(Shown("lbl_gn_confirm_movie"), QStringLiteral("550 × 400 pixels, AVM2 (ActionScript 3)"));
    Next();
    ASSERT_EQ(Screen(), "gn_complete");

    ExpectPlayerIn(site.filePath(QStringLiteral("sorvane-player")));
    auto* snippet = Control<QPlainTextEdit>(QStringLiteral("mem_gn_complete"));
    EXPECT_TRUE(snippet->toPlainText().startsWith(
        QStringLiteral("<script src=\"sorvane-player/ruffle.js\"></script>\n<script src=\"intro.js\"></script>\n")));
    auto* hint = Control<QLabel>(QStringLiteral("lbl_gn_complete_player"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), ViewingHint);
    ExpectWrappedWhole(hint);
    auto* panel = Control(QStringLiteral("Panel1"));
    EXPECT_GT(panel->y(), hint->geometry().bottom()) << "the snippet box is below the hint, not under it";
    EXPECT_EQ(snippet->geometry(), panel->rect().adjusted(2, 2, -2, -2));

    Next();  // "&Again", then the same movie without a player
    Next();
    Next();
    Control<QCheckBox>(QStringLiteral("chk_gn_swfoption_player"))->setChecked(false);
    Next();
    Next();
    ASSERT_EQ(Screen(), "gn_complete");
    EXPECT_TRUE(hint->isHidden());
    EXPECT_EQ(panel->geometry(), QRect(8, 112, 492, 80)) << "the snippet box has its whole place again";
    EXPECT_TRUE(desktop.Calls().empty());
}

// The movie's row tells what sorvane-cli info tells of the stage and the
// machine; a file whose header cannot be read has no row.
struct MovieRowCase : NamedRow {
    QByteArray movie;
    const char* shown;        // null: no row
    bool questioned = false;  // no movie's signature: the user is asked whether to go on
};

class MovieRow : public GenerateWithPlayer, public testing::WithParamInterface<MovieRowCase> {};

TEST_P(MovieRow, TellsStageSizeAndActionScriptMachine)
{
    const MovieRowCase& c = GetParam();
    Next();
    Control<QLineEdit>(QStringLiteral("txt_gn_input"))->setText(WriteFile(QStringLiteral("intro.swf"), c.movie));
    if (c.questioned)
        desktop.AnswerYes();
    Next();
    Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_width"))->setText(QStringLiteral("550"));
    Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_height"))->setText(QStringLiteral("400"));
    Next();
    ASSERT_EQ(Screen(), "gn_confirm");
    auto* row = Control<QLabel>(QStringLiteral("lbl_gn_confirm_movie"));
    EXPECT_EQ(row->isVisible(), c.shown != nullptr);
    EXPECT_EQ(Control(QStringLiteral("lbl_gn_confirm_movie_caption"))->isVisible(), c.shown != nullptr);
    if (c.shown) {
        EXPECT_EQ(row->text(), QString::fromUtf8(c.shown));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Movies, MovieRow,
    testing::Values(MovieRowCase{{"ActionScript1And2"},
                                 QByteArray::fromStdString(testmovie::MovieBytes({})),
                                 "550 × 400 pixels, AVM1 (ActionScript 1 and 2)"},
                    MovieRowCase{{"CompressedActionScript3"},
                                 QByteArray::fromStdString(testmovie::MovieBytes({.compression = MovieCompression::Zlib,
                                                                                  .tags = ActionScript3})),
                                 "550 × 400 pixels, AVM2 (ActionScript 3)"},
                    MovieRowCase{{"NoStage"},
                                 QByteArray::fromStdString(testmovie::MovieBytes({.stage = {0, 0, 0, 0}})),
                                 "AVM1 (ActionScript 1 and 2)"},
                    MovieRowCase{{"CutShort"}, QByteArray("FWS\x08", 4), nullptr},
                    MovieRowCase{{"NoMovie"}, QByteArray("<html></html>"), nullptr, true}),
    RowName<MovieRowCase>);

}  // namespace

namespace {

// The choice with its text box is one control for the keyboard: a screen
// starts at its first control as before, Tab goes from the box to the choice
// and on to Browse.., and Enter in the choice is Next, as in a text box.
TEST_F(GenerateWithPlayer, KeysTreatTheChoiceAsOneTextBox)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Next();
    Control<QLineEdit>(QStringLiteral("txt_gn_input"))->setText(WriteFile(QStringLiteral("intro.swf"), "FWS"));
    Next();
    ASSERT_EQ(Screen(), "gn_swfoption");
    EXPECT_EQ(QApplication::focusWidget(), Control(QStringLiteral("txt_gn_swfoption_height")));

    Control(QStringLiteral("chk_gn_swfoption_player"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control(QStringLiteral("cmb_gn_swfoption_player")));
    EXPECT_TRUE(Control(QStringLiteral("txt_gn_swfoption_player"))->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control(QStringLiteral("sbtn_gn_swfoption_player")));

    Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_width"))->setText(QStringLiteral("550"));
    Control<QLineEdit>(QStringLiteral("txt_gn_swfoption_height"))->setText(QStringLiteral("400"));
    Control(QStringLiteral("cmb_gn_swfoption_player"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Screen(), "gn_confirm");
}

}  // namespace
