#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Bytes as people type them from protocol documents. A text made only of
// two-digit hex bytes (each optionally 0x0D, $0D, 0Dh or \x0D) separated by
// spaces, commas or colons, or by nothing where a prefix or suffix marks the
// byte, is a hex list ("02 50 57", "0x02,0x50", "$02$50", "02:50"). Any other
// text is taken as typed, with the escapes \r \n \t \\ \" \xHH and ASCII
// control names in angle brackets (<STX>, <cr>, ... <DEL>).
struct TypedBytes {
  bool ok = true;
  bool hexList = false;
  std::string bytes;
  // When not ok: the offset of the offending part in the text, and why.
  size_t errorPos = 0;
  std::string error;
};

// Reads text in either notation. An empty text gives no bytes.
TypedBytes ReadTypedBytes(std::string_view text);
// Reads text as text only (escapes and control names), never as a hex
// list: for text that shows a message, where "12" is two digits.
TypedBytes ReadEscapedText(std::string_view text);

// The bytes as text that ReadTypedBytes reads back to the same bytes:
// printable ASCII as it is (backslash and quote escaped), \r \n \t, and \xHH
// for every other byte.
std::string WriteEscapedBytes(std::string_view bytes);

// The bytes as a constant or example field of the editors takes them:
// printable ASCII as it is, \r \n \t, and \xHH for every other byte and for
// the backslash (so none starts an escape).
std::string WriteFieldText(std::string_view bytes);

// "02 50 0D": uppercase hex pairs separated by single spaces.
std::string WriteHexPairs(std::string_view bytes);

// The control name read inside angle brackets for byte (0x00-0x1F, 0x7F),
// or empty for other bytes.
std::string_view ControlName(unsigned char byte);
