#include "app/devicetest/trvterminal.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "devicetest/devicelink.h"
#include "editors/common/prompts.h"
#include "expr/bytenotation.h"
#include "expr/checksumfinder.h"

namespace {

const QColor kSentColour(0x1d, 0x4e, 0x9e);
const QColor kReceivedColour(0x00, 0x6d, 0x6d);

std::string Std(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<size_t>(bytes.size())); }

} // namespace

TRVTerminal::TRVTerminal(QWidget* parent) : QWidget(parent)
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* layout = new QVBoxLayout(this);

    auto* sendRow = new QHBoxLayout;
    m_pComboInput = new QComboBox(this);
    m_pComboInput->setObjectName(QStringLiteral("m_pComboTerminalInput"));
    m_pComboInput->setEditable(true);
    m_pComboInput->setInsertPolicy(QComboBox::NoInsert);
    m_pComboInput->setMaxCount(100);
    m_pComboInput->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pComboInput->setFont(fixed);
    m_pComboInput->lineEdit()->setPlaceholderText(tr("02 50 57 03, $0D, 0x0D, PWR ON<CR>, \\r\\n ..."));
    m_pComboInput->setToolTip(tr("Bytes to send: a hex list (02 50, 0x02,0x50, $02$50, 02:50) or text with "
                                 "\\r \\n \\t \\\\ \\\" \\xHH and <STX> <CR> <LF> ... names. Ctrl+Return sends."));
    m_pButSend = new QPushButton(tr("Send"), this);
    m_pButSend->setObjectName(QStringLiteral("m_pButTerminalSend"));
    sendRow->addWidget(m_pComboInput);
    sendRow->addWidget(m_pButSend);
    layout->addLayout(sendRow);

    m_pLblHex = new QLabel(this);
    m_pLblHex->setObjectName(QStringLiteral("m_pLblTerminalHex"));
    m_pLblHex->setFont(fixed);
    m_pLblHex->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pLblHex->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pLblHex->setMinimumHeight(m_pLblHex->fontMetrics().height());
    layout->addWidget(m_pLblHex);

    auto* endRow = new QHBoxLayout;
    endRow->addWidget(new QLabel(tr("Replies end at:"), this));
    m_pComboEnd = new QComboBox(this);
    m_pComboEnd->setObjectName(QStringLiteral("m_pComboTerminalEnd"));
    m_pComboEnd->addItems({tr("None"), tr("CR"), tr("LF"), tr("CR LF"), tr("Byte"), tr("Quiet time")});
    m_pComboEnd->setCurrentIndex(ReplyEnd::CRLF);
    m_pEditEndByte = new QLineEdit(QStringLiteral("03"), this);
    m_pEditEndByte->setObjectName(QStringLiteral("m_pEditTerminalEndByte"));
    m_pEditEndByte->setMaximumWidth(60);
    m_pEditEndByte->setToolTip(tr("The end byte in any notation: 03, $03, <ETX>"));
    m_pSpinQuiet = new QSpinBox(this);
    m_pSpinQuiet->setObjectName(QStringLiteral("m_pSpinTerminalQuiet"));
    m_pSpinQuiet->setRange(10, 10000);
    m_pSpinQuiet->setValue(100);
    m_pSpinQuiet->setSuffix(tr(" ms"));
    endRow->addWidget(m_pComboEnd);
    endRow->addWidget(m_pEditEndByte);
    endRow->addWidget(m_pSpinQuiet);
    endRow->addStretch(1);
    layout->addLayout(endRow);

    m_pListLog = new QListWidget(this);
    m_pListLog->setObjectName(QStringLiteral("m_pListTerminalLog"));
    m_pListLog->setFont(fixed);
    m_pListLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pListLog->setUniformItemSizes(true);
    layout->addWidget(m_pListLog, 1);

    auto* captureRow = new QHBoxLayout;
    captureRow->addWidget(new QLabel(tr("Capture:"), this));
    m_pListCaptures = new QListWidget(this);
    m_pListCaptures->setObjectName(QStringLiteral("m_pListTerminalCaptures"));
    m_pListCaptures->setFlow(QListView::LeftToRight);
    m_pListCaptures->setMaximumHeight(m_pListCaptures->fontMetrics().height() * 2 + 8);
    m_pListCaptures->setToolTip(tr("Runs of digits in the reply: tick one to read it into a new device variable"));
    captureRow->addWidget(m_pListCaptures, 1);
    m_pButMakeEvent = new QPushButton(tr("Make Event"), this);
    m_pButMakeEvent->setObjectName(QStringLiteral("m_pButTerminalMakeEvent"));
    m_pButMakeEvent->setToolTip(tr("A new event sending the selected line and expecting its reply"));
    m_pButFindChecksum = new QPushButton(tr("Find Checksum"), this);
    m_pButFindChecksum->setObjectName(QStringLiteral("m_pButTerminalFindChecksum"));
    m_pButFindChecksum->setToolTip(tr("Which checksum function makes the check bytes of the selected lines"));
    m_pButClear = new QPushButton(tr("Clear"), this);
    captureRow->addWidget(m_pButMakeEvent);
    captureRow->addWidget(m_pButFindChecksum);
    captureRow->addWidget(m_pButClear);
    layout->addLayout(captureRow);

    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, &TRVTerminal::Send);
    auto* enterShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), this);
    enterShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(enterShortcut, &QShortcut::activated, this, &TRVTerminal::Send);
    connect(m_pButSend, &QPushButton::clicked, this, &TRVTerminal::Send);
    connect(m_pComboInput, &QComboBox::editTextChanged, this, &TRVTerminal::ShowTyped);
    connect(m_pComboEnd, &QComboBox::currentIndexChanged, this, &TRVTerminal::ReadEnd);
    connect(m_pEditEndByte, &QLineEdit::textChanged, this, &TRVTerminal::ReadEnd);
    connect(m_pSpinQuiet, &QSpinBox::valueChanged, this, &TRVTerminal::ReadEnd);
    connect(m_pListLog, &QListWidget::itemSelectionChanged, this, &TRVTerminal::ShowCaptures);
    connect(m_pButMakeEvent, &QPushButton::clicked, this, [this] {
        const Exchange exchange = SelectedExchange();
        if (!exchange.sent.isEmpty())
            emit makeEventRequested(exchange);
    });
    connect(m_pButFindChecksum, &QPushButton::clicked, this, &TRVTerminal::FindChecksum);
    connect(m_pButClear, &QPushButton::clicked, this, [this] {
        m_pListLog->clear();
        m_Splitter.Flush();
    });
    m_Quiet.setSingleShot(true);
    connect(&m_Quiet, &QTimer::timeout, this, &TRVTerminal::OnQuiet);

    ReadEnd();
    ShowTyped();
    ShowCaptures();
}

void TRVTerminal::SetLink(DeviceLink* link)
{
    if (m_pLink)
        m_pLink->disconnect(this);
    m_pLink = link;
    m_Splitter.Flush();
    if (link) {
        connect(link, &DeviceLink::received, this, &TRVTerminal::OnReceived);
        connect(link, &DeviceLink::stateChanged, this, &TRVTerminal::UpdateButtons);
    }
    UpdateButtons();
}

bool TRVTerminal::Send()
{
    const QString text = m_pComboInput->currentText();
    const TypedBytes typed = ReadTypedBytes(text.toStdString());
    if (!typed.ok || typed.bytes.empty() || !m_pLink || m_pLink->GetState() != DeviceLink::Connected)
        return false;
    const QByteArray bytes(typed.bytes.data(), static_cast<qsizetype>(typed.bytes.size()));
    // What came before belongs to earlier lines: a reply still held is shown now.
    OnQuiet();
    if (!m_pLink->Send(bytes))
        return false;
    AddLine(true, bytes);
    const int old = m_pComboInput->findText(text);
    if (old >= 0)
        m_pComboInput->removeItem(old);
    m_pComboInput->insertItem(0, text);
    m_pComboInput->setCurrentIndex(-1);
    m_pComboInput->setEditText(QString());
    return true;
}

void TRVTerminal::SetEnd(const ReplyEnd& end)
{
    m_pComboEnd->setCurrentIndex(end.kind);
    if (end.kind == ReplyEnd::Byte)
        m_pEditEndByte->setText(QString::fromStdString(WriteHexPairs(std::string(1, end.byte))));
    ReadEnd();
}

void TRVTerminal::ReadEnd()
{
    ReplyEnd end;
    end.kind = static_cast<ReplyEnd::Kind>(m_pComboEnd->currentIndex());
    const TypedBytes typed = ReadTypedBytes(m_pEditEndByte->text().toStdString());
    const bool byteOk = typed.ok && typed.bytes.size() == 1;
    if (end.kind == ReplyEnd::Byte && byteOk)
        end.byte = typed.bytes[0];
    else if (end.kind == ReplyEnd::Byte)
        end.kind = ReplyEnd::Quiet;  // until the byte reads as one byte
    m_pEditEndByte->setEnabled(m_pComboEnd->currentIndex() == ReplyEnd::Byte);
    m_pEditEndByte->setStyleSheet(byteOk ? QString() : QStringLiteral("color: #c62828;"));
    m_pSpinQuiet->setEnabled(end.kind == ReplyEnd::Quiet);
    m_Quiet.setInterval(m_pSpinQuiet->value());
    OnQuiet();
    m_Splitter.SetEnd(end);
}

void TRVTerminal::OnReceived(const QByteArray& bytes)
{
    for (const QByteArray& reply : m_Splitter.Add(bytes))
        AddLine(false, reply);
    // Quiet time ends a reply; with an end byte it shows what never got one.
    if (m_Splitter.Holding())
        m_Quiet.start(m_Splitter.End().kind == ReplyEnd::Quiet ? m_pSpinQuiet->value() : 1000);
}

void TRVTerminal::OnQuiet()
{
    m_Quiet.stop();
    const QByteArray held = m_Splitter.Flush();
    if (!held.isEmpty())
        AddLine(false, held);
}

void TRVTerminal::AddLine(bool sent, const QByteArray& bytes)
{
    const TerminalLine line{QDateTime::currentDateTime(), sent, bytes};
    auto* item = new QListWidgetItem(TerminalLineText(line));
    item->setData(BytesRole, bytes);
    item->setData(SentRole, sent);
    item->setForeground(sent ? kSentColour : kReceivedColour);
    const bool atEnd = m_pListLog->count() == 0 || m_pListLog->currentRow() == m_pListLog->count() - 1 ||
                       m_pListLog->selectedItems().isEmpty();
    m_pListLog->addItem(item);
    while (m_pListLog->count() > LogLineLimit)
        delete m_pListLog->takeItem(0);
    if (atEnd)
        m_pListLog->scrollToBottom();
}

void TRVTerminal::ShowTyped()
{
    const TypedBytes typed = ReadTypedBytes(m_pComboInput->currentText().toStdString());
    if (typed.ok) {
        m_pLblHex->setStyleSheet(QString());
        const QString kind = typed.hexList ? tr("hex list") : tr("text");
        m_pLblHex->setText(typed.bytes.empty() ? QString()
                                               : QStringLiteral("%1 (%2, %3 bytes)")
                                                     .arg(QString::fromStdString(WriteHexPairs(typed.bytes)), kind)
                                                     .arg(typed.bytes.size()));
    } else {
        m_pLblHex->setStyleSheet(QStringLiteral("color: #c62828;"));
        m_pLblHex->setText(tr("At %1: %2").arg(typed.errorPos).arg(QString::fromStdString(typed.error)));
    }
    UpdateButtons();
}

Exchange TRVTerminal::SelectedExchange() const
{
    Exchange exchange;
    int sentRow = -1, replyRow = -1;
    for (int row = 0; row < m_pListLog->count(); ++row) {
        const QListWidgetItem* item = m_pListLog->item(row);
        if (!item->isSelected())
            continue;
        if (item->data(SentRole).toBool() && sentRow < 0)
            sentRow = row;
        else if (!item->data(SentRole).toBool() && sentRow >= 0 && replyRow < 0)
            replyRow = row;
    }
    if (sentRow < 0)
        return exchange;
    if (replyRow < 0 && sentRow + 1 < m_pListLog->count() && !m_pListLog->item(sentRow + 1)->data(SentRole).toBool())
        replyRow = sentRow + 1;
    exchange.sent = m_pListLog->item(sentRow)->data(BytesRole).toByteArray();
    if (replyRow >= 0)
        exchange.reply = m_pListLog->item(replyRow)->data(BytesRole).toByteArray();
    for (int i = 0; i < m_pListCaptures->count(); ++i) {
        const QListWidgetItem* run = m_pListCaptures->item(i);
        if (run->checkState() == Qt::Checked)
            exchange.captured << run->data(OffsetRole).toInt();
    }
    return exchange;
}

QList<QByteArray> TRVTerminal::SelectedFrames() const
{
    QList<QByteArray> frames;
    for (int row = 0; row < m_pListLog->count(); ++row) {
        if (m_pListLog->item(row)->isSelected())
            frames << m_pListLog->item(row)->data(BytesRole).toByteArray();
    }
    return frames;
}

void TRVTerminal::ShowCaptures()
{
    m_pListCaptures->clear();
    Exchange exchange = SelectedExchange();
    for (const auto& [offset, length] : DigitRuns(exchange.reply)) {
        auto* item = new QListWidgetItem(QString::fromLatin1(exchange.reply.mid(offset, length)), m_pListCaptures);
        item->setData(OffsetRole, offset);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    UpdateButtons();
}

void TRVTerminal::FindChecksum()
{
    std::vector<std::string> frames;
    for (const QByteArray& frame : SelectedFrames())
        frames.push_back(Std(frame));
    if (frames.size() < 2) {
        Prompts::Current().Information(this, tr("Find Checksum"), tr("Select two or more lines of the log."));
        return;
    }
    const ChecksumSearch search = FindChecksums(frames);
    QString text;
    if (!search.candidates.empty()) {
        text = tr("Best first, over the frame named 'frame':\n\n");
        for (size_t i = 0; i < search.candidates.size() && i < 10; ++i)
            text += QString::fromStdString(search.candidates[i].expression) + QLatin1Char('\n');
    } else if (!search.crcs.empty()) {
        text = tr("No checksum function of the language fits. %1 fits, but the language has no CRC function.")
                   .arg(QString::fromStdString(search.crcs.front()));
    } else {
        text = tr("No checksum function of the language fits, nor a common CRC.");
    }
    Prompts::Current().Information(this, tr("Find Checksum"), text);
}

void TRVTerminal::UpdateButtons()
{
    const bool connected = m_pLink && m_pLink->GetState() == DeviceLink::Connected;
    const TypedBytes typed = ReadTypedBytes(m_pComboInput->currentText().toStdString());
    m_pButSend->setEnabled(connected && typed.ok && !typed.bytes.empty());
    bool sentSelected = false;
    for (const QListWidgetItem* item : m_pListLog->selectedItems())
        sentSelected |= item->data(SentRole).toBool();
    m_pButMakeEvent->setEnabled(sentSelected);
    m_pButFindChecksum->setEnabled(m_pListLog->selectedItems().size() >= 2);
}
