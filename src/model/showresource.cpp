#include "model/showresource.h"

#include <charconv>

KorStatus ShowParseInt(std::string_view text, int32_t* value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return KOR_FAIL;
  int32_t parsed = 0;
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, parsed);
  if (result.ec != std::errc() || result.ptr != end) return KOR_FAIL;
  if (value) *value = parsed;
  return KOR_OK;
}
