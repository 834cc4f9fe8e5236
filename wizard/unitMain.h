// The main window TfrmMain: the wizard's step machine (welcome screen, the
// convert and generate notebooks, Back/Next/third button, the progress
// timer, the exit question), the page actions of both paths, the link menu
// and the advert strip. The window is built from resources/frmMain.ui and
// reaches the desktop (message boxes, dialogs, browser, clipboard) only
// through the Desktop it is given.
#pragma once

#include "movieHeader.h"
#include "playerCopy.h"
#include "unitACConvertor.h"
#include "unitSetting.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTimer;
class TBrowseForFolder;

namespace Ui {
class frmMain;
}

namespace sorvane {

class Desktop;
class PathLabel;
struct WizardPage;

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmMain(Desktop& desktop, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The about box is created after the main window; until it is given,
    // "&About Sorvane" does nothing.
    void SetAboutBox(QDialog* aboutBox);

    // nbkConvert or nbkGenerate while a path is showing; null on the welcome
    // screen.
    QStackedWidget* CurrentNotebook() const;

    // ------------------------------------------------------- controller --
    void LayoutWindow();
    // A window larger than the screen area available (a small screen drawn
    // at a large scale) shows its content in a scroll area that fits there.
    void FitOnScreen(const QRect& available);
    void ResetWizard();
    void ShowWelcome();
    void ShowConvert();
    void ShowGenerate();
    void GoNext();
    void GoBack();
    void ConfirmExit();
    // Runs the entry action of page index of the current notebook, then
    // applies its step row (the welcome row when no notebook is current).
    void EnterPage(int index);
    void ApplyStep(const TAcPage& row);
    // Runs the check of page index of the current notebook.
    bool CheckPage(int index);

    // --------------------------------------------------- event handlers --
    void FormCreate();
    void FormCloseQuery(bool& CanClose);
    void btnNextClick();
    void btnBackClick();
    void btnExitClick();
    void TimerTimer();
    void lblConvertClick();
    void lblGenerateClick();
    void mi_AboutClick();
    // The one handler of the four advert pictures; acts by the sender.
    void Logo_Click(QObject* Sender);

    // Page actions, named by the page tables of wizardPages.h. The controller
    // reaches the entry actions and checks through virtual calls, so a window
    // with other pages (a test's, for one) runs through the same steps.
    // ------------------------------------------ convert path (convertPages.cpp) --
    virtual void cv_inputEnter();
    virtual bool cv_inputCheck();
    void sbtn_cv_inputClick();
    virtual void cv_outputEnter();
    virtual bool cv_outputCheck();
    void rad_cv_output_defaultClick();
    void rad_cv_output_customClick();
    void sbtn_cv_outputClick();
    virtual void cv_confirmEnter();
    virtual bool cv_confirmCheck();
    void sbtn_cv_confirm_playerClick();
    virtual void cv_progressEnter();
    virtual void cv_completeEnter();

    // ---------------------------------------- generate path (generatePages.cpp) --
    virtual void gn_inputEnter();
    void sbtn_gn_inputClick();
    virtual bool gn_inputCheck();
    virtual void gn_swfoptionEnter();
    virtual bool gn_swfoptionCheck();
    void btn_gn_swfoption_sizeClick();
    void sbtn_gn_swfoption_playerClick();
    virtual void gn_confirmEnter();
    virtual bool gn_confirmCheck();
    virtual void gn_completeEnter();
    void sbtn_gn_completeClick();

    // The window's one file-open dialog, shared by both paths: the filter
    // each path's first page sets, and a modal run that returns the chosen
    // file's full path, or nothing when the user cancels.
    QString OpenDialogFilter;
    std::optional<QString> RunOpenDialog();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter and Return, which the focused control left unused.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The rows of the current notebook's table (wizardPages.h) and its step
    // rows; empty on the welcome screen.
    std::span<const WizardPage> CurrentPages() const;
    // The current table's row index; null when there is none.
    const WizardPage* PageAt(int index) const;
    std::span<const TAcPage> CurrentStepRows() const;
    bool OnCompletionPage() const;
    void ShowPath(QStackedWidget* notebook);
    void TurnToPage(int index);
    void EnterPageOrTurnBack(int index, const std::function<void()>& turnBack);

    // The script file's path as the convert path's pages stand: beside the
    // page, or the one built when the specific folder was picked.
    QString ScriptPathChosen() const;
    bool RefuseScriptOverPage(const QString& scriptPath);
    void ConvertConfirmedPage();
    // One run for the whole program run: every page converted numbers its
    // functions on from the pages converted before it.
    ConversionRun conversionRun;
    // The generate options page's five questions: armed when the window is
    // made; each is disarmed by the user's first Yes to it and then stays
    // quiet for the rest of the run.
    bool askWidthBlank = true;
    bool askHeightBlank = true;
    bool askNameBlank = true;
    bool askWidthChars = true;
    bool askHeightChars = true;

    void AttachPathLabels();
    void NameControlsByTheirLabels();
    void FocusFirstControlOfScreen();
    // What Enter presses: the focused push or tool button, else Next, or on
    // a completion page the third button.
    QAbstractButton* ButtonForEnter() const;
    static bool IsPlainEnter(const QKeyEvent* event);
    void PressButtonForEnter();
    void ShareAltKeysWithMenuBar();
    // The path boxes that only Browse.. fills look as read-only as they are.
    void ShowPathBoxesReadOnly();
    // The snippet box has no frame of its own: its panel shows its focus.
    void ShowFocusOfSnippetBox();
    // A menu closed by Esc gives the focus back to the control that had it.
    void ReturnFocusAfterMenus();

    // A Flash player for the pages to load: the one that comes with Sorvane,
    // the first entry of the choice, or a script file or web address typed
    // into the choice's field or picked by Browse... The check box lets the
    // choice and Browse.. take input. With the player that comes with Sorvane
    // the box starts ticked and that player chosen; without it (a build
    // without the player) its entry cannot be chosen and the box starts clear.
    struct PlayerOption {
        QCheckBox* box;
        QComboBox* choice;
        QLineEdit* field;
        QAbstractButton* browse;
    };
    PlayerOption ConvertPlayer() const;
    PlayerOption GeneratePlayer() const;
    void SetUpPlayerOption(const PlayerOption& option);
    void PickPlayerScript(QLineEdit* field);
    // The player that comes with Sorvane is ticked and chosen.
    bool BundledPlayerChosen(const PlayerOption& option) const;
    // Whether the player chosen, if any, can be loaded; tells the user why not.
    bool CheckPlayerScript(const PlayerOption& option);
    // With the player that comes with Sorvane chosen: plans its copy into
    // siteFolder, where files that differ from it are replaced only when the
    // user says so. False when the user keeps them or the copy is refused.
    bool PlanBundledPlayerCopy(const PlayerOption& option, const std::string& siteFolder);
    // What the pages load, for the run that starts: nothing, the script
    // given, or the player that comes with Sorvane, copied into the site now.
    std::optional<std::string> PlayerForRun(const PlayerOption& option);
    // How to view a site whose pages load a player, on a completion page.
    void ShowViewingHint(QLabel* hint, const PlayerOption& option);
    // The snippet box leaves the top of its place to the viewing hint while
    // that shows.
    void PlaceSnippetBox();
    QRect snippetPanelArea;

    // The player that comes with Sorvane, when this program has it.
    std::optional<std::string> bundledPlayer;
    // Its copy into the site, as the last check planned it.
    std::optional<PlayerCopy> plannedPlayerCopy;

    // The stage size of the movie the options page was entered with, when
    // its header tells it: offered to the author, never put in unasked.
    std::optional<StageSize> movieStageSize;

    void ConnectHandlers();
    void ConnectLinks();
    // Runs one event handler; an error it raises ends there, in the default
    // error box, instead of unwinding through the toolkit.
    void RunGuarded(const std::function<void()>& handler);

    // The last control of the window's content that had the focus.
    QPointer<QWidget> lastFocused;

    std::unique_ptr<Ui::frmMain> ui;
    Desktop& desktop;
    QDialog* aboutBox = nullptr;
    QStackedWidget* currentNotebook = nullptr;
    // The value labels that show paths: lbl_cv_confirm_htm, lbl_cv_confirm_js,
    // lbl_cv_complete and lbl_gn_confirm_path. They keep the paths whole
    // while they show them cut to their size.
    PathLabel* cvConfirmHtm = nullptr;
    PathLabel* cvConfirmJs = nullptr;
    PathLabel* cvComplete = nullptr;
    PathLabel* gnConfirmPath = nullptr;
    // The menu bar's entries with their captions as the resource gives them.
    std::vector<std::pair<QAction*, QString>> menuBarCaptions;
    // The paste snippet of the last generation, exactly as the generator
    // made it: what "Copy To Clipboard" copies.
    QString generatedSnippet;
    // The progress page's timer: 50 ms, stopped until a conversion starts.
    QTimer* Timer;
    // The convert path's folder picker; its start folder is set each time
    // the script-folder page is entered.
    TBrowseForFolder* BrowseForFolder;
};

// What the pages' checks read as empty: a field whose bytes are
// IsEmptyWhenTrimmed (the generator's rule, embedCode.h).
bool IsEmptyWhenTrimmed(const QString& text);

}  // namespace sorvane
