#pragma once

#include <QWidget>

// Layouts cache the size hints of what they hold until the event loop lays
// them out again; the main window sizes itself from its pages before that, so
// the hints of the editors placed after the form was built are passed up at once.
inline void RefreshSizeHints(QWidget* from, const QWidget* top)
{
    for (QWidget* widget = from; widget && widget != top; widget = widget->parentWidget())
        widget->updateGeometry();
}
