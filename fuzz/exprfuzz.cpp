// Expressions: PreviewExpression on arbitrary bytes never crashes, and its
// three outputs agree with the bytes it evaluated.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "expr/preview.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "%s for expression (%zu bytes): %.*s\n", what, text.size(),
               static_cast<int>(text.size()), text.data());
  std::abort();
}

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += ' ';
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string message, stringRep, hexRep, bytes;
  KorStatus status = PreviewExpression(text, &message, &stringRep, &hexRep, &bytes);
  if (status != KOR_OK) {
    if (message != kPreviewSyntaxError || !stringRep.empty() || !hexRep.empty())
      Fail("a syntax error with other outputs than \"[syntax error]\"", text);
    return 0;
  }
  if (hexRep != Hex(bytes)) Fail("hex output not the bytes", text);
  if (message != EscapeForDisplay(bytes)) Fail("message output not the bytes", text);
  // Every preview parses afresh: the same text gives the same outputs.
  std::string message2, stringRep2, hexRep2;
  PreviewExpression(text, &message2, &stringRep2, &hexRep2);
  if (message2 != message || stringRep2 != stringRep || hexRep2 != hexRep)
    Fail("a second preview differs", text);
  return 0;
}
