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

// Writes text only when it differs, so an unchanged cell signals nothing; a
// missing cell of a row of the model is made, a row outside it left alone.
// A made cell is an edit item given its text afterwards, so an undo takes
// the text back like any other edit.
inline void SetCellText(QStandardItemModel& model, int row, int column, const QString& text)
{
    QStandardItem* cell = model.item(row, column);
    if (!cell) {
        if (row < 0 || row >= model.rowCount())
            return;
        cell = new EditItem();
        model.setItem(row, column, cell);
        cell->setText(text);
    } else if (cell->text() != text) {
        cell->setText(text);
    }
}
