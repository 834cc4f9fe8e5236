#include "qtDesktop.h"

#include "bundledPlayer.h"
#include "errorBox.h"
#include "programDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QUrl>

namespace sorvane {

namespace {

bool AskYesNo(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
              QMessageBox::StandardButton defaultButton = QMessageBox::Yes)
{
    QMessageBox box(icon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(QMessageBox::No);
    return ExecProgramDialog(box) == QMessageBox::Yes;
}

QString PatternsOf(const QString& patterns)
{
    QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : list) {
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    }
    return list.join(QLatin1Char(' '));
}

}  // namespace

// Qt's file dialogs read and write their history, places and view state in
// the user's shared settings file (QtProject.conf). The program keeps nothing
// between runs and leaves that file alone: the dialogs' settings go to a
// folder of this run, removed at its end.
QtDesktop::QtDesktop()
{
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, dialogSettings.path());
}

QStringList NameFiltersOf(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        nameFilters << parts[i] + QStringLiteral(" (") + PatternsOf(parts[i + 1]) + QLatin1Char(')');
    return nameFilters;
}

void QtDesktop::ShowInformation(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, parent);
    ExecProgramDialog(box);
}

bool QtDesktop::Confirm(QWidget* parent, const QString& text)
{
    return AskYesNo(parent, QMessageBox::Question, QStringLiteral("Confirm"), text);
}

bool QtDesktop::ConfirmDefaultNo(QWidget* parent, const QString& text)
{
    return AskYesNo(parent, QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::No);
}

bool QtDesktop::AskExit(QWidget* parent, const QString& text)
{
    return AskYesNo(parent, QMessageBox::Information, QStringLiteral("Information"), text);
}

void QtDesktop::ShowError(QWidget* parent, const QString& message)
{
    ShowDefaultErrorBox(parent, message);
}

std::optional<QString> QtDesktop::OpenFile(QWidget* parent, const QString& filter, const QString& startFolder)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions already name their patterns; show them only once.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(NameFiltersOf(filter));
    if (!startFolder.isEmpty() && QFileInfo(startFolder).isDir())
        dialog.setDirectory(startFolder);
    else if (!openFolder.isEmpty())
        dialog.setDirectory(openFolder);
    if (ExecProgramDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    openFolder = QFileInfo(chosen).absolutePath();
    return QDir::toNativeSeparators(chosen);
}

void QtDesktop::OpenUrl(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

void QtDesktop::CopyToClipboard(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

std::optional<std::string> QtDesktop::BundledPlayerScript()
{
    return FindBundledPlayerScript();
}

TBrowseDialogBackend& QtDesktop::FolderBrowser()
{
    return *folderBrowser;
}

void QtDesktop::EndApplication()
{
    // exit(), not quit(): quit() would ask every window to close, and the
    // main window answers a close with the exit question.
    QCoreApplication::exit(0);
}

}  // namespace sorvane
