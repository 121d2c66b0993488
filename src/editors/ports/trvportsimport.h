#pragma once

#include <QFile>
#include <QString>
#include <QWidget>

#include <memory>

#include "editors/ports/irfile.h"
#include "editors/ports/portfields.h"

namespace Ui {
class TRVPortsImport;
}

class ProductData_c;
class QComboBox;

// The "Ports" page: the serial, ethernet and MIDI ports of the device, and the
// import of an infra-red code file as events. Its widgets hold the port
// values between load and store.
class TRVPortsImport : public QWidget
{
    Q_OBJECT

public:
    explicit TRVPortsImport(QWidget* parent);
    ~TRVPortsImport() override;

    // Shows the product's ports and announces whether they include TCP.
    void Load(ProductData_c* product);
    void Store(ProductData_c* product);

    PortFields Fields() const;
    // Sets every field, then runs TCPStatus() once.
    void SetFields(const PortFields& fields);
    // What makes the events of an imported IR file, behind a progress dialog
    // with Cancel; without one, requestIREventCreation is emitted per code.
    void SetIRImporter(IRImporter importer) { m_IRImporter = std::move(importer); }

signals:
    // The device is (or is no longer) reached over TCP.
    void hasTCP(bool hasTcp);
    // One imported infra-red code.
    void requestIREventCreation(QString name, QString message);
    void requestEventTabFocus();
    void savableDataChanged();

public slots:
    void on_m_pButImportBrowse_clicked();
    void on_m_pButImportFile_clicked();
    void on_m_pButSourcePortHelp_clicked();
    // Announces whether the ethernet port uses TCP and enables the ethernet
    // port fields that apply to its type.
    void TCPStatus();

private:
    std::unique_ptr<Ui::TRVPortsImport> ui;
    // The IR file to import: chosen with Browse, or typed into the filename field.
    QFile m_IRFile;
    IRImporter m_IRImporter;
};
