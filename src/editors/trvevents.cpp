#include "editors/trvevents.h"

#include "ui_trvevents.h"

#include <QApplication>
#include <QDataWidgetMapper>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include "editors/fieldinput.h"
#include "editors/outgoingssmodel.h"
#include "editors/incomingssmodel.h"
#include "editors/pagelayout.h"
#include "editors/paramrows.h"
#include "editors/trveventincomingss.h"
#include "editors/trveventoutgoingss.h"
#include "editors/trveventparams.h"

namespace {

const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");


} // namespace

TRVEvents::TRVEvents(QStandardItemModel* variables, QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TRVEvents>()),
      m_pVariables(variables),
      m_pEventModel(new QStandardItemModel(0, ColumnCount, this)),
      m_pMapper(new QDataWidgetMapper(this)),
      m_pNoOutgoing(new OutgoingSSModel_c(this)),
      m_pNoIncoming(TRVEventIncomingSS::NewModel(this))
{
    ui->setupUi(this);
    HoldFileText(this);

    m_pParams = new TRVEventParams(ui->m_pFrameParams);
    ui->m_pLayoutParams->addWidget(m_pParams);
    m_pOutgoing = new TRVEventOutgoingSS(m_pVariables, ui->m_pTabOutgoingCommand);
    ui->m_pLayoutOutgoingCommand->addWidget(m_pOutgoing);
    m_pIncoming = new TRVEventIncomingSS(m_pVariables, ui->m_pTabIncomingResponse);
    ui->m_pLayoutIncomingResponse->addWidget(m_pIncoming);
    // The list announces its first current row as soon as it has a model.
    ui->m_pListEvents->setModel(m_pEventModel);
    ui->m_pListEvents->setModelColumn(ColName);

    m_pMapper->setModel(m_pEventModel);
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

    connect(m_pParams, &TRVEventParams::savableDataChanged, this, &TRVEvents::EmitSavable);
    connect(m_pOutgoing, &TRVEventOutgoingSS::savableDataChanged, this, &TRVEvents::EmitSavable);
    connect(m_pIncoming, &TRVEventIncomingSS::savableDataChanged, this, &TRVEvents::EmitSavable);
    connect(m_pParams, &TRVEventParams::paramDeleted, m_pOutgoing, &TRVEventOutgoingSS::CleanupParamsAndVars);

    connect(m_pOutgoing, &TRVEventOutgoingSS::formatChanged, this, &TRVEvents::UpdateEventMsgFormat);
    connect(m_pOutgoing, &TRVEventOutgoingSS::argsChanged, this, &TRVEvents::UpdateEventMsgArgs);
    connect(m_pOutgoing, &TRVEventOutgoingSS::manEditToggled, this, &TRVEvents::UpdateMsgManEdit);
    connect(m_pOutgoing, &TRVEventOutgoingSS::addEditParamClicked, this, &TRVEvents::FocusParamTab);
    connect(m_pOutgoing, &TRVEventOutgoingSS::addEditVarClicked, this, &TRVEvents::requestVarTabFocus);
    connect(m_pIncoming, &TRVEventIncomingSS::formatChanged, this, &TRVEvents::UpdateEventIRRegexp);
    connect(m_pIncoming, &TRVEventIncomingSS::exampleChanged, this, &TRVEvents::UpdateEventIRExample);
    connect(m_pIncoming, &TRVEventIncomingSS::manEditToggled, this, &TRVEvents::UpdateIncManEdit);
    connect(m_pIncoming, &TRVEventIncomingSS::addEditVarClicked, this, &TRVEvents::requestVarTabFocus);

    // The tabs follow the check boxes from the start, as they do for every row.
    on_m_pChkIncomingResponse_toggled(ui->m_pChkIncomingResponse->isChecked());
    on_m_pListEvents_currentRowChanged(QModelIndex(), QModelIndex());
    RefreshSizeHints(m_pParams, this);
    RefreshSizeHints(m_pOutgoing, this);
    RefreshSizeHints(m_pIncoming, this);
}

TRVEvents::~TRVEvents() = default;

void TRVEvents::EmitSavable()
{
    if (!m_Populating)
        emit savableDataChanged();
}

int TRVEvents::CurrentRow() const
{
    const QModelIndex current = ui->m_pListEvents->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TRVEvents::SelectRow(int row)
{
    if (row >= 0 && row < m_pEventModel->rowCount())
        ui->m_pListEvents->setCurrentIndex(m_pEventModel->index(row, ColName));
    else
        ui->m_pListEvents->selectionModel()->clearCurrentIndex();
}

void TRVEvents::WriteCurrent(int column, const QString& text)
{
    const int row = CurrentRow();
    if (row >= 0)
        EventRow::SetText(*m_pEventModel, row, column, text);
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

void TRVEvents::on_m_pListEvents_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    QScopedValueRollback<bool> populating(m_Populating, true);
    if (!current.isValid()) {
        ui->m_pEditEventName->clear();
        ui->m_pEditEventDescription->clear();
        ui->m_pChkIncomingResponse->setChecked(false);
        ui->m_pTabsEvent->setCurrentIndex(0);
        ui->m_pTabsEvent->setEnabled(false);
        m_pParams->SetModel(nullptr);
        m_pOutgoing->SetModel(m_pNoOutgoing, nullptr);
        ShowIncoming(m_pNoIncoming, QString());
        return;
    }
    const int row = current.row();
    // The editors report their texts into the current row while they take
    // over its models, so the stored texts are read first.
    const QStandardItemModel& events = *m_pEventModel;
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
    m_pOutgoing->SetModel(EventRow::Outgoing(events, row), params);
    m_pOutgoing->SetManualEdit(msgManual);
    if (msgManual) {
        m_pOutgoing->SetFormat(format);
        m_pOutgoing->SetArgs(args);
    }
    ShowIncoming(EventRow::Incoming(events, row), example);
    m_pIncoming->SetManual(incManual, regexp);
}

void TRVEvents::ShowIncoming(QStandardItemModel* model, const QString& example)
{
    // Handing the incoming editor the model it shows again would cost it its
    // selection model; the same model is the same row, already shown.
    if (m_pIncoming->Model() != model)
        m_pIncoming->SetModel(model, example);
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

void TRVEvents::on_m_pButAddEvent_clicked()
{
    SelectRow(EventRow::AppendNew(*m_pEventModel, this, m_pVariables));
    emit savableDataChanged();
}

void TRVEvents::on_m_pButDupEvent_clicked()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    SelectRow(EventRow::Duplicate(*m_pEventModel, row, this, m_pVariables));
    emit savableDataChanged();
}

void TRVEvents::on_m_pButDeleteEvent_clicked()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    // The editors move to the neighbouring event before this one's models go.
    if (row + 1 < m_pEventModel->rowCount())
        SelectRow(row + 1);
    else
        SelectRow(row - 1);
    EventRow::Remove(*m_pEventModel, row);
    emit savableDataChanged();
}

void TRVEvents::MoveCurrent(int offset)
{
    const int row = CurrentRow();
    int moved = -1;
    {
        // The editors keep showing the moving row's models; only its place changes.
        const QSignalBlocker blocker(ui->m_pListEvents);
        moved = MoveModelRow(m_pEventModel, row, offset);
    }
    if (moved < 0)
        return;
    SelectRow(moved);
    emit savableDataChanged();
}

void TRVEvents::on_m_pButMoveEventUp_clicked()
{
    MoveCurrent(-1);
}

void TRVEvents::on_m_pButMoveEventDown_clicked()
{
    MoveCurrent(+1);
}

void TRVEvents::FocusParamTab(QStandardItem* nameItem)
{
    ui->m_pTabsEvent->setCurrentWidget(ui->m_pTabInfoParams);
    m_pParams->SelectParameter(nameItem);
}

void TRVEvents::CreateIRFileEvent(QString name, QString message)
{
    SelectRow(EventRow::AppendIRFileEvent(*m_pEventModel, this, m_pVariables, name, message));
    emit savableDataChanged();
}

int TRVEvents::CreateIRFileEvents(const QList<IRCode>& codes, const std::function<bool(int done)>& progress)
{
    // Built aside, so that a cancelled import leaves the events as they were;
    // the page follows only the last one.
    QStandardItemModel staging;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        EventRow::AppendIRFileEvent(staging, this, m_pVariables, codes[i].name, codes[i].message);
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
        m_pEventModel->appendRow(row);
    if (!rows.isEmpty()) {
        SelectRow(m_pEventModel->rowCount() - 1);
        emit savableDataChanged();
    }
    return int(rows.size());
}

void TRVEvents::CleanupVars()
{
    const int current = CurrentRow();
    for (int row = 0; row < m_pEventModel->rowCount(); ++row) {
        if (row == current)
            continue;
        if (OutgoingSSModel_c* outgoing = EventRow::Outgoing(*m_pEventModel, row);
            outgoing && CleanupReferences(*outgoing) && !EventRow::Flag(*m_pEventModel, row, ColMsgManEdit)) {
            const EventRow::StoredFormat texts = EventRow::GeneratedFormat(*outgoing);
            EventRow::SetText(*m_pEventModel, row, ColMsgFormat, texts.format);
            EventRow::SetText(*m_pEventModel, row, ColMsgArgs, texts.args);
        }
        if (QStandardItemModel* incoming = EventRow::Incoming(*m_pEventModel, row))
            IncomingSS::CleanupVars(*incoming, m_pVariables);
    }
    // The shown event goes through its editors, which show the change too.
    if (current >= 0) {
        m_pIncoming->CleanupVars();
        m_pOutgoing->CleanupParamsAndVars();
    }
}

void TRVEvents::Load(ProductData_c* product)
{
    SelectRow(-1);
    while (m_pEventModel->rowCount() > 0)
        EventRow::Remove(*m_pEventModel, m_pEventModel->rowCount() - 1);
    if (product)
        EventRow::LoadRows(*product, *m_pEventModel, this, m_pVariables);
}

void TRVEvents::Store(ProductData_c* product)
{
    if (product)
        EventRow::StoreRows(*m_pEventModel, m_pVariables, *product);
}
