// The real desktop: Qt's message boxes and file dialog, the platform's folder
// browser, the default browser and the system clipboard.
#pragma once

#include "browseDialog.h"
#include "desktop.h"

#include <QTemporaryDir>
#include <memory>

namespace sorvane {

class QtDesktop final : public Desktop {
public:
    QtDesktop();

    void ShowInformation(QWidget* parent, const QString& text) override;
    bool Confirm(QWidget* parent, const QString& text) override;
    bool ConfirmDefaultNo(QWidget* parent, const QString& text) override;
    bool AskExit(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& message) override;
    std::optional<QString> OpenFile(QWidget* parent, const QString& filter, const QString& startFolder) override;
    TBrowseDialogBackend& FolderBrowser() override;
    void OpenUrl(const QString& address) override;
    void CopyToClipboard(const QString& text) override;
    std::optional<std::string> BundledPlayerScript() override;
    void EndApplication() override;

private:
    // Where the dialogs keep their history and view state for this run: Qt
    // would keep them in the user's settings file that all Qt programs share.
    QTemporaryDir dialogSettings;
    // Where the open dialog was left; its next run starts there.
    QString openFolder;
    std::unique_ptr<TBrowseDialogBackend> folderBrowser = DefaultBrowseDialogBackend();
};

// "description|patterns|..." as the setting strings hold it, turned into
// the file dialog's name filters. Each entry shows its description as it
// stands; ";" between patterns becomes a blank, and "*.*" means every file,
// as it does in the setting strings.
QStringList NameFiltersOf(const QString& filter);

}  // namespace sorvane
