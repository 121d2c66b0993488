#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class QObject;
class QStandardItemModel;

// Where received bytes are split into reply lines.
struct ReplyEnd
{
    enum Kind { None, CR, LF, CRLF, Byte, Quiet };
    Kind kind = CRLF;
    char byte = '\0';  // Byte: the end byte
    // Whether an end byte is found in bytes (never for None and Quiet).
    bool Splits() const { return kind != None && kind != Quiet; }
};

// Collects received bytes and hands out whole replies, each with its end.
// None gives every arrival as it came; Quiet holds bytes until Flush.
class ReplySplitter
{
public:
    void SetEnd(const ReplyEnd& end) { m_End = end; }
    const ReplyEnd& End() const { return m_End; }
    // The replies completed by bytes, in order.
    QList<QByteArray> Add(const QByteArray& bytes);
    // What is held without its end yet; empty after.
    QByteArray Flush();
    bool Holding() const { return !m_Held.isEmpty(); }

    // A reply held longer is handed out as it is, so a device that never
    // sends the end cannot grow it.
    static constexpr int HeldLimit = 64 * 1024;

private:
    ReplyEnd m_End;
    QByteArray m_Held;
};

// One line of the terminal: bytes sent or a reply received.
struct TerminalLine
{
    QDateTime time;
    bool sent = false;
    QByteArray bytes;
};

// "12:00:01.250 > \x02PWR\r  (02 50 57 52 0D)"; replies with "<".
QString TerminalLineText(const TerminalLine& line);

// A sent line and the reply that followed it, made into an event.
struct Exchange
{
    QByteArray sent;
    QByteArray reply;
    // Offsets of the runs of digits in reply (DigitRuns) to capture into a
    // new device variable each.
    QList<int> captured;
};

// The runs of ASCII digits in reply: offset and length of each.
QList<std::pair<int, int>> DigitRuns(const QByteArray& reply);

// Bytes as a constant's or example's text: printable ASCII as it is, \r \n
// \t, and \xHH for everything else (a backslash too, so none starts an escape).
QString EscapedText(const QByteArray& bytes);

// Appends one event for exchange, built whole before it is added, so the
// events model changes in a single row insertion: named "Event" + count,
// sending the sent bytes as one constant, expecting the reply (as its
// example) as constants with each captured run of digits as a variable row
// storing into a new device variable "<event>Value<n>" appended to
// variables. Returns the new row.
int AppendExchangeEvent(QStandardItemModel& events, QObject* owner, QStandardItemModel* variables,
                        const Exchange& exchange);
