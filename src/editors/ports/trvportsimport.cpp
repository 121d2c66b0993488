#include "editors/ports/trvportsimport.h"

#include "ui_trvportsimport.h"

#include <QFileInfo>
#include <QIntValidator>
#include <QProgressDialog>
#include <QRegularExpressionValidator>

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/ports/irfile.h"
#include "editors/common/prompts.h"

namespace {

// Shows text in an editable combo box, on its item when it is one.
void SetComboText(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        combo->setCurrentIndex(index);
    combo->setEditText(text);
}

} // namespace

TRVPortsImport::TRVPortsImport(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TRVPortsImport>())
{
    ui->setupUi(this);
    HoldFileText(this);
    for (QLineEdit* edit : {ui->m_pEditDevicePort, ui->m_pEditSourcePort})
        edit->setValidator(new QIntValidator(0, 65535, edit));
    // A key that cannot lead to a dotted address is refused; what is typed is
    // shown as typed, and the hint stays until the address is whole. Groups
    // with leading zeros ("192.168.001.050") are addresses too.
    static const QRegularExpression address(
        QStringLiteral("(25[0-5]|2[0-4]\\d|1\\d\\d|0?\\d?\\d)(\\.(25[0-5]|2[0-4]\\d|1\\d\\d|0?\\d?\\d)){3}"));
    ui->m_pEditIP->setValidator(new QRegularExpressionValidator(address, ui->m_pEditIP));
    connect(ui->m_pEditIP, &QLineEdit::textChanged, this, [this](const QString& text) {
        ui->m_pLabelIPHint->setVisible(!text.isEmpty() && !ui->m_pEditIP->hasAcceptableInput());
    });
    ui->m_pLabelIPHint->hide();
    SetFields(PortFields());

    for (QGroupBox* group : {ui->m_pGrpSerial, ui->m_pGrpEthernet, ui->m_pGrpMidi}) {
        connect(group, &QGroupBox::toggled, this, &TRVPortsImport::TCPStatus);
        connect(group, &QGroupBox::toggled, this, &TRVPortsImport::savableDataChanged);
    }
    connect(ui->m_pCmbEthType, &QComboBox::currentIndexChanged, this, &TRVPortsImport::TCPStatus);
    // A type typed by hand decides about TCP as much as one picked from the list.
    connect(ui->m_pCmbEthType, &QComboBox::editTextChanged, this, &TRVPortsImport::TCPStatus);
    for (QComboBox* combo : {ui->m_pCmbSerialBaud, ui->m_pCmbSerialBits, ui->m_pCmbSerialParity,
                             ui->m_pCmbSerialStopBits, ui->m_pCmbEthType, ui->m_pCmbMidiBaud, ui->m_pCmbMidiBits,
                             ui->m_pCmbMidiParity, ui->m_pCmbMidiStopBits})
        connect(combo, &QComboBox::editTextChanged, this, &TRVPortsImport::savableDataChanged);
    // The import file name is not part of the product, so it is no change to save.
    for (QLineEdit* edit : {ui->m_pEditIP, ui->m_pEditDevicePort, ui->m_pEditSourcePort})
        connect(edit, &QLineEdit::textChanged, this, &TRVPortsImport::savableDataChanged);
    connect(ui->m_pEditImportFilename, &QLineEdit::textChanged, this,
            [this](const QString& path) { m_IRFile.setFileName(path); });
}

TRVPortsImport::~TRVPortsImport() = default;

PortFields TRVPortsImport::Fields() const
{
    PortFields fields;
    fields.hasSerial = ui->m_pGrpSerial->isChecked();
    fields.serial = {ui->m_pCmbSerialBaud->currentText(), ui->m_pCmbSerialBits->currentText(),
                     ui->m_pCmbSerialParity->currentText(), ui->m_pCmbSerialStopBits->currentText()};
    fields.hasEthernet = ui->m_pGrpEthernet->isChecked();
    // Dots alone are still no address.
    QString ipAddress = ui->m_pEditIP->text();
    if (QString(ipAddress).remove(QLatin1Char('.')).trimmed().isEmpty())
        ipAddress.clear();
    fields.ethernet = {ui->m_pCmbEthType->currentText(), ipAddress, ui->m_pEditDevicePort->text(),
                       ui->m_pEditSourcePort->text()};
    fields.hasMidi = ui->m_pGrpMidi->isChecked();
    fields.midi = {ui->m_pCmbMidiBaud->currentText(), ui->m_pCmbMidiBits->currentText(),
                   ui->m_pCmbMidiParity->currentText(), ui->m_pCmbMidiStopBits->currentText()};
    return fields;
}

void TRVPortsImport::SetFields(const PortFields& fields)
{
    SetComboText(ui->m_pCmbSerialBaud, fields.serial.baud);
    SetComboText(ui->m_pCmbSerialBits, fields.serial.bits);
    SetComboText(ui->m_pCmbSerialParity, fields.serial.parity);
    SetComboText(ui->m_pCmbSerialStopBits, fields.serial.stopBits);
    SetComboText(ui->m_pCmbEthType, fields.ethernet.type);
    ui->m_pEditIP->setText(fields.ethernet.ipAddress);
    ui->m_pEditDevicePort->setText(fields.ethernet.devicePort);
    ui->m_pEditSourcePort->setText(fields.ethernet.sourcePort);
    SetComboText(ui->m_pCmbMidiBaud, fields.midi.baud);
    SetComboText(ui->m_pCmbMidiBits, fields.midi.bits);
    SetComboText(ui->m_pCmbMidiParity, fields.midi.parity);
    SetComboText(ui->m_pCmbMidiStopBits, fields.midi.stopBits);
    ui->m_pGrpSerial->setChecked(fields.hasSerial);
    ui->m_pGrpEthernet->setChecked(fields.hasEthernet);
    ui->m_pGrpMidi->setChecked(fields.hasMidi);
    // A group that keeps its check state emits nothing, yet the type may
    // have changed.
    TCPStatus();
}

void TRVPortsImport::Load(ProductData_c* product)
{
    if (product)
        SetFields(LoadPortFields(*product));
}

void TRVPortsImport::Store(ProductData_c* product)
{
    if (product)
        StorePortFields(Fields(), *product);
}

void TRVPortsImport::TCPStatus()
{
    const EthernetUse use = EthernetUseFor(ui->m_pGrpEthernet->isChecked(), ui->m_pCmbEthType->currentText());
    emit hasTCP(use.tcp);
    ui->m_pEditDevicePort->setEnabled(use.devicePort);
    ui->m_pEditSourcePort->setEnabled(use.sourcePort);
    ui->m_pButSourcePortHelp->setEnabled(use.sourcePort);
}

void TRVPortsImport::on_m_pButSourcePortHelp_clicked()
{
    Prompts::Current().Information(this, tr("Source Port"),
                                   tr("Set the port where the device will receive incoming messages.\n\n"
                                      "Enter 0 for a random port to be selected at run time."));
}

void TRVPortsImport::on_m_pButImportBrowse_clicked()
{
    const QString path = Prompts::Current().OpenFileName(this, tr("IR File"), QStringLiteral("TempIRdata.txt"),
                                                         tr("IR File (*.txt)"));
    m_IRFile.setFileName(path);
    ui->m_pEditImportFilename->setText(path);
}

void TRVPortsImport::on_m_pButImportFile_clicked()
{
    const EditHistory::Step step(this, tr("Import IR File"));
    const IRFile file = ReadIRFile(m_IRFile.fileName());
    const QString shownName = QFileInfo(m_IRFile.fileName()).fileName();
    switch (file.problem) {
    case IRFileProblem::NotText:
        Prompts::Current().Critical(
            this, tr("Error"), tr("\"%1\" is not a text file of IR codes. No events were imported.").arg(shownName));
        return;
    case IRFileProblem::TooLarge:
        Prompts::Current().Critical(this, tr("Error"),
                                    tr("\"%1\" is larger than %2 MB, too large for a file of IR codes. "
                                       "No events were imported.")
                                        .arg(shownName)
                                        .arg(IRFileSizeLimit / (1024 * 1024)));
        return;
    case IRFileProblem::None:
        break;
    }
    if (file.codes.isEmpty()) {
        Prompts::Current().Critical(this, tr("Error"), tr("No events were found to import."));
        return;
    }
    const int count = int(file.codes.size());
    if (count > IRImportAskAbove &&
        Prompts::Current().Question(this, tr("Import IR Codes"),
                                    tr("\"%1\" holds %2 IR codes, and each becomes an event. Import them all?")
                                        .arg(shownName)
                                        .arg(count),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    if (m_IRImporter) {
        QProgressDialog progress(tr("Importing %1 IR codes...").arg(count), tr("Cancel"), 0, count, this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        progress.setAutoClose(false);
        const int imported = m_IRImporter(file.codes, [&progress](int done) {
            progress.setValue(done);
            return !progress.wasCanceled();
        });
        if (imported == 0) {
            Prompts::Current().Information(this, tr("Import Cancelled"), tr("No events were imported."));
            return;
        }
    } else {
        for (const IRCode& code : file.codes)
            emit requestIREventCreation(code.name, code.message);
    }
    Prompts::Current().Information(this, tr("Success!"), tr("%1 events imported successfully").arg(count));
    emit savableDataChanged();
    emit requestEventTabFocus();
}
