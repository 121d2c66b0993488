#include "foundation/korvalue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr const char* kBooleanWords[5][2] = {
    {"false", "true"}, {"off", "on"}, {"no", "yes"}, {"disabled", "enabled"}, {"0", "1"}};

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int32_t ClampToInt32(double d) {
  if (std::isnan(d)) return 0;
  if (d >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  if (d <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(d);
}

// Where the number starts in text: bytes before the first digit are
// skipped, a '-' among them makes it negative, anything else fails. A '.'
// directly followed by a digit also starts the number (decimals only).
bool FindNumberStart(std::string_view text, bool allowPoint, size_t* start, bool* negative) {
  *negative = false;
  bool failed = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c) || (allowPoint && c == '.' && i + 1 < text.size() && IsDigit(text[i + 1]))) {
      *start = i;
      return !failed;
    }
    if (c == '-') {
      *negative = true;
    } else {
      failed = true;
    }
  }
  return false;  // no digits at all
}

}  // namespace

const char* KorBooleanWord(bool value, int8_t style) {
  if (style < 0 || style > 4) style = KOR_BOOL_STYLE_TRUE_FALSE;
  return kBooleanWords[style][value ? 1 : 0];
}

KorStatus KorParseBoolean(std::string_view text, bool* value, int8_t style) {
  auto matches = [&](int8_t s) -> bool {
    if (KorString_c::EqualsIgnoreCase(text, kBooleanWords[s][1])) {
      if (value) *value = true;
      return true;
    }
    if (KorString_c::EqualsIgnoreCase(text, kBooleanWords[s][0])) {
      if (value) *value = false;
      return true;
    }
    return false;
  };
  if (style >= 0 && style <= 4) return matches(style) ? KOR_OK : KOR_FAIL;
  if (style != KOR_BOOL_STYLE_ANY) return KOR_FAIL;
  for (int8_t s = 4; s >= 0; --s) {
    if (matches(s)) return KOR_OK;
  }
  return KOR_FAIL;
}

KorValue_c::KorValue_c() = default;
KorValue_c::~KorValue_c() = default;

KorStatus KorValue_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorValue_c*>(target);
  if (other == nullptr || KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  if (other == this) return KOR_OK;
  other->BeforeChange();
  other->m_type = m_type;
  other->m_signed = m_signed;
  other->m_precision = m_precision;
  other->m_wholeRule = m_wholeRule;
  other->m_integer = m_integer;
  other->m_decimal = m_decimal;
  other->m_integerValid = m_integerValid;
  other->m_decimalValid = m_decimalValid;
  other->m_stringValid = m_stringValid;
  other->m_bytesValid = m_bytesValid;
  other->m_string.Set(m_string);
  other->m_bytes.reset();
  if (m_bytes) {
    other->m_bytes = std::make_unique<KorBuffer_c>();
    if (m_bytes->CopyInto(other->m_bytes.get()) != KOR_OK) return KOR_FAIL;
  }
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorValue_c::CreateNew() const {
  return std::make_unique<KorValue_c>();
}

void KorValue_c::InvalidateAll() const {
  BeforeChange();
  m_integerValid = KOR_FALSE;
  m_decimalValid = KOR_FALSE;
  m_stringValid = KOR_FALSE;
  m_bytesValid = KOR_FALSE;
}

KorStatus KorValue_c::SetFromText(const char* bytes, int32_t length, bool detect) {
  if (bytes == nullptr) {
    if (length > 0) return KOR_FAIL;
    bytes = "";
    length = 0;
  }
  if (length < 0) length = static_cast<int32_t>(std::strlen(bytes));
  BeforeChange();
  if (m_string.Set(bytes, length) != KOR_OK) return KOR_FAIL;
  InvalidateAll();
  m_stringValid = KOR_TRUE;
  m_type = detect ? DetectType(bytes, length) : KOR_TYPE_STRING;
  return KOR_OK;
}

void KorValue_c::SetInteger(int32_t value) {
  InvalidateAll();
  m_integer = value;
  m_integerValid = KOR_TRUE;
  m_signed = KOR_TRUE;
  m_type = KOR_TYPE_SIGNED;
}

void KorValue_c::SetUnsigned(uint32_t value) {
  InvalidateAll();
  m_integer = static_cast<int32_t>(value);
  m_integerValid = KOR_TRUE;
  m_signed = KOR_FALSE;
  m_type = KOR_TYPE_UNSIGNED;
}

void KorValue_c::SetBoolean(bool value) {
  InvalidateAll();
  m_integer = value ? 1 : 0;
  m_integerValid = KOR_TRUE;
  m_signed = KOR_TRUE;
  m_type = KOR_TYPE_BOOLEAN;
}

void KorValue_c::SetDecimal(double value) {
  InvalidateAll();
  m_decimal = value;
  m_decimalValid = KOR_TRUE;
  m_type = KOR_TYPE_DECIMAL;
}

KorStatus KorValue_c::SetBytes(const void* bytes, int32_t length) {
  if (length < 0 || (bytes == nullptr && length > 0)) return KOR_FAIL;
  auto fresh = std::make_unique<KorBuffer_c>();
  if (fresh->Assign(bytes, length) != KOR_OK) return KOR_FAIL;
  InvalidateAll();
  m_bytes = std::move(fresh);
  m_bytesValid = KOR_TRUE;
  m_type = KOR_TYPE_BYTES;
  return KOR_OK;
}

void KorValue_c::ClearTo(uint8_t type) {
  if (type == KOR_TYPE_EMPTY) {
    ResetToEmpty();
    return;
  }
  InvalidateAll();
  m_type = type;
}

void KorValue_c::ResetToEmpty() const {
  BeforeChange();
  m_type = KOR_TYPE_EMPTY;
  m_integer = 0;
  m_decimal = 0.0;
  m_string.Clear();
  if (m_bytes) m_bytes->Resize(0);
  m_integerValid = m_decimalValid = m_stringValid = m_bytesValid = KOR_TRUE;
}

void KorValue_c::SetPrecision(uint8_t digits) {
  BeforeChange();
  m_precision = digits > 9 ? 9 : digits;
}

int32_t KorValue_c::ToInteger(KorStatus* status) const {
  if (status) *status = KOR_OK;
  if (KorIsTrue(m_integerValid)) return m_integer;
  if (KorIsTrue(m_decimalValid)) {
    double d = m_decimal;
    switch (m_wholeRule) {
      case 1:
        d = d < 0 ? std::floor(d) : std::ceil(d);
        break;
      case 3:
        d = std::round(d);
        break;
      default:
        d = std::trunc(d);
        break;
    }
    m_integer = ClampToInt32(d);
    m_integerValid = KOR_TRUE;
    return m_integer;
  }
  if (KorIsTrue(m_stringValid)) {
    const std::string_view text = m_string.View();
    size_t start = 0;
    bool negative = false;
    if (FindNumberStart(text, false, &start, &negative)) {
      // Saturate at what 32 bits can carry (unsigned upwards, signed downwards).
      uint64_t magnitude = 0;
      for (size_t i = start; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
        if (magnitude > UINT32_MAX) magnitude = UINT32_MAX;
      }
      if (negative) {
        const uint64_t limit = uint64_t{1} << 31;
        m_integer = magnitude >= limit ? std::numeric_limits<int32_t>::min()
                                       : -static_cast<int32_t>(magnitude);
      } else {
        m_integer = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
          m_signed = KOR_FALSE;
        }
      }
      m_integerValid = KOR_TRUE;
      return m_integer;
    }
    bool word = false;
    if (KorParseBoolean(text, &word) == KOR_OK) {
      BeforeChange();
      m_integer = word ? 1 : 0;
      m_integerValid = KOR_TRUE;
      m_type = KOR_TYPE_BOOLEAN;
      return m_integer;
    }
    if (status) *status = KOR_FAIL;
    return 0;
  }
  if (KorIsTrue(m_bytesValid) && m_bytes) {
    // Big-endian value of the first four bytes.
    uint32_t v = 0;
    const std::string_view bytes = m_bytes->View();
    for (size_t i = 0; i < bytes.size() && i < 4; ++i) {
      v = (v << 8) | static_cast<uint8_t>(bytes[i]);
    }
    m_integer = static_cast<int32_t>(v);
    m_integerValid = KOR_TRUE;
    return m_integer;
  }
  ResetToEmpty();
  if (status) *status = KOR_FAIL;
  return 0;
}

double KorValue_c::ToDecimal(KorStatus* status) const {
  if (status) *status = KOR_OK;
  if (KorIsTrue(m_decimalValid)) return m_decimal;
  // The text wins over an integer cached from it: "1.5" read as an integer
  // first must still give 1.5 here.
  if (KorIsTrue(m_stringValid)) {
    const std::string_view text = m_string.View();
    size_t start = 0;
    bool negative = false;
    double d = 0.0;
    if (FindNumberStart(text, true, &start, &negative) &&
        std::from_chars(text.data() + start, text.data() + text.size(), d, std::chars_format::fixed)
                .ec == std::errc()) {
      m_decimal = negative ? -d : d;
      m_decimalValid = KOR_TRUE;
      return m_decimal;
    }
    if (!KorIsTrue(m_integerValid)) {
      if (status) *status = KOR_FAIL;
      return 0.0;
    }
  }
  if (KorIsTrue(m_integerValid) && m_type != KOR_TYPE_BYTES) {
    m_decimal = KorIsTrue(m_signed) ? static_cast<double>(m_integer)
                                    : static_cast<double>(static_cast<uint32_t>(m_integer));
    m_decimalValid = KOR_TRUE;
    return m_decimal;
  }
  if (KorIsTrue(m_bytesValid) && status) *status = KOR_FAIL;
  return 0.0;
}

const KorString_c& KorValue_c::ToString(KorStatus* status) const {
  if (status) *status = KOR_OK;
  if (KorIsTrue(m_stringValid)) return m_string;
  // A decimal keeps its fraction, and bytes their bytes, even after an
  // integer was cached from them.
  const bool ownFormFirst =
      (m_type == KOR_TYPE_DECIMAL && KorIsTrue(m_decimalValid)) || m_type == KOR_TYPE_BYTES;
  if (KorIsTrue(m_integerValid) && !ownFormFirst) {
    if (m_type == KOR_TYPE_BOOLEAN) {
      m_string.Set(KorBooleanWord(m_integer != 0));
    } else if (KorIsTrue(m_signed)) {
      m_string.Set(std::to_string(m_integer));
    } else {
      m_string.Set(std::to_string(static_cast<uint32_t>(m_integer)));
    }
  } else if (KorIsTrue(m_decimalValid)) {
    const double magnitude = std::fabs(m_decimal);
    const uint8_t p = m_precision > 9 ? 9 : m_precision;
    const double scale = std::pow(10.0, p);
    const double scaled = magnitude * scale;
    if (!std::isfinite(m_decimal) || scaled >= 1.8e19) {
      char text[400];
      std::snprintf(text, sizeof text, "%.*f", p, m_decimal);
      m_string.Set(text);
    } else {
      // Halves go up; the tiny relative nudge keeps values such as 1.005
      // (stored just below the half) rounding the way they read.
      const auto n = static_cast<uint64_t>(std::floor(scaled + 0.5 + scaled * 1e-12));
      const auto unit = static_cast<uint64_t>(scale);
      std::string out = (m_decimal < 0 && n != 0) ? "-" : "";
      out += std::to_string(n / unit);
      if (p > 0) {
        std::string fraction = std::to_string(n % unit);
        out += '.';
        out.append(p - fraction.size(), '0');
        out += fraction;
      }
      m_string.Set(out);
    }
  } else if (KorIsTrue(m_bytesValid) && m_bytes) {
    m_string.Set(m_bytes->View());
  } else {
    m_string.Clear();
  }
  m_stringValid = KOR_TRUE;
  return m_string;
}

const KorBuffer_c& KorValue_c::ToBytes(KorStatus* status) const {
  if (status) *status = KOR_OK;
  if (!m_bytes) m_bytes = std::make_unique<KorBuffer_c>();
  if (KorIsTrue(m_bytesValid)) return *m_bytes;
  const KorString_c& text = ToString(status);
  m_bytes->Assign(text.View());
  m_bytesValid = KOR_TRUE;
  return *m_bytes;
}

KorStatus KorValue_c::ToBoolean(bool* value, int8_t style) const {
  return KorParseBoolean(ToString().View(), value, style);
}

uint8_t KorValue_c::DetectType(const char* bytes, int32_t length) {
  if (bytes == nullptr) return KOR_TYPE_EMPTY;
  if (length < 0) length = static_cast<int32_t>(std::strlen(bytes));
  uint8_t state = KOR_TYPE_EMPTY;
  int32_t spaces = 0;
  for (int32_t i = 0; i < length; ++i) {
    const char c = bytes[i];
    if (state == KOR_TYPE_EMPTY) {
      if (IsDigit(c)) {
        state = KOR_TYPE_UNSIGNED;
      } else if (c == '.') {
        state = KOR_TYPE_DECIMAL;
      } else if (c == '-') {
        state = KOR_TYPE_SIGNED;
      } else if (c != ' ') {
        return KOR_TYPE_STRING;
      }
    } else if (state == KOR_TYPE_SIGNED || state == KOR_TYPE_UNSIGNED) {
      if (c == ' ') {
        ++spaces;
      } else if ((IsDigit(c) || c == '.') && spaces == 0) {
        if (c == '.') state = KOR_TYPE_DECIMAL;
      } else {
        return KOR_TYPE_STRING;
      }
    } else {  // decimal
      if (c == ' ') {
        ++spaces;
      } else if (!IsDigit(c) || spaces > 0) {
        return KOR_TYPE_STRING;
      }
    }
  }
  return state;
}

KorHistoryValue_c::KorHistoryValue_c() = default;

KorStatus KorHistoryValue_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorHistoryValue_c*>(target);
  if (other == nullptr) return KOR_FAIL;
  SettleSnapshot();
  if (KorValue_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  if (other == this) return KOR_OK;
  other->m_limit = m_limit;
  other->m_snapshots.reset();
  if (m_snapshots) {
    other->m_snapshots = m_snapshots->CloneAs<KorList_c>();
    if (!other->m_snapshots) return KOR_FAIL;
  }
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorHistoryValue_c::CreateNew() const {
  return std::make_unique<KorHistoryValue_c>();
}

KorStatus KorHistoryValue_c::TakeSnapshot() {
  if (m_limit == 0) {
    m_snapshots.reset();
    m_snapshotOwed = false;
    return KOR_OK;
  }
  // Two snapshots of the same state are two copies.
  SettleSnapshot();
  m_snapshotOwed = true;
  return KOR_OK;
}

void KorHistoryValue_c::SettleSnapshot() const {
  if (!m_snapshotOwed) return;
  m_snapshotOwed = false;
  if (!m_snapshots) m_snapshots = std::make_unique<KorList_c>(KOR_TRUE);
  KorList_c& list = *m_snapshots;
  // Snapshots after the cursor belong to a branch that is being replaced.
  if (!list.IsEmpty()) {
    const int32_t keep = list.Index() + 1;
    while (static_cast<int32_t>(list.Count()) > keep) {
      list.Last();
      list.RemoveCurrent();
    }
  }
  if (m_limit > 0) {
    while (static_cast<int32_t>(list.Count()) >= m_limit) {
      list.First();
      list.RemoveCurrent();
    }
  }
  auto copy = std::make_unique<KorValue_c>();
  if (KorValue_c::CopyInto(copy.get()) == KOR_OK) list.Append(std::move(copy));
}

void KorHistoryValue_c::SetHistoryLimit(int32_t limit) {
  SettleSnapshot();
  m_limit = limit < -1 ? -1 : limit;
  if (m_limit == 0) {
    m_snapshots.reset();
    return;
  }
  if (m_limit > 0 && m_snapshots) {
    while (static_cast<int32_t>(m_snapshots->Count()) > m_limit) {
      m_snapshots->First();
      m_snapshots->RemoveCurrent();
    }
    m_snapshots->Last();
  }
}
