#include "editors/outgoing/trveventoutgoingss.h"

#include <QApplication>
#include <QClipboard>
#include <QDataWidgetMapper>
#include <QMenu>
#include <QItemSelectionModel>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QStandardItemModel>

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/common/listbuttons.h"
#include "editors/common/viewmodel.h"
#include "editors/functions/functionhelp.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssrows.h"
#include "editors/outgoing/outgoingssstore.h"
#include "editors/params/paramrows.h"
#include "editors/common/prompts.h"
#include "editors/outgoing/textarithmetic.h"
#include "editors/outgoing/trveventoutgoingsschecksum.h"
#include "editors/params/trveventparams.h"
#include "editors/functions/trvinsertfunction.h"
#include "editors/variables/trvvariables.h"
#include "expr/bytenotation.h"
#include "model/productdatamessage.h"
#include "ui_trveventoutgoingss.h"

using SS = OutgoingSSModel_c;

TRVEventOutgoingSS::TRVEventOutgoingSS(QStandardItemModel* variables, QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TRVEventOutgoingSS>()),
      m_pVariables(variables),
      m_pNoParams(new QStandardItemModel(this)),
      m_pMapper(new QDataWidgetMapper(this)),
      m_pChecksum(new TRVEventOutgoingSSChecksum(this)),
      m_pInsertFunction(new TRVInsertFunction(this))
{
    ui->setupUi(this);
    HoldFileText(this);
    DecorateListButtons(ui->m_pListOutgoingSS, QStringLiteral("Substring"), ui->m_pButAddOutgoingSS,
                        ui->m_pButDupOutgoingSS, ui->m_pButDeleteOutgoingSS, ui->m_pButMoveOutgoingSSUp,
                        ui->m_pButMoveOutgoingSSDown);
    m_pMapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    ui->m_pEditSSFormatSpaces->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    ui->m_pCmbSSParam->setModel(m_pNoParams);
    if (m_pVariables) {
        ui->m_pCmbSSVar->setModel(m_pVariables);
        WatchReferenceModel(m_pVariables, m_VarConnections);
        m_VarConnections << connect(m_pVariables, &QStandardItemModel::itemChanged, this,
                                    &TRVEventOutgoingSS::UpdateSSVars);
    }

    connect(ui->m_pEditOutgoingMsgFormat, &QLineEdit::textChanged, this, &TRVEventOutgoingSS::formatChanged);
    connect(ui->m_pEditOutgoingMsgArgs, &QLineEdit::textChanged, this, &TRVEventOutgoingSS::argsChanged);
    connect(ui->m_pChkOutgoingManEdit, &QCheckBox::toggled, this, &TRVEventOutgoingSS::manEditToggled);
    for (QComboBox* combo : {ui->m_pCmbOutgoingSSType, ui->m_pCmbOutgoingSSFormat, ui->m_pCmbSSParam, ui->m_pCmbSSVar})
        connect(combo, &QComboBox::currentIndexChanged, this, &TRVEventOutgoingSS::EmitSavable);
    for (QLineEdit* edit : {ui->m_pEditSSText, ui->m_pEditSSLocal, ui->m_pEditSSFormatSpaces,
                            ui->m_pEditSSParamArithmetic, ui->m_pEditOutgoingMsgFormat, ui->m_pEditOutgoingMsgArgs})
        connect(edit, &QLineEdit::textEdited, this, &TRVEventOutgoingSS::EmitSavable);
    connect(this, &TRVEventOutgoingSS::savableDataChanged, this, &TRVEventOutgoingSS::submit);
    connect(m_pChecksum, &TRVEventOutgoingSSChecksum::savableDataChanged, this,
            &TRVEventOutgoingSS::savableDataChanged);

    // The constant field's menu also pastes bytes copied in any notation.
    ui->m_pEditSSText->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->m_pEditSSText, &QLineEdit::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu(ui->m_pEditSSText->createStandardContextMenu());
        menu->addSeparator();
        QAction* paste = menu->addAction(QStringLiteral("Paste Bytes"));
        paste->setObjectName(QStringLiteral("actionPasteBytes"));
        paste->setToolTip(QStringLiteral("Pastes 02 50 0D, 0x02,0x50, $02$50, <STX>PWR<CR> ... as the bytes they are"));
        connect(paste, &QAction::triggered, this, [this] { PasteBytes(QApplication::clipboard()->text()); });
        menu->exec(ui->m_pEditSSText->mapToGlobal(at));
    });

    ui->m_pWidgetOutgoingFormat->setVisible(ui->m_pChkOutgoingFormatting->isChecked());
    ShowOptions();
}

bool TRVEventOutgoingSS::PasteBytes(const QString& text)
{
    const TypedBytes typed = ReadTypedBytes(text.toStdString());
    if (!typed.ok) {
        Prompts::Current().Critical(this, QStringLiteral("Paste Bytes"),
                                    QStringLiteral("The clipboard holds no bytes: at %1, %2.")
                                        .arg(typed.errorPos)
                                        .arg(QString::fromStdString(typed.error)));
        return false;
    }
    ui->m_pEditSSText->insert(QString::fromStdString(WriteFieldText(typed.bytes)));
    EmitSavable();
    return true;
}

TRVEventOutgoingSS::~TRVEventOutgoingSS() = default;

void TRVEventOutgoingSS::SetModel(OutgoingSSModel_c* model, QStandardItemModel* params)
{
    QScopedValueRollback<bool> populating(m_Populating, true);
    if (m_pChecksum->isVisible())
        m_pChecksum->reject();
    for (const QMetaObject::Connection& connection : m_ModelConnections)
        disconnect(connection);
    m_ModelConnections.clear();

    m_pModel = model;
    if (model)
        model->SetReferenceModels(params, m_pVariables);
    WatchParamModel(params);

    SetViewModel(ui->m_pListOutgoingSS, model);
    // Without a model there is nothing to map.
    m_pMapper->clearMapping();
    m_pMapper->setModel(model);
    if (model) {
        m_pMapper->addMapping(ui->m_pCmbOutgoingSSType, SS::ColSSType, "currentIndex");
        m_pMapper->addMapping(ui->m_pCmbOutgoingSSFormat, SS::ColOutputFormat, "currentIndex");
        m_pMapper->addMapping(ui->m_pEditSSText, SS::ColConstText);
        m_pMapper->addMapping(ui->m_pEditSSLocal, SS::ColLocalName);
        m_pMapper->addMapping(ui->m_pChkParamOptions, SS::ColOptions, "checked");
        m_pMapper->addMapping(ui->m_pChkVarOptions, SS::ColOptions, "checked");
        m_pMapper->addMapping(ui->m_pEditSSFormatSpaces, SS::ColChars);
        m_pMapper->addMapping(ui->m_pEditSSParamArithmetic, SS::ColFormula);
    }
    if (model) {
        m_ModelConnections << connect(model, &QStandardItemModel::itemChanged, this,
                                      &TRVEventOutgoingSS::UpdateSSResult);
        m_ModelConnections << connect(ui->m_pListOutgoingSS->selectionModel(),
                                      &QItemSelectionModel::currentRowChanged, this,
                                      &TRVEventOutgoingSS::on_m_pListOutgoingSS_currentRowChanged);
    }
    on_m_pListOutgoingSS_currentRowChanged(QModelIndex(), QModelIndex());
}

void TRVEventOutgoingSS::WatchParamModel(QStandardItemModel* params)
{
    for (const QMetaObject::Connection& connection : m_ParamConnections)
        disconnect(connection);
    m_ParamConnections.clear();
    m_pParams = params;
    SetComboModel(ui->m_pCmbSSParam, params ? params : m_pNoParams);
    if (!params)
        return;
    WatchReferenceModel(params, m_ParamConnections);
    m_ParamConnections << connect(params, &QStandardItemModel::itemChanged, this,
                                  &TRVEventOutgoingSS::UpdateSSParams);
}

// While rows of a referenced model move, the combo listing it changes its
// current index by itself: that is no choice of the user's.
void TRVEventOutgoingSS::WatchReferenceModel(QStandardItemModel* model, QList<QMetaObject::Connection>& connections)
{
    auto begin = [this] { ++m_RefModelChanging; };
    auto end = [this] {
        --m_RefModelChanging;
        SyncReferenceCombos();
    };
    connections << connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
    connections << connect(model, &QAbstractItemModel::rowsInserted, this, end);
    connections << connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
    connections << connect(model, &QAbstractItemModel::rowsRemoved, this, end);
    connections << connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, begin);
    connections << connect(model, &QAbstractItemModel::rowsMoved, this, end);
    connections << connect(model, &QAbstractItemModel::modelAboutToBeReset, this, begin);
    connections << connect(model, &QAbstractItemModel::modelReset, this, end);
    connections << connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, begin);
    connections << connect(model, &QAbstractItemModel::layoutChanged, this, end);
}

bool TRVEventOutgoingSS::IsManualEdit() const
{
    return ui->m_pChkOutgoingManEdit->isChecked();
}

void TRVEventOutgoingSS::SetManualEdit(bool on)
{
    QScopedValueRollback<bool> populating(m_Populating, true);
    if (on)
        ui->m_pChkOutgoingFormatting->setChecked(true);
    if (ui->m_pChkOutgoingManEdit->isChecked() != on)
        ui->m_pChkOutgoingManEdit->setChecked(on);
    else if (!on)
        UpdateSSResults();
}

void TRVEventOutgoingSS::SetFormat(const QString& format)
{
    if (IsManualEdit())
        ui->m_pEditOutgoingMsgFormat->setText(format);
}

void TRVEventOutgoingSS::SetArgs(const QString& args)
{
    if (IsManualEdit())
        ui->m_pEditOutgoingMsgArgs->setText(args);
}

QString TRVEventOutgoingSS::Format() const
{
    return ui->m_pEditOutgoingMsgFormat->text();
}

QString TRVEventOutgoingSS::Args() const
{
    return ui->m_pEditOutgoingMsgArgs->text();
}

void TRVEventOutgoingSS::Load(OutgoingSSModel_c* model, QStandardItemModel* params, ProductDataMessage_c* message)
{
    if (!model || !message)
        return;
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        model->SetReferenceModels(params, m_pVariables);
        LoadOutgoingSubstrings(*message, *model);
    }
    if (model == m_pModel)
        UpdateSSResults();
}

void TRVEventOutgoingSS::Store(OutgoingSSModel_c* model, ProductDataMessage_c* message)
{
    if (model && message)
        StoreOutgoingSubstrings(*model, *message);
}

void TRVEventOutgoingSS::ClearModel(OutgoingSSModel_c* model)
{
    if (!model)
        return;
    if (model == m_pModel && m_pChecksum->isVisible())
        m_pChecksum->reject();
    QScopedValueRollback<bool> updating(m_Updating, true);
    while (model->rowCount() > 0)
        EditRows::Remove(*model, model->rowCount() - 1);
}

int TRVEventOutgoingSS::CurrentRow() const
{
    const QItemSelectionModel* selection = ui->m_pListOutgoingSS->selectionModel();
    return m_pModel && selection && selection->currentIndex().isValid() ? selection->currentIndex().row() : -1;
}

void TRVEventOutgoingSS::SelectRow(int row)
{
    if (!m_pModel || row < 0 || row >= m_pModel->rowCount())
        return;
    ui->m_pListOutgoingSS->selectionModel()->setCurrentIndex(m_pModel->index(row, 0),
                                                             QItemSelectionModel::ClearAndSelect);
}

void TRVEventOutgoingSS::on_m_pListOutgoingSS_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    QScopedValueRollback<bool> populating(m_Populating, true);
    const bool valid = m_pModel && current.isValid();
    ui->m_pGrpOutgoingSSOptions->setEnabled(valid);
    if (!valid) {
        m_pMapper->revert();
        m_pMapper->setCurrentIndex(-1);
        ui->m_pEditSSFormat->clear();
        return;
    }
    SyncReferenceCombos();
    m_pMapper->setCurrentIndex(current.row());
    ui->m_pEditSSFormat->setText(m_pModel->Text(current.row(), SS::ColFormatPiece));
    on_m_pCmbOutgoingSSType_currentIndexChanged(ui->m_pCmbOutgoingSSType->currentIndex());
}

void TRVEventOutgoingSS::SyncReferenceCombos()
{
    QScopedValueRollback<bool> populating(m_Populating, true);
    const int row = CurrentRow();
    const QStandardItem* param = row >= 0 ? m_pModel->ParamRef(row) : nullptr;
    const QStandardItem* variable = row >= 0 ? m_pModel->VarRef(row) : nullptr;
    ui->m_pCmbSSParam->setCurrentIndex(param ? param->row() : -1);
    ui->m_pCmbSSVar->setCurrentIndex(variable ? variable->row() : -1);
}

void TRVEventOutgoingSS::CleanupParamsAndVars()
{
    if (!m_pModel)
        return;
    bool cleared = false;
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        cleared = CleanupReferences(*m_pModel);
    }
    if (cleared) {
        SyncReferenceCombos();
        UpdateSSResults();
    }
}

void TRVEventOutgoingSS::on_m_pEditSSLocal_textEdited(const QString& text)
{
    const QString cleaned = UnderscoreWhitespace(text);
    if (cleaned == text)
        return;
    const int cursor = ui->m_pEditSSLocal->cursorPosition();
    ui->m_pEditSSLocal->setText(cleaned);
    ui->m_pEditSSLocal->setCursorPosition(cursor);
}

void TRVEventOutgoingSS::UpdateSSParams(QStandardItem* item)
{
    UpdateSSVars(item);
}

void TRVEventOutgoingSS::UpdateSSVars(QStandardItem* item)
{
    if (!m_pModel || !item)
        return;
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        RefreshRowsReferring(*m_pModel, item);
    }
    UpdateSSResults();
    m_pChecksum->Refresh();
}

void TRVEventOutgoingSS::UpdateSSResult(QStandardItem* item)
{
    if (m_Updating || !m_pModel || !item || item->model() != m_pModel.data())
        return;
    {
        QScopedValueRollback<bool> updating(m_Updating, true);
        RefreshRow(*m_pModel, item->row());
    }
    if (item->row() == CurrentRow())
        ui->m_pEditSSFormat->setText(m_pModel->Text(item->row(), SS::ColFormatPiece));
    ui->m_pListOutgoingSS->viewport()->update();
    UpdateSSResults();
    m_pChecksum->Refresh();
}

void TRVEventOutgoingSS::UpdateSSResults()
{
    if (IsManualEdit() || !m_pModel)
        return;
    const OutgoingMessage message = BuildOutgoingMessage(*m_pModel);
    ui->m_pEditOutgoingResult->setText(message.preview.message);
    ui->m_pEditOutgoingStringRep->setText(message.preview.stringRep);
    ui->m_pEditOutgoingHexRep->setText(message.preview.hexRep);
    ui->m_pEditOutgoingMsgFormat->setText(message.format);
    ui->m_pEditOutgoingMsgArgs->setText(message.args);
    ShowHint();
}

void TRVEventOutgoingSS::ShowHint()
{
    const QString hint = m_pModel ? OutgoingTextArithmeticHint(*m_pModel, IsManualEdit(), Args()) : QString();
    ui->m_pLabelOutgoingHint->setText(hint);
    ui->m_pLabelOutgoingHint->setVisible(!hint.isEmpty());
}

void TRVEventOutgoingSS::UpdateSSFormat(int row)
{
    if (m_pModel && row >= 0 && row < m_pModel->rowCount())
        m_pModel->SetText(row, SS::ColFormatPiece, FormatPiece(*m_pModel, row));
}

void TRVEventOutgoingSS::UpdateSSArg(int row)
{
    if (m_pModel && row >= 0 && row < m_pModel->rowCount())
        m_pModel->SetText(row, SS::ColArgPiece, ArgPiece(*m_pModel, row));
}

void TRVEventOutgoingSS::SetSSResults(const QString& expression, int row)
{
    if (!m_pModel || row < 0 || row >= m_pModel->rowCount())
        return;
    const OutgoingPreview preview = PreviewText(expression);
    QScopedValueRollback<bool> updating(m_Updating, true);
    m_pModel->SetText(row, SS::ColResult, preview.message);
    m_pModel->SetText(row, SS::ColStringRep, preview.stringRep);
    m_pModel->SetText(row, SS::ColHexRep, preview.hexRep);
}

void TRVEventOutgoingSS::on_m_pCmbOutgoingSSType_currentIndexChanged(int index)
{
    ui->m_pStkSSType->setCurrentIndex(index >= SS::TypeParameter && index <= SS::TypeChecksum
                                          ? index
                                          : ui->m_pStkSSType->indexOf(ui->m_pPageSSNone));
    const bool constant = index == SS::TypeConstant;
    if (constant)
        ui->m_pCmbOutgoingSSFormat->setCurrentIndex(SS::FormatString);
    ui->m_pCmbOutgoingSSFormat->setEnabled(!constant);
    ShowOptions();
}

void TRVEventOutgoingSS::on_m_pChkParamOptions_toggled(bool checked)
{
    // Both boxes stand for one cell; the mapper writes both back.
    const QSignalBlocker blocker(ui->m_pChkVarOptions);
    ui->m_pChkVarOptions->setChecked(checked);
    ShowOptions();
    EmitSavable();
}

void TRVEventOutgoingSS::on_m_pChkVarOptions_toggled(bool checked)
{
    const QSignalBlocker blocker(ui->m_pChkParamOptions);
    ui->m_pChkParamOptions->setChecked(checked);
    ShowOptions();
    EmitSavable();
}

void TRVEventOutgoingSS::ShowOptions()
{
    const int type = ui->m_pCmbOutgoingSSType->currentIndex();
    const bool local = type == SS::TypeLocal;
    const bool value = type == SS::TypeParameter || type == SS::TypeVariable;
    ui->m_pGrpParamVarOptions->setVisible(local || (value && ui->m_pChkParamOptions->isChecked()));
    ui->m_pLabelSSFormatSpaces->setVisible(!local);
    ui->m_pEditSSFormatSpaces->setVisible(!local);
}

void TRVEventOutgoingSS::on_m_pChkOutgoingFormatting_toggled(bool checked)
{
    ui->m_pWidgetOutgoingFormat->setVisible(checked);
}

void TRVEventOutgoingSS::on_m_pCmbSSParam_currentIndexChanged(int index)
{
    const int row = CurrentRow();
    if (m_Populating || m_RefModelChanging > 0 || row < 0 || !m_pParams)
        return;
    m_pModel->SetParamRef(row, m_pParams->item(index, 0));
}

void TRVEventOutgoingSS::on_m_pCmbSSVar_currentIndexChanged(int index)
{
    const int row = CurrentRow();
    if (m_Populating || m_RefModelChanging > 0 || row < 0 || !m_pVariables)
        return;
    m_pModel->SetVarRef(row, m_pVariables->item(index, 0));
}

void TRVEventOutgoingSS::on_m_pChkOutgoingManEdit_toggled(bool checked)
{
    ui->m_pEditOutgoingMsgFormat->setReadOnly(!checked);
    ui->m_pEditOutgoingMsgArgs->setReadOnly(!checked);
    ui->m_pListOutgoingSS->setEnabled(!checked);
    for (QPushButton* button : {ui->m_pButAddOutgoingSS, ui->m_pButDupOutgoingSS, ui->m_pButDeleteOutgoingSS,
                                ui->m_pButMoveOutgoingSSUp, ui->m_pButMoveOutgoingSSDown, ui->m_pButAddSelectionAsSS})
        button->setEnabled(!checked);
    if (checked) {
        if (QItemSelectionModel* selection = ui->m_pListOutgoingSS->selectionModel()) {
            selection->clearSelection();
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        }
        connect(this, &TRVEventOutgoingSS::formatChanged, this, &TRVEventOutgoingSS::ManEditFormatOrArgsChanged,
                Qt::UniqueConnection);
        connect(this, &TRVEventOutgoingSS::argsChanged, this, &TRVEventOutgoingSS::ManEditFormatOrArgsChanged,
                Qt::UniqueConnection);
        ManEditFormatOrArgsChanged();
    } else {
        disconnect(this, &TRVEventOutgoingSS::formatChanged, this, &TRVEventOutgoingSS::ManEditFormatOrArgsChanged);
        disconnect(this, &TRVEventOutgoingSS::argsChanged, this, &TRVEventOutgoingSS::ManEditFormatOrArgsChanged);
        UpdateSSResults();
    }
    EmitSavable();
}

void TRVEventOutgoingSS::ManEditFormatOrArgsChanged()
{
    const OutgoingPreview preview = PreviewManualMessage(Format(), Args());
    ui->m_pEditOutgoingResult->setText(preview.message);
    ui->m_pEditOutgoingStringRep->setText(preview.stringRep);
    ui->m_pEditOutgoingHexRep->setText(preview.hexRep);
    ShowHint();
}

void TRVEventOutgoingSS::on_m_pButAddEditVar_clicked()
{
    const EditHistory::Step step(this, tr("Add Variable"));
    if (!m_pVariables)
        return;
    TRVVariables window(this, m_AddsSetupVariables, m_pVariables, true);
    connect(&window, &TRVVariables::varDeleted, this, &TRVEventOutgoingSS::CleanupParamsAndVars);
    if (!window.ExecWindow())
        return;
    // The row that asked for a variable and has none takes the new one.
    const int row = CurrentRow();
    if (row >= 0 && m_pModel->Type(row) == SS::TypeVariable && !m_pModel->VarRef(row) && window.WindowVariable()) {
        m_pModel->SetVarRef(row, window.WindowVariable());
        SyncReferenceCombos();
    }
    emit savableDataChanged();
}

void TRVEventOutgoingSS::on_m_pButAddEditParam_clicked()
{
    const EditHistory::Step step(this, tr("Add Parameter"));
    if (!m_pParams)
        return;
    TRVEventParams window(this, true);
    connect(&window, &TRVEventParams::paramDeleted, this, &TRVEventOutgoingSS::CleanupParamsAndVars);
    if (!window.ExecWindow(m_pParams))
        return;
    const int row = CurrentRow();
    const int added = window.CurrentRow();
    if (row >= 0 && added >= 0 && m_pModel->Type(row) == SS::TypeParameter && !m_pModel->ParamRef(row)) {
        m_pModel->SetParamRef(row, m_pParams->item(added, 0));
        SyncReferenceCombos();
    }
    emit savableDataChanged();
}

void TRVEventOutgoingSS::on_m_pButConfigureOutgoingChecksum_clicked()
{
    const int row = CurrentRow();
    if (row >= 0)
        m_pChecksum->ShowForRow(m_pModel, row);
}

void TRVEventOutgoingSS::on_m_pEditSSParamArithmetic_cursorPositionChanged(int, int newPosition)
{
    m_FormulaCursor = newPosition;
}

void TRVEventOutgoingSS::on_m_pButInsertFunction_clicked()
{
    const EditHistory::Step step(this, tr("Insert Function"));
    const QString templ = m_pInsertFunction->Run();
    if (!templ.isEmpty())
        InsertFunctionTemplate(ui->m_pEditSSParamArithmetic, m_FormulaCursor, templ);
}

void TRVEventOutgoingSS::EmitSavable()
{
    if (!m_Populating)
        emit savableDataChanged();
}

void TRVEventOutgoingSS::submit()
{
    if (!m_pModel || CurrentRow() < 0)
        return;
    // Writing back must not move the cursor of the field being typed in.
    auto* edit = qobject_cast<QLineEdit*>(focusWidget());
    const int cursor = edit ? edit->cursorPosition() : 0;
    m_pMapper->submit();
    if (edit)
        edit->setCursorPosition(cursor);
}
