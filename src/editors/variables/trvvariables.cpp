#include "editors/variables/trvvariables.h"

#include "ui_trvvariables.h"

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/common/listbuttons.h"

#include <QCloseEvent>
#include <QDataWidgetMapper>
#include <QEventLoop>
#include <QIntValidator>
#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardItem>

#include <limits>

namespace {

const QString TrueText = QStringLiteral("true");

// What the initial value accepts for a type index (VariableTypeNames order).
NumberInput VariableNumberInput(int typeIndex)
{
    const QStringList& names = VariableTypeNames();
    const QString name = typeIndex >= 0 && typeIndex < names.size() ? names.at(typeIndex) : QString();
    if (name == QLatin1String("integer"))
        return NumberInput::Integer;
    if (name == QLatin1String("decimal"))
        return NumberInput::Decimal;
    return NumberInput::Any;
}

} // namespace

TRVVariables::TRVVariables(QWidget* parent, bool setupMode, QStandardItemModel* model, bool windowForm)
    : QWidget(parent), ui(std::make_unique<Ui::TRVVariables>()), m_pMapper(new QDataWidgetMapper(this)),
      m_SetupMode(setupMode), m_WindowForm(windowForm),
      m_pModel(model ? model : NewEditModel(VariableColumnCount, this))
{
    ui->setupUi(this);
    HoldFileText(this);
    // The stored type keyword is the item text, so the items come from the same list.
    ui->m_pCmbVariableType->addItems(VariableTypeNames());
    ui->m_pListVariables->setModel(m_pModel);
    ui->m_pListVariables->setModelColumn(ColName);
    DecorateListButtons(ui->m_pListVariables, QStringLiteral("Variable"), ui->m_pButAddVariable,
                        ui->m_pButDupVariable, ui->m_pButDeleteVariable, ui->m_pButMoveVariableUp,
                        ui->m_pButMoveVariableDown);

    ui->m_pEditListSize->setValidator(new QIntValidator(0, std::numeric_limits<int>::max(), this));

    m_pMapper->setModel(m_pModel);
    m_pMapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    m_pMapper->addMapping(ui->m_pEditVariableName, ColName);
    m_pMapper->addMapping(ui->m_pCmbVariableType, ColType, "currentIndex");
    m_pMapper->addMapping(ui->m_pEditVariableInitial, ColInitial);
    m_pMapper->addMapping(ui->m_pEditVariableDescription, ColDescription);
    m_pMapper->addMapping(ui->m_pChkList, ColList);
    m_pMapper->addMapping(ui->m_pEditListSize, ColListSize);
    m_pMapper->addMapping(ui->m_pChkListZero, ColListZero);

    // Only user edits count: the mapper filling the widgets must not mark the
    // document changed.
    for (QLineEdit* edit : {ui->m_pEditVariableInitial, ui->m_pEditVariableDescription, ui->m_pEditListSize})
        connect(edit, &QLineEdit::textEdited, this, &TRVVariables::savableDataChanged);
    for (QCheckBox* check : {ui->m_pChkList, ui->m_pChkListZero})
        connect(check, &QCheckBox::clicked, this, &TRVVariables::savableDataChanged);
    connect(this, &TRVVariables::savableDataChanged, this, &TRVVariables::submit);

    connect(m_pModel, &QStandardItemModel::rowsInserted, this, &TRVVariables::NewRowsInserted);
    if (m_pModel->rowCount() > 0)
        NewRowsInserted(QModelIndex(), 0, m_pModel->rowCount() - 1);
    on_m_pListVariables_currentRowChanged(QModelIndex(), QModelIndex());

    ui->m_pButtonBox->setVisible(m_WindowForm);
    if (m_WindowForm) {
        setWindowFlag(Qt::Window);
        setWindowModality(Qt::ApplicationModal);
        setWindowTitle(tr("Add Variable"));
        connect(ui->m_pButtonBox, &QDialogButtonBox::accepted, this, [this] { FinishWindow(true); });
        connect(ui->m_pButtonBox, &QDialogButtonBox::rejected, this, [this] { FinishWindow(false); });
        on_m_pButAddVariable_clicked();
        if (QStandardItem* added = SelectedVariable())
            m_WindowVariable = added->index();
    }
}

TRVVariables::~TRVVariables()
{
    if (m_pWindowLoop)
        m_pWindowLoop->quit();
}

bool TRVVariables::IsSetupVariable(QStandardItem* item) const
{
    if (!item || item->model() != m_pModel)
        return false;
    const QStandardItem* setup = m_pModel->item(item->row(), ColSetup);
    return setup && setup->text() == TrueText;
}

QList<QStandardItem*> TRVVariables::NewVariable(const QString& name) const
{
    return NewVariableRow(name, m_SetupMode);
}

void TRVVariables::AddVariable(const QList<QStandardItem*>& row)
{
    EditRows::Append(*m_pModel, row);
}

QStandardItem* TRVVariables::BuiltInVariable(const QString& name) const
{
    for (int row = 0; row < m_pModel->rowCount(); ++row) {
        QStandardItem* item = m_pModel->item(row, ColName);
        if (IsBuiltInVariable(item) && item->text() == name)
            return item;
    }
    return nullptr;
}

QStandardItem* TRVVariables::ErrorVariable() const
{
    return BuiltInVariable(ErrorVariableName);
}

QStandardItem* TRVVariables::TCPStatusVariable() const
{
    return BuiltInVariable(TCPStatusVariableName);
}

void TRVVariables::AddBuiltInVariables()
{
    if (!ErrorVariable())
        AddVariable(NewErrorVariableRow());
}

void TRVVariables::UpdateTCPVariable(bool hasTcp)
{
    QStandardItem* status = TCPStatusVariable();
    if (hasTcp && !status)
        AddVariable(NewTCPStatusVariableRow());
    else if (!hasTcp && status)
        RemoveRow(status->row());
}

void TRVVariables::NewRowsInserted(const QModelIndex& parent, int first, int last)
{
    if (parent.isValid())
        return;
    for (int row = first; row <= last; ++row) {
        if (const QStandardItem* setup = m_pModel->item(row, ColSetup))
            ui->m_pListVariables->setRowHidden(row, (setup->text() == TrueText) != m_SetupMode);
    }
}

bool TRVVariables::IsListed(int row) const
{
    return row >= 0 && row < m_pModel->rowCount() && !ui->m_pListVariables->isRowHidden(row);
}

int TRVVariables::CurrentRow() const
{
    const QModelIndex current = ui->m_pListVariables->currentIndex();
    return current.isValid() && IsListed(current.row()) ? current.row() : -1;
}

void TRVVariables::MakeCurrent(int row)
{
    ui->m_pListVariables->setCurrentIndex(IsListed(row) ? m_pModel->index(row, ColName) : QModelIndex());
}

void TRVVariables::SelectVariable(QStandardItem* item)
{
    if (item && item->model() == m_pModel && !item->parent() && IsListed(item->row()))
        MakeCurrent(item->row());
}

QStandardItem* TRVVariables::SelectedVariable() const
{
    const int row = CurrentRow();
    return row >= 0 ? m_pModel->item(row, ColName) : nullptr;
}

void TRVVariables::Reshow(QStandardItem* item)
{
    MakeCurrent(-1);
    SelectVariable(item);
}

QString TRVVariables::CurrentName() const
{
    const QStandardItem* item = SelectedVariable();
    return item ? item->text() : QString();
}

QStandardItem* TRVVariables::WindowVariable() const
{
    return m_WindowVariable.isValid() ? m_pModel->item(m_WindowVariable.row(), ColName) : nullptr;
}

void TRVVariables::RemoveRow(int row)
{
    EditRows::Remove(*m_pModel, row);
    emit varDeleted();
}

void TRVVariables::submit()
{
    const int row = CurrentRow();
    if (row < 0 || m_pMapper->currentIndex() != row || IsBuiltInVariable(m_pModel->item(row, ColName)))
        return;
    // Writing back refills the mapped fields, which would throw the cursor of
    // the field being typed in to its end.
    const QList<QLineEdit*> edits = {ui->m_pEditVariableName, ui->m_pEditVariableInitial,
                                     ui->m_pEditVariableDescription, ui->m_pEditListSize};
    QList<int> cursors;
    for (QLineEdit* edit : edits)
        cursors << edit->cursorPosition();
    m_pMapper->submit();
    for (int i = 0; i < edits.size(); ++i)
        edits[i]->setCursorPosition(cursors[i]);
}

void TRVVariables::on_m_pEditVariableName_textEdited(const QString& text)
{
    static const QRegularExpression whitespace(QStringLiteral("\\s"));
    QString name = text;
    name.replace(whitespace, QStringLiteral("_"));
    if (name != text) {
        const int cursor = ui->m_pEditVariableName->cursorPosition();
        ui->m_pEditVariableName->setText(name);
        ui->m_pEditVariableName->setCursorPosition(cursor);
    }
    emit savableDataChanged();
}

void TRVVariables::on_m_pButAddVariable_clicked()
{
    const EditHistory::Step step(this, tr("Add Variable"));
    AddVariable(NewVariable(QStringLiteral("Variable") + QString::number(m_pModel->rowCount() + 1)));
    MakeCurrent(m_pModel->rowCount() - 1);
    emit savableDataChanged();
}

void TRVVariables::on_m_pButDupVariable_clicked()
{
    const EditHistory::Step step(this, tr("Duplicate Variable '%1'").arg(CurrentName()));
    const int row = CurrentRow();
    if (row < 0)
        return;
    AddVariable(DuplicateVariableRow(*m_pModel, row));
    MakeCurrent(m_pModel->rowCount() - 1);
    emit savableDataChanged();
}

void TRVVariables::on_m_pButDeleteVariable_clicked()
{
    const EditHistory::Step step(this, tr("Delete Variable '%1'").arg(CurrentName()));
    const int row = CurrentRow();
    if (row < 0)
        return;
    if (!IsBuiltInVariable(m_pModel->item(row, ColName))) {
        emit deleting(m_pModel->item(row, ColName));
        RemoveRow(row);
        // The next listed row takes the place of the removed one, else the one before it.
        int next = row;
        while (next < m_pModel->rowCount() && !IsListed(next))
            ++next;
        if (next >= m_pModel->rowCount()) {
            next = row - 1;
            while (next >= 0 && !IsListed(next))
                --next;
        }
        MakeCurrent(next);
        emit savableDataChanged();
    }
}

void TRVVariables::MoveCurrent(int step)
{
    const EditHistory::Step named(this, step < 0 ? tr("Move Variable '%1' Up").arg(CurrentName()) : tr("Move Variable '%1' Down").arg(CurrentName()));
    const int row = CurrentRow();
    if (row < 0)
        return;
    // Rows of the other mode are not listed here; the move passes over them
    // so that every press visibly moves the variable.
    int target = row + step;
    while (target >= 0 && target < m_pModel->rowCount() && !IsListed(target))
        target += step;
    if (target < 0 || target >= m_pModel->rowCount())
        return;
    // The items survive the move, so links to them stay valid.
    EditRows::Move(*m_pModel, row, target);
    MakeCurrent(target);
    emit savableDataChanged();
}

void TRVVariables::on_m_pButMoveVariableUp_clicked()
{
    MoveCurrent(-1);
}

void TRVVariables::on_m_pButMoveVariableDown_clicked()
{
    MoveCurrent(1);
}

void TRVVariables::on_m_pCmbVariableType_activated(int index)
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    const QStandardItem* type = m_pModel->item(row, ColType);
    if (type && type->text() == QString::number(index))
        return;
    const QString example = VariableTypeExample(index);
    ui->m_pEditVariableInitial->setPlaceholderText(example);
    SetNumberInput(ui->m_pEditVariableInitial, VariableNumberInput(index));
    ui->m_pEditVariableInitial->setText(example);
    emit savableDataChanged();
    // The proposed value is selected, so that typing replaces it.
    ui->m_pEditVariableInitial->setFocus(Qt::OtherFocusReason);
    ui->m_pEditVariableInitial->selectAll();
}

void TRVVariables::on_m_pListVariables_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    const bool valid = current.isValid() && IsListed(current.row());
    if (valid) {
        m_pMapper->setCurrentIndex(current.row());
        SetNumberInput(ui->m_pEditVariableInitial, VariableNumberInput(ui->m_pCmbVariableType->currentIndex()));
        // Show the start of long texts rather than their ends.
        for (QLineEdit* edit : {ui->m_pEditVariableName, ui->m_pEditVariableInitial, ui->m_pEditVariableDescription})
            edit->setCursorPosition(0);
    } else {
        ui->m_pEditVariableName->clear();
        ui->m_pEditVariableInitial->clear();
        ui->m_pEditVariableDescription->clear();
        ui->m_pCmbVariableType->setCurrentIndex(-1);
    }
    ui->m_pVariableInfo->setEnabled(valid && !IsBuiltInVariable(m_pModel->item(current.row(), ColName)));
}

void TRVVariables::on_m_pChkList_toggled(bool checked)
{
    ui->m_pEditListSize->setEnabled(checked);
    ui->m_pChkListZero->setEnabled(checked);
}

void TRVVariables::Load(ProductData_c* product)
{
    if (product)
        LoadVariableRows(*product, *m_pModel);
}

void TRVVariables::Store(ProductData_c* product)
{
    if (product)
        StoreVariableRows(*m_pModel, *product);
}

bool TRVVariables::ExecWindow()
{
    if (!m_WindowForm || m_WindowDone)
        return m_WindowAccepted;
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_pWindowLoop = &loop;
    const QPointer<TRVVariables> alive(this);
    loop.exec(QEventLoop::DialogExec);
    // The window may have gone with its parent while the loop ran.
    if (!alive)
        return false;
    m_pWindowLoop = nullptr;
    return m_WindowAccepted;
}

void TRVVariables::FinishWindow(bool accepted)
{
    if (m_WindowDone)
        return;
    m_WindowDone = true;
    m_WindowAccepted = accepted;
    if (!accepted && m_WindowVariable.isValid())
        RemoveRow(m_WindowVariable.row());
    hide();
    if (m_pWindowLoop)
        m_pWindowLoop->quit();
}

void TRVVariables::closeEvent(QCloseEvent* event)
{
    // Closing the window is a cancel: the variable it added goes again.
    if (m_WindowForm)
        FinishWindow(false);
    event->accept();
}

void TRVVariables::keyPressEvent(QKeyEvent* event)
{
    if (m_WindowForm && event->key() == Qt::Key_Escape)
        FinishWindow(false);
    else
        QWidget::keyPressEvent(event);
}
