#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>

#include <memory>

#include "app/productfiles.h"
#include "app/tarvo.h"
#include "app/help/trvhelp.h"
#include "appfixtures.h"
#include "editors/params/trveventparams.h"
#include "editors/events/trvevents.h"
#include "editors/info/trvinfo.h"
#include "editors/ports/trvportsimport.h"
#include "editors/setup/setuprows.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

const QString kUntitled = QStringLiteral("Tarvo (v 2.0) - untitled");
const QString kRefusedText = QStringLiteral(
    "This file was edited in a text editor and cannot be opened by Tarvo Tool. "
    "Open/Edit the file in a text or XML editor instead.");
const QString kSaveQuestion =
    QStringLiteral("Save your current product file?\nIf you click 'No' all changes will be lost.");

// A main window whose Quit only counts instead of ending the test program.
struct Window
{
    Window() { window.SetQuitHandler([this] { ++quits; }); }
    Tarvo window;
    int quits = 0;

    void Type(const char* name, const QString& text) { window.InfoEditor()->findChild<QLineEdit*>(name)->setText(text); }
};

} // namespace

class TarvoTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TemporaryHome> m_Home;

private slots:
    void init()
    {
        m_Home = std::make_unique<TemporaryHome>();
        QVERIFY(m_Home->IsValid());
    }
    void cleanup() { m_Home.reset(); }

    void everyPageMarksChanges_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("info") << 0;
        QTest::newRow("ports") << 1;
        QTest::newRow("setup") << 2;
        QTest::newRow("events") << 3;
        QTest::newRow("variables") << 4;
    }

    void everyPageMarksChanges()
    {
        QFETCH(int, page);
        Window w;
        QCOMPARE(w.window.windowTitle(), kUntitled);
        // A report of a change counts when something did change.
        TRVVariables* variables = w.window.VariablesEditor();
        switch (page) {
        case 0: {
            TRVInfo* info = w.window.InfoEditor();
            InfoFields fields = info->Fields();
            fields.make = "Changed";
            info->SetFields(fields);
            emit info->savableDataChanged();
            break;
        }
        case 1: {
            TRVPortsImport* ports = w.window.PortsImportEditor();
            PortFields fields = ports->Fields();
            fields.ethernet.devicePort = "4352";
            ports->SetFields(fields);
            emit ports->savableDataChanged();
            break;
        }
        case 2:
            SetupRow::AppendNew(*w.window.SetupEditor()->MessageModel(), SetupRow::KindOutgoing, w.window.SetupEditor(),
                                variables->Model());
            emit w.window.SetupEditor()->savableDataChanged();
            break;
        case 3:
            EventRow::AppendNew(*w.window.EventsEditor()->EventModel(), w.window.EventsEditor(), variables->Model());
            emit w.window.EventsEditor()->savableDataChanged();
            break;
        case 4:
            variables->AddVariable(variables->NewVariable("Changed"));
            emit variables->savableDataChanged();
            break;
        }
        QVERIFY(w.window.IsChanged());
        QCOMPARE(w.window.windowTitle(), kUntitled + "*");
    }

    void failedSaveSaysWhyAndKeepsChanges()
    {
        Window w;
        ScriptedPrompts prompts;
        w.Type("m_pEditMake", "Acme");
        const QString blocked = m_Home->Path() + "/blocked.prd";
        QVERIFY(QDir().mkpath(blocked + "/inside"));
        prompts.Answer(blocked);
        w.window.SaveAs();
        QCOMPARE(prompts.Kinds(), (QStringList{"save", "critical"}));
        QCOMPARE(prompts.calls.at(1).title, QStringLiteral("Cannot Save File"));
        QVERIFY(prompts.calls.at(1).text.contains(blocked));
        QVERIFY(w.window.IsChanged());
        QVERIFY(!w.window.HasFile());
        QCOMPARE(w.window.windowTitle(), kUntitled + "*");

        // A named document whose file can no longer be written stays changed.
        const QString good = m_Home->Path() + "/dir/good.prd";
        QVERIFY(QDir().mkpath(m_Home->Path() + "/dir"));
        prompts.Answer(good);
        w.window.SaveAs();
        QVERIFY(!w.window.IsChanged());
        QVERIFY(QDir(m_Home->Path() + "/dir").removeRecursively());
        w.Type("m_pEditModel", "X");
        w.window.Save();
        QCOMPARE(prompts.Kinds().last(), QStringLiteral("critical"));
        QVERIFY(prompts.calls.last().text.contains(good));
        QVERIFY(w.window.IsChanged());
        QCOMPARE(w.window.windowTitle(), "Tarvo (v 2.0) - " + good + "*");
    }

    void refusedOrEmptyFilesKeepThePreviousFile_data()
    {
        QTest::addColumn<QByteArray>("text");  // null: no file at all
        QTest::addColumn<QString>("says");     // after the file's name
        const QString notXml = " is not an XML file";
        const QString notProduct = " is an XML file but not a product file: its root element is <other>";
        QTest::newRow("creator false") << ProductText("false") << "\n\n" + kRefusedText;
        QTest::newRow("creator 2") << ProductText("2") << "\n\n" + kRefusedText;
        QTest::newRow("creator empty") << ProductText("") << "\n\n" + kRefusedText;
        QTest::newRow("no creator") << ProductText(QString()) << "\n\n" + kRefusedText;
        QTest::newRow("empty") << QByteArray("") << notXml;
        QTest::newRow("text") << QByteArray("PWR 1\r\nPWR 0\r\n") << notXml;
        QTest::newRow("missing") << QByteArray() << " could not be read";
        QTest::newRow("no product element") << QByteArray("<?xml version=\"1.0\"?><other creator=\"true\"/>")
                                            << notProduct;
        QTest::newRow("broken other") << QByteArray("<!-- x --><other><product creator=\"true\"/>") << notProduct;
    }

    void refusedOrEmptyFilesKeepThePreviousFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, says);
        Window w;
        ScriptedPrompts prompts;
        const QString good = m_Home->Path() + "/good.prd";
        QVERIFY(WriteFixture(good, ProductText("true", "video")));
        w.window.OpenFile(good);
        QVERIFY(w.window.HasFile());
        w.Type("m_pEditModel", "P200");

        const QString bad = m_Home->Path() + "/bad.prd";
        if (!text.isNull())
            QVERIFY(WriteFixture(bad, text));
        w.window.OpenFile(bad);
        QCOMPARE(prompts.Kinds(), QStringList{"critical"});
        QCOMPARE(prompts.calls.at(0).title, QStringLiteral("Cannot Open File"));
        QVERIFY2(prompts.calls.at(0).text.startsWith(QDir::toNativeSeparators(bad) + says), qPrintable(prompts.calls.at(0).text));
        QCOMPARE(w.window.FileName(), good);
        QCOMPARE(w.window.windowTitle(), "Tarvo (v 2.0) - " + good + "*");

        // Save writes the editors' content into the file they came from.
        w.window.Save();
        QCOMPARE(ReadWholeFile(bad), text);
        QVERIFY(ReadWholeFile(good).contains("model=\"P200\""));
        QVERIFY(!w.window.IsChanged());
    }

    void savedFileReopensWithSameValues()
    {
        const QString path = ProductFilesFolder() + "/round.prd";
        {
            Window w;
            ScriptedPrompts prompts;
            w.Type("m_pEditMake", "Acme");
            w.Type("m_pEditModel", "P100");
            w.Type("m_pEditVersion", "2.5");
            w.Type("m_pEditProtocol", "AcmeNet");
            InfoFields fields = w.window.InfoEditor()->Fields();
            fields.description = "Line one\nLine two";
            fields.authors = QStringList{"Ann", "Bo"};
            fields.group = "lighting";
            w.window.InfoEditor()->SetFields(fields);
            prompts.Answer(path);
            w.window.Save();
            QCOMPARE(prompts.calls.at(0).text, ProductFilesFolder() + "/Acme_P100.prd");
            QCOMPARE(w.window.windowTitle(), "Tarvo (v 2.0) - " + path);
            QVERIFY(w.window.HasFile());
            QVERIFY(!w.window.IsChanged());
            QCOMPARE(w.window.LastDialogPath(), path);
        }
        Window w;
        ScriptedPrompts prompts;
        prompts.Answer(path);
        w.window.on_actionOpen_triggered();
        QCOMPARE(prompts.Kinds(), QStringList{"open"});
        QCOMPARE(prompts.calls.at(0).title, QStringLiteral("Product File"));
        QCOMPARE(prompts.calls.at(0).text, ProductFilesFolder() + "/");
        QCOMPARE(w.window.windowTitle(), "Tarvo (v 2.0) - " + path);
        QVERIFY(!w.window.IsChanged());
        QVERIFY(w.window.InfoEditor()->HasFile());
        const InfoFields fields = w.window.InfoEditor()->Fields();
        QCOMPARE(fields.make, QStringLiteral("Acme"));
        QCOMPARE(fields.model, QStringLiteral("P100"));
        QCOMPARE(fields.version, QStringLiteral("2.5"));  // built without a file: not raised
        QCOMPARE(fields.protocol, QStringLiteral("AcmeNet"));
        QCOMPARE(fields.group, QStringLiteral("lighting"));
        QCOMPARE(fields.description, QStringLiteral("Line one\nLine two"));
        QCOMPARE(fields.authors, (QStringList{"Ann", "Bo"}));

        // Each save of the opened file raises its version by 0.1.
        w.window.Save();
        QCOMPARE(w.window.InfoEditor()->Fields().version, QStringLiteral("2.6"));
        w.window.Save();
        QVERIFY(ReadWholeFile(path).contains("<version>2.7</version>"));
        // A cancelled Save As raises nothing, neither now nor at the next save.
        prompts.Answer(QString());
        w.window.SaveAs();
        QCOMPARE(w.window.InfoEditor()->Fields().version, QStringLiteral("2.7"));
        w.window.Save();
        QVERIFY(ReadWholeFile(path).contains("<version>2.8</version>"));
    }

    // Texts longer than a line edit holds by default, shown in their fields and saved.
    void longTextsSurviveShowAndSave()
    {
        const QString path = m_Home->Path() + "/long.prd";
        const QByteArray reply(40000, 'r'), example(40000, 'e');
        QByteArray text = ReadWholeFile(QStringLiteral(TARVO_TEST_DATA_DIR "/check/problems.prd"));
        text.replace("PWR=on\\r</message>", reply + "</message>").replace("example=\"DVI\"", "example=\"" + example + '"');
        QVERIFY(WriteFixture(path, text));
        Window w;
        ScriptedPrompts prompts;
        w.window.OpenFile(path);
        w.window.EventsEditor()->SelectRow(1);
        auto* params = w.window.EventsEditor()->findChild<TRVEventParams*>();
        params->SelectParameter(params->Model()->item(1));
        w.window.Save();
        const QByteArray saved = ReadWholeFile(path);
        QVERIFY(saved.contains('>' + reply + "</message>"));
        QVERIFY(saved.contains("example=\"" + example + '"'));
    }

    void savedFileAlwaysCarriesCreator()
    {
        Window w;
        ScriptedPrompts prompts;
        const QString path = m_Home->Path() + "/old.prd";
        QVERIFY(WriteFixture(path,
                             "<?xml version=\"1.0\"?><product make=\"M\" model=\"N\" creator=\"yes\" creator_ver=\"7\" "
                             "xsi:noNamespaceSchemaLocation=\"other.xsd\"><!-- note --><unknown/></product>"));
        w.window.OpenFile(path);
        QVERIFY(w.window.HasFile());
        w.window.Save();
        const QByteArray text = ReadWholeFile(path);
        QVERIFY2(text.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\" ?><product make=\"M\" model=\"N\" "
                                 "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                 "xsi:noNamespaceSchemaLocation=\"shell.xsd\" creator=\"true\" creator_ver=\"2\" >"),
                 text.constData());
        QVERIFY(!text.contains("unknown"));
    }

    void unsavedPromptOnNew_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAnswer");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << QString() << false;
        QTest::newRow("no") << int(QMessageBox::No) << QString() << true;
        QTest::newRow("yes, save as cancelled") << int(QMessageBox::Yes) << QString() << false;
        QTest::newRow("yes, saved") << int(QMessageBox::Yes) << "saved.prd" << true;
    }

    void unsavedPromptOnNew()
    {
        QFETCH(int, answer);
        QFETCH(QString, saveAnswer);
        QFETCH(bool, cleared);
        Window w;
        ScriptedPrompts prompts;
        w.Type("m_pEditMake", "Acme");
        prompts.Answer(answer);
        if (answer == QMessageBox::Yes)
            prompts.Answer(saveAnswer.isEmpty() ? QString() : m_Home->Path() + "/" + saveAnswer);
        w.window.on_actionNew_triggered();
        const PromptCall& question = prompts.calls.at(0);
        QCOMPARE(question.kind, QStringLiteral("question"));
        QCOMPARE(question.title, QStringLiteral("Save Your Changes"));
        QCOMPARE(question.text, kSaveQuestion);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::NoButton);
        QCOMPARE(prompts.unanswered, 0);
        if (answer == QMessageBox::Yes) {
            // Untitled: Save asks where, proposing make_model in the folder, which exists.
            const PromptCall& save = prompts.calls.at(1);
            QCOMPARE(save.kind, QStringLiteral("save"));
            QCOMPARE(save.filter, QStringLiteral("Product File (*.prd)"));
            QCOMPARE(save.text, ProductFilesFolder() + "/Acme_Model.prd");
            QVERIFY(QFileInfo(ProductFilesFolder()).isDir());
        }
        QCOMPARE(w.window.InfoEditor()->Fields().make.isEmpty(), cleared);
        if (cleared) {
            QCOMPARE(w.window.windowTitle(), kUntitled);
            QVERIFY(!w.window.IsChanged());
            QVERIFY(!w.window.HasFile());
        } else {
            QVERIFY(w.window.IsChanged());
        }
        if (!saveAnswer.isEmpty())
            QVERIFY(ReadWholeFile(m_Home->Path() + "/" + saveAnswer).contains("make=\"Acme\""));
    }

    void quit_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveAsAnswered");
        QTest::addColumn<int>("quits");
        QTest::addColumn<bool>("written");
        QTest::newRow("clean") << false << false << -1 << false << 1 << false;
        QTest::newRow("cancel") << true << true << int(QMessageBox::Cancel) << false << 0 << false;
        QTest::newRow("no") << true << true << int(QMessageBox::No) << false << 1 << false;
        QTest::newRow("yes, named") << true << true << int(QMessageBox::Yes) << false << 1 << true;
        QTest::newRow("yes, untitled, save as cancelled") << true << false << int(QMessageBox::Yes) << false << 0
                                                          << false;
        QTest::newRow("yes, untitled, saved as") << true << false << int(QMessageBox::Yes) << true << 1 << true;
    }

    void quit()
    {
        QFETCH(bool, changed);
        QFETCH(bool, named);
        QFETCH(int, answer);
        QFETCH(bool, saveAsAnswered);
        QFETCH(int, quits);
        QFETCH(bool, written);
        for (bool byClosing : {false, true}) {
            Window w;
            ScriptedPrompts prompts;
            const QString path = m_Home->Path() + (byClosing ? "/closed.prd" : "/quit.prd");
            QFile::remove(path);
            if (named) {
                prompts.Answer(path);
                w.window.SaveAs();
                QFile::remove(path);
                prompts.calls.clear();
            }
            if (changed)
                w.Type("m_pEditMake", "Changed");
            if (answer >= 0)
                prompts.Answer(answer);
            if (answer == QMessageBox::Yes && !named)
                prompts.Answer(saveAsAnswered ? path : QString());
            w.window.show();
            if (byClosing)
                w.window.close();
            else
                w.window.Quit();
            QCOMPARE(w.quits, quits);
            QCOMPARE(QFile::exists(path), written);
            QCOMPARE(prompts.unanswered, 0);
            QCOMPARE(prompts.Kinds().count("question"), changed ? 1 : 0);
            // Closing never closes the window by itself; quitting does.
            if (byClosing)
                QVERIFY(w.window.isVisible());
        }
    }

    // The window's save tests cover refusals; this one checks that a shorter
    // save replaces a longer file whole.
    void writeReplacesWholeFileOrSaysWhy()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.prd");
        QString error;
        QVERIFY(WriteWholeFile(path, "first, longer content", &error));
        QVERIFY(WriteWholeFile(path, "second", &error));
        QCOMPARE(ReadWholeFile(path), QByteArray("second"));

        const QString blocked = dir.filePath("blocked.prd");
        QVERIFY(QDir().mkpath(blocked + "/inside"));
        QVERIFY(!WriteWholeFile(blocked, "content", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(blocked + "/inside").isDir());
        QVERIFY(ReadWholeFile(dir.filePath("none.prd")).isEmpty());
    }

    void tutorialPdf()
    {
        Window w;
        // The desktop has no application for PDF files.
        struct NoViewer : ScriptedPrompts
        {
            bool OpenUrl(const QUrl& url) override { return ScriptedPrompts::OpenUrl(url) && false; }
        } prompts;
        const QString path = QCoreApplication::applicationDirPath() + "/tutorial.pdf";
        const QByteArray built = ReadWholeFile(path);
        QFile::remove(path);
        w.window.on_actionOpen_Tutorial_PDF_triggered();
        QCOMPARE(prompts.Kinds(), QStringList{"critical"});
        QVERIFY(prompts.calls.at(0).text.contains(path));

        QVERIFY(WriteFixture(path, "%PDF-1.4"));
        w.window.on_actionOpen_Tutorial_PDF_triggered();
        QCOMPARE(prompts.Kinds(), (QStringList{"critical", "url", "critical"}));
        QCOMPARE(prompts.calls.at(1).url, QUrl::fromLocalFile(path));
        QVERIFY(prompts.calls.at(2).text.contains(path));
        QVERIFY(prompts.calls.at(2).text.contains("View Tutorial"));
        QFile::remove(path);
        if (!built.isEmpty())
            WriteFixture(path, built);
    }

    // F1 shows the text with its contents and finds words in it, the
    // pictures taken from beside it; no viewer is asked.
    void tutorialWindow()
    {
        Window w;
        ScriptedPrompts prompts;
        const QString path = QCoreApplication::applicationDirPath() + "/tutorial.md";
        const QByteArray built = ReadWholeFile(path);
        QFile::remove(path);
        w.window.on_actionPRD_Creation_Guide_triggered();
        QCOMPARE(prompts.Kinds(), QStringList{"critical"});
        QVERIFY(prompts.calls.at(0).text.contains(path));

        const QString picture = QCoreApplication::applicationDirPath() + "/screens/help-test.png";
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        QDir().mkpath(QFileInfo(picture).path());
        QVERIFY(image.save(picture));
        QVERIFY(WriteFixture(path, "# Guide\n\nIntro.\n\n## Ports\n\nTick Ethernet.\n\n![Ports](screens/help-test.png)\n\n"
                                   "## Events\n\nThe seed is captured.\n"));

        w.window.on_actionPRD_Creation_Guide_triggered();
        QCOMPARE(prompts.Kinds(), QStringList{"critical"});
        TRVHelp* help = w.window.Help();
        QVERIFY(help && help->isVisible());
        auto* contents = help->findChild<QTreeWidget*>("m_pTreeContents");
        QCOMPARE(contents->topLevelItemCount(), 1);
        QCOMPARE(contents->topLevelItem(0)->childCount(), 2);
        QCOMPARE(contents->topLevelItem(0)->child(1)->text(0), QString("Events"));
        const QVariant loaded = help->Document()->resource(QTextDocument::ImageResource, QUrl("screens/help-test.png"));
        QCOMPARE(qvariant_cast<QImage>(loaded).size(), QSize(40, 20));
        QVERIFY(help->Find("seed"));
        QVERIFY(help->Find("Ethernet"));  // found again from the top
        QVERIFY(!help->Find("lamp"));
        QFile::remove(picture);
        QFile::remove(path);
        if (!built.isEmpty())
            WriteFixture(path, built);
    }
};

TARVO_REGISTER_TEST(TarvoTest);

#include "tarvo_test.moc"
