// The generate path's pages (nbkGenerate): their entry actions, their checks
// before Next, and the handlers of their controls.
#include "desktop.h"
#include "embedCode.h"
#include "movieHeader.h"
#include "pathLabel.h"
#include "plainText.h"
#include "qtBytes.h"
#include "ui_frmMain.h"
#include "unitMain.h"

#include <QFileInfo>
#include <algorithm>

namespace sorvane {

namespace {

// A value the user gave, on the one line of its label.
void ShowValue(QLabel* label, const QString& value)
{
    ShowSentenceFitted(label, [](const QStringList& names) { return names[0]; }, {value});
}

// One of the completion page's sentences, format with its "%s" filled by
// the names as the generator fills its own templates.
void ShowFilledIn(QLabel* label, const QString& format, const QStringList& names)
{
    ShowSentenceFitted(
        label,
        [format](const QStringList& shown) {
            std::vector<std::string> bytes;
            for (const QString& name : shown)
                bytes.push_back(ToBytes(name));
            return shown.size() == 1 ? FromBytes(FillPlaceholders(ToBytes(format), {bytes[0]}))
                                     : FromBytes(FillPlaceholders(ToBytes(format), {bytes[0], bytes[1]}));
        },
        names);
}

// "550 × 400 pixels, AVM1 (ActionScript 1 and 2)"; a stage of less than a
// pixel has no size to tell.
QString MovieDescription(const MovieHeader& header)
{
    const auto size = StageSizeOf(header.stage);
    const QString machine = FromBytes(std::string(NameOf(header.machine))) + QStringLiteral(" (")
                            + FromBytes(std::string(LanguageOf(header.machine))) + QLatin1Char(')');
    return size ? QStringLiteral("%1 × %2 pixels, %3").arg(size->width).arg(size->height).arg(machine) : machine;
}

// The movie and the options that the options page holds (no player: the
// run chooses it when the code is made).
EmbedOptions MovieOptions(const Ui::frmMain& ui)
{
    return {.moviePath = ToBytes(ui.txt_gn_input->text()),
            .width = ToBytes(ui.txt_gn_swfoption_width->text()),
            .height = ToBytes(ui.txt_gn_swfoption_height->text()),
            .name = ToBytes(ui.txt_gn_swfoption_name->text()),
            .quality = ToBytes(ui.cmb_gn_swfoption_quality->currentText().toLower())};
}

// The question of the options page about one doubtful value: asked while
// its flag is armed; a Yes disarms it for the rest of the run.
struct OptionQuestion {
    DoubtfulValue value;
    bool& askFlag;
    QLineEdit* field;
    const char* message;
};

}  // namespace

// The open dialog is shared with the convert path, which sets its own filter.
void TfrmMain::gn_inputEnter()
{
    OpenDialogFilter = MovieFileFilter;
}

void TfrmMain::sbtn_gn_inputClick()
{
    if (const auto path = RunOpenDialog())
        ui->txt_gn_input->setText(*path);
}

// A file that is no movie (a page, a text named .swf) would be embedded
// as one without a word: its header is read as sorvane-cli info reads it,
// and the user is asked, with No as the default. A file that is not there
// (yet) is left to the generation, as it always was.
bool TfrmMain::gn_inputCheck()
{
    const QString movie = ui->txt_gn_input->text();
    if (IsEmptyWhenTrimmed(movie)) {
        desktop.ShowInformation(this, QStringLiteral("Please select a Flash movie (.swf) file first."));
        return false;
    }
    if (!QFileInfo(movie).isFile() || HasMovieSignature(ToBytes(movie)))
        return true;
    return desktop.ConfirmDefaultNo(
        this, FromBytes(FileNamePart(ToBytes(movie)))
                  + QStringLiteral(" does not look like a Flash movie (no FWS/CWS/ZWS signature). Use it anyway?"));
}

void TfrmMain::gn_swfoptionEnter()
{
    ui->txt_gn_swfoption_name->setText(FromBytes(BaseName(ToBytes(ui->txt_gn_input->text()))));
    ui->cmb_gn_swfoption_quality->setCurrentIndex(0);
    movieStageSize = MovieStageSize(ToBytes(ui->txt_gn_input->text()));
    if (movieStageSize)
        ui->lbl_gn_swfoption_size->setText(
            QStringLiteral("Movie size: %1 × %2").arg(movieStageSize->width).arg(movieStageSize->height));
    ui->lbl_gn_swfoption_size->setVisible(movieStageSize.has_value());
    ui->btn_gn_swfoption_size->setVisible(movieStageSize.has_value());
}

void TfrmMain::btn_gn_swfoption_sizeClick()
{
    if (!movieStageSize)
        return;
    ui->txt_gn_swfoption_width->setText(QString::number(movieStageSize->width));
    ui->txt_gn_swfoption_height->setText(QString::number(movieStageSize->height));
}

bool TfrmMain::gn_swfoptionCheck()
{
    const OptionQuestion questions[] = {
        {DoubtfulValue::BlankWidth, askWidthBlank, ui->txt_gn_swfoption_width,
         "You have not entered the Width\r\nAre you sure to keep this field blank?"},
        {DoubtfulValue::BlankHeight, askHeightBlank, ui->txt_gn_swfoption_height,
         "You have not entered the Height\r\nAre you sure to keep this field blank?"},
        {DoubtfulValue::BlankName, askNameBlank, ui->txt_gn_swfoption_name,
         "You have emptied the Name/ID Field.\r\nAre you sure to keep this field blank?"},
        {DoubtfulValue::WidthNotDigits, askWidthChars, ui->txt_gn_swfoption_width,
         "The Width value should contain numbers and % sign only.\r\nAre you sure you want to keep this value?"},
        {DoubtfulValue::HeightNotDigits, askHeightChars, ui->txt_gn_swfoption_height,
         "The Height value should contain numbers and % sign only.\r\nAre you sure you want to keep this value?"},
    };
    bool accepted = true;
    for (const DoubtfulValue value : DoubtfulValues(MovieOptions(*ui))) {
        const OptionQuestion& question = *std::ranges::find(questions, value, &OptionQuestion::value);
        if (!question.askFlag)
            continue;
        const bool yes = desktop.Confirm(this, QString::fromLatin1(question.message));
        question.field->selectAll();
        question.field->setFocus();
        if (yes)
            question.askFlag = false;
        else
            accepted = false;
    }
    // The player is checked once the values stand, so one box at a time.
    return accepted && CheckPlayerScript(GeneratePlayer());
}

void TfrmMain::sbtn_gn_swfoption_playerClick()
{
    PickPlayerScript(ui->txt_gn_swfoption_player);
}

// The player's row is shown only when a player was chosen, so the page is
// as it always was without one. The movie's row tells its stage size and
// the ActionScript machine it needs (whose support differs between players),
// as sorvane-cli info reads them; it is left out when the file's header
// cannot be read.
void TfrmMain::gn_confirmEnter()
{
    gnConfirmPath->SetPath(ui->txt_gn_input->text());
    ShowValue(ui->lbl_gn_confirm_w, ui->txt_gn_swfoption_width->text());
    ShowValue(ui->lbl_gn_confirm_h, ui->txt_gn_swfoption_height->text());
    ShowValue(ui->lbl_gn_confirm_id, ui->txt_gn_swfoption_name->text());
    ShowValue(ui->lbl_gn_confirm_q, ui->cmb_gn_swfoption_quality->currentText().toLower());
    const bool player = ui->chk_gn_swfoption_player->isChecked();
    ShowValue(ui->lbl_gn_confirm_player, player ? ui->txt_gn_swfoption_player->text() : QString());
    ui->lbl_gn_confirm_player_caption->setVisible(player);
    ui->lbl_gn_confirm_player->setVisible(player);
    const auto header = MovieFileHeader(ToBytes(ui->txt_gn_input->text()));
    ShowValue(ui->lbl_gn_confirm_movie, header ? MovieDescription(*header) : QString());
    ui->lbl_gn_confirm_movie_caption->setVisible(header.has_value());
    ui->lbl_gn_confirm_movie->setVisible(header.has_value());
}

// The script beside the movie may be a converted page's, holding the
// functions that write the page's movies: replacing it loses them, so the
// user is asked first, with No as the safe default.
bool TfrmMain::gn_confirmCheck()
{
    const std::string moviePath = ToBytes(ui->txt_gn_input->text());
    const bool replaceAgreed = !WouldReplaceOtherScript(moviePath)
                               || desktop.ConfirmDefaultNo(
                                   this, FromBytes(FillPlaceholders(
                                             "The file \"%s\" already exists and holds other script code. Replace it?",
                                             {FileNamePart(MovieScriptPath(moviePath))})));
    return replaceAgreed && PlanBundledPlayerCopy(GeneratePlayer(), DefaultSitePlayerFolder(moviePath));
}

// The script file is written before anything on the page changes: when it
// cannot be, the error leaves the page as the previous generation left it
// and the controller turns back to the confirm page. The options are those
// the confirm page showed; its labels may show them shortened.
void TfrmMain::gn_completeEnter()
{
    EmbedOptions options = MovieOptions(*ui);
    options.playerSource = PlayerForRun(GeneratePlayer());
    const EmbedCodeResult result = GenerateEmbedCode(options);
    ShowFilledIn(ui->lbl_gn_complete_js, ScriptNamedFormat, {FromBytes(result.scriptName)});
    ShowFilledIn(ui->lbl_gn_complete_step1, PutFilesFormat,
                 {FromBytes(result.scriptName), FromBytes(result.movieFileName)});
    generatedSnippet = FromBytes(result.snippet);
    ui->mem_gn_complete->setPlainText(generatedSnippet);
    ShowViewingHint(ui->lbl_gn_complete_player, GeneratePlayer());
    PlaceSnippetBox();
}

// The clipboard gets the generator's snippet itself, not the box's text: the
// box keeps lines, not line ends, and turns a no-break space into a blank and
// a line or paragraph separator into a line break.
void TfrmMain::sbtn_gn_completeClick()
{
    ui->mem_gn_complete->selectAll();
    desktop.CopyToClipboard(generatedSnippet);
    ui->mem_gn_complete->setFocus();
}

}  // namespace sorvane
