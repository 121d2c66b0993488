#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

struct TutorialValues;

// Builds the projector driver the tutorial walks through on the real pages of
// a main window, offscreen, from the values its text gives, and captures the
// start dialog and each page of that driver, keyed by the names the text uses
// ("screens/<page>.png"). examplesFolder: what the start dialog offers.
// savePath: when not empty, the driver is saved there through the window's
// Save As, exactly as a user's save writes it. problems: what kept the
// driver from being built or saved. Needs a QApplication; writes nothing else
// outside a temporary folder.
QHash<QString, QImage> CaptureTutorialScreens(const TutorialValues& values, const QString& examplesFolder,
                                              const QString& savePath, QStringList* problems);
