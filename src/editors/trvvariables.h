#pragma once

#include <QList>
#include <QStandardItemModel>
#include <QWidget>

class ProductData_c;
class QStandardItem;

// The "Device Variables" page and the owner of the shared variables model
// (eight columns: name, type index, initial value, description, setup flag,
// list flag, list size, zero-indexed flag) that the events and setup pages
// read and link to.
class TRVVariables : public QWidget
{
    Q_OBJECT

public:
    enum Column { ColName, ColType, ColInitial, ColDescription, ColSetup, ColList, ColListSize, ColListZero,
                  ColumnCount };

    // setupMode: the page lists the setup variables instead of the device ones.
    // model: the shared model to work on; with none the page creates and owns one.
    explicit TRVVariables(QWidget* parent, bool setupMode = false, QStandardItemModel* model = nullptr);
    ~TRVVariables() override;

    QStandardItemModel* Model() const { return m_pModel; }
    bool IsSetupMode() const { return m_SetupMode; }
    // Whether the row of the given item is a setup variable (its setup column reads "true").
    bool IsSetupVariable(QStandardItem* item) const;

    // A new row for name, not yet inserted.
    QList<QStandardItem*> NewVariable(const QString& name) const;
    void AddVariable(const QList<QStandardItem*>& row);
    // Adds the built-in "Error" row that every device carries.
    void AddBuiltInVariables();
    QStandardItem* ErrorVariable() const { return m_pErrorItem; }
    QStandardItem* TCPStatusVariable() const { return m_pTCPStatusItem; }

    // Shows the variable whose column-0 (or other) item is given.
    void SelectVariable(QStandardItem* item);
    QStandardItem* SelectedVariable() const { return m_pSelectedItem; }

    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

signals:
    void savableDataChanged();
    void varDeleted();

public slots:
    // The TCPStatus row exists exactly while the device has a TCP port.
    void UpdateTCPVariable(bool hasTcp);

private:
    QStandardItem* AddBuiltIn(const QString& name, int typeIndex, const QString& description);

    const bool m_SetupMode;
    QStandardItemModel* m_pModel;  // owned through the Qt parent when created here
    QStandardItem* m_pErrorItem = nullptr;      // owned by the model
    QStandardItem* m_pTCPStatusItem = nullptr;  // owned by the model
    QStandardItem* m_pSelectedItem = nullptr;   // owned by the model
};
