// The generate path driven through its real pages: the movie, the five
// questions of the options page, the confirm page and the completion page.
#include "embedCode.h"
#include "movieWriter.h"
#include "namedRow.h"
#include "qtBytes.h"
#include "unitACConvertor.h"
#include "wizardWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <optional>
#include <vector>

using namespace sorvane;
using testkit::NamedRow;
using testkit::RowName;
using Kind = FakeDesktop::Kind;

namespace {

const QString Questions[] = {
    QStringLiteral("You have not entered the Width\r\nAre you sure to keep this field blank?"),
    QStringLiteral("You have not entered the Height\r\nAre you sure to keep this field blank?"),
    QStringLiteral("You have emptied the Name/ID Field.\r\nAre you sure to keep this field blank?"),
    QStringLiteral(
        "The Width value should contain numbers and % sign only.\r\nAre you sure you want to keep this value?"),
    QStringLiteral(
        "The Height value should contain numbers and % sign only.\r\nAre you sure you want to keep this value?"),
};

// Keeps where the options page's check left the focus and selection, which
// the next page would otherwise take away.
class RecordingWindow : public TfrmMain {
public:
    using TfrmMain::TfrmMain;

    QString focusAfterCheck;
    QString selectionAfterCheck;

    bool gn_swfoptionCheck() override
    {
        const bool accepted = TfrmMain::gn_swfoptionCheck();
        auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        focusAfterCheck = field ? field->objectName() : QString();
        selectionAfterCheck = field ? field->selectedText() : QString();
        return accepted;
    }
};

class GeneratePath : public WizardWindowTest<RecordingWindow> {
protected:
    void SetUp() override
    {
        WizardWindowTest::SetUp();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        Next();
        ASSERT_EQ(Screen(), "gn_input");
    }

    QLineEdit* Edit(const char* name) const { return Control<QLineEdit>(QString::fromLatin1(name)); }
    QString LabelText(const char* name) const { return Control<QLabel>(QString::fromLatin1(name))->text(); }

    void Browse(const QString& moviePath)
    {
        desktop.ChooseFile(moviePath);
        Click(QStringLiteral("sbtn_gn_input"));
    }

    // From gn_input with a movie chosen to the options page, then Next with
    // the options given; every question is answered in turn.
    void NextWithOptions(const QString& width, const QString& height, std::optional<QString> name = std::nullopt,
                         const std::vector<bool>& answers = {})
    {
        Edit("txt_gn_swfoption_width")->setText(width);
        Edit("txt_gn_swfoption_height")->setText(height);
        if (name)
            Edit("txt_gn_swfoption_name")->setText(*name);
        for (bool yes : answers)
            yes ? desktop.AnswerYes() : desktop.AnswerNo();
        Next();
    }

    // A whole pass from gn_input for a movie written at moviePath, 550 by 400.
    void GenerateFor(const QString& moviePath)
    {
        QFile movie(moviePath);
        ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
        movie.write("FWS\x08 not a real movie");
        movie.close();
        Browse(moviePath);
        Next();
        NextWithOptions("550", "400");
        Next();
    }
};

// ------------------------------------------------------------ questions --

struct QuestionCase : NamedRow {
    QString width;
    QString height;
    std::optional<QString> nameId;  // nothing: the movie's base name stays
    std::vector<bool> answers;
    std::vector<int> asked;  // question numbers, 1 to 5
    const char* screenAfter;
    const char* focusAfter;  // empty when nothing was asked
};

class OptionQuestions : public GeneratePath, public testing::WithParamInterface<QuestionCase> {};

TEST_P(OptionQuestions, AskTheRowsThatHoldInOrderInOnePass)
{
    const QuestionCase& row = GetParam();
    Browse(QStringLiteral("/movies/intro.swf"));
    Next();
    NextWithOptions(row.width, row.height, row.nameId, row.answers);

    QStringList expected;
    for (int number : row.asked)
        expected << Questions[number - 1];
    EXPECT_EQ(desktop.TextsOf(Kind::Confirm), expected);
    EXPECT_EQ(Screen(), row.screenAfter);
    if (*row.focusAfter) {
        EXPECT_EQ(window->focusAfterCheck, row.focusAfter);
        EXPECT_EQ(window->selectionAfterCheck, Edit(row.focusAfter)->text()) << "all of the field is selected";
    }
}

const char* const Width = "txt_gn_swfoption_width";
const char* const Height = "txt_gn_swfoption_height";
const char* const Name = "txt_gn_swfoption_name";

INSTANTIATE_TEST_SUITE_P(
    Table, OptionQuestions,
    testing::Values(
        QuestionCase{"EmptySizes", "", "", {}, {true, true}, {1, 2}, "gn_confirm", Height},
        QuestionCase{"BlankWidthIsBlankAndNotDigits", "  ", "400", {}, {true, true}, {1, 4}, "gn_confirm", Width},
        QuestionCase{"PixelWidth", "50px", "400", {}, {true}, {4}, "gn_confirm", Width},
        QuestionCase{"PercentAndDigits", "100%", "550", {}, {}, {}, "gn_confirm", ""},
        QuestionCase{"PercentSignsInAnyOrder", "5%0", "%%", {}, {}, {}, "gn_confirm", ""},
        QuestionCase{"NoKeepsThePage", "", "400", {}, {false}, {1}, "gn_swfoption", Width},
        QuestionCase{"NoDoesNotStopLaterQuestions", "", "", {}, {false, true}, {1, 2}, "gn_swfoption", Height},
        QuestionCase{"EmptyName", "550", "400", QString(), {true}, {3}, "gn_confirm", Name},
        QuestionCase{
            "FocusEndsInTheLastAsked", "550", "-5", QStringLiteral("\t "), {true, true}, {3, 5}, "gn_confirm", Height},
        QuestionCase{"BlankHeightAndName",
                     "550",
                     " ",
                     QStringLiteral(" "),
                     {true, true, true},
                     {2, 3, 5},
                     "gn_confirm",
                     Height}),
    RowName<QuestionCase>);

TEST_F(GeneratePath, AYesSilencesItsQuestionForTheRestOfTheRunANoDoesNot)
{
    Browse(QStringLiteral("/movies/intro.swf"));
    Next();
    NextWithOptions("", "400", std::nullopt, {false});
    NextWithOptions("", "400", std::nullopt, {true});
    ASSERT_EQ(Screen(), "gn_confirm");

    Back();
    Back();
    Browse(QStringLiteral("/movies/outro.swf"));
    Next();
    NextWithOptions("", "400");
    EXPECT_EQ(Screen(), "gn_confirm");
    EXPECT_EQ(desktop.TextsOf(Kind::Confirm), QStringList(2, Questions[0]));

    // The next program run's window asks again.
    GeneratePath::SetUp();
    Browse(QStringLiteral("/movies/intro.swf"));
    Next();
    NextWithOptions("", "400", std::nullopt, {true});
    EXPECT_EQ(Screen(), "gn_confirm");
    EXPECT_EQ(desktop.TextsOf(Kind::Confirm), QStringList(3, Questions[0]));
}

// ------------------------------------------------- movie and confirm page --

TEST_F(GeneratePath, NextWithoutAMovieInformsAndStays)
{
    Next();
    EXPECT_EQ(desktop.TextsOf(Kind::Information), QStringList{"Please select a Flash movie (.swf) file first."});
    EXPECT_EQ(Screen(), "gn_input");
}

TEST_F(GeneratePath, BrowseOffersMoviesAndCancelChangesNothing)
{
    Browse(QStringLiteral("/movies/intro.swf"));
    desktop.CancelFileDialog();
    Click(QStringLiteral("sbtn_gn_input"));
    EXPECT_EQ(Edit("txt_gn_input")->text(), "/movies/intro.swf");
    EXPECT_EQ(desktop.TextsOf(Kind::OpenFile), QStringList(2, QStringLiteral("Flash Movie Files (*.swf)|*.swf")));
}

TEST_F(GeneratePath, ConfirmShowsTheValuesAndBackResetsNameAndQuality)
{
    Browse(QStringLiteral("/clips/My Movie.swf"));
    Next();
    EXPECT_EQ(Edit(Name)->text(), "My Movie");
    Control<QComboBox>(QStringLiteral("cmb_gn_swfoption_quality"))->setCurrentIndex(1);
    NextWithOptions("100%", "400", QStringLiteral("<b>clip</b>"));
    ASSERT_EQ(Screen(), "gn_confirm");
    EXPECT_EQ(LabelText("lbl_gn_confirm_path"), "/clips/My Movie.swf");
    EXPECT_EQ(LabelText("lbl_gn_confirm_w"), "100%");
    EXPECT_EQ(LabelText("lbl_gn_confirm_h"), "400");
    EXPECT_EQ(LabelText("lbl_gn_confirm_id"), "<b>clip</b>");
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lbl_gn_confirm_id"))->textFormat(), Qt::PlainText);
    EXPECT_EQ(LabelText("lbl_gn_confirm_q"), "high");

    Back();
    EXPECT_EQ(Edit(Name)->text(), "My Movie");
    EXPECT_EQ(Control<QComboBox>(QStringLiteral("cmb_gn_swfoption_quality"))->currentText(), "Best");
    EXPECT_EQ(Edit(Width)->text(), "100%");
    EXPECT_EQ(Edit(Height)->text(), "400");
}

// ------------------------------------------------------ the movie's size --

// A movie of 550 by 400 whose header the options page can read.
QByteArray SizedMovie()
{
    return QByteArray::fromStdString(sorvane::testmovie::MovieBytes({.compression = MovieCompression::Zlib}));
}

TEST_F(GeneratePath, OptionsPageOffersTheMovieSizeAndPutsItInOnlyWhenAsked)
{
    Browse(WriteFile(QStringLiteral("intro.swf"), SizedMovie()));
    Next();
    auto* size = Control<QLabel>(QStringLiteral("lbl_gn_swfoption_size"));
    EXPECT_TRUE(size->isVisible());
    EXPECT_EQ(size->text(), QStringLiteral("Movie size: 550 × 400"));
    EXPECT_EQ(Edit(Width)->text(), "");
    EXPECT_EQ(Edit(Height)->text(), "");

    NextWithOptions("100%", "", std::nullopt, {false});
    Click(QStringLiteral("btn_gn_swfoption_size"));
    EXPECT_EQ(Edit(Width)->text(), "550");
    EXPECT_EQ(Edit(Height)->text(), "400");
    Next();
    EXPECT_EQ(Screen(), "gn_confirm");
    EXPECT_EQ(desktop.TextsOf(Kind::Confirm), QStringList{Questions[1]}) << "nothing more was asked";

    Edit(Width)->setText(QStringLiteral("75%"));  // as if typed before the confirm page
    Back();
    EXPECT_EQ(Edit(Width)->text(), "75%") << "coming back fills nothing in";
}

TEST_F(GeneratePath, OptionsPageOffersNoSizeForAFileThatIsNoMovie)
{
    Browse(WriteFile(QStringLiteral("intro.swf"), SizedMovie()));
    Next();
    Back();
    Browse(WriteFile(QStringLiteral("cut.swf"), "CWS\x0A\x1E\x00\x00\x00"));
    Next();
    EXPECT_FALSE(Control(QStringLiteral("lbl_gn_swfoption_size"))->isVisible());
    EXPECT_FALSE(Control(QStringLiteral("btn_gn_swfoption_size"))->isVisible());
}

// ------------------------------------------------------- Flash player --

TEST_F(GeneratePath, PlayerChosenOnTheOptionsPageIsConfirmedAndStartsTheSnippet)
{
    Browse(WriteFile(QStringLiteral("intro.swf"), SizedMovie()));
    Next();
    auto* box = Control<QCheckBox>(QStringLiteral("chk_gn_swfoption_player"));
    EXPECT_FALSE(box->isChecked());
    NextWithOptions("550", "400");
    ASSERT_EQ(Screen(), "gn_confirm");
    EXPECT_TRUE(Control(QStringLiteral("lbl_gn_confirm_player"))->isHidden()) << "no player row without a player";
    EXPECT_TRUE(Control(QStringLiteral("lbl_gn_confirm_player_caption"))->isHidden());

    Back();
    box->setChecked(true);
    Edit("txt_gn_swfoption_player")->setText(QStringLiteral("https://example.org/ruffle.js"));
    Next();
    EXPECT_EQ(LabelText("lbl_gn_confirm_player"), "https://example.org/ruffle.js");
    EXPECT_TRUE(Control(QStringLiteral("lbl_gn_confirm_player"))->isVisible());
    Back();
    EXPECT_TRUE(box->isChecked()) << "coming back keeps the choice";
    Next();
    Next();

    ASSERT_EQ(Screen(), "gn_complete");
    EXPECT_TRUE(Control<QPlainTextEdit>(QStringLiteral("mem_gn_complete"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("<script src=\"https://example.org/ruffle.js\"></script>\n"
                                               "<script src=\"intro.js\"></script>\n")));
    EXPECT_TRUE(Control(QStringLiteral("lbl_gn_complete_player"))->isVisible()) << "any player: how to view the site";
}

// --------------------------------------------------------- generation --

std::string ReadBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll().toStdString();
}

TEST_F(GeneratePath, AFullRunWritesTheScriptAndCopiesTheSnippet)
{
    QTemporaryDir folder, elsewhere;
    GenerateFor(folder.filePath(QStringLiteral("intro.swf")));
    ASSERT_EQ(Screen(), "gn_complete");
    ExpectRowShown(StepRowOf(QStringLiteral("gn_complete")));

    const EmbedCodeResult reference = GenerateEmbedCode(
        {.moviePath = ToBytes(elsewhere.filePath(QStringLiteral("intro.swf"))),
         .width = "550",
         .height = "400",
         .name = "intro"});
    const std::string script = ReadBytes(folder.filePath(QStringLiteral("intro.js")));
    EXPECT_EQ(script, ReadBytes(elsewhere.filePath(QStringLiteral("intro.js"))));
    EXPECT_TRUE(script.starts_with("// ") && script.ends_with("');")) << script;
    EXPECT_EQ(LabelText("lbl_gn_complete_js"),
              "A JavaScript (.js) file named \"intro.js\" is created at the same folder of your Flash movie.");
    EXPECT_EQ(LabelText("lbl_gn_complete_step1"),
              "1. Put \"intro.js\" and \"intro.swf\" in the same folder of you web page.");

    Click(QStringLiteral("sbtn_gn_complete"));
    const QStringList copied = desktop.TextsOf(Kind::Clipboard);
    ASSERT_EQ(copied.size(), 1);
    EXPECT_EQ(copied[0].toStdString(), reference.snippet);
    EXPECT_EQ(copied[0].split(QStringLiteral("\r\n")).size(), 17);
    auto* memo = Control<QPlainTextEdit>(QStringLiteral("mem_gn_complete"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return memo->horizontalScrollBar()->maximum() == 0; }))
        << "long lines wrap: nothing hides beyond the right edge";
    EXPECT_TRUE(memo->verticalScrollBar()->isVisible());
    EXPECT_FALSE(memo->horizontalScrollBar()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), memo);
    EXPECT_EQ(memo->textCursor().selectedText().size(), memo->toPlainText().size());
}

// intro.js beside intro.swf may hold a converted page's functions: without
// them the page loses its movies.
TEST_F(GeneratePath, AsksBeforeReplacingAConvertedPagesScriptAndNoKeepsIt)
{
    QTemporaryDir folder;
    const QString page = folder.filePath(QStringLiteral("intro.htm"));
    const QString script = folder.filePath(QStringLiteral("intro.js"));
    QFile pageFile(page);
    ASSERT_TRUE(pageFile.open(QIODevice::WriteOnly));
    pageFile.write("<head></head><object>A</object>");
    pageFile.close();
    ConversionRun run;
    ConvertPage(run, {.pagePath = ToBytes(page), .scriptPath = ToBytes(script), .backup = false});
    const std::string pageScript = ReadBytes(script);
    const QString question = QStringLiteral(
        "The file \"intro.js\" already exists and holds other script code. Replace it?");

    desktop.AnswerNo();
    GenerateFor(folder.filePath(QStringLiteral("intro.swf")));
    EXPECT_EQ(desktop.TextsOf(Kind::ConfirmDefaultNo), QStringList{question});
    EXPECT_EQ(Screen(), "gn_confirm");
    ExpectRowShown(StepRowOf(QStringLiteral("gn_confirm")));
    EXPECT_EQ(ReadBytes(script), pageScript);

    desktop.AnswerYes();
    Next();
    EXPECT_EQ(Screen(), "gn_complete");
    EXPECT_TRUE(IsGeneratedMovieScript(ReadBytes(script)));

    Next();  // "&Again": the script is the generator's own now, replaced without a word
    Next();
    GenerateFor(folder.filePath(QStringLiteral("intro.swf")));
    EXPECT_EQ(Screen(), "gn_complete");
    EXPECT_EQ(desktop.CountOf(Kind::ConfirmDefaultNo), 2);
}

// The text box shows a no-break space as a blank and a line separator as a
// line break; the clipboard must still get what sorvane-cli generate prints.
TEST_F(GeneratePath, CopyToClipboardCopiesTheGeneratorsBytesNotTheBoxsText)
{
    QTemporaryDir folder, elsewhere;
    const QString name = QStringLiteral("my\u00A0movie\u2028two\u2029three");
    Browse(folder.filePath(QStringLiteral("intro.swf")));
    Next();
    NextWithOptions("550", "400", name);
    Next();
    ASSERT_EQ(Screen(), "gn_complete");
    Click(QStringLiteral("sbtn_gn_complete"));

    const std::string expected = GenerateEmbedCode(
                                     {.moviePath = ToBytes(elsewhere.filePath(QStringLiteral("intro.swf"))),
                                      .width = "550",
                                      .height = "400",
                                      .name = name.toUtf8().toStdString()})
                                     .snippet;
    const QStringList copied = desktop.TextsOf(Kind::Clipboard);
    ASSERT_EQ(copied.size(), 1);
    EXPECT_EQ(copied[0].toUtf8().toStdString(), expected);
}

TEST_F(GeneratePath, LabelsTakeNamesHoldingPlaceholdersAsPlainText)
{
    QTemporaryDir folder;
    GenerateFor(folder.filePath(QStringLiteral("%1 %s.swf")));
    ASSERT_EQ(Screen(), "gn_complete");
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("%1 %s.js"))));
    EXPECT_EQ(LabelText("lbl_gn_complete_step1"),
              "1. Put \"%1 %s.js\" and \"%1 %s.swf\" in the same folder of you web page.");
}

TEST_F(GeneratePath, AScriptThatCannotBeWrittenLeavesTheWizardOnTheConfirmPage)
{
    QTemporaryDir folder;
    GenerateFor(folder.filePath(QStringLiteral("intro.swf")));
    ASSERT_EQ(Screen(), "gn_complete");
    auto* memo = Control<QPlainTextEdit>(QStringLiteral("mem_gn_complete"));
    const QString introSnippet = memo->toPlainText();
    Next();  // "&Again"
    Next();

    const QString goneFolder = folder.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkdir(goneFolder));
    Browse(goneFolder + QStringLiteral("/outro.swf"));
    ASSERT_TRUE(QDir().rmdir(goneFolder));
    Next();
    NextWithOptions("550", "400");
    Next();

    const QStringList errors = desktop.TextsOf(Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(goneFolder + QStringLiteral("/outro.js"))) << errors[0].toStdString();
    EXPECT_EQ(Screen(), "gn_confirm");
    ExpectRowShown(StepRowOf(QStringLiteral("gn_confirm")));
    EXPECT_EQ(memo->toPlainText(), introSnippet) << "nothing of the failed pass reaches the page";
}

}  // namespace

namespace {

// ----------------------------------------------------------- not a movie --

struct NotMovieCase : NamedRow {
    const char* fileName;
    QByteArray bytes;
    bool asked;
};

class MovieSignature : public GeneratePath, public testing::WithParamInterface<NotMovieCase> {};

// A file without a movie's signature is questioned, No (the default) keeps
// the page; a movie, even one cut short, goes on without a word.
TEST_P(MovieSignature, AFileThatIsNoMovieIsQuestionedByItsName)
{
    const NotMovieCase& c = GetParam();
    Browse(WriteFile(QString::fromLatin1(c.fileName), c.bytes));
    desktop.ClearCalls();
    if (c.asked)
        desktop.AnswerNo();
    Next();
    const QString question = QString::fromLatin1(c.fileName)
                             + " does not look like a Flash movie (no FWS/CWS/ZWS signature). Use it anyway?";
    EXPECT_EQ(desktop.TextsOf(Kind::ConfirmDefaultNo), c.asked ? QStringList{question} : QStringList{});
    EXPECT_EQ(Screen(), c.asked ? "gn_input" : "gn_swfoption");
    if (!c.asked)
        return;
    desktop.AnswerYes();
    Next();
    EXPECT_EQ(Screen(), "gn_swfoption");
    EXPECT_FALSE(Control(QStringLiteral("btn_gn_swfoption_size"))->isVisible()) << "no size offered";
}

INSTANTIATE_TEST_SUITE_P(Files, MovieSignature,
                         testing::Values(NotMovieCase{"Text", "notes.txt", "just some notes", true},
                                         NotMovieCase{"PageNamedSwf", "page.swf", "<html></html>", true},
                                         NotMovieCase{"Empty", "empty.swf", "", true},
                                         NotMovieCase{"Movie", "intro.swf", SizedMovie(), false},
                                         NotMovieCase{"MovieCutShort", "cut.swf", "CWS\x0A", false}),
                         RowName<NotMovieCase>);

// -------------------------------------------------------- Flash player --

TEST_F(GeneratePath, AMissingPlayerIsRefusedWhenLeavingTheOptionsPage)
{
    Browse(WriteFile(QStringLiteral("intro.swf"), SizedMovie()));
    Next();
    Control<QCheckBox>(QStringLiteral("chk_gn_swfoption_player"))->setChecked(true);
    NextWithOptions("550", "400");
    EXPECT_EQ(desktop.TextsOf(Kind::Information), QStringList{"No Flash player script given"});
    EXPECT_EQ(Screen(), "gn_swfoption");

    const QString gone = site.filePath(QStringLiteral("js/ruffle.js"));
    Edit("txt_gn_swfoption_player")->setText(gone);
    desktop.ClearCalls();
    Next();
    EXPECT_EQ(desktop.TextsOf(Kind::Information),
              QStringList{"Cannot find the Flash player script " + gone
                          + "\nFolder looked in: " + site.filePath(QStringLiteral("js"))});
    EXPECT_EQ(Screen(), "gn_swfoption");
    EXPECT_TRUE(Edit("txt_gn_swfoption_player")->hasFocus());

    desktop.CancelFileDialog();
    Click(QStringLiteral("sbtn_gn_swfoption_player"));
    EXPECT_EQ(desktop.openDialogFolders.last(), site.filePath(QStringLiteral("js")));
    QDir(site.path()).mkpath(QStringLiteral("js"));
    WriteFile(QStringLiteral("js/ruffle.js"), "// player");
    Next();
    EXPECT_EQ(Screen(), "gn_confirm");
}

// ------------------------------------------------ names shown as they are --

// The movie's name and the typed values reach the confirm and completion
// pages as they are, and a name too long for its line is shortened there
// with the whole sentence in the tooltip.
TEST_F(GeneratePath, NamesThatLookLikeMarkupOrRunLongAreShownAsTheyAreAndWhole)
{
    const QString base = QStringLiteral("a <b>bold &amp; & <br>x\ny") + QString(60, QLatin1Char('m'));
    const QString movie = WriteFile(base + ".swf", SizedMovie());
    Browse(movie);
    Next();
    NextWithOptions("550", "400", QStringLiteral("<i>id</i> & &amp;"));
    ASSERT_EQ(Screen(), "gn_confirm");
    EXPECT_EQ(ShownToolTip(Control(QStringLiteral("lbl_gn_confirm_path"))), movie);
    EXPECT_EQ(LabelText("lbl_gn_confirm_id"), "<i>id</i> & &amp;");
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lbl_gn_confirm_id"))->textFormat(), Qt::PlainText);
    Next();
    ASSERT_EQ(Screen(), "gn_complete");

    const std::pair<const char*, QString> sentences[] = {
        {"lbl_gn_complete_js",
         "A JavaScript (.js) file named \"" + base + ".js\" is created at the same folder of your Flash movie."},
        {"lbl_gn_complete_step1",
         "1. Put \"" + base + ".js\" and \"" + base + ".swf\" in the same folder of you web page."},
    };
    for (const auto& [name, whole] : sentences) {
        auto* label = Control<QLabel>(QString::fromLatin1(name));
        EXPECT_EQ(ShownToolTip(label), whole) << name;
        EXPECT_EQ(label->accessibleName(), whole) << name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << name;
        ExpectShownWhole(label);
        EXPECT_TRUE(label->text().contains(QChar(0x2026))) << label->text().toStdString();
        EXPECT_TRUE(label->text().endsWith(whole.mid(whole.lastIndexOf(QLatin1Char('"')))))
            << "the sentence stays whole: " << label->text().toStdString();
    }
    EXPECT_TRUE(Control<QPlainTextEdit>(QStringLiteral("mem_gn_complete"))
                    ->toPlainText()
                    .contains(QStringLiteral("id=\"&lt;i&gt;id&lt;/i&gt; &amp; &amp;amp;\"")));
}

}  // namespace
