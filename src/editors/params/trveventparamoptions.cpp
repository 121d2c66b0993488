#include "editors/params/trveventparamoptions.h"

#include "ui_trveventparamoptions.h"

#include <QDataWidgetMapper>
#include <QStandardItemModel>

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/common/listbuttons.h"
#include "editors/common/viewmodel.h"
#include "editors/params/paramrows.h"

TRVEventParamOptions::TRVEventParamOptions(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TRVEventParamOptions>()), m_pMapper(new QDataWidgetMapper(this))
{
    ui->setupUi(this);
    HoldFileText(this);
    DecorateListButtons(ui->m_pListOptions, QStringLiteral("Option"), ui->m_pButAddOption, ui->m_pButDupOption,
                        ui->m_pButDeleteOption, nullptr, nullptr);
    for (QLineEdit* edit : {ui->m_pEditOptionMatch, ui->m_pEditOptionReplace})
        connect(edit, &QLineEdit::textEdited, this, &TRVEventParamOptions::savableDataChanged);
    connect(this, &TRVEventParamOptions::savableDataChanged, this, &TRVEventParamOptions::submit);
    ui->m_pGrpOptionInfo->setEnabled(false);
}

TRVEventParamOptions::~TRVEventParamOptions() = default;

void TRVEventParamOptions::SetModel(QStandardItemModel* options)
{
    m_pModel = options;
    m_pMapper->clearMapping();
    SetViewModel(ui->m_pListOptions, options);
    if (options) {
        m_pMapper->setModel(options);
        m_pMapper->addMapping(ui->m_pEditOptionMatch, OptionColMatch);
        m_pMapper->addMapping(ui->m_pEditOptionReplace, OptionColReplace);
        ui->m_pListOptions->setModelColumn(OptionColMatch);
        // Every new model brings a new selection model; the same model again keeps it.
        connect(ui->m_pListOptions->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TRVEventParamOptions::on_m_pListOptions_currentRowChanged, Qt::UniqueConnection);
        ui->m_pListOptions->selectionModel()->clear();
    }
    if (options && options->rowCount() > 0)
        MakeCurrent(0);
    else
        on_m_pListOptions_currentRowChanged(QModelIndex(), QModelIndex());
}

int TRVEventParamOptions::CurrentRow() const
{
    const QModelIndex current = m_pModel ? ui->m_pListOptions->currentIndex() : QModelIndex();
    return current.isValid() ? current.row() : -1;
}

void TRVEventParamOptions::MakeCurrent(int row)
{
    ui->m_pListOptions->setCurrentIndex(m_pModel->index(row, OptionColMatch));
}

void TRVEventParamOptions::on_m_pButAddOption_clicked()
{
    const EditHistory::Step step(this, tr("Add Option"));
    if (!m_pModel)
        return;
    EditRows::Append(*m_pModel, {new EditItem(QStringLiteral("Option%1").arg(m_pModel->rowCount() + 1)),
                                 new EditItem()});
    MakeCurrent(m_pModel->rowCount() - 1);
    emit savableDataChanged();
}

void TRVEventParamOptions::on_m_pButDupOption_clicked()
{
    const EditHistory::Step step(this, tr("Duplicate Option"));
    const int row = CurrentRow();
    if (row < 0)
        return;
    QList<QStandardItem*> copy;
    for (int column = 0; column < OptionColumnCount; ++column) {
        const QStandardItem* item = m_pModel->item(row, column);
        copy << new EditItem(item ? item->text() : QString());
    }
    EditRows::Append(*m_pModel, copy);
    MakeCurrent(m_pModel->rowCount() - 1);
    emit savableDataChanged();
}

void TRVEventParamOptions::on_m_pButDeleteOption_clicked()
{
    const EditHistory::Step step(this, tr("Delete Option"));
    const int row = CurrentRow();
    if (row < 0)
        return;
    EditRows::Remove(*m_pModel, row);
    emit savableDataChanged();
}

void TRVEventParamOptions::on_m_pListOptions_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    if (current.isValid()) {
        m_pMapper->setCurrentModelIndex(current);
        ui->m_pGrpOptionInfo->setEnabled(true);
        return;
    }
    m_pMapper->setCurrentModelIndex(QModelIndex());
    ui->m_pEditOptionMatch->clear();
    ui->m_pEditOptionReplace->clear();
    ui->m_pGrpOptionInfo->setEnabled(false);
}

void TRVEventParamOptions::submit()
{
    // Writing back repopulates the fields; keep the cursor where the user types.
    auto* edit = qobject_cast<QLineEdit*>(focusWidget());
    const int cursor = edit ? edit->cursorPosition() : 0;
    m_pMapper->submit();
    if (edit)
        edit->setCursorPosition(cursor);
}
