#pragma once

#include <string>
#include <string_view>

#include "foundation/korobject.h"

// The text shown for an expression that does not parse.
inline constexpr std::string_view kPreviewSyntaxError = "[syntax error]";

// Evaluates one expression text (one byte per character) with an empty
// context, as the show controller would, and describes the resulting bytes.
// Outputs (each may be null): message = the bytes with tab, CR and LF shown
// as \t \r \n and every other byte below 0x20 or from 0x7F as \xHH (or
// "[syntax error]"); stringRep = the value's text form, with h written as \x
// outside quoted runs; hexRep = " HH" for each byte; bytes = the raw bytes.
// On a syntax error all but message are empty and the result is KOR_FAIL.
KorStatus PreviewExpression(std::string_view text, std::string* message, std::string* stringRep,
                            std::string* hexRep, std::string* bytes = nullptr);

// The display form used for the message: \t \r \n, \xHH for other control
// and upper-half bytes; everything else, backslash included, as it is.
std::string EscapeForDisplay(std::string_view bytes);
