#pragma once

#include <QWidget>

class ProductData_c;
class QStandardItem;
class QStandardItemModel;
class QTabWidget;
class TRVVariables;

// The "Setup Messages" page: the protocol's setup and login messages and, on
// its own "Variables" tab, the setup variables of the shared variables model.
class TRVSetup : public QWidget
{
    Q_OBJECT

public:
    // variables: the shared variables model, owned by the device variables page.
    TRVSetup(QWidget* parent, QStandardItemModel* variables);
    ~TRVSetup() override;

    QStandardItemModel* VariablesModel() const { return m_pVariables; }
    TRVVariables* SetupVariables() const { return m_pSetupVariables; }
    // Makes the "Variables" tab current and selects the setup variable whose
    // item (any column) is given.
    void SelectVariable(QStandardItem* item);

    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

signals:
    void requestVarTabFocus(QStandardItem* variable);
    void savableDataChanged();
    void varDeleted();

public slots:
    void FocusVarTab(QStandardItem* variable);
    // Drops links to variable rows that are no longer in the model.
    void CleanupVars();

private:
    QStandardItemModel* m_pVariables;  // not owned
    QTabWidget* m_pTabsSetup;          // child widget
    QWidget* m_pTabSetupVariables;     // page of m_pTabsSetup
    TRVVariables* m_pSetupVariables;   // child widget
};
