#include "editors/trvsetup.h"

#include "editors/trvvariables.h"

#include <QVBoxLayout>

TRVSetup::TRVSetup(QWidget* parent, QStandardItemModel* variables)
    : QWidget(parent), m_pVariables(variables), m_pSetupVariables(new TRVVariables(this, true, variables))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSetupVariables);
    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::varDeleted);
    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::CleanupVars);
    connect(m_pSetupVariables, &TRVVariables::savableDataChanged, this, &TRVSetup::savableDataChanged);
}

TRVSetup::~TRVSetup() = default;

void TRVSetup::SelectVariable(QStandardItem* item)
{
    m_pSetupVariables->SelectVariable(item);
}

void TRVSetup::FocusVarTab(QStandardItem* variable)
{
    SelectVariable(variable);
}

void TRVSetup::CleanupVars()
{
}

void TRVSetup::Load(ProductData_c*)
{
}

void TRVSetup::Store(ProductData_c*)
{
}
