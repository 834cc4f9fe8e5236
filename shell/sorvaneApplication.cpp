#include "sorvaneApplication.h"

#include "errorBox.h"
#include "qtBytes.h"

#include <exception>

namespace sorvane {

SorvaneApplication::SorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

// Handlers catch their own errors; this only keeps the program alive, with
// the default error box, should one still get through.
bool SorvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowDefaultErrorBox(activeWindow(), FromBytes(error.what()));
    } catch (...) {
        ShowDefaultErrorBox(activeWindow(), QStringLiteral("Unexpected error"));
    }
    return false;
}

}  // namespace sorvane
