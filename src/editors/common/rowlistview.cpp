#include "editors/common/rowlistview.h"

void RowListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QListView::currentChanged(current, previous);
    emit currentRowChanged(current, previous);
}
