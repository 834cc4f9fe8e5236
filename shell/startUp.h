// The program's start: the application object, the two windows and the event
// loop.
#pragma once

namespace sorvane {

// Runs the program and returns its exit status: 0, or 1 when there is no
// display to show the window on. The command line is not read: programName
// is all of it that is passed on.
int StartUp(char* programName);

}  // namespace sorvane
