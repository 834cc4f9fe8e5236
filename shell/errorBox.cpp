#include "errorBox.h"

#include "programDialog.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStringList>

namespace sorvane {

QString ErrorBoxText(const QString& message)
{
    QStringList lines = message.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (!line.isEmpty() && line.back() > QLatin1Char('.'))
            line += QLatin1Char('.');
    }
    return lines.join(QLatin1Char('\n'));
}

void ShowDefaultErrorBox(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), ErrorBoxText(message), QMessageBox::Ok,
                    parent);
    ExecProgramDialog(box);
}

}  // namespace sorvane
