#include "app/trvcheckproblems.h"

#include "ui_trvcheckproblems.h"

TRVCheckProblems::TRVCheckProblems(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TRVCheckProblems>())
{
    ui->setupUi(this);
}

TRVCheckProblems::~TRVCheckProblems() = default;

void TRVCheckProblems::ShowProblems(const QList<CheckProblem>& problems)
{
    m_Problems = problems;
    ui->m_pTreeProblems->clear();
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < problems.size(); ++i) {
        auto* item = new QTreeWidgetItem({problems[i].location, problems[i].message});
        item->setToolTip(1, problems[i].message);
        item->setData(0, Qt::UserRole, i);
        items.append(item);
    }
    ui->m_pTreeProblems->addTopLevelItems(items);
    ui->m_pTreeProblems->resizeColumnToContents(0);
    if (problems.isEmpty())
        ui->m_pLblSummary->setText(tr("No problems found."));
    else if (problems.size() == 1)
        ui->m_pLblSummary->setText(tr("1 problem found. Activate it to show where it is."));
    else
        ui->m_pLblSummary->setText(tr("%1 problems found. Activate one to show where it is.").arg(problems.size()));
}

void TRVCheckProblems::on_m_pTreeProblems_itemActivated(QTreeWidgetItem* item, int)
{
    const int index = item ? item->data(0, Qt::UserRole).toInt() : -1;
    if (index >= 0 && index < m_Problems.size())
        emit problemActivated(m_Problems[index].place);
}
