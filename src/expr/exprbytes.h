#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The byte notation of expressions: double-quoted runs with backslash
// escapes, and outside quotes h41 / 0x41 / $41 / \x41 hex bytes, decimal
// byte values, and spaces, commas and underscores as separators.

// Reads text in byte notation into bytes. false (bytes undefined) when the
// text is not byte notation: a stray character, an unterminated quote or a
// hex prefix without two hex digits after it.
bool ParseByteNotation(std::string_view text, std::string* bytes);

// Writes bytes in byte notation: printable runs quoted (with \\ \n \r \t \"
// \' \% escapes), every other byte as h and two uppercase hex digits.
// No bytes give the empty text.
std::string WriteByteNotation(std::string_view bytes);

// Decodes the backslash escape starting at text[*pos] (a backslash): appends
// its byte to out, if it has one, and moves *pos past the escape. An unknown
// escape, or \x without two hex digits, produces nothing.
void DecodeEscape(std::string_view text, size_t* pos, std::string* out);

// 0..15 for a hex digit, -1 otherwise.
int HexDigitValue(char c);

// A decimal integer read from text: leading spaces and tabs skipped, an
// optional sign, then digits up to the first other byte, wrapping in 32
// bits. 0 when there are no digits.
int32_t ReadDecimalInteger(std::string_view text);

// A decimal number read like ReadDecimalInteger, with an optional fraction.
double ReadDecimalNumber(std::string_view text);

// Truncates toward zero into 32 bits; out-of-range values saturate, NaN gives 0.
int32_t TruncateToInt32(double value);

// The text form of a decimal: integer part, "." and two fraction digits,
// rounded to nearest with halves going up (1.5 gives "1.50").
std::string FormatDecimal(double value);

// The 4 bytes of value, least significant first.
std::string IntegerBytes(int32_t value);
