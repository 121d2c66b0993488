#include "editors/trvsetup.h"

#include "editors/trvvariables.h"

#include <QTabWidget>
#include <QVBoxLayout>

TRVSetup::TRVSetup(QWidget* parent, QStandardItemModel* variables)
    : QWidget(parent), m_pVariables(variables), m_pTabsSetup(new QTabWidget(this)),
      m_pTabSetupVariables(new QWidget(m_pTabsSetup)),
      m_pSetupVariables(new TRVVariables(m_pTabSetupVariables, true, variables))
{
    m_pTabsSetup->setObjectName(QStringLiteral("m_pTabsSetup"));
    m_pTabSetupVariables->setObjectName(QStringLiteral("m_pTabSetupVariables"));
    auto* variablesLayout = new QVBoxLayout(m_pTabSetupVariables);
    variablesLayout->setObjectName(QStringLiteral("m_pLayoutSetupVariables"));
    variablesLayout->setContentsMargins(0, 0, 0, 0);
    variablesLayout->addWidget(m_pSetupVariables);
    m_pTabsSetup->addTab(m_pTabSetupVariables, tr("Variables"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabsSetup);
    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::varDeleted);
    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::CleanupVars);
    connect(m_pSetupVariables, &TRVVariables::savableDataChanged, this, &TRVSetup::savableDataChanged);
}

TRVSetup::~TRVSetup() = default;

void TRVSetup::SelectVariable(QStandardItem* item)
{
    m_pTabsSetup->setCurrentWidget(m_pTabSetupVariables);
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
