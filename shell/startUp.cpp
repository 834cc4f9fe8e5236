#include "startUp.h"

#include "qtDesktop.h"
#include "sorvaneApplication.h"
#include "unitAbout.h"
#include "unitMain.h"

#include <QFont>
#include <QIcon>
#include <cstdio>

namespace sorvane {

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

// Without a display the toolkit would abort with a terse message; say what
// is missing and how to run the wizard anyway.
bool DisplayMissing()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

}  // namespace

int StartUp(char* programName)
{
    if (DisplayMissing()) {
        std::fprintf(stderr,
                     "Sorvane is a desktop program and needs a graphical display, but none was found "
                     "(DISPLAY is not set).\nOn a machine without a display, run it under a virtual one: "
                     "xvfb-run -a %s\n",
                     programName);
        return 1;
    }
    int argc = 1;
    char* argv[] = {programName, nullptr};
    SorvaneApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Sorvane"));
    // Ties the windows to the installed desktop entry, whose icon and name the
    // desktop then shows for them (on Wayland it has no other way to know).
    QGuiApplication::setDesktopFileName(QStringLiteral(SORVANE_DESKTOP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/app_icon.ico")));
    SubstituteWindowFont();

    QtDesktop desktop;
    // The two windows live until the event loop ends; the main window reaches
    // the about box through the reference it is given here.
    TfrmMain mainWindow(desktop);
    TfrmAbout aboutBox(desktop, &mainWindow);
    mainWindow.SetAboutBox(&aboutBox);

    mainWindow.show();
    application.exec();
    return 0;
}

}  // namespace sorvane
