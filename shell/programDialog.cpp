#include "programDialog.h"

#include <QDialog>
#include <QMessageBox>

namespace sorvane {

int ExecProgramDialog(QDialog& dialog)
{
    // A window does not inherit its parent's font unless asked to.
    dialog.setAttribute(Qt::WA_WindowPropagation);
    if (auto* box = qobject_cast<QMessageBox*>(&dialog))
        box->setTextFormat(Qt::PlainText);
    return dialog.exec();
}

}  // namespace sorvane
