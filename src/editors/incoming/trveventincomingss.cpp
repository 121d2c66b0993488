#include "editors/incoming/trveventincomingss.h"

#include "ui_trveventincomingss.h"

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/common/listbuttons.h"
#include "editors/common/viewmodel.h"
#include "editors/functions/functionhelp.h"
#include "editors/incoming/incomingssexample.h"
#include "editors/incoming/incomingssstore.h"
#include "editors/common/prompts.h"
#include "editors/functions/trvinsertfunction.h"
#include "editors/variables/trvvariables.h"

#include <QApplication>
#include <QDataWidgetMapper>
#include <QHeaderView>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStandardItemModel>

namespace SS = IncomingSS;

namespace {

// The match status in green or red, lighter ones on a dark desktop so they
// stay legible there.
QString MatchText(bool match, const QPalette& palette)
{
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    const char* color = match ? (dark ? "#6fdc6f" : "green") : (dark ? "#ff7b7b" : "red");
    return QStringLiteral("<font color='%1'>%2</font>")
        .arg(QLatin1String(color), match ? QStringLiteral("A Match!") : QStringLiteral("Not a Match!"));
}
const QString kChecking = QStringLiteral("<font color='gray'>Checking...</font>");
const QString kNotChecked = QStringLiteral("<font color='gray'>Not checked: too costly to check</font>");

// The types offered by the "Add Substring" box, in button order.
const QStringList& AddButtons()
{
    static const QStringList buttons = {QStringLiteral("Constant"), QStringLiteral("Wildcard"),
                                        QStringLiteral("Variable"), QStringLiteral("Local"), QStringLiteral("Cancel")};
    return buttons;
}

} // namespace

TRVEventIncomingSS::TRVEventIncomingSS(QStandardItemModel* variables, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TRVEventIncomingSS>()), m_pVariables(variables),
      m_pMapper(new QDataWidgetMapper(this)), m_pInsertFunction(new TRVInsertFunction(this))
{
    ui->setupUi(this);
    HoldFileText(this);
    m_pExample = new IncomingExampleWindow(ui->m_pEditExampleIncomingReponse, ui->m_pEditExampleIncomingPart,
                                           ui->m_pLabelExampleIncoming, this);
    connect(ui->m_pEditExampleIncomingPart, &QLineEdit::selectionChanged, this,
            &TRVEventIncomingSS::on_m_pEditExampleIncomingReponse_selectionChanged);
    DecorateListButtons(ui->m_pListIncomingSS, QStringLiteral("Substring"), ui->m_pButAddIncomingSS,
                        ui->m_pButDupIncomingSS, ui->m_pButDeleteIncomingSS, ui->m_pButMoveIncomingSSUp,
                        ui->m_pButMoveIncomingSSDown);
    m_pMapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);

    // The limits go into the pattern as typed: only digits keep it one
    // repetition.
    const auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    ui->m_pEditSSMinChar->setValidator(digits);
    ui->m_pEditSSMaxChar->setValidator(digits);

    QHeaderView* header = ui->m_pListIncomingSS->horizontalHeader();
    header->setSectionsClickable(true);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setDefaultSectionSize(80);

    if (m_pVariables) {
        ui->m_pCmbSSVars->setModel(m_pVariables);
        ui->m_pCmbSSVars->setModelColumn(0);
        // While the model moves rows the combo follows its item; that is no choice.
        for (auto before : {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved})
            connect(m_pVariables, before, this, [this] { ++m_VariablesChanging; });
        for (auto after : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            connect(m_pVariables, after, this, [this] { --m_VariablesChanging; });
        connect(m_pVariables, &QAbstractItemModel::rowsAboutToBeMoved, this, [this] { ++m_VariablesChanging; });
        connect(m_pVariables, &QAbstractItemModel::rowsMoved, this, [this] { --m_VariablesChanging; });
        connect(m_pVariables, &QAbstractItemModel::modelAboutToBeReset, this, [this] { ++m_VariablesChanging; });
        connect(m_pVariables, &QAbstractItemModel::modelReset, this, [this] { --m_VariablesChanging; });
    }
    ui->m_pCmbSSVars->setCurrentIndex(-1);

    connect(ui->m_pEditIncomingMsgFormat, &QLineEdit::textChanged, this, &TRVEventIncomingSS::formatChanged);
    connect(this, &TRVEventIncomingSS::formatChanged, this, &TRVEventIncomingSS::savableDataChanged);
    connect(ui->m_pEditExampleIncomingReponse, &QLineEdit::textChanged, this, &TRVEventIncomingSS::exampleChanged);
    for (QLineEdit* edit : {ui->m_pEditIncomingSSText, ui->m_pEditSSMinChar, ui->m_pEditSSMaxChar, ui->m_pEditSSLocal,
                            ui->m_pEditSSVarArithmetic, ui->m_pEditIncomingMsgFormat,
                            ui->m_pEditExampleIncomingReponse})
        connect(edit, &QLineEdit::textEdited, this, &TRVEventIncomingSS::EmitSavable);
    for (QComboBox* combo : {ui->m_pCmbIncomingSSType, ui->m_pCmbSSCharType, ui->m_pCmbSSVars})
        connect(combo, &QComboBox::currentIndexChanged, this, &TRVEventIncomingSS::EmitSavable);
    for (QCheckBox* check : {ui->m_pChkVarOptions, ui->m_pChkIncomingManEdit})
        connect(check, &QCheckBox::toggled, this, &TRVEventIncomingSS::EmitSavable);
    connect(this, &TRVEventIncomingSS::savableDataChanged, this, &TRVEventIncomingSS::submit);
    connect(&m_Runner, &IncomingMatchRunner::finished, this,
            [this](quint64, const SS::MatchOutcome& outcome) { ShowMatch(outcome); });
    connect(&m_Runner, &IncomingMatchRunner::abandoned, this,
            [this](quint64, const SS::MatchOutcome& outcome) { ShowMatch(outcome); });
    connect(ui->m_pChkIncomingManEdit, &QCheckBox::toggled, this, &TRVEventIncomingSS::manEditToggled);

    on_m_pCmbIncomingSSType_currentIndexChanged(-1);
    ui->m_frameSSOptions->hide();
}

TRVEventIncomingSS::~TRVEventIncomingSS()
{
    WatchModel(false);
}

QStandardItemModel* TRVEventIncomingSS::NewModel(QObject* parent)
{
    QStandardItemModel* model = NewEditModel(SS::ColumnCount, parent);
    model->setHorizontalHeaderLabels(SS::Headers());
    return model;
}

void TRVEventIncomingSS::SetModel(QStandardItemModel* model, const QString& example)
{
    // A match of the model shown before must not write into the next one.
    m_Runner.Cancel();
    WatchModel(false);
    m_Populating = true;
    if (QItemSelectionModel* selection = ui->m_pListIncomingSS->selectionModel())
        selection->clearCurrentIndex();
    m_pModel = model;
    CleanupVars();
    SetViewModel(ui->m_pListIncomingSS, model);
    if (model) {
        if (model->columnCount() < SS::ColumnCount)
            model->setColumnCount(SS::ColumnCount);
        model->setHorizontalHeaderLabels(SS::Headers());
        for (int column = SS::ColOperation; column <= SS::ColOperationOn; ++column)
            ui->m_pListIncomingSS->setColumnHidden(column, true);
        // Wide enough for the headers; a long capture must not size a column.
        QFont headerFont = ui->m_pListIncomingSS->horizontalHeader()->font();
        headerFont.setBold(true);  // as most styles draw header sections
        const QFontMetrics metrics(headerFont);
        for (int column : {SS::ColCaptured, SS::ColPattern, SS::ColVariable})
            ui->m_pListIncomingSS->setColumnWidth(
                column,
                std::max(metrics.horizontalAdvance(model->headerData(column, Qt::Horizontal).toString()) + 16, 80));
        connect(ui->m_pListIncomingSS->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TRVEventIncomingSS::on_m_pListIncomingSS_currentRowChanged);
    }
    // A new model clears the mapper's fields; without one there is nothing to map.
    m_pMapper->clearMapping();
    m_pMapper->setModel(model);
    if (model) {
        m_pMapper->addMapping(ui->m_pCmbIncomingSSType, SS::ColType, "currentIndex");
        m_pMapper->addMapping(ui->m_pEditIncomingSSText, SS::ColConstant);
        m_pMapper->addMapping(ui->m_pEditSSMinChar, SS::ColMinimum);
        m_pMapper->addMapping(ui->m_pEditSSMaxChar, SS::ColMaximum);
        m_pMapper->addMapping(ui->m_pCmbSSCharType, SS::ColCharTypes, "currentIndex");
        m_pMapper->addMapping(ui->m_pEditSSVarArithmetic, SS::ColOperation);
        m_pMapper->addMapping(ui->m_pChkVarOptions, SS::ColOperationOn, "checked");
        m_pMapper->addMapping(ui->m_pEditVarArithResult, SS::ColResult);
    }
    m_pExample->SetText(example);
    m_Populating = false;
    on_m_pListIncomingSS_currentRowChanged(QModelIndex(), QModelIndex());
    if (model && !IsManualEdit())
        Refresh(SS::AllRows);
    WatchModel(true);
}

void TRVEventIncomingSS::SetManual(bool on, const QString& expression)
{
    ui->m_pChkIncomingManEdit->setChecked(on);
    if (on)
        ui->m_pEditIncomingMsgFormat->setText(expression);
    submit();
}

bool TRVEventIncomingSS::IsManualEdit() const
{
    return ui->m_pChkIncomingManEdit->isChecked();
}

QString TRVEventIncomingSS::Format() const
{
    return ui->m_pEditIncomingMsgFormat->text();
}

QString TRVEventIncomingSS::Example() const
{
    return ui->m_pEditExampleIncomingReponse->text();
}

QString TRVEventIncomingSS::MatchStatus() const
{
    return ui->m_pLabelRegexMatch->text();
}

bool TRVEventIncomingSS::WaitForMatch(int ms)
{
    return m_Runner.Wait(ms);
}

QString TRVEventIncomingSS::Load(QStandardItemModel* model, ProductDataMessage_c* message)
{
    if (!model || !message)
        return {};
    const bool attached = model == m_pModel;
    if (attached)
        WatchModel(false);
    const QString example = LoadIncomingSubstrings(*message, *model, m_pVariables);
    if (attached) {
        m_Populating = true;
        m_pExample->SetText(example);
        m_Populating = false;
        UpdateResponseFormat();
        WatchModel(true);
    }
    return example;
}

void TRVEventIncomingSS::Store(QStandardItemModel* model, ProductDataMessage_c* message)
{
    if (model && message)
        StoreIncomingSubstrings(*model, m_pVariables, *message);
}

void TRVEventIncomingSS::EmptyModel(QStandardItemModel* model)
{
    if (!model)
        return;
    while (model->rowCount() > 0)
        EditRows::Remove(*model, model->rowCount() - 1);
    if (model == m_pModel)
        Refresh(-1);
}

int TRVEventIncomingSS::CurrentRow() const
{
    const QItemSelectionModel* selection = ui->m_pListIncomingSS->selectionModel();
    return m_pModel && selection && selection->currentIndex().isValid() ? selection->currentIndex().row() : -1;
}

void TRVEventIncomingSS::SelectRow(int row)
{
    if (!m_pModel)
        return;
    if (row < 0 || row >= m_pModel->rowCount())
        ui->m_pListIncomingSS->selectionModel()->clearCurrentIndex();
    else
        ui->m_pListIncomingSS->setCurrentIndex(m_pModel->index(row, SS::ColCaptured));
}

void TRVEventIncomingSS::on_m_pListIncomingSS_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    if (!m_pModel || !current.isValid()) {
        ui->m_frameSSOptions->hide();
        return;
    }
    m_Populating = true;
    {
        // The type's handler swaps a field's mapping, which must not happen
        // while the mapper walks its fields; it runs once they are filled.
        const QSignalBlocker blocker(ui->m_pCmbIncomingSSType);
        m_pMapper->setCurrentIndex(current.row());
    }
    ui->m_frameSSOptions->show();
    m_Populating = false;
    on_m_pCmbIncomingSSType_currentIndexChanged(SS::RowType(*m_pModel, current.row()));
}

void TRVEventIncomingSS::CleanupVars()
{
    if (!m_pModel)
        return;
    IncomingSS::CleanupVars(*m_pModel, m_pVariables);
    ShowLinkedVariable();
}

void TRVEventIncomingSS::on_m_pEditSSLocal_textEdited(const QString& text)
{
    static const QRegularExpression space(QStringLiteral("\\s"));
    QString name = text;
    name.replace(space, QStringLiteral("_"));
    if (name != text) {
        const int cursor = ui->m_pEditSSLocal->cursorPosition();
        ui->m_pEditSSLocal->setText(name);
        ui->m_pEditSSLocal->setCursorPosition(cursor);
    }
}

void TRVEventIncomingSS::UpdateResponseFormat(QStandardItem* item)
{
    if (!m_pModel || IsManualEdit())
        return;
    const int row = item ? item->row() : -1;
    if (m_Submitting) {
        // One rebuild once the mapper has written all its fields.
        m_PendingRow = (m_PendingRow == -1 || m_PendingRow == row) ? row : SS::AllRows;
        return;
    }
    Refresh(row);
}

void TRVEventIncomingSS::Refresh(int changedRow)
{
    if (!m_pModel || IsManualEdit())
        return;
    const bool watching = bool(m_ItemChanged);
    WatchModel(false);
    const SS::MatchJob job = SS::PrepareResponse(*m_pModel, ui->m_pEditExampleIncomingReponse->text(), changedRow);
    ui->m_pEditIncomingMsgFormat->setText(job.format);
    if (watching)
        WatchModel(true);
    StartMatch(job);
}

void TRVEventIncomingSS::StartMatch(const SS::MatchJob& job)
{
    m_Job = job;
    m_Runner.Start(job);
    // A quick match shows with the keystroke that caused it; a slow one
    // shows when it ends, and typing goes on meanwhile.
    if (!m_Runner.Wait(IncomingMatchRunner::Patience())) {
        ui->m_pLabelRegexMatch->setText(kChecking);
        ui->m_pLabelRegexMatch->setToolTip(QString());
    }
}

void TRVEventIncomingSS::ShowMatch(const SS::MatchOutcome& outcome)
{
    if (!m_pModel && m_Job.capture)
        return;
    SS::ResponseState state;
    if (m_Job.capture) {
        const bool watching = bool(m_ItemChanged);
        WatchModel(false);
        state = SS::ApplyMatch(*m_pModel, m_pVariables, m_Job, outcome);
        if (watching)
            WatchModel(true);
    } else {
        state.match = outcome.match;
        state.checked = outcome.checked;
    }
    ShowStatus(state);
}

void TRVEventIncomingSS::UpdateSSFormat(int row)
{
    if (m_pModel)
        SS::UpdateRowPattern(*m_pModel, row);
}

void TRVEventIncomingSS::on_m_pEditExampleIncomingReponse_textChanged(const QString&)
{
    if (m_Populating)
        return;
    // A typed expression is checked against the new example as well.
    if (IsManualEdit())
        UpdateMatchStatus();
    else
        UpdateResponseFormat();
}

void TRVEventIncomingSS::on_m_pEditExampleIncomingReponse_selectionChanged()
{
    const QLineEdit* field = m_pExample->Shown();
    if (!field->hasFocus())
        return;
    m_ExampleSelection = field->selectedText();
    ui->m_pButAddSelectionAsSS->setToolTip(QStringLiteral("Add \"") + m_ExampleSelection +
                                           QStringLiteral("\" as Substring"));
}

void TRVEventIncomingSS::on_m_pButAddSelectionAsSS_clicked()
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
    const int type = Prompts::Current().Choice(
        this, QStringLiteral("Add Substring"),
        QStringLiteral("What type of substring is \"") + m_ExampleSelection + QStringLiteral("\"?"), AddButtons());
    if (type >= SS::TypeConstant && type <= SS::TypeLocal)
        AppendRow(type, &m_ExampleSelection);
}

void TRVEventIncomingSS::on_m_pButAddIncomingSS_clicked()
{
    const EditHistory::Step step(this, tr("Add Substring"));
    if (!m_pModel)
        return;
    const int type = Prompts::Current().Choice(this, QStringLiteral("Add Substring"),
                                               QStringLiteral("What type of substring is this?"), AddButtons());
    if (type >= SS::TypeConstant && type <= SS::TypeLocal)
        AppendRow(type, nullptr);
}

void TRVEventIncomingSS::AppendRow(int type, const QString* selection)
{
    const int row = m_pModel->rowCount();
    EditRows::Append(*m_pModel, selection ? SS::NewSelectionRow(row, type, *selection) : SS::NewRow(row, type));
    AfterRowsChanged(row);
}

void TRVEventIncomingSS::AfterRowsChanged(int current)
{
    SelectRow(current);
    // Rows added or moved change the expression without changing an item.
    Refresh(current >= 0 ? current : -1);
    EmitSavable();
}

void TRVEventIncomingSS::on_m_pButDupIncomingSS_clicked()
{
    const EditHistory::Step step(this, tr("Duplicate Substring"));
    const int row = CurrentRow();
    if (row < 0)
        return;
    EditRows::Append(*m_pModel, SS::CopyRow(*m_pModel, row));
    AfterRowsChanged(m_pModel->rowCount() - 1);
}

void TRVEventIncomingSS::on_m_pButDeleteIncomingSS_clicked()
{
    const EditHistory::Step step(this, tr("Delete Substring"));
    const int row = CurrentRow();
    if (row < 0)
        return;
    EditRows::Remove(*m_pModel, row);
    AfterRowsChanged(CurrentRow());
}

void TRVEventIncomingSS::MoveCurrent(int step)
{
    const EditHistory::Step named(this, step < 0 ? tr("Move Substring Up") : tr("Move Substring Down"));
    const int row = CurrentRow();
    if (row < 0 || row + step < 0 || row + step >= m_pModel->rowCount())
        return;
    EditRows::Move(*m_pModel, row, row + step);
    AfterRowsChanged(row + step);
}

void TRVEventIncomingSS::on_m_pButMoveIncomingSSUp_clicked()
{
    MoveCurrent(-1);
}

void TRVEventIncomingSS::on_m_pButMoveIncomingSSDown_clicked()
{
    MoveCurrent(1);
}

void TRVEventIncomingSS::on_m_pCmbIncomingSSType_currentIndexChanged(int index)
{
    ui->m_groupBoxConstant->setVisible(index == SS::TypeConstant);
    ui->m_groupBoxWildcard->setVisible(index >= SS::TypeWildcard && index <= SS::TypeLocal);
    ui->m_groupBoxVariable->setVisible(index == SS::TypeVariable);
    ui->m_groupBoxLocal->setVisible(index == SS::TypeLocal);
    const int row = CurrentRow();
    if (index == SS::TypeLocal) {
        m_pMapper->addMapping(ui->m_pEditSSLocal, SS::ColVariable);
        if (row >= 0) {
            ui->m_pEditSSLocal->setText(SS::Text(*m_pModel, row, SS::ColVariable));
            SS::SetText(*m_pModel, row, SS::ColOperationOn, QStringLiteral("true"));  // a local always carries one
            ui->m_pChkVarOptions->setChecked(true);
        }
    } else {
        m_pMapper->removeMapping(ui->m_pEditSSLocal);
    }
    if (index == SS::TypeVariable)
        ShowLinkedVariable();
    ShowOperations();
}

void TRVEventIncomingSS::on_m_pChkVarOptions_toggled(bool)
{
    ShowOperations();
}

void TRVEventIncomingSS::ShowOperations()
{
    const int type = ui->m_pCmbIncomingSSType->currentIndex();
    ui->m_frameOperations->setVisible(ui->m_pChkVarOptions->isChecked() &&
                                      (type == SS::TypeVariable || type == SS::TypeLocal));
    const int row = CurrentRow();
    if (row < 0 || IsManualEdit())
        return;
    const bool watching = bool(m_ItemChanged);
    WatchModel(false);
    SS::SetText(*m_pModel, row, SS::ColResult, SS::RowResult(*m_pModel, row, m_pVariables));
    if (watching)
        WatchModel(true);
}

void TRVEventIncomingSS::ShowLinkedVariable()
{
    const int row = CurrentRow();
    if (row < 0 || SS::RowType(*m_pModel, row) != SS::TypeVariable)
        return;
    const QStandardItem* variable = SS::LinkedVariable(*m_pModel, row, m_pVariables);
    const bool populating = m_Populating;
    m_Populating = true;
    ui->m_pCmbSSVars->setCurrentIndex(variable ? variable->row() : -1);
    m_Populating = populating;
}

void TRVEventIncomingSS::on_m_pCmbSSVars_currentIndexChanged(int index)
{
    if (m_Populating || m_VariablesChanging > 0)
        return;
    if (!isVisible()) {
        if (QItemSelectionModel* selection = ui->m_pListIncomingSS->selectionModel())
            selection->clearCurrentIndex();
        return;
    }
    const int row = CurrentRow();
    if (row >= 0 && m_pVariables && index >= 0 && index < m_pVariables->rowCount())
        SS::SetLinkedVariable(*m_pModel, row, m_pVariables->item(index, 0));
}

void TRVEventIncomingSS::on_m_pButAddEditVariable_clicked()
{
    const EditHistory::Step step(this, tr("Add Variable"));
    if (!m_pVariables)
        return;
    TRVVariables window(this, m_AddsSetupVariables, m_pVariables, true);
    connect(&window, &TRVVariables::varDeleted, this, &TRVEventIncomingSS::CleanupVars);
    // The variable added is saved with the file.
    if (window.ExecWindow())
        emit savableDataChanged();
}

void TRVEventIncomingSS::on_m_pChkIncomingManEdit_toggled(bool checked)
{
    ui->m_pEditIncomingMsgFormat->setReadOnly(!checked);
    if (checked) {
        if (QItemSelectionModel* selection = ui->m_pListIncomingSS->selectionModel())
            selection->clearCurrentIndex();
        ui->m_frameSSOptions->hide();
    }
    for (QWidget* widget : {static_cast<QWidget*>(ui->m_pListIncomingSS), static_cast<QWidget*>(ui->m_pButAddIncomingSS),
                            static_cast<QWidget*>(ui->m_pButDupIncomingSS),
                            static_cast<QWidget*>(ui->m_pButDeleteIncomingSS),
                            static_cast<QWidget*>(ui->m_pButMoveIncomingSSUp),
                            static_cast<QWidget*>(ui->m_pButMoveIncomingSSDown),
                            static_cast<QWidget*>(ui->m_pButAddSelectionAsSS)})
        widget->setEnabled(!checked);
    if (checked) {
        connect(this, &TRVEventIncomingSS::formatChanged, this, &TRVEventIncomingSS::UpdateMatchStatus,
                Qt::UniqueConnection);
    } else {
        disconnect(this, &TRVEventIncomingSS::formatChanged, this, &TRVEventIncomingSS::UpdateMatchStatus);
        UpdateResponseFormat();
    }
}

void TRVEventIncomingSS::UpdateMatchStatus()
{
    StartMatch(SS::PrepareCheck(ui->m_pEditIncomingMsgFormat->text(), ui->m_pEditExampleIncomingReponse->text()));
}

void TRVEventIncomingSS::ShowStatus(const SS::ResponseState& state)
{
    ui->m_pLabelRegexMatch->setText(state.match || state.checked ? MatchText(state.match, palette()) : kNotChecked);
    ui->m_pLabelRegexMatch->setToolTip(state.checked ? QString()
                                                     : QStringLiteral("Not checked: matching this example against "
                                                                      "the expression would take too long."));
}

void TRVEventIncomingSS::on_m_pEditSSVarArithmetic_cursorPositionChanged(int, int newPosition)
{
    m_ArithmeticCursor = newPosition;
}

void TRVEventIncomingSS::on_m_pButInsertFunction_clicked()
{
    const EditHistory::Step step(this, tr("Insert Function"));
    const QString templ = m_pInsertFunction->Run();
    if (templ.isEmpty())
        return;
    InsertFunctionTemplate(ui->m_pEditSSVarArithmetic, m_ArithmeticCursor, templ);
    EmitSavable();
}

void TRVEventIncomingSS::submit()
{
    if (!m_pModel || CurrentRow() < 0)
        return;
    auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const int cursor = focused ? focused->cursorPosition() : 0;
    m_Submitting = true;
    m_PendingRow = -1;
    bool pending = false;
    {
        // Any item the mapper writes asks for a rebuild.
        const QMetaObject::Connection note =
            connect(m_pModel, &QStandardItemModel::itemChanged, this, [&pending] { pending = true; });
        m_pMapper->submit();
        disconnect(note);
    }
    m_Submitting = false;
    if (pending && m_ItemChanged)
        Refresh(m_PendingRow);
    if (focused)
        focused->setCursorPosition(cursor);
}

void TRVEventIncomingSS::EmitSavable()
{
    if (!m_Populating)
        emit savableDataChanged();
}

void TRVEventIncomingSS::WatchModel(bool on)
{
    if (!on) {
        disconnect(m_ItemChanged);
        m_ItemChanged = {};
    } else if (m_pModel && !m_ItemChanged) {
        m_ItemChanged = connect(m_pModel, &QStandardItemModel::itemChanged, this,
                                [this](QStandardItem* item) { UpdateResponseFormat(item); });
    }
}
