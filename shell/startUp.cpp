#include "startUp.h"

#include "qtDesktop.h"
#include "sorvaneApplication.h"
#include "unitAbout.h"
#include "unitMain.h"
#include "windowResources.h"

#include <QFont>
#include <QIcon>

namespace sorvane {

TfrmMain* frmMain = nullptr;
TfrmAbout* frmAbout = nullptr;

namespace {

// The windows ask for "MS Sans Serif" at 8 points; where that face is not
// installed, take the nearest sans-serif face with the same metrics.
void SubstituteWindowFont()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
}

}  // namespace

int StartUp(char* programName)
{
    int argc = 1;
    char* argv[] = {programName, nullptr};
    SorvaneApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Sorvane"));
    LoadWindowResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/app_icon.ico")));
    SubstituteWindowFont();

    QtDesktop desktop;
    TfrmMain mainWindow(desktop);
    frmMain = &mainWindow;
    TfrmAbout aboutBox(desktop, &mainWindow);
    frmAbout = &aboutBox;
    mainWindow.SetAboutBox(&aboutBox);

    mainWindow.show();
    application.exec();
    return 0;
}

}  // namespace sorvane
