#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class Tarvo;

// One table of a markdown text: its heading cells and its rows, each cell
// trimmed and a cell that is one `code span` taken without its backquotes.
struct MarkdownTable
{
    QStringList header;
    QList<QStringList> rows;
};

QList<MarkdownTable> MarkdownTables(const QString& markdown);

// The values the tutorial gives the reader, read from its own tables: the
// settings ("Setting | Value") by name, and the variables
// ("Variable | Tab | Type | Initial value | Description") in order.
struct TutorialValues
{
    QHash<QString, QString> settings;
    QList<QStringList> variables;
    // Settings the builder asked for that the text does not give.
    mutable QStringList missing;

    QString Get(const QString& name) const;
};

TutorialValues ReadTutorialValues(const QString& markdown);

// Builds the tutorial's driver in window, which must show a new file, step
// by step as the text tells the reader: buttons clicked, fields typed into,
// choices answered. Returns the problems met (a field or button that is not
// there, a setting the text does not give); empty when the driver was built.
QStringList BuildTutorialDriver(Tarvo& window, const TutorialValues& values);

// Saves what window holds to path through File > Save As; false when nothing
// was written.
bool SaveTutorialDriver(Tarvo& window, const QString& path);
