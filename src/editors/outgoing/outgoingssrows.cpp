#include "editors/outgoing/outgoingssrows.h"

#include <QRegularExpression>

#include "editors/common/edithistory.h"

using SS = OutgoingSSModel_c;

int DuplicateSubstring(OutgoingSSModel_c& model, int row)
{
    if (row < 0 || row >= model.rowCount())
        return -1;
    QList<QStandardItem*> cells;
    for (int column = 0; column < SS::ColumnCount; ++column) {
        const QStandardItem* cell = model.item(row, column);
        cells << (cell ? cell->clone() : new EditItem());
    }
    EditRows::Append(model, cells);
    const int copy = model.rowCount() - 1;
    RefreshRow(model, copy);
    return copy;
}

void RemoveSubstring(OutgoingSSModel_c& model, int row)
{
    if (row < 0 || row >= model.rowCount())
        return;
    // Covered lists forget the row before its items go, so no list keeps an
    // address a later row could be given.
    const QStandardItem* gone = model.item(row, 0);
    for (int other = 0; other < model.rowCount(); ++other) {
        QList<QStandardItem*> covered = model.CoveredRows(other);
        if (covered.removeAll(gone) > 0)
            model.SetCoveredRows(other, covered);
    }
    EditRows::Remove(model, row);
    RefreshChecksums(model);
}

int MoveSubstring(OutgoingSSModel_c& model, int row, int offset)
{
    const int target = row + offset;
    if (row < 0 || row >= model.rowCount() || target < 0 || target >= model.rowCount())
        return -1;
    EditRows::Move(model, row, target);
    RefreshChecksums(model);
    return target;
}

int GuessOutputFormat(const QString& text)
{
    static const QList<QPair<QRegularExpression, int>> guesses{
        {QRegularExpression(QStringLiteral("^[0-9]+$")), SS::FormatInteger},
        {QRegularExpression(QStringLiteral("^[0-9a-f]+$")), SS::FormatHex},
        {QRegularExpression(QStringLiteral("^[0-9a-fA-F]+$")), SS::FormatHexUpper},
        {QRegularExpression(QStringLiteral(R"(^[0-9\.]+$)")), SS::FormatDecimal},
    };
    for (const auto& [pattern, format] : guesses) {
        if (pattern.match(text).hasMatch())
            return format;
    }
    return SS::FormatString;
}

int AppendSelectionSubstring(OutgoingSSModel_c& model, const QString& selection, int type)
{
    const int row = model.AppendSubstring(QStringLiteral("Substring%1").arg(model.rowCount()), type);
    if (type == SS::TypeConstant) {
        model.SetText(row, SS::ColConstText, selection);
    } else {
        model.SetText(row, SS::ColChars, QString::number(selection.size()));
        model.SetText(row, SS::ColOutputFormat, QString::number(GuessOutputFormat(selection)));
    }
    RefreshRow(model, row);
    return row;
}

void CopySubstrings(const OutgoingSSModel_c& from, OutgoingSSModel_c& to)
{
    from.EnsurePreviews();
    const int first = to.rowCount();
    for (int row = 0; row < from.rowCount(); ++row) {
        QList<QStandardItem*> cells;
        for (int column = 0; column < SS::ColumnCount; ++column) {
            const QStandardItem* cell = from.item(row, column);
            cells << (cell ? cell->clone() : new EditItem());
        }
        to.appendRow(cells);
    }
    for (int row = 0; row < from.rowCount(); ++row) {
        const QStandardItem* param = from.ParamRef(row);
        to.SetParamRef(first + row, param && to.ParamModel() ? to.ParamModel()->item(param->row(), 0) : nullptr);
        to.SetVarRef(first + row, from.VarRef(row));
        QList<QStandardItem*> covered;
        for (const QStandardItem* item : from.CoveredRows(row))
            covered << to.item(first + item->row(), 0);
        to.SetCoveredRows(first + row, covered);
    }
}
