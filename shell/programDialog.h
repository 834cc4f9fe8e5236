// The program's dialogs (message boxes, the open dialog) belong to the window
// they are shown over: they take its font, the window resource's "MS Sans
// Serif" at 8 points, instead of the desktop's default font, which would make
// them look like another program's; and a message box shows its text as
// plain text, since it may hold a path or a user's value, never markup.
#pragma once

class QDialog;

namespace sorvane {

// Runs the dialog modally as a part of its parent window; returns its result.
int ExecProgramDialog(QDialog& dialog);

}  // namespace sorvane
