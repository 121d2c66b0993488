#pragma once

#include <QModelIndex>
#include <QString>
#include <QWidget>

#include <memory>

#include "editors/setup/setuprows.h"

namespace Ui {
class TRVSetup;
}

class OutgoingSSModel_c;
class ProductData_c;
class QStandardItem;
class QStandardItemModel;
class TRVEventIncomingSS;
class TRVEventOutgoingSS;
class TRVVariables;

// The "Setup Messages" page: the protocol's setup and login messages (one
// row each in the message model, columns and rules in setuprows.h), each
// shown in the outgoing or the incoming editor by its kind, and, on its own
// "Variables" tab, the setup variables of the shared variables model.
class TRVSetup : public QWidget
{
    Q_OBJECT

public:
    using enum SetupRow::Column;

    // variables: the shared variables model, owned by the device variables page.
    TRVSetup(QWidget* parent, QStandardItemModel* variables);
    ~TRVSetup() override;

    QStandardItemModel* VariablesModel() const { return m_pVariables; }
    QStandardItemModel* MessageModel() const { return m_pMessageModel; }
    TRVVariables* SetupVariables() const { return m_pSetupVariables; }
    TRVEventOutgoingSS* OutgoingEditor() const { return m_pOutgoing; }
    TRVEventIncomingSS* IncomingEditor() const { return m_pIncoming; }
    // Makes the "Variables" tab current and selects the setup variable whose
    // item (any column) is given.
    void SelectVariable(QStandardItem* item);

    // The current message's row, or -1; SelectRow(-1) leaves none current.
    int CurrentRow() const;
    void SelectRow(int row);

    // Replaces the rows by the setup messages of the product's first protocol.
    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

signals:
    void requestVarTabFocus(QStandardItem* variable);
    void savableDataChanged();
    void varDeleted();

public slots:
    void FocusVarTab(QStandardItem* variable);
    // Drops every message's links to variable rows that are no longer in the model.
    void CleanupVars();
    void UpdateFormatRegexp(const QString& formatOrRegexp);
    void UpdateArgsExample(const QString& argsOrExample);
    void UpdateManEdit(bool enabled);

    void on_m_pChkSetupMessages_toggled(bool checked);
    void on_m_pButAddSetupMessage_clicked();
    void on_m_pButDupSetupMessage_clicked();
    void on_m_pButDeleteSetupMessage_clicked();
    void on_m_pButMoveSetupMessageUp_clicked();
    void on_m_pButMoveSetupMessageDown_clicked();
    void on_m_pListSetupMessages_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);

private:
    void EmitSavable();
    // Column writes from the editor showing the current row's kind only.
    void WriteCurrent(int kind, int column, const QString& text);
    void MoveCurrent(int offset);
    void ShowIncoming(QStandardItemModel* model, const QString& example);

    std::unique_ptr<Ui::TRVSetup> ui;
    QStandardItemModel* m_pVariables;      // not owned
    QStandardItemModel* m_pMessageModel;   // child
    // What the message editors show without an outgoing row: they take no null model.
    OutgoingSSModel_c* m_pNoOutgoing;    // child
    QStandardItemModel* m_pNoIncoming;   // child
    TRVVariables* m_pSetupVariables = nullptr;       // child widget
    TRVEventOutgoingSS* m_pOutgoing = nullptr;       // child widget
    TRVEventIncomingSS* m_pIncoming = nullptr;       // child widget
    bool m_Populating = false;  // the page shows a row; nothing the editors report is an edit
};
