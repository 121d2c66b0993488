#pragma once

#include <QStandardItemModel>
#include <QString>

#include "editors/common/edithistory.h"

// The rows of the pages keep every value as the text of a cell.

// A cell's text; empty for a cell that is not there.
inline QString CellText(const QStandardItemModel& model, int row, int column)
{
    const QStandardItem* cell = model.item(row, column);
    return cell ? cell->text() : QString();
}

// The cell, made when the row has none there (rows of many cells leave the
// empty ones out); null for a row outside the model. A made cell is an
// empty edit item, so what is then written into it is undone like any
// other edit.
inline QStandardItem* MadeCell(QStandardItemModel& model, int row, int column)
{
    if (QStandardItem* cell = model.item(row, column))
        return cell;
    if (row < 0 || row >= model.rowCount() || column < 0 || column >= model.columnCount())
        return nullptr;
    auto* cell = new EditItem();
    model.setItem(row, column, cell);
    return cell;
}

// Writes text only when it differs, so an unchanged cell signals nothing; a
// missing cell of a row of the model is made, a row outside it left alone.
inline void SetCellText(QStandardItemModel& model, int row, int column, const QString& text)
{
    QStandardItem* cell = model.item(row, column);
    if (!cell) {
        if ((cell = MadeCell(model, row, column)))
            cell->setText(text);
    } else if (cell->text() != text) {
        cell->setText(text);
    }
}
