#include "devicetest/devicesession.h"

#include "editors/incoming/incomingssmodel.h"
#include "editors/common/modeltext.h"
#include "editors/variables/variablerows.h"

namespace {

// How many replies one pass takes out of the buffer before it lets the
// event loop run again.
constexpr int MaxRepliesPerPass = 200;

QString Quoted(const QByteArray& bytes)
{
    return QLatin1Char('"') + EscapedBytes(bytes) + QLatin1Char('"');
}

QString Shown(const QByteArray& bytes)
{
    return QStringLiteral("%1 (%2)").arg(Quoted(bytes), bytes.isEmpty() ? QStringLiteral("no bytes") : HexBytes(bytes));
}

QString CaptureText(const ReplyCapture& capture)
{
    QString text = QStringLiteral("%1 %2 captured \"%3\"")
                       .arg(capture.variable ? QStringLiteral("variable") : QStringLiteral("local"), capture.name,
                            capture.captured);
    if (capture.result != capture.captured)
        text += QStringLiteral(", result \"%1\"").arg(capture.result);
    return text;
}

} // namespace

QString LogKindName(DeviceLogEntry::Kind kind)
{
    static const char* const names[] = {"info",     "sent",    "received", "matched",      "capture", "unsolicited",
                                        "mismatch", "timeout", "retry",    "unrecognised", "refused", "error"};
    return QString::fromLatin1(names[kind]);
}

QString LogLine(const DeviceLogEntry& entry)
{
    QString line = entry.time.toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char(' ');
    if (!entry.step.isEmpty())
        line += entry.step + QStringLiteral(": ");
    return line + LogKindName(entry.kind) + QLatin1Char(' ') + entry.text;
}

QString EscapedBytes(const QByteArray& bytes, int limit)
{
    QString shown = IncomingSS::DisplayEscape(ByteText(bytes.left(limit)));
    if (bytes.size() > limit)
        shown += QStringLiteral("... (%1 bytes)").arg(bytes.size());
    return shown;
}

QString HexBytes(const QByteArray& bytes, int limit)
{
    QString hex = QString::fromLatin1(bytes.left(limit).toHex(' ').toUpper());
    if (bytes.size() > limit)
        hex += QStringLiteral(" ... (%1 bytes)").arg(bytes.size());
    return hex;
}

QString OutcomeName(StepResult::Outcome outcome)
{
    static const char* const names[] = {"sent", "matched", "mismatch", "timeout", "refused", "failed", "skipped"};
    return QString::fromLatin1(names[outcome]);
}

DeviceSession::DeviceSession(const DriverModels& models, QObject* parent) : QObject(parent), m_Script(models)
{
    m_Timeout.setSingleShot(true);
    m_Quiet.setSingleShot(true);
    m_Pace.setSingleShot(true);
    connect(&m_Timeout, &QTimer::timeout, this, &DeviceSession::OnTimeout);
    connect(&m_Quiet, &QTimer::timeout, this, &DeviceSession::OnQuiet);
    connect(&m_Pace, &QTimer::timeout, this, &DeviceSession::ProcessBuffer);
    connect(&m_Link, &DeviceLink::stateChanged, this, &DeviceSession::OnLinkState);
    connect(&m_Link, &DeviceLink::received, this, &DeviceSession::OnReceived);
}

DeviceSession::~DeviceSession()
{
    blockSignals(true);
    m_Link.blockSignals(true);
}

void DeviceSession::Log(DeviceLogEntry::Kind kind, const QString& step, const QString& text, const QByteArray& bytes)
{
    DeviceLogEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.kind = kind;
    entry.step = step;
    entry.text = text;
    entry.bytes = bytes;
    emit logged(entry);
}

QString DeviceSession::StepName(MessageRef ref) const
{
    if (ref.source == MessageRef::Setup)
        return QStringLiteral("setup %1 '%2'").arg(ref.row + 1).arg(m_Script.SetupName(ref.row));
    return QStringLiteral("event '%1'").arg(m_Script.EventName(ref.row));
}

void DeviceSession::Connect(const LinkSettings& settings, bool runSetup)
{
    m_RunSetup = runSetup;
    m_Buffer.clear();
    m_Pending.clear();
    m_Script.ResetVariables();
    emit variablesChanged();
    m_Link.Open(settings);
}

void DeviceSession::Disconnect()
{
    m_Queue.clear();
    m_Link.Close();
}

bool DeviceSession::QueueEvent(int row, const QHash<QString, QString>& values, QStringList* refusal)
{
    const QString name = StepName({MessageRef::Event, row});
    QStringList faults;
    if (row < 0 || row >= m_Script.EventCount())
        faults << QStringLiteral("no event in row %1").arg(row + 1);
    else
        faults = m_Script.CheckValues(row, values);
    if (!faults.isEmpty()) {
        Log(DeviceLogEntry::Refused, name, QStringLiteral("not sent: ") + faults.join(QStringLiteral("; ")));
        StepResult result;
        result.step = name;
        result.outcome = StepResult::Refused;
        result.detail = faults.join(QStringLiteral("; "));
        emit stepFinished(result);
        if (refusal)
            *refusal = faults;
        return false;
    }
    Step step;
    step.ref = {MessageRef::Event, row};
    step.values = values;
    step.name = name;
    step.send = m_Script.EventSends(row);
    if (m_Script.EventExpectsReply(row))
        step.awaited = step.ref;
    step.timeoutMs = m_Script.EventTimeoutMs(row);
    step.retries = step.send ? m_Script.EventRetries(row) : 0;
    m_Queue.append(step);
    StartNext();
    return true;
}

bool DeviceSession::Busy() const
{
    return m_Running || !m_Queue.isEmpty();
}

void DeviceSession::ClearQueue()
{
    m_Queue.clear();
}

void DeviceSession::QueueSetup()
{
    QList<Step> setup;
    for (int row = 0; row < m_Script.SetupCount(); ++row) {
        Step step;
        step.ref = {MessageRef::Setup, row};
        step.name = StepName(step.ref);
        step.timeoutMs = DriverScript::SetupTimeoutMs;
        step.send = !m_Script.SetupIncoming(row);
        step.awaited = step.send ? m_Script.ReplyTo(step.ref) : step.ref;
        if (step.send && step.awaited.row >= 0)
            ++row;  // the reply is part of this step
        setup.append(step);
    }
    m_Queue = setup + m_Queue;
}

void DeviceSession::OnLinkState(DeviceLink::State state, const QString& text)
{
    // The variables the device keeps by itself follow the link, as they do
    // on the show controller.
    if (m_Script.SetVariableValue(TCPStatusVariableName,
                                  state == DeviceLink::Connected    ? QStringLiteral("Connected")
                                  : state == DeviceLink::Connecting ? QStringLiteral("Waiting on TCP")
                                                                    : QStringLiteral("Not Connected")))
        emit variablesChanged();
    emit linkStateChanged(state, text);
    if (state == DeviceLink::Connected) {
        Log(DeviceLogEntry::Info, {}, text);
        if (m_RunSetup) {
            QueueSetup();
            // Over UDP a device that speaks first needs to hear from us to know where to.
            if (m_Script.SetupCount() > 0 && m_Script.SetupIncoming(0) && m_Link.SendEmptyDatagram())
                Log(DeviceLogEntry::Info, {}, QStringLiteral("sent an empty datagram for the device's greeting"));
        }
        StartNext();
        return;
    }
    if (state == DeviceLink::Connecting) {
        Log(DeviceLogEntry::Info, {}, text);
        return;
    }
    Log(state == DeviceLink::Failed ? DeviceLogEntry::Error : DeviceLogEntry::Info, {}, text);
    // Bytes that arrived before the end are still looked at, and what
    // matched nothing is told, not lost with the link.
    ProcessBuffer();
    m_Quiet.stop();
    const QByteArray rest = m_Buffer;
    m_Buffer.clear();
    if (!rest.isEmpty())
        Log(DeviceLogEntry::Unrecognised, m_Running ? m_Current.name : QString(),
            QStringLiteral("received before the end: ") + Shown(rest), rest);
    const bool wasBusy = Busy();
    const bool wasRunning = m_Running;
    const QList<Step> queued = m_Queue;
    m_Queue.clear();
    if (wasRunning) {
        if (m_Result.received.isEmpty())
            m_Result.received = rest;
        Finish(StepResult::Failed, rest.isEmpty() ? text : text + QStringLiteral("; received before: ") + Quoted(rest));
    }
    m_Queue = queued;
    SkipQueued();
    if (wasBusy && !wasRunning)  // else idle follows the running step's end
        emit idle();
}

void DeviceSession::SkipQueued()
{
    const QList<Step> queued = m_Queue;
    m_Queue.clear();
    for (const Step& step : queued) {
        Log(DeviceLogEntry::Info, step.name, QStringLiteral("skipped"));
        StepResult result;
        result.step = step.name;
        result.outcome = StepResult::Skipped;
        emit stepFinished(result);
    }
}

void DeviceSession::StartNext()
{
    if (m_Running)
        return;
    if (m_Queue.isEmpty()) {
        emit idle();
        return;
    }
    if (m_Link.GetState() != DeviceLink::Connected)
        return;
    m_Current = m_Queue.takeFirst();
    m_Running = true;
    m_Result = StepResult();
    m_Result.step = m_Current.name;
    m_RetriesLeft = m_Current.retries;
    m_TakenBy.clear();
    if (m_Current.send) {
        SendCurrent();
        return;
    }
    Log(DeviceLogEntry::Info, m_Current.name,
        QStringLiteral("waiting up to %1 ms for %2").arg(m_Current.timeoutMs).arg(m_Script.ReplyFormat(m_Current.awaited)));
    m_Timeout.start(m_Current.timeoutMs);
    ProcessBuffer();
}

void DeviceSession::SendCurrent()
{
    QByteArray bytes;
    QString error;
    if (!m_Script.OutgoingBytes(m_Current.ref, m_Current.values, &bytes, &error)) {
        Log(DeviceLogEntry::Refused, m_Current.name, QStringLiteral("not sent: ") + error);
        Finish(StepResult::Refused, error);
        return;
    }
    m_Result.sent = bytes;
    if (!m_Link.Send(bytes)) {
        // The link reports its failure, which ends the step.
        if (m_Running && m_Link.GetState() == DeviceLink::Connected)
            Finish(StepResult::Failed, QStringLiteral("cannot send"));
        return;
    }
    Log(DeviceLogEntry::Sent, m_Current.name, Shown(bytes), bytes);
    if (m_Current.awaited.row < 0) {
        Finish(StepResult::Sent);
        return;
    }
    m_Timeout.start(m_Current.timeoutMs);
    // A reply may already be waiting in the buffer.
    m_Pace.start(0);
}

void DeviceSession::Finish(StepResult::Outcome outcome, const QString& detail)
{
    if (!m_Running)
        return;
    m_Timeout.stop();
    m_Running = false;
    m_Result.outcome = outcome;
    if (!detail.isEmpty())
        m_Result.detail = detail;
    if (!m_TakenBy.isEmpty() && (outcome == StepResult::Timeout || outcome == StepResult::Mismatch)) {
        m_Result.detail = m_Result.detail.isEmpty() ? m_TakenBy
                                                    : m_TakenBy + QStringLiteral(" (") + m_Result.detail + QLatin1Char(')');
    }
    if (m_Current.awaited.row >= 0 && outcome != StepResult::Refused &&
        m_Script.SetVariableValue(ErrorVariableName, outcome == StepResult::Matched ? QStringLiteral("false")
                                                                                    : QStringLiteral("true")))
        emit variablesChanged();
    const StepResult result = m_Result;
    emit stepFinished(result);
    const bool good = outcome == StepResult::Matched || outcome == StepResult::Sent;
    if (!good && m_StopOnSetupFailure && m_Current.ref.source == MessageRef::Setup && !m_Queue.isEmpty()) {
        Log(DeviceLogEntry::Error, m_Current.name, QStringLiteral("setup failed: the steps after it are skipped"));
        SkipQueued();
    }
    // The next step starts once this signal's receivers have returned.
    QMetaObject::invokeMethod(this, &DeviceSession::StartNext, Qt::QueuedConnection);
}

void DeviceSession::OnReceived(const QByteArray& bytes)
{
    m_Pending += bytes;
    // A full buffer is matched at once, so a reply at its front is not lost.
    if (m_Pending.size() >= BufferLimit)
        ProcessBuffer();
    else if (!m_Pace.isActive())
        m_Pace.start(PaceMs);
}

void DeviceSession::ProcessBuffer()
{
    m_Pace.stop();
    if (!m_Pending.isEmpty()) {
        Log(DeviceLogEntry::Received, m_Running ? m_Current.name : QString(), Shown(m_Pending), m_Pending);
        m_Buffer += m_Pending;
        m_Pending.clear();
    }

    for (int pass = 0; pass < MaxRepliesPerPass && !m_Buffer.isEmpty(); ++pass) {
        // The earliest reply the awaited or an unsolicited expression finds.
        MessageRef found{MessageRef::Setup, -1};
        int position = -1;
        int length = 0;
        const bool awaiting = m_Running && m_Current.awaited.row >= 0;
        if (awaiting) {
            position = m_Script.FindReply(m_Current.awaited, m_Buffer, 0, &length);
            found = m_Current.awaited;
        }
        for (int row = 0; row < m_Script.EventCount(); ++row) {
            const MessageRef ref{MessageRef::Event, row};
            if (!m_Script.EventUnsolicited(row) || (awaiting && ref == m_Current.awaited))
                continue;
            int otherLength = 0;
            const int other = m_Script.FindReply(ref, m_Buffer, 0, &otherLength);
            if (other >= 0 && (position < 0 || other < position)) {
                position = other;
                length = otherLength;
                found = ref;
            }
        }
        if (position < 0)
            break;
        if (position > 0)
            Log(DeviceLogEntry::Unrecognised, {}, Shown(m_Buffer.left(position)));
        const QByteArray reply = m_Buffer.mid(position, length);
        m_Buffer.remove(0, position + length);
        const ReplyOutcome outcome = m_Script.MatchReply(found, reply);
        const bool isAwaited = awaiting && found == m_Current.awaited;
        const QString step = isAwaited ? m_Current.name : StepName(found);
        Log(isAwaited ? DeviceLogEntry::Matched : DeviceLogEntry::Unsolicited, step,
            QStringLiteral("%1 matches %2").arg(Quoted(reply), m_Script.ReplyFormat(found)), reply);
        for (const ReplyCapture& capture : outcome.captures)
            Log(DeviceLogEntry::Capture, step, CaptureText(capture));
        if (!outcome.captures.isEmpty())
            emit variablesChanged();
        if (awaiting && !isAwaited) {
            m_TakenBy = QStringLiteral("reply taken by unsolicited event '%1': %2")
                            .arg(m_Script.EventName(found.row), EscapedBytes(reply));
            if (m_Result.received.isEmpty())
                m_Result.received = reply;
        }
        if (isAwaited) {
            m_Result.received = reply;
            m_Result.captures = outcome.captures;
            Finish(outcome.match ? StepResult::Matched : StepResult::Mismatch,
                   outcome.match ? QString() : QStringLiteral("the reply does not match as a whole"));
        }
    }
    // What no reply matched is kept up to the limit: the oldest goes first.
    if (m_Buffer.size() > BufferLimit) {
        const qsizetype excess = m_Buffer.size() - BufferLimit;
        Log(DeviceLogEntry::Unrecognised, {},
            QStringLiteral("%1 bytes dropped unrecognised: %2").arg(excess).arg(Shown(m_Buffer.left(excess))));
        m_Buffer.remove(0, excess);
    }
    if (!m_Buffer.isEmpty())
        m_Quiet.start(QuietMs);
    else
        m_Quiet.stop();
}

void DeviceSession::OnQuiet()
{
    if (m_Buffer.isEmpty())
        return;
    const QByteArray rest = m_Buffer;
    m_Buffer.clear();
    if (!m_Running || m_Current.awaited.row < 0) {
        Log(DeviceLogEntry::Unrecognised, {}, Shown(rest));
        return;
    }
    m_Result.received = rest;
    const QString why = QStringLiteral("%1 does not match %2").arg(Quoted(rest), m_Script.ReplyFormat(m_Current.awaited));
    Log(DeviceLogEntry::Mismatch, m_Current.name, why, rest);
    if (m_Current.send && m_RetriesLeft > 0) {
        Retry();
        return;
    }
    Finish(StepResult::Mismatch, why);
}

void DeviceSession::Retry()
{
    const int done = m_Current.retries - m_RetriesLeft + 1;
    --m_RetriesLeft;
    Log(DeviceLogEntry::Retry, m_Current.name,
        QStringLiteral("sending again (retry %1 of %2)").arg(done).arg(m_Current.retries));
    SendCurrent();
}

void DeviceSession::OnTimeout()
{
    if (!m_Running)
        return;
    // What arrived just before the deadline still counts.
    ProcessBuffer();
    if (!m_Running)
        return;
    if (!m_Buffer.isEmpty()) {
        OnQuiet();
        return;
    }
    Log(DeviceLogEntry::Timeout, m_Current.name,
        QStringLiteral("no reply within %1 ms").arg(m_Current.timeoutMs));
    if (m_Current.send && m_RetriesLeft > 0) {
        Retry();
        return;
    }
    Finish(StepResult::Timeout, QStringLiteral("no reply within %1 ms").arg(m_Current.timeoutMs));
}
