#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "devicetest/devicelink.h"
#include "devicetest/driverscript.h"

// One line of a device test's log.
struct DeviceLogEntry
{
    enum Kind {
        Info,          // what the run does next, the link's state
        Sent,          // bytes written to the device
        Received,      // bytes as they arrived
        Matched,       // a reply matched its expression
        Capture,       // a row's capture and result; a variable's new value
        Unsolicited,   // an unsolicited event recognised
        Mismatch,      // a reply arrived that does not match
        Timeout,       // no reply within the timeout (after the retries)
        Retry,         // the message is sent again
        Unrecognised,  // bytes no awaited or unsolicited reply matches
        Refused,       // an event not sent: a parameter value is refused
        Error,         // the link failed or closed
    };
    QDateTime time;
    Kind kind = Info;
    QString step;   // "setup 2 'Incoming - SetupMessage2'", "event 'Power'"
    QString text;   // what happened, bytes display-escaped
    QByteArray bytes;  // Sent and Received: the bytes
};
// The kind's word in logs and JSON: "sent", "received", "matched", ...
QString LogKindName(DeviceLogEntry::Kind kind);
// One line: "12:00:01.250 event 'Power': sent "PWR 1\r" (50 57 52 20 31 0D)".
QString LogLine(const DeviceLogEntry& entry);
// Bytes as the editors show them (\r, \n, \t, \xHH), and as " HH" per byte
// without the leading space; longer input is cut at limit bytes with
// "... (N bytes)" after it.
QString EscapedBytes(const QByteArray& bytes, int limit = 256);
QString HexBytes(const QByteArray& bytes, int limit = 256);

// How one step of a run ended.
struct StepResult
{
    enum Outcome {
        Sent,       // sent; no reply expected
        Matched,    // the reply matched
        Mismatch,   // a reply arrived that does not match
        Timeout,    // no reply within the timeout and retries
        Refused,    // not sent: a value refused or the message does not parse
        Failed,     // the link failed or closed before the step ended
        Skipped,    // not run: the link ended or a setup step failed first
    };
    QString step;
    Outcome outcome = Sent;
    QByteArray sent;
    QByteArray received;
    QList<ReplyCapture> captures;
    QString detail;  // why it did not match or was refused
};
QString OutcomeName(StepResult::Outcome outcome);

// Runs a driver against a device: on connect the setup and login messages
// in order, then queued events, one at a time. Each outgoing message is sent,
// its reply awaited within its timeout (resending on each retry) and matched;
// a matching reply's captures go into the device variables. Replies of
// unsolicited events are recognised whenever they arrive.
//
// Received bytes collect in a buffer: the earliest reply in it that the
// awaited or an unsolicited expression matches is taken out, with anything
// before it reported as unrecognised; bytes no expression matches are
// reported once the device has been quiet for QuietMs. The buffer holds at
// most BufferLimit bytes, so a flooding device cannot grow it.
class DeviceSession : public QObject
{
    Q_OBJECT

public:
    DeviceSession(const DriverModels& models, QObject* parent = nullptr);
    ~DeviceSession() override;

    DriverScript& Script() { return m_Script; }
    DeviceLink& Link() { return m_Link; }

    // Opens the link; once open, the setup messages run (runSetup), then the queue.
    void Connect(const LinkSettings& settings, bool runSetup = true);
    void Disconnect();

    // Queues an event with its parameter values (examples for those left
    // out). False, with the faults in refusal, when a value is refused; the
    // event is then not sent and a Refused step is reported.
    bool QueueEvent(int row, const QHash<QString, QString>& values, QStringList* refusal = nullptr);
    // Steps queued or running.
    bool Busy() const;
    // Drops the queued steps (the running one ends as it would).
    void ClearQueue();
    // A setup step that does not match (or is not sent) ends the run: the
    // steps after it are reported skipped, so nothing computed from a value
    // that never came is sent. On by default.
    void SetStopOnSetupFailure(bool stop) { m_StopOnSetupFailure = stop; }

    static constexpr int BufferLimit = 64 * 1024;
    static constexpr int QuietMs = 300;
    // Reading is paced: what arrives within this time is matched at once.
    static constexpr int PaceMs = 30;

signals:
    void logged(const DeviceLogEntry& entry);
    void stepFinished(const StepResult& result);
    void variablesChanged();
    // Nothing queued or running any more.
    void idle();
    void linkStateChanged(DeviceLink::State state, const QString& text);

private:
    struct Step
    {
        MessageRef ref;          // what is sent, or awaited when nothing is sent
        QHash<QString, QString> values;
        QString name;
        bool send = true;
        MessageRef awaited;      // row -1: no reply awaited
        int timeoutMs = 0;
        int retries = 0;
    };

    void Log(DeviceLogEntry::Kind kind, const QString& step, const QString& text, const QByteArray& bytes = {});
    void QueueSetup();
    void StartNext();
    void SendCurrent();
    void Finish(StepResult::Outcome outcome, const QString& detail = {});
    void OnReceived(const QByteArray& bytes);
    void ProcessBuffer();
    void OnTimeout();
    void OnQuiet();
    void Retry();
    // Reports every queued step as skipped and empties the queue.
    void SkipQueued();
    void OnLinkState(DeviceLink::State state, const QString& text);
    QString StepName(MessageRef ref) const;

    DriverScript m_Script;
    DeviceLink m_Link;
    QList<Step> m_Queue;
    bool m_Running = false;
    Step m_Current;
    StepResult m_Result;
    int m_RetriesLeft = 0;
    bool m_RunSetup = true;
    bool m_StopOnSetupFailure = true;
    QString m_TakenBy;     // the awaited step's reply an unsolicited event took
    QByteArray m_Buffer;   // received, not yet recognised
    QByteArray m_Pending;  // received since the last pass
    QTimer m_Timeout;
    QTimer m_Quiet;
    QTimer m_Pace;
};
