#pragma once

#include <QDialog>
#include <QList>

#include <memory>

#include "check/checkproblem.h"

namespace Ui {
class TRVCheckProblems;
}

class QTreeWidgetItem;

// The window's "Check Product File" list: one line per problem the driver
// checks found, where it is and what is wrong. Activating a line asks the
// window to show that place. The list is what the last check found; it is
// not kept in step with later edits.
class TRVCheckProblems : public QDialog
{
    Q_OBJECT

public:
    explicit TRVCheckProblems(QWidget* parent);
    ~TRVCheckProblems() override;

    void ShowProblems(const QList<CheckProblem>& problems);
    const QList<CheckProblem>& Problems() const { return m_Problems; }

signals:
    void problemActivated(const CheckPlace& place);

public slots:
    void on_m_pTreeProblems_itemActivated(QTreeWidgetItem* item, int column);

private:
    std::unique_ptr<Ui::TRVCheckProblems> ui;
    QList<CheckProblem> m_Problems;
};
