#pragma once

#include <QHash>
#include <QImage>
#include <QString>

// Builds the projector driver the tutorial walks through on the real pages of
// a main window, offscreen, and captures the start dialog and each page as
// the tutorial shows them, keyed by the names the tutorial's text uses
// ("screens/<page>.png"). examplesFolder: what the start dialog offers.
// savePath: when not empty, the driver is saved there through the window's
// Save As, exactly as a user's save writes it. Needs a QApplication; writes
// nothing else outside a temporary folder.
QHash<QString, QImage> CaptureTutorialScreens(const QString& examplesFolder, const QString& savePath = QString());
