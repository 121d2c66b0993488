#include "editors/common/edithistory.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QItemSelectionModel>
#include <QLabel>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QSet>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace {

// The histories by root object; a model is recorded by the history of its
// nearest recorded ancestor.
QHash<const QObject*, EditHistory*>& Roots()
{
    static QHash<const QObject*, EditHistory*> roots;
    return roots;
}

// Focus changes end typing steps: a step merges into the last one only while
// the field has kept the focus since.
int FocusSerial = 0;

// Histories that are not paused; while there is none, changes cost no lookup.
int UnpausedHistories = 0;

// The first label (in the order of findChildren) under root whose buddy is
// widget. Only widgets are searched: the pages also own an item model or
// more per row, and every typed key names its step.
const QLabel* BuddyLabel(const QObject* root, const QWidget* widget)
{
    for (const QObject* child : root->children()) {
        if (!child->isWidgetType())
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(child); label && label->buddy() == widget)
            return label;
        if (const QLabel* label = BuddyLabel(child, widget))
            return label;
    }
    return nullptr;
}

EditHistory* RecordingHistory(const QStandardItemModel* model)
{
    if (!model || UnpausedHistories == 0)
        return nullptr;
    EditHistory* history = EditHistory::Of(model);
    return history && history->IsRecording() ? history : nullptr;
}

} // namespace

// One undoable step: what the models and state sources held before each
// change. Undo and redo swap those values with the current ones, so the
// same records serve both ways.
class EditStep : public QUndoCommand
{
public:
    enum Kind { Data, Rows, State };
    struct Record
    {
        Kind kind = Data;
        QStandardItem* item = nullptr;  // Data
        int role = 0;
        QVariant value;
        QPointer<QStandardItemModel> model;  // Rows
        int row = 0;
        QList<QStandardItem*> items;
        bool inserted = false;
        int source = 0;      // State
        QVariantMap fields;  // the fields' values on the other side of the step
    };

    EditStep(EditHistory* history, const QString& name, bool typing)
        : QUndoCommand(name), m_pHistory(history), m_Typing(typing)
    {
    }

    // The field being typed in when the step's change is reported.
    void TakeField()
    {
        if (!m_Typing)
            return;
        m_pField = QApplication::focusWidget();
        m_FocusSerial = FocusSerial;
    }

    ~EditStep() override
    {
        // A row out of its model because of this step belongs to it alone:
        // done, a row whose last record took it out; undone, a row whose
        // first record put it in. Any other row out of its model belongs to
        // another step, and one in a model to the model.
        QHash<QStandardItem*, bool> owned;
        for (const Record& record : m_Records) {
            if (record.kind != Rows)
                continue;
            for (QStandardItem* item : record.items) {
                if (m_Done)
                    owned.insert(item, !record.inserted);
                else if (!owned.contains(item))
                    owned.insert(item, record.inserted);
            }
        }
        QSet<QStandardItem*> gone;
        for (auto it = owned.cbegin(); it != owned.cend(); ++it)
            if (it.value() && it.key())
                gone.insert(it.key());
        for (const Kept& kept : m_Kept) {
            if (!kept.destroy || kept.items.isEmpty() || !gone.contains(kept.items.first()))
                continue;
            for (QStandardItem* item : kept.items)
                gone.remove(item);
            kept.destroy(kept.items);
        }
        qDeleteAll(gone);
    }

    int id() const override { return m_Typing ? 1 : -1; }

    // Whether other (typed after this step) belongs to it: the same field,
    // focused all along, and only values changed.
    bool Takes(const EditStep& other) const
    {
        if (!m_pField || other.m_pField != m_pField || other.m_FocusSerial != m_FocusSerial)
            return false;
        const auto structural = [](const Record& record) { return record.kind == Rows; };
        return std::none_of(other.m_Records.begin(), other.m_Records.end(), structural) && other.m_Kept.isEmpty();
    }

    bool mergeWith(const QUndoCommand* command) override
    {
        const auto* other = static_cast<const EditStep*>(command);
        if (!Takes(*other))
            return false;
        for (const Record& record : other->m_Records) {
            if (record.kind == Data) {
                if (!m_DataKeys.contains({record.item, record.role}))
                    Add(record);
            } else if (auto it = std::find_if(m_Records.begin(), m_Records.end(),
                                              [&](const Record& own) {
                                                  return own.kind == State && own.source == record.source;
                                              });
                       it != m_Records.end()) {
                for (auto field = record.fields.begin(); field != record.fields.end(); ++field)
                    if (!it->fields.contains(field.key()))
                        it->fields.insert(field.key(), field.value());
            } else {
                m_Records.prepend(record);
            }
        }
        m_ViewAfter = other->m_ViewAfter;
        return true;
    }

    void undo() override
    {
        m_Done = false;
        const QScopedValueRollback<bool> applying(m_pHistory->m_Applying, true);
        {
            const Quiet quiet(m_pHistory->m_pRoot);
            for (auto it = m_Records.rbegin(); it != m_Records.rend(); ++it)
                SwapModel(*it);
        }
        for (Record& record : m_Records)
            SwapState(record);
        if (m_pHistory->m_ShowView)
            m_pHistory->m_ShowView(m_ViewBefore);
    }

    void redo() override
    {
        // Pushing a step redoes it; it is already done.
        m_Done = true;
        if (m_FirstRedo) {
            m_FirstRedo = false;
            return;
        }
        const QScopedValueRollback<bool> applying(m_pHistory->m_Applying, true);
        {
            const Quiet quiet(m_pHistory->m_pRoot);
            for (Record& record : m_Records)
                SwapModel(record);
        }
        for (Record& record : m_Records)
            SwapState(record);
        if (m_pHistory->m_ShowView)
            m_pHistory->m_ShowView(m_ViewAfter);
    }

    void Add(const Record& record)
    {
        if (record.kind == Data)
            m_DataKeys.insert({record.item, record.role});
        m_Records.append(record);
    }
    void Prepend(const Record& record) { m_Records.prepend(record); }
    void Keep(const QList<QStandardItem*>& items, const std::function<void(const QList<QStandardItem*>&)>& destroy)
    {
        m_Kept.append({items, destroy});
    }
    bool IsEmpty() const { return m_Records.isEmpty(); }
    bool IsTyping() const { return m_Typing; }
    QWidget* Field() const { return m_pField; }

    QVariant m_ViewBefore;
    QVariant m_ViewAfter;

private:
    struct Kept
    {
        QList<QStandardItem*> items;
        std::function<void(const QList<QStandardItem*>&)> destroy;
    };

    // The widgets and selections under root say nothing while the models
    // change under them: their handlers would write what they showed before
    // back into the models. The view is shown afresh afterwards.
    class Quiet
    {
    public:
        explicit Quiet(QObject* root) { Block(root); }
        ~Quiet()
        {
            for (const QPointer<QObject>& object : m_Blocked)
                if (object)
                    object->blockSignals(false);
        }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        // Widgets hold the widgets and the views' selection models; the
        // other objects (the models, tens of thousands in a large file) are
        // not walked.
        void Block(QObject* parent)
        {
            for (QObject* object : parent->children()) {
                const bool widget = object->isWidgetType();
                if ((widget || qobject_cast<QItemSelectionModel*>(object)) && !object->signalsBlocked()) {
                    object->blockSignals(true);
                    m_Blocked.append(object);
                }
                if (widget)
                    Block(object);
            }
        }

        QList<QPointer<QObject>> m_Blocked;
    };

    void SwapModel(Record& record)
    {
        switch (record.kind) {
        case State:
            break;
        case Data: {
            QVariant now = record.item->data(record.role);
            record.item->QStandardItem::setData(record.value, record.role);
            record.value = std::move(now);
            break;
        }
        case Rows: {
            QStandardItemModel* model = record.model;
            if (!model)
                break;
            const bool putBack = record.items.value(0) && !record.items.value(0)->model();
            if (putBack && record.row <= model->rowCount())
                model->insertRow(record.row, record.items);
            else if (!putBack && record.row < model->rowCount())
                // Cells made since the row went in (rows leave empty ones
                // out) go with it, and come back with it.
                record.items = model->takeRow(record.row);
            break;
        }
        }
    }

    // The pages holding state set their widgets with their own signals
    // blocked, so nothing else follows from it.
    void SwapState(Record& record)
    {
        if (record.kind != State)
            return;
        EditHistory::StateSource& source = m_pHistory->m_States[size_t(record.source)];
        if (!source.owner)
            return;
        const QVariantMap now = source.get();
        QVariantMap other;
        for (auto field = record.fields.begin(); field != record.fields.end(); ++field)
            other.insert(field.key(), now.value(field.key()));
        {
            const QSignalBlocker quiet(source.owner.data());
            source.set(record.fields);
        }
        record.fields = other;
        source.known = source.get();
    }

    EditHistory* m_pHistory;
    const bool m_Typing;
    int m_FocusSerial = -1;
    QPointer<QWidget> m_pField;
    bool m_FirstRedo = true;
    bool m_Done = true;
    QList<Record> m_Records;
    QSet<QPair<QStandardItem*, int>> m_DataKeys;
    QList<Kept> m_Kept;
};

void EditItem::setData(const QVariant& value, int role)
{
    if (EditHistory* history = RecordingHistory(model())) {
        QVariant before = data(role);
        if (before != value || before.isValid() != value.isValid())
            history->RecordData(this, role, before);
    }
    QStandardItem::setData(value, role);
}

QStandardItem* EditItem::clone() const
{
    return new EditItem(*this);
}

void MakeEditModel(QStandardItemModel& model)
{
    model.setItemPrototype(new EditItem());
}

QStandardItemModel* NewEditModel(int columns, QObject* parent)
{
    auto* model = new QStandardItemModel(0, columns, parent);
    MakeEditModel(*model);
    return model;
}

namespace EditRows {

void Insert(QStandardItemModel& model, int row, const QList<QStandardItem*>& items)
{
    model.insertRow(row, items);
    if (EditHistory* history = RecordingHistory(&model))
        history->RecordRows(&model, row, items, true);
}

void Append(QStandardItemModel& model, const QList<QStandardItem*>& items)
{
    Insert(model, model.rowCount(), items);
}

QList<QStandardItem*> Take(QStandardItemModel& model, int row)
{
    QList<QStandardItem*> items = model.takeRow(row);
    if (EditHistory* history = RecordingHistory(&model); history && !items.isEmpty())
        history->RecordRows(&model, row, items, false);
    return items;
}

void Discard(const QStandardItemModel& model, const QList<QStandardItem*>& items,
             const std::function<void(const QList<QStandardItem*>&)>& destroy)
{
    if (EditHistory* history = RecordingHistory(&model)) {
        history->Keep(items, destroy);
        return;
    }
    if (destroy)
        destroy(items);
    else
        qDeleteAll(items);
}

void Remove(QStandardItemModel& model, int row, const std::function<void(const QList<QStandardItem*>&)>& destroy)
{
    Discard(model, Take(model, row), destroy);
}

void Move(QStandardItemModel& model, int row, int target)
{
    Insert(model, target, Take(model, row));
}

} // namespace EditRows

EditHistory::EditHistory(QObject* root, QObject* parent)
    : QObject(parent), m_pRoot(root), m_pStack(new QUndoStack(this))
{
    m_pStack->setUndoLimit(StepLimit);
    Roots().insert(root, this);
    ++UnpausedHistories;
    static const bool watching = [] {
        QObject::connect(qApp, &QApplication::focusChanged, qApp, [] { ++FocusSerial; });
        return true;
    }();
    Q_UNUSED(watching);
}

EditHistory::~EditHistory()
{
    Clear();
    Roots().remove(m_pRoot);
    if (m_Paused == 0)
        --UnpausedHistories;
}

EditHistory* EditHistory::Of(const QObject* object)
{
    for (; object; object = object->parent())
        if (EditHistory* history = Roots().value(object))
            return history;
    return nullptr;
}

EditHistory::Step::Step(const QObject* inside, const QString& name) : m_pHistory(EditHistory::Of(inside))
{
    if (!m_pHistory)
        return;
    if (m_pHistory->m_NamedDepth++ == 0 && m_pHistory->IsRecording()) {
        m_pHistory->Close();
        m_pHistory->Open(name, true);
    }
}

EditHistory::Step::~Step()
{
    if (m_pHistory && --m_pHistory->m_NamedDepth == 0)
        m_pHistory->Close();
}

EditHistory::Aside::Aside(const QObject* inside) : m_pHistory(EditHistory::Of(inside))
{
    if (m_pHistory)
        m_pHistory->Pause();
}

EditHistory::Aside::~Aside()
{
    if (m_pHistory)
        m_pHistory->Resume();
}

void EditHistory::Unpaused(const QObject* inside, const std::function<void()>& change)
{
    EditHistory* history = EditHistory::Of(inside);
    if (history)
        history->Resume();
    change();
    if (history)
        history->Pause();
}

void EditHistory::AddStateSource(QObject* owner, std::function<QVariantMap()> get,
                                 std::function<void(const QVariantMap&)> set)
{
    StateSource source{owner, std::move(get), std::move(set), {}};
    source.known = source.get();
    m_States.push_back(std::move(source));
}

void EditHistory::SetViewFunctions(std::function<QVariant()> capture, std::function<void(const QVariant&)> show)
{
    m_CaptureView = std::move(capture);
    m_ShowView = std::move(show);
}

void EditHistory::Pause()
{
    if (m_Paused++ == 0)
        --UnpausedHistories;
}

void EditHistory::Resume()
{
    if (m_Paused > 0 && --m_Paused == 0)
        ++UnpausedHistories;
}

void EditHistory::Resync()
{
    for (StateSource& source : m_States)
        if (source.owner)
            source.known = source.get();
}

void EditHistory::Clear()
{
    delete m_pOpen;
    m_pOpen = nullptr;
    m_Savable = false;
    m_pStack->clear();
    m_States.clear();
}

void EditHistory::NoteSavable()
{
    if (!IsRecording())
        return;
    if (!m_pOpen)
        Open(QString(), false);
    if (!std::exchange(m_Savable, true)) {
        m_pOpen->TakeField();
        emit pendingChanged();
    }
}

void EditHistory::RecordData(QStandardItem* item, int role, const QVariant& before)
{
    if (!m_pOpen)
        Open(QString(), false);
    EditStep::Record record;
    record.item = item;
    record.role = role;
    record.value = before;
    m_pOpen->Add(record);
}

void EditHistory::RecordRows(QStandardItemModel* model, int row, const QList<QStandardItem*>& items, bool inserted)
{
    if (!m_pOpen)
        Open(QString(), false);
    EditStep::Record record;
    record.kind = EditStep::Rows;
    record.model = model;
    record.row = row;
    record.items = items;
    record.inserted = inserted;
    m_pOpen->Add(record);
}

void EditHistory::Keep(const QList<QStandardItem*>& items,
                       const std::function<void(const QList<QStandardItem*>&)>& destroy)
{
    if (!m_pOpen)
        Open(QString(), false);
    m_pOpen->Keep(items, destroy);
}

void EditHistory::Open(const QString& name, bool named)
{
    m_pOpen = new EditStep(this, name, !named);
    m_Savable = false;
    if (m_CaptureView)
        m_pOpen->m_ViewBefore = m_CaptureView();
    if (!named && !m_CloseQueued) {
        // What one event (a key, a click) changes is one step.
        m_CloseQueued = true;
        QTimer::singleShot(0, this, &EditHistory::CloseTyping);
    }
}

void EditHistory::CloseTyping()
{
    m_CloseQueued = false;
    if (m_NamedDepth == 0)
        Close();
}

void EditHistory::StateRecords(EditStep& step)
{
    for (size_t i = 0; i < m_States.size(); ++i) {
        StateSource& source = m_States[i];
        if (!source.owner)
            continue;
        const QVariantMap now = source.get();
        QVariantMap before;
        for (auto field = now.begin(); field != now.end(); ++field)
            if (source.known.value(field.key()) != field.value())
                before.insert(field.key(), source.known.value(field.key()));
        source.known = now;
        if (before.isEmpty())
            continue;
        EditStep::Record record;
        record.kind = EditStep::State;
        record.source = int(i);
        record.fields = before;
        step.Prepend(record);
    }
}

void EditHistory::Close()
{
    EditStep* step = std::exchange(m_pOpen, nullptr);
    if (!step)
        return;
    const bool savable = std::exchange(m_Savable, false);
    if (savable)
        StateRecords(*step);
    if (!savable || step->IsEmpty()) {
        delete step;
        if (savable)
            emit pendingChanged();
        return;
    }
    // A typing step that the stack merges into the last one keeps that one's
    // name (QUndoStack merges with the last step unless it is the clean one).
    const int last = m_pStack->index() - 1;
    const auto* merging = last >= 0 && last + 1 != m_pStack->cleanIndex()
                              ? dynamic_cast<const EditStep*>(m_pStack->command(last))
                              : nullptr;
    if (step->IsTyping() && !(merging && merging->IsTyping() && merging->Takes(*step))) {
        const QString field = FieldName(step->Field());
        step->setText(field.isEmpty() ? tr("Edit") : tr("Edit %1").arg(field));
    }
    if (m_CaptureView)
        step->m_ViewAfter = m_CaptureView();
    m_pStack->push(step);
}

QString EditHistory::FieldName(const QWidget* widget) const
{
    if (!widget)
        return QString();
    QString name;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        name = button->text();
    if (name.isEmpty() && widget->window())
        if (const QLabel* label = BuddyLabel(widget->window(), widget))
            name = label->text();
    if (name.isEmpty())
        name = widget->accessibleName();
    if (name.isEmpty()) {
        // m_pEditEventName reads "Event Name".
        static const QRegularExpression prefix(QStringLiteral("^m_p(Edit|Cmb|Num|Chk|Grp|Text|Spin)?"));
        static const QRegularExpression words(QStringLiteral("([a-z])([A-Z])"));
        name = widget->objectName().remove(prefix).replace(words, QStringLiteral("\\1 \\2"));
        if (name.startsWith(QLatin1String("qt_")))
            name.clear();
    }
    name.remove(QLatin1Char('&'));
    while (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.trimmed();
}
