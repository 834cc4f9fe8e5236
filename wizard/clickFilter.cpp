#include "clickFilter.h"

#include <QMouseEvent>
#include <QWidget>

namespace sorvane {

ClickFilter::ClickFilter(QWidget* widget, std::function<void()> action) : QObject(widget), onClick(std::move(action))
{
    widget->installEventFilter(this);
}

void ClickFilter::Install(QWidget* widget, std::function<void()> onClick)
{
    new ClickFilter(widget, std::move(onClick));
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event)
{
    const auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress: pressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton; break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool click = pressed && mouse->button() == Qt::LeftButton
                           && widget->rect().contains(mouse->position().toPoint());
        pressed = false;
        if (click)
            onClick();
        break;
    }
    default: break;
    }
    return false;
}

}  // namespace sorvane
