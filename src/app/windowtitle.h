#pragma once

#include <QString>

// The program's name with its version: the fixed start of every window title.
QString TarvoTitlePrefix();

// The main window's title for a state: "<prefix> - untitled" without a file,
// "<prefix> - <fileName>" with one, and "*" appended while there are unsaved
// changes.
QString TarvoWindowTitle(bool hasFile, bool changed, const QString& fileName);
