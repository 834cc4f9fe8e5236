// Gives a widget without a click signal (a label, a picture) a click action:
// a left-button press followed by its release inside the widget, as a
// button would take it.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace sorvane {

class ClickFilter : public QObject {
public:
    // The filter belongs to the widget and lives as long as it.
    static void Install(QWidget* widget, std::function<void()> onClick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ClickFilter(QWidget* widget, std::function<void()> onClick);

    std::function<void()> onClick;
    bool pressed = false;
};

}  // namespace sorvane
