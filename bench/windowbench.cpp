// tarvo-bench-window: a generated product file opened into the main window
// with every page loaded, and saved, at 200, 2,000 and 20,000 events; and
// undo and redo of the pages' steps in the 2,000-event file.
//
//   tarvo-bench-window [Google Benchmark flags]
//   tarvo-bench-window --memory EVENTS     one open and save; prints
//                                          "<before KiB> <open peak KiB>
//                                          <open and save peak KiB>"
//   tarvo-bench-window --memory-stages EVENTS
//                                          the resident set after each stage
//                                          of an open and save, and the item
//                                          models and cells the pages hold
//   tarvo-bench-window --history-memory EVENTS record|paused
//                                          1,000 steps of typing and deleting;
//                                          prints "<opened KiB> <after 500
//                                          KiB> <after 1000 KiB> <steps kept>"
//
// Open: File > Open's path (read, parse, bind, rebuild the pages, every page
// loads). Save: File > Save's path (gather every page into a fresh
// document, write). Peak memory comes from a fresh process per size (the
// program runs itself with --memory): the resident set before the open and
// its high-water mark after the save.
//
// Undo and redo: one step made as the user makes it (a key typed into a
// focused field, a list button clicked) in a freshly opened, shown window,
// then undone and redone through the window's history; each timed undo or
// redo includes the events it posts (the view shown afresh, the repaint).
// "after-2000-row-changes": the same in a window whose events list was
// browsed first; objects_left: what each undo and redo leaves behind in the
// window. Keystroke: one character typed into the focused event name field
// and its events processed, with the history recording and paused.

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QWidget>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/producteditors.h"
#include "app/productio.h"
#include "app/tarvo.h"
#include "benchdata.h"
#include "reveal.h"
#include "editors/common/edithistory.h"
#include "editors/common/prompts.h"
#include "editors/events/eventrows.h"
#include "editors/events/trvevents.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/ports/trvportsimport.h"
#include "editors/variables/trvvariables.h"
#include "editors/variables/variablerows.h"
#include "model/document/productdatadocument.h"

namespace {

// No dialog waits for an answer: messages are noted (the last one is
// reported), questions are answered as by Escape, file dialogs cancelled.
class BenchPrompts : public Prompts
{
public:
    void Information(QWidget*, const QString& title, const QString& text) override { Note(title, text); }
    void Critical(QWidget*, const QString& title, const QString& text) override { Note(title, text); }
    QMessageBox::StandardButton Question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton) override
    {
        Note(title, text);
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::NoButton;
    }
    int Choice(QWidget*, const QString& title, const QString& text, const QStringList&) override
    {
        Note(title, text);
        return -1;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return QString(); }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return QString(); }
    bool OpenUrl(const QUrl&) override { return false; }

    QString TakeLast() { return std::exchange(m_Last, QString()); }

private:
    void Note(const QString& title, const QString& text) { m_Last = title + QStringLiteral(": ") + text; }

    QString m_Last;
};

BenchPrompts& Answers()
{
    static BenchPrompts prompts;
    return prompts;
}

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"), or -1.
long StatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

// The generated file of events events, written once per process.
QString ProductFile(int events)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("generated-%1.prd").arg(events));
    if (!QFile::exists(path)) {
        const std::string& text = BenchProductOfEvents(events);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text.data(), static_cast<qint64>(text.size()));
    }
    return path;
}

// A copy of the generated file for a window to open and save over.
QString WorkingCopy(int events)
{
    const QString path = QDir::temp().filePath(QStringLiteral("tarvo-bench-window-%1.prd").arg(events));
    QFile::remove(path);
    QFile::copy(ProductFile(events), path);
    return path;
}

bool Opened(const Tarvo& window, int events)
{
    return window.EventsEditor()->EventModel()->rowCount() == events;
}

void Open(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    const QString path = WorkingCopy(events);
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Tarvo>();
        state.ResumeTiming();
        window->OpenFile(path);
        state.PauseTiming();
        if (!Opened(*window, events))
            state.SkipWithError("the window did not load every event");
        window.reset();
        state.ResumeTiming();
    }
    state.counters["per_event"] = benchmark::Counter(events, benchmark::Counter::kIsIterationInvariantRate |
                                                                 benchmark::Counter::kInvert);
    // Peak memory of one open and save, in a process of its own.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), QString::number(events)});
    child.waitForFinished(-1);
    const QStringList kib = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
    if (kib.size() == 3) {
        state.counters["before_MiB"] = kib[0].toDouble() / 1024;
        state.counters["open_peak_MiB"] = kib[1].toDouble() / 1024;
        state.counters["peak_MiB"] = kib[2].toDouble() / 1024;
    }
    QFile::remove(path);
}

// The first save after an open (a fresh window each time, the open not
// timed), the same once the window has been idle long enough to prepare it,
// and the saves after it. A large file's rows that were not shown are stored
// from their command's text by the first save, unless the window prepared
// them while idle, and their text is written again by the next.
enum class SaveKind { First, Prepared, Again };

void Save(benchmark::State& state, SaveKind kind)
{
    const int events = static_cast<int>(state.range(0));
    const QString path = WorkingCopy(events);
    std::unique_ptr<Tarvo> window;
    // Processor time the idle window spent after the open until every row's
    // texts were read, and until the first save was prepared.
    double textsRead = 0, prepared = 0;
    const auto open = [&] {
        window = std::make_unique<Tarvo>();
        window->OpenFile(path);
        if (!Opened(*window, events))
            state.SkipWithError("the window did not load every event");
        if (kind != SaveKind::Prepared)
            return;
        const std::clock_t start = std::clock();
        const auto spent = [start] { return double(std::clock() - start) / CLOCKS_PER_SEC; };
        QStandardItemModel& rows = *window->EventsEditor()->EventModel();
        EventRow::WhenTextsRead(rows, window.get(), [&] { textsRead = spent(); });
        while (EventRow::UnpreparedRows(rows) > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        prepared = spent();
    };
    if (kind == SaveKind::Again) {
        open();
        window->Save();
    }
    for (auto _ : state) {
        if (kind != SaveKind::Again) {
            state.PauseTiming();
            open();
            state.ResumeTiming();
        }
        window->Save();
        if (window->IsChanged())
            state.SkipWithError("the save did not happen");
    }
    state.counters["per_event"] = benchmark::Counter(events, benchmark::Counter::kIsIterationInvariantRate |
                                                                 benchmark::Counter::kInvert);
    state.counters["file_MiB"] = static_cast<double>(QFile(path).size()) / (1024 * 1024);
    if (kind == SaveKind::Prepared) {
        state.counters["texts_read_s"] = textsRead;
        state.counters["prepared_s"] = prepared;
    }
    window.reset();
    QFile::remove(path);
}

BENCHMARK(Open)->Name("Window/open")->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, first, SaveKind::First)->Name("Window/save")->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, prepared, SaveKind::Prepared)->Name("Window/save prepared")->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, again, SaveKind::Again)->Name("Window/save again")->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// ---- Undo and redo ------------------------------------------------------

// The events of the undo, redo and keystroke file: 2,000, or
// TARVO_BENCH_UNDO_EVENTS when set (20000 for a large file).
const int kUndoEvents = [] {
    const int events = qEnvironmentVariableIntValue("TARVO_BENCH_UNDO_EVENTS");
    return events > 0 ? events : 2000;
}();

template <class T>
T* Child(QObject* root, const char* name)
{
    return root->findChild<T*>(QString::fromLatin1(name));
}

// A key pressed and released on the focused widget as the platform delivers
// it: the shortcut override first (the window's filter sees it; no shortcut
// of the window uses the keys typed here), then the press and the release.
void KeyClick(QWidget* widget, Qt::Key key, const QString& text)
{
    QKeyEvent override(QEvent::ShortcutOverride, key, Qt::NoModifier, text);
    override.ignore();
    QApplication::sendEvent(widget, &override);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

// The field of name on page, shown and focused anew (a new focus starts a
// new typing step), with the cursor at its end.
QLineEdit* FocusField(QWidget* page, const char* name)
{
    auto* field = Child<QLineEdit>(page, name);
    if (!field)
        return nullptr;
    Reveal(field);
    page->window()->setFocus(Qt::OtherFocusReason);
    field->setFocus(Qt::OtherFocusReason);
    field->end(false);
    return field->hasFocus() ? field : nullptr;
}

bool ClickButton(QWidget* page, const char* name)
{
    auto* button = Child<QAbstractButton>(page, name);
    if (!button || !button->isEnabled())
        return false;
    Reveal(button)->setFocus(Qt::OtherFocusReason);
    button->click();
    return true;
}

// The window the undo benchmarks work in: the 2,000-event file opened
// afresh for each benchmark (key), shown and active so that fields take the
// focus as when typed into. rowChanges: the events list's current row
// changes that many times first, as when the user browses the events.
struct UndoWindowSlot
{
    std::unique_ptr<Tarvo> window;
    std::string key;
};

UndoWindowSlot& UndoWindows()
{
    static UndoWindowSlot slot;
    return slot;
}

Tarvo& UndoWindow(const std::string& key, int rowChanges = 0)
{
    UndoWindowSlot& slot = UndoWindows();
    if (!slot.window || slot.key != key) {
        slot.window.reset();
        slot.window = std::make_unique<Tarvo>();
        slot.key = key;
        Tarvo& window = *slot.window;
        window.resize(1280, 800);
        window.show();
        QApplication::setActiveWindow(&window);
        window.OpenFile(WorkingCopy(kUndoEvents));
        QCoreApplication::processEvents();
        // A large file's window prepares its first save while idle, for a
        // few seconds after the open; the steps are measured after that.
        while (EventRow::UnpreparedRows(*window.EventsEditor()->EventModel()) > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (const QString said = Answers().TakeLast(); !said.isEmpty())
            std::fprintf(stderr, "opening said: %s\n", qPrintable(said));
        TRVEvents* events = window.EventsEditor();
        for (int change = 0; change < rowChanges; ++change)
            events->SelectRow(change % events->EventModel()->rowCount());
        QCoreApplication::processEvents();
    }
    return *slot.window;
}

// The event the steps act on: the first from the middle on with outgoing
// and incoming substrings, so that showing it again hands both editors work.
int UndoEventRow(const Tarvo& window)
{
    const QStandardItemModel& events = *window.EventsEditor()->EventModel();
    for (int row = events.rowCount() / 2; row < events.rowCount(); ++row) {
        const OutgoingSSModel_c* outgoing = EventRow::Outgoing(events, row);
        const QStandardItemModel* incoming = EventRow::Incoming(events, row);
        if (outgoing && outgoing->rowCount() > 0 && incoming && incoming->rowCount() > 0)
            return row;
    }
    return events.rowCount() / 2;
}

// The device variable (listed on the Device Variables page, not built in)
// that the most events use; uses receives their number.
QStandardItem* MostUsedVariable(Tarvo& window, int* uses)
{
    TRVVariables* page = window.VariablesEditor();
    QStandardItemModel* model = page->Model();
    QStandardItem* best = nullptr;
    *uses = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStandardItem* name = model->item(row, TRVVariables::ColName);
        if (!name || IsBuiltInVariable(name))
            continue;
        page->SelectVariable(name);
        if (page->SelectedVariable() != name)
            continue;  // a setup variable, listed on the setup page
        const int count = window.EventsEditor()->RowsUsingVariable(name);
        if (count > *uses) {
            *uses = count;
            best = name;
        }
    }
    return best;
}

// One step made on the window; false when it could not be made.
struct UndoStep
{
    const char* name;
    std::function<bool(Tarvo&, benchmark::State&)> make;
    int rowChanges = 0;  // made in a window whose events list was browsed this much
};

bool TypeDevicePort(Tarvo& window, benchmark::State&)
{
    QLineEdit* field = FocusField(window.PortsImportEditor(), "m_pEditDevicePort");
    if (!field || !field->isEnabled())
        return false;
    const QString before = field->text();
    KeyClick(field, Qt::Key_1, QStringLiteral("1"));
    return field->text() != before;
}

const std::vector<UndoStep>& UndoSteps()
{
    static const std::vector<UndoStep> steps = {
        {"type-event-name",
         [](Tarvo& window, benchmark::State&) {
             TRVEvents* events = window.EventsEditor();
             events->SelectRow(UndoEventRow(window));
             QLineEdit* field = FocusField(events, "m_pEditEventName");
             if (!field)
                 return false;
             KeyClick(field, Qt::Key_X, QStringLiteral("x"));
             return true;
         }},
        {"delete-event",
         [](Tarvo& window, benchmark::State&) {
             window.EventsEditor()->SelectRow(UndoEventRow(window));
             return ClickButton(window.EventsEditor(), "m_pButDeleteEvent");
         }},
        {"duplicate-event",
         [](Tarvo& window, benchmark::State&) {
             window.EventsEditor()->SelectRow(UndoEventRow(window));
             return ClickButton(window.EventsEditor(), "m_pButDupEvent");
         }},
        {"move-event-down",
         [](Tarvo& window, benchmark::State&) {
             window.EventsEditor()->SelectRow(UndoEventRow(window));
             return ClickButton(window.EventsEditor(), "m_pButMoveEventDown");
         }},
        {"delete-used-variable",
         [](Tarvo& window, benchmark::State& state) {
             int uses = 0;
             QStandardItem* variable = MostUsedVariable(window, &uses);
             if (!variable)
                 return false;
             state.counters["events_using"] = uses;
             window.VariablesEditor()->SelectVariable(variable);
             return ClickButton(window.VariablesEditor(), "m_pButDeleteVariable");
         }},
        {"type-device-port", TypeDevicePort},
        {"type-device-port-after-2000-row-changes", TypeDevicePort, 2000},
    };
    return steps;
}

// Makes the step, then times undo (redo: false) or redo (redo: true) of it;
// the other half of each round trip is not timed. The step is undone at the
// end, so every benchmark starts from the file as opened.
void UndoRedo(benchmark::State& state, const UndoStep& step, bool redo)
{
    Tarvo& window = UndoWindow(std::string(step.name) + (redo ? "/redo" : "/undo"), step.rowChanges);
    QUndoStack* stack = window.History()->Stack();
    const int index = stack->index();
    if (!step.make(window, state)) {
        state.SkipWithError("the step could not be made");
        return;
    }
    QCoreApplication::processEvents();  // what one key or click changes is one step
    window.History()->Close();
    if (stack->index() != index + 1) {
        state.SkipWithError("the action made no step");
        return;
    }
    state.SetLabel(stack->undoText().toStdString());
    const qsizetype objects = window.findChildren<QObject*>().size();
    for (auto _ : state) {
        if (redo) {
            state.PauseTiming();
            stack->undo();
            QCoreApplication::processEvents();
            state.ResumeTiming();
            stack->redo();
            QCoreApplication::processEvents();
        } else {
            stack->undo();
            QCoreApplication::processEvents();
            state.PauseTiming();
            stack->redo();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    }
    // Objects that each undo and redo leave behind (they slow every later one).
    state.counters["objects_left"] = benchmark::Counter(
        double(window.findChildren<QObject*>().size() - objects) / double(std::max<int64_t>(state.iterations(), 1)));
    stack->undo();
    QCoreApplication::processEvents();
    // Nothing is left to redo: the next call makes the step afresh on the
    // same rows, with the undone one already gone.
    stack->clear();
    // Focus leaves the field, so that the next step does not merge into this one.
    window.setFocus(Qt::OtherFocusReason);
    if (!Opened(window, kUndoEvents))
        state.SkipWithError("undo did not give back every event");
}

// One character typed into the focused event name field (and taken back by
// an untimed backspace), with the history recording or paused.
void Keystroke(benchmark::State& state, bool recording)
{
    Tarvo& window = UndoWindow("keystroke");
    TRVEvents* events = window.EventsEditor();
    events->SelectRow(UndoEventRow(window));
    QLineEdit* field = FocusField(events, "m_pEditEventName");
    if (!field) {
        state.SkipWithError("the event name field takes no focus");
        return;
    }
    const QString before = field->text();
    const int index = window.History()->Stack()->index();
    if (!recording)
        window.History()->Pause();
    for (auto _ : state) {
        KeyClick(field, Qt::Key_X, QStringLiteral("x"));
        QCoreApplication::processEvents();
        state.PauseTiming();
        KeyClick(field, Qt::Key_Backspace, QString());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (!recording)
        window.History()->Resume();
    window.setFocus(Qt::OtherFocusReason);
    window.History()->Close();
    const int steps = window.History()->Stack()->index() - index;
    state.counters["steps"] = steps;
    if (steps != (recording ? 1 : 0))
        state.SkipWithError("the keys did not make the steps expected (one when recorded, none when paused)");
    if (steps > 0)
        window.History()->Stack()->undo();
    QCoreApplication::processEvents();
    if (field->text() != before)
        state.SkipWithError("the name did not come back");
}

// The resident set after 500 and 1,000 steps (typing a character into an
// event's name, deleting the event, in turn), measured in a fresh process.
void HistoryMemory(benchmark::State& state)
{
    const auto run = [](const char* mode) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--history-memory"), QString::number(kUndoEvents), QString::fromLatin1(mode)});
        child.waitForFinished(-1);
        return QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
    };
    QStringList recorded, paused;
    for (auto _ : state) {
        recorded = run("record");
        paused = run("paused");
    }
    if (recorded.size() != 4 || paused.size() != 4) {
        state.SkipWithError("the measuring process failed");
        return;
    }
    state.counters["opened_MiB"] = recorded[0].toDouble() / 1024;
    state.counters["after500_MiB"] = recorded[1].toDouble() / 1024;
    state.counters["after1000_MiB"] = recorded[2].toDouble() / 1024;
    state.counters["kept_steps"] = recorded[3].toDouble();
    state.counters["paused_opened_MiB"] = paused[0].toDouble() / 1024;
    state.counters["paused_after500_MiB"] = paused[1].toDouble() / 1024;
    state.counters["paused_after1000_MiB"] = paused[2].toDouble() / 1024;
}

void RegisterUndoBenchmarks()
{
    for (const UndoStep& step : UndoSteps()) {
        for (const bool redo : {false, true}) {
            const std::string name =
                std::string(redo ? "Window/redo/" : "Window/undo/") + step.name + "/" + std::to_string(kUndoEvents);
            benchmark::RegisterBenchmark(name.c_str(),
                                         [&step, redo](benchmark::State& state) { UndoRedo(state, step, redo); })
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
        }
    }
    for (const bool recording : {true, false}) {
        const std::string name = std::string("Window/keystroke/") + (recording ? "history" : "paused") + "/"
                                 + std::to_string(kUndoEvents);
        benchmark::RegisterBenchmark(name.c_str(),
                                     [recording](benchmark::State& state) { Keystroke(state, recording); })
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    }
    benchmark::RegisterBenchmark("Window/history-memory/2000", HistoryMemory)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

// Typing a character into an event's name, then deleting the event, steps
// times in all (record) or the same with the history paused; prints the
// resident set after the open, after 500 and after 1,000 steps, and the
// steps the history kept.
int MeasureHistoryMemory(int events, bool record)
{
    const QString path = WorkingCopy(events);
    Tarvo window;
    window.resize(1280, 800);
    window.show();
    QApplication::setActiveWindow(&window);
    window.OpenFile(path);
    QCoreApplication::processEvents();
    if (!Opened(window, events))
        return 1;
    if (!record)
        window.History()->Pause();
    const long opened = StatusKiB("VmRSS");
    long after500 = 0;
    TRVEvents* page = window.EventsEditor();
    for (int step = 0; step < 1000; step += 2) {
        page->SelectRow(step / 2);
        QLineEdit* field = FocusField(page, "m_pEditEventName");
        if (!field)
            return 1;
        KeyClick(field, Qt::Key_X, QStringLiteral("x"));
        QCoreApplication::processEvents();
        if (!ClickButton(page, "m_pButDeleteEvent"))
            return 1;
        QCoreApplication::processEvents();
        if (step + 2 == 500)
            after500 = StatusKiB("VmRSS");
    }
    const long after1000 = StatusKiB("VmRSS");
    const int kept = window.History()->Stack()->count();
    if (!record)
        window.History()->Resume();
    std::printf("%ld %ld %ld %d", opened, after500, after1000, kept);
    QFile::remove(path);
    return 0;
}

// One open and save of a fresh file in the window; prints the resident set
// before the open, its high-water mark after the open and after the save,
// in KiB. Freed heap is handed back after the open, so the save's mark
// measures the save rather than what the open left free.
int MeasureMemory(int events)
{
    const QString path = WorkingCopy(events);
    const long before = StatusKiB("VmRSS");
    long opened = -1;
    {
        Tarvo window;
        window.OpenFile(path);
        opened = StatusKiB("VmHWM");
        malloc_trim(0);
        window.Save();
        if (!Opened(window, events))
            return 1;
    }
    std::printf("%ld %ld %ld", before, opened, StatusKiB("VmHWM"));
    QFile::remove(path);
    return 0;
}

// Where an open's and a save's memory goes, stage by stage, through the same
// calls as the window (ProductEditors): the resident set after each, with
// freed heap handed back first, in KiB.
int MeasureStages(int events)
{
    const QString path = ProductFile(events);
    auto stage = [](const char* what) {
        malloc_trim(0);
        std::printf("%-34s %8ld\n", what, StatusKiB("VmRSS"));
    };
    stage("before");
    QByteArray text;
    if (QFile file(path); file.open(QIODevice::ReadOnly))
        text = file.readAll();
    stage("file read");
    auto document = std::make_unique<ProductDataDocument_c>();
    ProductData_c* product = nullptr;
    if (LoadProductText(*document, text, product, nullptr, ProductCommandsAs::Text) != ProductLoadResult::Loaded)
        return 1;
    stage("document parsed and bound");
    QWidget owner;
    ProductEditors pages;
    pages.Rebuild(&owner, true);
    pages.Load(product);
    stage("pages loaded (commands freed)");
    // What the pages hold: their item models and the cells made in them.
    const QList<QStandardItemModel*> models = owner.findChildren<QStandardItemModel*>();
    long cells = 0;
    for (const QStandardItemModel* model : models) {
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column)
                cells += model->item(row, column) ? 1 : 0;
        }
    }
    std::printf("%-34s %8lld\n%-34s %8ld\n", "  item models", static_cast<long long>(models.size()), "  cells", cells);
    document.reset();
    text = QByteArray();
    stage("document and file text freed");
    ProductDataDocument_c saved;
    QByteArray bytes;
    QString error;
    ProductData_c* gathered = pages.Gather(saved);
    stage("pages stored into a document");
    if (!ProductFileBytes(saved, gathered, &bytes, &error))
        return 1;
    stage("document written");
    pages.Delete();
    stage("pages deleted");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Prompts::Install(&Answers());
    if (argc == 3 && std::string(argv[1]) == "--memory") {
        const int events = std::atoi(argv[2]);
        ProductFile(events);  // generated before the baseline is taken
        return MeasureMemory(events);
    }
    if (argc == 3 && std::string(argv[1]) == "--memory-stages") {
        const int events = std::atoi(argv[2]);
        ProductFile(events);
        return MeasureStages(events);
    }
    if (argc == 4 && std::string(argv[1]) == "--history-memory") {
        const int events = std::atoi(argv[2]);
        ProductFile(events);
        return MeasureHistoryMemory(events, std::string(argv[3]) == "record");
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    RegisterUndoBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The window's steps refer to its pages: it goes before the application.
    UndoWindows().window.reset();
    return 0;
}
