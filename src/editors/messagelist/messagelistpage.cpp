#include "editors/messagelist/messagelistpage.h"

#include <QAbstractButton>
#include <QLayout>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTabWidget>

#include "editors/common/edithistory.h"
#include "editors/common/pagelayout.h"
#include "editors/common/rowlistview.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/params/paramrows.h"

MessageListPage::MessageListPage(QStandardItemModel* variables, int columns, const RowFunctions& rows,
                                 QWidget* parent)
    : QWidget(parent),
      m_Rows(rows),
      m_pVariables(variables),
      m_pRows(NewEditModel(columns, this)),
      m_pNoOutgoing(new OutgoingSSModel_c(this)),
      m_pNoIncoming(TRVEventIncomingSS::NewModel(this))
{
}

MessageListPage::~MessageListPage() = default;

void MessageListPage::AddEditors(QWidget* outgoingParent, QLayout* outgoingLayout, QWidget* incomingParent,
                                 QLayout* incomingLayout)
{
    m_pOutgoing = new TRVEventOutgoingSS(m_pVariables, outgoingParent);
    outgoingLayout->addWidget(m_pOutgoing);
    m_pIncoming = new TRVEventIncomingSS(m_pVariables, incomingParent);
    incomingLayout->addWidget(m_pIncoming);
    connect(m_pOutgoing, &TRVEventOutgoingSS::savableDataChanged, this, &MessageListPage::EmitSavable);
    connect(m_pIncoming, &TRVEventIncomingSS::savableDataChanged, this, &MessageListPage::EmitSavable);
}

void MessageListPage::SetUpList(RowListView* list, int nameColumn, const ListButtons& buttons)
{
    m_pList = list;
    connect(list, &RowListView::currentRowChanged, this, &MessageListPage::OnCurrentRowChanged);
    // The list announces its first current row as soon as it has a model.
    list->setModel(m_pRows);
    list->setModelColumn(nameColumn);
    connect(buttons.add, &QAbstractButton::clicked, this, &MessageListPage::AddRow);
    connect(buttons.duplicate, &QAbstractButton::clicked, this, &MessageListPage::DuplicateCurrent);
    connect(buttons.remove, &QAbstractButton::clicked, this, &MessageListPage::DeleteCurrent);
    connect(buttons.up, &QAbstractButton::clicked, this, [this] { MoveCurrent(-1); });
    connect(buttons.down, &QAbstractButton::clicked, this, [this] { MoveCurrent(+1); });
}

void MessageListPage::RefreshEditorSizeHints()
{
    RefreshSizeHints(m_pOutgoing, this);
    RefreshSizeHints(m_pIncoming, this);
}

void MessageListPage::EmitSavable()
{
    if (!m_Populating)
        emit savableDataChanged();
}

int MessageListPage::CurrentRow() const
{
    const QModelIndex current = m_pList->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void MessageListPage::SelectRow(int row)
{
    if (row >= 0 && row < m_pRows->rowCount())
        m_pList->setCurrentIndex(m_pRows->index(row, m_pList->modelColumn()));
    else
        m_pList->selectionModel()->clearCurrentIndex();
}

namespace {

// The tab widgets under parent with the tab each has in front. Only widgets
// are searched: a page of many rows also holds tens of thousands of models.
QList<QPair<QTabWidget*, QPointer<QWidget>>> FrontTabs(const QObject* parent)
{
    QList<QPair<QTabWidget*, QPointer<QWidget>>> tabs;
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        if (auto* tabWidget = qobject_cast<QTabWidget*>(child))
            tabs.append({tabWidget, tabWidget->currentWidget()});
        tabs += FrontTabs(child);
    }
    return tabs;
}

} // namespace

void MessageListPage::Reshow(int row)
{
    // Shown from nothing, so that every field and editor reads the row anew;
    // the editors keep their place in it.
    const int outgoing = m_pOutgoing->CurrentRow();
    const int incoming = m_pIncoming->CurrentRow();
    const int before = CurrentRow();
    // "No row" brings a page's first tab forward; an undo in the outgoing
    // message is shown there, not on the first tab.
    const QList<QPair<QTabWidget*, QPointer<QWidget>>> tabs = FrontTabs(this);
    SelectRow(-1);
    SelectRow(row);
    if (CurrentRow() == before) {
        for (const auto& [tabWidget, current] : tabs) {
            if (current && tabWidget->indexOf(current) >= 0)
                tabWidget->setCurrentWidget(current);
        }
        m_pOutgoing->SelectRow(outgoing);
        m_pIncoming->SelectRow(incoming);
    }
}

int MessageListPage::RowsUsingVariable(const QStandardItem* nameItem) const
{
    int rows = 0;
    for (int row = 0; row < m_pRows->rowCount(); ++row) {
        bool uses = false;
        if (const OutgoingSSModel_c* outgoing = m_Rows.outgoing(*m_pRows, row))
            for (int ss = 0; ss < outgoing->rowCount() && !uses; ++ss)
                uses = outgoing->VarRef(ss) == nameItem;
        if (const QStandardItemModel* incoming = m_Rows.incoming(*m_pRows, row))
            for (int ss = 0; ss < incoming->rowCount() && !uses; ++ss)
                uses = IncomingSS::LinkedVariable(*incoming, ss, m_pVariables) == nameItem;
        rows += uses ? 1 : 0;
    }
    return rows;
}

QString MessageListPage::StepName(const QString& pattern, int row) const
{
    // %1 is what a row is, %2 the row's name.
    return pattern.arg(tr(m_Rows.kind), m_pRows->index(row, m_pList->modelColumn()).data().toString());
}

void MessageListPage::OnCurrentRowChanged(const QModelIndex& current)
{
    HandOver(current.isValid() ? current.row() : -1);
}

void MessageListPage::HandOver(int row)
{
    QScopedValueRollback<bool> populating(m_Populating, true);
    ShowRow(row);
}

void MessageListPage::ShowOutgoing(OutgoingSSModel_c* model, QStandardItemModel* params, bool manual,
                                   const QString& format, const QString& args)
{
    m_pOutgoing->SetModel(model, params);
    m_pOutgoing->SetManualEdit(manual);
    if (manual) {
        m_pOutgoing->SetFormat(format);
        m_pOutgoing->SetArgs(args);
    }
}

void MessageListPage::ShowIncoming(QStandardItemModel* model, bool manual, const QString& expression,
                                   const QString& example)
{
    SetIncomingModel(model, example);
    m_pIncoming->SetManual(manual, expression);
}

void MessageListPage::ShowNoOutgoing()
{
    m_pOutgoing->SetModel(m_pNoOutgoing, nullptr);
}

void MessageListPage::ShowNoIncoming()
{
    SetIncomingModel(m_pNoIncoming, QString());
}

void MessageListPage::SetIncomingModel(QStandardItemModel* model, const QString& example)
{
    // Handing the incoming editor the model it shows again would cost it its
    // selection model; the same model is the same row, already shown.
    if (m_pIncoming->Model() != model)
        m_pIncoming->SetModel(model, example);
}

QObject* MessageListPage::ChildModelOwner()
{
    if (!m_pChildModels)
        m_pChildModels = new QObject(this);
    return m_pChildModels;
}

void MessageListPage::AddRow()
{
    const EditHistory::Step step(this, tr("Add %1").arg(tr(m_Rows.kind)));
    const int row = AppendRow();
    if (row < 0)
        return;
    SelectRow(row);
    emit savableDataChanged();
}

void MessageListPage::DuplicateCurrent()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    const EditHistory::Step step(this, StepName(tr("Duplicate %1 '%2'"), row));
    SelectRow(m_Rows.duplicate(*m_pRows, row, ChildModelOwner(), m_pVariables));
    emit savableDataChanged();
}

void MessageListPage::DeleteCurrent()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    const EditHistory::Step step(this, StepName(tr("Delete %1 '%2'"), row));
    // The editors move to the neighbouring row before this one's models go.
    SelectRow(row + 1 < m_pRows->rowCount() ? row + 1 : row - 1);
    m_Rows.remove(*m_pRows, row);
    emit savableDataChanged();
}

void MessageListPage::MoveCurrent(int offset)
{
    const EditHistory::Step step(this, StepName(offset < 0 ? tr("Move %1 '%2' Up") : tr("Move %1 '%2' Down"), CurrentRow()));
    int moved = -1;
    {
        // The editors keep showing the moving row's models; only its place changes.
        const QSignalBlocker blocker(m_pList);
        moved = MoveModelRow(m_pRows, CurrentRow(), offset);
    }
    if (moved < 0)
        return;
    SelectRow(moved);
    emit savableDataChanged();
}

void MessageListPage::CleanupVars()
{
    const int current = CurrentRow();
    for (int row = 0; row < m_pRows->rowCount(); ++row) {
        if (row == current)
            continue;
        if (OutgoingSSModel_c* outgoing = m_Rows.outgoing(*m_pRows, row);
            outgoing && CleanupReferences(*outgoing) && !m_Rows.outgoingManual(*m_pRows, row))
            m_Rows.writeGenerated(*m_pRows, row, *outgoing);
        if (QStandardItemModel* incoming = m_Rows.incoming(*m_pRows, row))
            IncomingSS::CleanupVars(*incoming, m_pVariables);
    }
    if (current >= 0) {
        m_pIncoming->CleanupVars();
        m_pOutgoing->CleanupParamsAndVars();
    }
}

void MessageListPage::Load(ProductData_c* product)
{
    SelectRow(-1);
    while (m_pRows->rowCount() > 0)
        m_Rows.remove(*m_pRows, m_pRows->rowCount() - 1);
    if (product)
        m_Rows.load(*product, *m_pRows, ChildModelOwner(), m_pVariables);
}

void MessageListPage::Store(ProductData_c* product)
{
    if (product)
        m_Rows.store(*m_pRows, m_pVariables, *product);
}
