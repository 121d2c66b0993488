#pragma once

#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

// Brings widget to the front as a user would before using it: every tab or
// stacked page holding it becomes current. Shared by the window's tests and
// its benchmark.
inline QWidget* Reveal(QWidget* widget)
{
    for (QWidget* child = widget; child && child->parentWidget(); child = child->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(child->parentWidget());
        if (!stack)
            continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
            tabs->setCurrentWidget(child);
        else
            stack->setCurrentWidget(child);
    }
    return widget;
}
