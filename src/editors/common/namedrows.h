#pragma once

#include <QHash>
#include <QString>

class QStandardItem;
class QStandardItemModel;

// The item in column 0 of the first row of model whose text is name, compared
// as QString::compare does with the given sensitivity; null when none is.
QStandardItem* FindNamedRow(const QStandardItemModel* model, const QString& name,
                            Qt::CaseSensitivity sensitivity = Qt::CaseSensitive);

// The rows of a model by the text of their column 0, as they are when made.
// Reading thousands of messages looks up names in the same few hundred
// variables many times over; while a NamedRows::Use lives, FindNamedRow
// answers for its model from here instead of walking the rows. The model's
// names must not change meanwhile.
class NamedRows
{
public:
    NamedRows() = default;
    explicit NamedRows(const QStandardItemModel& model);
    // No rows: what a Use for no model stands for.
    static const NamedRows& None();

    class Use
    {
    public:
        Use(const QStandardItemModel* model, const NamedRows& rows);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        const QStandardItemModel* m_pModel;
        const NamedRows* m_pRows;
    };

private:
    friend QStandardItem* FindNamedRow(const QStandardItemModel*, const QString&, Qt::CaseSensitivity);

    QHash<QString, QStandardItem*> m_Exact;
    // Lower-cased; answers only when every name and the one asked for are
    // ASCII, where that equals comparing without case.
    QHash<QString, QStandardItem*> m_Folded;
    bool m_Ascii = true;
};
