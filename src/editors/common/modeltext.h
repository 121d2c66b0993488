#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// The data model keeps its texts as std::string bytes, UTF-8 as a rule; the
// editors show QString. A file may hold bytes that are not UTF-8 (a Latin-1
// "é" typed in another editor): each byte of a broken sequence becomes the
// private-use character U+10FF00 + byte, which ToStd turns back into that
// byte, so opening and saving never changes what a text sends. (A lone
// surrogate would be lossless too, but regular expressions refuse to match
// a text holding one.) The UTF-8 form of U+10FF80..U+10FFFF itself is read
// byte by byte the same way, so every text comes back as it was.
QString FromStd(const std::string& text);
// Characters as UTF-8; U+10FF80..U+10FFFF as the one byte they stand for.
std::string ToStd(const QString& text);

// Text typed in the program (formats, constants, examples, patterns) stands
// for its UTF-8 bytes, as the file stores it and the show controller sends it;
// a byte kept from the file (see FromStd) is sent as that byte.
QByteArray TextBytes(const QString& text);

// Bytes as text with one character per byte: the form in which received
// bytes are matched, so that a pattern's \xHH and character classes count
// bytes as the controller's byte-wise matcher does.
inline QString ByteText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

// Text whose backslashes were all doubled, with each doubled escape of a
// control character (\\n, \\r, \\t, \\x) made single again: what replacing
// \\(\\[nrtx])+ by its last pair gives, without a regular expression.
QString CollapseDoubledEscapes(const QString& doubled);
