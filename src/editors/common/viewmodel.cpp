#include "editors/common/viewmodel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

namespace {

// Selection models owned by view that it no longer uses.
void DeleteDropped(QAbstractItemView* view)
{
    const QItemSelectionModel* used = view->selectionModel();
    for (QItemSelectionModel* selection : view->findChildren<QItemSelectionModel*>(Qt::FindDirectChildrenOnly))
        if (selection != used)
            delete selection;
}

} // namespace

void SetViewModel(QAbstractItemView* view, QAbstractItemModel* model)
{
    if (!view || view->model() == model)
        return;
    QItemSelectionModel* old = view->selectionModel();
    view->setModel(model);
    if (old && old != view->selectionModel() && old->parent() == view)
        delete old;
    // Each header makes a selection model of its own for the model, then takes
    // the table's instead.
    if (auto* table = qobject_cast<QTableView*>(view))
        for (QHeaderView* header : {table->horizontalHeader(), table->verticalHeader()})
            if (header)
                DeleteDropped(header);
}

void SetComboModel(QComboBox* combo, QAbstractItemModel* model)
{
    if (!combo || !model || combo->model() == model)
        return;
    QAbstractItemView* list = combo->view();
    QItemSelectionModel* old = list->selectionModel();
    combo->setModel(model);
    if (old && old != list->selectionModel() && old->parent() == list)
        delete old;
}
