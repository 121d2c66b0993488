#pragma once

#include <QListView>

// A list view that announces its current row as a signal of its own, so a
// page can take it with a by-name slot (on_<list>_currentRowChanged) like
// every other widget signal of its form.
class RowListView : public QListView
{
    Q_OBJECT

public:
    using QListView::QListView;

signals:
    void currentRowChanged(const QModelIndex& current, const QModelIndex& previous);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};
