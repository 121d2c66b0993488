#pragma once

#include <QByteArray>
#include <QString>

// How bytes about to be sent or just matched are shown in the editors'
// previews and messages.

// Each run of bytes that is valid UTF-8 for a printable character shows as
// that character; tab, CR and LF as \t \r \n; every other byte below 0x20,
// from 0x7F, or in a broken or unprintable sequence as \xHH. ASCII shows as
// it is, backslash included, so escapes in the text stay readable.
QString ShownBytes(const QByteArray& bytes);

// Text built by the expression engine (quotes, escapes and all): decoded as
// UTF-8 when it all is, else one character per byte.
QString ShownText(const QByteArray& text);
