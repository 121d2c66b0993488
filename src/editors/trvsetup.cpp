#include "editors/trvsetup.h"

#include "ui_trvsetup.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include "editors/eventrows.h"
#include "editors/incomingssmodel.h"
#include "editors/outgoingssmodel.h"
#include "editors/pagelayout.h"
#include "editors/paramrows.h"
#include "editors/prompts.h"
#include "editors/trveventincomingss.h"
#include "editors/trveventoutgoingss.h"
#include "editors/trvvariables.h"

TRVSetup::TRVSetup(QWidget* parent, QStandardItemModel* variables)
    : QWidget(parent),
      ui(std::make_unique<Ui::TRVSetup>()),
      m_pVariables(variables),
      m_pMessageModel(new QStandardItemModel(0, ColumnCount, this)),
      m_pNoOutgoing(new OutgoingSSModel_c(this)),
      m_pNoIncoming(TRVEventIncomingSS::NewModel(this))
{
    ui->setupUi(this);
    m_pSetupVariables = new TRVVariables(ui->m_pTabSetupVariables, true, variables);
    ui->m_pLayoutSetupVariables->addWidget(m_pSetupVariables);
    m_pOutgoing = new TRVEventOutgoingSS(variables, ui->m_pPageSetupOutgoing);
    m_pOutgoing->SetAddsSetupVariables(true);
    ui->m_pLayoutOutgoingSS->addWidget(m_pOutgoing);
    m_pIncoming = new TRVEventIncomingSS(variables, ui->m_pPageSetupIncoming);
    m_pIncoming->SetAddsSetupVariables(true);
    ui->m_pLayoutIncomingSS->addWidget(m_pIncoming);
    // The list announces its first current row as soon as it has a model.
    ui->m_pListSetupMessages->setModel(m_pMessageModel);
    ui->m_pListSetupMessages->setModelColumn(ColName);

    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::varDeleted);
    connect(m_pSetupVariables, &TRVVariables::varDeleted, this, &TRVSetup::CleanupVars);
    connect(m_pSetupVariables, &TRVVariables::savableDataChanged, this, &TRVSetup::EmitSavable);
    connect(m_pOutgoing, &TRVEventOutgoingSS::savableDataChanged, this, &TRVSetup::EmitSavable);
    connect(m_pIncoming, &TRVEventIncomingSS::savableDataChanged, this, &TRVSetup::EmitSavable);

    connect(m_pOutgoing, &TRVEventOutgoingSS::formatChanged, this, &TRVSetup::UpdateFormatRegexp);
    connect(m_pIncoming, &TRVEventIncomingSS::formatChanged, this, &TRVSetup::UpdateFormatRegexp);
    connect(m_pOutgoing, &TRVEventOutgoingSS::argsChanged, this, &TRVSetup::UpdateArgsExample);
    connect(m_pIncoming, &TRVEventIncomingSS::exampleChanged, this, &TRVSetup::UpdateArgsExample);
    connect(m_pOutgoing, &TRVEventOutgoingSS::manEditToggled, this, &TRVSetup::UpdateManEdit);
    connect(m_pIncoming, &TRVEventIncomingSS::manEditToggled, this, &TRVSetup::UpdateManEdit);
    connect(m_pOutgoing, &TRVEventOutgoingSS::addEditVarClicked, this, &TRVSetup::FocusVarTab);
    connect(m_pIncoming, &TRVEventIncomingSS::addEditVarClicked, this, &TRVSetup::FocusVarTab);

    on_m_pListSetupMessages_currentRowChanged(QModelIndex(), QModelIndex());
    RefreshSizeHints(m_pSetupVariables, this);
    RefreshSizeHints(m_pOutgoing, this);
    RefreshSizeHints(m_pIncoming, this);
}

TRVSetup::~TRVSetup() = default;

void TRVSetup::EmitSavable()
{
    if (!m_Populating)
        emit savableDataChanged();
}

void TRVSetup::SelectVariable(QStandardItem* item)
{
    ui->m_pTabsSetup->setCurrentWidget(ui->m_pTabSetupVariables);
    m_pSetupVariables->SelectVariable(item);
}

void TRVSetup::FocusVarTab(QStandardItem* variable)
{
    SelectVariable(variable);
}

int TRVSetup::CurrentRow() const
{
    const QModelIndex current = ui->m_pListSetupMessages->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TRVSetup::SelectRow(int row)
{
    if (row >= 0 && row < m_pMessageModel->rowCount())
        ui->m_pListSetupMessages->setCurrentIndex(m_pMessageModel->index(row, ColName));
    else
        ui->m_pListSetupMessages->selectionModel()->clearCurrentIndex();
}

void TRVSetup::WriteCurrent(int kind, int column, const QString& text)
{
    const int row = CurrentRow();
    // Both editors report into the same columns; the one not showing the
    // current row's kind has nothing to say about it.
    if (row >= 0 && (kind < 0 || SetupRow::RowKind(*m_pMessageModel, row) == kind))
        SetupRow::SetText(*m_pMessageModel, row, column, text);
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
    WriteCurrent(SenderKind(sender(), m_pOutgoing, m_pIncoming), ColFormatOrRegexp, formatOrRegexp);
}

void TRVSetup::UpdateArgsExample(const QString& argsOrExample)
{
    WriteCurrent(SenderKind(sender(), m_pOutgoing, m_pIncoming), ColArgsOrExample, argsOrExample);
}

void TRVSetup::UpdateManEdit(bool enabled)
{
    WriteCurrent(SenderKind(sender(), m_pOutgoing, m_pIncoming), ColManEdit,
                 enabled ? QStringLiteral("true") : QStringLiteral("false"));
}

void TRVSetup::on_m_pListSetupMessages_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    QScopedValueRollback<bool> populating(m_Populating, true);
    const int row = current.isValid() ? current.row() : -1;
    const int kind = SetupRow::RowKind(*m_pMessageModel, row);
    // Every row change hands over the row's manual flag and texts too, so no
    // row's texts stay behind in an editor to be reported into the next.
    const bool manual = SetupRow::IsManual(*m_pMessageModel, row);
    const QString formatOrRegexp = SetupRow::Text(*m_pMessageModel, row, ColFormatOrRegexp);
    const QString argsOrExample = SetupRow::Text(*m_pMessageModel, row, ColArgsOrExample);
    QStandardItemModel* child = SetupRow::Child(*m_pMessageModel, row);

    if (kind == SetupRow::KindOutgoing) {
        ShowIncoming(m_pNoIncoming, QString());
        m_pOutgoing->SetModel(qobject_cast<OutgoingSSModel_c*>(child), nullptr);
        m_pOutgoing->SetManualEdit(manual);
        if (manual) {
            m_pOutgoing->SetFormat(formatOrRegexp);
            m_pOutgoing->SetArgs(argsOrExample);
        }
        ui->m_pStkSetupMessage->setCurrentWidget(ui->m_pPageSetupOutgoing);
    } else if (kind == SetupRow::KindIncoming) {
        m_pOutgoing->SetModel(m_pNoOutgoing, nullptr);
        ShowIncoming(child, argsOrExample);
        m_pIncoming->SetManual(manual, formatOrRegexp);
        ui->m_pStkSetupMessage->setCurrentWidget(ui->m_pPageSetupIncoming);
    } else {
        m_pOutgoing->SetModel(m_pNoOutgoing, nullptr);
        ShowIncoming(m_pNoIncoming, QString());
        ui->m_pStkSetupMessage->setCurrentWidget(ui->m_pPageSetupEmpty);
    }
}

void TRVSetup::ShowIncoming(QStandardItemModel* model, const QString& example)
{
    // Handing the incoming editor the model it shows again would cost it its
    // selection model; the same model is the same row, already shown.
    if (m_pIncoming->Model() != model)
        m_pIncoming->SetModel(model, example);
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

void TRVSetup::on_m_pButAddSetupMessage_clicked()
{
    const int choice = Prompts::Current().Choice(this, tr("Add Setup Message"),
                                                 tr("What type of Setup Message would you like to add?"),
                                                 {tr("Outgoing Message"), tr("Incoming Response"), tr("Cancel")});
    if (choice != 0 && choice != 1)
        return;
    const int kind = choice == 0 ? SetupRow::KindOutgoing : SetupRow::KindIncoming;
    SelectRow(SetupRow::AppendNew(*m_pMessageModel, kind, this, m_pVariables));
    emit savableDataChanged();
}

void TRVSetup::on_m_pButDupSetupMessage_clicked()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    SelectRow(SetupRow::Duplicate(*m_pMessageModel, row, this, m_pVariables));
    emit savableDataChanged();
}

void TRVSetup::on_m_pButDeleteSetupMessage_clicked()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    // The editors move to the neighbouring message before this one's model goes.
    SelectRow(row + 1 < m_pMessageModel->rowCount() ? row + 1 : row - 1);
    SetupRow::Remove(*m_pMessageModel, row);
    emit savableDataChanged();
}

void TRVSetup::MoveCurrent(int offset)
{
    int moved = -1;
    {
        // The editors keep showing the moving row's model; only its place changes.
        const QSignalBlocker blocker(ui->m_pListSetupMessages);
        moved = MoveModelRow(m_pMessageModel, CurrentRow(), offset);
    }
    if (moved < 0)
        return;
    SelectRow(moved);
    emit savableDataChanged();
}

void TRVSetup::on_m_pButMoveSetupMessageUp_clicked()
{
    MoveCurrent(-1);
}

void TRVSetup::on_m_pButMoveSetupMessageDown_clicked()
{
    MoveCurrent(+1);
}

void TRVSetup::CleanupVars()
{
    const int current = CurrentRow();
    for (int row = 0; row < m_pMessageModel->rowCount(); ++row) {
        if (row == current)
            continue;
        if (OutgoingSSModel_c* outgoing = SetupRow::Outgoing(*m_pMessageModel, row)) {
            if (CleanupReferences(*outgoing) && !SetupRow::IsManual(*m_pMessageModel, row)) {
                const EventRow::StoredFormat texts = EventRow::GeneratedFormat(*outgoing);
                SetupRow::SetText(*m_pMessageModel, row, ColFormatOrRegexp, texts.format);
                SetupRow::SetText(*m_pMessageModel, row, ColArgsOrExample, texts.args);
            }
        } else if (QStandardItemModel* incoming = SetupRow::Child(*m_pMessageModel, row)) {
            IncomingSS::CleanupVars(*incoming, m_pVariables);
        }
    }
    if (current >= 0) {
        m_pIncoming->CleanupVars();
        m_pOutgoing->CleanupParamsAndVars();
    }
}

void TRVSetup::Load(ProductData_c* product)
{
    SelectRow(-1);
    while (m_pMessageModel->rowCount() > 0)
        SetupRow::Remove(*m_pMessageModel, m_pMessageModel->rowCount() - 1);
    if (product)
        SetupRow::LoadRows(*product, *m_pMessageModel, this, m_pVariables);
}

void TRVSetup::Store(ProductData_c* product)
{
    if (product)
        SetupRow::StoreRows(*m_pMessageModel, m_pVariables, *product);
}
