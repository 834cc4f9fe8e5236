// A scripted Desktop for the GUI tests. A test queues its answers before it
// acts (Yes/No for the questions, a file path or a cancel for the open
// dialog, the folder browser's item) and reads back every call the window made, in order. A question
// with no answer queued fails the test and is answered No / cancel; answers
// left unused when the fake is destroyed fail the test too.
#pragma once

#include "desktop.h"
#include "fakeBrowseDialog.h"
#include "qtPrinters.h"

#include <QStringList>
#include <deque>
#include <vector>

class FakeDesktop final : public sorvane::Desktop {
public:
    enum class Kind {
        Information,
        Confirm,
        ConfirmDefaultNo,
        AskExit,
        Error,
        OpenFile,
        OpenUrl,
        Clipboard,
        EndApplication
    };
    struct Call {
        Kind kind;
        QString text;  // message, filter, address or clipboard text; empty for EndApplication
        bool operator==(const Call&) const = default;
    };

    ~FakeDesktop() override;

    void AnswerYes() { yesNoAnswers.push_back(true); }
    void AnswerNo() { yesNoAnswers.push_back(false); }
    void ChooseFile(const QString& path) { fileAnswers.push_back(path); }
    void CancelFileDialog() { fileAnswers.push_back(std::nullopt); }

    const std::vector<Call>& Calls() const { return calls; }
    // The texts of the calls of one kind, in order.
    QStringList TextsOf(Kind kind) const;
    int CountOf(Kind kind) const { return static_cast<int>(TextsOf(kind).size()); }
    void ClearCalls() { calls.clear(); }

    // The start folder each open dialog was given, in order.
    QStringList openDialogFolders;

    // The folder picker's dialog: set its answer before a Browse.
    FakeBrowseDialog folderBrowser;

    // The player that comes with Sorvane, as the window finds it when it is
    // created: none, as in a build without it, unless a test sets one.
    std::optional<std::string> bundledPlayer;

    void ShowInformation(QWidget* parent, const QString& text) override;
    bool Confirm(QWidget* parent, const QString& text) override;
    bool ConfirmDefaultNo(QWidget* parent, const QString& text) override;
    bool AskExit(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& message) override;
    std::optional<QString> OpenFile(QWidget* parent, const QString& filter, const QString& startFolder) override;
    TBrowseDialogBackend& FolderBrowser() override { return folderBrowser; }
    void OpenUrl(const QString& address) override;
    void CopyToClipboard(const QString& text) override;
    std::optional<std::string> BundledPlayerScript() override { return bundledPlayer; }
    void EndApplication() override;

private:
    bool NextYesNo(Kind kind, const QString& text);

    std::vector<Call> calls;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> fileAnswers;
};

// Readable names in failure messages.
const char* KindName(FakeDesktop::Kind kind);
void PrintTo(const FakeDesktop::Call& call, std::ostream* out);
