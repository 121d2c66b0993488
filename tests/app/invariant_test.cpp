#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

#include "app/producteditors.h"
#include "productsemantics.h"
#include "prdgenerator.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

const QString kSource = QStringLiteral(TARVO_SOURCE_DIR);

QStringList FilesUnder(const QString& dir, const QStringList& patterns, bool recursive)
{
    QStringList files;
    QDirIterator it(kSource + "/" + dir, patterns, QDir::Files,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

std::vector<ProductFact> FactsOf(const QByteArray& text)
{
    std::vector<ProductFact> facts;
    ProductFactsOfText(std::string_view(text.constData(), static_cast<size_t>(text.size())), &facts);
    return facts;
}

// A driver with one event Q sending one message with the given attributes,
// and the given variables.
QByteArray Driver(const QByteArray& message, const QByteArray& variables)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?><product creator=\"true\"><protocols><protocol name=\"P\">"
           "<commands><command name=\"Q\"><messages><message " +
           message + "/></messages></command></commands><variables>" + variables +
           "</variables></protocol></protocols></product>";
}

QByteArray Parting(const QByteArray& actual, const QByteArray& expected)
{
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return "from byte " + QByteArray::number(at) + ":\n  again: " + actual.mid(std::max<qsizetype>(0, at - 60), 160) +
           "\n  once:  " + expected.mid(std::max<qsizetype>(0, at - 60), 160);
}

} // namespace

// Every product file we have (example drivers, test fixtures, generated
// drivers and the fuzz seeds) opened and saved as the window does keeps
// everything the show controller reads, and a save saved again gives the
// same bytes. Inputs the window refuses are counted, not compared.
class InvariantTest : public QObject
{
    Q_OBJECT

    int m_Compared = 0;
    int m_Refused = 0;

private slots:
    void openAndSave_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QStringList files = FilesUnder("examples", {"*.prd"}, false) + FilesUnder("tests", {"*.prd"}, true) +
                                  FilesUnder("fuzz/corpus/document", {}, false) +
                                  FilesUnder("fuzz/regressions/document", {}, false);
        for (const QString& path : files) {
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            QTest::newRow(qPrintable(QDir(kSource).relativeFilePath(path))) << file.readAll();
        }
        // Drivers of several shapes: few and many events, variables and setup messages.
        const struct { uint64_t seed; int events; int variables; int setup; } generated[] = {
            {1, 5, -1, -1}, {2, 30, -1, -1}, {3, 60, 12, 4}, {4, 12, 0, 0}, {5, 100, -1, -1}, {6, 40, 30, 6},
            {7, 300, -1, -1}, {8, 1, 1, 1}, {9, 150, 60, 8},
        };
        for (const auto& g : generated) {
            PrdGenOptions options;
            options.seed = g.seed;
            options.events = g.events;
            options.variables = g.variables;
            options.setupMessages = g.setup;
            const std::string text = GeneratePrd(options);
            QTest::newRow(qPrintable(QStringLiteral("generated seed %1, %2 events").arg(g.seed).arg(g.events)))
                << QByteArray(text.data(), static_cast<qsizetype>(text.size()));
        }
    }
    void openAndSave()
    {
        QFETCH(QByteArray, text);
        ScriptedPrompts prompts;
        QByteArray once, again;
        QString error;
        if (!ResaveProductText(text, false, true, &once, &error)) {
            ++m_Refused;
            QSKIP(qPrintable("not opened: " + error));
        }
        ++m_Compared;
        const std::string difference = FirstFactDifference(FactsOf(text), FactsOf(once));
        QVERIFY2(difference.empty(), difference.c_str());
        QVERIFY2(ResaveProductText(once, false, true, &again, &error), qPrintable(error));
        QVERIFY2(again == once, Parting(again, once).constData());
    }

    // What the comparison lets pass and what it reports, on small drivers:
    // an event Q with one message, and variables.
    void comparison_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QString>("reported");
        const QByteArray sent = "format=\"&quot;V %d&quot;, xor(&quot;xor(&quot;)\"";
        const QByteArray vars = "<var name=\"Gain\"><rules><integer min=\"0\" max=\"9\"/></rules><lvs><lv name=\"G0\" init=\"1\"/></lvs></var>";
        QTest::newRow("same") << Driver(sent, vars) << Driver(sent, vars) << "";
        QTest::newRow("kept as typed") << Driver(sent, vars) << Driver(sent + " manual=\"true\"", vars) << "";
        QTest::newRow("no longer typed") << Driver(sent + " manual=\"true\"", vars) << Driver(sent, vars)
                                         << "event 1 message 1: manual was \"true\", saved \"false\"";
        QTest::newRow("XOR( outside quotes") << Driver(sent, vars)
                                             << Driver("format=\"&quot;V %d&quot;, BCC(&quot;xor(&quot;)\"", vars) << "";
        QTest::newRow("XOR( inside quotes") << Driver(sent, vars)
                                            << Driver("format=\"&quot;V %d&quot;, BCC(&quot;BCC(&quot;)\"", vars)
                                            << "event 1 message 1: format was";
        QTest::newRow("message name lost") << Driver(sent + " name=\"Login 1\"", vars) << Driver(sent, vars)
                                           << "event 1 message 1: name was \"Login 1\", saved \"\"";
        QTest::newRow("built-in added") << Driver(sent, vars) << Driver(sent, "<var name=\"Error\"/>" + vars) << "";
        QTest::newRow("variable added") << Driver(sent, vars) << Driver(sent, vars + "<var name=\"X\"/>")
                                        << "the save adds variable \"X\" name (\"X\")";
        QTest::newRow("limit") << Driver(sent, vars) << Driver(sent, QByteArray(vars).replace("max=\"9\"", "max=\"8\""))
                               << "variable \"Gain\": max was \"9\", saved \"8\"";
        QTest::newRow("entry lost") << Driver(sent, vars) << Driver(sent, QByteArray(vars).replace("<lv name=\"G0\" init=\"1\"/>", ""))
                                    << "the save ends before variable \"Gain\" entry (\"G0 = 1\")";
        QTest::newRow("bytes not UTF-8") << Driver(sent, vars) << Driver(QByteArray(sent).replace("V ", "\xe9 "), vars)
                                         << "event 1 message 1: format was \"\\\"V %d\\\", xor(\\\"xor(\\\")\", saved \"\\\"\\xe9 %d";
    }
    void comparison()
    {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, saved);
        QFETCH(QString, reported);
        const QString difference = QString::fromStdString(FirstFactDifference(FactsOf(original), FactsOf(saved)));
        QVERIFY2(reported.isEmpty() ? difference.isEmpty() : difference.startsWith(reported), qPrintable(difference));
    }

    // Guards against the inputs silently going away or all being refused.
    void comparedEnough()
    {
        QVERIFY2(m_Compared >= 40, qPrintable(QStringLiteral("compared %1, refused %2").arg(m_Compared).arg(m_Refused)));
    }
};

TARVO_REGISTER_TEST(InvariantTest);

#include "invariant_test.moc"
