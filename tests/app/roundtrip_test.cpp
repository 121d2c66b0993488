#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <memory>

#include "app/productfiles.h"
#include "app/tarvo.h"
#include "appfixtures.h"
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
};

TARVO_REGISTER_TEST(RoundTripTest);

#include "roundtrip_test.moc"
