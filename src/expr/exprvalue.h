#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/korobject.h"
#include "foundation/korsmptetimecode.h"

// Kinds of value an expression can produce.
enum class ExprType : uint8_t {
  kEmpty,     // nothing parsed or computed
  kBoolean,
  kInteger,   // 32-bit signed
  kDecimal,   // 64-bit floating point
  kBytes,     // byte string, may hold zero bytes
  kPercent,   // written with a trailing %, held as its fraction
  kTimecode,
  kList,      // show controller list variables
  kText,      // a literal that is nothing else
  kDateTime,  // show controller variables
};

// The tagged value of an expression node. A literal keeps the text it was
// written as; the integer, decimal and byte forms are converted on demand
// from the current type and cached.
class ExprValue {
 public:
  ExprValue() = default;

  ExprType GetType() const { return m_type; }
  bool IsEmpty() const { return m_type == ExprType::kEmpty; }
  // Decimal or percent: the kinds that make arithmetic floating point.
  bool IsDecimalKind() const { return m_type == ExprType::kDecimal || m_type == ExprType::kPercent; }
  // True for a value classified from literal text (its text form is that text).
  bool IsLiteral() const { return m_literal; }

  // Back to empty; the bit masks stay.
  void Clear();
  void SetBoolean(bool value);
  // The bit masks, when set, are applied to the integer stored.
  void SetInteger(int32_t value);
  void SetDecimal(double value);
  void SetPercent(double fraction);
  void SetBytes(std::string bytes);
  void SetTimecode(const KorSMPTETimecode_c& timecode);
  // Classifies the text of a leaf, spaces included: empty or spaces only give
  // no value; then integer, decimal, boolean word, percent, timecode, byte
  // notation yielding at least one byte or holding a quoted run (so "" is
  // no bytes), and otherwise plain text.
  void SetFromLiteral(std::string_view text);

  // The "or" and "and" masks applied to every integer stored; 0 means no mask.
  void SetMasks(uint32_t orMask, uint32_t andMask);

  int32_t ToInteger() const;
  double ToDecimal() const;
  // The byte form: an integer as its 4 bytes least significant first, a byte
  // string as it is, anything else as the characters of its text form.
  const std::string& ToBytes() const;
  // The string representation: a literal's own text, "true"/"false", decimal
  // digits, a decimal with two fraction digits, computed bytes in byte notation.
  std::string ToText() const;
  // The value as a timecode: a timecode as it is, numbers as a frame count,
  // texts and bytes read in timecode notation.
  void ToTimecode(KorSMPTETimecode_c* timecode) const;

  // Moves the byte form out, leaving the value empty (saves copying large
  // intermediate results).
  std::string TakeBytes();

 private:
  void SetType(ExprType type);
  // Whether a byte string's text form opens with a double quote.
  bool IsQuoted() const;

  ExprType m_type = ExprType::kEmpty;
  bool m_literal = false;
  mutable bool m_bytesValid = false;
  uint8_t m_rateIndex = KOR_SMPTE_30;  // timecode
  KorBool m_dropFrame = KOR_TRUE;      // timecode
  int32_t m_integer = 0;               // integer, boolean, or a timecode's frame count
  double m_decimal = 0.0;
  uint32_t m_orMask = 0;
  uint32_t m_andMask = 0;
  std::string m_text;  // the literal text
  mutable std::string m_bytes;
};
