#include "unitAbout.h"

#include "clickFilter.h"
#include "ui_frmAbout.h"
#include "unitSetting.h"

namespace sorvane {

TfrmAbout::TfrmAbout(Desktop& desktop, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmAbout>()), desktop(desktop)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    connect(ui->btnClose, &QPushButton::clicked, this, &TfrmAbout::btnCloseClick);
    ClickFilter::Install(ui->lblLink, [this] { lblLinkClick(); });
}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::lblLinkClick()
{
    OpenLink(desktop, ui->lblLink->text());
}

void TfrmAbout::btnCloseClick()
{
    accept();
}

void TfrmAbout::reject()
{
    btnCloseClick();
}

// The toolkit centres a dialog only the first time it is shown, and then by
// a guess at the window frames that puts it up to 40 pixels too high; the
// main window may also have moved since. The box's client area is centred on
// the main window's, so both frames' title bars cancel out.
void TfrmAbout::showEvent(QShowEvent* event)
{
    if (const QWidget* owner = parentWidget()) {
        QRect placed(QPoint(), size());
        placed.moveCenter(owner->window()->geometry().center());
        setGeometry(placed);
    }
    QDialog::showEvent(event);
}

}  // namespace sorvane
