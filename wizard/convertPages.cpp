// The convert path's pages (nbkConvert): their entry actions, their checks
// before Next, and the handlers of their controls.
#include "desktop.h"
#include "folderBrowse.h"
#include "pathLabel.h"
#include "plainText.h"
#include "qtBytes.h"
#include "ui_frmMain.h"
#include "unitACConvertor.h"
#include "unitMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

namespace sorvane {

namespace {

const QString NoPageChosen = QStringLiteral("Please select a web page file first.");
const QString PageVanished = QStringLiteral("The web page you selected does not exist now.");
const QString NoFolderChosen = QStringLiteral("Please select a folder first.");
const QString FolderVanished = QStringLiteral("The folder you selected does not exist now.");
const QString ScriptWouldReplacePage = QStringLiteral(
    "The script file would have the same name as the web page and replace it. "
    "Please select another folder.");
const QString NotAFileSystemFolder = QStringLiteral(
    "The item you selected is not a folder on a disk. Please select a folder.");

const QString NothingToConvert = QStringLiteral(
    "This web page has no Flash movie block (<object> ... </object>) to convert. Nothing will be written: "
    "no script file, no backup, and the page stays as it is.");

const QColor DisabledFieldColor(233, 233, 233);

QString FolderOf(const QString& path)
{
    return FromBytes(FolderPart(ToBytes(path)));
}

QString FileNameOf(const QString& path)
{
    return FromBytes(FileNamePart(ToBytes(path)));
}

// The script file for the page, in folder or, when it is empty, beside the
// page.
QString PageScriptPath(const QString& pagePath, const QString& folder = {})
{
    return FromBytes(ScriptPathFor(ToBytes(pagePath), ToBytes(QDir::toNativeSeparators(folder))));
}

// One file under two paths: the same path, or two existing files that are
// one (through a link, "..", or letter case where names ignore it). Two
// missing files are not one file just because neither has a place yet.
bool IsSameFile(const QString& first, const QString& second)
{
    const QFileInfo one(first), other(second);
    if (one.exists() && other.exists())
        return one == other;
    return QDir::cleanPath(one.absoluteFilePath()) == QDir::cleanPath(other.absoluteFilePath());
}

// A page that can be read and has no block. One that cannot be read is left
// to the conversion, which reports why.
bool HasNothingToConvert(const QString& pagePath)
{
    try {
        return !HasFlashBlocks(LoadTextFile(ToBytes(pagePath)));
    } catch (const FileError&) {
        return false;
    }
}

void SetFieldBackground(QWidget* field, const QColor& color)
{
    QPalette palette = field->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, color);
    field->setPalette(palette);
}

}  // namespace

void TfrmMain::cv_inputEnter()
{
    OpenDialogFilter = PageFileFilter;
}

void TfrmMain::sbtn_cv_inputClick()
{
    if (const auto page = RunOpenDialog())
        ui->txt_cv_input->setText(*page);
}

bool TfrmMain::cv_inputCheck()
{
    const QString page = ui->txt_cv_input->text();
    if (IsEmptyWhenTrimmed(page)) {
        desktop.ShowInformation(this, NoPageChosen);
        return false;
    }
    if (!QFileInfo(page).isFile()) {
        desktop.ShowInformation(this, PageVanished);
        return false;
    }
    return true;
}

void TfrmMain::cv_outputEnter()
{
    BrowseForFolder->SetFolderName(FolderOf(ui->txt_cv_input->text()));
}

bool TfrmMain::cv_outputCheck()
{
    if (!ui->rad_cv_output_default->isChecked()) {
        const QString script = ui->txt_cv_output->text();
        if (IsEmptyWhenTrimmed(script)) {
            desktop.ShowInformation(this, NoFolderChosen);
            return false;
        }
        if (!QFileInfo(FolderOf(script)).isDir()) {
            desktop.ShowInformation(this, FolderVanished);
            return false;
        }
    }
    return !RefuseScriptOverPage(ScriptPathChosen());
}

// Writing the script over the page would destroy the page the user wants
// converted.
bool TfrmMain::RefuseScriptOverPage(const QString& scriptPath)
{
    if (!IsSameFile(scriptPath, ui->txt_cv_input->text()))
        return false;
    desktop.ShowInformation(this, ScriptWouldReplacePage);
    return true;
}

QString TfrmMain::ScriptPathChosen() const
{
    if (ui->rad_cv_output_default->isChecked())
        return PageScriptPath(ui->txt_cv_input->text());
    return ui->txt_cv_output->text();
}

void TfrmMain::rad_cv_output_defaultClick()
{
    SetFieldBackground(ui->txt_cv_output, DisabledFieldColor);
    ui->sbtn_cv_output->setEnabled(false);
}

void TfrmMain::rad_cv_output_customClick()
{
    SetFieldBackground(ui->txt_cv_output, QApplication::palette(ui->txt_cv_output).color(QPalette::Base));
    ui->sbtn_cv_output->setEnabled(true);
}

// An item without a file-system path (a virtual folder) has no place for a
// script file; the earlier choice stays.
void TfrmMain::sbtn_cv_outputClick()
{
    if (!BrowseForFolder->Execute())
        return;
    const QString folder = BrowseForFolder->FolderName();
    if (folder.isEmpty()) {
        desktop.ShowInformation(this, NotAFileSystemFolder);
        return;
    }
    ui->txt_cv_output->setText(PageScriptPath(ui->txt_cv_input->text(), folder));
}

// A page without a block would get only a comment-only script and its
// include: the page says so instead of offering the script and the backup.
void TfrmMain::cv_confirmEnter()
{
    const QString page = ui->txt_cv_input->text();
    const bool nothingToConvert = HasNothingToConvert(page);
    for (QWidget* convertOption :
         {static_cast<QWidget*>(ui->Label16), static_cast<QWidget*>(ui->lbl_cv_confirm_js),
          static_cast<QWidget*>(ui->chk_cv_confirm), static_cast<QWidget*>(ui->chk_cv_confirm_player),
          static_cast<QWidget*>(ui->txt_cv_confirm_player), static_cast<QWidget*>(ui->sbtn_cv_confirm_player)})
        convertOption->setVisible(!nothingToConvert);
    ShowPlainText(ui->lbl_cv_confirm_none, NothingToConvert);
    ui->lbl_cv_confirm_none->setVisible(nothingToConvert);
    cvConfirmHtm->SetPath(page);
    cvConfirmJs->SetPath(ScriptPathChosen());
    ShowCaptionFitted(ui->chk_cv_confirm,
                      [](const QStringList& names) { return QStringLiteral("Create backup of ") + names[0]; },
                      {FileNameOf(page)});
}

// The bar fills after the conversion, which runs to its end inside this
// action; the timer then moves the wizard on to the completion page. A
// failed conversion stops the timer and empties the bar, so the wizard stays
// on the confirm page instead of announcing a conversion that did not happen.
void TfrmMain::cv_progressEnter()
{
    Timer->start();
    auto stopProgress = qScopeGuard([this] {
        Timer->stop();
        ui->ProgressBar->setValue(0);
    });
    ConvertConfirmedPage();
    stopProgress.dismiss();
}

// Looked at again: the page may have changed since the confirm page showed.
bool TfrmMain::cv_confirmCheck()
{
    if (HasNothingToConvert(ui->txt_cv_input->text())) {
        desktop.ShowInformation(this, NothingToConvert);
        return false;
    }
    return CheckPlayerScript(ConvertPlayer())
           && PlanBundledPlayerCopy(ConvertPlayer(), DefaultSitePlayerFolder(ToBytes(ui->txt_cv_input->text()),
                                                                             FolderPart(ToBytes(ScriptPathChosen()))));
}

void TfrmMain::sbtn_cv_confirm_playerClick()
{
    PickPlayerScript(ui->txt_cv_confirm_player);
}

// The player is copied into the site before the page that loads it is
// written.
void TfrmMain::ConvertConfirmedPage()
{
    ConvertPage(conversionRun, {.pagePath = ToBytes(cvConfirmHtm->Path()),
                                .scriptPath = ToBytes(cvConfirmJs->Path()),
                                .backup = ui->chk_cv_confirm->isChecked(),
                                .playerSource = PlayerForRun(ConvertPlayer())});
}

void TfrmMain::cv_completeEnter()
{
    cvComplete->SetPath(cvConfirmHtm->Path());
    ShowViewingHint(ui->lbl_cv_complete_player, ConvertPlayer());
}

}  // namespace sorvane
