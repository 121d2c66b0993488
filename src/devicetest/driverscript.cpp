#include "devicetest/driverscript.h"

#include <QStandardItemModel>

#include <algorithm>

#include "check/messagecheck.h"
#include "editors/events/eventrows.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/common/modeltext.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/params/paramrows.h"
#include "editors/setup/setuprows.h"
#include "editors/variables/variablerows.h"

namespace {

// Frames of the show controller's clock per second.
constexpr int FramesPerSecond = 30;

QString InitialValue(const QStandardItemModel& variables, int row)
{
    const QStandardItem* item = variables.item(row, ColInitial);
    return item ? item->text() : QString();
}

QString NameOf(const QStandardItemModel& variables, int row)
{
    const QStandardItem* item = variables.item(row, ColName);
    return item ? item->text() : QString();
}

} // namespace

DriverScript::DriverScript(const DriverModels& models)
    : m_Models(models), m_pValidator(std::make_unique<ExampleValidator>())
{
    ResetVariables();
}

DriverScript::~DriverScript() = default;

int DriverScript::SetupCount() const
{
    return m_Models.setupMessages ? m_Models.setupMessages->rowCount() : 0;
}

QString DriverScript::SetupName(int row) const
{
    return m_Models.setupMessages ? SetupRow::Text(*m_Models.setupMessages, row, SetupRow::ColName) : QString();
}

bool DriverScript::SetupIncoming(int row) const
{
    return m_Models.setupMessages && SetupRow::RowKind(*m_Models.setupMessages, row) == SetupRow::KindIncoming;
}

int DriverScript::EventCount() const
{
    return m_Models.events ? m_Models.events->rowCount() : 0;
}

QString DriverScript::EventName(int row) const
{
    return m_Models.events ? EventRow::Text(*m_Models.events, row, EventRow::ColName) : QString();
}

int DriverScript::FindEvent(const QString& name) const
{
    for (int row = 0; row < EventCount(); ++row) {
        if (EventName(row).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

bool DriverScript::EventSends(int row) const
{
    return row >= 0 && row < EventCount() && !EventUnsolicited(row);
}

bool DriverScript::EventExpectsReply(int row) const
{
    return m_Models.events && EventRow::Flag(*m_Models.events, row, EventRow::ColIncoming);
}

bool DriverScript::EventUnsolicited(int row) const
{
    return m_Models.events && EventRow::Flag(*m_Models.events, row, EventRow::ColUnsolicited);
}

int DriverScript::EventRetries(int row) const
{
    return m_Models.events ? std::max(0, EventRow::Text(*m_Models.events, row, EventRow::ColRetries).toInt()) : 0;
}

int DriverScript::EventTimeoutMs(int row) const
{
    const qint64 frames = m_Models.events ? EventRow::Text(*m_Models.events, row, EventRow::ColTimeout).toLongLong() : 0;
    if (frames <= 0)
        return DefaultTimeoutMs;
    // A day at most: a timer cannot wait longer, and nobody waits that long.
    return int(std::min<qint64>(frames * 1000 / FramesPerSecond, 24 * 3600 * 1000));
}

QStringList DriverScript::ParamNames(int row) const
{
    QStringList names;
    const QStandardItemModel* params = m_Models.events ? EventRow::Params(*m_Models.events, row) : nullptr;
    for (int param = 0; params && param < params->rowCount(); ++param)
        names << ParamRowFields(params, param).name;
    return names;
}

QHash<QString, QString> DriverScript::ExampleValues(int row) const
{
    QHash<QString, QString> values;
    const QStandardItemModel* params = m_Models.events ? EventRow::Params(*m_Models.events, row) : nullptr;
    for (int param = 0; params && param < params->rowCount(); ++param) {
        const ParamFields fields = ParamRowFields(params, param);
        values.insert(fields.name, fields.example);
    }
    return values;
}

QStringList DriverScript::ParamOptions(int row, const QString& name) const
{
    QStringList options;
    const QStandardItemModel* params = m_Models.events ? EventRow::Params(*m_Models.events, row) : nullptr;
    for (int param = 0; params && param < params->rowCount(); ++param) {
        const ParamFields fields = ParamRowFields(params, param);
        if (fields.name != name || fields.type != ParamTypeOption)
            continue;
        for (const ParamOption& option : fields.options)
            options << option.match;
    }
    return options;
}

QStringList DriverScript::CheckValues(int row, const QHash<QString, QString>& values)
{
    QStringList faults;
    const QStandardItemModel* params = m_Models.events ? EventRow::Params(*m_Models.events, row) : nullptr;
    const QStringList names = ParamNames(row);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!names.contains(it.key()))
            faults << QStringLiteral("'%1' has no parameter '%2'").arg(EventName(row), it.key());
    }
    for (int param = 0; params && param < params->rowCount(); ++param) {
        ParamFields fields = ParamRowFields(params, param);
        if (!values.contains(fields.name))
            continue;
        fields.example = values.value(fields.name);
        QString problem = m_pValidator->Problem(fields);
        // The validator judges examples; here the value is what gets sent.
        if (problem.startsWith(QLatin1String("example ")))
            problem.replace(0, 7, QStringLiteral("value"));
        if (!problem.isEmpty())
            faults << QStringLiteral("parameter '%1': %2").arg(fields.name, problem);
    }
    faults.sort();
    return faults;
}

bool DriverScript::AcceptsSent(int row, const QString& name, const QString& sent)
{
    const QStandardItemModel* params = m_Models.events ? EventRow::Params(*m_Models.events, row) : nullptr;
    for (int param = 0; params && param < params->rowCount(); ++param) {
        const ParamFields fields = ParamRowFields(params, param);
        if (fields.name != name)
            continue;
        if (fields.type != ParamTypeOption)
            return CheckValues(row, {{name, sent}}).isEmpty();
        for (const ParamOption& option : fields.options) {
            if ((option.replace.isEmpty() ? option.match : option.replace) == sent)
                return true;
        }
        return false;
    }
    return false;
}

QSet<QString> DriverScript::TextNames(int row) const
{
    QSet<QString> names;
    const QStandardItemModel* params = m_Models.events && row >= 0 ? EventRow::Params(*m_Models.events, row) : nullptr;
    for (int param = 0; params && param < params->rowCount(); ++param) {
        const ParamFields fields = ParamRowFields(params, param);
        if (fields.type == ParamTypeString)
            names.insert(fields.name);
    }
    const int stringType = int(VariableTypeNames().indexOf(QStringLiteral("string")));
    for (int var = 0; m_Models.variables && var < m_Models.variables->rowCount(); ++var) {
        const QStandardItem* type = m_Models.variables->item(var, ColType);
        if (type && type->text().toInt() == stringType)
            names.insert(NameOf(*m_Models.variables, var));
    }
    return names;
}

DriverScript::OutgoingSource DriverScript::Outgoing(MessageRef ref) const
{
    OutgoingSource source;
    if (ref.source == MessageRef::Event) {
        if (!EventSends(ref.row))
            return source;
        const QStandardItemModel& events = *m_Models.events;
        source.model = EventRow::Outgoing(events, ref.row);
        source.manual = EventRow::Flag(events, ref.row, EventRow::ColMsgManEdit);
        source.format = EventRow::Text(events, ref.row, EventRow::ColMsgFormat);
        source.args = EventRow::Text(events, ref.row, EventRow::ColMsgArgs);
        return source;
    }
    source.model = m_Models.setupMessages ? SetupRow::Outgoing(*m_Models.setupMessages, ref.row) : nullptr;
    if (!source.model)
        return source;
    const QStandardItemModel& setup = *m_Models.setupMessages;
    source.manual = SetupRow::IsManual(setup, ref.row);
    source.format = SetupRow::Text(setup, ref.row, SetupRow::ColFormatOrRegexp);
    source.args = SetupRow::Text(setup, ref.row, SetupRow::ColArgsOrExample);
    return source;
}

bool DriverScript::OutgoingBytes(MessageRef ref, const QHash<QString, QString>& params, QByteArray* bytes,
                                 QString* error) const
{
    bytes->clear();
    const OutgoingSource source = Outgoing(ref);
    if (!source.model) {
        *error = ref.source == MessageRef::Event ? QStringLiteral("the event sends nothing")
                                                 : QStringLiteral("not an outgoing setup message");
        return false;
    }
    MessageValues values;
    values.params = params;
    values.variables = m_Values;
    values.text = TextNames(ref.source == MessageRef::Event ? ref.row : -1);
    if (source.manual)
        return ManualMessageBytes(source.format, source.args, values, bytes, error);
    return MessageBytes(*source.model, values, bytes, error);
}

const QStandardItemModel* DriverScript::IncomingModel(MessageRef ref) const
{
    if (ref.source == MessageRef::Event)
        return EventExpectsReply(ref.row) ? EventRow::Incoming(*m_Models.events, ref.row) : nullptr;
    return SetupIncoming(ref.row) ? SetupRow::Child(*m_Models.setupMessages, ref.row) : nullptr;
}

QString DriverScript::ReplyFormat(MessageRef ref) const
{
    if (ref.source == MessageRef::Event)
        return EventExpectsReply(ref.row) ? EventRow::Text(*m_Models.events, ref.row, EventRow::ColIRRegexp) : QString();
    return SetupIncoming(ref.row) ? SetupRow::Text(*m_Models.setupMessages, ref.row, SetupRow::ColFormatOrRegexp)
                                  : QString();
}

int DriverScript::FindReply(MessageRef ref, const QByteArray& received, int from, int* length)
{
    *length = 0;
    const QString format = ReplyFormat(ref);
    if (format.isEmpty())
        return -1;
    bool checked = true;
    m_Matcher.Restart();
    const int position = m_Matcher.Find(format, ByteText(received), from, length, &checked);
    // An empty match says nothing arrived: a reply is at least one byte.
    return position >= 0 && *length > 0 ? position : -1;
}

ReplyOutcome DriverScript::MatchReply(MessageRef ref, const QByteArray& reply)
{
    ReplyOutcome outcome;
    const QStandardItemModel* incoming = IncomingModel(ref);
    if (!incoming)
        return outcome;
    // The rows' captures are the editor's to show: the match runs on a copy.
    QStandardItemModel scratch;
    for (int row = 0; row < incoming->rowCount(); ++row)
        scratch.appendRow(IncomingSS::CopyRow(*incoming, row));
    const IncomingSS::ResponseState state = IncomingSS::MatchReply(
        scratch, m_Models.variables, ReplyFormat(ref), ByteText(reply), m_Matcher, &m_Values);
    outcome.match = state.match;
    outcome.checked = state.checked;
    if (!state.match)
        return outcome;
    for (int row = 0; row < scratch.rowCount(); ++row) {
        const int type = IncomingSS::RowType(scratch, row);
        if (type != IncomingSS::TypeVariable && type != IncomingSS::TypeLocal)
            continue;
        ReplyCapture capture;
        capture.name = IncomingSS::ReceivingName(scratch, row, m_Models.variables);
        capture.variable = type == IncomingSS::TypeVariable;
        capture.captured = IncomingSS::Text(scratch, row, IncomingSS::ColCaptured);
        capture.result = IncomingSS::Text(scratch, row, IncomingSS::ColResult);
        if (capture.variable && !capture.name.isEmpty())
            m_Values.insert(capture.name, capture.result);
        outcome.captures << capture;
    }
    return outcome;
}

QByteArray DriverScript::ExampleReply(MessageRef ref) const
{
    QString example;
    if (ref.source == MessageRef::Event && EventExpectsReply(ref.row))
        example = EventRow::Text(*m_Models.events, ref.row, EventRow::ColIRExample);
    else if (ref.source == MessageRef::Setup && SetupIncoming(ref.row))
        example = SetupRow::Text(*m_Models.setupMessages, ref.row, SetupRow::ColArgsOrExample);
    // Typed characters stand for their UTF-8 bytes and \xHH for one byte:
    // unescaped in the one-char-per-byte view, every character is one byte.
    return IncomingSS::UnescapeExample(ByteText(TextBytes(example))).toLatin1();
}

MessageRef DriverScript::ReplyTo(MessageRef ref) const
{
    if (ref.source == MessageRef::Event)
        return EventExpectsReply(ref.row) ? ref : MessageRef{MessageRef::Setup, -1};
    if (!SetupIncoming(ref.row) && SetupIncoming(ref.row + 1) && ref.row >= 0)
        return {MessageRef::Setup, ref.row + 1};
    return {MessageRef::Setup, -1};
}

QList<QPair<QString, QString>> DriverScript::VariableValues() const
{
    QList<QPair<QString, QString>> values;
    for (int row = 0; m_Models.variables && row < m_Models.variables->rowCount(); ++row) {
        const QString name = NameOf(*m_Models.variables, row);
        values.append({name, m_Values.value(name, InitialValue(*m_Models.variables, row))});
    }
    return values;
}

QString DriverScript::VariableValue(const QString& name) const
{
    return m_Values.value(name);
}

bool DriverScript::SetVariableValue(const QString& name, const QString& value)
{
    if (!m_Values.contains(name))
        return false;
    m_Values.insert(name, value);
    return true;
}

void DriverScript::ResetVariables()
{
    m_Values.clear();
    for (int row = 0; m_Models.variables && row < m_Models.variables->rowCount(); ++row)
        m_Values.insert(NameOf(*m_Models.variables, row), InitialValue(*m_Models.variables, row));
}
