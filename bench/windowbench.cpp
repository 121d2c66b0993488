// tarvo-bench-window: a generated product file opened into the main window
// with every page loaded, and saved, at 200, 2,000 and 20,000 events.
//
//   tarvo-bench-window [Google Benchmark flags]
//   tarvo-bench-window --memory EVENTS     one open and save; prints
//                                          "<before KiB> <peak KiB>"
//
// Open: File > Open's path (read, parse, bind, rebuild the pages, every page
// loads). Save: File > Save's path (gather every page into a fresh
// document, write). Peak memory comes from a fresh process per size (the
// program runs itself with --memory): the resident set before the open and
// its high-water mark after the save.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/tarvo.h"
#include "benchdata.h"
#include "editors/events/trvevents.h"

namespace {

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
    if (kib.size() == 2) {
        state.counters["before_MiB"] = kib[0].toDouble() / 1024;
        state.counters["peak_MiB"] = kib[1].toDouble() / 1024;
    }
    QFile::remove(path);
}

void Save(benchmark::State& state)
{
    const int events = static_cast<int>(state.range(0));
    const QString path = WorkingCopy(events);
    Tarvo window;
    window.OpenFile(path);
    if (!Opened(window, events))
        state.SkipWithError("the window did not load every event");
    for (auto _ : state)
        window.Save();
    state.counters["per_event"] = benchmark::Counter(events, benchmark::Counter::kIsIterationInvariantRate |
                                                                 benchmark::Counter::kInvert);
    state.counters["file_MiB"] = static_cast<double>(QFile(path).size()) / (1024 * 1024);
    if (window.IsChanged())
        state.SkipWithError("the save did not happen");
    QFile::remove(path);
}

BENCHMARK(Open)->Name("Window/open")->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(Save)->Name("Window/save")->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// One open and save of a fresh file; prints the resident set before and its
// high-water mark after, in KiB.
int MeasureMemory(int events)
{
    const QString path = WorkingCopy(events);
    const long before = StatusKiB("VmRSS");
    {
        Tarvo window;
        window.OpenFile(path);
        window.Save();
        if (!Opened(window, events))
            return 1;
    }
    std::printf("%ld %ld", before, StatusKiB("VmHWM"));
    QFile::remove(path);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--memory") {
        const int events = std::atoi(argv[2]);
        ProductFile(events);  // generated before the baseline is taken
        return MeasureMemory(events);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
