// The device simulator over the example drivers: every request each driver
// can send is recognised as its message, whatever the values; the simulator
// answers with the example reply over TCP, UDP and a pseudo-terminal, leaves
// garbage unanswered and stays bounded and answering under a flood.
#include <QCryptographicHash>
#include <QFile>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <memory>

#include "app/producteditors.h"
#include "devicetest/devicesession.h"
#include "devicetest/devicesimulator.h"
#include "editors/events/eventrows.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "testregistry.h"

namespace {

const QStringList kExamples{"projector-tcp", "display-rs232", "mediaplayer-udp", "projector-pjlink"};

// Values a parameter may take besides its example; those the event refuses are skipped.
const QStringList kOtherValues{"0", "1", "4", "9", "12", "100", "255", "-3", "00:00:00.00", "23:59:59.29", "abc"};

// One client of the simulator: sends bytes, collects what comes back.
struct Client
{
    std::function<void(const QByteArray&)> send;
    std::function<QByteArray()> received;  // everything so far
    std::shared_ptr<QObject> socket;
};

Client TcpClient(quint16 port)
{
    auto socket = std::make_shared<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    auto got = std::make_shared<QByteArray>();
    QObject::connect(socket.get(), &QTcpSocket::readyRead, [s = socket.get(), got] { *got += s->readAll(); });
    return {[s = socket.get()](const QByteArray& b) { s->write(b); }, [got] { return *got; }, socket};
}

Client UdpClient(quint16 port)
{
    auto socket = std::make_shared<QUdpSocket>();
    socket->bind(QHostAddress::LocalHost, 0);
    auto got = std::make_shared<QByteArray>();
    QObject::connect(socket.get(), &QUdpSocket::readyRead, [s = socket.get(), got] {
        while (s->hasPendingDatagrams())
            *got += s->receiveDatagram().data();
    });
    return {[s = socket.get(), port](const QByteArray& b) { s->writeDatagram(b, QHostAddress::LocalHost, port); },
            [got] { return *got; }, socket};
}

Client PtyClient(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    auto got = std::make_shared<QByteArray>();
    auto closer = std::shared_ptr<QObject>(new QObject, [fd](QObject* o) {
        ::close(fd);
        delete o;
    });
    return {[fd](const QByteArray& b) { QVERIFY(::write(fd, b.constData(), size_t(b.size())) == b.size()); },
            [fd, got] {
                char chunk[4096];
                for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
                    got->append(chunk, n);
                return *got;
            },
            closer};
}

class DeviceSimulatorTest : public QObject
{
    Q_OBJECT

    std::map<QString, std::unique_ptr<HeadlessProduct>> m_Products;

    DriverModels Models(const QString& example) { return PageModels(*m_Products.at(example)->Pages()); }

    // The greeting, then each pattern's request with the example values and its
    // reply (empty: none), the variables following the replies as a client's do.
    QPair<QByteArray, QList<QPair<QByteArray, QByteArray>>> Exchanges(const QString& example)
    {
        DriverScript script(Models(example));
        QByteArray greeting;
        for (int row = 0; row < script.SetupCount() && script.SetupIncoming(row); ++row) {
            greeting += script.ExampleReply({MessageRef::Setup, row});
            script.MatchReply({MessageRef::Setup, row}, script.ExampleReply({MessageRef::Setup, row}));
        }
        QList<QPair<QByteArray, QByteArray>> exchanges;
        for (const RequestPattern& request : RequestPatterns(script)) {
            QByteArray bytes;
            QString error;
            if (!script.OutgoingBytes(request.ref, {}, &bytes, &error))
                qWarning("%s", qPrintable(error));
            const MessageRef reply = script.ReplyTo(request.ref);
            exchanges.append({bytes, reply.row >= 0 ? script.ExampleReply(reply) : QByteArray()});
            if (reply.row >= 0)
                script.MatchReply(reply, exchanges.last().second);
        }
        return {greeting, exchanges};
    }

private slots:
    void initTestCase()
    {
        for (const QString& example : kExamples) {
            QFile file(QStringLiteral(TARVO_EXAMPLES_DIR "/") + example + QStringLiteral(".prd"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            auto product = std::make_unique<HeadlessProduct>();
            QString error;
            QVERIFY2(product->Load(file.readAll(), &error), qPrintable(error));
            m_Products[example] = std::move(product);
        }
    }

    void recognisesEveryRequest_data()
    {
        QTest::addColumn<QString>("example");
        for (const QString& example : kExamples)
            QTest::newRow(qPrintable(example)) << example;
    }
    // Each message's bytes with every accepted value, before and after the
    // example replies changed the variables, match that message exactly.
    void recognisesEveryRequest()
    {
        QFETCH(QString, example);
        DriverScript script(Models(example));
        RequestMatcher matcher(RequestPatterns(script));
        QVERIFY(!matcher.Patterns().isEmpty());
        // The events typed by hand: their stored format and arguments. (The
        // login's argument is a local, which only substrings have.)
        QList<RequestPattern> typed = matcher.Patterns();
        for (RequestPattern& request : typed) {
            const int row = request.ref.row;
            MessageValues values;
            values.params = script.ExampleValues(row);
            const QStandardItemModel& events = *script.Models().events;
            if (request.ref.source == MessageRef::Event)
                request.pattern = ManualMessagePattern(EventRow::Text(events, row, EventRow::ColMsgFormat),
                                                       EventRow::Text(events, row, EventRow::ColMsgArgs), values);
        }
        RequestMatcher typedMatcher(typed);
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < matcher.Patterns().size(); ++i) {
                const RequestPattern& request = matcher.Patterns()[i];
                QVERIFY2(!request.pattern.isEmpty(), qPrintable(request.name));
                QList<QHash<QString, QString>> valueSets{{}};
                if (request.ref.source == MessageRef::Event) {
                    for (const QString& name : script.ParamNames(request.ref.row)) {
                        for (const QString& value : kOtherValues + script.ParamOptions(request.ref.row, name)) {
                            if (script.CheckValues(request.ref.row, {{name, value}}).isEmpty())
                                valueSets.append({{name, value}});
                        }
                    }
                }
                for (const auto& values : valueSets) {
                    QByteArray bytes;
                    QString error;
                    QVERIFY2(script.OutgoingBytes(request.ref, values, &bytes, &error), qPrintable(error));
                    const RequestMatch match = matcher.Find(bytes, true);
                    const QString where = request.name + QLatin1Char(' ') + QString::fromLatin1(bytes.toHex(' ')) +
                                          QLatin1Char(' ') + request.pattern;
                    QVERIFY2(match.index == i && match.position == 0 && match.length == bytes.size(), qPrintable(where));
                    const RequestMatch typedMatch = typedMatcher.Find(bytes, true);
                    QVERIFY2(request.ref.source != MessageRef::Event ||
                                 (typedMatch.index == i && typedMatch.length == bytes.size()),
                             qPrintable(where + QLatin1Char(' ') + typed[i].pattern));
                }
            }
            // The login's seed and the echoed states change what is sent next.
            for (int row = 0; row < script.SetupCount(); ++row)
                script.MatchReply({MessageRef::Setup, row}, script.ExampleReply({MessageRef::Setup, row}));
            for (int row = 0; row < script.EventCount(); ++row)
                script.MatchReply({MessageRef::Event, row}, script.ExampleReply({MessageRef::Event, row}));
        }
        // Garbage around a request: only the request is taken, and a request
        // cut short is none.
        const QByteArray request = Exchanges(example).second.first().first;
        const RequestMatch match = matcher.Find("\x7fzz" + request + "zz", true);
        QCOMPARE(match.position, 3);
        QCOMPARE(match.length, request.size());
        QCOMPARE(matcher.Find(request.left(request.size() - 1), true).index, -1);
    }

    void typedFormats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("openEnd");
        QTest::newRow("number at the end") << "VOL %d" << "" << "VOL -?[0-9]+" << true;
        QTest::newRow("padded hex, byte checksum")
            << R"(\x02%02X%p\x03)" << R"(Level, XOR(sprintf("%02X", Level)))"
            << R"(\x0002[0-9A-F]{2,}.{1}\x0003)" << false;
        // The language's sprintf sends %% as it is.
        QTest::newRow("integer checksum, percent")
            << "S%p%%" << R"(Checksum("ab"))" << "S.{1,8}%%" << false;
        QTest::newRow("md5 as text") << "K%s;" << R"(md5("x"))" << "K.{16};" << false;
        QTest::newRow("char, signed width, run")
            << "%c%3d%s|" << "Level, Level, Name" << R"(.{1}(?:-[0-9]{2,}|[0-9]{3,})[^\|]*\|)" << false;
        QTest::newRow("checksum as digits") << "%s" << R"(BCC("a"))" << "-?[0-9]+" << true;
    }
    void typedFormats()
    {
        QFETCH(QString, format);
        QFETCH(QString, args);
        QFETCH(QString, pattern);
        QFETCH(bool, openEnd);
        bool open = !openEnd;
        QCOMPARE(ManualMessagePattern(format, args, MessageValues{{{"Level", "60"}, {"Name", "a"}}, {}, {}}, &open),
                 pattern);
        QCOMPARE(open, openEnd);
    }

    void answersOverEachTransport_data()
    {
        QTest::addColumn<QString>("example");
        QTest::addColumn<QString>("transport");
        for (const QString& example : kExamples) {
            for (const char* transport : {"tcp", "udp", "pty"})
                QTest::newRow(qPrintable(example + QLatin1Char('/') + QLatin1String(transport)))
                    << example << QString::fromLatin1(transport);
        }
    }
    void answersOverEachTransport()
    {
        QFETCH(QString, example);
        QFETCH(QString, transport);
        DeviceSimulator simulator(Models(example));
        QString error;
        const bool listening = transport == "tcp"   ? simulator.ListenTcp("127.0.0.1", 0, &error)
                               : transport == "udp" ? simulator.ListenUdp("127.0.0.1", 0, &error)
                                                    : simulator.ListenPty(&error);
        QVERIFY2(listening, qPrintable(error));
        QVERIFY(simulator.Endpoint().startsWith(transport + QLatin1Char(' ')));
        Client client = transport == "tcp"   ? TcpClient(simulator.Port())
                        : transport == "udp" ? UdpClient(simulator.Port())
                                             : PtyClient(simulator.PtyPath());
        QSignalSpy recognised(&simulator, &DeviceSimulator::requestRecognised);
        QSignalSpy unknown(&simulator, &DeviceSimulator::unknownRequest);
        const auto [greeting, exchanges] = Exchanges(example);
        QByteArray expected = greeting;
        if (transport == "udp")
            client.send({});  // a UDP sender makes itself known
        QTRY_COMPARE_WITH_TIMEOUT(client.received(), expected, 5000);
        int sent = 0;
        for (const auto& [request, reply] : exchanges) {
            client.send(request);
            ++sent;
            QTRY_COMPARE_WITH_TIMEOUT(int(recognised.size()), sent, 5000);
            QCOMPARE(recognised.last().at(1).toByteArray(), request);
            expected += reply;
            QTRY_COMPARE_WITH_TIMEOUT(client.received(), expected, 5000);
        }
        const int answered = int(recognised.size());
        client.send("\x7fnot a request\r");
        QTRY_COMPARE_WITH_TIMEOUT(unknown.size(), 1, 5000);
        QCOMPARE(unknown.first().first().toByteArray(), QByteArray("\x7fnot a request\r"));
        QCOMPARE(recognised.size(), answered);
        QCOMPARE(client.received(), expected);
    }

    // The request each PJLink text is taken as, whatever the list order: options
    // and limits decide what fits, then the constant bytes.
    void mostSpecificAnswers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("taken");  // empty: no request
        const QByteArray digest = QCryptographicHash::hash("498b5924JBMIAProjectorLink", QCryptographicHash::Md5).toHex();
        QTest::newRow("query, not the option") << QByteArray("%1POWR ?\r") << "PowerQuery";
        QTest::newRow("no option sends 7") << QByteArray("%1POWR 7\r") << "";
        QTest::newRow("within limits") << QByteArray("%1INPT 31\r") << "Input";
        QTest::newRow("beyond limits") << QByteArray("%1INPT 99\r") << "";
        QTest::newRow("digest first") << digest + "%1CLSS ?\r" << "Outgoing - SetupMessage2";
    }
    void mostSpecificAnswers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QString, taken);
        DriverScript script(Models("projector-pjlink"));
        QList<RequestPattern> patterns = RequestPatterns(script);
        for (int pass = 0; pass < 2; ++pass) {
            RequestMatcher matcher(patterns, &script);
            const RequestMatch match = matcher.Find(request, true);
            QCOMPARE(match.index < 0 ? QString() : patterns.at(match.index).name, taken);
            QVERIFY(match.tied.isEmpty());
            std::reverse(patterns.begin(), patterns.end());
        }
        // Two messages that send the same bytes are a tie, named as such.
        const auto twin =
            std::find_if(patterns.begin(), patterns.end(), [&](const RequestPattern& p) { return p.name == taken; });
        if (twin != patterns.end())
            QCOMPARE(RequestMatcher({*twin, *twin}, &script).Find(request, true).tied, QList<int>{1});
    }

    // The login digest is worked out from the seed the simulator greeted with:
    // the right one is answered (also in pieces), a wrong one is logged.
    void computedLoginChecked_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<bool>("answered");
        QTest::newRow("right, in pieces") << QByteArray("JBMIAProjectorLink") << 3 << true;
        QTest::newRow("wrong") << QByteArray("other") << 1 << false;
    }
    void computedLoginChecked()
    {
        QFETCH(QByteArray, password);
        QFETCH(int, pieces);
        QFETCH(bool, answered);
        DeviceSimulator simulator(Models("projector-pjlink"));
        QString error;
        QVERIFY2(simulator.ListenTcp("127.0.0.1", 0, &error), qPrintable(error));
        QSignalSpy logged(&simulator, &DeviceSimulator::logged);
        QSignalSpy recognised(&simulator, &DeviceSimulator::requestRecognised);
        Client client = TcpClient(simulator.Port());
        QTRY_COMPARE_WITH_TIMEOUT(client.received(), QByteArray("PJLINK 1 498b5924\r"), 5000);
        QCOMPARE(simulator.VariableValue("Seed"), QString("498b5924"));
        const auto digest = [](QByteArray pw) { return QCryptographicHash::hash("498b5924" + pw, QCryptographicHash::Md5); };
        const QByteArray login = digest(password).toHex() + "%1CLSS ?\r";
        const qsizetype piece = login.size() / pieces + 1;
        for (qsizetype at = 0; at < login.size(); at += piece) {
            client.send(login.mid(at, piece));
            QTest::qWait(DeviceSimulator::QuietMs / 4);
        }
        QTRY_COMPARE_WITH_TIMEOUT(recognised.size(), 2, 5000);
        const QByteArray expected = QByteArray("PJLINK 1 498b5924\r") + (answered ? "%1CLSS=1\r" : "");
        if (answered)
            QTRY_COMPARE_WITH_TIMEOUT(client.received(), expected, 5000);
        QTest::qWait(50);  // nothing more comes
        QCOMPARE(client.received(), expected);
        const QString differs = "computed field differs: expected " + digest("JBMIAProjectorLink").toHex() +
                                ", received " + digest(password).toHex();
        QCOMPARE(std::any_of(logged.begin(), logged.end(),
                             [&](const QList<QVariant>& line) { return line.first().toString().contains(differs); }),
                 password != "JBMIAProjectorLink");
    }

    // A megabyte of garbage: the buffer stays bounded, the garbage is reported
    // and a request after it is still answered.
    void floodThenRequest()
    {
        DeviceSimulator simulator(Models("projector-tcp"));
        QString error;
        QVERIFY2(simulator.ListenTcp("127.0.0.1", 0, &error), qPrintable(error));
        Client client = TcpClient(simulator.Port());
        QSignalSpy unknown(&simulator, &DeviceSimulator::unknownRequest);
        const auto [request, reply] = Exchanges("projector-tcp").second.first();
        client.send(QByteArray(1 << 20, 'z') + request);
        QTRY_COMPARE_WITH_TIMEOUT(client.received(), reply, 30000);
        QVERIFY(!unknown.isEmpty());
        QVERIFY(simulator.PeakBuffered() <= DeviceSimulator::BufferLimit);
        qsizetype reported = 0;
        for (const auto& arguments : unknown)
            reported += arguments.first().toByteArray().size();
        QCOMPARE(reported, qsizetype(1 << 20));
    }
};

} // namespace

TARVO_REGISTER_TEST(DeviceSimulatorTest);

#include "simulator_test.moc"
