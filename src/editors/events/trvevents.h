#pragma once

#include <QString>

#include <QList>

#include <functional>
#include <memory>

#include "editors/events/eventrows.h"
#include "editors/messagelist/messagelistpage.h"
#include "editors/ports/irfile.h"

namespace Ui {
class TRVEvents;
}

class QDataWidgetMapper;
class TRVEventParams;

// The "Events" page: the protocol's events (commands), one row each in the
// event model (columns and rules in eventrows.h), with the parameter,
// outgoing and incoming editors on the tabs of the current event. The
// editors are handed the current row's child models and texts and report
// their texts back into that row.
class TRVEvents : public MessageListPage
{
    Q_OBJECT

public:
    using enum EventRow::Column;

    TRVEvents(QStandardItemModel* variables, QWidget* parent);
    ~TRVEvents() override;

    QStandardItemModel* EventModel() const { return RowModel(); }
    TRVEventParams* ParamsEditor() const { return m_pParams; }

    // Appends one event per code, as CreateIRFileEvent does, and makes the
    // last current; a cancelled import adds none (see IRImporter).
    int CreateIRFileEvents(const QList<IRCode>& codes, const std::function<bool(int done)>& progress);

public slots:
    // Appends an event for an imported infra-red code and makes it current.
    void CreateIRFileEvent(QString name, QString message);
    // Shows the "Information/Parameters" tab with the parameter of nameItem.
    void FocusParamTab(QStandardItem* nameItem);
    void UpdateEventMsgFormat(const QString& format);
    void UpdateEventMsgArgs(const QString& args);
    void UpdateEventIRRegexp(const QString& regexp);
    void UpdateEventIRExample(const QString& example);
    void UpdateMsgManEdit(bool enabled);
    void UpdateIncManEdit(bool enabled);
    void submit();

    void on_m_pChkIncomingResponse_toggled(bool checked);
    void on_m_pChkUnsolicitedCommand_toggled(bool checked);

signals:
    // A line for the window's status bar.
    void statusMessage(const QString& text);

protected:
    int AppendRow() override;
    void ShowRow(int row) override;

private:
    void WriteCurrent(int column, const QString& text);
    // Says how to get back a parameter the outgoing message uses.
    void NoteParamDeleted(QStandardItem* nameItem);

    std::unique_ptr<Ui::TRVEvents> ui;
    QDataWidgetMapper* m_pMapper;              // child
    TRVEventParams* m_pParams = nullptr;       // child widget
};
