#pragma once

#include <QByteArray>
#include <QString>

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

// "tutorial.pdf" in the given program folder.
QString TutorialPath(const QString& programFolder);
