#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "app/tarvo.h"
#include "app/trvdevicetest.h"
#include "appfixtures.h"
#include "editors/trvevents.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

// Plays the example projector on 127.0.0.1: every request up to its \r is
// answered with the reply of the first prefix it starts with.
class StandInProjector : public QTcpServer
{
public:
    QList<QByteArray> requests;
    QList<QPair<QByteArray, QByteArray>> replies = {
        {"HELLO", "SEED 0badc0de\r"}, {"AUTH ", "AUTH OK\r"}, {"PWR 0", "PWR=0\r"}, {"LAMP?", "LAMP=00042\r"}};

    StandInProjector()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_Buffer += socket->readAll();
                for (qsizetype end; (end = m_Buffer.indexOf('\r')) >= 0; m_Buffer.remove(0, end + 1)) {
                    requests << m_Buffer.left(end + 1);
                    for (const auto& [prefix, reply] : std::as_const(replies))
                        if (requests.last().startsWith(prefix)) {
                            socket->write(reply);
                            break;
                        }
                }
            });
        });
    }

private:
    QByteArray m_Buffer;
};

template <class Widget>
Widget* Child(QWidget* window, const char* name)
{
    return window->findChild<Widget*>(QLatin1String(name));
}

} // namespace

class DeviceTestWindowTest : public QObject
{
    Q_OBJECT

private slots:
    // Ctrl+T on the example projector: the fields come from its Ports page,
    // the setup logs in, events are sent with the values chosen (refused ones
    // never reach the device), and the log saves as shown.
    void runsTheDriverAgainstADevice()
    {
        TemporaryHome home;
        ScriptedPrompts prompts;
        StandInProjector device;
        QVERIFY(device.listen(QHostAddress::LocalHost));
        Tarvo window;
        window.OpenCopy(QStringLiteral(TARVO_TEST_DATA_DIR "/../../../examples/projector-tcp.prd"));
        window.findChild<QAction*>(QStringLiteral("actionTest_on_Device"))->trigger();
        TRVDeviceTest* test = window.DeviceTest();
        QVERIFY(test && test->isVisible() && test->Session());
        QCOMPARE(test->Settings().port, 4352);

        QTableWidget* variables = Child<QTableWidget>(test, "m_pTableVariables");
        const auto shown = [variables](const QString& name) {
            for (int row = 0; row < variables->rowCount(); ++row)
                if (variables->item(row, 0)->text() == name)
                    return variables->item(row, 1)->text();
            return QStringLiteral("(not listed)");
        };
        QComboBox* events = Child<QComboBox>(test, "m_pComboEvent");
        QTableWidget* params = Child<QTableWidget>(test, "m_pTableParams");
        QPushButton* send = Child<QPushButton>(test, "m_pButSend");
        QLabel* result = Child<QLabel>(test, "m_pLblResult");
        QCOMPARE(events->findText(QStringLiteral("PowerReport")), -1);  // unsolicited: nothing to send

        Child<QLineEdit>(test, "m_pEditHost")->setText(QStringLiteral("127.0.0.1"));
        Child<QSpinBox>(test, "m_pSpinPort")->setValue(device.serverPort());
        Child<QPushButton>(test, "m_pButConnect")->click();
        QTRY_COMPARE_WITH_TIMEOUT(shown(QStringLiteral("Seed")), QStringLiteral("0badc0de"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!test->Session()->Busy() && send->isEnabled(), 5000);
        QCOMPARE(device.requests.size(), 2);
        QVERIFY(device.requests[1].startsWith("AUTH ") && result->text().contains(QLatin1String("matched")));

        events->setCurrentText(QStringLiteral("Power"));
        auto* state = qobject_cast<QComboBox*>(params->cellWidget(0, 1));
        QVERIFY(state && state->findText(QStringLiteral("Off")) >= 0);
        state->setCurrentText(QStringLiteral("Off"));
        send->click();
        QTRY_COMPARE_WITH_TIMEOUT(shown(QStringLiteral("Power")), QStringLiteral("0"), 5000);
        QCOMPARE(device.requests.last(), QByteArray("PWR 0\r"));
        QVERIFY2(result->text().contains(QLatin1String("'Power': matched")), qPrintable(result->text()));

        // Input takes 1 to 4: 9 is refused on the spot, nothing is queued.
        events->setCurrentText(QStringLiteral("Input"));
        params->item(0, 1)->setText(QStringLiteral("9"));
        send->click();
        QVERIFY(!test->Session()->Busy());
        QVERIFY(Child<QLabel>(test, "m_pLblStatus")->text().contains(QLatin1String("not sent")));
        events->setCurrentText(QStringLiteral("LampHours"));
        send->click();
        QTRY_COMPARE_WITH_TIMEOUT(shown(QStringLiteral("LampHours")), QStringLiteral("00042"), 5000);
        QCOMPARE(device.requests.mid(2), (QList<QByteArray>{"PWR 0\r", "LAMP?\r"}));

        const QString path = home.Path() + QStringLiteral("/run.log");
        prompts.Answer(path);
        Child<QPushButton>(test, "m_pButSaveLog")->click();
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(saved.readAll());
        QCOMPARE(text, test->LogText() + QLatin1Char('\n'));
        for (const char* line : {"\"PWR 0\\r\"", "not sent", "\"LAMP=00042\\r\""})
            QVERIFY2(text.contains(QLatin1String(line)), line);

        // File > New deletes the pages: the window starts over on the new ones.
        window.findChild<QAction*>(QStringLiteral("actionNew"))->trigger();
        QVERIFY(test->Session() && test->Session()->Script().Models().events == window.EventsEditor()->EventModel());
        QCOMPARE(test->Session()->Link().GetState(), DeviceLink::Closed);
    }
};

TARVO_REGISTER_TEST(DeviceTestWindowTest);
#include "devicetest_test.moc"
