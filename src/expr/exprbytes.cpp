#include "expr/exprbytes.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Two hex digits at text[pos], pos+1 as one byte; false when either is missing or not hex.
bool ReadHexByte(std::string_view text, size_t pos, char* byte) {
  if (pos + 1 >= text.size()) return false;
  const int high = HexDigitValue(text[pos]);
  const int low = HexDigitValue(text[pos + 1]);
  if (high < 0 || low < 0) return false;
  *byte = static_cast<char>(high * 16 + low);
  return true;
}

void AppendHexByte(std::string* out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out->push_back(kDigits[byte >> 4]);
  out->push_back(kDigits[byte & 0x0F]);
}

// Moves *i past leading spaces and tabs and an optional sign; true for '-'.
bool SkipBlanksAndSign(std::string_view text, size_t* i) {
  while (*i < text.size() && (text[*i] == ' ' || text[*i] == '\t')) ++*i;
  if (*i < text.size() && (text[*i] == '-' || text[*i] == '+')) return text[(*i)++] == '-';
  return false;
}

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void DecodeEscape(std::string_view text, size_t* pos, std::string* out) {
  size_t i = *pos + 1;  // past the backslash
  if (i >= text.size()) {
    *pos = i;
    return;
  }
  const char c = text[i];
  switch (c) {
    case '\\': out->push_back('\\'); break;
    case 'n': out->push_back('\n'); break;
    case 'r': out->push_back('\r'); break;
    case 't': out->push_back('\t'); break;
    case '"': out->push_back('"'); break;
    case '\'': out->push_back('\''); break;
    case '%': out->push_back('%'); break;
    case 'x': {
      char byte = 0;
      if (ReadHexByte(text, i + 1, &byte)) {
        out->push_back(byte);
        i += 2;
      }
      break;
    }
    default: break;  // an unknown escape produces nothing for both characters
  }
  *pos = i + 1;
}

bool ParseByteNotation(std::string_view text, std::string* bytes) {
  bytes->clear();
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (c == '"') {
      ++i;
      bool closed = false;
      while (i < n) {
        if (text[i] == '"') {
          closed = true;
          ++i;
          break;
        }
        if (text[i] == '\\') {
          DecodeEscape(text, &i, bytes);
        } else {
          bytes->push_back(text[i]);
          ++i;
        }
      }
      if (!closed) return false;
    } else if (c == ' ' || c == ',' || c == '_') {
      ++i;
    } else if (IsDigit(c) && !(c == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X'))) {
      // Greedy, but never above 255: a third digit is taken only when it fits.
      int value = c - '0';
      size_t j = i + 1;
      while (j < n && j < i + 3 && IsDigit(text[j]) && value * 10 + (text[j] - '0') <= 255) {
        value = value * 10 + (text[j] - '0');
        ++j;
      }
      bytes->push_back(static_cast<char>(value));
      i = j;
    } else {
      size_t digits = 0;  // position of the two hex digits after a prefix
      if (c == 'h' || c == 'H' || c == '$') {
        digits = i + 1;
      } else if ((c == '0' || c == '\\') && i + 1 < n &&
                 (c == '0' ? (text[i + 1] == 'x' || text[i + 1] == 'X') : text[i + 1] == 'x')) {
        digits = i + 2;
      } else {
        return false;
      }
      char byte = 0;
      if (!ReadHexByte(text, digits, &byte)) return false;
      bytes->push_back(byte);
      i = digits + 2;
    }
  }
  return true;
}

std::string WriteByteNotation(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 2);
  bool quoted = false;
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    const char* escape = nullptr;
    switch (byte) {
      case '\\': escape = "\\\\"; break;
      case '\n': escape = "\\n"; break;
      case '\r': escape = "\\r"; break;
      case '\t': escape = "\\t"; break;
      case '"': escape = "\\\""; break;
      case '\'': escape = "\\'"; break;
      case '%': escape = "\\%"; break;
      default: break;
    }
    if (escape != nullptr || (byte >= 0x20 && byte <= 0x7E)) {
      if (!quoted) out.push_back('"');
      quoted = true;
      if (escape != nullptr) {
        out += escape;
      } else {
        out.push_back(ch);
      }
    } else {
      if (quoted) out.push_back('"');
      quoted = false;
      out.push_back('h');
      AppendHexByte(&out, byte);
    }
  }
  if (quoted) out.push_back('"');
  return out;
}

int32_t ReadDecimalInteger(std::string_view text) {
  size_t i = 0;
  const bool negative = SkipBlanksAndSign(text, &i);
  uint32_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

double ReadDecimalNumber(std::string_view text) {
  size_t i = 0;
  const bool negative = SkipBlanksAndSign(text, &i);
  const size_t start = i;
  bool wholeNonZero = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) wholeNonZero = wholeNonZero || text[i] != '0';
  bool digits = i > start;
  if (i < text.size() && text[i] == '.') {
    const size_t fraction = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    digits = digits || i > fraction;
  }
  if (!digits) return 0.0;
  double value = 0.0;
  const auto result = std::from_chars(text.data() + start, text.data() + i, value);
  if (result.ec == std::errc::result_out_of_range) {
    value = wholeNonZero ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

std::string FormatDecimal(double value) {
  char buffer[400];
  const double magnitude = std::fabs(value);
  if (!std::isfinite(value) || magnitude >= 1e15) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
  }
  // The digits far enough past the second decimal that the third is exact,
  // so that halves (and only halves) round up: 0.125 gives 0.13, 2.675
  // (really 2.67499...) gives 2.67.
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, 60);
  const std::string_view digits(buffer, static_cast<size_t>(result.ptr - buffer));
  const size_t point = digits.find('.');
  uint64_t hundredths = 0;
  for (size_t i = 0; i < point; ++i) hundredths = hundredths * 10 + static_cast<uint64_t>(digits[i] - '0');
  hundredths = hundredths * 100 + static_cast<uint64_t>(digits[point + 1] - '0') * 10 +
               static_cast<uint64_t>(digits[point + 2] - '0');
  if (digits[point + 3] >= '5') ++hundredths;
  std::string out;
  if (value < 0 && hundredths != 0) out.push_back('-');
  out += std::to_string(hundredths / 100);
  out.push_back('.');
  out.push_back(static_cast<char>('0' + (hundredths / 10) % 10));
  out.push_back(static_cast<char>('0' + hundredths % 10));
  return out;
}

std::string IntegerBytes(int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return out;
}
