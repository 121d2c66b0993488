#include "editors/setup/trvsetup.h"

#include "ui_trvsetup.h"

#include <QStandardItemModel>

#include "editors/common/listbuttons.h"
#include "editors/common/pagelayout.h"
#include "editors/common/prompts.h"
#include "editors/events/eventrows.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/variables/trvvariables.h"

namespace {

// An outgoing row's child is its substrings too, not an incoming message.
QStandardItemModel* IncomingChild(const QStandardItemModel& messages, int row)
{
    return SetupRow::RowKind(messages, row) == SetupRow::KindIncoming ? SetupRow::Child(messages, row) : nullptr;
}

void WriteGenerated(QStandardItemModel& messages, int row, const OutgoingSSModel_c& outgoing)
{
    const EventRow::StoredFormat texts = EventRow::GeneratedFormat(outgoing);
    SetupRow::SetText(messages, row, SetupRow::ColFormatOrRegexp, texts.format);
    SetupRow::SetText(messages, row, SetupRow::ColArgsOrExample, texts.args);
}

const MessageListPage::RowFunctions SetupRows = {&SetupRow::Duplicate, &SetupRow::Remove, &SetupRow::LoadRows,
    &SetupRow::StoreRows, &SetupRow::Outgoing, &IncomingChild, &SetupRow::IsManual, &WriteGenerated,
    QT_TR_NOOP("Setup Message")};

} // namespace

TRVSetup::TRVSetup(QWidget* parent, QStandardItemModel* variables)
    : MessageListPage(variables, ColumnCount, SetupRows, parent),
      ui(std::make_unique<Ui::TRVSetup>())
{
    ui->setupUi(this);
    m_pSetupVariables = new TRVVariables(ui->m_pTabSetupVariables, true, variables);
    ui->m_pLayoutSetupVariables->addWidget(m_pSetupVariables);
    AddEditors(ui->m_pPageSetupOutgoing, ui->m_pLayoutOutgoingSS, ui->m_pPageSetupIncoming, ui->m_pLayoutIncomingSS);
    TRVEventOutgoingSS* outgoing = OutgoingEditor();
    TRVEventIncomingSS* incoming = IncomingEditor();
    outgoing->SetAddsSetupVariables(true);
    incoming->SetAddsSetupVariables(true);
    SetUpList(ui->m_pListSetupMessages, ColName,
              {ui->m_pButAddSetupMessage, ui->m_pButDupSetupMessage, ui->m_pButDeleteSetupMessage,
               ui->m_pButMoveSetupMessageUp, ui->m_pButMoveSetupMessageDown});
    DecorateListButtons(ui->m_pListSetupMessages, QStringLiteral("Setup Message"), ui->m_pButAddSetupMessage,
                        ui->m_pButDupSetupMessage, ui->m_pButDeleteSetupMessage, ui->m_pButMoveSetupMessageUp,
                        ui->m_pButMoveSetupMessageDown);

    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::varDeleted);
    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::CleanupVars);
    connect(m_pSetupVariables, &TRVVariables::savableDataChanged, this, &TRVSetup::EmitSavable);

    // Both editors report into the same columns (see WriteCurrent).
    connect(outgoing, &TRVEventOutgoingSS::formatChanged, this, &TRVSetup::UpdateFormatRegexp);
    connect(incoming, &TRVEventIncomingSS::formatChanged, this, &TRVSetup::UpdateFormatRegexp);
    connect(outgoing, &TRVEventOutgoingSS::argsChanged, this, &TRVSetup::UpdateArgsExample);
    connect(incoming, &TRVEventIncomingSS::exampleChanged, this, &TRVSetup::UpdateArgsExample);
    connect(outgoing, &TRVEventOutgoingSS::manEditToggled, this, &TRVSetup::UpdateManEdit);
    connect(incoming, &TRVEventIncomingSS::manEditToggled, this, &TRVSetup::UpdateManEdit);
    connect(outgoing, &TRVEventOutgoingSS::addEditVarClicked, this, &TRVSetup::FocusVarTab);
    connect(incoming, &TRVEventIncomingSS::addEditVarClicked, this, &TRVSetup::FocusVarTab);

    HandOver(-1);
    RefreshSizeHints(m_pSetupVariables, this);
    RefreshEditorSizeHints();
}

TRVSetup::~TRVSetup() = default;

void TRVSetup::SelectVariable(QStandardItem* item)
{
    ui->m_pTabsSetup->setCurrentWidget(ui->m_pTabSetupVariables);
    m_pSetupVariables->SelectVariable(item);
}

void TRVSetup::FocusVarTab(QStandardItem* variable)
{
    SelectVariable(variable);
}

void TRVSetup::WriteCurrent(int kind, int column, const QString& text)
{
    const int row = CurrentRow();
    // Both editors report into the same columns; the one not showing the
    // current row's kind has nothing to say about it.
    if (row >= 0 && (kind < 0 || SetupRow::RowKind(*MessageModel(), row) == kind))
        SetupRow::SetText(*MessageModel(), row, column, text);
}

namespace {

int SenderKind(const QObject* sender, const QObject* outgoing, const QObject* incoming)
{
    if (sender == outgoing)
        return SetupRow::KindOutgoing;
    return sender == incoming ? SetupRow::KindIncoming : -1;
}

} // namespace

void TRVSetup::UpdateFormatRegexp(const QString& formatOrRegexp)
{
    WriteCurrent(SenderKind(sender(), OutgoingEditor(), IncomingEditor()), ColFormatOrRegexp, formatOrRegexp);
}

void TRVSetup::UpdateArgsExample(const QString& argsOrExample)
{
    WriteCurrent(SenderKind(sender(), OutgoingEditor(), IncomingEditor()), ColArgsOrExample, argsOrExample);
}

void TRVSetup::UpdateManEdit(bool enabled)
{
    WriteCurrent(SenderKind(sender(), OutgoingEditor(), IncomingEditor()), ColManEdit,
                 enabled ? QStringLiteral("true") : QStringLiteral("false"));
}

void TRVSetup::ShowRow(int row)
{
    const QStandardItemModel& messages = *MessageModel();
    const int kind = SetupRow::RowKind(messages, row);
    // Every row change hands over the row's manual flag and texts too, so no
    // row's texts stay behind in an editor to be reported into the next.
    const bool manual = SetupRow::IsManual(messages, row);
    const QString formatOrRegexp = SetupRow::Text(messages, row, ColFormatOrRegexp);
    const QString argsOrExample = SetupRow::Text(messages, row, ColArgsOrExample);
    QStandardItemModel* child = SetupRow::Child(messages, row);

    if (kind == SetupRow::KindOutgoing) {
        ShowNoIncoming();
        ShowOutgoing(qobject_cast<OutgoingSSModel_c*>(child), nullptr, manual, formatOrRegexp, argsOrExample);
        ui->m_pStkSetupMessage->setCurrentWidget(ui->m_pPageSetupOutgoing);
    } else if (kind == SetupRow::KindIncoming) {
        ShowNoOutgoing();
        ShowIncoming(child, manual, formatOrRegexp, argsOrExample);
        ui->m_pStkSetupMessage->setCurrentWidget(ui->m_pPageSetupIncoming);
    } else {
        ShowNoOutgoing();
        ShowNoIncoming();
        ui->m_pStkSetupMessage->setCurrentWidget(ui->m_pPageSetupEmpty);
    }
}

void TRVSetup::on_m_pChkSetupMessages_toggled(bool checked)
{
    QTabWidget* tabs = ui->m_pTabsSetup;
    const int messages = tabs->indexOf(ui->m_pTabSetupMessages);
    if (checked && messages < 0)
        tabs->insertTab(0, ui->m_pTabSetupMessages, tr("Messages"));
    else if (!checked && messages >= 0)
        tabs->removeTab(messages);
    // Only what the page shows changes: the box is not saved.
}

int TRVSetup::AppendRow()
{
    const int choice = Prompts::Current().Choice(this, tr("Add Setup Message"),
                                                 tr("What type of Setup Message would you like to add?"),
                                                 {tr("Outgoing Message"), tr("Incoming Response"), tr("Cancel")});
    if (choice != 0 && choice != 1)
        return -1;
    const int kind = choice == 0 ? SetupRow::KindOutgoing : SetupRow::KindIncoming;
    return SetupRow::AppendNew(*MessageModel(), kind, ChildModelOwner(), VariablesModel());
}
