// The about box TfrmAbout, built from resources/frmAbout.ui: the product's
// name, version, maker and home page. Created once, hidden, at start-up and
// shown modally on request; closing it only hides it.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace sorvane {

class Desktop;

class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    TfrmAbout(Desktop& desktop, QWidget* parent);
    ~TfrmAbout() override;

    void lblLinkClick();
    void btnCloseClick();

    // Esc and the close box close the box the way its Close button does.
    void reject() override;

protected:
    // Centred over the main window every time it is shown.
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
    Desktop& desktop;
};

}  // namespace sorvane
