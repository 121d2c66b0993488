#include "editors/ports/irfile.h"

#include <algorithm>

#include <QFile>
#include <QStringDecoder>

namespace {

QString WithoutChars(QStringView text, QStringView dropped)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (!dropped.contains(c))
            kept.append(c);
    }
    return kept;
}

bool IsTextByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x20 || byte == '\t' || byte == '\r' || byte == '\n';
}

} // namespace

QList<IRCode> ParseIRCodes(QStringView text)
{
    static const QString nameDropped = QStringLiteral(" \t\r\n[");
    static const QString messageDropped = QStringLiteral(" \t\r\n");
    QList<IRCode> codes;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        // Splitting at LF serves CR LF and LF files alike: the CR left at
        // the end of a line is dropped with the spaces.
        while (end < text.size() && text[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = text.mid(start, end - start);
        start = end + 1;
        if (line.isEmpty())
            continue;

        const qsizetype firstBracket = line.indexOf(QLatin1Char(']'));
        IRCode code;
        code.name = WithoutChars(firstBracket < 0 ? line : line.first(firstBracket), nameDropped);
        if (code.name.isEmpty())
            continue;
        if (firstBracket >= 0) {
            const QStringView rest = line.mid(firstBracket + 1);
            const qsizetype secondBracket = rest.indexOf(QLatin1Char(']'));
            code.message = WithoutChars(secondBracket < 0 ? rest : rest.first(secondBracket), messageDropped)
                           + QStringLiteral("\\r");
        }
        codes.append(code);
    }
    return codes;
}

IRFile ReadIRFile(const QString& path)
{
    IRFile result;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return result;
    // Read no more than one byte past the limit: a device or pipe has no size
    // to check beforehand.
    const QByteArray content = file.read(IRFileSizeLimit + 1);
    if (content.size() > IRFileSizeLimit) {
        result.problem = IRFileProblem::TooLarge;
        return result;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(content);
    if (decoder.hasError() || !std::all_of(content.begin(), content.end(), IsTextByte)) {
        result.problem = IRFileProblem::NotText;
        return result;
    }
    result.codes = ParseIRCodes(text);
    return result;
}
