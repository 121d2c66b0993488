#include "app/devicetest/trvdevicetest.h"

#include "ui_trvdevicetest.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QStandardItemModel>
#include <QTextCursor>
#include <QTextDocument>

#include "app/productfiles.h"
#include "app/devicetest/trvterminal.h"
#include "editors/ports/portfields.h"
#include "editors/common/prompts.h"

namespace {

QColor KindColour(DeviceLogEntry::Kind kind)
{
    switch (kind) {
    case DeviceLogEntry::Sent:
        return QColor(0x1d, 0x4e, 0x9e);
    case DeviceLogEntry::Received:
        return QColor(0x00, 0x6d, 0x6d);
    case DeviceLogEntry::Matched:
    case DeviceLogEntry::Capture:
        return QColor(0x1a, 0x7f, 0x37);
    case DeviceLogEntry::Unsolicited:
        return QColor(0x7b, 0x3f, 0xa0);
    case DeviceLogEntry::Retry:
        return QColor(0xb3, 0x5c, 0x00);
    case DeviceLogEntry::Mismatch:
    case DeviceLogEntry::Timeout:
    case DeviceLogEntry::Unrecognised:
    case DeviceLogEntry::Refused:
    case DeviceLogEntry::Error:
        return QColor(0xc6, 0x28, 0x28);
    case DeviceLogEntry::Info:
        break;
    }
    return QColor(0x55, 0x55, 0x55);
}

// Status texts can quote whole replies: the labels show their start and never
// widen the window, the tooltip a longer part.
void ShowText(QLabel* label, const QString& text)
{
    constexpr int shownLimit = 300;
    constexpr int tipLimit = 2000;
    label->setText(text.size() > shownLimit ? text.left(shownLimit) + QStringLiteral("...") : text);
    label->setToolTip(text.size() > shownLimit ? text.left(tipLimit) : QString());
}

const QString kFaultStyle = QStringLiteral("color: #c62828;");
const QString kGoodStyle = QStringLiteral("color: #1a7f37;");

} // namespace

TRVDeviceTest::TRVDeviceTest(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TRVDeviceTest>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::Window);

    for (QLabel* label : {ui->m_pLblState, ui->m_pLblStatus, ui->m_pLblResult})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // An empty status keeps its line, so the log does not move when one shows.
    ui->m_pLblStatus->setMinimumHeight(ui->m_pLblStatus->fontMetrics().height());
    ui->m_pTextLog->setMaximumBlockCount(LogLineLimit);
    ui->m_pTextLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->m_pSplitter->setStretchFactor(0, 3);
    ui->m_pSplitter->setStretchFactor(1, 1);
    ui->m_pTableParams->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ui->m_pTableVariables->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    for (int baud : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        ui->m_pComboBaud->addItem(QString::number(baud));
    for (int bits = 5; bits <= 8; ++bits)
        ui->m_pComboDataBits->addItem(QString::number(bits));
    const std::pair<const char*, char> parities[] = {
        {"None", 'n'}, {"Even", 'e'}, {"Odd", 'o'}, {"Mark", 'm'}, {"Space", 's'}};
    for (const auto& [name, code] : parities)
        ui->m_pComboParity->addItem(tr(name), QChar(QLatin1Char(code)));
    ui->m_pComboStopBits->addItems({QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")});
    ui->m_pComboDevice->addItems(SerialDeviceNames());

    // The log follows new lines while it is scrolled to its end, also when the
    // view shrinks; scrolled back, it stays where the user put it.
    QScrollBar* bar = ui->m_pTextLog->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { m_FollowLog = value == bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_FollowLog)
            bar->setValue(maximum);
    });

    m_Flush.setSingleShot(true);
    m_Flush.setInterval(FlushMs);
    connect(&m_Flush, &QTimer::timeout, this, &TRVDeviceTest::Flush);
    m_EventsChanged.setSingleShot(true);
    connect(&m_EventsChanged, &QTimer::timeout, this, &TRVDeviceTest::FillEvents);

    // The terminal shares the event's place: one tab each.
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("m_pTabEventTerminal"));
    tabs->setSizePolicy(ui->m_pGrpEvent->sizePolicy());
    // The layout hands back the item that held the group: it is ours to delete.
    delete ui->m_pGrpEvent->parentWidget()->layout()->replaceWidget(ui->m_pGrpEvent, tabs);
    ui->m_pGrpEvent->setTitle(QString());
    tabs->addTab(ui->m_pGrpEvent, tr("Event"));
    m_pTerminal = new TRVTerminal(tabs);
    tabs->addTab(m_pTerminal, tr("Terminal"));
    connect(m_pTerminal, &TRVTerminal::makeEventRequested, this, &TRVDeviceTest::makeEventRequested);

    on_m_pComboKind_currentIndexChanged(ui->m_pComboKind->currentIndex());
    UpdateButtons();
}

TRVDeviceTest::~TRVDeviceTest()
{
    DropSession();
}

void TRVDeviceTest::Open(const DriverModels& models, const PortFields& ports)
{
    DropSession();
    m_Models = models;
    SetSettings(LinkSettingsFromPorts(ports));
    // The event list follows the events page while the window is open.
    connect(m_Models.events, &QStandardItemModel::rowsInserted, &m_EventsChanged, qOverload<>(&QTimer::start),
            Qt::UniqueConnection);
    connect(m_Models.events, &QStandardItemModel::rowsRemoved, &m_EventsChanged, qOverload<>(&QTimer::start),
            Qt::UniqueConnection);
    connect(m_Models.events, &QStandardItemModel::dataChanged, &m_EventsChanged, qOverload<>(&QTimer::start),
            Qt::UniqueConnection);
    connect(m_Models.events, &QStandardItemModel::modelReset, &m_EventsChanged, qOverload<>(&QTimer::start),
            Qt::UniqueConnection);
    ShowStatus(QString(), false);
    ui->m_pLblResult->setText(tr("Last step: none yet"));
    ui->m_pLblResult->setStyleSheet(QString());
    NewSession();
}

void TRVDeviceTest::DropSession()
{
    m_EventsChanged.stop();
    EndSession();
    m_Models = {};
    ui->m_pComboEvent->clear();
    ui->m_pTableParams->setRowCount(0);
    ui->m_pTableVariables->setRowCount(0);
    ShowLinkState(DeviceLink::Closed, QString());
}

void TRVDeviceTest::EndSession()
{
    if (!m_pSession)
        return;
    // Nothing the closing link reports may reach this window.
    m_pTerminal->SetLink(nullptr);
    m_pSession->disconnect(this);
    m_pSession->Disconnect();
    m_pSession.reset();
}

void TRVDeviceTest::NewSession()
{
    EndSession();
    if (!m_Models.events || !m_Models.setupMessages || !m_Models.variables)
        return;
    m_pSession = std::make_unique<DeviceSession>(m_Models);
    DeviceSession* session = m_pSession.get();
    connect(session, &DeviceSession::logged, this, [this](const DeviceLogEntry& entry) {
        // The view keeps the last LogLineLimit lines, so a flood need not queue more.
        if (m_Pending.size() >= LogLineLimit)
            m_Pending.removeFirst();
        m_Pending.append(entry);
        if (!m_Flush.isActive())
            m_Flush.start();
    });
    connect(session, &DeviceSession::variablesChanged, this, [this] {
        m_VariablesStale = true;
        if (!m_Flush.isActive())
            m_Flush.start();
    });
    connect(session, &DeviceSession::stepFinished, this, &TRVDeviceTest::ShowStep);
    connect(session, &DeviceSession::linkStateChanged, this, &TRVDeviceTest::ShowLinkState);
    connect(session, &DeviceSession::idle, this, &TRVDeviceTest::UpdateButtons);
    m_pTerminal->SetLink(&session->Link());
    FillEvents();
    FillVariables();
    ShowLinkState(DeviceLink::Closed, QString());
}

LinkSettings TRVDeviceTest::Settings() const
{
    LinkSettings settings;
    settings.kind = static_cast<LinkSettings::Kind>(ui->m_pComboKind->currentIndex());
    settings.host = ui->m_pEditHost->text().trimmed();
    settings.port = static_cast<quint16>(ui->m_pSpinPort->value());
    settings.localPort = static_cast<quint16>(ui->m_pSpinLocalPort->value());
    settings.device = ui->m_pComboDevice->currentText().trimmed();
    settings.baud = ui->m_pComboBaud->currentText().trimmed().toInt();
    settings.dataBits = ui->m_pComboDataBits->currentText().toInt();
    settings.parity = ui->m_pComboParity->currentData().toChar();
    settings.stopBits = ui->m_pComboStopBits->currentText();
    return settings;
}

void TRVDeviceTest::SetSettings(const LinkSettings& settings)
{
    ui->m_pComboKind->setCurrentIndex(settings.kind);
    ui->m_pEditHost->setText(settings.host);
    ui->m_pSpinPort->setValue(settings.port);
    ui->m_pSpinLocalPort->setValue(settings.localPort);
    if (!settings.device.isEmpty())
        ui->m_pComboDevice->setCurrentText(settings.device);
    ui->m_pComboBaud->setCurrentText(QString::number(settings.baud));
    const auto select = [](QComboBox* combo, int index) {
        if (index >= 0)
            combo->setCurrentIndex(index);
    };
    select(ui->m_pComboDataBits, ui->m_pComboDataBits->findText(QString::number(settings.dataBits)));
    select(ui->m_pComboParity, ui->m_pComboParity->findData(settings.parity.toLower()));
    select(ui->m_pComboStopBits, ui->m_pComboStopBits->findText(settings.stopBits));
}

void TRVDeviceTest::on_m_pComboKind_currentIndexChanged(int index)
{
    const bool serial = index == LinkSettings::Serial;
    for (QWidget* field : std::initializer_list<QWidget*>{ui->m_pLblHost, ui->m_pEditHost, ui->m_pLblPort, ui->m_pSpinPort})
        field->setEnabled(!serial);
    ui->m_pLblLocalPort->setEnabled(index == LinkSettings::Udp);
    ui->m_pSpinLocalPort->setEnabled(index == LinkSettings::Udp);
    for (QWidget* field : std::initializer_list<QWidget*>{ui->m_pLblDevice, ui->m_pComboDevice, ui->m_pButRefreshDevices,
                           ui->m_pLblBaud, ui->m_pComboBaud, ui->m_pLblDataBits, ui->m_pComboDataBits,
                           ui->m_pLblParity, ui->m_pComboParity, ui->m_pLblStopBits, ui->m_pComboStopBits})
        field->setEnabled(serial);
}

void TRVDeviceTest::on_m_pButRefreshDevices_clicked()
{
    const QString typed = ui->m_pComboDevice->currentText();
    ui->m_pComboDevice->clear();
    ui->m_pComboDevice->addItems(SerialDeviceNames());
    if (!typed.isEmpty())
        ui->m_pComboDevice->setCurrentText(typed);
}

void TRVDeviceTest::on_m_pButConnect_clicked()
{
    if (!m_Models.events)
        return;
    // A fresh run: the variables start from their initial values and the
    // driver is taken as the pages hold it now.
    NewSession();
    if (!m_pSession)
        return;
    ShowStatus(QString(), false);
    m_pSession->Connect(Settings());
    UpdateButtons();
}

void TRVDeviceTest::on_m_pButDisconnect_clicked()
{
    if (m_pSession)
        m_pSession->Disconnect();
    UpdateButtons();
}

int TRVDeviceTest::EventRow() const
{
    const QVariant row = ui->m_pComboEvent->currentData();
    return row.isValid() ? row.toInt() : -1;
}

void TRVDeviceTest::FillEvents()
{
    const QString previous = ui->m_pComboEvent->currentText();
    {
        const QSignalBlocker blocker(ui->m_pComboEvent);
        ui->m_pComboEvent->clear();
        if (m_pSession) {
            const DriverScript& script = m_pSession->Script();
            for (int row = 0; row < script.EventCount(); ++row) {
                // Unsolicited events send nothing: their replies show in the log as they come.
                if (script.EventSends(row) && !script.EventUnsolicited(row))
                    ui->m_pComboEvent->addItem(script.EventName(row), row);
            }
        }
        ui->m_pComboEvent->setCurrentIndex(qMax(0, ui->m_pComboEvent->findText(previous)));
    }
    // Values typed for the event stay while its parameters do.
    QStringList shown;
    for (int row = 0; row < ui->m_pTableParams->rowCount(); ++row)
        shown << ui->m_pTableParams->item(row, 0)->text();
    if (!m_pSession || EventRow() < 0 || shown != m_pSession->Script().ParamNames(EventRow()))
        FillParams();
    UpdateButtons();
}

void TRVDeviceTest::on_m_pComboEvent_currentIndexChanged(int)
{
    FillParams();
    ShowStatus(QString(), false);
    UpdateButtons();
}

void TRVDeviceTest::FillParams()
{
    QTableWidget* table = ui->m_pTableParams;
    table->setRowCount(0);
    const int row = EventRow();
    if (!m_pSession || row < 0)
        return;
    const DriverScript& script = m_pSession->Script();
    const QStringList names = script.ParamNames(row);
    const QHash<QString, QString> examples = script.ExampleValues(row);
    table->setRowCount(names.size());
    for (int i = 0; i < names.size(); ++i) {
        auto* name = new QTableWidgetItem(names[i]);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(i, 0, name);
        table->setItem(i, 1, new QTableWidgetItem(examples.value(names[i])));
        const QStringList options = script.ParamOptions(row, names[i]);
        if (!options.isEmpty()) {
            auto* combo = new QComboBox(table);
            combo->addItems(options);
            combo->setCurrentIndex(qMax(0, options.indexOf(examples.value(names[i]))));
            table->setCellWidget(i, 1, combo);
        }
    }
}

void TRVDeviceTest::on_m_pButSend_clicked()
{
    if (!m_pSession || m_pSession->Link().GetState() != DeviceLink::Connected)
        return;
    const int row = EventRow();
    if (row < 0) {
        ShowStatus(tr("Choose an event to send."), true);
        return;
    }
    // A value still being typed counts: taking the focus commits it.
    ui->m_pButSend->setFocus(Qt::OtherFocusReason);
    QTableWidget* table = ui->m_pTableParams;
    QHash<QString, QString> values;
    for (int i = 0; i < table->rowCount(); ++i) {
        const auto* combo = qobject_cast<QComboBox*>(table->cellWidget(i, 1));
        values.insert(table->item(i, 0)->text(), combo ? combo->currentText() : table->item(i, 1)->text());
    }
    const QString name = ui->m_pComboEvent->currentText();
    QStringList refusal;
    if (!m_pSession->QueueEvent(row, values, &refusal)) {
        ShowStatus(tr("'%1' not sent: %2").arg(name, refusal.join(QStringLiteral("; "))), true);
        return;
    }
    ShowStatus(tr("'%1' queued.").arg(name), false);
}

void TRVDeviceTest::ShowStatus(const QString& text, bool fault)
{
    ShowText(ui->m_pLblStatus, text);
    ui->m_pLblStatus->setStyleSheet(fault ? kFaultStyle : QString());
}

void TRVDeviceTest::ShowStep(const StepResult& result)
{
    // A refused event never ran: the status line says why, the last step stays shown.
    // Skipped steps follow the one that failed, which stays shown; the log lists them.
    if (result.outcome == StepResult::Refused || result.outcome == StepResult::Skipped)
        return;
    ShowStatus(QString(), false);
    QString text = tr("Last step: %1: %2").arg(result.step, OutcomeName(result.outcome));
    if (!result.detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(result.detail);
    ShowText(ui->m_pLblResult, text);
    const bool good = result.outcome == StepResult::Matched || result.outcome == StepResult::Sent;
    ui->m_pLblResult->setStyleSheet(good ? kGoodStyle : kFaultStyle);
}

void TRVDeviceTest::ShowLinkState(DeviceLink::State state, const QString& text)
{
    QString shown = text;
    if (shown.isEmpty())
        shown = state == DeviceLink::Connecting ? tr("Connecting...")
              : state == DeviceLink::Connected       ? tr("Connected")
              : state == DeviceLink::Failed     ? tr("Connection failed")
                                                : tr("Disconnected");
    ShowText(ui->m_pLblState, shown);
    ui->m_pLblState->setStyleSheet(state == DeviceLink::Failed ? kFaultStyle
                                   : state == DeviceLink::Connected ? kGoodStyle
                                                               : QString());
    UpdateButtons();
}

void TRVDeviceTest::UpdateButtons()
{
    const DeviceLink::State state = m_pSession ? m_pSession->Link().GetState() : DeviceLink::Closed;
    const bool linked = state == DeviceLink::Connected || state == DeviceLink::Connecting;
    ui->m_pButConnect->setEnabled(m_pSession && !linked);
    ui->m_pButDisconnect->setEnabled(linked);
    ui->m_pButSend->setEnabled(state == DeviceLink::Connected && EventRow() >= 0);
}

void TRVDeviceTest::FillVariables()
{
    m_VariablesStale = false;
    QTableWidget* table = ui->m_pTableVariables;
    if (!m_pSession) {
        table->setRowCount(0);
        return;
    }
    const QList<QPair<QString, QString>> values = m_pSession->Script().VariableValues();
    table->setRowCount(values.size());
    for (int i = 0; i < values.size(); ++i) {
        table->setItem(i, 0, new QTableWidgetItem(values[i].first));
        table->setItem(i, 1, new QTableWidgetItem(values[i].second));
    }
}

void TRVDeviceTest::Flush()
{
    m_Flush.stop();
    if (!m_Pending.isEmpty()) {
        QPlainTextEdit* view = ui->m_pTextLog;
        QTextCursor cursor(view->document());
        cursor.movePosition(QTextCursor::End);
        cursor.beginEditBlock();
        bool first = view->document()->isEmpty();
        for (const DeviceLogEntry& entry : std::as_const(m_Pending)) {
            if (!first)
                cursor.insertBlock();
            first = false;
            QTextCharFormat format;
            format.setForeground(KindColour(entry.kind));
            cursor.insertText(LogLine(entry), format);
        }
        cursor.endEditBlock();
        m_Pending.clear();
    }
    if (m_VariablesStale)
        FillVariables();
}

QString TRVDeviceTest::LogText()
{
    Flush();
    return ui->m_pTextLog->toPlainText();
}

void TRVDeviceTest::on_m_pButClearLog_clicked()
{
    m_Pending.clear();
    ui->m_pTextLog->clear();
}

void TRVDeviceTest::on_m_pButSaveLog_clicked()
{
    const QString proposal =
        m_LastLogPath.isEmpty() ? ProductFilesFolder() + QStringLiteral("/device-test.log") : m_LastLogPath;
    const QString path = Prompts::Current().SaveFileName(this, tr("Save Log"), proposal,
                                                         tr("Log Files (*.log *.txt);;All Files (*)"));
    if (path.isEmpty())
        return;
    QString text = LogText();
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    QString error;
    if (!WriteWholeFile(path, text.toUtf8(), &error)) {
        Prompts::Current().Critical(this, tr("Cannot Save Log"),
                                    tr("The log could not be saved:\n%1\n\n%2").arg(path, error));
        return;
    }
    m_LastLogPath = path;
}

void TRVDeviceTest::closeEvent(QCloseEvent* event)
{
    // A closed window leaves no connection open behind it.
    if (m_pSession)
        m_pSession->Disconnect();
    QWidget::closeEvent(event);
}
