// A device session against a scripted device on 127.0.0.1: login, replies
// among unsolicited messages and garbage, refused values, timeouts with
// retries, mismatches, a flood and a dropped connection.
#include <QCryptographicHash>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <functional>

#include "app/producteditors.h"
#include "devicetest/devicesession.h"
#include "editors/events/eventrows.h"
#include "testregistry.h"

namespace {

// Answers each chunk it receives by a rule; an empty answer sends nothing.
class ScriptedDevice : public QObject
{
public:
    std::function<QByteArray(const QByteArray&)> answer;
    std::function<void(QTcpSocket*)> onConnect;
    QByteArray requests;

    ScriptedDevice()
    {
        m_Server.listen(QHostAddress::LocalHost, 0);
        connect(&m_Server, &QTcpServer::newConnection, this, [this] {
            m_pClient = m_Server.nextPendingConnection();
            connect(m_pClient, &QTcpSocket::readyRead, this, [this] {
                const QByteArray request = m_pClient->readAll();
                requests += request;
                const QByteArray reply = answer ? answer(request) : QByteArray();
                m_pClient->write(reply.endsWith("<close>") ? reply.chopped(7) : reply);
                if (reply.endsWith("<close>"))
                    m_pClient->disconnectFromHost();
            });
            if (onConnect)
                onConnect(m_pClient);
        });
    }
    LinkSettings Settings() const
    {
        LinkSettings settings;
        settings.port = m_Server.serverPort();
        return settings;
    }

private:
    QTcpServer m_Server;
    QPointer<QTcpSocket> m_pClient;
};

// The projector's login and replies, as its example replies give them.
QByteArray ProjectorAnswer(const QByteArray& request)
{
    if (request == "HELLO\r")
        return "SEED 5f3a9c21\r";
    if (request.startsWith("AUTH "))
        return "AUTH OK\r";
    if (request == "PWR 1\r")
        return "%PWR=0\rPWR=1\r";  // an unsolicited report first
    if (request == "INPT 2\r")
        return "noise\x01INPT=2\r";
    return {};
}

class DeviceSessionTest : public QObject
{
    Q_OBJECT

    HeadlessProduct m_Product;
    std::unique_ptr<DeviceSession> m_pSession;
    QList<StepResult> m_Steps;
    QList<DeviceLogEntry> m_Log;

    QStringList Outcomes() const
    {
        QStringList outcomes;
        for (const StepResult& step : m_Steps)
            outcomes << step.step + QLatin1Char(' ') + OutcomeName(step.outcome);
        return outcomes;
    }
    int Logged(DeviceLogEntry::Kind kind) const
    {
        return int(std::count_if(m_Log.begin(), m_Log.end(), [kind](const DeviceLogEntry& e) { return e.kind == kind; }));
    }
    void SetEvent(int row, int column, const QString& text)
    {
        EventRow::SetText(*const_cast<QStandardItemModel*>(m_pSession->Script().Models().events), row, column, text);
    }
    // Runs until the session is idle (bounded).
    void RunUntilIdle(int timeoutMs = 10000)
    {
        QSignalSpy idle(m_pSession.get(), &DeviceSession::idle);
        QVERIFY(idle.wait(timeoutMs));
    }

private slots:
    void initTestCase()
    {
        QFile file(QStringLiteral(TARVO_EXAMPLES_DIR "/projector-tcp.prd"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString error;
        QVERIFY2(m_Product.Load(file.readAll(), &error), qPrintable(error));
    }
    void init()
    {
        m_Steps.clear();
        m_Log.clear();
        m_pSession = std::make_unique<DeviceSession>(PageModels(*m_Product.Pages()));
        connect(m_pSession.get(), &DeviceSession::stepFinished, this, [this](const StepResult& r) { m_Steps << r; });
        connect(m_pSession.get(), &DeviceSession::logged, this, [this](const DeviceLogEntry& e) { m_Log << e; });
    }
    void cleanup() { m_pSession.reset(); }

    void loginThenEventsAmongNoise()
    {
        ScriptedDevice device;
        device.answer = ProjectorAnswer;
        DriverScript& script = m_pSession->Script();
        const int power = script.FindEvent(QStringLiteral("power"));
        const int input = script.FindEvent(QStringLiteral("Input"));
        QStringList refusal;
        QVERIFY(!m_pSession->QueueEvent(input, {{QStringLiteral("Input"), QStringLiteral("9")}}, &refusal));
        QCOMPARE(refusal.size(), 1);
        QVERIFY(m_pSession->QueueEvent(power, {{QStringLiteral("State"), QStringLiteral("On")}}));
        QVERIFY(m_pSession->QueueEvent(input, {{QStringLiteral("Input"), QStringLiteral("2")}}));
        m_pSession->Connect(device.Settings());
        RunUntilIdle();

        QCOMPARE(Outcomes(), QStringList({"event 'Input' refused", "setup 1 'Outgoing - SetupMessage1' matched",
                                          "setup 3 'Outgoing - SetupMessage3' matched", "event 'Power' matched",
                                          "event 'Input' matched"}));
        QVERIFY(!device.requests.contains("INPT 9"));
        QCOMPARE(script.VariableValue(QStringLiteral("Seed")), QStringLiteral("5f3a9c21"));
        QCOMPARE(script.VariableValue(QStringLiteral("Power")), QStringLiteral("1"));
        QCOMPARE(script.VariableValue(QStringLiteral("Input")), QStringLiteral("2"));
        QCOMPARE(script.VariableValue(QStringLiteral("Error")), QStringLiteral("false"));
        QCOMPARE(script.VariableValue(QStringLiteral("TCPStatus")), QStringLiteral("Connected"));
        QCOMPARE(Logged(DeviceLogEntry::Unsolicited), 1);
        QCOMPARE(Logged(DeviceLogEntry::Unrecognised), 1);
        // The login answer is the MD5 of the password and the captured seed.
        QCOMPARE(m_Steps.at(2).sent, "AUTH " + QCryptographicHash::hash("secret5f3a9c21", QCryptographicHash::Md5) + "\r");
    }

    // Each failure ends its step with what happened; the session goes on.
    void failuresAreReported_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("retries");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("sends");
        QTest::newRow("silence, two retries") << QByteArray() << 2 << "timeout" << 3;
        QTest::newRow("wrong reply") << QByteArray("ERR\r") << 1 << "mismatch" << 2;
        QTest::newRow("dropped mid-reply") << QByteArray("LAMP=<close>") << 0 << "failed" << 1;
    }
    void failuresAreReported()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, retries);
        QFETCH(QString, outcome);
        QFETCH(int, sends);
        ScriptedDevice device;
        device.answer = [&](const QByteArray&) { return answer; };
        const int lamp = m_pSession->Script().FindEvent(QStringLiteral("LampHours"));
        SetEvent(lamp, EventRow::ColTimeout, QStringLiteral("3"));  // 100 ms
        SetEvent(lamp, EventRow::ColRetries, QString::number(retries));
        m_pSession->QueueEvent(lamp, {});
        m_pSession->Connect(device.Settings(), false);
        RunUntilIdle();
        SetEvent(lamp, EventRow::ColTimeout, QStringLiteral("30"));
        SetEvent(lamp, EventRow::ColRetries, QStringLiteral("2"));
        QCOMPARE(Outcomes(), QStringList{"event 'LampHours' " + outcome});
        QCOMPARE(device.requests, QByteArray("LAMP?\r").repeated(sends));
        QCOMPARE(Logged(DeviceLogEntry::Retry), sends - 1);
        QCOMPARE(m_pSession->Script().VariableValue(QStringLiteral("Error")), QStringLiteral("true"));
    }

    // A device that floods garbage right after its reply: the reply still
    // matches, what is dropped is said, and the next exchange works.
    void floodIsBoundedAndSurvived()
    {
        ScriptedDevice device;
        int asked = 0;
        device.answer = [&](const QByteArray& request) {
            if (request != "LAMP?\r")
                return QByteArray();
            return ++asked == 1 ? QByteArray("LAMP=42\r") + QByteArray(2 * 1024 * 1024, '\x7f') : QByteArray("LAMP=7\r");
        };
        const int lamp = m_pSession->Script().FindEvent(QStringLiteral("LampHours"));
        m_pSession->QueueEvent(lamp, {});
        m_pSession->Connect(device.Settings(), false);
        RunUntilIdle();
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(m_Log.begin(), m_Log.end(),
                                             [](const DeviceLogEntry& e) { return e.text.contains("dropped"); }),
                                 10000);
        QTest::qWait(DeviceSession::QuietMs * 2);
        m_pSession->QueueEvent(lamp, {});
        RunUntilIdle();
        QCOMPARE(Outcomes(), QStringList({"event 'LampHours' matched", "event 'LampHours' matched"}));
        QCOMPARE(m_pSession->Script().VariableValue(QStringLiteral("LampHours")), QStringLiteral("7"));
    }

    // A seed that looks like a number is sent as text; a failed setup step stops
    // the run (no login from a missing seed); bytes before a drop are told, and
    // a reply an unsolicited event took is named.
    void setupAndStepEnds_data()
    {
        QTest::addColumn<QByteArray>("seedReply");
        QTest::addColumn<QByteArray>("powerReply");
        QTest::addColumn<QStringList>("outcomes");
        QTest::addColumn<QString>("detail");  // in the last step not skipped
        const QString power = "event 'Power' ";
        const QStringList login{"setup 1 'Outgoing - SetupMessage1' matched", "setup 3 'Outgoing - SetupMessage3' matched"};
        QTest::newRow("numeric seed") << QByteArray("SEED 1.234567\r") << QByteArray("PWR=1\r")
                                      << login + QStringList{power + "matched"} << "";
        QTest::newRow("taken by unsolicited") << QByteArray("SEED 5f3a9c21\r") << QByteArray("%PWR=0\r")
                                              << login + QStringList{power + "timeout"}
                                              << "reply taken by unsolicited event 'PowerReport': %PWR=0\\r";
        QTest::newRow("drop after part of the seed")
            << QByteArray("SEED 5f3<close>") << QByteArray()
            << QStringList{"setup 1 'Outgoing - SetupMessage1' failed", "setup 3 'Outgoing - SetupMessage3' skipped",
                           power + "skipped"}
            << "received before: \"SEED 5f3\"";
    }
    void setupAndStepEnds()
    {
        QFETCH(QByteArray, seedReply);
        QFETCH(QByteArray, powerReply);
        QFETCH(QStringList, outcomes);
        QFETCH(QString, detail);
        ScriptedDevice device;
        device.answer = [&](const QByteArray& request) {
            return request == "HELLO\r" ? seedReply : request.startsWith("AUTH ") ? QByteArray("AUTH OK\r") : powerReply;
        };
        const int power = m_pSession->Script().FindEvent(QStringLiteral("Power"));
        SetEvent(power, EventRow::ColTimeout, QStringLiteral("3"));  // 100 ms
        SetEvent(power, EventRow::ColRetries, QStringLiteral("0"));
        m_pSession->QueueEvent(power, {});
        m_pSession->Connect(device.Settings());
        RunUntilIdle();
        SetEvent(power, EventRow::ColTimeout, QStringLiteral("30"));
        SetEvent(power, EventRow::ColRetries, QStringLiteral("2"));
        QCOMPARE(Outcomes(), outcomes);
        QVERIFY(device.requests.contains("AUTH ") == outcomes.at(1).endsWith("matched"));
        const auto ran = std::find_if(m_Steps.rbegin(), m_Steps.rend(),
                                      [](const StepResult& step) { return step.outcome != StepResult::Skipped; });
        QVERIFY2(ran->detail.contains(detail), qPrintable(ran->detail));
        if (seedReply.startsWith("SEED 1."))
            QCOMPARE(m_Steps.at(1).sent,
                     "AUTH " + QCryptographicHash::hash("secret1.234567", QCryptographicHash::Md5) + "\r");
    }

    void cannotConnect()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        LinkSettings settings;
        settings.port = closed.serverPort();
        closed.close();
        QSignalSpy state(m_pSession.get(), &DeviceSession::linkStateChanged);
        m_pSession->Connect(settings);
        QTRY_VERIFY_WITH_TIMEOUT(m_pSession->Link().GetState() == DeviceLink::Failed, 10000);
        QVERIFY(m_pSession->Link().StateText().contains(QStringLiteral("refused"), Qt::CaseInsensitive));
    }
};

} // namespace

TARVO_REGISTER_TEST(DeviceSessionTest);
#include "session_test.moc"
