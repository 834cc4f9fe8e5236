// The application's default error box: what the user sees of an error that
// escaped an event handler. The program goes on running afterwards.
#pragma once

#include <QString>

class QWidget;

namespace sorvane {

// The box's text: the message, each of its lines (a file error's reason
// stands on a second line) with "." appended when its last character's code
// is above that of "." (a line ending in ".", "!" or a blank, and an empty
// line, are shown as they are).
QString ErrorBoxText(const QString& message);

// Modal box captioned with the application's title ("Sorvane"), error icon,
// one OK button.
void ShowDefaultErrorBox(QWidget* parent, const QString& message);

}  // namespace sorvane
