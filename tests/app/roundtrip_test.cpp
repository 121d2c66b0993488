#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardItemModel>
#include <QTest>

#include <memory>

#include "app/productfiles.h"
#include "app/producteditors.h"
#include "app/tarvo.h"
#include "devicetest/driverscript.h"
#include "appfixtures.h"
#include "check/productcheck.h"
#include "editors/events/eventrows.h"
#include "editors/events/trvevents.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"
#include "editors/variables/variablerows.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

const QString kData = QStringLiteral(TARVO_TEST_DATA_DIR "/roundtrip/");

// The bytes with the device version (raised by every save of an opened file) blanked.
QByteArray WithoutVersion(QByteArray bytes)
{
    static const QRegularExpression version(QStringLiteral("<version>[^<]*</version>"));
    return QString::fromUtf8(bytes).replace(version, QStringLiteral("<version/>")).toUtf8();
}

// Where two texts part, for a failure message.
QByteArray Parting(const QByteArray& actual, const QByteArray& expected)
{
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return "at byte " + QByteArray::number(at) + ":\n  actual:   " + actual.mid(std::max<qsizetype>(0, at - 60), 160) +
           "\n  expected: " + expected.mid(std::max<qsizetype>(0, at - 60), 160);
}

} // namespace

// Product files opened in the window and saved give the golden bytes; what
// the window wrote reads back into the same bytes.
class RoundTripTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TemporaryHome> m_Home;

private slots:
    void init() { m_Home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_Home.reset(); }

    // projector: every outgoing and incoming substring kind, every parameter
    // type, generated and hand-typed setup messages, an unsolicited event, an
    // imported IR event, manual formats with and without arguments, XOR
    // calls, every output format, list and setup variables, every port kind.
    void goldenFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("projector") << "projector";
    }
    void goldenFiles()
    {
        QFETCH(QString, name);
        ScriptedPrompts prompts;
        const QString path = m_Home->Path() + "/" + name + ".prd";
        QVERIFY(QFile::copy(kData + name + ".prd", path));
        const QString goldenPath = kData + name + ".saved.prd";
        QByteArray saved;
        {
            Tarvo window;
            window.OpenFile(path);
            QCOMPARE(window.FileName(), path);
            window.Save();
            saved = ReadWholeFile(path);
            // TARVO_UPDATE_GOLDEN=1 writes the golden files anew (review the diff).
            if (qEnvironmentVariableIsSet("TARVO_UPDATE_GOLDEN"))
                QVERIFY(WriteFixture(goldenPath, saved));
            const QByteArray golden = ReadWholeFile(goldenPath);
            QVERIFY2(saved == golden, Parting(saved, golden).constData());
            window.Save();
            QCOMPARE(WithoutVersion(ReadWholeFile(path)), WithoutVersion(saved));
            QVERIFY(ReadWholeFile(path) != saved);
        }
        Tarvo window;
        window.OpenFile(path);
        window.Save();
        const QByteArray again = WithoutVersion(ReadWholeFile(path));
        QVERIFY2(again == WithoutVersion(saved), Parting(again, WithoutVersion(saved)).constData());
        QVERIFY(prompts.calls.isEmpty());
    }

    // An event not shown since a variable it sends was renamed sends, and
    // checks, as before the rename, whether its rows were built at the open
    // or are built when shown.
    void renamedVariableInEventNotShown()
    {
        for (const int buildWhenShownFrom : {100000, 0}) {
            const int usual = EventRow::SetBuildWhenShownFrom(buildWhenShownFrom);
            // A failed comparison returns at once: the tests after it open as usual.
            const auto restore = qScopeGuard([usual] { EventRow::SetBuildWhenShownFrom(usual); });
            const QString path = m_Home->Path() + "/renamed.prd";
            QFile::remove(path);
            QFile::copy(QStringLiteral(TARVO_TEST_DATA_DIR "/roundtrip/projector.prd"), path);
            Tarvo window;
            window.OpenFile(path);
            QStandardItemModel& events = *window.EventsEditor()->EventModel();
            QStandardItemModel& variables = *window.VariablesEditor()->Model();
            const DriverModels models{&events, window.SetupEditor()->MessageModel(), &variables};
            const auto blend = [&] {  // "MIX %x%f%p\r", A, B, Gain
                const DriverScript script(models);
                QByteArray bytes;
                QString error;
                script.OutgoingBytes({MessageRef::Event, script.FindEvent("Blend")}, {}, &bytes, &error);
                return bytes + error.toUtf8();
            };
            const QByteArray before = blend();
            QCOMPARE(before, QByteArray("MIX a0.500000\0\r", 15));
            for (int row = 0; row < variables.rowCount(); ++row) {
                if (variables.item(row, 0)->text() == QLatin1String("Gain"))
                    variables.item(row, 0)->setText(QStringLiteral("GainR"));
            }
            QCOMPARE(blend(), before);
            for (const CheckProblem& problem : CheckProductFile({&events, models.setupMessages, &variables, nullptr})) {
                const QString line = CheckProblemLine(QString(), problem);
                QVERIFY2(!line.contains("outgoing") || !line.contains("'Gain'"), qPrintable(line));
            }
        }
    }

    // Rows built only when shown, as a large file opens, check and save as
    // rows built at once do: before any is shown, once the window prepared
    // their saves, and once all are shown; a row changed before it is built,
    // and the variables renamed, save their change.
    void builtWhenShown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("renamedPart");  // what a renamed variable's checksum call saves
        QTest::newRow("every kind") << "roundtrip/projector.prd" << QByteArray("Level*2, Gain_r, Offset))");
        QTest::newRow("kept as stored") << "roundtrip/stored.prd" << QByteArray();
        QTest::newRow("problems") << "check/problems.prd" << QByteArray();
    }
    void builtWhenShown()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, renamedPart);
        ScriptedPrompts prompts;
        const QString path = m_Home->Path() + "/driver.prd";
        struct Run
        {
            QStringList problems;
            QByteArray saved;
            QByteArray renamed;  // saved again after the last event and the variables were renamed
            int built = 0;       // rows built after the saves
            int unprepared = 0;  // rows whose save was not prepared before the first
            QStringList told;    // what the window told before the check
        };
        enum Mode { Unshown, Prepared, AllShown };
        const auto run = [&](Mode mode) {
            Run out;
            prompts.calls.clear();
            QFile::remove(path);
            QFile::copy(QStringLiteral(TARVO_TEST_DATA_DIR "/") + file, path);
            Tarvo window;
            window.OpenFile(path);
            QStandardItemModel& events = *window.EventsEditor()->EventModel();
            for (int row = 0; mode == AllShown && row < events.rowCount(); ++row)
                window.EventsEditor()->SelectRow(row);
            // The saves prepared while the window is idle.
            for (int turn = 0; mode == Prepared && EventRow::UnpreparedRows(events) > 0 && turn < 1000; ++turn)
                QTest::qWait(10);
            // What was kept is told on the turn after the texts are read.
            if (mode == Prepared)
                QCoreApplication::processEvents();
            for (const PromptCall& call : prompts.calls)
                out.told << call.title + QLatin1Char('\n') + call.text;
            const CheckInput input{&events, window.SetupEditor()->MessageModel(), window.VariablesEditor()->Model(),
                                   nullptr};
            for (const CheckProblem& problem : CheckProductFile(input))
                out.problems << CheckProblemLine(QString(), problem);
            out.unprepared = EventRow::UnpreparedRows(events);
            window.Save();
            out.saved = WithoutVersion(ReadWholeFile(path));
            EventRow::SetText(events, events.rowCount() - 1, EventRow::ColName, QStringLiteral("Renamed"));
            QStandardItemModel& variables = *window.VariablesEditor()->Model();
            for (int row = 0; row < variables.rowCount(); ++row) {
                if (QStandardItem* name = variables.item(row, 0); name && !IsBuiltInVariable(name))
                    name->setText(name->text() + QStringLiteral("_r"));
            }
            window.Save();
            out.renamed = WithoutVersion(ReadWholeFile(path));
            for (int row = 0; row < events.rowCount(); ++row)
                out.built += EventRow::Built(events, row);
            return out;
        };
        const Run built = run(Unshown);
        const int usual = EventRow::SetBuildWhenShownFrom(0);
        const Run unshown = run(Unshown);
        const Run prepared = run(Prepared);
        const Run shown = run(AllShown);
        EventRow::SetBuildWhenShownFrom(usual);
        QCOMPARE(unshown.built, 0);
        QCOMPARE(prepared.built, 0);
        QVERIFY(unshown.unprepared > 0);
        QCOMPARE(prepared.unprepared, 0);
        QCOMPARE(unshown.problems, built.problems);
        // A large file tells what it kept once its rows are read, not at once.
        QCOMPARE(prepared.told, built.told);
        QCOMPARE(unshown.told, QStringList());
        QCOMPARE(built.told.isEmpty(), file != QLatin1String("roundtrip/stored.prd"));
        for (const Run* other : {&unshown, &prepared, &shown}) {
            QVERIFY2(other->saved == built.saved, Parting(other->saved, built.saved).constData());
            QVERIFY2(other->renamed == built.renamed, Parting(other->renamed, built.renamed).constData());
        }
        QVERIFY(built.renamed.contains("Renamed"));
        QVERIFY(built.renamed.contains("_r"));
        // A checksum over an event not shown names the variable as renamed.
        QVERIFY(built.renamed.contains(renamedPart));
    }
};

TARVO_REGISTER_TEST(RoundTripTest);

#include "roundtrip_test.moc"
