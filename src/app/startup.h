#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;
class Tarvo;
class TRVSplash;

// Routes the start dialog's choices into the main window's file commands;
// the window is shown when the dialog accepts.
void ConnectStartDialog(TRVSplash& dialog, Tarvo& window);

// The product file named on the command line (`tarvo FILE`) as an absolute
// path; empty when there is none. Only the first is used.
QString FileArgument(const QStringList& arguments);

// Starts the program's first window. With a FILE argument the main window
// opens it and shows without the start dialog (a missing file is reported and
// the window shows untitled); otherwise the start dialog is built, connected,
// shown and returned for the caller to own.
std::unique_ptr<TRVSplash> StartTarvo(Tarvo& window, const QStringList& arguments);

// Where the main window keeps its size and position between runs.
std::unique_ptr<QSettings> TarvoSettings();

// A first-run size that shows every tab's fields: the largest page's size
// hint with the window around it, kept within available (when valid).
QSize DefaultWindowSize(const Tarvo& window, const QSize& available);

// Gives the window the geometry saved in settings, or the default size when
// nothing usable is saved.
void RestoreWindowGeometry(Tarvo& window, QSettings& settings);
void SaveWindowGeometry(const Tarvo& window, QSettings& settings);
// Saves the window's geometry into settings whenever the window quits, while
// it is still shown (quitting closes it). settings must outlive the window.
void KeepWindowGeometry(Tarvo& window, QSettings& settings);
