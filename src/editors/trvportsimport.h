#pragma once

#include <QString>
#include <QWidget>

class ProductData_c;

// The "Ports" page: the serial, ethernet and MIDI ports of the device, and the
// import of an infra-red code file as events.
class TRVPortsImport : public QWidget
{
    Q_OBJECT

public:
    explicit TRVPortsImport(QWidget* parent);
    ~TRVPortsImport() override;

    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

signals:
    // The device is (or is no longer) reached over TCP.
    void hasTCP(bool hasTcp);
    // One imported infra-red code.
    void requestIREventCreation(QString name, QString message);
    void requestEventTabFocus();
    void savableDataChanged();
};
