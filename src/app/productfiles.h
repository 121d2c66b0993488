#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The folder where product files live: "/Brackwater Inc/VelmoraLive/My Product
// Files" under the user's documents folder.
QString ProductFilesFolder();

// Creates the folder (and its parents) when missing; false when that fails.
bool EnsureFolder(const QString& folder);

// The whole content of a file; empty when it cannot be opened or read.
QByteArray ReadWholeFile(const QString& path);

// Replaces path with bytes atomically: either the whole new content is in
// place or the old file is untouched. On failure error says why.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error);

// The Save As proposal: folder + "/" + make + "_" + model + ".prd".
QString SaveAsProposal(const QString& folder, const QString& make, const QString& model);

// path with ".prd" appended when its file name has no extension ("noext" and
// "noext." both become "noext.prd"); any other path unchanged.
QString WithProductExtension(const QString& path);

// The places a file that comes with Tarvo (the tutorial, the examples folder)
// is looked for, in order: beside the program (a build folder), then the
// share/tarvo folder of the prefix the program is installed in.
QStringList TarvoDataCandidates(const QString& programFolder, const QString& name);

// The first candidate that exists, or an empty string.
QString FindTarvoData(const QString& programFolder, const QString& name);

// The tutorial PDF: the first "tutorial.pdf" candidate that exists, else the
// one beside the program.
QString TutorialPath(const QString& programFolder);

// The folder of example product files that comes with Tarvo; empty when
// there is none.
QString ExamplesFolder(const QString& programFolder);
