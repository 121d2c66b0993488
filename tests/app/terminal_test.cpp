#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTest>

#include "app/producteditors.h"
#include "app/tarvo.h"
#include "app/devicetest/trvdevicetest.h"
#include "app/devicetest/trvterminal.h"
#include "appfixtures.h"
#include "devicetest/devicesimulator.h"
#include "editors/events/eventrows.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/events/trvevents.h"
#include "editors/variables/variablerows.h"
#include "scriptedprompts.h"
#include "testregistry.h"

class TerminalTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsReplies_data()
    {
        QTest::addColumn<int>("end");
        QTest::addColumn<QByteArrayList>("arrivals");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QByteArray>("held");
        const QByteArrayList pieces{"A=1\r", "\nB=", "2\r\nC"};
        QTest::newRow("none: as they come") << int(ReplyEnd::None) << pieces << pieces << QByteArray();
        QTest::newRow("CR") << int(ReplyEnd::CR) << pieces << QByteArrayList{"A=1\r", "\nB=2\r"} << QByteArray("\nC");
        QTest::newRow("LF") << int(ReplyEnd::LF) << pieces << QByteArrayList{"A=1\r\n", "B=2\r\n"} << QByteArray("C");
        QTest::newRow("CR LF split over arrivals")
            << int(ReplyEnd::CRLF) << pieces << QByteArrayList{"A=1\r\n", "B=2\r\n"} << QByteArray("C");
        QTest::newRow("byte 03") << int(ReplyEnd::Byte) << QByteArrayList{"\x02OK\x03\x02", "ER\x03"}
                                 << QByteArrayList{"\x02OK\x03", "\x02" "ER\x03"} << QByteArray();
        QTest::newRow("quiet: held until flushed") << int(ReplyEnd::Quiet) << pieces << QByteArrayList{}
                                                   << QByteArray("A=1\r\nB=2\r\nC");
    }
    void splitsReplies()
    {
        QFETCH(int, end);
        QFETCH(QByteArrayList, arrivals);
        QFETCH(QByteArrayList, replies);
        QFETCH(QByteArray, held);
        ReplySplitter splitter;
        splitter.SetEnd({static_cast<ReplyEnd::Kind>(end), '\x03'});
        QByteArrayList got;
        for (const QByteArray& bytes : arrivals)
            got += splitter.Add(bytes);
        QCOMPARE(got, replies);
        QCOMPARE(splitter.Flush(), held);
        QVERIFY(!splitter.Holding());
    }

    // The example projector played by the simulator: typed bytes go out as
    // they read, the reply is logged at its CR, and the exchange becomes an
    // event on the events page whose captured digits read into a new variable.
    void sendsTypedBytesAndMakesAnEvent()
    {
        TemporaryHome home;
        ScriptedPrompts prompts;
        const QString example = QStringLiteral(TARVO_TEST_DATA_DIR "/../../../examples/projector-tcp.prd");
        QFile file(example);
        QVERIFY(file.open(QIODevice::ReadOnly));
        HeadlessProduct played;
        QString error;
        QVERIFY2(played.Load(file.readAll(), &error), qPrintable(error));
        DeviceSimulator device(PageModels(*played.Pages()));
        QVERIFY2(device.ListenTcp(QStringLiteral("127.0.0.1"), 0, &error), qPrintable(error));
        QList<QByteArray> requests;
        connect(&device, &DeviceSimulator::requestRecognised, this,
                [&requests](int, const QByteArray& request) { requests << request; });

        Tarvo window;
        window.OpenCopy(example);
        window.findChild<QAction*>(QStringLiteral("actionTest_on_Device"))->trigger();
        TRVDeviceTest* test = window.DeviceTest();
        TRVTerminal* terminal = test->Terminal();
        auto* hex = terminal->findChild<QLabel*>(QStringLiteral("m_pLblTerminalHex"));
        auto* send = terminal->findChild<QPushButton*>(QStringLiteral("m_pButTerminalSend"));
        auto* makeEvent = terminal->findChild<QPushButton*>(QStringLiteral("m_pButTerminalMakeEvent"));
        auto* captures = terminal->findChild<QListWidget*>(QStringLiteral("m_pListTerminalCaptures"));
        QListWidget* log = terminal->Log();

        terminal->SetEnd({ReplyEnd::CR});
        terminal->Input()->setEditText(QStringLiteral("<FOO>"));
        QVERIFY(hex->text().contains(QLatin1String("unknown control name")));
        QVERIFY(!send->isEnabled());
        terminal->Input()->setEditText(QStringLiteral("LAMP?<cr>"));
        QCOMPARE(hex->text(), QStringLiteral("4C 41 4D 50 3F 0D (text, 6 bytes)"));
        QVERIFY(!send->isEnabled());  // not connected yet
        QVERIFY(!terminal->Send());

        test->findChild<QLineEdit*>(QStringLiteral("m_pEditHost"))->setText(QStringLiteral("127.0.0.1"));
        test->findChild<QSpinBox*>(QStringLiteral("m_pSpinPort"))->setValue(device.Port());
        test->findChild<QPushButton*>(QStringLiteral("m_pButConnect"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(!test->Session()->Busy() && send->isEnabled(), 5000);
        log->clear();
        // On its tab the terminal takes Ctrl+Return; the event's Send is hidden.
        test->findChild<QTabWidget*>(QStringLiteral("m_pTabEventTerminal"))->setCurrentWidget(terminal);
        terminal->Input()->setFocus();
        QTest::keyClick(terminal->Input(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(log->count(), 2, 5000);
        QCOMPARE(requests.last(), QByteArray("LAMP?\r"));
        QCOMPARE(log->item(1)->data(TRVTerminal::BytesRole).toByteArray(), QByteArray("LAMP=01234\r"));
        QVERIFY(log->item(1)->text().endsWith(QLatin1String("< LAMP=01234\\r  (4C 41 4D 50 3D 30 31 32 33 34 0D)")));
        QCOMPARE(terminal->Input()->itemText(0), QStringLiteral("LAMP?<cr>"));  // history

        log->item(0)->setSelected(true);  // the reply after it is taken
        QCOMPARE(captures->count(), 1);
        QCOMPARE(captures->item(0)->text(), QStringLiteral("01234"));
        captures->item(0)->setCheckState(Qt::Checked);
        QStandardItemModel* events = window.EventsEditor()->EventModel();
        QStandardItemModel* variables = window.EventsEditor()->VariablesModel();
        const int eventsBefore = events->rowCount(), variablesBefore = variables->rowCount();
        makeEvent->click();

        QCOMPARE(events->rowCount(), eventsBefore + 1);
        const int row = eventsBefore;
        const OutgoingSSModel_c* outgoing = EventRow::Outgoing(*events, row);
        QCOMPARE(outgoing->rowCount(), 1);
        QCOMPARE(outgoing->Text(0, OutgoingSSModel_c::ColConstText), QStringLiteral("LAMP?\\r"));
        QCOMPARE(EventRow::Text(*events, row, EventRow::ColIRExample), QStringLiteral("LAMP=01234\\r"));
        const QStandardItemModel* incoming = EventRow::Incoming(*events, row);
        QCOMPARE(incoming->rowCount(), 3);
        QCOMPARE(IncomingSS::RowType(*incoming, 1), int(IncomingSS::TypeVariable));
        QCOMPARE(variables->rowCount(), variablesBefore + 1);
        QCOMPARE(IncomingSS::ReceivingName(*incoming, 1, variables), QStringLiteral("Event%1Value1").arg(row + 1));
        const QRegularExpression reply(QLatin1Char('^') + EventRow::Text(*events, row, EventRow::ColIRRegexp) + QLatin1Char('$'));
        const QRegularExpressionMatch match = reply.match(QStringLiteral("LAMP=01234\r"));
        QVERIFY2(match.hasMatch(), qPrintable(reply.pattern()));
        QCOMPARE(match.captured(1), QStringLiteral("01234"));
        // The events page shows the new event.
        QCOMPARE(window.findChild<QTabWidget*>(QStringLiteral("m_pTabMain"))->currentWidget()->objectName(),
                 QStringLiteral("Events"));
        QCOMPARE(window.EventsEditor()->findChild<QAbstractItemView*>(QStringLiteral("m_pListEvents"))->currentIndex().row(), row);
    }
};

TARVO_REGISTER_TEST(TerminalTest);
#include "terminal_test.moc"
