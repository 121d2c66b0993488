#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "app/productfiles.h"
#include "app/tarvo.h"
#include "app/tutorial/tutorialdriver.h"
#include "appfixtures.h"
#include "testregistry.h"

namespace {

QByteArray WithoutVersion(const QByteArray& bytes)
{
    static const QRegularExpression version(QStringLiteral("<version>[^<]*</version>"));
    return QString::fromUtf8(bytes).replace(version, QStringLiteral("<version/>")).toUtf8();
}

// Where two texts part, with some context, for a failure message.
QByteArray FirstDifference(const QByteArray& a, const QByteArray& b)
{
    qsizetype at = 0;
    while (at < a.size() && at < b.size() && a.at(at) == b.at(at))
        ++at;
    const qsizetype from = qMax<qsizetype>(0, at - 60);
    return "built:   ..." + a.mid(from, 160) + "\nexample: ..." + b.mid(from, 160);
}

} // namespace

// The driver the tutorial's reader builds, from the values its text gives,
// is the example that ships with Tarvo.
class TutorialTest : public QObject
{
    Q_OBJECT

private slots:
    void readerBuildsTheExample()
    {
        TemporaryHome home;
        const QByteArray markdown = ReadWholeFile(QStringLiteral(TARVO_SOURCE_DIR "/docs/tutorial.md"));
        const TutorialValues values = ReadTutorialValues(QString::fromUtf8(markdown));
        QVERIFY(!values.settings.isEmpty());
        QVERIFY(!values.variables.isEmpty());

        Tarvo window;
        window.show();
        QApplication::setActiveWindow(&window);
        const QStringList problems = BuildTutorialDriver(window, values);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        const QString path = home.Path() + QStringLiteral("/built.prd");
        QVERIFY(SaveTutorialDriver(window, path));

        const QByteArray built = WithoutVersion(ReadWholeFile(path));
        const QByteArray example =
            WithoutVersion(ReadWholeFile(QStringLiteral(TARVO_SOURCE_DIR "/examples/projector-tcp.prd")));
        QVERIFY2(built == example, FirstDifference(built, example).constData());
    }

    // Cells written as code keep their spaces; rows of other tables stay apart.
    void tablesOfTheText()
    {
        const QList<MarkdownTable> tables = MarkdownTables(QStringLiteral(
            "| Setting | Value |\n|---|---|\n| Sends | `PWR ` |\n| Ends | `\\r` |\ntext\n"
            "| a | b |\n| :-- | --: |\n| 1 | 2 |\n| 3 |\n"));
        QCOMPARE(tables.size(), 2);
        QCOMPARE(tables.at(0).rows, (QList<QStringList>{{"Sends", "PWR "}, {"Ends", "\\r"}}));
        QCOMPARE(tables.at(1).header, (QStringList{"a", "b"}));
        QCOMPARE(tables.at(1).rows.size(), 2);
    }
};

TARVO_REGISTER_TEST(TutorialTest);

#include "tutorial_test.moc"
