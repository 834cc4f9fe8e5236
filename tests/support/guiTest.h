// Small helpers of the GUI tests: finding a window's controls by their
// resource names, and acting on the next modal window from inside its exec().
#pragma once

#include "qtPrinters.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

// The child of root named name, of kind T; fails the test when there is none.
template <class T = QWidget>
T* Find(const QObject* root, const QString& name)
{
    T* child = root->findChild<T*>(name);
    if (!child)
        ADD_FAILURE() << "no " << T::staticMetaObject.className() << " named " << name.toStdString();
    return child;
}

// Waits (from the event loop) for a modal window to open and runs act on it;
// act must close the window. Call before the action that shows the window.
// Fails the test when no modal window opens within a few seconds.
void OnNextModal(const std::function<void(QWidget* modal)>& act);

// What a widget's tooltip shows: a text that Qt takes for markup as it
// renders it, else the text itself.
QString ShownToolTip(const QWidget* widget);

// What a button's caption shows: "&&" as "&"; a single "&" marks the next
// letter as the Alt key and is not shown.
QString ShownCaption(const QString& caption);

// The label's text is drawn whole inside it: no line wider than the label,
// and no more lines than fit in its height (a label that does not wrap has
// room for one line).
void ExpectShownWhole(const QLabel* label);
