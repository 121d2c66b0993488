#include "devicetest/devicelink.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTcpSocket>
#include <QTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include "editors/ports/portfields.h"

namespace {

// "192.168.001.050" as typed on the Ports page: each part is a decimal
// number, so leading zeros do not make it octal.
QString DottedAddress(const QString& typed)
{
    const QStringList parts = typed.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return typed.trimmed();
    QStringList numbers;
    for (const QString& part : parts) {
        bool ok = false;
        const int number = part.toInt(&ok, 10);
        if (!ok || number < 0 || number > 255)
            return typed.trimmed();
        numbers << QString::number(number);
    }
    return numbers.join(QLatin1Char('.'));
}

quint16 PortNumber(const QString& text)
{
    bool ok = false;
    const uint number = text.trimmed().toUInt(&ok);
    return ok && number <= 65535 ? quint16(number) : 0;
}

QSerialPort::Parity ParityOf(QChar letter)
{
    switch (letter.toLower().toLatin1()) {
    case 'e': return QSerialPort::EvenParity;
    case 'o': return QSerialPort::OddParity;
    case 'm': return QSerialPort::MarkParity;
    case 's': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits StopBitsOf(const QString& text)
{
    if (text == QLatin1String("2"))
        return QSerialPort::TwoStop;
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}

QString SerialError(QSerialPort& port)
{
    switch (port.error()) {
    case QSerialPort::PermissionError:
        return QStringLiteral("permission denied for %1: add yourself to the dialout group "
                              "(sudo adduser $USER dialout), then log out and in again")
            .arg(port.portName());
    case QSerialPort::DeviceNotFoundError: return QStringLiteral("no such device: %1").arg(port.portName());
    default: return port.errorString();
    }
}

} // namespace

LinkSettings LinkSettingsFromPorts(const PortFields& ports)
{
    LinkSettings settings;
    if (ports.hasEthernet || !ports.hasSerial) {
        settings.kind = ports.ethernet.type.contains(QLatin1String("tcp")) ? LinkSettings::Tcp : LinkSettings::Udp;
        settings.host = DottedAddress(ports.ethernet.ipAddress);
        settings.port = PortNumber(ports.ethernet.devicePort);
        settings.localPort = settings.kind == LinkSettings::Udp ? PortNumber(ports.ethernet.sourcePort) : 0;
    } else {
        settings.kind = LinkSettings::Serial;
    }
    // A device without a serial port keeps the common 9600 8N1.
    if (ports.hasSerial) {
        const int baud = ports.serial.baud.toInt();
        const int bits = ports.serial.bits.toInt();
        settings.baud = baud > 0 ? baud : settings.baud;
        settings.dataBits = bits >= 5 && bits <= 8 ? bits : settings.dataBits;
        settings.parity = ports.serial.parity.isEmpty() ? QLatin1Char('n') : ports.serial.parity.at(0).toLower();
        settings.stopBits = ports.serial.stopBits.isEmpty() ? QStringLiteral("1") : ports.serial.stopBits;
    }
    const QStringList devices = SerialDeviceNames();
    if (!devices.isEmpty())
        settings.device = devices.first();
    return settings;
}

bool ParseHostPort(const QString& text, QString* host, quint16* port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number > 65535)
        return false;
    *host = text.left(colon);
    if (host->startsWith(QLatin1Char('[')) && host->endsWith(QLatin1Char(']')))
        *host = host->mid(1, host->size() - 2);
    *port = quint16(number);
    return !host->isEmpty();
}

QString DescribeLink(const LinkSettings& settings)
{
    switch (settings.kind) {
    case LinkSettings::Tcp: return QStringLiteral("tcp %1:%2").arg(settings.host).arg(settings.port);
    case LinkSettings::Udp: return QStringLiteral("udp %1:%2").arg(settings.host).arg(settings.port);
    case LinkSettings::Serial:
        return QStringLiteral("serial %1 %2 %3%4%5")
            .arg(settings.device)
            .arg(settings.baud)
            .arg(settings.dataBits)
            .arg(settings.parity.toUpper())
            .arg(settings.stopBits);
    }
    return {};
}

QStringList SerialDeviceNames()
{
    QStringList names;
    QStringList targets;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        names << link.absoluteFilePath();
        targets << link.canonicalFilePath();
    }
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        if (!targets.contains(port.systemLocation()))
            names << port.systemLocation();
    }
    return names;
}

DeviceLink::DeviceLink(QObject* parent) : QObject(parent)
{
}

DeviceLink::~DeviceLink()
{
    // No signals from a link being destroyed: its owner is going too.
    blockSignals(true);
    Close();
}

void DeviceLink::SetState(State state, const QString& text)
{
    if (state == m_State && text == m_StateText)
        return;
    m_State = state;
    m_StateText = text;
    emit stateChanged(state, text);
}

void DeviceLink::DropDevice()
{
    if (!m_pDevice)
        return;
    QIODevice* device = m_pDevice;
    m_pDevice = nullptr;
    device->disconnect(this);
    device->close();
    // Later: this may run inside one of the device's own signals.
    device->deleteLater();
}

void DeviceLink::Fail(const QString& why)
{
    DropDevice();
    SetState(Failed, why);
}

void DeviceLink::Open(const LinkSettings& settings)
{
    // Straight to Connecting: the old connection's end is not announced.
    DropDevice();
    m_Settings = settings;
    const QString where = DescribeLink(settings);
    SetState(Connecting, QStringLiteral("Connecting to %1…").arg(where));

    if (settings.kind == LinkSettings::Serial) {
        auto* port = new QSerialPort(this);
        m_pDevice = port;
        port->setReadBufferSize(ReadBufferSize);
        port->setPortName(settings.device);
        if (!port->open(QIODevice::ReadWrite)) {
            Fail(SerialError(*port));
            return;
        }
        const bool configured = port->setBaudRate(settings.baud) &&
                                port->setDataBits(QSerialPort::DataBits(settings.dataBits)) &&
                                port->setParity(ParityOf(settings.parity)) &&
                                port->setStopBits(StopBitsOf(settings.stopBits)) &&
                                port->setFlowControl(QSerialPort::NoFlowControl);
        if (!configured) {
            Fail(QStringLiteral("cannot set %1: %2").arg(where, port->errorString()));
            return;
        }
        connect(port, &QSerialPort::readyRead, this, &DeviceLink::ReadAll);
        connect(port, &QSerialPort::errorOccurred, this, [this, port](QSerialPort::SerialPortError error) {
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
                Fail(SerialError(*port));
        });
        SetState(Connected, QStringLiteral("Connected to %1").arg(where));
        return;
    }

    if (settings.kind == LinkSettings::Udp) {
        auto* socket = new QUdpSocket(this);
        m_pDevice = socket;
        if (!socket->bind(QHostAddress::Any, settings.localPort)) {
            Fail(QStringLiteral("cannot use local udp port %1: %2").arg(settings.localPort).arg(socket->errorString()));
            return;
        }
        connect(socket, &QUdpSocket::readyRead, this, &DeviceLink::ReadAll);
        connect(socket, &QUdpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError) {
            Fail(QStringLiteral("%1: %2").arg(DescribeLink(m_Settings), socket->errorString()));
        });
        connect(socket, &QUdpSocket::connected, this, [this, where] {
            SetState(Connected, QStringLiteral("Connected to %1").arg(where));
        });
        // Connected, the socket reads only what the device sends. An address
        // connects at once, a name once it is looked up.
        socket->connectToHost(settings.host, settings.port);
        return;
    }

    auto* socket = new QTcpSocket(this);
    m_pDevice = socket;
    socket->setReadBufferSize(ReadBufferSize);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, where] {
        Fail(QStringLiteral("no answer from %1 within %2 s").arg(where).arg(ConnectTimeoutMs / 1000));
    });
    connect(socket, &QTcpSocket::connected, this, [this, where, deadline] {
        deadline->stop();
        SetState(Connected, QStringLiteral("Connected to %1").arg(where));
    });
    connect(socket, &QTcpSocket::readyRead, this, &DeviceLink::ReadAll);
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket, where](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            Fail(QStringLiteral("%1 closed the connection").arg(where));
        else
            Fail(QStringLiteral("%1: %2").arg(where, socket->errorString()));
    });
    deadline->start(ConnectTimeoutMs);
    socket->connectToHost(settings.host, settings.port);
}

void DeviceLink::Close()
{
    DropDevice();
    SetState(Closed, QStringLiteral("Disconnected"));
}

bool DeviceLink::Send(const QByteArray& bytes)
{
    if (m_State != Connected || !m_pDevice) {
        return false;
    }
    if (m_pDevice->write(bytes) != bytes.size()) {
        Fail(QStringLiteral("cannot send to %1: %2").arg(DescribeLink(m_Settings), m_pDevice->errorString()));
        return false;
    }
    return true;
}

bool DeviceLink::SendEmptyDatagram()
{
    auto* udp = qobject_cast<QUdpSocket*>(m_pDevice.data());
    return m_State == Connected && udp && udp->writeDatagram(QNetworkDatagram(QByteArray())) == 0;
}

void DeviceLink::ReadAll()
{
    if (!m_pDevice)
        return;
    // A datagram socket hands over one datagram per read.
    if (auto* udp = qobject_cast<QUdpSocket*>(m_pDevice.data())) {
        while (udp->hasPendingDatagrams()) {
            QByteArray datagram(qMax<qint64>(udp->pendingDatagramSize(), 0), '\0');
            const qint64 size = udp->readDatagram(datagram.data(), datagram.size());
            if (size > 0)
                emit received(datagram.left(size));
        }
        return;
    }
    const QByteArray bytes = m_pDevice->readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}
