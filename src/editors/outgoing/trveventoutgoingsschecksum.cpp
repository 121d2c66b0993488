#include "editors/outgoing/trveventoutgoingsschecksum.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssstore.h"
#include "expr/bytenotation.h"
#include "expr/checksumfinder.h"
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

    // Sample frames from the protocol document, searched for the function that fits.
    m_pEditFrames = new QPlainTextEdit(this);
    m_pEditFrames->setObjectName(QStringLiteral("m_pEditChecksumFrames"));
    m_pEditFrames->setPlaceholderText(QStringLiteral("Sample frames, one a line: 02 50 57 31 A2 03, <STX>PW1<ETX>..."));
    m_pEditFrames->setMaximumHeight(m_pEditFrames->fontMetrics().height() * 5);
    auto* find = new QPushButton(QStringLiteral("Find from Frames..."), this);
    find->setObjectName(QStringLiteral("m_pButChecksumFindFromFrames"));
    m_pLblFound = new QLabel(this);
    m_pLblFound->setWordWrap(true);
    m_pLblFound->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pEditFormula = new QLineEdit(this);
    m_pEditFormula->setObjectName(QStringLiteral("m_pEditChecksumFormula"));
    m_pEditFormula->setReadOnly(true);
    m_pEditFormula->setVisible(false);
    const int at = ui->m_pLayoutChecksum->indexOf(ui->m_pLayoutChecksumButtons);
    ui->m_pLayoutChecksum->insertWidget(at, m_pEditFrames);
    ui->m_pLayoutChecksum->insertWidget(at + 1, m_pLblFound);
    ui->m_pLayoutChecksum->insertWidget(at + 2, m_pEditFormula);
    ui->m_pLayoutChecksumButtons->insertWidget(0, find);
    connect(find, &QPushButton::clicked, this, &TRVEventOutgoingSSChecksum::FindFromFrames);
}

ChecksumRowChoice ChecksumRowFor(const ChecksumCandidate& c)
{
    using SS = OutgoingSSModel_c;
    ChecksumRowChoice choice;
    if (c.transform != ChecksumTransform::kNone)
        return choice;
    const bool oneByte = c.function != ChecksumFunction::kChecksum;
    // %p sends a value's significant bytes and %d its digits: right for the
    // one-byte functions and kornetchecksum, and for the whole sum as decimal.
    if (c.output == ChecksumOutput::kBinary && oneByte)
        choice.format = SS::FormatValue;
    else if (c.output == ChecksumOutput::kDecimal && c.function != ChecksumFunction::kKorNetChecksum &&
             (oneByte || c.bytes == 4))
        choice.format = SS::FormatInteger;
    else
        return choice;
    const QString name = QString::fromLatin1(ChecksumFunctionName(c.function).data(),
                                             static_cast<qsizetype>(ChecksumFunctionName(c.function).size()));
    for (int i = 0; i < ChecksumFunctionNames().size() && choice.type < 0; ++i) {
        if (ChecksumFunctionNames()[i].compare(name, Qt::CaseInsensitive) == 0)
            choice.type = i;
    }
    if (choice.type < 0)
        choice.format = -1;
    return choice;
}

bool TRVEventOutgoingSSChecksum::FindFromFrames()
{
    std::vector<std::string> frames;
    for (const QString& line : m_pEditFrames->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const TypedBytes typed = ReadTypedBytes(line.toStdString());
        if (!typed.ok) {
            m_pLblFound->setText(QStringLiteral("\"%1\": at %2, %3").arg(line).arg(typed.errorPos).arg(QString::fromStdString(typed.error)));
            return false;
        }
        frames.push_back(typed.bytes);
    }
    m_pEditFormula->setVisible(false);
    const ChecksumSearch search = FindChecksums(frames);
    if (search.candidates.empty()) {
        QString text = frames.size() < 2 ? QStringLiteral("Type two or more frames of at least two bytes.")
                                         : QStringLiteral("No checksum function of the language fits.");
        if (!search.crcs.empty())
            text += QStringLiteral(" %1 fits, but the language has no CRC function.").arg(QString::fromStdString(search.crcs.front()));
        m_pLblFound->setText(text);
        return false;
    }
    const ChecksumCandidate& best = search.candidates.front();
    const QString where = QStringLiteral("bytes %1 to %2 of each frame, check bytes at %3")
                              .arg(best.from).arg(best.to).arg(best.at);
    const ChecksumRowChoice choice = ChecksumRowFor(best);
    const int row = ChecksumRow();
    if (choice.type >= 0 && row >= 0) {
        m_pModel->SetText(row, OutgoingSSModel_c::ColOutputFormat, QString::number(choice.format));
        ui->m_pCmbOutgoingChecksumType->setCurrentIndex(choice.type);
        Apply();
        emit savableDataChanged();
        m_pLblFound->setText(QStringLiteral("%1 fits (%2 candidates); select the substrings that make %3.")
                                 .arg(ChecksumFunctionNames().value(choice.type)).arg(search.candidates.size()).arg(where));
    } else {
        m_pLblFound->setText(QStringLiteral("This expression fits (%1 candidates), over %2; a checksum row cannot send it, "
                                            "use it as a local's formula with 'frame' the covered bytes:")
                                 .arg(search.candidates.size()).arg(where));
        m_pEditFormula->setText(QString::fromStdString(best.expression));
        m_pEditFormula->setVisible(true);
    }
    return true;
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
    const EditHistory::Step step(this, tr("Edit Checksum"));
    Apply();
    emit savableDataChanged();
}

void TRVEventOutgoingSSChecksum::SelectionChanged()
{
    if (m_Restoring)
        return;
    const EditHistory::Step step(this, tr("Edit Checksum"));
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
