#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

#include "devicetest/driverscript.h"
#include "devicetest/ptypair.h"
#include "devicetest/requestpattern.h"

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class QUdpSocket;

// Plays the device a driver talks to, for trying a driver (or the show
// controller) without the hardware. It listens on TCP (several clients),
// UDP (answering each datagram's sender) or a pseudo-terminal, recognises
// each request by the patterns of the driver's outgoing messages and answers
// it with the example reply of the message's incoming response; a message
// without a response gets no answer. A device that speaks first (incoming
// setup messages before the first outgoing one: a greeting, a login
// challenge) sends their examples to each TCP client as it connects, to each
// UDP sender before its first answer, and once on a pseudo-terminal as it
// opens.
//
// The simulator keeps its own device variables, filled from the replies it
// sends. A request that sends a computed value (a checksum, md5, a local)
// and takes no parameters is worked out from them and compared byte for
// byte: one that differs is logged and, unless lenient, not answered; when
// it is a setup message (a login) the client's login failed, and nothing it
// sends is answered until it connects again.
//
// Bytes collect per client: the earliest request in them is taken out, with
// anything before it reported as an unknown request; what no pattern matches
// is reported once the client has been quiet for QuietMs, or, past
// BufferLimit, all but the last KeepOnOverflow bytes at once. A UDP datagram
// is a whole exchange: what it holds besides requests is unknown at once.
class DeviceSimulator : public QObject
{
    Q_OBJECT

public:
    explicit DeviceSimulator(const DriverModels& models, QObject* parent = nullptr);
    ~DeviceSimulator() override;

    // host: an address, "localhost", or a name looked up; port 0 takes a free
    // port. False with why when it cannot listen. Closes any other listener.
    bool ListenTcp(const QString& host, quint16 port, QString* error);
    bool ListenUdp(const QString& host, quint16 port, QString* error);
    bool ListenPty(QString* error);
    void Close();

    // "tcp 127.0.0.1:40123", "udp [::1]:40124", "pty /dev/pts/7"; empty when
    // not listening.
    QString Endpoint() const;
    quint16 Port() const;
    QString PtyPath() const { return m_Pty.SlavePath(); }

    const QList<RequestPattern>& Patterns() const { return m_Matcher.Patterns(); }
    // After limit recognised requests (0: no limit) limitReached is emitted
    // and nothing more is read or answered.
    void SetRequestLimit(int limit) { m_Limit = limit; }
    int RequestCount() const { return m_Count; }
    // Answers a request whose computed value differs all the same.
    void SetLenient(bool lenient) { m_Lenient = lenient; }
    // The simulator's own device variables.
    QString VariableValue(const QString& name) const { return m_Script.VariableValue(name); }
    // The most bytes one client's buffer held after a read was handled.
    int PeakBuffered() const { return m_PeakBuffered; }

    static constexpr int BufferLimit = 64 * 1024;
    static constexpr int KeepOnOverflow = 4 * 1024;
    static constexpr int QuietMs = 300;
    static constexpr int MaxClients = 64;
    // Replies are dropped while a TCP client leaves this much unread.
    static constexpr qint64 BacklogLimit = 256 * 1024;
    // UDP senders remembered as greeted; past this the oldest are forgotten.
    static constexpr int MaxUdpPeers = 1024;

signals:
    // reply: what was sent back, empty when nothing was.
    void requestRecognised(int pattern, const QByteArray& request, const QByteArray& reply);
    void unknownRequest(const QByteArray& bytes);
    // One line per request, unknown request and client: "request 'Power'
    // (event): PWR 1\r -> answered PWR=1\r".
    void logged(const QString& line);
    void limitReached();

private:
    // Sends a reply; empty when sent, else why not.
    using Sender = std::function<QString(const QByteArray&)>;
    struct Channel;

    bool Stopped() const { return m_Limit > 0 && m_Count >= m_Limit; }
    void Receive(Channel& channel, const QByteArray& bytes);
    // refused: the client's login failed; nothing it sends is answered.
    void Process(QByteArray& buffer, bool complete, const Sender& send, bool& refused);
    void Answer(int pattern, const QByteArray& request, const Sender& send, bool& refused);
    // Sends what the device says before it is asked, if anything.
    void Greet(const Sender& send);
    // The request's bytes worked out from the simulator's variables; empty
    // when they cannot be (no computed value, or parameters it depends on).
    QByteArray Expected(const RequestPattern& message) const;
    void Unknown(const QByteArray& bytes);
    void OnNewConnection();
    void OnTcpReadable(QTcpSocket* socket);
    void OnTcpDisconnected(QTcpSocket* socket);
    void OnDatagrams();
    void OnPtyReadable();

    DriverScript m_Script;
    RequestMatcher m_Matcher;
    int m_Limit = 0;
    int m_Count = 0;
    int m_PeakBuffered = 0;
    bool m_Lenient = false;
    QList<QString> m_UdpPeers;  // greeted, oldest first
    QList<QString> m_RefusedPeers;  // UDP senders whose login failed

    QTcpServer* m_pServer = nullptr;
    QUdpSocket* m_pUdp = nullptr;
    PtyPair m_Pty;
    QSocketNotifier* m_pPtyNotifier = nullptr;
    std::map<QTcpSocket*, std::unique_ptr<Channel>> m_Clients;
    std::unique_ptr<Channel> m_pPtyChannel;
};
