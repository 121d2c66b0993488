#include "editors/outgoing/trveventoutgoingsschecksum.h"

#include <QItemSelectionModel>

#include "editors/common/fieldinput.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssstore.h"
#include "ui_trveventoutgoingsschecksum.h"

using SS = OutgoingSSModel_c;

TRVEventOutgoingSSChecksum::TRVEventOutgoingSSChecksum(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TRVEventOutgoingSSChecksum>())
{
    ui->setupUi(this);
    HoldFileText(this);
    setModal(false);
    connect(ui->m_pOutgoingChecksumOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(this, &QDialog::finished, this, &TRVEventOutgoingSSChecksum::ClearChecksumItem);
}

TRVEventOutgoingSSChecksum::~TRVEventOutgoingSSChecksum() = default;

void TRVEventOutgoingSSChecksum::ShowForRow(OutgoingSSModel_c* model, int row)
{
    if (!model || row < 0 || row >= model->rowCount())
        return;
    if (ui->m_pListOutgoingChecksumSS->model() != model) {
        QItemSelectionModel* old = ui->m_pListOutgoingChecksumSS->selectionModel();
        ui->m_pListOutgoingChecksumSS->setModel(model);
        delete old;
        connect(ui->m_pListOutgoingChecksumSS->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &TRVEventOutgoingSSChecksum::SelectionChanged);
    }
    m_pModel = model;
    m_ChecksumItem = model->index(row, 0);
    m_Restoring = true;
    SelectCovered();
    const int type = model->Text(row, SS::ColChecksumType).toInt();
    ui->m_pCmbOutgoingChecksumType->setCurrentIndex(type >= 0 && type < ChecksumFunctionNames().size() ? type : 0);
    m_Restoring = false;
    Refresh();
    show();
    raise();
    activateWindow();
}

int TRVEventOutgoingSSChecksum::ChecksumRow() const
{
    return m_pModel && m_ChecksumItem.isValid() ? m_ChecksumItem.row() : -1;
}

void TRVEventOutgoingSSChecksum::Refresh()
{
    const int row = ChecksumRow();
    if (row < 0)
        return;
    QString message;
    for (const QStandardItem* covered : m_pModel->CoveredRows(row))
        message += m_pModel->Text(covered->row(), SS::ColResult);
    ui->m_pEditOutgoingChecksum->setText(message);
    ui->m_pEditOutgoingChecksumResult->setText(m_pModel->Text(row, SS::ColResult));
}

void TRVEventOutgoingSSChecksum::on_m_pCmbOutgoingChecksumType_currentIndexChanged(int)
{
    if (m_Restoring)
        return;
    Apply();
    emit savableDataChanged();
}

void TRVEventOutgoingSSChecksum::SelectionChanged()
{
    if (m_Restoring)
        return;
    Apply();
    emit savableDataChanged();
}

void TRVEventOutgoingSSChecksum::ClearChecksumItem()
{
    m_ChecksumItem = QPersistentModelIndex();
}

void TRVEventOutgoingSSChecksum::Apply()
{
    const int row = ChecksumRow();
    if (row < 0)
        return;
    QList<QStandardItem*> selected;
    // The list selects column-0 cells only, so rows are read from the cells.
    for (const QModelIndex& index : ui->m_pListOutgoingChecksumSS->selectionModel()->selectedIndexes())
        selected << m_pModel->item(index.row(), 0);
    SetChecksumSettings(*m_pModel, row, ui->m_pCmbOutgoingChecksumType->currentIndex(), selected);
    // Rows the checksum may not cover (itself, checksums covering it) do
    // not stay selected.
    m_Restoring = true;
    SelectCovered();
    m_Restoring = false;
    Refresh();
}

void TRVEventOutgoingSSChecksum::SelectCovered()
{
    QItemSelectionModel* selection = ui->m_pListOutgoingChecksumSS->selectionModel();
    QItemSelection covered;
    for (const QStandardItem* item : m_pModel->CoveredRows(ChecksumRow()))
        covered.select(item->index(), item->index());
    selection->select(covered, QItemSelectionModel::ClearAndSelect);
}
