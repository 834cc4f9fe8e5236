#include "errorBox.h"

#include "programDialog.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace sorvane {

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowDefaultErrorBox(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), ErrorBoxText(message),
                    QMessageBox::Ok, parent);
    ExecProgramDialog(box);
}

}  // namespace sorvane
