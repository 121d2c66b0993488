#pragma once

#include <QWidget>

class ProductData_c;
class QStandardItem;
class QStandardItemModel;
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
    // Shows the setup variable whose item is given.
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
    TRVVariables* m_pSetupVariables;   // child widget
};
