#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The group keywords of a device in index order: the start dialog's categories.
QStringList ProductGroupNames();

// The product files of folder by category: seven lists (one per group, in
// group order), each holding file names in the folder's order (by name,
// ignoring case). Files this program did not write are left out; a missing
// folder gives seven empty lists.
QList<QStringList> ListProductFiles(const QString& folder);
