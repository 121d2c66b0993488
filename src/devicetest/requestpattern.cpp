#include "devicetest/requestpattern.h"

#include "editors/common/modeltext.h"
#include "editors/outgoing/outgoingssmodel.h"

#include <algorithm>
#include <cctype>
#include <tuple>

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
    QString param;  // Run: the parameter it sends, captured to judge its value
    bool hex = false;  // Fixed: hex digits only, as its sent bytes were
};

Piece ConstantPiece(const QByteArray& bytes)
{
    Piece piece;
    piece.bytes = bytes;
    return piece;
}

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

QString Assemble(const QList<Piece>& pieces, bool* openEnd, RequestPattern* shape)
{
    QString pattern;
    if (shape) {
        shape->params.clear();
        shape->paramFormats.clear();
        shape->constantBytes = 0;
    }
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        switch (piece.kind) {
        case Piece::Constant:
            pattern += BytesPattern(piece.bytes);
            if (shape)
                shape->constantBytes += int(piece.bytes.size());
            break;
        case Piece::Fixed:
            if (piece.most > piece.count)
                pattern += QStringLiteral(".{%1,%2}").arg(piece.count).arg(piece.most);
            else if (piece.count > 0)
                pattern += (piece.hex ? QStringLiteral("[0-9A-Fa-f]") : QStringLiteral(".")) +
                           QStringLiteral("{%1}").arg(piece.count);
            break;
        case Piece::Run: {
            int stop = -1;
            for (qsizetype next = i + 1; next < pieces.size() && stop < 0; ++next) {
                if (pieces[next].kind == Piece::Constant && !pieces[next].bytes.isEmpty())
                    stop = uchar(pieces[next].bytes.front());
            }
            if (piece.param.isEmpty() || !shape) {
                pattern += RunPattern(piece.format, piece.count, stop);
                break;
            }
            pattern += QLatin1Char('(') + RunPattern(piece.format, piece.count, stop) + QLatin1Char(')');
            shape->params << piece.param;
            shape->paramFormats << piece.format;
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
QByteArray RowBytes(const SS& model, int row, const MessageValues* values = nullptr)
{
    return QByteArray::fromHex(TextBytes(PreviewText(RowPreviewText(model, row, values)).hexRep));
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

// A computed value that printed hex digits (a digest as text) prints hex
// digits whatever it is computed from: bytes around it are not taken for it.
bool HexDigits(const QByteArray& bytes)
{
    return !bytes.isEmpty() && std::all_of(bytes.begin(), bytes.end(), [](char c) { return std::isxdigit(uchar(c)); });
}

Piece ValuePiece(int format, int width, bool fixed, int fixedCount, const QByteArray& sent = {})
{
    Piece piece;
    if (fixed) {
        piece.kind = Piece::Fixed;
        piece.count = fixedCount;
        piece.hex = HexDigits(sent);
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

QString MessagePattern(const OutgoingSSModel_c& model, bool* openEnd, RequestPattern* shape,
                       const MessageValues* values)
{
    QList<Piece> pieces;
    bool computed = false;
    for (int row = 0; row < model.rowCount(); ++row) {
        const int type = model.Type(row);
        const int format = model.Format(row);
        const bool hasOutput = format != SS::FormatNone && format != SS::FormatUnset;
        if (type == SS::TypeConstant) {
            pieces << ConstantPiece(RowBytes(model, row));
            continue;
        }
        if (!hasOutput)
            continue;
        if (type == SS::TypeChecksum) {
            const QString function = ChecksumFunctionNames().value(model.Text(row, SS::ColChecksumType).toInt(),
                                                                   ChecksumFunctionNames().first());
            pieces << ChecksumPiece(function, format, int(RowBytes(model, row, values).size()));
            computed = true;
            continue;
        }
        const QString argument = type == SS::TypeLocal ? model.Text(row, SS::ColFormula) : ArgPiece(model, row);
        computed = computed || type == SS::TypeLocal || CallsFunction(argument);
        const bool fixed = format == SS::FormatValue && CallsFunction(argument);
        const int width = model.OptionsOn(row) ? model.Text(row, SS::ColChars).toInt() : 0;
        const QByteArray sent = fixed ? RowBytes(model, row, values) : QByteArray();
        pieces << ValuePiece(format, width, fixed, int(sent.size()), sent);
        const QStandardItem* param = type == SS::TypeParameter ? model.ParamRef(row) : nullptr;
        if (param && !fixed && argument.trimmed() == param->text())
            pieces.last().param = param->text();
    }
    if (shape)
        shape->computed = computed;
    return Assemble(pieces, openEnd, shape);
}

QString ManualMessagePattern(const QString& format, const QString& args, const MessageValues& values, bool* openEnd,
                             RequestPattern* shape)
{
    const QStringList arguments = SplitArguments(args);
    QList<Piece> pieces;
    bool computed = false;
    QString literal;
    const auto flushLiteral = [&] {
        if (literal.isEmpty())
            return;
        QByteArray bytes;
        QString error;
        ManualMessageBytes(literal, QString(), values, &bytes, &error);
        pieces << ConstantPiece(bytes);
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
            computed = true;
        } else if (conversion == SS::FormatValue && CallsFunction(arg)) {
            QByteArray bytes;
            QString error;
            const bool sized = ManualMessageBytes(QStringLiteral("%p"), arg, values, &bytes, &error);
            pieces << ValuePiece(conversion, width, sized, int(bytes.size()), bytes);
            computed = true;
        } else {
            pieces << ValuePiece(conversion, width, false, 0);
            computed = computed || CallsFunction(arg);
            if (values.params.contains(arg))
                pieces.last().param = arg;
        }
        i = j + 1;
    }
    flushLiteral();
    if (shape)
        shape->computed = computed;
    return Assemble(pieces, openEnd, shape);
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
        // A computed value is sized by sending it with the examples and the
        // variables' values (a login digest is empty until its seed is there).
        MessageValues values;
        if (ref.source == MessageRef::Event)
            values.params = script.ExampleValues(ref.row);
        for (const auto& [name, value] : script.VariableValues())
            values.variables.insert(name, value);
        values.text = script.TextNames(ref.source == MessageRef::Event ? ref.row : -1);
        if (source.manual)
            request.pattern = ManualMessagePattern(source.format, source.args, values, &request.openEnd, &request);
        else
            request.pattern = MessagePattern(*source.model, &request.openEnd, &request, &values);
        patterns << request;
    }
    return patterns;
}

RequestMatcher::RequestMatcher(const QList<RequestPattern>& patterns, DriverScript* script)
    : m_Patterns(patterns), m_pScript(script)
{
    for (const RequestPattern& request : m_Patterns)
        m_Compiled << QRegExp(request.pattern, Qt::CaseSensitive, QRegExp::RegExp2);
}

int RequestMatcher::FindFitting(int index, const QString& text, int from, int* length)
{
    // A value that does not fit is looked past a bounded number of times, so
    // a flood of near misses costs no more than that many scans.
    constexpr int MaxMisfits = 32;
    QRegExp& expression = m_Compiled[index];
    const RequestPattern& request = m_Patterns[index];
    for (int misfits = 0; from <= text.size() && misfits <= MaxMisfits;) {
        const int position = expression.indexIn(text, from);
        if (position < 0)
            return -1;
        *length = expression.matchedLength();
        from = position + 1;
        // An empty match is no request: look on for one that takes bytes.
        if (*length <= 0)
            continue;
        bool fits = true;
        if (m_pScript && request.ref.source == MessageRef::Event) {
            for (qsizetype group = 0; fits && group < request.params.size(); ++group) {
                QString sent = expression.cap(int(group) + 1);
                const int format = request.paramFormats.value(group);
                bool number = false;
                const bool hex = format == SS::FormatHex || format == SS::FormatHexUpper;
                const qlonglong value = hex                           ? sent.toLongLong(&number, 16)
                                        : format == SS::FormatInteger ? sent.toLongLong(&number, 10)
                                                                      : 0;
                if (number)  // zero-padded or hex: the value it prints
                    sent = QString::number(value);
                fits = m_pScript->AcceptsSent(request.ref.row, request.params[group], sent);
            }
        }
        if (fits)
            return position;
        ++misfits;
    }
    return -1;
}

RequestMatch RequestMatcher::Find(const QByteArray& received, bool complete)
{
    const QString text = ByteText(received);
    RequestMatch best;
    for (qsizetype i = 0; i < m_Compiled.size(); ++i) {
        if (m_Patterns[i].pattern.isEmpty() || !m_Compiled[i].isValid())
            continue;
        int length = 0;
        const int position = FindFitting(int(i), text, 0, &length);
        if (position < 0)
            continue;
        if (best.index >= 0) {
            const RequestPattern& held = m_Patterns[best.index];
            const auto rank = [](int at, int constants, int size) { return std::make_tuple(-at, constants, size); };
            const auto mine = rank(position, m_Patterns[i].constantBytes, length);
            const auto theirs = rank(best.position, held.constantBytes, best.length);
            if (mine == theirs)
                best.tied << int(i);
            if (mine <= theirs)
                continue;
        }
        best.index = int(i);
        best.position = position;
        best.length = length;
        best.tied.clear();
        best.pending = !complete && m_Patterns[i].openEnd && position + length == text.size();
    }
    return best;
}
