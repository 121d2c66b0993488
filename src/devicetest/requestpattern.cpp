#include "devicetest/requestpattern.h"

#include "editors/outgoingssmodel.h"

namespace {

using SS = OutgoingSSModel_c;

// One part of a request: bytes sent as they are, a number of bytes of any
// value, or a run of text of an output format.
struct Piece
{
    enum Kind { Constant, Fixed, Run };
    Kind kind = Constant;
    QByteArray bytes;  // Constant
    int count = 0;     // Fixed: the bytes; Run: the zero-padded width, 0 for none
    int most = 0;      // Fixed: more than count bytes up to this many
    int format = SS::FormatString;  // Run
};

// An integer sent as a value takes as few bytes as it needs, up to eight.
constexpr int IntegerValueBytes = 8;

QString EscapedByte(uchar byte)
{
    if (byte >= 0x20 && byte < 0x7f)
        return QRegExp::escape(QString(QChar(byte)));
    // Four digits: QRegExp reads up to four, so a hex digit after it stays a character.
    return QStringLiteral("\\x%1").arg(byte, 4, 16, QLatin1Char('0'));
}

// Any text the format prints; a string or value run stops before stop (a
// byte value), or takes anything when stop is -1.
QString RunPattern(int format, int width, int stop)
{
    const QString atLeast = width > 1 ? QStringLiteral("{%1,}").arg(width) : QStringLiteral("+");
    switch (format) {
    case SS::FormatInteger:
        // The sign counts towards the width.
        return width > 1 ? QStringLiteral("(?:-[0-9]{%1,}|[0-9]{%2,})").arg(width - 1).arg(width)
                         : QStringLiteral("-?[0-9]+");
    case SS::FormatHex: return QStringLiteral("[0-9a-f]") + atLeast;
    case SS::FormatHexUpper: return QStringLiteral("[0-9A-F]") + atLeast;
    case SS::FormatDecimal: return QStringLiteral("-?[0-9]*\\.?[0-9]+");
    default:
        return stop < 0 ? QStringLiteral(".*") : QStringLiteral("[^") + EscapedByte(uchar(stop)) + QStringLiteral("]*");
    }
}

QString Assemble(const QList<Piece>& pieces, bool* openEnd)
{
    QString pattern;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        switch (piece.kind) {
        case Piece::Constant:
            pattern += BytesPattern(piece.bytes);
            break;
        case Piece::Fixed:
            if (piece.most > piece.count)
                pattern += QStringLiteral(".{%1,%2}").arg(piece.count).arg(piece.most);
            else if (piece.count > 0)
                pattern += QStringLiteral(".{%1}").arg(piece.count);
            break;
        case Piece::Run: {
            int stop = -1;
            for (qsizetype next = i + 1; next < pieces.size() && stop < 0; ++next) {
                if (pieces[next].kind == Piece::Constant && !pieces[next].bytes.isEmpty())
                    stop = uchar(pieces[next].bytes.front());
            }
            pattern += RunPattern(piece.format, piece.count, stop);
            break;
        }
        }
    }
    if (openEnd) {
        *openEnd = false;
        for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
            const Piece& last = pieces[i];
            if ((last.kind == Piece::Constant && last.bytes.isEmpty()) || (last.kind == Piece::Fixed && !last.count))
                continue;  // sends nothing
            *openEnd = last.kind == Piece::Run || (last.kind == Piece::Fixed && last.most > last.count);
            break;
        }
    }
    return pattern;
}

// The bytes the row's preview sends (example values, initial variable values).
QByteArray RowBytes(const SS& model, int row)
{
    return QByteArray::fromHex(PreviewText(RowPreviewText(model, row)).hexRep.toLatin1());
}

// A value worked out by a function (byte(), md5(), ...) has the size of what
// the function gives, not of the value it is given.
bool CallsFunction(const QString& expression)
{
    return expression.contains(QLatin1Char('('));
}

// What a checksum function's value sends. MD5 gives its 16 bytes of text;
// the others give an integer: one byte for the byte-wide ones, as few as it
// needs for the rest, or its digits when printed as text.
Piece ChecksumPiece(const QString& function, int format, int exampleSize)
{
    Piece piece;
    const QString name = XorAsBcc(function.trimmed() + QLatin1Char('(')).chopped(1).toUpper();
    const bool value = format == SS::FormatValue;
    if (name == QLatin1String("MD5") && (value || format == SS::FormatString)) {
        piece.kind = Piece::Fixed;
        piece.count = exampleSize;
    } else if (value) {
        piece.kind = Piece::Fixed;
        const bool byteWide = name == QLatin1String("BCC") || name == QLatin1String("BYTECHECKSUM");
        piece.count = 1;
        piece.most = byteWide ? 1 : IntegerValueBytes;
    } else {
        piece.kind = Piece::Run;
        piece.format = format == SS::FormatString ? int(SS::FormatInteger) : format;
    }
    return piece;
}

// The function a call starts with: "BCC" for "BCC(sprintf(...))".
QString CalledFunction(const QString& expression)
{
    const qsizetype open = expression.indexOf(QLatin1Char('('));
    return open < 0 ? QString() : expression.left(open).trimmed();
}

bool IsChecksumFunction(const QString& name)
{
    const QString known = XorAsBcc(name + QLatin1Char('(')).chopped(1);
    return ChecksumFunctionNames().contains(known, Qt::CaseInsensitive);
}

Piece ValuePiece(int format, int width, bool fixed, int fixedCount)
{
    Piece piece;
    if (fixed) {
        piece.kind = Piece::Fixed;
        piece.count = fixedCount;
    } else {
        piece.kind = Piece::Run;
        piece.count = width;
        piece.format = format;
    }
    return piece;
}

// Splits an argument list at the commas outside quotes and parentheses.
QStringList SplitArguments(const QString& args)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    int depth = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QChar c = args[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < args.size()) {
            current += args.mid(i, 2);
            ++i;
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('('))
            ++depth;
        else if (!quoted && c == QLatin1Char(')'))
            --depth;
        if (!quoted && depth == 0 && c == QLatin1Char(',')) {
            parts << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty() || !parts.isEmpty())
        parts << current.trimmed();
    return parts;
}

int ConversionFormat(QChar letter)
{
    switch (letter.toLatin1()) {
    case 'i':
    case 'u': return SS::FormatInteger;
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'F': return SS::FormatDecimal;
    default: {
        const int format = OutputFormatOfLetter(letter);
        return format == SS::FormatUnset ? SS::FormatString : format;
    }
    }
}

} // namespace

QString BytesPattern(const QByteArray& bytes)
{
    QString pattern;
    for (const char byte : bytes)
        pattern += EscapedByte(uchar(byte));
    return pattern;
}

QString MessagePattern(const OutgoingSSModel_c& model, bool* openEnd)
{
    QList<Piece> pieces;
    for (int row = 0; row < model.rowCount(); ++row) {
        const int type = model.Type(row);
        const int format = model.Format(row);
        const bool hasOutput = format != SS::FormatNone && format != SS::FormatUnset;
        if (type == SS::TypeConstant) {
            pieces << Piece{Piece::Constant, RowBytes(model, row)};
            continue;
        }
        if (!hasOutput)
            continue;
        if (type == SS::TypeChecksum) {
            const QString function = ChecksumFunctionNames().value(model.Text(row, SS::ColChecksumType).toInt(),
                                                                   ChecksumFunctionNames().first());
            pieces << ChecksumPiece(function, format, int(RowBytes(model, row).size()));
            continue;
        }
        bool fixed = false;
        if (format == SS::FormatValue)
            fixed = CallsFunction(type == SS::TypeLocal ? model.Text(row, SS::ColFormula) : ArgPiece(model, row));
        const int width = model.OptionsOn(row) ? model.Text(row, SS::ColChars).toInt() : 0;
        pieces << ValuePiece(format, width, fixed, fixed ? int(RowBytes(model, row).size()) : 0);
    }
    return Assemble(pieces, openEnd);
}

QString ManualMessagePattern(const QString& format, const QString& args, const MessageValues& values, bool* openEnd)
{
    const QStringList arguments = SplitArguments(args);
    QList<Piece> pieces;
    QString literal;
    const auto flushLiteral = [&] {
        if (literal.isEmpty())
            return;
        QByteArray bytes;
        QString error;
        ManualMessageBytes(literal, QString(), values, &bytes, &error);
        pieces << Piece{Piece::Constant, bytes};
        literal.clear();
    };
    int argument = 0;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\\') && i + 1 < format.size()) {
            literal += format.mid(i, 2);
            i += 2;
            continue;
        }
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            literal += c;
            ++i;
            continue;
        }
        if (format[i + 1] == QLatin1Char('%')) {
            literal += QStringLiteral("%%");
            i += 2;
            continue;
        }
        // %[flags][width][.precision][length]letter
        qsizetype j = i + 1;
        while (j < format.size() && QStringLiteral("-+ #0").contains(format[j]))
            ++j;
        const qsizetype widthStart = j;
        while (j < format.size() && format[j].isDigit())
            ++j;
        const int width = format.mid(widthStart, j - widthStart).toInt();
        if (j < format.size() && format[j] == QLatin1Char('.')) {
            ++j;
            while (j < format.size() && format[j].isDigit())
                ++j;
        }
        while (j < format.size() && QStringLiteral("hlLqjzt").contains(format[j]))
            ++j;
        if (j >= format.size()) {
            literal += format.mid(i);
            break;
        }
        flushLiteral();
        const QChar letter = format[j];
        const QString arg = arguments.value(argument++);
        const int conversion = ConversionFormat(letter);
        if (letter == QLatin1Char('c')) {
            pieces << ValuePiece(conversion, 0, true, 1);
        } else if (IsChecksumFunction(CalledFunction(arg))) {
            QByteArray bytes;
            QString error;
            ManualMessageBytes(QStringLiteral("%p"), arg, values, &bytes, &error);
            pieces << ChecksumPiece(CalledFunction(arg), conversion, int(bytes.size()));
        } else if (conversion == SS::FormatValue && CallsFunction(arg)) {
            QByteArray bytes;
            QString error;
            const bool sized = ManualMessageBytes(QStringLiteral("%p"), arg, values, &bytes, &error);
            pieces << ValuePiece(conversion, width, sized, int(bytes.size()));
        } else {
            pieces << ValuePiece(conversion, width, false, 0);
        }
        i = j + 1;
    }
    flushLiteral();
    return Assemble(pieces, openEnd);
}

QList<RequestPattern> RequestPatterns(const DriverScript& script)
{
    QList<MessageRef> sending;
    for (int row = 0; row < script.SetupCount(); ++row)
        sending << MessageRef{MessageRef::Setup, row};
    for (int row = 0; row < script.EventCount(); ++row)
        sending << MessageRef{MessageRef::Event, row};

    QList<RequestPattern> patterns;
    for (const MessageRef& ref : sending) {
        const DriverScript::OutgoingSource source = script.Outgoing(ref);
        if (!source.model)
            continue;
        RequestPattern request;
        request.ref = ref;
        request.name = ref.source == MessageRef::Setup ? script.SetupName(ref.row) : script.EventName(ref.row);
        if (source.manual) {
            // Parameters are sized by their examples; variables preview as in the editor.
            MessageValues values;
            if (ref.source == MessageRef::Event)
                values.params = script.ExampleValues(ref.row);
            request.pattern = ManualMessagePattern(source.format, source.args, values, &request.openEnd);
        } else {
            request.pattern = MessagePattern(*source.model, &request.openEnd);
        }
        patterns << request;
    }
    return patterns;
}

RequestMatcher::RequestMatcher(const QList<RequestPattern>& patterns) : m_Patterns(patterns)
{
    for (const RequestPattern& request : m_Patterns)
        m_Compiled << QRegExp(request.pattern, Qt::CaseSensitive, QRegExp::RegExp2);
}

RequestMatch RequestMatcher::Find(const QByteArray& received, bool complete)
{
    const QString text = QString::fromLatin1(received);
    RequestMatch best;
    for (qsizetype i = 0; i < m_Compiled.size(); ++i) {
        QRegExp& expression = m_Compiled[i];
        if (m_Patterns[i].pattern.isEmpty() || !expression.isValid())
            continue;
        int position = expression.indexIn(text);
        // An empty match is no request: look on for one that takes bytes.
        while (position >= 0 && expression.matchedLength() == 0 && position < text.size())
            position = expression.indexIn(text, position + 1);
        if (position < 0 || expression.matchedLength() <= 0)
            continue;
        const int length = expression.matchedLength();
        if (best.index >= 0 && (position > best.position || (position == best.position && length <= best.length)))
            continue;
        best.index = int(i);
        best.position = position;
        best.length = length;
        best.pending = !complete && m_Patterns[i].openEnd && position + length == text.size();
    }
    return best;
}
