#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include "app/startup.h"
#include "app/tarvo.h"
#include "app/trvsplash.h"
#include "appfixtures.h"
#include "editors/info/trvinfo.h"
#include "editors/variables/trvvariables.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

// Runs the event loop until something quits it, or fails it after a while so
// that a test never hangs.
int RunEventLoop()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    return QCoreApplication::exec();
}

} // namespace

// The program's start and end as the entry point wires them, with the real
// application quit.
class StartupTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TemporaryHome> m_Home;

private slots:
    void init() { m_Home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_Home.reset(); }

    void newFileShowsWindowAndKeepsRunning()
    {
        ScriptedPrompts prompts;
        Tarvo window;
        TRVSplash dialog(nullptr, m_Home->Path());
        ConnectStartDialog(dialog, window);
        dialog.show();
        QVERIFY(!window.isVisible());
        bool shownAfterClose = false;
        QTimer::singleShot(0, &dialog, [&] { dialog.findChild<QPushButton*>("m_pButNewFile")->click(); });
        // Still running a moment after the dialog closed: the window took over.
        QTimer::singleShot(300, &window, [&] {
            shownAfterClose = window.isVisible() && !dialog.isVisible();
            QCoreApplication::exit(7);
        });
        QCOMPARE(RunEventLoop(), 7);
        QVERIFY(shownAfterClose);
        QVERIFY(prompts.calls.isEmpty());
    }

    void doubleClickedFileOpensInWindow()
    {
        ScriptedPrompts prompts;
        QVERIFY(WriteFixture(m_Home->Path() + "/a.prd", ProductText("true", "audio")));
        Tarvo window;
        TRVSplash dialog(nullptr, m_Home->Path());
        ConnectStartDialog(dialog, window);
        dialog.show();
        QTreeWidget* tree = dialog.findChild<QTreeWidget*>("m_pListProductFiles");
        emit tree->itemDoubleClicked(tree->topLevelItem(0), 0);  // a group opens nothing
        QVERIFY(dialog.isVisible());
        QVERIFY(window.FileName().isEmpty());
        emit tree->itemDoubleClicked(tree->topLevelItem(0)->child(0), 0);
        QVERIFY(window.isVisible());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(window.FileName(), m_Home->Path() + "/a.prd");
        QCOMPARE(window.InfoEditor()->Fields().make, QStringLiteral("Acme"));
    }

    void quitEndsEventLoopAfterOneQuestion_data()
    {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("Quit command") << false;
        QTest::newRow("closing the window") << true;
    }

    void quitEndsEventLoopAfterOneQuestion()
    {
        QFETCH(bool, byClosing);
        ScriptedPrompts prompts;
        Tarvo window;
        QSettings settings(m_Home->Path() + "/tarvo.ini", QSettings::IniFormat);
        KeepWindowGeometry(window, settings);
        window.resize(window.sizeHint() + QSize(31, 17));
        window.show();
        const QSize size = window.size();
        window.VariablesEditor()->AddVariable(window.VariablesEditor()->NewVariable("Changed"));
        window.changesMade();
        prompts.Answer(int(QMessageBox::No));
        QTimer::singleShot(0, &window, [&] {
            if (byClosing)
                window.close();
            else
                window.Quit();
        });
        QCOMPARE(RunEventLoop(), 0);
        QCOMPARE(prompts.Kinds(), QStringList{"question"});
        // A close request is always refused by the window itself; only the
        // Quit command's own closing of every window hides it.
        QCOMPARE(window.isVisible(), byClosing);
        // Either way, the next start has the size the window had.
        Tarvo next;
        RestoreWindowGeometry(next, settings);
        QCOMPARE(next.size(), size);
    }
};

TARVO_REGISTER_TEST(StartupTest);

#include "startup_test.moc"
