#include "devicetest/terminal.h"

#include <QStandardItemModel>

#include "devicetest/devicesession.h"
#include "editors/common/edithistory.h"
#include "editors/events/eventrows.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/variables/variablerows.h"
#include "expr/bytenotation.h"

namespace SS = IncomingSS;

QList<QByteArray> ReplySplitter::Add(const QByteArray& bytes)
{
    QList<QByteArray> replies;
    if (m_End.kind == ReplyEnd::None) {
        if (!bytes.isEmpty())
            replies << bytes;
        return replies;
    }
    m_Held += bytes;
    if (m_End.Splits()) {
        const QByteArray end = m_End.kind == ReplyEnd::CR     ? QByteArray("\r")
                               : m_End.kind == ReplyEnd::LF   ? QByteArray("\n")
                               : m_End.kind == ReplyEnd::CRLF ? QByteArray("\r\n")
                                                              : QByteArray(1, m_End.byte);
        qsizetype at;
        while ((at = m_Held.indexOf(end)) >= 0) {
            replies << m_Held.left(at + end.size());
            m_Held.remove(0, at + end.size());
        }
    }
    if (m_Held.size() > HeldLimit)
        replies << Flush();
    return replies;
}

QByteArray ReplySplitter::Flush()
{
    QByteArray held;
    held.swap(m_Held);
    return held;
}

QString TerminalLineText(const TerminalLine& line)
{
    return line.time.toString(QStringLiteral("HH:mm:ss.zzz")) + (line.sent ? QStringLiteral(" > ") : QStringLiteral(" < ")) +
           EscapedBytes(line.bytes, 1024) + QStringLiteral("  (") + HexBytes(line.bytes, 1024) + QLatin1Char(')');
}

QList<std::pair<int, int>> DigitRuns(const QByteArray& reply)
{
    QList<std::pair<int, int>> runs;
    for (int i = 0; i < reply.size();) {
        if (reply[i] < '0' || reply[i] > '9') {
            ++i;
            continue;
        }
        int end = i;
        while (end < reply.size() && reply[end] >= '0' && reply[end] <= '9')
            ++end;
        runs.append({i, end - i});
        i = end;
    }
    return runs;
}

QString EscapedText(const QByteArray& bytes)
{
    return QString::fromStdString(WriteFieldText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
}

int AppendExchangeEvent(QStandardItemModel& events, QObject* owner, QStandardItemModel* variables,
                        const Exchange& exchange)
{
    const QString name = QStringLiteral("Event%1").arg(events.rowCount() + 1);
    QList<QStandardItem*> row = EventRow::NewRow(name, owner, variables);

    // The row's child models are filled before it is a row; the variables
    // it adds are changes of their own.
    const EditHistory::Aside building(owner);
    auto* outgoing = qobject_cast<OutgoingSSModel_c*>(row[EventRow::ColOutgoingSS]->data(EventRow::ModelRole).value<QStandardItemModel*>());
    if (outgoing && !exchange.sent.isEmpty()) {
        const int ss = outgoing->AppendSubstring(QStringLiteral("Substring0"), OutgoingSSModel_c::TypeConstant);
        outgoing->SetText(ss, OutgoingSSModel_c::ColConstText, EscapedText(exchange.sent));
        RefreshAllRows(*outgoing);
        const EventRow::StoredFormat texts = EventRow::GeneratedFormat(*outgoing);
        row[EventRow::ColMsgFormat]->setText(texts.format);
        row[EventRow::ColMsgArgs]->setText(texts.args);
    }

    auto* incoming = row[EventRow::ColIncomingSS]->data(EventRow::ModelRole).value<QStandardItemModel*>();
    if (incoming && !exchange.reply.isEmpty()) {
        int constantFrom = 0;
        int valueNumber = 0;
        auto appendConstant = [&](int end) {
            if (end <= constantFrom)
                return;
            incoming->appendRow(SS::NewRow(incoming->rowCount(), SS::TypeConstant));
            SS::SetText(*incoming, incoming->rowCount() - 1, SS::ColConstant,
                        EscapedText(exchange.reply.mid(constantFrom, end - constantFrom)));
        };
        for (const auto& [offset, length] : DigitRuns(exchange.reply)) {
            if (!exchange.captured.contains(offset))
                continue;
            appendConstant(offset);
            const QString digits = QString::fromLatin1(exchange.reply.mid(offset, length));
            incoming->appendRow(SS::NewSelectionRow(incoming->rowCount(), SS::TypeVariable, digits));
            if (variables) {
                QList<QStandardItem*> variable = NewVariableRow(name + QStringLiteral("Value%1").arg(++valueNumber), false);
                variable[ColType]->setText(QString::number(VariableTypeIndex(QStringLiteral("integer"))));
                EditHistory::Unpaused(owner, [&] { EditRows::Append(*variables, variable); });
                SS::SetLinkedVariable(*incoming, incoming->rowCount() - 1, variable.first());
            }
            constantFrom = offset + length;
        }
        appendConstant(exchange.reply.size());
        SS::UpdateAllRowPatterns(*incoming);
        row[EventRow::ColIRRegexp]->setText(SS::ResponseFormat(*incoming));
        row[EventRow::ColIRExample]->setText(EscapedText(exchange.reply));
    } else {
        row[EventRow::ColIncoming]->setText(QStringLiteral("false"));
    }
    EditHistory::Unpaused(owner, [&] { EditRows::Append(events, row); });
    return events.rowCount() - 1;
}
