#include "unitMain.h"

#include "clickFilter.h"
#include "desktop.h"
#include "embedCode.h"
#include "folderBrowse.h"
#include "pathLabel.h"
#include "plainText.h"
#include "qtBytes.h"
#include "ui_frmMain.h"
#include "unitACConvertor.h"
#include "wizardPages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStandardItemModel>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <exception>
#include <new>
#include <stdexcept>

namespace sorvane {

namespace {

constexpr int ClientWidth = 512;
// The height the three content screens count with when the window's height
// is computed; the main panel's bevels then take their share of it.
constexpr int ContentHeight = 200;
constexpr int TimerInterval = 50;

const QString ExitQuestion = QStringLiteral("This will close Sorvane.\r\nAre you sure your want to exit?");

const QString BundledPlayerEntry = QStringLiteral("Sorvane's own player");
const QString BundledPlayerAbout = QStringLiteral(
    "The Flash player that comes with Sorvane (Ruffle), copied into the site once, into a sorvane-player folder");
const QString BundledPlayerMissing = QStringLiteral("This copy of Sorvane was built without its own Flash player.");
const QString PlayerFileDiffers = QStringLiteral(
    "The file \"%1\" differs from the Flash player's own. Replace the player's files that differ?");
// The command stands on a line of its own, so that no line break cuts it.
const QString ViewingHint = QStringLiteral(
    "The player does not run in a page opened as a file (file://). Any local server works, e.g.\n"
    "python3 -m http.server started in the site's folder.");

// Exceptions carry bytes, the paths in them as the file system has them.
// A file error's reason goes on a second line; running out of memory gets a
// sentence instead of the library's name for it.
QString MessageOf(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QString::fromLatin1(NotEnoughMemoryText);
    QString message = FromBytes(error.what());
    if (const auto* fileError = dynamic_cast<const FileError*>(&error); fileError && !fileError->reason().empty())
        message += QLatin1Char('\n') + FromBytes(fileError->reason());
    return message;
}

}  // namespace

TfrmMain::TfrmMain(Desktop& desktop, QWidget* parent)
    : QMainWindow(parent), bundledPlayer(desktop.BundledPlayerScript()), ui(std::make_unique<Ui::frmMain>()),
      desktop(desktop), Timer(new QTimer(this))
{
    ui->setupUi(this);
    RequirePagesOfTable(*ui->nbkConvert, ConvertPageTable);
    RequirePagesOfTable(*ui->nbkGenerate, GeneratePageTable);
    snippetPanelArea = ui->Panel1->geometry();
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(TimerInterval);
    BrowseForFolder = new TBrowseForFolder(this, desktop.FolderBrowser());
    BrowseForFolder->setObjectName(QStringLiteral("BrowseForFolder"));
    AttachPathLabels();
    NameControlsByTheirLabels();
    ShowPathBoxesReadOnly();
    ShowFocusOfSnippetBox();
    ReturnFocusAfterMenus();
    for (QAction* entry : ui->MainMenu->actions())
        menuBarCaptions.emplace_back(entry, entry->text());
    ConnectHandlers();
    ConnectLinks();
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::SetAboutBox(QDialog* box)
{
    aboutBox = box;
}

std::optional<QString> TfrmMain::RunOpenDialog()
{
    return desktop.OpenFile(this, OpenDialogFilter, {});
}

QStackedWidget* TfrmMain::CurrentNotebook() const
{
    return currentNotebook;
}

// ------------------------------------------------------------- wiring --

void TfrmMain::RunGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        desktop.ShowError(this, MessageOf(error));
    } catch (...) {
        desktop.ShowError(this, QStringLiteral("Unexpected error"));
    }
}

void TfrmMain::AttachPathLabels()
{
    const auto copy = [this](const QString& text) { desktop.CopyToClipboard(text); };
    cvConfirmHtm = new PathLabel(ui->lbl_cv_confirm_htm, copy);
    cvConfirmJs = new PathLabel(ui->lbl_cv_confirm_js, copy);
    cvComplete = new PathLabel(ui->lbl_cv_complete, copy);
    gnConfirmPath = new PathLabel(ui->lbl_gn_confirm_path, copy);
}

// Assistive tools name a control by the label that names it on screen (its
// buddy); the few controls that no label names get a name of their own.
void TfrmMain::NameControlsByTheirLabels()
{
    const std::pair<QLabel*, QWidget*> labelled[] = {
        {ui->Label1, ui->txt_cv_input},
        {ui->Label12, ui->txt_gn_input},
        {ui->Label17, ui->txt_gn_swfoption_width},
        {ui->Label4, ui->txt_gn_swfoption_height},
        {ui->Label8, ui->txt_gn_swfoption_name},
        {ui->Label7, ui->cmb_gn_swfoption_quality},
    };
    for (const auto& [label, control] : labelled)
        label->setBuddy(control);
    ui->txt_cv_output->setAccessibleName(QStringLiteral("Script file in the specific folder"));
    for (QLineEdit* player : {ui->txt_cv_confirm_player, ui->txt_gn_swfoption_player})
        player->setAccessibleName(QStringLiteral("Flash player script"));
    for (QComboBox* player : {ui->cmb_cv_confirm_player, ui->cmb_gn_swfoption_player})
        player->setAccessibleName(QStringLiteral("Flash player"));
    ui->mem_gn_complete->setAccessibleName(QStringLiteral("Code to paste into your web page"));
    ui->ProgressBar->setAccessibleName(ui->Label6->text());
    ui->radGenerate->setAccessibleDescription(ui->lblGenerate->text());
    ui->radConvert->setAccessibleDescription(ui->lblConvert->text());
    for (QLabel* logo : {ui->imgLogo_1, ui->imgLogo_2, ui->imgLogo_3, ui->imgLogo_4})
        logo->setAccessibleName(logo->toolTip());
}

void TfrmMain::ShowPathBoxesReadOnly()
{
    for (QLineEdit* box : {ui->txt_cv_input, ui->txt_gn_input}) {
        QPalette palette = box->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Window));
        box->setPalette(palette);
    }
}

void TfrmMain::ShowFocusOfSnippetBox()
{
    QFrame* panel = ui->Panel1;
    const auto showFocus = [panel](bool focused) {
        panel->setFrameShadow(focused ? QFrame::Plain : QFrame::Sunken);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::WindowText, focused ? palette.color(QPalette::Highlight)
                                                       : QApplication::palette(panel).color(QPalette::WindowText));
        panel->setPalette(palette);
    };
    connect(qApp, &QApplication::focusChanged, this, [this, showFocus](QWidget* before, QWidget* now) {
        if (before == ui->mem_gn_complete || now == ui->mem_gn_complete)
            showFocus(now == ui->mem_gn_complete);
    });
}

// A menu opened by its Alt key takes the focus into the menu bar, and Esc
// closes the menu but leaves the bar holding the focus until a second Esc.
void TfrmMain::ReturnFocusAfterMenus()
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now != menuBar() && centralWidget()->isAncestorOf(now))
            lastFocused = now;
    });
    for (QMenu* menu : ui->MainMenu->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToHide, this, [this] {
            // Once the menu is gone: moving to the next menu opens another.
            QTimer::singleShot(0, this, [this] {
                const QWidget* focused = focusWidget();
                if ((!focused || focused == menuBar()) && !QApplication::activePopupWidget() && lastFocused)
                    lastFocused->setFocus(Qt::MenuBarFocusReason);
            });
        });
    }
}

void TfrmMain::ConnectHandlers()
{
    const auto onClick = [this](QAbstractButton* button, void (TfrmMain::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { RunGuarded([=, this] { (this->*handler)(); }); });
    };
    onClick(ui->btnNext, &TfrmMain::btnNextClick);
    onClick(ui->btnBack, &TfrmMain::btnBackClick);
    onClick(ui->btnExit, &TfrmMain::btnExitClick);
    onClick(ui->sbtn_cv_input, &TfrmMain::sbtn_cv_inputClick);
    onClick(ui->rad_cv_output_default, &TfrmMain::rad_cv_output_defaultClick);
    onClick(ui->rad_cv_output_custom, &TfrmMain::rad_cv_output_customClick);
    onClick(ui->sbtn_cv_output, &TfrmMain::sbtn_cv_outputClick);
    onClick(ui->sbtn_gn_input, &TfrmMain::sbtn_gn_inputClick);
    onClick(ui->btn_gn_swfoption_size, &TfrmMain::btn_gn_swfoption_sizeClick);
    onClick(ui->sbtn_cv_confirm_player, &TfrmMain::sbtn_cv_confirm_playerClick);
    onClick(ui->sbtn_gn_swfoption_player, &TfrmMain::sbtn_gn_swfoption_playerClick);
    SetUpPlayerOption(ConvertPlayer());
    SetUpPlayerOption(GeneratePlayer());
    onClick(ui->sbtn_gn_complete, &TfrmMain::sbtn_gn_completeClick);

    ClickFilter::Install(ui->lblConvert, [this] { RunGuarded([this] { lblConvertClick(); }); });
    ClickFilter::Install(ui->lblGenerate, [this] { RunGuarded([this] { lblGenerateClick(); }); });
    connect(Timer, &QTimer::timeout, this, [this] { RunGuarded([this] { TimerTimer(); }); });
    connect(ui->mi_About, &QAction::triggered, this, [this] { RunGuarded([this] { mi_AboutClick(); }); });

    // The window's cancel button: Esc presses it, but only while it can be
    // pressed.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (ui->btnExit->isEnabled())
            ui->btnExit->click();
    });
}

TfrmMain::PlayerOption TfrmMain::ConvertPlayer() const
{
    return {ui->chk_cv_confirm_player, ui->cmb_cv_confirm_player, ui->txt_cv_confirm_player,
            ui->sbtn_cv_confirm_player};
}

TfrmMain::PlayerOption TfrmMain::GeneratePlayer() const
{
    return {ui->chk_gn_swfoption_player, ui->cmb_gn_swfoption_player, ui->txt_gn_swfoption_player,
            ui->sbtn_gn_swfoption_player};
}

// The field becomes the choice's own text box; what it shows is what the
// pages get.
void TfrmMain::SetUpPlayerOption(const PlayerOption& option)
{
    option.field->setEnabled(true);
    option.choice->setLineEdit(option.field);
    option.choice->setInsertPolicy(QComboBox::NoInsert);
    option.choice->installEventFilter(this);
    option.choice->addItem(BundledPlayerEntry);
    QStandardItem* entry = qobject_cast<QStandardItemModel*>(option.choice->model())->item(0);
    entry->setEnabled(bundledPlayer.has_value());
    entry->setToolTip(bundledPlayer ? BundledPlayerAbout : BundledPlayerMissing);
    connect(option.box, &QCheckBox::toggled, option.choice, &QWidget::setEnabled);
    connect(option.box, &QCheckBox::toggled, option.browse, &QWidget::setEnabled);
    option.field->setText(bundledPlayer ? BundledPlayerEntry : QString());
    option.box->setChecked(bundledPlayer.has_value());
}

// The dialog starts in the folder of a path already typed, so that the user
// picks the script where the typed path points.
void TfrmMain::PickPlayerScript(QLineEdit* field)
{
    const QString typed = field->text();
    const bool noFolder = IsEmptyWhenTrimmed(typed) || IsWebAddress(ToBytes(typed))
                          || (bundledPlayer && typed == BundledPlayerEntry);
    if (const auto path = desktop.OpenFile(this, PlayerScriptFilter,
                                           noFolder ? QString() : QFileInfo(typed).absolutePath()))
        field->setText(*path);
}

bool TfrmMain::BundledPlayerChosen(const PlayerOption& option) const
{
    return bundledPlayer && option.box->isChecked() && option.field->text() == BundledPlayerEntry;
}

// A player that is missing is refused on the page where it was chosen, not
// at the last step; a relative path is looked for from the program's working
// folder, which the user may not know, so the message names the folder.
bool TfrmMain::CheckPlayerScript(const PlayerOption& option)
{
    if (!option.box->isChecked() || BundledPlayerChosen(option))
        return true;
    const QString source = option.field->text();
    try {
        RequirePlayerScript(ToBytes(source));
        return true;
    } catch (const ConvertError& error) {
        QString message = FromBytes(error.what());
        if (!source.isEmpty())
            message += QStringLiteral("\nFolder looked in: ")
                       + QDir::toNativeSeparators(QFileInfo(source).absolutePath());
        desktop.ShowInformation(this, message);
        option.field->selectAll();
        option.field->setFocus();
        return false;
    }
}

// The copy is planned as sorvane-cli plans it for --player bundled; where
// the command line refuses files that differ without --force, the user is
// asked, with No as the default: the files may be the user's own changes.
bool TfrmMain::PlanBundledPlayerCopy(const PlayerOption& option, const std::string& siteFolder)
{
    plannedPlayerCopy.reset();
    if (!BundledPlayerChosen(option))
        return true;
    try {
        PlayerCopy copy = PlanPlayerCopy(*bundledPlayer, siteFolder);
        if (!copy.differingFiles.empty()
            && !desktop.ConfirmDefaultNo(this, PlayerFileDiffers.arg(FromBytes(copy.differingFiles.front()))))
            return false;
        plannedPlayerCopy = std::move(copy);
        return true;
    } catch (const ConvertError& error) {
        desktop.ShowInformation(this, FromBytes(error.what()));
        return false;
    }
}

std::optional<std::string> TfrmMain::PlayerForRun(const PlayerOption& option)
{
    if (!option.box->isChecked())
        return std::nullopt;
    if (!BundledPlayerChosen(option))
        return ToBytes(option.field->text());
    if (!plannedPlayerCopy)
        throw std::logic_error("The copy of the Flash player was not planned");
    CopyPlayer(*plannedPlayerCopy);
    return plannedPlayerCopy->script;
}

void TfrmMain::ShowViewingHint(QLabel* hint, const PlayerOption& option)
{
    ShowPlainText(hint, ViewingHint);
    hint->setVisible(option.box->isChecked());
}

void TfrmMain::PlaceSnippetBox()
{
    QRect area = snippetPanelArea;
    if (!ui->lbl_gn_complete_player->isHidden())
        area.setTop(ui->lbl_gn_complete_player->geometry().bottom() + 3);
    ui->Panel1->setGeometry(area);
    ui->mem_gn_complete->setGeometry(ui->Panel1->rect().adjusted(2, 2, -2, -2));
}

void TfrmMain::ConnectLinks()
{
    for (QLabel* logo : {ui->imgLogo_1, ui->imgLogo_2, ui->imgLogo_3, ui->imgLogo_4})
        ClickFilter::Install(logo, [this, logo] { RunGuarded([this, logo] { Logo_Click(logo); }); });
    for (const TMenuLink& link : MenuLinks) {
        auto* action = findChild<QAction*>(QString::fromLatin1(link.ActionName));
        Q_ASSERT(action);
        connect(action, &QAction::triggered, this,
                [this, target = link.Target] { OpenLink(desktop, LinkText(target)); });
    }
}

// ---------------------------------------------------------- controller --

void TfrmMain::FormCreate()
{
    LayoutWindow();
    BuildStepTables();
    ResetWizard();
}

void TfrmMain::LayoutWindow()
{
    const int clientHeight = ui->panTitle->minimumHeight() + ui->panSep_2->minimumHeight() + ContentHeight
                             + ui->panStep->minimumHeight() + ui->panAd->minimumHeight();
    centralWidget()->setFixedSize(ClientWidth, clientHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui->panFirst->setFrameShape(QFrame::NoFrame);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
        FitOnScreen(screen->availableGeometry());
    }
    ui->radGenerate->setFocus();
}

void TfrmMain::FitOnScreen(const QRect& available)
{
    // Before the window is shown its frame is not known: a title bar and
    // borders are counted as the style draws them.
    QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty()) {
        const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        frame = QSize(2 * border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border);
    }
    const QSize whole = size() + frame;
    if (whole.width() <= available.width() && whole.height() <= available.height())
        return;
    QWidget* content = takeCentralWidget();
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("scrContent"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidget(content);
    setCentralWidget(scroller);
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    setFixedSize(whole.boundedTo(available.size()) - frame);
    move(available.topLeft());
}

void TfrmMain::ResetWizard()
{
    ShowWelcome();
    ui->nbkConvert->setCurrentIndex(0);
    ui->nbkGenerate->setCurrentIndex(0);
    currentNotebook = nullptr;
    EnterPage(0);
}

void TfrmMain::ShowWelcome()
{
    ui->panFirst->show();
    ui->nbkConvert->hide();
    ui->nbkGenerate->hide();
    currentNotebook = nullptr;
}

void TfrmMain::ShowConvert()
{
    ShowPath(ui->nbkConvert);
}

void TfrmMain::ShowGenerate()
{
    ShowPath(ui->nbkGenerate);
}

void TfrmMain::ShowPath(QStackedWidget* notebook)
{
    ui->panFirst->hide();
    ui->nbkConvert->setVisible(notebook == ui->nbkConvert);
    ui->nbkGenerate->setVisible(notebook == ui->nbkGenerate);
    currentNotebook = notebook;
    EnterPageOrTurnBack(0, [this] {
        ShowWelcome();
        ApplyStep(WelcomeStep);
    });
}

void TfrmMain::GoNext()
{
    if (!currentNotebook) {
        if (ui->radConvert->isChecked())
            ShowConvert();
        else
            ShowGenerate();
        return;
    }
    if (OnCompletionPage()) {
        ResetWizard();
        return;
    }
    const int index = currentNotebook->currentIndex();
    if (CheckPage(index))
        TurnToPage(index + 1);
}

void TfrmMain::GoBack()
{
    if (!currentNotebook)
        return;
    const int index = currentNotebook->currentIndex();
    if (index == 0)
        ResetWizard();
    else
        TurnToPage(index - 1);
}

// A page whose entry action fails is not left showing as if it had been
// entered: the notebook turns back to the page the user came from and that
// page's row is applied again, so title, buttons and page agree while the
// error is reported.
void TfrmMain::TurnToPage(int index)
{
    const int from = currentNotebook->currentIndex();
    currentNotebook->setCurrentIndex(index);
    EnterPageOrTurnBack(index, [this, from] {
        currentNotebook->setCurrentIndex(from);
        ApplyStep(CurrentStepRows()[from]);
    });
}

void TfrmMain::EnterPageOrTurnBack(int index, const std::function<void()>& turnBack)
{
    try {
        EnterPage(index);
    } catch (...) {
        turnBack();
        throw;
    }
}

void TfrmMain::EnterPage(int index)
{
    if (!currentNotebook) {
        ApplyStep(WelcomeStep);
        FocusFirstControlOfScreen();
        return;
    }
    const WizardPage* page = PageAt(index);
    if (!page)
        return;
    (this->*page->enter)();
    ApplyStep(CurrentStepRows()[index]);
    FocusFirstControlOfScreen();
}

// A screen that becomes current takes the keyboard focus at its first
// control that the user can act on, in tab order, as a finished wizard does:
// a read-only text box only shows what its Browse button set, and of a group
// of radio buttons the chosen one takes it. A control that hands its focus
// to another (the player's text box to its choice) is passed over, as Tab
// passes it over. A screen without such a control
// leaves the focus to the button bar.
void TfrmMain::FocusFirstControlOfScreen()
{
    QWidget* screen = currentNotebook ? currentNotebook->currentWidget() : ui->panFirst;
    const auto actsOn = [screen](QWidget* control) {
        if (!screen->isAncestorOf(control) || !control->isEnabled() || !control->isVisibleTo(screen)
            || !(control->focusPolicy() & Qt::TabFocus) || control->focusProxy())
            return false;
        if (const auto* field = qobject_cast<QLineEdit*>(control))
            return !field->isReadOnly();
        if (const auto* radio = qobject_cast<QRadioButton*>(control))
            return radio->isChecked();
        return true;
    };
    // Tab order runs from the welcome options through the pages to the button
    // bar, whose last button Tab leaves for the first control again.
    QWidget* last = ui->btnExit;
    for (QWidget* control = last->nextInFocusChain(); control != last; control = control->nextInFocusChain()) {
        if (actsOn(control)) {
            control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (ui->btnNext->isEnabled())
        ui->btnNext->setFocus(Qt::TabFocusReason);
}

bool TfrmMain::CheckPage(int index)
{
    const WizardPage* page = PageAt(index);
    if (!page || page->check == NextAlwaysMovesOn)
        return true;
    return (this->*page->check)();
}

void TfrmMain::ApplyStep(const TAcPage& row)
{
    ui->lblTitle->setText(row.Title);
    ui->btnBack->setEnabled(row.Back.Enabled);
    ui->btnNext->setEnabled(row.Next.Enabled);
    ui->btnExit->setEnabled(row.Exit.Enabled);
    ui->btnBack->setText(row.Back.Caption);
    ui->btnNext->setText(row.Next.Caption);
    ui->btnExit->setText(row.Exit.Caption);
    ShareAltKeysWithMenuBar();
}

// The menu bar and the button bar share the Alt keys: on a completion page
// "&Again" has the A of "&About Sorvane". The button the page shows is what
// the user means, so while an enabled button has an entry's key, the entry
// shows its caption without the mark and leaves the key to the button.
void TfrmMain::ShareAltKeysWithMenuBar()
{
    QList<QKeySequence> buttonKeys;
    for (const QAbstractButton* button : {ui->btnBack, ui->btnNext, ui->btnExit}) {
        if (button->isEnabled())
            buttonKeys << QKeySequence::mnemonic(button->text());
    }
    for (const auto& [entry, caption] : menuBarCaptions) {
        const bool keyTaken = buttonKeys.contains(QKeySequence::mnemonic(caption));
        entry->setText(keyTaken ? QString(caption).remove(QLatin1Char('&')) : caption);
    }
}

std::span<const WizardPage> TfrmMain::CurrentPages() const
{
    if (currentNotebook == ui->nbkConvert)
        return ConvertPageTable;
    if (currentNotebook == ui->nbkGenerate)
        return GeneratePageTable;
    return {};
}

const WizardPage* TfrmMain::PageAt(int index) const
{
    const auto pages = CurrentPages();
    return index >= 0 && index < static_cast<int>(pages.size()) ? &pages[index] : nullptr;
}

std::span<const TAcPage> TfrmMain::CurrentStepRows() const
{
    if (currentNotebook == ui->nbkConvert)
        return ConvertSteps;
    if (currentNotebook == ui->nbkGenerate)
        return GenerateSteps;
    return {};
}

bool TfrmMain::OnCompletionPage() const
{
    const WizardPage* page = currentNotebook ? PageAt(currentNotebook->currentIndex()) : nullptr;
    return page && page->role == PageRole::Completion;
}

void TfrmMain::ConfirmExit()
{
    if (OnCompletionPage() || desktop.AskExit(this, ExitQuestion))
        desktop.EndApplication();
}

// -------------------------------------------------------- event handlers --

void TfrmMain::btnNextClick()
{
    GoNext();
}

void TfrmMain::btnBackClick()
{
    GoBack();
}

void TfrmMain::btnExitClick()
{
    ConfirmExit();
}

// The window never closes by itself: every way of closing it is the third
// button's action, also while that button is disabled.
void TfrmMain::FormCloseQuery(bool& CanClose)
{
    CanClose = false;
    btnExitClick();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    RunGuarded([&] { FormCloseQuery(canClose); });
    event->setAccepted(canClose);
}

// A window that is not a dialog has no default button: Enter would do
// nothing. Wizards on every desktop take it for Next, and a focused button
// for a press of that button. Controls that use Enter themselves (an open
// list, a menu) keep it.
void TfrmMain::keyPressEvent(QKeyEvent* event)
{
    if (!IsPlainEnter(event)) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    PressButtonForEnter();
    event->accept();
}

// An editable choice (the player's) keeps Enter for itself, where its text
// box alone would leave it to the window: it gets the text box's behaviour.
bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<QComboBox*>(watched)
        && IsPlainEnter(static_cast<QKeyEvent*>(event))) {
        PressButtonForEnter();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::IsPlainEnter(const QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    return enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void TfrmMain::PressButtonForEnter()
{
    if (QAbstractButton* button = ButtonForEnter(); button && button->isEnabled() && button->isVisible())
        button->click();
}

QAbstractButton* TfrmMain::ButtonForEnter() const
{
    QWidget* focused = focusWidget();
    if (qobject_cast<QPushButton*>(focused) || qobject_cast<QToolButton*>(focused))
        return static_cast<QAbstractButton*>(focused);
    return OnCompletionPage() ? ui->btnExit : ui->btnNext;
}

void TfrmMain::TimerTimer()
{
    QProgressBar* bar = ui->ProgressBar;
    if (bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + qRound(bar->maximum() / 10.0));
        return;
    }
    // Stop even when the move on fails, so a failing page is not entered
    // again on every tick.
    const auto stopAndEmpty = qScopeGuard([this, bar] {
        Timer->stop();
        bar->setValue(0);
    });
    GoNext();
}

void TfrmMain::lblConvertClick()
{
    ui->radConvert->setChecked(true);
    ui->radConvert->setFocus();
}

void TfrmMain::lblGenerateClick()
{
    ui->radGenerate->setChecked(true);
    ui->radGenerate->setFocus();
}

void TfrmMain::mi_AboutClick()
{
    if (aboutBox)
        aboutBox->exec();
}

void TfrmMain::Logo_Click(QObject* Sender)
{
    const QLabel* logos[] = {ui->imgLogo_1, ui->imgLogo_2, ui->imgLogo_3, ui->imgLogo_4};
    for (std::size_t i = 0; i < std::size(logos); ++i) {
        if (Sender == logos[i]) {
            OpenLink(desktop, LinkText(AdvertLinks[i]));
            return;
        }
    }
}

bool IsEmptyWhenTrimmed(const QString& text)
{
    return IsEmptyWhenTrimmed(ToBytes(text));
}

}  // namespace sorvane
