#include "editors/common/shownbytes.h"

#include <QStringDecoder>

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The code point of the UTF-8 sequence at bytes[i] and its length, or 0 for
// a broken, overlong or surrogate sequence.
int DecodeAt(const QByteArray& bytes, qsizetype i, char32_t* code)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    int length = 0;
    char32_t value = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (!IsContinuation(at(i + k)))
            return 0;
        value = (value << 6) | (at(i + k) & 0x3F);
    }
    *code = value;
    return length;
}

void AppendEscaped(QString& shown, unsigned char byte)
{
    static const char kHex[] = "0123456789ABCDEF";
    shown += QLatin1String("\\x");
    shown += QLatin1Char(kHex[byte >> 4]);
    shown += QLatin1Char(kHex[byte & 0x0F]);
}

} // namespace

QString ShownBytes(const QByteArray& bytes)
{
    QString shown;
    shown.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\t') {
            shown += QLatin1String("\\t");
        } else if (byte == '\r') {
            shown += QLatin1String("\\r");
        } else if (byte == '\n') {
            shown += QLatin1String("\\n");
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendEscaped(shown, byte);
        } else if (byte < 0x80) {
            shown += QLatin1Char(char(byte));
        } else if (char32_t code = 0; const int length = DecodeAt(bytes, i, &code)) {
            // C1 controls, format characters and the like would not show.
            if (QChar::isPrint(code)) {
                shown += QString::fromUcs4(&code, 1);
            } else {
                for (int k = 0; k < length; ++k)
                    AppendEscaped(shown, static_cast<unsigned char>(bytes[i + k]));
            }
            i += length;
            continue;
        } else {
            AppendEscaped(shown, byte);
        }
        ++i;
    }
    return shown;
}

QString ShownText(const QByteArray& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder(text);
    return decoder.hasError() ? QString::fromLatin1(text) : decoded;
}
