#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "app/producteditors.h"
#include "app/tarvo.h"
#include "app/devicetest/trvdevicetest.h"
#include "appfixtures.h"
#include "devicetest/devicesimulator.h"
#include "editors/events/trvevents.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

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
    // Ctrl+T on the example projector, played by the simulator from the same
    // file: the fields come from its Ports page, the setup logs in, events
    // are sent with the values chosen (refused ones never reach the device),
    // and the log saves as shown.
    void runsTheDriverAgainstADevice()
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
        Child<QSpinBox>(test, "m_pSpinPort")->setValue(device.Port());
        Child<QPushButton>(test, "m_pButConnect")->click();
        QTRY_COMPARE_WITH_TIMEOUT(shown(QStringLiteral("Seed")), QStringLiteral("5f3a9c21"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!test->Session()->Busy() && send->isEnabled(), 5000);
        QCOMPARE(requests.size(), 2);
        QVERIFY(requests[1].startsWith("AUTH ") && result->text().contains(QLatin1String("matched")));

        events->setCurrentText(QStringLiteral("Power"));
        auto* state = qobject_cast<QComboBox*>(params->cellWidget(0, 1));
        QVERIFY(state && state->findText(QStringLiteral("Off")) >= 0);
        state->setCurrentText(QStringLiteral("Off"));
        send->click();
        // The simulator answers every power request with its example reply.
        QTRY_COMPARE_WITH_TIMEOUT(shown(QStringLiteral("Power")), QStringLiteral("1"), 5000);
        QCOMPARE(requests.last(), QByteArray("PWR 0\r"));
        QVERIFY2(result->text().contains(QLatin1String("'Power': matched")), qPrintable(result->text()));

        // Input takes 1 to 4: 9 is refused on the spot, nothing is queued.
        events->setCurrentText(QStringLiteral("Input"));
        params->item(0, 1)->setText(QStringLiteral("9"));
        send->click();
        QVERIFY(!test->Session()->Busy());
        QVERIFY(Child<QLabel>(test, "m_pLblStatus")->text().contains(QLatin1String("not sent")));
        events->setCurrentText(QStringLiteral("LampHours"));
        send->click();
        QTRY_COMPARE_WITH_TIMEOUT(shown(QStringLiteral("LampHours")), QStringLiteral("01234"), 5000);
        QCOMPARE(requests.mid(2), (QList<QByteArray>{"PWR 0\r", "LAMP?\r"}));

        const QString path = home.Path() + QStringLiteral("/run.log");
        prompts.Answer(path);
        Child<QPushButton>(test, "m_pButSaveLog")->click();
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(saved.readAll());
        QCOMPARE(text, test->LogText() + QLatin1Char('\n'));
        for (const char* line : {"\"PWR 0\\r\"", "not sent", "\"LAMP=01234\\r\""})
            QVERIFY2(text.contains(QLatin1String(line)), line);

        // File > New deletes the pages: the window starts over on the new ones.
        window.findChild<QAction*>(QStringLiteral("actionNew"))->trigger();
        QVERIFY(test->Session() && test->Session()->Script().Models().events == window.EventsEditor()->EventModel());
        QCOMPARE(test->Session()->Link().GetState(), DeviceLink::Closed);
    }
};

TARVO_REGISTER_TEST(DeviceTestWindowTest);
#include "devicetest_test.moc"
