#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QIODevice;
struct PortFields;

// How the device is reached: the settings of the Ports page, editable for a
// test run without changing the file.
struct LinkSettings
{
    enum Kind { Tcp, Udp, Serial };
    Kind kind = Tcp;
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 0;
    quint16 localPort = 0;  // UDP: the port replies come back to; 0 lets the system pick
    QString device;         // serial: /dev/ttyUSB0, a /dev/serial/by-id name, a pseudo-terminal
    qint32 baud = 9600;
    int dataBits = 8;
    QChar parity = QLatin1Char('n');  // n, e, o, m, s
    QString stopBits = QStringLiteral("1");  // 1, 1.5, 2
    bool operator==(const LinkSettings&) const = default;
};

// The settings the Ports page holds: ethernet when the device has it (TCP
// client for a TCP type, else UDP), else serial. Addresses typed with leading
// zeros ("192.168.001.050") are read as the dotted numbers they mean.
LinkSettings LinkSettingsFromPorts(const PortFields& ports);
// "HOST:PORT" into settings; false when it is not one.
bool ParseHostPort(const QString& text, QString* host, quint16* port);
// "tcp 127.0.0.1:4352", "serial /dev/ttyUSB0 9600 8N1".
QString DescribeLink(const LinkSettings& settings);

// The serial devices of this machine: the stable /dev/serial/by-id names
// first, then those the system lists that no such name points to.
QStringList SerialDeviceNames();

// One connection to a device: a TCP client, a UDP peer or a serial line.
// Bytes are sent as they are and handed on as they arrive.
class DeviceLink : public QObject
{
    Q_OBJECT

public:
    enum State { Closed, Connecting, Connected, Failed };

    explicit DeviceLink(QObject* parent = nullptr);
    ~DeviceLink() override;

    // Opens a new connection (closing any other); stateChanged tells how it went.
    void Open(const LinkSettings& settings);
    void Close();
    // False (and errorOccurred) when the link is not open or the write fails.
    bool Send(const QByteArray& bytes);
    // UDP: an empty datagram, so a device that speaks first learns where
    // to; false on other links or when it cannot be sent.
    bool SendEmptyDatagram();

    State GetState() const { return m_State; }
    const LinkSettings& Settings() const { return m_Settings; }
    // The text shown for the state: "Connected to tcp 127.0.0.1:4352", or why
    // it failed ("permission denied ..." with the hint about the dialout group).
    QString StateText() const { return m_StateText; }

    // How long a TCP connection may take before it counts as failed.
    static constexpr int ConnectTimeoutMs = 5000;
    // What a TCP or serial link holds unread: a device that sends faster
    // than its bytes are handled is slowed down (TCP) or loses bytes
    // (serial), instead of filling memory.
    static constexpr qint64 ReadBufferSize = 64 * 1024;

signals:
    void stateChanged(DeviceLink::State state, const QString& text);
    void received(const QByteArray& bytes);

private:
    void SetState(State state, const QString& text);
    void Fail(const QString& why);
    void DropDevice();
    void ReadAll();

    LinkSettings m_Settings;
    State m_State = Closed;
    QString m_StateText;
    QPointer<QIODevice> m_pDevice;
};
