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

    // Guards against the inputs silently going away or all being refused.
    void comparedEnough()
    {
        QVERIFY2(m_Compared >= 40, qPrintable(QStringLiteral("compared %1, refused %2").arg(m_Compared).arg(m_Refused)));
    }
};

TARVO_REGISTER_TEST(InvariantTest);

#include "invariant_test.moc"
