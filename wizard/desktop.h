// The desktop services that the wizard's windows use: message boxes, the
// file-open dialog, the folder browser, the web browser, the clipboard, the
// Flash player installed with the program and the application's end. The windows get one Desktop when they are created
// and never call the toolkit's modal dialogs themselves, so tests can answer every question in advance (see
// tests/support/fakeDesktop.h); the real implementation is QtDesktop in shell/.
#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;
class TBrowseDialogBackend;

namespace sorvane {

class Desktop {
public:
    virtual ~Desktop() = default;

    // Information box: information icon, caption "Information", one OK button.
    virtual void ShowInformation(QWidget* parent, const QString& text) = 0;
    // Confirmation box: question icon, caption "Confirm", Yes and No, Yes is
    // the default button and Esc answers No. True when the answer is Yes.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // The same box for a question whose Yes loses something: No is the
    // default button, so Enter keeps it. True when the answer is Yes.
    virtual bool ConfirmDefaultNo(QWidget* parent, const QString& text) = 0;
    // The exit question: information icon, caption "Information", Yes and No,
    // Yes default, Esc answers No. True when the answer is Yes.
    virtual bool AskExit(QWidget* parent, const QString& text) = 0;
    // The application's default error box for an error that reached a
    // handler's boundary: caption "Sorvane", error icon, one OK button. The
    // message is the error's own; the box adds the final "." where needed.
    virtual void ShowError(QWidget* parent, const QString& message) = 0;

    // The file-open dialog. filter is "description|patterns|description|..."
    // as the setting strings hold it. Returns the chosen file's full path in
    // native separators, or nothing when the user cancels. The dialog starts
    // in startFolder when that is an existing folder, else where its last run
    // was left.
    virtual std::optional<QString> OpenFile(QWidget* parent, const QString& filter, const QString& startFolder) = 0;

    // The folder browser behind the window's folder picker; it lives as long
    // as the desktop.
    virtual TBrowseDialogBackend& FolderBrowser() = 0;

    // Hands a web address to the default browser; failures are not reported.
    virtual void OpenUrl(const QString& address) = 0;

    // Puts text on the clipboard as plain text.
    virtual void CopyToClipboard(const QString& text) = 0;

    // The script of the Flash player that comes with Sorvane, as the running
    // program finds it (bundledPlayer.h); nothing in a build without it.
    virtual std::optional<std::string> BundledPlayerScript() = 0;

    // Tells the application to terminate: the event loop ends and the
    // program exits with status 0. Returns at once; nothing is asked or saved.
    virtual void EndApplication() = 0;
};

}  // namespace sorvane
