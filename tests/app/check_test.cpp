#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "app/producteditors.h"
#include "app/tarvo.h"
#include "app/trvcheckproblems.h"
#include "appfixtures.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/params/trveventparams.h"
#include "editors/events/trvevents.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"
#include "scriptedprompts.h"
#include "testregistry.h"

class CheckProductFileTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TemporaryHome> m_Home;

    // A copy of a fixture in the temporary home, open in window.
    QString Open(Tarvo& window, const QString& fixture)
    {
        const QString path = m_Home->Path() + QStringLiteral("/") + QFileInfo(fixture).fileName();
        QFile::remove(path);
        if (!QFile::copy(QStringLiteral(TARVO_TEST_DATA_DIR "/") + fixture, path))
            return {};
        window.OpenFile(path);
        return window.FileName() == path ? path : QString();
    }

private slots:
    void init()
    {
        m_Home = std::make_unique<TemporaryHome>();
        QVERIFY(m_Home->IsValid());
    }
    void cleanup() { m_Home.reset(); }

    // problems.prd: the setup message sends nothing; event 2's option
    // example is none of its options and its reply example does not match;
    // a device variable repeats a name. F7 lists them, in page order, and a
    // listed problem shows its row, and the part of it, on its tab.
    void listsProblemsAndShowsTheirRows_data()
    {
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("partRow");
        QTest::newRow("setup message") << 0 << "Setup" << 0 << -1;
        QTest::newRow("parameter") << 1 << "Events" << 1 << 1;
        QTest::newRow("incoming") << 2 << "Events" << 1 << -1;
        QTest::newRow("variable") << 3 << "Variables" << 2 << -1;
    }
    void listsProblemsAndShowsTheirRows()
    {
        QFETCH(int, problem);
        QFETCH(QString, tab);
        QFETCH(int, row);
        QFETCH(int, partRow);
        ScriptedPrompts prompts;
        Tarvo window;
        QVERIFY(!Open(window, QStringLiteral("check/problems.prd")).isEmpty());
        window.findChild<QAction*>(QStringLiteral("actionCheck_Product_File"))->trigger();
        TRVCheckProblems* list = window.CheckProblems();
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->Problems().size(), 4);
        QVERIFY(!window.IsChanged());

        auto* tree = list->findChild<QTreeWidget*>(QStringLiteral("m_pTreeProblems"));
        list->on_m_pTreeProblems_itemActivated(tree->topLevelItem(problem), 0);
        QCOMPARE(window.findChild<QTabWidget*>(QStringLiteral("m_pTabMain"))->currentWidget()->objectName(), tab);
        if (tab == QLatin1String("Setup"))
            QCOMPARE(window.SetupEditor()->CurrentRow(), row);
        if (tab == QLatin1String("Events")) {
            QCOMPARE(window.EventsEditor()->CurrentRow(), row);
            QWidget* part = partRow >= 0 ? static_cast<QWidget*>(window.EventsEditor()->ParamsEditor())
                                         : window.EventsEditor()->IncomingEditor();
            QVERIFY(part->isVisibleTo(window.EventsEditor()));
            if (partRow >= 0)
                QCOMPARE(window.EventsEditor()->ParamsEditor()->CurrentRow(), partRow);
        }
        if (tab == QLatin1String("Variables"))
            QCOMPARE(window.VariablesEditor()->SelectedVariable(), window.VariablesEditor()->Model()->item(row, 0));
        QVERIFY(!window.IsChanged());
    }

    // tarvo-cli save runs the window's own open, load, gather and write: for
    // each file it gives the bytes File > Open and File > Save write. A file
    // with messages kept as stored says so once it is open.
    void headlessSaveWritesTheWindowsBytes_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("said");
        QTest::newRow("problems") << "check/problems.prd" << "";
        QTest::newRow("round trip golden") << "roundtrip/projector.prd" << "";
        QTest::newRow("kept as stored") << "roundtrip/stored.prd" << "6 messages were kept as stored because";
    }
    void headlessSaveWritesTheWindowsBytes()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, said);
        ScriptedPrompts prompts;
        Tarvo window;
        const QString path = Open(window, fixture);
        QVERIFY(!path.isEmpty());
        QCOMPARE(prompts.Kinds(), said.isEmpty() ? QStringList() : QStringList{"information"});
        QVERIFY(said.isEmpty() || prompts.calls.at(0).text.startsWith(said));
        prompts.calls.clear();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray opened = file.readAll();
        file.close();
        window.Save();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray headless;
        QString error;
        QVERIFY2(ResaveProductText(opened, true, true, &headless, &error), qPrintable(error));
        QCOMPARE(headless, file.readAll());
        QVERIFY(prompts.calls.isEmpty());
    }
};

TARVO_REGISTER_TEST(CheckProductFileTest);
#include "check_test.moc"
