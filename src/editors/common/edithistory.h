#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStandardItem>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <vector>

class QStandardItemModel;
class QUndoStack;
class QWidget;
class EditStep;

// An item of the pages' models. Every change of its data is reported to the
// edit history that owns its model (if any), so that it can be undone.
class EditItem : public QStandardItem
{
public:
    EditItem() = default;
    explicit EditItem(const QString& text) : QStandardItem(text) {}

    void setData(const QVariant& value, int role = Qt::UserRole + 1) override;
    QStandardItem* clone() const override;
};

// A model of the pages: items it makes itself are EditItems too.
void MakeEditModel(QStandardItemModel& model);
QStandardItemModel* NewEditModel(int columns, QObject* parent);

// Row changes of the pages' models, reported to the edit history so that
// they can be undone. A row taken out must either go back into a model or
// be handed to DiscardRow: while an edit is recorded the history keeps its
// items (an undo puts the same items back, so links to them hold again).
namespace EditRows {

void Insert(QStandardItemModel& model, int row, const QList<QStandardItem*>& items);
void Append(QStandardItemModel& model, const QList<QStandardItem*>& items);
QList<QStandardItem*> Take(QStandardItemModel& model, int row);
// Hands the items of a row taken from model to the history, or destroys them
// (destroy: deletes them, and whatever else the row owned) when nothing is
// recorded.
void Discard(const QStandardItemModel& model, const QList<QStandardItem*>& items,
             const std::function<void(const QList<QStandardItem*>&)>& destroy = {});
void Remove(QStandardItemModel& model, int row,
            const std::function<void(const QList<QStandardItem*>&)>& destroy = {});
// Moves row to target (its index once moved); the same items stay.
void Move(QStandardItemModel& model, int row, int target);

} // namespace EditRows

// The undo history of one document: every change made to the models owned
// (through Qt parents) by the root object is recorded, and grouped into
// steps on an undo stack. A step is named by the action that makes it
// (EditHistory::Step) or, for typing and choices, after the field; typing in
// one field merges into one step until the field loses the focus.
//
// A step is kept only when a page reported a change worth saving during it
// (NoteSavable); what the pages derive on their own (previews, matches) is
// not a step. Values kept outside models (the information and ports pages'
// fields) are compared at the end of each step through state sources.
class EditHistory : public QObject
{
    Q_OBJECT

public:
    // At most this many steps are kept; the oldest go first.
    static constexpr int StepLimit = 500;

    explicit EditHistory(QObject* root, QObject* parent = nullptr);
    ~EditHistory() override;

    QUndoStack* Stack() const { return m_pStack; }

    // The history recording the models under object; null when none does.
    static EditHistory* Of(const QObject* object);

    // Names the step that the actions inside this scope make; nested scopes
    // belong to the outermost one.
    class Step
    {
    public:
        Step(const QObject* inside, const QString& name);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        QPointer<EditHistory> m_pHistory;
    };

    // What is changed inside this scope is built aside (the child models of a
    // row not yet inserted): the row's insertion is the step.
    class Aside
    {
    public:
        explicit Aside(const QObject* inside);
        ~Aside();
        Aside(const Aside&) = delete;
        Aside& operator=(const Aside&) = delete;

    private:
        QPointer<EditHistory> m_pHistory;
    };

    // Runs change recorded as usual inside an Aside of object.
    static void Unpaused(const QObject* inside, const std::function<void()>& change);

    // Values outside the models: get returns every field by name; set is
    // given the fields to put back (a subset) and must not report changes.
    void AddStateSource(QObject* owner, std::function<QVariantMap()> get,
                        std::function<void(const QVariantMap&)> set);

    // Where the user was: captured when a step begins and ends, shown again
    // after it is undone or redone.
    void SetViewFunctions(std::function<QVariant()> capture, std::function<void(const QVariant&)> show);

    // Nothing is recorded while paused (loading, saving); pauses nest. A
    // pause keeps the open step open.
    void Pause();
    void Resume();
    bool IsRecording() const { return m_Paused == 0 && !m_Applying; }
    // The state sources' fields as they are now become the reference.
    void Resync();
    // Forgets every step (and what it kept).
    void Clear();

    // A page reported a change worth saving.
    void NoteSavable();
    // Whether the open step holds a change worth saving.
    bool IsPending() const { return m_pOpen && m_Savable; }
    // Ends the open step now.
    void Close();

    // Recording hooks (EditItem, EditRows).
    void RecordData(QStandardItem* item, int role, const QVariant& before);
    void RecordRows(QStandardItemModel* model, int row, const QList<QStandardItem*>& items, bool inserted);
    void Keep(const QList<QStandardItem*>& items, const std::function<void(const QList<QStandardItem*>&)>& destroy);

signals:
    // A change worth saving began or ended a step, or was dropped.
    void pendingChanged();

private:
    friend class EditStep;
    void Open(const QString& name, bool named);
    void CloseTyping();
    void StateRecords(EditStep& step);
    QString FieldName(const QWidget* widget) const;

    struct StateSource
    {
        QPointer<QObject> owner;
        std::function<QVariantMap()> get;
        std::function<void(const QVariantMap&)> set;
        QVariantMap known;
    };

    QObject* m_pRoot;
    QUndoStack* m_pStack;  // child
    EditStep* m_pOpen = nullptr;  // owned until pushed
    int m_NamedDepth = 0;
    bool m_Savable = false;
    bool m_CloseQueued = false;
    bool m_Applying = false;
    int m_Paused = 0;
    // Typing merges into the last step while its field keeps the focus.
    QPointer<QWidget> m_pTypingField;
    std::vector<StateSource> m_States;
    std::function<QVariant()> m_CaptureView;
    std::function<void(const QVariant&)> m_ShowView;
};
