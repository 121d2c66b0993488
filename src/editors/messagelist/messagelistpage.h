#pragma once

#include <QModelIndex>
#include <QString>
#include <QWidget>

class OutgoingSSModel_c;
class ProductData_c;
class QAbstractButton;
class QLayout;
class QStandardItem;
class QStandardItemModel;
class RowListView;
class TRVEventIncomingSS;
class TRVEventOutgoingSS;

// What the events and setup pages do alike: a list of message rows (each
// page's row helpers define the columns), the current row handed to the
// outgoing and incoming editors, the list buttons, the clean-up of links to
// deleted variables, and load and store of all rows. A page keeps its own
// columns, the rest of its form and what the editors report into its rows.
//
// A page's constructor, after setupUi: AddEditors, then SetUpList (which
// hands the list's first current row over at once), then its own wiring.
class MessageListPage : public QWidget
{
    Q_OBJECT

public:
    // The row helpers of a page's rows (see eventrows.h, setuprows.h).
    struct RowFunctions
    {
        int (*duplicate)(QStandardItemModel& rows, int row, QObject* owner, QStandardItemModel* variables);
        bool (*remove)(QStandardItemModel& rows, int row);
        int (*load)(ProductData_c& product, QStandardItemModel& rows, QObject* owner, QStandardItemModel* variables);
        void (*store)(const QStandardItemModel& rows, QStandardItemModel* variables, ProductData_c& product);
        // A row's message models, null where it has none of the direction.
        OutgoingSSModel_c* (*outgoing)(const QStandardItemModel& rows, int row);
        QStandardItemModel* (*incoming)(const QStandardItemModel& rows, int row);
        // Whether the row's outgoing message is typed by hand.
        bool (*outgoingManual)(const QStandardItemModel& rows, int row);
        // Writes into row the texts its outgoing substrings make.
        void (*writeGenerated)(QStandardItemModel& rows, int row, const OutgoingSSModel_c& outgoing);
        // What a row is called in the names of undo steps ("Event").
        const char* kind;
    };

    ~MessageListPage() override;

    QStandardItemModel* VariablesModel() const { return m_pVariables; }
    TRVEventOutgoingSS* OutgoingEditor() const { return m_pOutgoing; }
    TRVEventIncomingSS* IncomingEditor() const { return m_pIncoming; }

    // The current row, or -1; SelectRow(-1) (or a row outside the model)
    // leaves no row current.
    int CurrentRow() const;
    void SelectRow(int row);
    // Makes row current and hands it to the editors again, even when it
    // already was: its texts may have changed under them (an undo).
    void Reshow(int row);
    // How many rows send or store the variable of nameItem.
    int RowsUsingVariable(const QStandardItem* nameItem) const;

    // Replaces the rows by the product's (none for a null product).
    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

signals:
    void savableDataChanged();
    void requestVarTabFocus(QStandardItem* variable);

public slots:
    // Drops every row's links to variable rows that are no longer in the
    // variables model; the current row goes through the editors, which show
    // the change too.
    void CleanupVars();

protected:
    // variables: the shared variables model, owned by the device variables
    // page; columns: of the page's row model.
    MessageListPage(QStandardItemModel* variables, int columns, const RowFunctions& rows, QWidget* parent);

    struct ListButtons
    {
        QAbstractButton* add;
        QAbstractButton* duplicate;
        QAbstractButton* remove;
        QAbstractButton* up;
        QAbstractButton* down;
    };
    void AddEditors(QWidget* outgoingParent, QLayout* outgoingLayout, QWidget* incomingParent,
                    QLayout* incomingLayout);
    void SetUpList(RowListView* list, int nameColumn, const ListButtons& buttons);
    void RefreshEditorSizeHints();

    QStandardItemModel* RowModel() const { return m_pRows; }
    // The parent of the rows' child models. A page of many rows has tens of
    // thousands of them: as the page's own children they would make every
    // paint inside it walk them all (Qt looks for opaque siblings among a
    // widget's children). Made on first use, so it goes after the page's
    // widgets, which may still refer to the models as they go.
    QObject* ChildModelOwner();
    // Reports an edit unless the page is showing a row.
    void EmitSavable();
    // Shows row (-1: none) with nothing the editors report taken as an edit.
    void HandOver(int row);

    // The editors showing a message, or the empty stand-ins (they take no
    // null model). The texts of a message typed by hand go with it.
    void ShowOutgoing(OutgoingSSModel_c* model, QStandardItemModel* params, bool manual, const QString& format,
                      const QString& args);
    void ShowIncoming(QStandardItemModel* model, bool manual, const QString& expression, const QString& example);
    void ShowNoOutgoing();
    void ShowNoIncoming();

    // Appends a new row; returns it, or -1 when none was added.
    virtual int AppendRow() = 0;
    // Hands row (-1: none) to the editors; called with edits not reported.
    virtual void ShowRow(int row) = 0;

private:
    void OnCurrentRowChanged(const QModelIndex& current);
    void AddRow();
    void DuplicateCurrent();
    void DeleteCurrent();
    void MoveCurrent(int offset);
    QString StepName(const QString& pattern, int row) const;
    void SetIncomingModel(QStandardItemModel* model, const QString& example);

    const RowFunctions m_Rows;
    QStandardItemModel* m_pVariables;  // not owned
    QStandardItemModel* m_pRows;       // child
    OutgoingSSModel_c* m_pNoOutgoing;  // child
    QStandardItemModel* m_pNoIncoming; // child
    QObject* m_pChildModels = nullptr;  // child
    RowListView* m_pList = nullptr;               // in the page's form
    TRVEventOutgoingSS* m_pOutgoing = nullptr;    // child widget
    TRVEventIncomingSS* m_pIncoming = nullptr;    // child widget
    bool m_Populating = false;  // the page shows a row; nothing the editors report is an edit
};
