#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "editors/ports/irfile.h"
#include "editors/ports/trvportsimport.h"
#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "scriptedprompts.h"
#include "testregistry.h"

static QByteArray ReadData(const QString& name)
{
    QFile file(QStringLiteral(TARVO_TEST_DATA_DIR "/ports/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// Loads text into the page through a document; returns the text of a fresh document the page stored into.
static QByteArray LoadAndStore(TRVPortsImport& page, const QByteArray& text, bool checkAll = false)
{
    ProductDataDocument_c loaded;
    KorBuffer_c in;
    in.Assign(text.constData(), static_cast<int32_t>(text.size()));
    loaded.LoadXML(&in);
    page.Load(loaded.ProductData());
    for (QGroupBox* group : page.findChildren<QGroupBox*>())
        group->setChecked(group->isChecked() || checkAll);
    ProductDataDocument_c saved;
    saved.Reset();
    page.Store(saved.ProductData());
    page.Store(saved.ProductData());  // a second store rewrites the ports rather than adding to them
    KorBuffer_c out;
    saved.SaveXML(&out);
    return QByteArray::fromStdString(out.ToStdString());
}

class TRVPortsImportTest : public QObject
{
    Q_OBJECT

private slots:
    // Expected use: T when the device is reached over TCP, D when the device
    // port is enabled, S when the source port is, ? when its help is.
    void ethernetUse_data()
    {
        QTest::addColumn<bool>("ethernet");
        QTest::addColumn<QString>("type");  // picked from the list, or typed when not in it
        QTest::addColumn<QString>("use");
        QTest::newRow("no ethernet") << false << "tcp_client" << "----";
        QTest::newRow("udp") << true << "udp" << "-DS?";
        QTest::newRow("tcp_client") << true << "tcp_client" << "TD--";
        QTest::newRow("tcp_server") << true << "tcp_server" << "T-S?";
        QTest::newRow("tcp/telnet") << true << "tcp/telnet" << "TD--";
        QTest::newRow("typed tcp") << true << "my tcp" << "TD--";
        QTest::newRow("typed TCP: case counts") << true << "TCP" << "-D--";
    }

    void ethernetUse()
    {
        QFETCH(bool, ethernet);
        QFETCH(QString, type);
        TRVPortsImport page(nullptr);
        QSignalSpy tcp(&page, &TRVPortsImport::hasTCP);
        auto* group = page.findChild<QGroupBox*>("m_pGrpEthernet");
        auto* combo = page.findChild<QComboBox*>("m_pCmbEthType");
        QWidget* fields[] = {page.findChild<QWidget*>("m_pEditDevicePort"),
                             page.findChild<QWidget*>("m_pEditSourcePort"),
                             page.findChild<QWidget*>("m_pButSourcePortHelp")};
        const auto use = [&] {
            QString shown = tcp.last().at(0).toBool() ? "T" : "-";
            for (int i = 0; i < 3; ++i)
                shown += fields[i]->isEnabled() ? QString("DS?")[i] : QChar('-');
            return shown;
        };
        group->setChecked(ethernet);
        combo->findText(type) >= 0 ? combo->setCurrentIndex(combo->findText(type)) : combo->setEditText(type);
        QTEST(use(), "use");
        group->setChecked(false);
        QCOMPARE(use(), QStringLiteral("----"));
    }

    // Each case's product goes through the page into a fresh document; the
    // stored text is stored again unchanged.
    void loadStore_data()
    {
        QTest::addColumn<bool>("checkAll");  // the rows name the files
        QTest::newRow("defaults") << true;
        QTest::newRow("every-kind") << false;  // out of order, repeated, unknown kinds, a type in capitals
        QTest::newRow("bare-ports") << false;  // no options, or options missing fields
    }

    void loadStore()
    {
        QFETCH(bool, checkAll);
        const QString name = QTest::currentDataTag();
        TRVPortsImport page(nullptr);
        QSignalSpy tcp(&page, &TRVPortsImport::hasTCP);
        const QByteArray stored = LoadAndStore(page, ReadData(name + ".in.prd"), checkAll);
        QCOMPARE(stored, ReadData(name + ".out.prd"));
        QCOMPARE(tcp.last().at(0).toBool(), stored.contains("etype=\"tcp"));
        QCOMPARE(LoadAndStore(page, stored), stored);
    }

    void importIRFile_data()
    {
        QTest::addColumn<QByteArray>("content");  // null: Browse was cancelled
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("box");
        const QString none = "critical: Error: No events were found to import.";
        const QString notText = "critical: Error: \"codes.txt\" is not a text file of IR codes. "
                                "No events were imported.";
        const QStringList both{"Power=0000006D\\r", "Mute=00000022\\r"};
        const QString bothImported = "information: Success!: 2 events imported successfully";
        QTest::newRow("CR LF") << QByteArray("[Power] 0000 006D\r\n[Mute]0000 0022\r\n") << both << bothImported;
        QTest::newRow("LF") << QByteArray("[Power] 0000 006D\n[Mute]0000 0022") << both << bothImported;
        const QString oneImported = "information: Success!: 1 events imported successfully";
        QTest::newRow("no ]") << QByteArray("Input HDMI 1\r\n") << QStringList{"InputHDMI1="} << oneImported;
        QTest::newRow("empty names") << QByteArray("[] 01\r\n[ \t] 02\n\r\n ]03\n[A]\t1 ] 2\n")
                                     << QStringList{"A=1\\r"} << oneImported;
        QTest::newRow("empty file") << QByteArray("") << QStringList{} << none;
        QTest::newRow("not chosen") << QByteArray() << QStringList{} << none;
        QTest::newRow("binary") << QByteArray("[A] 1\r\n\0\1\2", 10) << QStringList{} << notText;
        QTest::newRow("not UTF-8") << QByteArray("[Caf\xe9] 1\r\n") << QStringList{} << notText;
        QTest::newRow("too large") << QByteArray("[A] 1\n").repeated(IRFileSizeLimit / 6 + 1) << QStringList{}
                                   << "critical: Error: \"codes.txt\" is larger than 4 MB, too large for a "
                                      "file of IR codes. No events were imported.";
    }

    void importIRFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, events);
        QTemporaryDir dir;
        QFile file(dir.filePath("codes.txt"));
        QVERIFY(content.isNull()
                || (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush()));
        ScriptedPrompts prompts;
        prompts.Answer(content.isNull() ? QString() : file.fileName());
        TRVPortsImport page(nullptr);
        QSignalSpy created(&page, &TRVPortsImport::requestIREventCreation);
        QSignalSpy focus(&page, &TRVPortsImport::requestEventTabFocus);
        QSignalSpy changed(&page, &TRVPortsImport::savableDataChanged);
        page.on_m_pButImportBrowse_clicked();
        page.on_m_pButImportFile_clicked();

        QStringList got;
        for (const QList<QVariant>& event : created)
            got << event.at(0).toString() + "=" + event.at(1).toString();
        QCOMPARE(got, events);
        const PromptCall browse = prompts.calls.value(0), box = prompts.calls.value(1);
        QCOMPARE(browse.title + ": " + browse.text + ": " + browse.filter, "IR File: TempIRdata.txt: IR File (*.txt)");
        QTEST(box.kind + ": " + box.title + ": " + box.text, "box");
        QCOMPARE(prompts.calls.size(), 2);
        QCOMPARE(focus.count(), events.isEmpty() ? 0 : 1);
        QCOMPARE(changed.count(), focus.count());
    }

    // Above the cap the import asks first with the count; No, or an importer
    // that reports a cancel, imports nothing.
    void importManyCodes_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("imported");  // what the importer reports
        QTest::addColumn<QString>("box");   // the last prompt
        QTest::newRow("declined") << int(QMessageBox::No) << 0 << "question";
        QTest::newRow("cancelled") << int(QMessageBox::Yes) << 0 << "information: No events were imported.";
        QTest::newRow("imported") << int(QMessageBox::Yes) << IRImportAskAbove + 1
                                  << "information: 5001 events imported successfully";
    }
    void importManyCodes()
    {
        QFETCH(int, answer);
        QFETCH(int, imported);
        QTemporaryDir dir;
        QFile file(dir.filePath("many.txt"));
        QByteArray content;
        for (int i = 0; i <= IRImportAskAbove; ++i)
            content += "[C" + QByteArray::number(i) + "] 0000 " + QByteArray::number(i) + "\n";
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush());
        ScriptedPrompts prompts;
        prompts.Answer(file.fileName()).Answer(answer);
        TRVPortsImport page(nullptr);
        int calls = 0;
        page.SetIRImporter([&](const QList<IRCode>& codes, const std::function<bool(int)>& progress) {
            ++calls;
            [&] { QCOMPARE(codes.size(), IRImportAskAbove + 1); }();
            return progress(int(codes.size() / 2)) ? imported : 0;
        });
        QSignalSpy created(&page, &TRVPortsImport::requestIREventCreation);
        QSignalSpy focus(&page, &TRVPortsImport::requestEventTabFocus);
        page.on_m_pButImportBrowse_clicked();
        page.on_m_pButImportFile_clicked();
        const PromptCall question = prompts.calls.value(1);
        QCOMPARE(question.kind, QStringLiteral("question"));
        QVERIFY(question.text.contains("5001 IR codes"));
        QCOMPARE(calls, answer == QMessageBox::Yes ? 1 : 0);
        QCOMPARE(created.count(), 0);
        QCOMPARE(focus.count(), imported > 0 ? 1 : 0);
        const PromptCall last = prompts.calls.last();
        QTEST(last.kind == "question" ? last.kind : last.kind + ": " + last.text, "box");
    }
};

TARVO_REGISTER_TEST(TRVPortsImportTest);

#include "ports_test.moc"
