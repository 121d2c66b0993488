#pragma once

#include <QModelIndex>
#include <QString>
#include <QWidget>

#include <memory>

#include "editors/eventrows.h"
#include "editors/irfile.h"

namespace Ui {
class TRVEvents;
}

class OutgoingSSModel_c;
class ProductData_c;
class QDataWidgetMapper;
class QStandardItem;
class QStandardItemModel;
class TRVEventIncomingSS;
class TRVEventOutgoingSS;
class TRVEventParams;

// The "Events" page: the protocol's events (commands), one row each in the
// event model (columns and rules in eventrows.h), with the parameter,
// outgoing and incoming editors on the tabs of the current event. The
// editors are handed the current row's child models and texts and report
// their texts back into that row.
class TRVEvents : public QWidget
{
    Q_OBJECT

public:
    using enum EventRow::Column;

    // variables: the shared variables model, owned by the device variables page.
    TRVEvents(QStandardItemModel* variables, QWidget* parent);
    ~TRVEvents() override;

    QStandardItemModel* EventModel() const { return m_pEventModel; }
    QStandardItemModel* VariablesModel() const { return m_pVariables; }
    TRVEventParams* ParamsEditor() const { return m_pParams; }
    TRVEventOutgoingSS* OutgoingEditor() const { return m_pOutgoing; }
    TRVEventIncomingSS* IncomingEditor() const { return m_pIncoming; }

    // The current event's row, or -1; SelectRow(-1) leaves no event current.
    int CurrentRow() const;
    void SelectRow(int row);

    // Replaces the rows by the commands of the product's first protocol.
    void Load(ProductData_c* product);
    void Store(ProductData_c* product);
    // Appends one event per code, as CreateIRFileEvent does, and makes the
    // last current; a cancelled import adds none (see IRImporter).
    int CreateIRFileEvents(const QList<IRCode>& codes, const std::function<bool(int done)>& progress);

signals:
    void savableDataChanged();
    void requestVarTabFocus(QStandardItem* setupVarField);

public slots:
    // Appends an event for an imported infra-red code and makes it current.
    void CreateIRFileEvent(QString name, QString message);
    // Drops every event's links to variable rows that are no longer in the model.
    void CleanupVars();
    // Shows the "Information/Parameters" tab with the parameter of nameItem.
    void FocusParamTab(QStandardItem* nameItem);
    void UpdateEventMsgFormat(const QString& format);
    void UpdateEventMsgArgs(const QString& args);
    void UpdateEventIRRegexp(const QString& regexp);
    void UpdateEventIRExample(const QString& example);
    void UpdateMsgManEdit(bool enabled);
    void UpdateIncManEdit(bool enabled);
    void submit();

    void on_m_pButAddEvent_clicked();
    void on_m_pButDupEvent_clicked();
    void on_m_pButDeleteEvent_clicked();
    void on_m_pButMoveEventUp_clicked();
    void on_m_pButMoveEventDown_clicked();
    void on_m_pListEvents_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);
    void on_m_pChkIncomingResponse_toggled(bool checked);
    void on_m_pChkUnsolicitedCommand_toggled(bool checked);

private:
    void EmitSavable();
    void WriteCurrent(int column, const QString& text);
    void MoveCurrent(int offset);
    void ShowIncoming(QStandardItemModel* model, const QString& example);

    std::unique_ptr<Ui::TRVEvents> ui;
    QStandardItemModel* m_pVariables;    // not owned
    QStandardItemModel* m_pEventModel;   // child
    QDataWidgetMapper* m_pMapper;        // child
    // What the message editors show without a current event: they take no null model.
    OutgoingSSModel_c* m_pNoOutgoing;  // child
    QStandardItemModel* m_pNoIncoming; // child
    TRVEventParams* m_pParams = nullptr;           // child widget
    TRVEventOutgoingSS* m_pOutgoing = nullptr;     // child widget
    TRVEventIncomingSS* m_pIncoming = nullptr;     // child widget
    bool m_Populating = false;  // the page shows a row; nothing the editors report is an edit
};
