#include "editors/trvvariables.h"

#include <QStandardItem>
#include <QVBoxLayout>

TRVVariables::TRVVariables(QWidget* parent, bool setupMode, QStandardItemModel* model)
    : QWidget(parent), m_SetupMode(setupMode), m_pModel(model ? model : new QStandardItemModel(0, ColumnCount, this))
{
    new QVBoxLayout(this);
    connect(m_pModel, &QStandardItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row) {
            QStandardItem* name = m_pModel->item(row, ColName);
            if (name == m_pErrorItem)
                m_pErrorItem = nullptr;
            if (name == m_pTCPStatusItem)
                m_pTCPStatusItem = nullptr;
            if (m_pSelectedItem && m_pSelectedItem->row() == row)
                m_pSelectedItem = nullptr;
        }
    });
}

TRVVariables::~TRVVariables() = default;

bool TRVVariables::IsSetupVariable(QStandardItem* item) const
{
    if (!item || item->model() != m_pModel)
        return false;
    const QStandardItem* setup = m_pModel->item(item->row(), ColSetup);
    return setup && setup->text() == QLatin1String("true");
}

QList<QStandardItem*> TRVVariables::NewVariable(const QString& name) const
{
    QList<QStandardItem*> row;
    row << new QStandardItem(name) << new QStandardItem(QStringLiteral("-1"));
    for (int column = ColInitial; column < ColumnCount; ++column)
        row << new QStandardItem();
    row[ColSetup]->setText(m_SetupMode ? QStringLiteral("true") : QStringLiteral("false"));
    return row;
}

void TRVVariables::AddVariable(const QList<QStandardItem*>& row)
{
    m_pModel->appendRow(row);
}

QStandardItem* TRVVariables::AddBuiltIn(const QString& name, int typeIndex, const QString& description)
{
    QList<QStandardItem*> row = NewVariable(name);
    row[ColType]->setText(QString::number(typeIndex));
    row[ColDescription]->setText(description);
    AddVariable(row);
    return row[ColName];
}

void TRVVariables::AddBuiltInVariables()
{
    if (!m_pErrorItem)
        m_pErrorItem = AddBuiltIn(QStringLiteral("Error"), 3,
                                  QStringLiteral("Set to true when a command fails to get a correct response."));
}

void TRVVariables::UpdateTCPVariable(bool hasTcp)
{
    if (hasTcp && !m_pTCPStatusItem) {
        m_pTCPStatusItem = AddBuiltIn(
            QStringLiteral("TCPStatus"), 2,
            QStringLiteral("The current connection state: \"Not Connected\", \"Timeout\", \"Connected\", "
                           "\"Waiting on TCP\", \"Waiting For Response\"."));
    } else if (!hasTcp && m_pTCPStatusItem) {
        m_pModel->removeRow(m_pTCPStatusItem->row());
    }
}

void TRVVariables::SelectVariable(QStandardItem* item)
{
    m_pSelectedItem = (item && item->model() == m_pModel) ? m_pModel->item(item->row(), ColName) : nullptr;
}

void TRVVariables::Load(ProductData_c*)
{
}

void TRVVariables::Store(ProductData_c*)
{
}
