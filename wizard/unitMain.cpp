#include "unitMain.h"

#include "clickFilter.h"
#include "desktop.h"
#include "folderBrowse.h"
#include "ui_frmMain.h"
#include "unitACConvertor.h"
#include "windowResources.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <exception>
#include <new>

namespace sorvane {

bool AskWidthBlank = false;
bool AskHeightBlank = false;
bool AskNameBlank = false;
bool AskWidthChars = false;
bool AskHeightChars = false;

namespace {

constexpr int ClientWidth = 512;
// The height the three content screens count with when the window's height
// is computed; the main panel's bevels then take their share of it.
constexpr int ContentHeight = 200;
constexpr int TimerInterval = 50;

const QString ExitQuestion =
    QStringLiteral("This will close Sorvane.\r\nAre you sure your want to exit?");

// Exceptions carry bytes; paths in them are in the system's 8-bit encoding.
// A file error's reason goes on a second line; running out of memory gets a
// sentence instead of the library's name for it.
QString MessageOf(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error)) return QString::fromLatin1(NotEnoughMemoryText);
    QString message = QString::fromLocal8Bit(error.what());
    if (const auto* fileError = dynamic_cast<const FileError*>(&error); fileError && !fileError->reason().empty())
        message += QLatin1Char('\n') + QString::fromLocal8Bit(fileError->reason());
    return message;
}

}  // namespace

const TfrmMain::PageActions TfrmMain::ConvertPageActions[ConvertPageCount] = {
    {&TfrmMain::cv_inputEnter, &TfrmMain::cv_inputCheck},
    {&TfrmMain::cv_outputEnter, &TfrmMain::cv_outputCheck},
    {&TfrmMain::cv_confirmEnter, nullptr},
    {&TfrmMain::cv_progressEnter, nullptr},
    {&TfrmMain::cv_completeEnter, nullptr},
};

const TfrmMain::PageActions TfrmMain::GeneratePageActions[GeneratePageCount] = {
    {&TfrmMain::gn_inputEnter, &TfrmMain::gn_inputCheck},
    {&TfrmMain::gn_swfoptionEnter, &TfrmMain::gn_swfoptionCheck},
    {&TfrmMain::gn_confirmEnter, nullptr},
    {&TfrmMain::gn_completeEnter, nullptr},
};

TfrmMain::TfrmMain(Desktop& desktop, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()), desktop(desktop), Timer(new QTimer(this))
{
    LoadWindowResources();
    ui->setupUi(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(TimerInterval);
    BrowseForFolder = new TBrowseForFolder(this, desktop.FolderBrowser());
    BrowseForFolder->setObjectName(QStringLiteral("BrowseForFolder"));
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
    return desktop.OpenFile(this, OpenDialogFilter);
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
    const int clientHeight = ui->panTitle->minimumHeight() + ui->panSep_2->minimumHeight() + ContentHeight +
                             ui->panStep->minimumHeight() + ui->panAd->minimumHeight();
    centralWidget()->setFixedSize(ClientWidth, clientHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui->panFirst->setFrameShape(QFrame::NoFrame);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ui->radGenerate->setFocus();

    AskWidthBlank = AskHeightBlank = AskNameBlank = AskWidthChars = AskHeightChars = true;
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
    if (OnLastPage()) {
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
        return;
    }
    const auto pages = CurrentPageActions();
    if (index < 0 || index >= static_cast<int>(pages.size()))
        return;
    (this->*pages[index].Enter)();
    ApplyStep(CurrentStepRows()[index]);
}

bool TfrmMain::CheckPage(int index)
{
    const auto pages = CurrentPageActions();
    if (index < 0 || index >= static_cast<int>(pages.size()) || !pages[index].Check)
        return true;
    return (this->*pages[index].Check)();
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
}

std::span<const TfrmMain::PageActions> TfrmMain::CurrentPageActions() const
{
    if (currentNotebook == ui->nbkConvert)
        return ConvertPageActions;
    if (currentNotebook == ui->nbkGenerate)
        return GeneratePageActions;
    return {};
}

std::span<const TAcPage> TfrmMain::CurrentStepRows() const
{
    if (currentNotebook == ui->nbkConvert)
        return ConvertSteps;
    if (currentNotebook == ui->nbkGenerate)
        return GenerateSteps;
    return {};
}

bool TfrmMain::OnLastPage() const
{
    return currentNotebook && currentNotebook->currentIndex() == currentNotebook->count() - 1;
}

void TfrmMain::ConfirmExit()
{
    if (OnLastPage() || desktop.AskExit(this, ExitQuestion))
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

bool IsBlank(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 32)
            return false;
    return true;
}

}  // namespace sorvane
