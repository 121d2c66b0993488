#include <QDir>
#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "app/productfiles.h"
#include "app/startup.h"
#include "app/tarvo.h"
#include "app/trvsplash.h"
#include "appfixtures.h"
#include "editors/info/trvinfo.h"
#include "scriptedprompts.h"
#include "testregistry.h"

// What a user meets on a fresh installation: the first start dialog, the
// examples, `tarvo FILE`, Save As names and the window's geometry.
class FirstRunTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TemporaryHome> m_Home;

private slots:
    void init() { m_Home = std::make_unique<TemporaryHome>(); }
    void cleanup() { m_Home.reset(); }

    void saveAsAddsExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "noext" << "noext.prd";
        QTest::newRow("trailing dot") << "noext." << "noext.prd";
        QTest::newRow("other extension") << "kept.xml" << "kept.xml";
        QTest::newRow("hidden name") << ".hidden" << ".hidden.prd";
        QTest::newRow("dotted folder") << "v1.2/noext" << "v1.2/noext.prd";
        // The file dialog only confirmed replacing the name as typed: ask again.
        QTest::newRow("taken, kept") << "taken" << "";
        QTest::newRow("taken, replaced") << "taken" << "taken.prd";
    }

    void saveAsAddsExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        const QString folder = m_Home->Path() + "/";
        QVERIFY(QDir().mkpath(folder + "v1.2") && WriteFixture(folder + "taken.prd", "old"));
        ScriptedPrompts prompts;
        Tarvo window;
        prompts.Answer(folder + typed).Answer(int(saved.isEmpty() ? QMessageBox::No : QMessageBox::Yes));
        window.SaveAs();
        QCOMPARE(window.FileName(), saved.isEmpty() ? QString() : folder + saved);
        QCOMPARE(ReadWholeFile(folder + "taken.prd") == "old", saved != "taken.prd");
        QCOMPARE(prompts.Kinds().size(), typed == "taken" ? 2 : 1);
    }

    void dataFilesBesideTheProgramOrInItsShareFolder()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("bin");
        QCOMPARE(ExamplesFolder(bin), QString());
        QCOMPARE(TutorialPath(bin), bin + "/tutorial.pdf");
        QVERIFY(WriteFixture(prefix.filePath("share/tarvo/tutorial.pdf"), "%PDF")
                && WriteFixture(prefix.filePath("share/tarvo/examples/a.prd"), ProductText("true")));
        QCOMPARE(TutorialPath(bin), prefix.filePath("share/tarvo/tutorial.pdf"));
        QCOMPARE(ExamplesFolder(bin), prefix.filePath("share/tarvo/examples"));
        QVERIFY(WriteFixture(bin + "/tutorial.pdf", "%PDF"));
        QCOMPARE(TutorialPath(bin), bin + "/tutorial.pdf");
    }

    // First run: the folder is made, the empty list says where files go, and an
    // example opens as an untitled copy whose save never reaches the examples.
    void firstRunOffersExamplesAsCopies()
    {
        QTemporaryDir installed;
        const QByteArray example = ProductText("true", "projector", "Acme", "P1");
        QVERIFY(WriteFixture(installed.filePath("projector.prd"), example)
                && WriteFixture(installed.filePath("b.prd"), ProductText("true", "audio"))
                && WriteFixture(installed.filePath("hand-made.prd"), ProductText("false", "audio")));
        const QString folder = ProductFilesFolder();
        ScriptedPrompts prompts;
        Tarvo window;
        TRVSplash dialog(nullptr, folder, installed.path());
        ConnectStartDialog(dialog, window);
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(dialog.findChild<QLabel*>("label")->text().contains(QDir::toNativeSeparators(folder)));
        QTreeWidget* tree = dialog.findChild<QTreeWidget*>("m_pListProductFiles");
        QTreeWidgetItem* examples = tree->topLevelItem(0);
        QVERIFY(tree->topLevelItemCount() == 1 && examples->text(0) == "Examples" && examples->isExpanded()
                && examples->childCount() == 2);

        dialog.show();
        emit tree->itemDoubleClicked(examples->child(1), 0);
        QVERIFY(!dialog.isVisible() && window.isVisible());
        QCOMPARE(window.InfoEditor()->Fields().model, QStringLiteral("P1"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo (v 2.0) - untitled"));
        window.Save();
        QCOMPARE(prompts.calls.at(0).text, folder + "/Acme_P1.prd");
        QCOMPARE(ReadWholeFile(installed.filePath("projector.prd")), example);

        QVERIFY(WriteFixture(folder + "/mine.prd", example));
        TRVSplash again(nullptr, folder, installed.path());
        QCOMPARE(again.findChild<QLabel*>("label")->text(), QStringLiteral("Product Files"));
    }

    void fileArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("none") << QStringList{"tarvo"} << QString();
        QTest::newRow("relative") << QStringList{"tarvo", "a.prd"} << QDir::current().absoluteFilePath("a.prd");
        QTest::newRow("first, after an option") << QStringList{"tarvo", "-x", "/x/a.prd", "/b"} << "/x/a.prd";
    }

    void fileArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QCOMPARE(FileArgument(arguments), file);
    }

    void startWithFileSkipsTheStartDialog()
    {
        const QString path = m_Home->Path() + "/given.prd";
        ScriptedPrompts prompts;
        Tarvo window;
        QVERIFY(!StartTarvo(window, {"tarvo", path + ".missing"}));
        QVERIFY(window.isVisible() && !window.HasFile() && prompts.Kinds() == QStringList{"critical"});
        QVERIFY(WriteFixture(path, ProductText("true", "video", "Acme", "V9")) && !StartTarvo(window, {"tarvo", path}));
        QCOMPARE(window.InfoEditor()->Fields().model, QStringLiteral("V9"));
        Tarvo other;
        std::unique_ptr<TRVSplash> dialog = StartTarvo(other, {"tarvo"});
        QVERIFY(dialog && dialog->isVisible() && !other.isVisible());
    }

    void windowGeometry()
    {
        {
            Tarvo window;
            window.resize(DefaultWindowSize(window, QSize(1600, 1000)));
            window.show();
            auto* tabs = window.findChild<QTabWidget*>("m_pTabMain");
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                const QWidget* page = tabs->widget(i);
                QVERIFY2(page->size().expandedTo(page->sizeHint()) == page->size(), qPrintable(tabs->tabText(i)));
            }
            QCOMPARE(DefaultWindowSize(window, QSize(500, 400)), QSize(500, 400));
        }
        QSettings settings(m_Home->Path() + "/tarvo.conf", QSettings::IniFormat);
        const QRect moved(40, 50, 640, 480);
        QSize first;
        {
            Tarvo window;
            RestoreWindowGeometry(window, settings);  // nothing saved yet
            first = window.size();
            QCOMPARE(first, DefaultWindowSize(window, window.screen()->availableSize()));
            window.setGeometry(moved);
            SaveWindowGeometry(window, settings);
        }
        Tarvo window;
        RestoreWindowGeometry(window, settings);
        QCOMPARE(window.geometry(), moved);
        settings.setValue("MainWindow/geometry", QByteArray("not a geometry"));
        RestoreWindowGeometry(window, settings);
        QCOMPARE(window.size(), first);
    }
};

TARVO_REGISTER_TEST(FirstRunTest);

#include "firstrun_test.moc"
