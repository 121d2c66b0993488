#pragma once

#include <QList>
#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QStandardItemModel>
#include <QWidget>

#include <memory>

#include "editors/variables/variablerows.h"

namespace Ui {
class TRVVariables;
}

class ProductData_c;
class QDataWidgetMapper;
class QEventLoop;
class QStandardItem;

// The variables editor over the shared variables model (columns in
// variablerows.h). Three forms:
// - the "Device Variables" page of the main window (device mode, owns the
//   model, keeps the built-in "Error" and "TCPStatus" rows);
// - the setup page's "Variables" tab (setup mode, on the main page's model);
// - the "Add Variable" window (windowForm), opened by the message editors:
//       TRVVariables window(this, setupMode, variablesModel, true);
//       connect(&window, &TRVVariables::varDeleted, this, &Editor::CleanupVars);
//       window.ExecWindow();   // true when OK was pressed
//   It adds a new variable at once and becomes current on it; OK hides the
//   window and keeps the variable, Cancel (or closing the window) removes it
//   again and hides the window.
// Each page lists only the rows whose setup flag matches its mode.
class TRVVariables : public QWidget
{
    Q_OBJECT

public:
    using enum VariableColumn;
    static constexpr int ColumnCount = VariableColumnCount;

    // setupMode: the page lists (and adds) setup variables instead of device
    // ones. model: the shared model; with none the page creates and owns one.
    explicit TRVVariables(QWidget* parent, bool setupMode = false, QStandardItemModel* model = nullptr,
                          bool windowForm = false);
    ~TRVVariables() override;

    QStandardItemModel* Model() const { return m_pModel; }
    bool IsSetupMode() const { return m_SetupMode; }
    bool IsWindowForm() const { return m_WindowForm; }
    // Whether the row of the given item (any column) is a setup variable.
    bool IsSetupVariable(QStandardItem* item) const;

    // A new row for name, not yet inserted; its setup flag follows the mode.
    QList<QStandardItem*> NewVariable(const QString& name) const;
    void AddVariable(const QList<QStandardItem*>& row);
    // Adds the built-in "Error" row (once).
    void AddBuiltInVariables();
    // Column-0 items of the built-in rows, or null while a row is absent.
    QStandardItem* ErrorVariable() const;
    QStandardItem* TCPStatusVariable() const;

    // Makes the row of the given item (any column of this model) current;
    // other items are ignored.
    void SelectVariable(QStandardItem* item);
    // The column-0 item of the current row, or null.
    QStandardItem* SelectedVariable() const;
    // Makes the row of item current and shows its fields anew (none for null).
    void Reshow(QStandardItem* item);

    // Window form: the column-0 item of the variable it added, null once
    // Cancel removed it.
    QStandardItem* WindowVariable() const;
    // Window form: shows the window and processes events until OK or Cancel
    // hides it; true for OK.
    bool ExecWindow();

    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

signals:
    void savableDataChanged();
    // A row left the model; holders of links to rows drop the dangling ones.
    void varDeleted();
    // The variable of nameItem is about to be deleted by the user.
    void deleting(QStandardItem* nameItem);

public slots:
    void NewRowsInserted(const QModelIndex& parent, int first, int last);
    // The TCPStatus row exists exactly while the device has a TCP port.
    void UpdateTCPVariable(bool hasTcp);
    void submit();

    void on_m_pEditVariableName_textEdited(const QString& text);
    void on_m_pButAddVariable_clicked();
    void on_m_pButDupVariable_clicked();
    void on_m_pButDeleteVariable_clicked();
    void on_m_pButMoveVariableUp_clicked();
    void on_m_pButMoveVariableDown_clicked();
    void on_m_pCmbVariableType_activated(int index);
    void on_m_pListVariables_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);
    void on_m_pChkList_toggled(bool checked);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStandardItem* BuiltInVariable(const QString& name) const;
    void FinishWindow(bool accepted);
    int CurrentRow() const;
    QString CurrentName() const;
    bool IsListed(int row) const;
    void MakeCurrent(int row);
    void MoveCurrent(int step);
    void RemoveRow(int row);

    std::unique_ptr<Ui::TRVVariables> ui;
    QDataWidgetMapper* m_pMapper;  // child object
    const bool m_SetupMode;
    const bool m_WindowForm;
    QStandardItemModel* m_pModel;               // owned through the Qt parent when created here
    QPersistentModelIndex m_WindowVariable;  // the window form's new row
    QEventLoop* m_pWindowLoop = nullptr;     // not owned: ExecWindow's loop while it runs
    bool m_WindowDone = false;
    bool m_WindowAccepted = false;
};
