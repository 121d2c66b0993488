#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The names an expression leaves for the show controller to look up: the
// leaves the expression engine reads as plain text (not a number, a boolean,
// a percentage, a timecode or byte notation), trimmed of spaces, in order of
// appearance and each once. A text that does not parse gives those parsed
// before the error.
QStringList ExpressionNames(const QString& expression);

// The names of expression that are in neither known set, which hold names
// folded by FoldName: parameters, variables and locals are matched ignoring
// case, as the show controller matches them.
QStringList UnknownNames(const QString& expression, const QSet<QString>& known, const QSet<QString>& moreKnown = {});

// A name as a known-name set holds it.
inline QString FoldName(const QString& name)
{
    return name.trimmed().toLower();
}
