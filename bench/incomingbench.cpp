// tarvo-bench-incoming: one character typed into the example reply of a
// 40-substring incoming response, until the match status, every capture and
// every result are shown again; and the refresh on long and pathological
// replies, where the matcher's budget decides.
//
//   tarvo-bench-incoming [Google Benchmark flags]
//
// Model: RefreshResponse (unescape, match status, capture search, captures,
// results). Editor: the same keystroke typed into the page's example field,
// on the offscreen platform; the match runs on a worker thread and the
// keystroke waits for it at most IncomingMatchRunner::Patience().
//
// Hostile: a reply whose costly part sits at its end, n "x" then n digits,
// against a digits-only variable row before a constant the reply lacks;
// searching for the captures by restarting at every digit costs n^2.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <QLineEdit>
#include <QStandardItemModel>

#include "editors/incoming/incomingssexample.h"
#include "editors/incoming/incomingssmatch.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/incoming/incomingssrunner.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/events/trvevents.h"

#include <QFile>

namespace {

namespace SS = IncomingSS;

constexpr int kFields = 12;

// A status reply: "STATUS ", twelve "Fn=" fields of up to five digits, each
// closed by ";", captured into four device variables (every third with an
// operation), two locals computed from them, and the free text after it.
struct Response
{
    QStandardItemModel vars;
    QStandardItemModel model;
    QString example;

    Response(int exampleSize)
    {
        for (int i = 0; i < 4; ++i)
            vars.appendRow({new QStandardItem(QStringLiteral("Var%1").arg(i)), new QStandardItem(QStringLiteral("0")),
                            new QStandardItem(QString::number(i))});
        vars.appendRow({new QStandardItem(QStringLiteral("Offset")), new QStandardItem(QStringLiteral("0")),
                        new QStandardItem(QStringLiteral("100"))});
        Constant(QStringLiteral("STATUS "));
        example = QStringLiteral("STATUS ");
        for (int field = 0; field < kFields; ++field) {
            Constant(QStringLiteral("F%1=").arg(field));
            const int row = Append(SS::TypeVariable);
            Set(row, SS::ColCharTypes, QString::number(SS::CharsDigits));
            Set(row, SS::ColMinimum, QStringLiteral("1"));
            Set(row, SS::ColMaximum, QStringLiteral("5"));
            SS::SetLinkedVariable(model, row, vars.item(field % 4, 0));
            if (field % 3 == 0) {
                Set(row, SS::ColOperation, QStringLiteral("Var%1 * 2 + Offset").arg(field % 4));
                Set(row, SS::ColOperationOn, QStringLiteral("true"));
            }
            Constant(QStringLiteral(";"));
            example += QStringLiteral("F%1=%2;").arg(field).arg(10000 + field * 77);
        }
        Local(QStringLiteral("sum"), QStringLiteral("Var0 + Var1"));
        Local(QStringLiteral("flag"), QStringLiteral("Left(Var2, 1)"));
        const int rest = Append(SS::TypeWildcard);
        Set(rest, SS::ColCharTypes, QString::number(SS::CharsAny));
        while (example.size() < exampleSize)
            example += QStringLiteral("lamp ok fan ok ");
        example.truncate(exampleSize);
        SS::UpdateAllRowPatterns(model);
    }

    int Append(int type)
    {
        const int row = model.rowCount();
        model.appendRow(SS::NewRow(row, type));
        return row;
    }
    void Set(int row, int column, const QString& text) { SS::SetText(model, row, column, text); }
    void Constant(const QString& text) { Set(Append(SS::TypeConstant), SS::ColConstant, text); }
    void Local(const QString& name, const QString& operation)
    {
        const int row = Append(SS::TypeLocal);
        Set(row, SS::ColVariable, name);
        Set(row, SS::ColCharTypes, QString::number(SS::CharsNone));
        Set(row, SS::ColOperation, operation);
        Set(row, SS::ColOperationOn, QStringLiteral("true"));
    }
};

void Check(benchmark::State& state, const SS::ResponseState& shown, bool match, bool checked)
{
    if (shown.match != match || shown.checked != checked)
        state.SkipWithError("unexpected match status");
}

void TypeIntoModel(benchmark::State& state)
{
    Response response(1024);
    IncomingMatcher matcher;
    bool longer = false;
    SS::ResponseState shown;
    for (auto _ : state) {
        longer = !longer;
        const QString example = longer ? response.example + QLatin1Char('x') : response.example;
        shown = SS::RefreshResponse(response.model, &response.vars, example, matcher);
        benchmark::DoNotOptimize(shown.format.constData());
    }
    Check(state, shown, true, true);
    state.counters["rows"] = response.model.rowCount();
}

void TypeIntoEditor(benchmark::State& state)
{
    Response response(1024);
    TRVEventIncomingSS page(&response.vars, nullptr);
    page.SetModel(&response.model, response.example);
    page.SetManual(false, {});
    auto* field = page.findChild<QLineEdit*>(QStringLiteral("m_pEditExampleIncomingReponse"));
    field->setCursorPosition(int(field->text().size()));
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        if (longer)
            field->insert(QStringLiteral("x"));
        else
            field->backspace();
    }
    if (!page.MatchStatus().contains(QLatin1String("A Match!")))
        state.SkipWithError("the example no longer matches");
}

// A 100 KB reply that matches: checked in full.
void LongReply(benchmark::State& state)
{
    Response response(100 * 1024);
    IncomingMatcher matcher;
    SS::ResponseState shown;
    for (auto _ : state)
        shown = SS::RefreshResponse(response.model, &response.vars, response.example, matcher);
    Check(state, shown, true, true);
}

// A capture search that would restart at every position of a 100 KB reply
// (((a*)*b) against a's only): refused once its forecast passes the budget.
void PathologicalSearch(benchmark::State& state)
{
    QStandardItemModel vars, model;
    model.appendRow(SS::NewRow(0, SS::TypeWildcard));
    SS::SetText(model, 0, SS::ColCharTypes, QString::number(SS::CharsAny));
    model.appendRow(SS::NewRow(1, SS::TypeConstant));
    SS::UpdateAllRowPatterns(model);
    SS::SetText(model, 1, SS::ColPattern, QStringLiteral("((a*)*b)"));
    const QString reply(100 * 1024, QLatin1Char('a'));
    IncomingMatcher matcher;
    SS::ResponseState shown;
    for (auto _ : state)
        shown = SS::RefreshResponse(model, &vars, reply, matcher);
    Check(state, shown, false, false);
}

// Forty (.*) groups over 100 KB: about a second per QRegExp call, refused.
void PathologicalPattern(benchmark::State& state)
{
    QStandardItemModel vars, model;
    for (int row = 0; row < 40; ++row) {
        model.appendRow(SS::NewRow(row, SS::TypeLocal));
        SS::SetText(model, row, SS::ColCharTypes, QString::number(SS::CharsAny));
    }
    SS::UpdateAllRowPatterns(model);
    const QString reply(100 * 1024, QLatin1Char('a'));
    IncomingMatcher matcher;
    SS::ResponseState shown;
    for (auto _ : state)
        shown = SS::RefreshResponse(model, &vars, reply, matcher);
    Check(state, shown, false, false);
}

// Any text, then a digits-only variable, then ";" (absent from the reply).
struct Hostile
{
    QStandardItemModel vars, model;
    QString reply;

    explicit Hostile(int half)
    {
        vars.appendRow({new QStandardItem(QStringLiteral("Level")), new QStandardItem(QStringLiteral("0")),
                        new QStandardItem(QStringLiteral("0"))});
        model.appendRow(SS::NewRow(0, SS::TypeWildcard));
        SS::SetText(model, 0, SS::ColCharTypes, QString::number(SS::CharsAny));
        model.appendRow(SS::NewRow(1, SS::TypeVariable));
        SS::SetText(model, 1, SS::ColCharTypes, QString::number(SS::CharsDigits));
        SS::SetLinkedVariable(model, 1, vars.item(0, 0));
        model.appendRow(SS::NewRow(2, SS::TypeConstant));
        SS::SetText(model, 2, SS::ColConstant, QStringLiteral(";"));
        SS::UpdateAllRowPatterns(model);
        reply = QString(half + 5, QLatin1Char('x')) + QString(half, QLatin1Char('7'));
    }
};

// The whole refresh on the hostile reply, synchronous as headless callers
// run it: linear, so it is checked in full.
void HostileRefresh(benchmark::State& state)
{
    Hostile hostile(int(state.range(0)));
    IncomingMatcher matcher;
    SS::ResponseState shown;
    for (auto _ : state)
        shown = SS::RefreshResponse(hostile.model, &hostile.vars, hostile.reply, matcher);
    Check(state, shown, false, true);
    state.counters["chars"] = double(hostile.reply.size());
}

// The field an example is typed in: the slice of a long one.
QLineEdit* ExampleField(const TRVEventIncomingSS& page)
{
    auto* part = page.findChild<QLineEdit*>(QStringLiteral("m_pEditExampleIncomingPart"));
    return part && !part->isHidden() ? part : page.findChild<QLineEdit*>(QStringLiteral("m_pEditExampleIncomingReponse"));
}

// One keystroke typed at the end of a hostile or long example in the page,
// until the field and the status respond (the match may still run).
void TypeKeys(benchmark::State& state, QStandardItemModel& vars, QStandardItemModel& model, const QString& example)
{
    TRVEventIncomingSS page(&vars, nullptr);
    page.SetModel(&model, example);
    page.SetManual(false, {});
    page.WaitForMatch(60'000);
    QLineEdit* field = ExampleField(page);
    field->setMaxLength(std::max(field->maxLength(), int(example.size()) + 1));
    field->setCursorPosition(int(field->text().size()));
    // A long example's slice is checked after each key, as the event loop would.
    QObject* slice = page.findChild<IncomingExampleWindow*>();
    bool longer = false;
    double worstMs = 0;
    for (auto _ : state) {
        longer = !longer;
        const auto start = std::chrono::steady_clock::now();
        if (longer)
            field->insert(QStringLiteral("7"));
        else
            field->backspace();
        QCoreApplication::sendPostedEvents(slice, QEvent::MetaCall);
        worstMs = std::max(
            worstMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        // The next keystroke comes after the last one's match, as a typist's would.
        state.PauseTiming();
        page.WaitForMatch(60'000);
        state.ResumeTiming();
    }
    if (page.Example() != (longer ? example + QLatin1Char('7') : example))
        state.SkipWithError("the example was not kept as typed");
    state.counters["worst_ms"] = worstMs;
    state.counters["chars"] = double(example.size());
}

void HostileKeystroke(benchmark::State& state)
{
    Hostile hostile(int(state.range(0)));
    TypeKeys(state, hostile.vars, hostile.model, hostile.reply);
}

// A 1 MB reply that matches, typed into.
void MegabyteKeystroke(benchmark::State& state)
{
    Response response(1024 * 1024);
    TypeKeys(state, response.vars, response.model, response.example);
}

// Peak resident memory of the process so far, in MiB (VmHWM).
double PeakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// An IR file of n codes imported into the events page (as the ports page's
// importer does, progress never cancelling). Run it alone for its memory:
// peak_MiB is the process's high-water mark.
void IRImport(benchmark::State& state)
{
    QList<IRCode> codes;
    for (int i = 0; i < state.range(0); ++i)
        codes.append({QStringLiteral("Code%1").arg(i), QStringLiteral("sendir,1:1,%1,38000,1,1,96\\r").arg(i)});
    const double before = PeakMiB();
    for (auto _ : state) {
        QStandardItemModel variables;
        TRVEvents page(&variables, nullptr);
        if (page.CreateIRFileEvents(codes, [](int) { return true; }) != codes.size())
            state.SkipWithError("not every code imported");
    }
    state.counters["before_MiB"] = before;
    state.counters["peak_MiB"] = PeakMiB();
}

// The same codes one event at a time, each made current, as the import
// did before it built them aside.
void IRImportOneByOne(benchmark::State& state)
{
    const double before = PeakMiB();
    for (auto _ : state) {
        QStandardItemModel variables;
        TRVEvents page(&variables, nullptr);
        for (int i = 0; i < state.range(0); ++i)
            page.CreateIRFileEvent(QStringLiteral("Code%1").arg(i), QStringLiteral("sendir,1:1,%1\\r").arg(i));
    }
    state.counters["before_MiB"] = before;
    state.counters["peak_MiB"] = PeakMiB();
}

BENCHMARK(TypeIntoModel)->Unit(benchmark::kMicrosecond);
BENCHMARK(TypeIntoEditor)->Unit(benchmark::kMicrosecond);
BENCHMARK(LongReply)->Unit(benchmark::kMillisecond);
BENCHMARK(PathologicalSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(PathologicalPattern)->Unit(benchmark::kMillisecond);
BENCHMARK(HostileRefresh)->Arg(16380)->Arg(50 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(HostileKeystroke)->Arg(16380)->Arg(50 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(MegabyteKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(IRImport)->Arg(2000)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(IRImportOneByOne)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
