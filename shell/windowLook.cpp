#include "windowLook.h"

#include <QDialog>

namespace sorvane {

int ExecInWindowLook(QDialog& dialog)
{
    // A window does not inherit its parent's font unless asked to.
    dialog.setAttribute(Qt::WA_WindowPropagation);
    return dialog.exec();
}

}  // namespace sorvane
