// The application object: a QApplication whose event delivery is the last
// net for an error that escaped a handler's own guard.
#pragma once

#include <QApplication>

namespace sorvane {

class SorvaneApplication final : public QApplication {
public:
    SorvaneApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace sorvane
