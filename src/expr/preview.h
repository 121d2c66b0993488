#pragma once

#include <string>
#include <string_view>

#include "foundation/korobject.h"

// The text shown for an expression that does not parse.
inline constexpr std::string_view kPreviewSyntaxError = "[syntax error]";

// Evaluates text (one byte per character) with an empty context, as the show controller would.
// message: the bytes with \t \r \n and \xHH for other bytes below 0x20 or from 0x7F, or "[syntax error]"; stringRep: the value's text form with h shown as \x outside quotes; hexRep: " HH" per byte; bytes: the raw bytes.
// Any output may be null; on a syntax error all but message are emptied and the result is KOR_FAIL.
KorStatus PreviewExpression(std::string_view text, std::string* message, std::string* stringRep,
                            std::string* hexRep, std::string* bytes = nullptr);

// The display form used for the message: \t \r \n, \xHH for other control
// and upper-half bytes; everything else, backslash included, as it is.
std::string EscapeForDisplay(std::string_view bytes);
