#pragma once

#include <QString>
#include <QVariantMap>

class ProductData_c;

// The settings of a serial line; a MIDI port is one too.
struct SerialSettings
{
    QString baud = QStringLiteral("1200");
    QString bits = QStringLiteral("7");
    QString parity = QStringLiteral("n");
    QString stopBits = QStringLiteral("1");

    bool operator==(const SerialSettings&) const = default;
};

struct EthernetSettings
{
    QString type = QStringLiteral("udp");
    QString ipAddress = QStringLiteral("192.168.000.254");
    // The port numbers as typed; stored as integers (text that is not a
    // number stores 0).
    QString devicePort = QStringLiteral("23");
    QString sourcePort = QStringLiteral("0");

    bool operator==(const EthernetSettings&) const = default;
};

// The values of the "Ports" page, detached from its widgets: which ports the
// device has and their settings. A port the device lacks keeps the page's
// defaults.
struct PortFields
{
    bool hasSerial = false;
    SerialSettings serial;
    bool hasEthernet = false;
    EthernetSettings ethernet;
    bool hasMidi = false;
    SerialSettings midi{QStringLiteral("31250"), QStringLiteral("8"), QStringLiteral("n"), QStringLiteral("1")};

    bool operator==(const PortFields&) const = default;
};

// What the ethernet settings allow, for the ethernet group's check state and
// type: whether the device is reached over TCP (the type names "tcp", case
// counted), whether it has a device port to dial (not as a TCP server), and
// whether a local source port applies (UDP or TCP server).
struct EthernetUse
{
    bool tcp = false;
    bool devicePort = false;
    bool sourcePort = false;

    bool operator==(const EthernetUse&) const = default;
};
EthernetUse EthernetUseFor(bool hasEthernet, const QString& type);

// Replaces the first protocol's ports with one port per port the device has,
// in the order serial, ethernet, MIDI, each with one option record holding
// the settings of its kind, and the hardware's ports with one port of the
// same type each (without options).
void StorePortFields(const PortFields& fields, ProductData_c& product);

// Reads the fields back from the first protocol: a kind is present when the
// protocol has a port of its type, and its settings come from that port's
// first option record (empty texts and port 0 when it has none). Adds no
// protocol, port or option record to the product.
PortFields LoadPortFields(ProductData_c& product);

// The fields by name, for the undo history; PortFieldsWith puts back those
// named in values over fields.
QVariantMap PortFieldMap(const PortFields& fields);
PortFields PortFieldsWith(PortFields fields, const QVariantMap& values);
