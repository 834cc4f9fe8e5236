// The window resources (frmMain.ui, frmAbout.ui) and their pictures are
// compiled into the wizard library; a static library has to register them
// before the first window is built from them.
#pragma once

namespace sorvane {

// Registers the pictures; later calls do nothing.
void LoadWindowResources();

}  // namespace sorvane
