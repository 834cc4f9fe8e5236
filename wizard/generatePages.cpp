// The generate path's pages (nbkGenerate): their entry actions, their checks
// before Next, and the handlers of their controls.
#include "desktop.h"
#include "embedCode.h"
#include "pathLabel.h"
#include "ui_frmMain.h"
#include "unitMain.h"

#include <QFile>

namespace sorvane {

namespace {

// Fills the "%s" placeholders in their order with the values as plain text:
// a value that itself holds "%s" or "%1" is not read as a placeholder.
QString FillFormat(const QString& format, std::initializer_list<QString> values)
{
    QString filled;
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype at = format.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        filled += QStringView(format).mid(from, at - from);
        filled += value;
        from = at + 2;
    }
    filled += QStringView(format).mid(from);
    return filled;
}

QString FromBytes(const std::string& bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

void ShowPlainText(QLabel* label, const QString& text)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
}

// One question of the options page: asked while its flag is armed and its
// condition holds; a Yes disarms it for the rest of the run.
struct OptionQuestion {
    bool& askFlag;
    bool condition;
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

bool TfrmMain::gn_inputCheck()
{
    if (!IsBlank(ui->txt_gn_input->text()))
        return true;
    desktop.ShowInformation(this, QStringLiteral("Please select a Flash movie (.swf) file first."));
    return false;
}

void TfrmMain::gn_swfoptionEnter()
{
    ui->txt_gn_swfoption_name->setText(FromBytes(BaseName(ToBytes(ui->txt_gn_input->text()))));
    ui->cmb_gn_swfoption_quality->setCurrentIndex(0);
    movieStageSize = MovieStageSize(QFile::encodeName(ui->txt_gn_input->text()).toStdString());
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
    const QString width = ui->txt_gn_swfoption_width->text();
    const QString height = ui->txt_gn_swfoption_height->text();
    const QString name = ui->txt_gn_swfoption_name->text();
    const OptionQuestion questions[] = {
        {AskWidthBlank, IsBlank(width), ui->txt_gn_swfoption_width,
         "You have not entered the Width\r\nAre you sure to keep this field blank?"},
        {AskHeightBlank, IsBlank(height), ui->txt_gn_swfoption_height,
         "You have not entered the Height\r\nAre you sure to keep this field blank?"},
        {AskNameBlank, IsBlank(name), ui->txt_gn_swfoption_name,
         "You have emptied the Name/ID Field.\r\nAre you sure to keep this field blank?"},
        {AskWidthChars, !IsDigitsOrPercent(ToBytes(width)), ui->txt_gn_swfoption_width,
         "The Width value should contain numbers and % sign only.\r\nAre you sure you want to keep this value?"},
        {AskHeightChars, !IsDigitsOrPercent(ToBytes(height)), ui->txt_gn_swfoption_height,
         "The Height value should contain numbers and % sign only.\r\nAre you sure you want to keep this value?"},
    };
    bool accepted = true;
    for (const OptionQuestion& question : questions) {
        if (!question.askFlag || !question.condition)
            continue;
        const bool yes = desktop.Confirm(this, QString::fromLatin1(question.message));
        question.field->selectAll();
        question.field->setFocus();
        if (yes)
            question.askFlag = false;
        else
            accepted = false;
    }
    return accepted;
}

void TfrmMain::sbtn_gn_swfoption_playerClick()
{
    PickPlayerScript(ui->txt_gn_swfoption_player);
}

// The player's row is shown only when a player was chosen, so the page is
// as it always was without one.
void TfrmMain::gn_confirmEnter()
{
    gnConfirmPath->SetPath(ui->txt_gn_input->text());
    ShowPlainText(ui->lbl_gn_confirm_w, ui->txt_gn_swfoption_width->text());
    ShowPlainText(ui->lbl_gn_confirm_h, ui->txt_gn_swfoption_height->text());
    ShowPlainText(ui->lbl_gn_confirm_id, ui->txt_gn_swfoption_name->text());
    ShowPlainText(ui->lbl_gn_confirm_q, ui->cmb_gn_swfoption_quality->currentText().toLower());
    const bool player = ui->chk_gn_swfoption_player->isChecked();
    ShowPlainText(ui->lbl_gn_confirm_player, player ? ui->txt_gn_swfoption_player->text() : QString());
    ui->lbl_gn_confirm_player_caption->setVisible(player);
    ui->lbl_gn_confirm_player->setVisible(player);
}

// The script beside the movie may be a converted page's, holding the
// functions that write the page's movies: replacing it loses them, so the
// user is asked first, with No as the safe default.
bool TfrmMain::gn_confirmCheck()
{
    const std::string moviePath = PathBytes(ui->txt_gn_input->text());
    if (!WouldReplaceOtherScript(moviePath))
        return true;
    const QString scriptName = PathText(FileNamePart(MovieScriptPath(moviePath)));
    return desktop.ConfirmDefaultNo(
        this, FillFormat(QStringLiteral("The file \"%s\" already exists and holds other script code. Replace it?"),
                         {scriptName}));
}

// The script file is written before anything on the page changes: when it
// cannot be, the error leaves the page as the previous generation left it
// and the controller turns back to the confirm page.
void TfrmMain::gn_completeEnter()
{
    const std::optional<std::string> player =
        ui->lbl_gn_confirm_player->isHidden()
            ? std::nullopt
            : std::optional(QFile::encodeName(ui->lbl_gn_confirm_player->text()).toStdString());
    const EmbedCodeResult result = GenerateEmbedCode(
        PathBytes(ui->txt_gn_input->text()), ToBytes(ui->lbl_gn_confirm_w->text()),
        ToBytes(ui->lbl_gn_confirm_h->text()), ToBytes(ui->lbl_gn_confirm_id->text()),
        ToBytes(ui->lbl_gn_confirm_q->text()), NativePathStyle, player);
    const QString scriptName = FromBytes(result.scriptName);
    ShowPlainText(ui->lbl_gn_complete_js, FillFormat(ScriptNamedFormat, {scriptName}));
    ShowPlainText(ui->lbl_gn_complete_step1, FillFormat(PutFilesFormat, {scriptName, FromBytes(result.movieFileName)}));
    generatedSnippet = FromBytes(result.snippet);
    ui->mem_gn_complete->setPlainText(generatedSnippet);
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
