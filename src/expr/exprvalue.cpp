#include "expr/exprvalue.h"

#include <array>
#include <utility>

#include "expr/exprbytes.h"

namespace {

enum class NumberKind { kNone, kInteger, kDecimal };

// Optional spaces, an optional "-", digits with at most one "." among them,
// optional spaces; a space between digits makes it no number.
NumberKind ClassifyNumber(std::string_view text, int32_t* integer, double* decimal) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  const size_t start = i;
  if (i < n && text[i] == '-') ++i;
  size_t digits = 0;
  size_t dots = 0;
  for (; i < n; ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
    } else if (text[i] == '.' && dots == 0) {
      ++dots;
    } else {
      break;
    }
  }
  const size_t stop = i;
  while (i < n && text[i] == ' ') ++i;
  if (i != n || digits == 0) return NumberKind::kNone;
  const std::string_view number = text.substr(start, stop - start);
  if (dots == 0) {
    *integer = ReadDecimalInteger(number);
    return NumberKind::kInteger;
  }
  *decimal = ReadDecimalNumber(number);
  return NumberKind::kDecimal;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Whole-text boolean words; false word first in each pair.
bool ReadBooleanWord(std::string_view text, bool* value) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kWords = {{
      {"false", "true"}, {"off", "on"}, {"no", "yes"}, {"disabled", "enabled"}}};
  for (const auto& [falseWord, trueWord] : kWords) {
    if (EqualsIgnoringCase(text, falseWord)) {
      *value = false;
      return true;
    }
    if (EqualsIgnoringCase(text, trueWord)) {
      *value = true;
      return true;
    }
  }
  return false;
}

// 2 to 4 characters ending in "%" after a number; the fraction (50% is 0.5).
bool ReadPercent(std::string_view text, double* fraction) {
  if (text.size() < 2 || text.size() > 4 || text.back() != '%') return false;
  int32_t integer = 0;
  double decimal = 0.0;
  switch (ClassifyNumber(text.substr(0, text.size() - 1), &integer, &decimal)) {
    case NumberKind::kInteger:
      *fraction = integer / 100.0;
      return true;
    case NumberKind::kDecimal:
      *fraction = decimal / 100.0;
      return true;
    default:
      return false;
  }
}

bool IsTimecodeSeparator(char c) { return c == '.' || c == ':' || c == ';' || c == ' '; }

// A timecode text holds only digits and separators (trailing white space
// aside), with at least one of each, and reads cleanly.
bool ReadTimecode(std::string_view text, KorSMPTETimecode_c* timecode) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r' ||
                     text[end - 1] == '\n')) {
    --end;
  }
  bool digit = false;
  bool separator = false;
  for (size_t i = 0; i < end; ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      digit = true;
    } else if (IsTimecodeSeparator(text[i])) {
      separator = true;
    } else {
      return false;
    }
  }
  return digit && separator &&
         timecode->SetFromText(text.data(), static_cast<int32_t>(text.size())) == KOR_OK;
}

// Whether the byte notation of these bytes opens with a quoted run.
bool StartsQuoted(std::string_view bytes) {
  if (bytes.empty()) return false;
  const auto first = static_cast<unsigned char>(bytes[0]);
  return (first >= 0x20 && first <= 0x7E) || first == '\n' || first == '\r' || first == '\t';
}

}  // namespace

void ExprValue::SetType(ExprType type) {
  m_type = type;
  m_literal = false;
  m_bytesValid = false;
  // Release the storage too: a cleared value may have held a large byte string.
  std::string().swap(m_text);
  std::string().swap(m_bytes);
}

void ExprValue::Clear() { SetType(ExprType::kEmpty); }

void ExprValue::SetBoolean(bool value) {
  SetType(ExprType::kBoolean);
  m_integer = value ? 1 : 0;
}

void ExprValue::SetInteger(int32_t value) {
  SetType(ExprType::kInteger);
  auto bits = static_cast<uint32_t>(value);
  if (m_orMask != 0) bits |= m_orMask;
  if (m_andMask != 0) bits &= m_andMask;
  m_integer = static_cast<int32_t>(bits);
}

void ExprValue::SetDecimal(double value) {
  SetType(ExprType::kDecimal);
  m_decimal = value;
}

void ExprValue::SetPercent(double fraction) {
  SetType(ExprType::kPercent);
  m_decimal = fraction;
}

void ExprValue::SetBytes(std::string bytes) {
  SetType(ExprType::kBytes);
  m_bytes = std::move(bytes);
  m_bytesValid = true;
}

void ExprValue::SetTimecode(const KorSMPTETimecode_c& timecode) {
  SetType(ExprType::kTimecode);
  m_integer = static_cast<int32_t>(timecode.GetFrameCount());
  m_rateIndex = timecode.GetRateIndex();
  m_dropFrame = timecode.GetDropFrame();
}

void ExprValue::SetMasks(uint32_t orMask, uint32_t andMask) {
  m_orMask = orMask;
  m_andMask = andMask;
}

void ExprValue::SetFromLiteral(std::string_view text) {
  Clear();
  if (text.find_first_not_of(' ') == std::string_view::npos) return;  // no value

  int32_t integer = 0;
  double decimal = 0.0;
  bool flag = false;
  std::string bytes;
  KorSMPTETimecode_c timecode;
  switch (ClassifyNumber(text, &integer, &decimal)) {
    case NumberKind::kInteger:
      SetInteger(integer);
      break;
    case NumberKind::kDecimal:
      SetDecimal(decimal);
      break;
    case NumberKind::kNone:
      if (ReadBooleanWord(text, &flag)) {
        SetBoolean(flag);
      } else if (ReadPercent(text, &decimal)) {
        SetPercent(decimal);
      } else if (ReadTimecode(text, &timecode)) {
        SetTimecode(timecode);
      } else if (ParseByteNotation(text, &bytes) &&
                 (!bytes.empty() || text.find('"') != std::string_view::npos)) {
        // A quoted run is bytes even when it holds none: "" sends nothing.
        SetBytes(std::move(bytes));
      } else {
        SetType(ExprType::kText);
      }
      break;
  }
  m_literal = true;
  m_text.assign(text);
}

bool ExprValue::IsQuoted() const {
  if (!m_literal) return StartsQuoted(m_bytes);
  const size_t first = m_text.find_first_not_of(' ');
  return first != std::string::npos && m_text[first] == '"';
}

int32_t ExprValue::ToInteger() const {
  switch (m_type) {
    case ExprType::kBoolean:
    case ExprType::kInteger:
    case ExprType::kTimecode:
      return m_integer;
    case ExprType::kDecimal:
    case ExprType::kPercent:
      return TruncateToInt32(m_decimal);
    case ExprType::kBytes: {
      // A quoted text reads as a decimal number; a single unquoted byte as its value.
      if (IsQuoted()) return ReadDecimalInteger(m_bytes);
      return m_bytes.size() == 1 ? static_cast<unsigned char>(m_bytes[0]) : 0;
    }
    default:
      return 0;
  }
}

double ExprValue::ToDecimal() const {
  switch (m_type) {
    case ExprType::kDecimal:
    case ExprType::kPercent:
      return m_decimal;
    case ExprType::kBytes: {
      if (IsQuoted()) return ReadDecimalNumber(m_bytes);
      return m_bytes.size() == 1 ? static_cast<unsigned char>(m_bytes[0]) : 0.0;
    }
    default:
      return ToInteger();
  }
}

const std::string& ExprValue::ToBytes() const {
  if (!m_bytesValid) {
    switch (m_type) {
      case ExprType::kEmpty:
        m_bytes.clear();
        break;
      case ExprType::kInteger:
        m_bytes = IntegerBytes(m_integer);
        break;
      default:
        m_bytes = ToText();
        break;
    }
    m_bytesValid = true;
  }
  return m_bytes;
}

std::string ExprValue::ToText() const {
  if (m_literal) return m_text;
  switch (m_type) {
    case ExprType::kBoolean:
      return m_integer != 0 ? "true" : "false";
    case ExprType::kInteger:
      return std::to_string(m_integer);
    case ExprType::kDecimal:
      return FormatDecimal(m_decimal);
    case ExprType::kPercent:
      return FormatDecimal(m_decimal * 100.0) + "%";
    case ExprType::kBytes:
    case ExprType::kList:
      return WriteByteNotation(m_bytes);
    case ExprType::kTimecode: {
      KorSMPTETimecode_c timecode;
      ToTimecode(&timecode);
      return timecode.ToText();
    }
    default:
      return std::string();
  }
}

void ExprValue::ToTimecode(KorSMPTETimecode_c* timecode) const {
  timecode->SetDropFrame(KOR_TRUE);
  timecode->SetRateIndex(KOR_SMPTE_30);
  timecode->SetFrameCount(0);
  switch (m_type) {
    case ExprType::kTimecode:
      timecode->SetDropFrame(m_dropFrame);
      timecode->SetRateIndex(m_rateIndex);
      timecode->SetFrameCount(static_cast<uint32_t>(m_integer));
      break;
    case ExprType::kBoolean:
    case ExprType::kInteger:
    case ExprType::kDecimal:
    case ExprType::kPercent: {
      // A negative count is taken from the end of the day.
      const int64_t day = timecode->GetFramesPerDay();
      const int64_t count = ((int64_t{ToInteger()} % day) + day) % day;
      timecode->SetFrameCount(static_cast<uint32_t>(count));
      break;
    }
    case ExprType::kBytes:
    case ExprType::kText: {
      const std::string& bytes = ToBytes();
      timecode->SetFromText(bytes.data(), static_cast<int32_t>(bytes.size()));
      break;
    }
    default:
      break;
  }
}

std::string ExprValue::TakeBytes() {
  std::string bytes;
  if (m_type == ExprType::kBytes) {
    bytes = std::move(m_bytes);
  } else {
    bytes = ToBytes();
  }
  Clear();
  return bytes;
}
