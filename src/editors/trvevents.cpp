#include "editors/trvevents.h"

#include <QStandardItemModel>
#include <QVBoxLayout>

TRVEvents::TRVEvents(QStandardItemModel* variables, QWidget* parent)
    : QWidget(parent), m_pVariables(variables), m_pEventModel(new QStandardItemModel(0, ColumnCount, this))
{
    new QVBoxLayout(this);
}

TRVEvents::~TRVEvents() = default;

QList<QStandardItem*> TRVEvents::NewEventRow(const QString& name) const
{
    QList<QStandardItem*> row;
    for (int column = 0; column < ColumnCount; ++column)
        row << new QStandardItem();
    row[ColName]->setText(name);
    row[ColRetries]->setText(QStringLiteral("0"));
    row[ColTimeout]->setText(QStringLiteral("30"));
    row[ColIncoming]->setText(QStringLiteral("true"));
    for (int column : {ColUnsolicited, ColMsgManEdit, ColIncManEdit})
        row[column]->setText(QStringLiteral("false"));
    return row;
}

void TRVEvents::CreateIRFileEvent(QString name, QString message)
{
    QList<QStandardItem*> row = NewEventRow(name);
    row[ColMsgFormat]->setText(message);
    row[ColMsgManEdit]->setText(QStringLiteral("true"));
    row[ColIRRegexp]->setText(QStringLiteral("completeir.+\\r"));
    row[ColIncManEdit]->setText(QStringLiteral("true"));
    m_pEventModel->appendRow(row);
}

void TRVEvents::CleanupVars()
{
}

void TRVEvents::Load(ProductData_c*)
{
}

void TRVEvents::Store(ProductData_c*)
{
}
