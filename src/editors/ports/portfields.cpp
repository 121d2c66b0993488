#include "editors/ports/portfields.h"

#include "editors/common/modeltext.h"
#include "model/productdata.h"

namespace {

void RemoveAllPorts(ProductDataPorts_c& ports)
{
    while (ports.Count() > 0 && ports.First() && ports.RemoveCurrent() == KOR_OK) {
    }
}

// Appends a port of the given type to the protocol's list and, without
// options, to the hardware's; returns the protocol's port. Each list's cursor
// stays on its last port, so ports append in store order.
ProductDataPort_c* AppendPort(ProductDataPorts_c* protocolPorts, ProductDataPorts_c* hardwarePorts, int32_t type)
{
    if (hardwarePorts) {
        if (ProductDataPort_c* port = hardwarePorts->Append())
            port->SetType(type);
    }
    ProductDataPort_c* port = protocolPorts ? protocolPorts->Append() : nullptr;
    if (port)
        port->SetType(type);
    return port;
}

ProductDataPortOption_c* NewOption(ProductDataPort_c* port)
{
    ProductDataPortOptions_c* options = port ? port->PortOptions() : nullptr;
    return options ? options->Append() : nullptr;
}

void StoreSerial(const SerialSettings& settings, ProductDataPort_c* port)
{
    if (ProductDataPortOption_c* option = NewOption(port)) {
        option->SetBaud(ToStd(settings.baud));
        option->SetBits(ToStd(settings.bits));
        option->SetParity(ToStd(settings.parity));
        option->SetStopBits(ToStd(settings.stopBits));
    }
}

void StoreEthernet(const EthernetSettings& settings, ProductDataPort_c* port)
{
    if (ProductDataPortOption_c* option = NewOption(port)) {
        option->SetIPAddress(ToStd(settings.ipAddress));
        option->SetEPort(settings.devicePort.toInt());
        option->SetESPort(settings.sourcePort.toInt());
        option->SetEType(ToStd(settings.type));
    }
}

// The first option record of the protocol's first port of the given type;
// found says whether there is such a port at all.
ProductDataPortOption_c* FirstOption(ProductDataPorts_c& ports, int32_t type, bool* found)
{
    *found = false;
    for (int32_t index = 0; index < ports.Count(); ++index) {
        ProductDataPort_c* port = ports.Item(index);
        if (!port || port->GetType() != type)
            continue;
        *found = true;
        ProductDataPortOptions_c* options = port->PortOptions();
        return options && options->Count() > 0 ? options->Item(0) : nullptr;
    }
    return nullptr;
}

SerialSettings LoadSerial(ProductDataPortOption_c* option)
{
    if (!option)
        return {QString(), QString(), QString(), QString()};
    return {FromStd(option->GetBaud()), FromStd(option->GetBits()), FromStd(option->GetParity()),
            FromStd(option->GetStopBits())};
}

EthernetSettings LoadEthernet(ProductDataPortOption_c* option)
{
    if (!option)
        return {QString(), QString(), QStringLiteral("0"), QStringLiteral("0")};
    return {FromStd(option->GetEType()), FromStd(option->GetIPAddress()), QString::number(option->GetEPort()),
            QString::number(option->GetESPort())};
}

} // namespace

EthernetUse EthernetUseFor(bool hasEthernet, const QString& type)
{
    if (!hasEthernet)
        return {};
    const bool server = type == QLatin1String("tcp_server");
    return {type.contains(QLatin1String("tcp")), !server, server || type == QLatin1String("udp")};
}

void StorePortFields(const PortFields& fields, ProductData_c& product)
{
    ProductDataProtocol_c* protocol = product.FirstProtocol();
    ProductDataPorts_c* protocolPorts = protocol ? protocol->Ports() : nullptr;
    ProductDataHardware_c* hardware = product.Hardware();
    ProductDataPorts_c* hardwarePorts = hardware ? hardware->Ports() : nullptr;
    // The ports are rewritten, not added to what a previous store left.
    if (protocolPorts)
        RemoveAllPorts(*protocolPorts);
    if (hardwarePorts)
        RemoveAllPorts(*hardwarePorts);

    if (fields.hasSerial)
        StoreSerial(fields.serial, AppendPort(protocolPorts, hardwarePorts, PRODUCT_PORT_SERIAL));
    if (fields.hasEthernet)
        StoreEthernet(fields.ethernet, AppendPort(protocolPorts, hardwarePorts, PRODUCT_PORT_ETHERNET));
    if (fields.hasMidi)
        StoreSerial(fields.midi, AppendPort(protocolPorts, hardwarePorts, PRODUCT_PORT_MIDI));
}

PortFields LoadPortFields(ProductData_c& product)
{
    PortFields fields;
    ProductDataProtocols_c* protocols = product.Protocols();
    ProductDataProtocol_c* protocol = protocols && protocols->Count() > 0 ? protocols->Item(0) : nullptr;
    ProductDataPorts_c* ports = protocol ? protocol->Ports() : nullptr;
    if (!ports)
        return fields;

    ProductDataPortOption_c* option = FirstOption(*ports, PRODUCT_PORT_SERIAL, &fields.hasSerial);
    if (fields.hasSerial)
        fields.serial = LoadSerial(option);
    option = FirstOption(*ports, PRODUCT_PORT_ETHERNET, &fields.hasEthernet);
    if (fields.hasEthernet)
        fields.ethernet = LoadEthernet(option);
    option = FirstOption(*ports, PRODUCT_PORT_MIDI, &fields.hasMidi);
    if (fields.hasMidi)
        fields.midi = LoadSerial(option);
    return fields;
}

namespace {

template <typename Visit>
void VisitPortFields(PortFields& fields, Visit visit)
{
    visit("hasSerial", fields.hasSerial);
    visit("hasEthernet", fields.hasEthernet);
    visit("hasMidi", fields.hasMidi);
    for (auto [prefix, settings] : {std::pair{"serial.", &fields.serial}, std::pair{"midi.", &fields.midi}}) {
        visit(QByteArray(prefix) + "baud", settings->baud);
        visit(QByteArray(prefix) + "bits", settings->bits);
        visit(QByteArray(prefix) + "parity", settings->parity);
        visit(QByteArray(prefix) + "stopBits", settings->stopBits);
    }
    visit("ethernet.type", fields.ethernet.type);
    visit("ethernet.ipAddress", fields.ethernet.ipAddress);
    visit("ethernet.devicePort", fields.ethernet.devicePort);
    visit("ethernet.sourcePort", fields.ethernet.sourcePort);
}

} // namespace

QVariantMap PortFieldMap(const PortFields& fields)
{
    QVariantMap map;
    PortFields copy = fields;
    VisitPortFields(copy, [&](const QByteArray& name, const auto& value) { map.insert(QString::fromLatin1(name), value); });
    return map;
}

PortFields PortFieldsWith(PortFields fields, const QVariantMap& values)
{
    VisitPortFields(fields, [&](const QByteArray& name, auto& value) {
        if (const auto it = values.find(QString::fromLatin1(name)); it != values.end())
            value = it->template value<std::decay_t<decltype(value)>>();
    });
    return fields;
}
