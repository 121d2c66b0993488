#include "editors/events/trvevents.h"

#include "ui_trvevents.h"

#include <QApplication>
#include <QDataWidgetMapper>
#include <QLineEdit>
#include <QStandardItemModel>

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/common/listbuttons.h"
#include "editors/common/pagelayout.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/params/trveventparams.h"

namespace {

const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");

bool OutgoingManual(const QStandardItemModel& events, int row)
{
    return EventRow::Flag(events, row, EventRow::ColMsgManEdit);
}

void WriteGenerated(QStandardItemModel& events, int row, const OutgoingSSModel_c& outgoing)
{
    const EventRow::StoredFormat texts = EventRow::GeneratedFormat(outgoing);
    EventRow::SetText(events, row, EventRow::ColMsgFormat, texts.format);
    EventRow::SetText(events, row, EventRow::ColMsgArgs, texts.args);
}

const MessageListPage::RowFunctions EventRows = {&EventRow::Duplicate, &EventRow::Remove, &EventRow::LoadRows,
    &EventRow::StoreRowsAsText, &EventRow::Outgoing, &EventRow::Incoming, &OutgoingManual, &WriteGenerated,
    QT_TR_NOOP("Event")};

} // namespace

TRVEvents::TRVEvents(QStandardItemModel* variables, QWidget* parent)
    : MessageListPage(variables, ColumnCount, EventRows, parent),
      ui(std::make_unique<Ui::TRVEvents>()),
      m_pMapper(new QDataWidgetMapper(this))
{
    ui->setupUi(this);
    HoldFileText(this);

    m_pParams = new TRVEventParams(ui->m_pFrameParams);
    ui->m_pLayoutParams->addWidget(m_pParams);
    AddEditors(ui->m_pTabOutgoingCommand, ui->m_pLayoutOutgoingCommand, ui->m_pTabIncomingResponse,
               ui->m_pLayoutIncomingResponse);
    SetUpList(ui->m_pListEvents, ColName,
              {ui->m_pButAddEvent, ui->m_pButDupEvent, ui->m_pButDeleteEvent, ui->m_pButMoveEventUp,
               ui->m_pButMoveEventDown});
    DecorateListButtons(ui->m_pListEvents, QStringLiteral("Event"), ui->m_pButAddEvent, ui->m_pButDupEvent,
                        ui->m_pButDeleteEvent, ui->m_pButMoveEventUp, ui->m_pButMoveEventDown);

    m_pMapper->setModel(EventModel());
    m_pMapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    m_pMapper->addMapping(ui->m_pEditEventName, ColName);
    m_pMapper->addMapping(ui->m_pEditEventDescription, ColDescription);
    m_pMapper->addMapping(ui->m_pNumEventRetries, ColRetries);
    m_pMapper->addMapping(ui->m_pNumEventTimeout, ColTimeout);
    m_pMapper->addMapping(ui->m_pChkIncomingResponse, ColIncoming);
    m_pMapper->addMapping(ui->m_pChkUnsolicitedCommand, ColUnsolicited);

    for (QLineEdit* edit : {ui->m_pEditEventName, ui->m_pEditEventDescription})
        connect(edit, &QLineEdit::textEdited, this, &TRVEvents::EmitSavable);
    for (QSpinBox* number : {ui->m_pNumEventRetries, ui->m_pNumEventTimeout})
        connect(number, &QSpinBox::valueChanged, this, &TRVEvents::EmitSavable);
    for (QCheckBox* check : {ui->m_pChkIncomingResponse, ui->m_pChkUnsolicitedCommand})
        connect(check, &QCheckBox::clicked, this, &TRVEvents::EmitSavable);
    connect(this, &TRVEvents::savableDataChanged, this, &TRVEvents::submit);

    TRVEventOutgoingSS* outgoing = OutgoingEditor();
    TRVEventIncomingSS* incoming = IncomingEditor();
    connect(m_pParams, &TRVEventParams::savableDataChanged, this, &TRVEvents::EmitSavable);
    connect(m_pParams, &TRVEventParams::paramDeleted, outgoing, &TRVEventOutgoingSS::CleanupParamsAndVars);
    connect(m_pParams, &TRVEventParams::deleting, this, &TRVEvents::NoteParamDeleted);
    connect(outgoing, &TRVEventOutgoingSS::formatChanged, this, &TRVEvents::UpdateEventMsgFormat);
    connect(outgoing, &TRVEventOutgoingSS::argsChanged, this, &TRVEvents::UpdateEventMsgArgs);
    connect(outgoing, &TRVEventOutgoingSS::manEditToggled, this, &TRVEvents::UpdateMsgManEdit);
    connect(outgoing, &TRVEventOutgoingSS::addEditParamClicked, this, &TRVEvents::FocusParamTab);
    connect(outgoing, &TRVEventOutgoingSS::addEditVarClicked, this, &TRVEvents::requestVarTabFocus);
    connect(incoming, &TRVEventIncomingSS::formatChanged, this, &TRVEvents::UpdateEventIRRegexp);
    connect(incoming, &TRVEventIncomingSS::exampleChanged, this, &TRVEvents::UpdateEventIRExample);
    connect(incoming, &TRVEventIncomingSS::manEditToggled, this, &TRVEvents::UpdateIncManEdit);
    connect(incoming, &TRVEventIncomingSS::addEditVarClicked, this, &TRVEvents::requestVarTabFocus);

    // The tabs follow the check boxes from the start, as they do for every row.
    on_m_pChkIncomingResponse_toggled(ui->m_pChkIncomingResponse->isChecked());
    HandOver(-1);
    RefreshSizeHints(m_pParams, this);
    RefreshEditorSizeHints();
}

TRVEvents::~TRVEvents() = default;

void TRVEvents::WriteCurrent(int column, const QString& text)
{
    const int row = CurrentRow();
    if (row >= 0)
        EventRow::SetText(*EventModel(), row, column, text);
}

void TRVEvents::NoteParamDeleted(QStandardItem* nameItem)
{
    const OutgoingSSModel_c* outgoing = OutgoingEditor()->Model();
    int uses = 0;
    for (int row = 0; outgoing && row < outgoing->rowCount(); ++row)
        uses += outgoing->ParamRef(row) == nameItem ? 1 : 0;
    if (uses > 0)
        emit statusMessage(tr("Deleted '%1' (used by %2): Ctrl+Z restores it")
                               .arg(nameItem->text(), uses == 1 ? tr("1 substring") : tr("%1 substrings").arg(uses)));
}

void TRVEvents::UpdateEventMsgFormat(const QString& format)
{
    WriteCurrent(ColMsgFormat, format);
}

void TRVEvents::UpdateEventMsgArgs(const QString& args)
{
    WriteCurrent(ColMsgArgs, args);
}

void TRVEvents::UpdateEventIRRegexp(const QString& regexp)
{
    WriteCurrent(ColIRRegexp, regexp);
}

void TRVEvents::UpdateEventIRExample(const QString& example)
{
    WriteCurrent(ColIRExample, example);
}

void TRVEvents::UpdateMsgManEdit(bool enabled)
{
    WriteCurrent(ColMsgManEdit, enabled ? TrueText : FalseText);
}

void TRVEvents::UpdateIncManEdit(bool enabled)
{
    WriteCurrent(ColIncManEdit, enabled ? TrueText : FalseText);
}

void TRVEvents::submit()
{
    const int row = CurrentRow();
    if (row < 0 || m_pMapper->currentIndex() != row)
        return;
    // Writing back refills the mapped fields, which would throw the cursor of
    // the field being typed in to its end.
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const int cursor = edit ? edit->cursorPosition() : 0;
    m_pMapper->submit();
    if (edit)
        edit->setCursorPosition(cursor);
}

void TRVEvents::ShowRow(int row)
{
    if (row < 0) {
        ui->m_pEditEventName->clear();
        ui->m_pEditEventDescription->clear();
        ui->m_pChkIncomingResponse->setChecked(false);
        ui->m_pTabsEvent->setCurrentIndex(0);
        ui->m_pTabsEvent->setEnabled(false);
        m_pParams->SetModel(nullptr);
        ShowNoOutgoing();
        ShowNoIncoming();
        return;
    }
    // The editors report their texts into the current row while they take
    // over its models, so the stored texts are read first.
    const QStandardItemModel& events = *EventModel();
    const bool msgManual = EventRow::Flag(events, row, ColMsgManEdit);
    const QString format = EventRow::Text(events, row, ColMsgFormat);
    const QString args = EventRow::Text(events, row, ColMsgArgs);
    const bool incManual = EventRow::Flag(events, row, ColIncManEdit);
    const QString regexp = EventRow::Text(events, row, ColIRRegexp);
    const QString example = EventRow::Text(events, row, ColIRExample);
    QStandardItemModel* params = EventRow::Params(events, row);

    m_pMapper->setCurrentIndex(row);
    ui->m_pTabsEvent->setEnabled(true);
    m_pParams->SetModel(params);
    ShowOutgoing(EventRow::Outgoing(events, row), params, msgManual, format, args);
    ShowIncoming(EventRow::Incoming(events, row), incManual, regexp, example);
}

void TRVEvents::on_m_pChkIncomingResponse_toggled(bool checked)
{
    QTabWidget* tabs = ui->m_pTabsEvent;
    const int incoming = tabs->indexOf(ui->m_pTabIncomingResponse);
    if (checked) {
        if (incoming < 0)
            tabs->addTab(ui->m_pTabIncomingResponse,
                         ui->m_pChkUnsolicitedCommand->isChecked() ? tr("Incoming Message (Unsolicited)")
                                                                   : tr("Incoming Response"));
        ui->m_pChkUnsolicitedCommand->setEnabled(true);
    } else {
        if (incoming >= 0)
            tabs->removeTab(incoming);
        // An event can only be unsolicited when it expects a message.
        ui->m_pChkUnsolicitedCommand->setChecked(false);
        ui->m_pChkUnsolicitedCommand->setEnabled(false);
    }
}

void TRVEvents::on_m_pChkUnsolicitedCommand_toggled(bool checked)
{
    QTabWidget* tabs = ui->m_pTabsEvent;
    const int outgoing = tabs->indexOf(ui->m_pTabOutgoingCommand);
    if (checked) {
        if (outgoing >= 0)
            tabs->removeTab(outgoing);
    } else if (outgoing < 0) {
        tabs->insertTab(tabs->indexOf(ui->m_pTabInfoParams) + 1, ui->m_pTabOutgoingCommand, tr("Outgoing Message"));
    }
    const int incoming = tabs->indexOf(ui->m_pTabIncomingResponse);
    if (incoming >= 0)
        tabs->setTabText(incoming, checked ? tr("Incoming Message (Unsolicited)") : tr("Incoming Response"));
}

void TRVEvents::FocusParamTab(QStandardItem* nameItem)
{
    ui->m_pTabsEvent->setCurrentWidget(ui->m_pTabInfoParams);
    m_pParams->SelectParameter(nameItem);
}

void TRVEvents::CreateIRFileEvent(QString name, QString message)
{
    SelectRow(EventRow::AppendIRFileEvent(*EventModel(), ChildModelOwner(), VariablesModel(), name, message));
    emit savableDataChanged();
}

int TRVEvents::CreateIRFileEvents(const QList<IRCode>& codes, const std::function<bool(int done)>& progress)
{
    // Built aside, so that a cancelled import leaves the events as they were;
    // the page follows only the last one.
    QStandardItemModel staging;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        EventRow::AppendIRFileEvent(staging, ChildModelOwner(), VariablesModel(), codes[i].name, codes[i].message);
        if (progress && i % 100 == 99 && !progress(int(i + 1))) {
            while (staging.rowCount() > 0)
                EventRow::Remove(staging, staging.rowCount() - 1);
            return 0;
        }
    }
    QList<QList<QStandardItem*>> rows(staging.rowCount());
    for (int row = staging.rowCount() - 1; row >= 0; --row)
        rows[row] = staging.takeRow(row);
    for (const QList<QStandardItem*>& row : rows)
        EditRows::Append(*EventModel(), row);
    if (!rows.isEmpty()) {
        SelectRow(EventModel()->rowCount() - 1);
        emit savableDataChanged();
    }
    return int(rows.size());
}

int TRVEvents::AppendRow()
{
    return EventRow::AppendNew(*EventModel(), ChildModelOwner(), VariablesModel());
}
