// The generate path's pages (nbkGenerate): their entry actions, their checks
// before Next, and the handlers of their controls.
#include "unitMain.h"

namespace sorvane {

void TfrmMain::gn_inputEnter() {}

void TfrmMain::sbtn_gn_inputClick() {}

bool TfrmMain::gn_inputCheck()
{
    return true;
}

void TfrmMain::gn_swfoptionEnter() {}

bool TfrmMain::gn_swfoptionCheck()
{
    return true;
}

void TfrmMain::gn_confirmEnter() {}

void TfrmMain::gn_completeEnter() {}

void TfrmMain::sbtn_gn_completeClick() {}

}  // namespace sorvane
