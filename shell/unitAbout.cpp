#include "unitAbout.h"

#include "clickFilter.h"
#include "ui_frmAbout.h"
#include "unitSetting.h"

namespace sorvane {

TfrmAbout::TfrmAbout(Desktop& desktop, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmAbout>()), desktop(desktop)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
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

}  // namespace sorvane
