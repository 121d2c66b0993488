#include "expr/bytenotation.h"

#include <array>

#include "expr/exprbytes.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0F]);
}

constexpr std::array<std::string_view, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

bool IsHexDigit(char c) { return HexDigitValue(c) >= 0; }

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ':'; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Reads the whole text as a hex list; false when any part is something else.
bool ReadHexList(std::string_view text, std::string* bytes) {
  size_t i = 0;
  const size_t n = text.size();
  bool any = false;
  while (i < n) {
    if (IsSeparator(text[i])) {
      // A list neither starts nor ends with a comma or colon.
      if (text[i] != ' ' && text[i] != '\t' && !any) return false;
      ++i;
      continue;
    }
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0 || text.compare(i, 2, "\\x") == 0) {
      i += 2;
    } else if (text[i] == '$') {
      ++i;
    }
    if (i + 2 > n || !IsHexDigit(text[i]) || !IsHexDigit(text[i + 1])) return false;
    bytes->push_back(static_cast<char>(HexDigitValue(text[i]) * 16 + HexDigitValue(text[i + 1])));
    i += 2;
    bool suffixed = false;
    if (i < n && (text[i] == 'h' || text[i] == 'H')) {
      suffixed = true;
      ++i;
    }
    // Two bytes run together only when a prefix or suffix shows where one ends.
    if (i < n && !IsSeparator(text[i]) && !suffixed) {
      const bool nextPrefixed = text[i] == '$' || text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0 ||
                                text.compare(i, 2, "\\x") == 0;
      if (!nextPrefixed) return false;
    }
    any = true;
  }
  if (any && (text.back() == ',' || text.back() == ':')) return false;
  return any;
}

void Fail(TypedBytes* result, size_t pos, std::string message) {
  result->ok = false;
  result->bytes.clear();
  result->errorPos = pos;
  result->error = std::move(message);
}

void ReadText(std::string_view text, TypedBytes* result) {
  std::string& out = result->bytes;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\\') {
      if (i + 1 >= text.size()) return Fail(result, i, "a backslash ends the text (write \\\\ for one)");
      const char e = text[i + 1];
      switch (e) {
        case 'r': out.push_back('\r'); break;
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case '\\': out.push_back('\\'); break;
        case '"': out.push_back('"'); break;
        case 'x':
        case 'X':
          if (i + 3 >= text.size() || !IsHexDigit(text[i + 2]) || !IsHexDigit(text[i + 3]))
            return Fail(result, i, "\\x needs two hex digits");
          out.push_back(static_cast<char>(HexDigitValue(text[i + 2]) * 16 + HexDigitValue(text[i + 3])));
          i += 2;
          break;
        default:
          return Fail(result, i, std::string("unknown escape \\") + e);
      }
      i += 2;
      continue;
    }
    if (c == '<') {
      // Letters and digits up to '>' name a control byte; anything else is a plain '<'.
      size_t j = i + 1;
      while (j < text.size() && ((text[j] >= 'A' && text[j] <= 'Z') || (text[j] >= 'a' && text[j] <= 'z') ||
                                 (text[j] >= '0' && text[j] <= '9')))
        ++j;
      if (j > i + 1 && j < text.size() && text[j] == '>') {
        std::string name;
        for (size_t k = i + 1; k < j; ++k) name.push_back(UpperAscii(text[k]));
        int found = -1;
        for (size_t b = 0; b < kControlNames.size(); ++b)
          if (kControlNames[b] == name) found = static_cast<int>(b);
        if (name == "DEL") found = 0x7F;
        if (found < 0) return Fail(result, i, "unknown control name <" + std::string(text.substr(i + 1, j - i - 1)) + ">");
        out.push_back(static_cast<char>(found));
        i = j + 1;
        continue;
      }
    }
    out.push_back(c);
    ++i;
  }
}

}  // namespace

TypedBytes ReadTypedBytes(std::string_view text) {
  TypedBytes result;
  std::string hex;
  if (ReadHexList(text, &hex)) {
    result.hexList = true;
    result.bytes = std::move(hex);
    return result;
  }
  ReadText(text, &result);
  return result;
}

TypedBytes ReadEscapedText(std::string_view text) {
  TypedBytes result;
  ReadText(text, &result);
  return result;
}

std::string WriteEscapedBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (byte) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      default:
        if (byte < 0x20 || byte >= 0x7F) {
          AppendHexEscape(out, byte);
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

std::string WriteFieldText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte >= 0x7F || byte == '\\') {
      AppendHexEscape(out, byte);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string WriteHexPairs(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (!out.empty()) out.push_back(' ');
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
  }
  return out;
}

std::string_view ControlName(unsigned char byte) {
  if (byte < kControlNames.size()) return kControlNames[byte];
  if (byte == 0x7F) return "DEL";
  return {};
}
