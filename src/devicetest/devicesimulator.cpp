#include "devicetest/devicesimulator.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>

#include "devicetest/devicesession.h"

namespace {

// Bytes are taken from a socket or terminal in pieces of this size, so one
// pass over the buffer never handles more than BufferLimit plus a piece.
constexpr int ReadChunk = 16 * 1024;
// Datagrams handled before other events get their turn.
constexpr int DatagramsPerTurn = 256;

bool ResolveHost(const QString& host, QHostAddress* address, QString* error)
{
    if (address->setAddress(host))
        return true;
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        *address = QHostAddress(QHostAddress::LocalHost);
        return true;
    }
    const QHostInfo info = QHostInfo::fromName(host);
    if (!info.addresses().isEmpty()) {
        *address = info.addresses().first();
        return true;
    }
    *error = QStringLiteral("cannot find host %1").arg(host);
    return false;
}

QString AddressText(const QHostAddress& address, quint16 port)
{
    const QString host = address.toString();
    return (address.protocol() == QAbstractSocket::IPv6Protocol ? QLatin1Char('[') + host + QLatin1Char(']') : host) +
           QLatin1Char(':') + QString::number(port);
}

} // namespace

// One client's bytes on their way to being recognised.
struct DeviceSimulator::Channel
{
    QByteArray buffer;
    QTimer quiet;
    Sender send;
    bool refused = false;
};

DeviceSimulator::DeviceSimulator(const DriverModels& models, QObject* parent)
    : QObject(parent), m_Script(models), m_Matcher(RequestPatterns(m_Script), &m_Script)
{
}

DeviceSimulator::~DeviceSimulator()
{
    Close();
}

bool DeviceSimulator::ListenTcp(const QString& host, quint16 port, QString* error)
{
    Close();
    QHostAddress address;
    if (!ResolveHost(host, &address, error))
        return false;
    m_pServer = new QTcpServer(this);
    if (!m_pServer->listen(address, port)) {
        *error = m_pServer->errorString();
        Close();
        return false;
    }
    connect(m_pServer, &QTcpServer::newConnection, this, &DeviceSimulator::OnNewConnection);
    return true;
}

bool DeviceSimulator::ListenUdp(const QString& host, quint16 port, QString* error)
{
    Close();
    QHostAddress address;
    if (!ResolveHost(host, &address, error))
        return false;
    m_pUdp = new QUdpSocket(this);
    if (!m_pUdp->bind(address, port)) {
        *error = m_pUdp->errorString();
        Close();
        return false;
    }
    connect(m_pUdp, &QUdpSocket::readyRead, this, &DeviceSimulator::OnDatagrams);
    return true;
}

bool DeviceSimulator::ListenPty(QString* error)
{
    Close();
    if (!m_Pty.Open(error))
        return false;
    m_pPtyChannel = std::make_unique<Channel>();
    m_pPtyChannel->send = [this](const QByteArray& reply) {
        QString why;
        return m_Pty.Write(reply, &why) ? QString() : why;
    };
    Channel* channel = m_pPtyChannel.get();
    m_pPtyChannel->quiet.setSingleShot(true);
    connect(&m_pPtyChannel->quiet, &QTimer::timeout, this,
            [this, channel] { Process(channel->buffer, true, channel->send, channel->refused); });
    m_pPtyNotifier = new QSocketNotifier(m_Pty.MasterFd(), QSocketNotifier::Read, this);
    connect(m_pPtyNotifier, &QSocketNotifier::activated, this, &DeviceSimulator::OnPtyReadable);
    // A serial device greets as it powers up; the terminal holds the bytes
    // until a client opens it and reads. Told once the caller has said where.
    QTimer::singleShot(0, &m_pPtyChannel->quiet, [this] { Greet(m_pPtyChannel->send); });
    return true;
}

void DeviceSimulator::Close()
{
    for (auto& [socket, channel] : m_Clients) {
        socket->disconnect(this);
        socket->flush();  // the last replies
        socket->deleteLater();
    }
    m_Clients.clear();
    delete m_pServer;
    m_pServer = nullptr;
    delete m_pUdp;
    m_pUdp = nullptr;
    delete m_pPtyNotifier;
    m_pPtyNotifier = nullptr;
    m_pPtyChannel.reset();
    m_Pty.Close();
    m_UdpPeers.clear();
    m_RefusedPeers.clear();
}

QString DeviceSimulator::Endpoint() const
{
    if (m_pServer)
        return QStringLiteral("tcp ") + AddressText(m_pServer->serverAddress(), m_pServer->serverPort());
    if (m_pUdp)
        return QStringLiteral("udp ") + AddressText(m_pUdp->localAddress(), m_pUdp->localPort());
    if (m_Pty.IsOpen())
        return QStringLiteral("pty ") + m_Pty.SlavePath();
    return QString();
}

quint16 DeviceSimulator::Port() const
{
    return m_pServer ? m_pServer->serverPort() : m_pUdp ? m_pUdp->localPort() : 0;
}

void DeviceSimulator::Receive(Channel& channel, const QByteArray& bytes)
{
    if (Stopped())
        return;
    channel.buffer += bytes;
    Process(channel.buffer, false, channel.send, channel.refused);
    if (channel.buffer.size() > BufferLimit) {
        const qsizetype drop = channel.buffer.size() - KeepOnOverflow;
        Unknown(channel.buffer.left(drop));
        channel.buffer.remove(0, drop);
    }
    m_PeakBuffered = std::max(m_PeakBuffered, int(channel.buffer.size()));
    if (channel.buffer.isEmpty())
        channel.quiet.stop();
    else
        channel.quiet.start(QuietMs);
}

void DeviceSimulator::Process(QByteArray& buffer, bool complete, const Sender& send, bool& refused)
{
    while (!buffer.isEmpty() && !Stopped()) {
        const RequestMatch match = m_Matcher.Find(buffer, complete);
        if (match.index < 0 || match.pending)
            break;
        if (match.position > 0)
            Unknown(buffer.left(match.position));
        const QByteArray request = buffer.mid(match.position, match.length);
        buffer.remove(0, match.position + match.length);
        if (!match.tied.isEmpty()) {
            QStringList names{Patterns().at(match.index).name};
            for (const int other : match.tied)
                names << Patterns().at(other).name;
            emit logged(QStringLiteral("request %1 fits '%2' equally; taken as '%3'")
                            .arg(EscapedBytes(request), names.join(QStringLiteral("', '")), names.first()));
        }
        Answer(match.index, request, send, refused);
    }
    if (complete && !buffer.isEmpty() && !Stopped()) {
        Unknown(buffer);
        buffer.clear();
    }
}

void DeviceSimulator::Greet(const Sender& send)
{
    for (int row = 0; row < m_Script.SetupCount() && m_Script.SetupIncoming(row); ++row) {
        const MessageRef ref{MessageRef::Setup, row};
        const QByteArray greeting = m_Script.ExampleReply(ref);
        if (greeting.isEmpty())
            continue;
        const QString why = send(greeting);
        if (why.isEmpty())
            m_Script.MatchReply(ref, greeting);
        emit logged(QStringLiteral("greeting '%1' (setup %2): %3")
                        .arg(m_Script.SetupName(row))
                        .arg(row + 1)
                        .arg(why.isEmpty() ? QStringLiteral("sent ") + EscapedBytes(greeting)
                                           : QStringLiteral("not sent: ") + why));
    }
}

QByteArray DeviceSimulator::Expected(const RequestPattern& message) const
{
    const bool takesParams =
        message.ref.source == MessageRef::Event && !m_Script.ParamNames(message.ref.row).isEmpty();
    if (!message.computed || takesParams)
        return QByteArray();
    QByteArray bytes;
    QString error;
    return m_Script.OutgoingBytes(message.ref, {}, &bytes, &error) ? bytes : QByteArray();
}

void DeviceSimulator::Answer(int pattern, const QByteArray& request, const Sender& send, bool& refused)
{
    const RequestPattern& message = Patterns().at(pattern);
    const QString kind = message.ref.source == MessageRef::Event ? QStringLiteral("event")
                                                                 : QStringLiteral("setup %1").arg(message.ref.row + 1);
    const QByteArray expected = Expected(message);
    const bool differs = !expected.isEmpty() && expected != request;
    if (differs)
        emit logged(QStringLiteral("request '%1' (%2): computed field differs: expected %3, received %4")
                        .arg(message.name, kind, EscapedBytes(expected), EscapedBytes(request)));
    const bool wasRefused = refused && !m_Lenient;
    if (differs && !m_Lenient && message.ref.source == MessageRef::Setup)
        refused = true;
    const MessageRef replyRef = m_Script.ReplyTo(message.ref);
    const bool answers = replyRef.row >= 0 && ((!differs && !wasRefused) || m_Lenient);
    const QByteArray reply = answers ? m_Script.ExampleReply(replyRef) : QByteArray();
    QString outcome = wasRefused                ? QStringLiteral("not answered: the client's login failed")
                      : differs && !m_Lenient ? QStringLiteral("not answered")
                                              : QStringLiteral("no reply");
    bool sent = false;
    if (!reply.isEmpty()) {
        const QString why = send(reply);
        sent = why.isEmpty();
        outcome = sent ? QStringLiteral("answered ") + EscapedBytes(reply) : QStringLiteral("reply not sent: ") + why;
        // What the device said is what it now holds (a seed, a state).
        if (sent)
            m_Script.MatchReply(replyRef, reply);
    }
    ++m_Count;
    emit logged(QStringLiteral("request '%1' (%2): %3 -> %4").arg(message.name, kind, EscapedBytes(request), outcome));
    emit requestRecognised(pattern, request, sent ? reply : QByteArray());
    if (Stopped())
        emit limitReached();
}

void DeviceSimulator::Unknown(const QByteArray& bytes)
{
    emit logged(QStringLiteral("unknown request: ") + EscapedBytes(bytes));
    emit unknownRequest(bytes);
}

void DeviceSimulator::OnNewConnection()
{
    while (QTcpSocket* socket = m_pServer->nextPendingConnection()) {
        if (m_Clients.size() >= size_t(MaxClients)) {
            emit logged(QStringLiteral("client %1 refused: %2 clients connected")
                            .arg(AddressText(socket->peerAddress(), socket->peerPort()))
                            .arg(MaxClients));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Qt stops taking bytes from the system when this much is unread,
        // so a flooding client is slowed down instead of filling memory.
        socket->setReadBufferSize(BufferLimit);
        auto channel = std::make_unique<Channel>();
        channel->send = [socket](const QByteArray& reply) {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return QStringLiteral("the client is gone");
            if (socket->bytesToWrite() > BacklogLimit)
                return QStringLiteral("the client does not read its replies");
            return socket->write(reply) == reply.size() ? QString() : socket->errorString();
        };
        Channel* held = channel.get();
        channel->quiet.setSingleShot(true);
        connect(&channel->quiet, &QTimer::timeout, this,
                [this, held] { Process(held->buffer, true, held->send, held->refused); });
        m_Clients.emplace(socket, std::move(channel));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnTcpReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { OnTcpDisconnected(socket); });
        Greet(held->send);
        OnTcpReadable(socket);
    }
}

void DeviceSimulator::OnTcpReadable(QTcpSocket* socket)
{
    const auto found = m_Clients.find(socket);
    if (found == m_Clients.end())
        return;
    while (!Stopped() && socket->bytesAvailable() > 0)
        Receive(*found->second, socket->read(ReadChunk));
}

void DeviceSimulator::OnTcpDisconnected(QTcpSocket* socket)
{
    const auto found = m_Clients.find(socket);
    if (found == m_Clients.end())
        return;
    OnTcpReadable(socket);
    // A client gone mid-message leaves bytes that will never complete.
    Channel& channel = *found->second;
    channel.quiet.stop();
    Process(channel.buffer, true, [](const QByteArray&) { return QStringLiteral("the client is gone"); },
            channel.refused);
    m_Clients.erase(socket);
    socket->deleteLater();
}

void DeviceSimulator::OnDatagrams()
{
    for (int handled = 0; m_pUdp && m_pUdp->hasPendingDatagrams(); ++handled) {
        if (handled == DatagramsPerTurn) {
            QTimer::singleShot(0, this, &DeviceSimulator::OnDatagrams);
            return;
        }
        const QNetworkDatagram datagram = m_pUdp->receiveDatagram();
        if (Stopped() || !datagram.isValid())
            continue;
        QByteArray bytes = datagram.data();
        const QHostAddress sender = datagram.senderAddress();
        const quint16 senderPort = quint16(datagram.senderPort());
        const Sender send = [this, sender, senderPort](const QByteArray& reply) {
            return m_pUdp->writeDatagram(reply, sender, senderPort) == reply.size() ? QString()
                                                                                     : m_pUdp->errorString();
        };
        // A datagram is how a sender makes itself known (an empty one too):
        // the first from each is greeted before it is answered.
        const QString peer = AddressText(sender, senderPort);
        if (!m_UdpPeers.contains(peer)) {
            if (m_UdpPeers.size() >= MaxUdpPeers)
                m_UdpPeers.removeFirst();
            m_UdpPeers << peer;
            m_RefusedPeers.removeAll(peer);
            Greet(send);
        }
        bool refused = m_RefusedPeers.contains(peer);
        Process(bytes, true, send, refused);
        if (refused && !m_RefusedPeers.contains(peer)) {
            if (m_RefusedPeers.size() >= MaxUdpPeers)
                m_RefusedPeers.removeFirst();
            m_RefusedPeers << peer;
        }
    }
}

void DeviceSimulator::OnPtyReadable()
{
    // A bounded turn: a client writing without pause still lets other events run.
    for (int read = 0; read < BufferLimit / ReadChunk && m_pPtyChannel && !Stopped(); ++read) {
        const QByteArray bytes = m_Pty.Read(ReadChunk);
        if (bytes.isEmpty())
            return;
        Receive(*m_pPtyChannel, bytes);
    }
    if (Stopped() && m_pPtyNotifier)
        m_pPtyNotifier->setEnabled(false);
}
