#include "editors/params/trveventparams.h"

#include "ui_trveventparams.h"

#include <QApplication>
#include <QDataWidgetMapper>
#include <QEventLoop>
#include <QHideEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/common/listbuttons.h"
#include "editors/common/viewmodel.h"
#include "editors/params/trveventparamoptions.h"
#include "model/productdatacommand.h"

namespace {

// What the example and the limits accept for a type (ParamType).
NumberInput ParamNumberInput(int paramType)
{
    switch (paramType) {
    case ParamTypeInteger: return NumberInput::Integer;
    case ParamTypeDecimal: return NumberInput::Decimal;
    default: return NumberInput::Any;
    }
}

} // namespace

TRVEventParams::TRVEventParams(QWidget* parent, bool windowForm)
    : QWidget(parent),
      ui(std::make_unique<Ui::TRVEventParams>()),
      m_WindowForm(windowForm),
      m_pMapper(new QDataWidgetMapper(this)),
      m_pOptions(new TRVEventParamOptions(this))
{
    ui->setupUi(this);
    HoldFileText(this);
    DecorateListButtons(ui->m_pListParams, QStringLiteral("Parameter"), ui->m_pButAddParam, ui->m_pButDupParam,
                        ui->m_pButDeleteParam, ui->m_pButMoveParamUp, ui->m_pButMoveParamDown);
    if (m_WindowForm) {
        setWindowFlags(Qt::Window);
        setWindowModality(Qt::ApplicationModal);
        ui->m_pLayoutParamsWindow->setContentsMargins(9, 9, 9, 9);
        connect(ui->m_pButtonBox, &QDialogButtonBox::accepted, this, &TRVEventParams::WindowAccepted);
        connect(ui->m_pButtonBox, &QDialogButtonBox::rejected, this, &TRVEventParams::WindowRejected);
    } else {
        delete ui->m_pButtonBox;
        ui->m_pButtonBox = nullptr;
    }

    for (QLineEdit* edit : {ui->m_pEditParamDescription, ui->m_pEditParamExampleValue, ui->m_pEditParamMinValue,
                            ui->m_pEditParamMaxValue, ui->m_pEditParamRegex})
        connect(edit, &QLineEdit::textEdited, this, &TRVEventParams::savableDataChanged);
    connect(m_pOptions, &TRVEventParamOptions::savableDataChanged, this, &TRVEventParams::savableDataChanged);
    connect(this, &TRVEventParams::savableDataChanged, this, &TRVEventParams::submit);
    SetModel(nullptr);
}

TRVEventParams::~TRVEventParams() = default;

void TRVEventParams::SetModel(QStandardItemModel* params)
{
    m_pModel = params;
    m_pMapper->clearMapping();
    SetViewModel(ui->m_pListParams, params);
    if (params) {
        m_pMapper->setModel(params);
        m_pMapper->addMapping(ui->m_pEditParamName, ParamColName);
        m_pMapper->addMapping(ui->m_pCmbParamType, ParamColType, "currentIndex");
        m_pMapper->addMapping(ui->m_pEditParamDescription, ParamColDescription);
        m_pMapper->addMapping(ui->m_pEditParamExampleValue, ParamColExample);
        m_pMapper->addMapping(ui->m_pEditParamMinValue, ParamColMin);
        m_pMapper->addMapping(ui->m_pEditParamMaxValue, ParamColMax);
        m_pMapper->addMapping(ui->m_pEditParamRegex, ParamColRegexp);
        ui->m_pListParams->setModelColumn(ParamColName);
        // Every new model brings a new selection model; the same model again keeps it.
        connect(ui->m_pListParams->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TRVEventParams::on_m_p_ListParams_currentRowChanged, Qt::UniqueConnection);
        ui->m_pListParams->selectionModel()->clear();
    }
    on_m_p_ListParams_currentRowChanged(QModelIndex(), QModelIndex());
}

int TRVEventParams::CurrentRow() const
{
    const QModelIndex current = m_pModel ? ui->m_pListParams->currentIndex() : QModelIndex();
    return current.isValid() ? current.row() : -1;
}

void TRVEventParams::MakeCurrent(int row)
{
    const QModelIndex index = m_pModel->index(row, ParamColName);
    ui->m_pListParams->setCurrentIndex(index);
    // Also when the row was current already, e.g. after a move.
    on_m_p_ListParams_currentRowChanged(index, QModelIndex());
}

void TRVEventParams::SelectParameter(QStandardItem* nameItem)
{
    if (m_pModel && nameItem && nameItem->model() == m_pModel && nameItem->column() == ParamColName)
        MakeCurrent(nameItem->row());
}

int TRVEventParams::AddParameter()
{
    if (!m_pModel)
        return -1;
    const int row = AppendNewParamRow(m_pModel);
    MakeCurrent(row);
    emit savableDataChanged();
    return row;
}

QString TRVEventParams::CurrentName() const
{
    const int row = CurrentRow();
    return row >= 0 ? m_pModel->index(row, 0).data().toString() : QString();
}

void TRVEventParams::RemoveRow(QStandardItemModel* params, int row)
{
    if (!RemoveParamRow(params, row))
        return;
    emit paramDeleted();
    emit savableDataChanged();
}

void TRVEventParams::EmptyModel(QStandardItemModel* params)
{
    while (params && params->rowCount() > 0)
        RemoveRow(params, params->rowCount() - 1);
}

void TRVEventParams::Load(QStandardItemModel* params, ProductDataCommand_c* command)
{
    if (command)
        LoadParamRows(command->Params(), params);
}

void TRVEventParams::Store(const QStandardItemModel* params, ProductDataCommand_c* command)
{
    if (command)
        StoreParamRows(params, command->Params());
}

void TRVEventParams::on_m_pEditParamName_textEdited(const QString& text)
{
    const QString name = UnderscoreWhitespace(text);
    if (name != text) {
        QLineEdit* edit = ui->m_pEditParamName;
        const int cursor = edit->cursorPosition();
        edit->setText(name);
        edit->setCursorPosition(cursor);
    }
    emit savableDataChanged();
}

void TRVEventParams::on_m_pButAddParam_clicked()
{
    const EditHistory::Step step(this, tr("Add Parameter"));
    AddParameter();
}

void TRVEventParams::on_m_pButDupParam_clicked()
{
    const EditHistory::Step step(this, tr("Duplicate Parameter '%1'").arg(CurrentName()));
    const int copy = DuplicateParamRow(m_pModel, CurrentRow());
    if (copy < 0)
        return;
    MakeCurrent(copy);
    emit savableDataChanged();
}

void TRVEventParams::on_m_pButDeleteParam_clicked()
{
    const EditHistory::Step step(this, tr("Delete Parameter '%1'").arg(CurrentName()));
    const int row = CurrentRow();
    if (row < 0)
        return;
    emit deleting(m_pModel->item(row, 0));
    RemoveRow(m_pModel, row);
}

void TRVEventParams::MoveCurrent(int offset)
{
    const EditHistory::Step step(this, offset < 0 ? tr("Move Parameter '%1' Up").arg(CurrentName()) : tr("Move Parameter '%1' Down").arg(CurrentName()));
    const int target = MoveModelRow(m_pModel, CurrentRow(), offset);
    if (target < 0)
        return;
    MakeCurrent(target);
    emit savableDataChanged();
}

void TRVEventParams::on_m_pButMoveParamUp_clicked()
{
    MoveCurrent(-1);
}

void TRVEventParams::on_m_pButMoveParamDown_clicked()
{
    MoveCurrent(+1);
}

void TRVEventParams::on_m_p_ListParams_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    ui->m_pGrpParamInfo->setEnabled(current.isValid());
    if (current.isValid()) {
        m_pMapper->setCurrentIndex(current.row());
        ShowTypePage(ui->m_pCmbParamType->currentIndex());
        return;
    }
    m_pMapper->setCurrentModelIndex(QModelIndex());
    for (QLineEdit* edit : {ui->m_pEditParamName, ui->m_pEditParamDescription, ui->m_pEditParamExampleValue,
                            ui->m_pEditParamMinValue, ui->m_pEditParamMaxValue, ui->m_pEditParamRegex})
        edit->clear();
    // Showing no type is not a type change of any parameter.
    const QSignalBlocker blocker(ui->m_pCmbParamType);
    ui->m_pCmbParamType->setCurrentIndex(-1);
    ShowTypePage(-1);
}

void TRVEventParams::on_m_pCmbParamType_currentIndexChanged(int index)
{
    const int row = CurrentRow();
    // Selecting a row sets the combo to the row's own type: its example stays.
    if (row >= 0 && ParamRowFields(m_pModel, row).type == index)
        return;
    ui->m_pEditParamExampleValue->setText(ParamTypeExample(index));
    ShowTypePage(index);
    if (row < 0)
        return;
    emit savableDataChanged();
    // The proposed example is selected, so that typing replaces it.
    ui->m_pEditParamExampleValue->setFocus(Qt::OtherFocusReason);
    ui->m_pEditParamExampleValue->selectAll();
}

void TRVEventParams::ShowTypePage(int type)
{
    ui->m_pEditParamExampleValue->setPlaceholderText(ParamTypeExample(type));
    SetNumberInput(ui->m_pEditParamExampleValue, ParamNumberInput(type));
    // Limits are stored as whole numbers, a decimal's too.
    const NumberInput limits = ParamNumberInput(type) == NumberInput::Any ? NumberInput::Any : NumberInput::Integer;
    SetNumberInput(ui->m_pEditParamMinValue, limits);
    SetNumberInput(ui->m_pEditParamMaxValue, limits);
    if (auto* page = ui->m_pStkParamExtraOptions->findChild<QWidget*>(ParamTypePageName(type)))
        ui->m_pStkParamExtraOptions->setCurrentWidget(page);
}

void TRVEventParams::on_m_pButParamOptions_clicked()
{
    const int row = CurrentRow();
    QStandardItemModel* options = EnsureParamOptionModel(m_pModel, row);
    if (!options)
        return;
    // Whatever the window changes is one step.
    const EditHistory::Step step(this, tr("Edit Options of '%1'").arg(CurrentName()));
    m_pOptions->SetModel(options);
    m_pOptions->exec();
    m_pOptions->SetModel(nullptr);
}

void TRVEventParams::submit()
{
    // Writing back repopulates the fields; keep the cursor where the user types.
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const int cursor = edit ? edit->cursorPosition() : 0;
    m_pMapper->submit();
    if (edit)
        edit->setCursorPosition(cursor);
}

bool TRVEventParams::ExecWindow(QStandardItemModel* params)
{
    SetModel(params);
    const int added = m_WindowForm ? AddParameter() : -1;
    if (added < 0)
        return false;
    m_WindowParam = QPersistentModelIndex(params->index(added, ParamColName));
    m_WindowAccepted = false;
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_pWindowLoop = &loop;
    if (isVisible())
        loop.exec();
    m_pWindowLoop = nullptr;
    return m_WindowAccepted;
}

void TRVEventParams::WindowAccepted()
{
    m_WindowAccepted = true;
    hide();
}

void TRVEventParams::WindowRejected()
{
    // Only the parameter this window added goes; one deleted meanwhile is gone already.
    if (m_WindowParam.isValid())
        RemoveRow(m_pModel, m_WindowParam.row());
    m_WindowParam = QPersistentModelIndex();
    m_WindowAccepted = false;
    hide();
}

void TRVEventParams::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_pWindowLoop && !event->spontaneous())
        m_pWindowLoop->quit();
}

void TRVEventParams::closeEvent(QCloseEvent* event)
{
    // Closing the window is Cancel, as in a dialog.
    if (m_WindowForm && isVisible())
        WindowRejected();
    QWidget::closeEvent(event);
}

void TRVEventParams::keyPressEvent(QKeyEvent* event)
{
    if (m_WindowForm && event->key() == Qt::Key_Escape) {
        WindowRejected();
        return;
    }
    QWidget::keyPressEvent(event);
}
