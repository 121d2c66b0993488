#pragma once

#include <QByteArray>
#include <QList>
#include <QRegExp>
#include <QString>
#include <QStringList>

#include "devicetest/driverscript.h"

class OutgoingSSModel_c;
struct MessageValues;

// An expression (QRegExp, RegExp2 syntax, as the incoming editor writes
// them) that recognises the bytes one outgoing message sends, whatever
// values it is sent with: constants match their bytes exactly; parameters,
// variables, locals and checksums match any text of their output format.
struct RequestPattern
{
    MessageRef ref;
    QString name;     // the event's or setup message's name
    QString pattern;  // empty: the message sends nothing recognisable
    // The pattern ends in a run of any length (a %s or a number with nothing
    // after it): a match reaching the end of the bytes received so far may
    // still grow.
    bool openEnd = false;
    // The parameter each capture group of pattern takes, in group order: a
    // match fits only when each value is one the parameter may send.
    QStringList params;
    QList<int> paramFormats;  // each one's output format: hex is read back as hex
    // Bytes the pattern requires exactly: among patterns that fit the same
    // bytes, the one with more is the more specific.
    int constantBytes = 0;
    // It sends a checksum or a value worked out by a function (md5, a local).
    bool computed = false;
};

// The message's pattern from its substrings. A %p value that is computed (a
// local, or a formula calling a function such as byte(Address)) matches as
// many bytes as its preview sends; a %s or plain %p value a run without the
// first byte of the constant after it (any run when no constant follows); a
// number its digits, at least its zero-padded width when options are on. A
// checksum sent as a value matches the bytes of its function's result: 16
// for MD5 (also as %s), 1 for BCC (XOR) and ByteChecksum, 1 to 8 for the
// integer sums; other formats its digits.
// shape, when given, takes the parameters, constant bytes and computed flag;
// values, when given, size the computed values instead of the preview's.
QString MessagePattern(const OutgoingSSModel_c& model, bool* openEnd = nullptr, RequestPattern* shape = nullptr,
                       const MessageValues* values = nullptr);
// The pattern of a format typed by hand: its literal runs as constants, each
// conversion as the same wildcard; a computed %p argument is sized by
// sending it with values. An argument naming one of values' parameters is
// captured as that parameter.
QString ManualMessagePattern(const QString& format, const QString& args, const MessageValues& values,
                             bool* openEnd = nullptr, RequestPattern* shape = nullptr);
// bytes matched literally, every byte that is not a letter or digit escaped.
QString BytesPattern(const QByteArray& bytes);

// One pattern for each setup message that sends and each event with an
// outgoing message, setup messages first, in row order.
QList<RequestPattern> RequestPatterns(const DriverScript& script);

// Where a request was found in received bytes.
struct RequestMatch
{
    int index = -1;     // into the matcher's patterns; -1 when none matched
    int position = -1;
    int length = 0;
    // The earliest match may still grow (an open end reaching the last byte
    // received): wait for more bytes or for the sender to fall quiet.
    bool pending = false;
    // Other patterns that fit the same bytes exactly as well (a tie).
    QList<int> tied;
};

// Finds requests in bytes as they arrive.
class RequestMatcher
{
public:
    // script, when given, judges the captured parameter values (options,
    // limits); without one any text of the output format fits.
    explicit RequestMatcher(const QList<RequestPattern>& patterns, DriverScript* script = nullptr);

    const QList<RequestPattern>& Patterns() const { return m_Patterns; }
    // The earliest request in received whose parameter values fit; of those
    // starting there the one with the most constant bytes, then the longest.
    // List order never decides: equals are named in tied. An empty match is
    // never one. complete: no more bytes follow, so an open end reaching the
    // last byte is final.
    RequestMatch Find(const QByteArray& received, bool complete);

private:
    // The first match of pattern index at or after from whose values fit.
    int FindFitting(int index, const QString& text, int from, int* length);

    QList<RequestPattern> m_Patterns;
    QList<QRegExp> m_Compiled;
    DriverScript* m_pScript = nullptr;
};
