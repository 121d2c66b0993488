#include "editors/outgoing/trveventoutgoingss.h"

#include <QScopedValueRollback>

#include "editors/common/edithistory.h"
#include "editors/common/prompts.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssrows.h"
#include "editors/outgoing/trveventoutgoingsschecksum.h"
#include "expr/bytenotation.h"
#include "ui_trveventoutgoingss.h"

// The substring list's buttons: rows added (also from the example's
// selection), copied, deleted and moved.

using SS = OutgoingSSModel_c;

void TRVEventOutgoingSS::on_m_pEditExampleOutgoingMessage_selectionChanged()
{
    if (!ui->m_pEditExampleOutgoingMessage->hasFocus())
        return;
    m_ExampleSelection = ui->m_pEditExampleOutgoingMessage->selectedText();
    ui->m_pButAddSelectionAsSS->setToolTip(
        m_ExampleSelection.isEmpty() ? QString() : QStringLiteral("Add \"%1\" as Substring").arg(m_ExampleSelection));
}

void TRVEventOutgoingSS::on_m_pButAddSelectionAsSS_clicked()
{
    const EditHistory::Step step(this, tr("Add Selection as Substring"));
    if (!m_pModel)
        return;
    if (m_ExampleSelection.isEmpty()) {
        Prompts::Current().Information(
            this, QStringLiteral("No Text Selected"),
            QStringLiteral("Select text in the example substring you want to add before clicking this button."));
        return;
    }
    static const int kTypes[] = {SS::TypeParameter, SS::TypeVariable, SS::TypeConstant, SS::TypeChecksum};
    const int choice = Prompts::Current().Choice(
        this, QStringLiteral("Add Substring"), QStringLiteral("What type of substring is \"%1\"?").arg(m_ExampleSelection),
        {QStringLiteral("Parameter"), QStringLiteral("Variable"), QStringLiteral("Constant"), QStringLiteral("Checksum"),
         QStringLiteral("Cancel")});
    if (choice < 0 || choice >= 4)
        return;
    int row = -1;
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        // A constant holds the bytes selected: <CR> and the like become escapes.
        QString selection = m_ExampleSelection;
        const TypedBytes typed = ReadEscapedText(selection.toStdString());
        if (kTypes[choice] == SS::TypeConstant && typed.ok)
            selection = QString::fromStdString(WriteFieldText(typed.bytes));
        row = AppendSelectionSubstring(*m_pModel, selection, kTypes[choice]);
    }
    AfterRowsChanged(row);
}

void TRVEventOutgoingSS::on_m_pButAddOutgoingSS_clicked()
{
    const EditHistory::Step step(this, tr("Add Substring"));
    if (!m_pModel)
        return;
    const int choice = Prompts::Current().Choice(
        this, QStringLiteral("Add Substring"), QStringLiteral("What type of substring is this?"),
        {QStringLiteral("Parameter"), QStringLiteral("Variable"), QStringLiteral("Local"), QStringLiteral("Constant"),
         QStringLiteral("Checksum"), QStringLiteral("Cancel")});
    if (choice < SS::TypeParameter || choice > SS::TypeChecksum)
        return;
    int row = -1;
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        row = m_pModel->AppendSubstring(QStringLiteral("Substring%1").arg(m_pModel->rowCount()), choice);
        RefreshRow(*m_pModel, row);
    }
    AfterRowsChanged(row);
}

void TRVEventOutgoingSS::on_m_pButDupOutgoingSS_clicked()
{
    const EditHistory::Step step(this, tr("Duplicate Substring"));
    const int row = CurrentRow();
    if (row < 0)
        return;
    int copy = -1;
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        copy = DuplicateSubstring(*m_pModel, row);
    }
    AfterRowsChanged(copy);
}

void TRVEventOutgoingSS::on_m_pButDeleteOutgoingSS_clicked()
{
    const EditHistory::Step step(this, tr("Delete Substring"));
    const int row = CurrentRow();
    if (row < 0)
        return;
    if (m_pChecksum->ChecksumRow() == row)
        m_pChecksum->reject();
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        RemoveSubstring(*m_pModel, row);
    }
    AfterRowsChanged(qMin(row, m_pModel->rowCount() - 1));
}

void TRVEventOutgoingSS::on_m_pButMoveOutgoingSSUp_clicked()
{
    const EditHistory::Step step(this, tr("Move Substring Up"));
    const int row = CurrentRow();
    if (row <= 0)
        return;
    QScopedValueRollback<bool> updating(m_Updating, true);
    AfterRowsChanged(MoveSubstring(*m_pModel, row, -1));
}

void TRVEventOutgoingSS::on_m_pButMoveOutgoingSSDown_clicked()
{
    const EditHistory::Step step(this, tr("Move Substring Down"));
    const int row = CurrentRow();
    if (row < 0 || row + 1 >= m_pModel->rowCount())
        return;
    QScopedValueRollback<bool> updating(m_Updating, true);
    AfterRowsChanged(MoveSubstring(*m_pModel, row, 1));
}

// After rows were added, removed or moved: the row to show, the message
// again, and the change reported.
void TRVEventOutgoingSS::AfterRowsChanged(int current)
{
    if (current >= 0)
        SelectRow(current);
    else
        on_m_pListOutgoingSS_currentRowChanged(QModelIndex(), QModelIndex());
    UpdateSSResults();
    m_pChecksum->Refresh();
    emit savableDataChanged();
}
