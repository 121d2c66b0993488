#include <algorithm>
#include <charconv>
#include <vector>

#include "expr/exprbytes.h"
#include "expr/exprfunctions.h"

namespace {

// One queued sprintf argument, kept in the kind it was queued as.
struct Argument {
  enum class Kind { kInteger, kDecimal, kBytes, kText };
  Kind kind = Kind::kText;  // a missing argument is the empty text
  int32_t integer = 0;
  double decimal = 0.0;
  std::string bytes;  // bytes, or the text form
};

Argument Queue(const ExprValue& value) {
  Argument argument;
  switch (value.GetType()) {
    case ExprType::kBoolean:
    case ExprType::kInteger:
      argument.kind = Argument::Kind::kInteger;
      argument.integer = value.ToInteger();
      break;
    case ExprType::kDecimal:
    case ExprType::kPercent:
      argument.kind = Argument::Kind::kDecimal;
      argument.decimal = value.ToDecimal();
      break;
    case ExprType::kBytes:
      argument.kind = Argument::Kind::kBytes;
      argument.bytes = value.ToBytes();
      break;
    default:
      argument.bytes = value.ToText();
      break;
  }
  return argument;
}

bool IsBinary(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte > 0x7E;
  });
}

// The first (up to) four bytes, least significant first.
int32_t LittleEndian(std::string_view bytes) {
  uint32_t value = 0;
  for (size_t i = 0; i < bytes.size() && i < 4; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return static_cast<int32_t>(value);
}

int32_t IntegerOf(const Argument& argument) {
  switch (argument.kind) {
    case Argument::Kind::kInteger: return argument.integer;
    case Argument::Kind::kDecimal: return TruncateToInt32(argument.decimal);
    case Argument::Kind::kBytes:
      return IsBinary(argument.bytes) ? LittleEndian(argument.bytes) : ReadDecimalInteger(argument.bytes);
    default: return ReadDecimalInteger(argument.bytes);
  }
}

double DecimalOf(const Argument& argument) {
  switch (argument.kind) {
    case Argument::Kind::kInteger: return argument.integer;
    case Argument::Kind::kDecimal: return argument.decimal;
    case Argument::Kind::kBytes:
      return IsBinary(argument.bytes) ? LittleEndian(argument.bytes) : ReadDecimalNumber(argument.bytes);
    default: return ReadDecimalNumber(argument.bytes);
  }
}

std::string TextOf(const Argument& argument) {
  switch (argument.kind) {
    case Argument::Kind::kInteger: return std::to_string(argument.integer);
    case Argument::Kind::kDecimal: return FormatDecimal(argument.decimal);
    default: return argument.bytes;
  }
}

std::string Hex(uint32_t value, bool upper) {
  char buffer[9];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  std::string text(buffer, result.ptr);
  if (upper) {
    for (char& c : text) {
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

std::string Fixed(double value, int precision) {
  // Enough for the largest double's integer digits plus the capped precision.
  std::vector<char> buffer(static_cast<size_t>(precision) + 400);
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, precision);
  if (result.ec != std::errc()) return std::string();
  return std::string(buffer.data(), result.ptr);
}

// Raw bytes for %p: an integer as its significant bytes or as many as the
// width asks for (never more than its four).
std::string RawBytes(const Argument& argument, int width) {
  if (argument.kind == Argument::Kind::kInteger || argument.kind == Argument::Kind::kDecimal) {
    const std::string all = IntegerBytes(IntegerOf(argument));
    size_t count = 4;
    if (width > 0) {
      count = std::min<size_t>(static_cast<size_t>(width), 4);
    } else {
      while (count > 1 && all[count - 1] == '\0') --count;
    }
    return all.substr(0, count);
  }
  std::string bytes = argument.bytes;
  if (width > 0 && bytes.size() < static_cast<size_t>(width)) {
    bytes.insert(0, static_cast<size_t>(width) - bytes.size(), '\0');
  }
  return bytes;
}

std::string Convert(char letter, const Argument& argument, bool zeroPad, int width, int precision) {
  std::string text;
  switch (letter) {
    case 'd': text = std::to_string(IntegerOf(argument)); break;
    case 'u': text = std::to_string(static_cast<uint32_t>(IntegerOf(argument))); break;
    case 'x': text = Hex(static_cast<uint32_t>(IntegerOf(argument)), false); break;
    case 'X': text = Hex(static_cast<uint32_t>(IntegerOf(argument)), true); break;
    case 'f': text = Fixed(DecimalOf(argument), precision < 0 ? 6 : precision); break;
    case 's': text = TextOf(argument); break;
    default: return RawBytes(argument, width);
  }
  // Right-aligned; the pad goes before any sign (-3 in 5 with 0 is 000-3).
  if (width > 0 && text.size() < static_cast<size_t>(width)) {
    text.insert(0, static_cast<size_t>(width) - text.size(), zeroPad ? '0' : ' ');
  }
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads digits at format[*pos], capped so that huge numbers cannot overflow.
int ReadCount(std::string_view format, size_t* pos) {
  int value = 0;
  while (*pos < format.size() && IsDigit(format[*pos])) {
    value = std::min(value * 10 + (format[*pos] - '0'), static_cast<int>(kSprintfLimit));
    ++*pos;
  }
  return value;
}

}  // namespace

std::string EvaluateSprintf(ExprNode& node) {
  // The format is the first argument's text form without its enclosing quotes.
  std::string format = node.EvaluateOperand(0).ToText();
  if (format.size() >= 2) format = format.substr(1, format.size() - 2);

  // Arguments are taken in order as the conversions consume them; evaluating
  // each only then is the same as queueing them all first, since evaluation
  // has no side effects, and keeps a huge argument list cheap.
  size_t next = 1;

  std::string out;
  size_t i = 0;
  while (i < format.size() && out.size() < kSprintfLimit) {
    const char c = format[i];
    if (c == '\\') {
      DecodeEscape(format, &i, &out);
      continue;
    }
    if (c != '%') {
      out.push_back(c);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool zeroPad = false;
    if (j < format.size() && format[j] == '0') {
      zeroPad = true;
      ++j;
    }
    const bool hasWidth = j < format.size() && IsDigit(format[j]);
    const int width = hasWidth ? ReadCount(format, &j) : -1;
    int precision = -1;
    if (j < format.size() && format[j] == '.') {
      ++j;
      precision = ReadCount(format, &j);
    }
    if (j < format.size() && std::string_view("pXxfuds").find(format[j]) != std::string_view::npos) {
      // A missing argument is the empty text (integer 0, no bytes).
      const Argument argument = next < node.Count() ? Queue(node.EvaluateOperand(next)) : Argument();
      node.ReleaseOperand(next);
      ++next;
      out += Convert(format[j], argument, zeroPad, width, precision);
      i = j + 1;
    } else {
      // Not a conversion: the characters stand as they are.
      out.append(format, i, j - i);
      i = j;
    }
  }
  if (out.size() > kSprintfLimit) out.resize(kSprintfLimit);
  return out;
}
