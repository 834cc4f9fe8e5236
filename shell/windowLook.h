// The program's dialogs (message boxes, the open dialog) take the look of the
// window they are shown over: its font, the window resource's "MS Sans
// Serif" at 8 points, instead of the desktop's default font, which would make
// them look like another program's.
#pragma once

class QDialog;

namespace sorvane {

// Runs the dialog modally in its parent window's font and returns its result.
int ExecInWindowLook(QDialog& dialog);

}  // namespace sorvane
