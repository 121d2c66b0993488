#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

#include "editors/incoming/incomingssmatch.h"

class ExampleValidator;
class OutgoingSSModel_c;
class QStandardItemModel;

// The editor pages' models a driver is run from: the window's own (with the
// edits not saved yet) or those of a file loaded without a window.
struct DriverModels
{
    const QStandardItemModel* events = nullptr;         // the events page's rows
    const QStandardItemModel* setupMessages = nullptr;  // the setup page's rows
    const QStandardItemModel* variables = nullptr;      // the shared variables model
};

// A setup message row or an event row.
struct MessageRef
{
    enum Source { Setup, Event };
    Source source = Event;
    int row = -1;
    bool operator==(const MessageRef&) const = default;
};

// One row of an incoming response after a reply: what it captured and what
// it stores (the operation's result, or the capture).
struct ReplyCapture
{
    QString name;      // the variable or local it stores into
    bool variable = false;
    QString captured;  // display-escaped
    QString result;    // display-escaped
};

struct ReplyOutcome
{
    bool match = false;
    bool checked = true;  // false: too costly to match within the budget
    QList<ReplyCapture> captures;
};

// What a driver sends and expects, and the device variables as a run
// changes them. Bytes come from the outgoing editor's preview path with the
// chosen parameter values and the current variable values put in; replies
// are matched by the incoming editor's own match.
class DriverScript
{
public:
    explicit DriverScript(const DriverModels& models);
    ~DriverScript();
    DriverScript(const DriverScript&) = delete;
    DriverScript& operator=(const DriverScript&) = delete;

    const DriverModels& Models() const { return m_Models; }

    int SetupCount() const;
    QString SetupName(int row) const;
    bool SetupIncoming(int row) const;

    int EventCount() const;
    QString EventName(int row) const;
    // The row of the event named name (ignoring case), or -1.
    int FindEvent(const QString& name) const;
    // The event has an outgoing message (it is not unsolicited).
    bool EventSends(int row) const;
    // The event awaits an incoming response (or, unsolicited, is one).
    bool EventExpectsReply(int row) const;
    bool EventUnsolicited(int row) const;
    int EventRetries(int row) const;
    // The event's timeout in milliseconds (frames at 30 per second); a
    // timeout of 0 frames waits DefaultTimeoutMs.
    int EventTimeoutMs(int row) const;
    static constexpr int DefaultTimeoutMs = 1000;
    // How long a setup reply is awaited: setup messages have no timeout.
    static constexpr int SetupTimeoutMs = 3000;

    // The event's parameter names and example values, in row order.
    QStringList ParamNames(int row) const;
    QHash<QString, QString> ExampleValues(int row) const;
    // The option names of an option parameter (empty for other types).
    QStringList ParamOptions(int row, const QString& name) const;
    // What is wrong with values for the event's parameters (a value outside
    // its limits or options, a name the event has no parameter of), one text
    // per fault; empty when they may be sent. A parameter values leaves out
    // is sent with its example.
    QStringList CheckValues(int row, const QHash<QString, QString>& values);
    // The parameter name of the event may have sent the text sent: one of an
    // option parameter's sent texts (its replacements, or the option names
    // without one), or a value that passes CheckValues.
    bool AcceptsSent(int row, const QString& name, const QString& sent);
    // The names of the event's parameters and the variables whose values are
    // text however they look (a string type): sent as text, never as a number.
    QSet<QString> TextNames(int row) const;

    // The outgoing message of a setup message or event as its editor holds
    // it: typed by hand (format and arguments) or made of substrings (model).
    // Neither, with a null model, when ref sends nothing.
    struct OutgoingSource
    {
        const OutgoingSSModel_c* model = nullptr;
        bool manual = false;
        QString format;
        QString args;
    };
    OutgoingSource Outgoing(MessageRef ref) const;
    // The bytes a setup message or event sends with these parameter values
    // (examples for those not given) and the current variable values; false
    // with error when it has no outgoing message or does not parse.
    bool OutgoingBytes(MessageRef ref, const QHash<QString, QString>& params, QByteArray* bytes,
                       QString* error) const;
    // The expression a reply to ref must match, or empty when ref has no
    // incoming response.
    QString ReplyFormat(MessageRef ref) const;
    // The first match of ref's expression in received at or after from:
    // position and length, or -1 (also when refused as too costly).
    int FindReply(MessageRef ref, const QByteArray& received, int from, int* length);
    // Matches reply (one whole reply) as the incoming editor does and, when
    // it matches, stores each variable row's result as the variable's value.
    ReplyOutcome MatchReply(MessageRef ref, const QByteArray& reply);
    // The stored example reply of ref, unescaped as the incoming editor
    // does: the bytes the device sends.
    QByteArray ExampleReply(MessageRef ref) const;
    // The incoming row that answers ref's outgoing message: the event
    // itself, or for a setup message the next row when it is incoming.
    // Source Setup with row -1 when there is none.
    MessageRef ReplyTo(MessageRef ref) const;

    // The device variables with their current values, in row order.
    QList<QPair<QString, QString>> VariableValues() const;
    QString VariableValue(const QString& name) const;
    // Sets a variable the driver has; false for a name it has not.
    bool SetVariableValue(const QString& name, const QString& value);
    // Back to the initial values.
    void ResetVariables();

private:
    const QStandardItemModel* IncomingModel(MessageRef ref) const;

    DriverModels m_Models;
    QHash<QString, QString> m_Values;  // the variables' current values by name
    IncomingMatcher m_Matcher;
    std::unique_ptr<ExampleValidator> m_pValidator;
};
