#include "editors/common/modeltext.h"

namespace {

// U+10FF00 + byte in UTF-16: this high surrogate, then KeptLow + byte.
constexpr char16_t kKeptHigh = 0xDBFF;
constexpr char16_t kKeptLow = 0xDF00;

bool IsTail(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at text[at] (no overlong
// form, no encoded surrogate, nothing above U+10FFFF, none of the kept-byte
// characters); 0 when there is none.
size_t SequenceLength(const unsigned char* text, size_t size, size_t at)
{
    const unsigned char lead = text[at];
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (size - at < length || text[at + 1] < low || text[at + 1] > high)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!IsTail(text[at + i]))
            return 0;
    }
    // F4 8F BE 80 .. F4 8F BF BF: U+10FF80..U+10FFFF, read as kept bytes.
    if (lead == 0xF4 && text[at + 1] == 0x8F && text[at + 2] >= 0xBE)
        return 0;
    return length;
}

bool IsValidUtf8(const unsigned char* text, size_t size)
{
    for (size_t at = 0; at < size;) {
        if (text[at] < 0x80) {
            ++at;
            continue;
        }
        const size_t length = SequenceLength(text, size, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

// The byte text[i] stands for, or -1 when text[i] starts no kept byte.
int KeptByteAt(const QString& text, qsizetype i)
{
    if (text[i].unicode() != kKeptHigh || i + 1 >= text.size())
        return -1;
    const char16_t low = text[i + 1].unicode();
    return low >= kKeptLow + 0x80 && low <= kKeptLow + 0xFF ? low - kKeptLow : -1;
}

bool HasKeptByte(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (KeptByteAt(text, i) >= 0)
            return true;
    }
    return false;
}

// Appends text to out as FromStd reads it back: kept bytes as themselves,
// everything else as UTF-8.
template <typename Bytes>
void AppendBytes(const QString& text, Bytes& out)
{
    qsizetype run = 0;  // start of the run of ordinary characters
    const auto flush = [&](qsizetype end) {
        if (end > run) {
            const QByteArray utf8 = QStringView(text).mid(run, end - run).toUtf8();
            out.append(utf8.constData(), utf8.size());
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = KeptByteAt(text, i);
        if (byte < 0)
            continue;
        flush(i);
        const char raw = static_cast<char>(byte);
        out.append(&raw, 1);
        run = ++i + 1;
    }
    flush(text.size());
}

} // namespace

QString FromStd(const std::string& text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    if (IsValidUtf8(bytes, size))
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(size));
    QString out;
    out.reserve(static_cast<qsizetype>(size) + 8);
    size_t run = 0;  // start of the run of well-formed sequences
    for (size_t at = 0; at < size;) {
        const size_t length = SequenceLength(bytes, size, at);
        if (length > 0) {
            at += length;
            continue;
        }
        out += QString::fromUtf8(text.data() + run, static_cast<qsizetype>(at - run));
        out += QChar(kKeptHigh);
        out += QChar(char16_t(kKeptLow + bytes[at]));
        run = ++at;
    }
    out += QString::fromUtf8(text.data() + run, static_cast<qsizetype>(size - run));
    return out;
}

std::string ToStd(const QString& text)
{
    if (!HasKeptByte(text))
        return text.toStdString();
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    AppendBytes(text, out);
    return out;
}

QByteArray TextBytes(const QString& text)
{
    if (!HasKeptByte(text))
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size());
    AppendBytes(text, out);
    return out;
}

QString CollapseDoubledEscapes(const QString& doubled)
{
    const auto control = [](QChar c) {
        return c == QLatin1Char('n') || c == QLatin1Char('r') || c == QLatin1Char('t') || c == QLatin1Char('x');
    };
    const qsizetype size = doubled.size();
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size;) {
        if (doubled[i] == QLatin1Char('\\')) {
            qsizetype end = i + 1;
            while (end + 1 < size && doubled[end] == QLatin1Char('\\') && control(doubled[end + 1]))
                end += 2;
            if (end > i + 1) {
                out += doubled[end - 2];
                out += doubled[end - 1];
                i = end;
                continue;
            }
        }
        out += doubled[i++];
    }
    return out;
}
