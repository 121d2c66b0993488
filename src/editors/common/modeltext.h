#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// The data model keeps its texts as UTF-8 std::string; the editors show QString.
inline QString FromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Text typed in the program (formats, constants, examples, patterns) stands
// for its UTF-8 bytes, as the file stores it and the show controller sends it.
inline QByteArray TextBytes(const QString& text)
{
    return text.toUtf8();
}

// Bytes as text with one character per byte: the form in which received
// bytes are matched, so that a pattern's \xHH and character classes count
// bytes as the controller's byte-wise matcher does.
inline QString ByteText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}
