#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/korbuffer.h"
#include "foundation/korlist.h"
#include "foundation/korobject.h"
#include "foundation/korpool.h"
#include "foundation/korstring.h"

// Type tags of KorValue_c.
inline constexpr uint8_t KOR_TYPE_EMPTY = 0;
inline constexpr uint8_t KOR_TYPE_STRING = 1;
inline constexpr uint8_t KOR_TYPE_DECIMAL = 2;
inline constexpr uint8_t KOR_TYPE_SIGNED = 7;
inline constexpr uint8_t KOR_TYPE_UNSIGNED = 8;
inline constexpr uint8_t KOR_TYPE_BOOLEAN = 9;
inline constexpr uint8_t KOR_TYPE_BYTES = 10;

// Boolean word styles (false word / true word).
inline constexpr int8_t KOR_BOOL_STYLE_ANY = -1;  // reading only: tries 4, 3, 2, 1, 0
inline constexpr int8_t KOR_BOOL_STYLE_TRUE_FALSE = 0;
inline constexpr int8_t KOR_BOOL_STYLE_ON_OFF = 1;
inline constexpr int8_t KOR_BOOL_STYLE_YES_NO = 2;
inline constexpr int8_t KOR_BOOL_STYLE_ENABLED_DISABLED = 3;
inline constexpr int8_t KOR_BOOL_STYLE_1_0 = 4;

// The word for value in style 0..4; "true"/"false" for any other style.
const char* KorBooleanWord(bool value, int8_t style = KOR_BOOL_STYLE_TRUE_FALSE);
// Reads a whole text (ASCII case ignored) as a boolean word of style, or of
// any style. KOR_FAIL (value untouched) when nothing matches.
KorStatus KorParseBoolean(std::string_view text, bool* value, int8_t style = KOR_BOOL_STYLE_ANY);

// One value in up to four representations (integer, decimal, string,
// bytes), converted on demand and cached, with a type tag.
class KorValue_c : public KorObject_c {
 public:
  // From the pool, next to the XML node that holds it.
  KOR_POOLED_CLASS

  KorValue_c();
  ~KorValue_c() override;

  KorStatus CopyInto(KorObject_c* target) const override;
  std::unique_ptr<KorObject_c> CreateNew() const override;

  // The string becomes the only valid representation; the tag becomes
  // string, or the detected tag when detect is true. length -1: up to the
  // first zero byte.
  KorStatus SetFromText(const char* bytes, int32_t length = -1, bool detect = false);
  KorStatus SetText(std::string_view text, bool detect = false) {
    return SetFromText(text.data() ? text.data() : "", static_cast<int32_t>(text.size()), detect);
  }
  void SetInteger(int32_t value);                         // tag 7
  void SetUnsigned(uint32_t value);                       // tag 8
  void SetBoolean(bool value);                            // tag 9, integer 1 or 0
  void SetDecimal(double value);                          // tag 2
  KorStatus SetBytes(const void* bytes, int32_t length);  // tag 10
  // Invalidates every representation and sets the tag; clearing to
  // KOR_TYPE_EMPTY makes every representation valid and zero/empty.
  void ClearTo(uint8_t type);

  uint8_t GetType() const { return m_type; }
  bool IsEmpty() const { return m_type == KOR_TYPE_EMPTY; }

  // Conversions; status (optional) is set to KOR_FAIL when the value could
  // not be converted, KOR_OK otherwise.
  int32_t ToInteger(KorStatus* status = nullptr) const;
  double ToDecimal(KorStatus* status = nullptr) const;
  const KorString_c& ToString(KorStatus* status = nullptr) const;
  const KorBuffer_c& ToBytes(KorStatus* status = nullptr) const;
  std::string ToStdString() const { return ToString().ToStdString(); }
  // The text read as a boolean word of the given style (KOR_FAIL when not a word).
  KorStatus ToBoolean(bool* value, int8_t style = KOR_BOOL_STYLE_ANY) const;

  // Signedness of the integer (KOR_TRUE: written as signed).
  KorBool GetSigned() const { return m_signed; }
  void SetSigned(KorBool flag) {
    BeforeChange();
    m_signed = flag;
  }
  // Fractional digits written for a decimal (0..9, default 2).
  uint8_t GetPrecision() const { return m_precision; }
  void SetPrecision(uint8_t digits);
  // Decimal to integer: 1 away from zero, 2 toward zero, 3 to nearest
  // (halves away from zero), anything else toward zero.
  uint8_t GetWholeNumberRule() const { return m_wholeRule; }
  void SetWholeNumberRule(uint8_t rule) {
    BeforeChange();
    m_wholeRule = rule;
  }

  // Type detection of a text: KOR_TYPE_EMPTY, _STRING, _DECIMAL, _SIGNED or _UNSIGNED.
  static uint8_t DetectType(const char* bytes, int32_t length);

 protected:
  // Called before anything about the value changes, conversions that
  // reclassify it included.
  virtual void BeforeChange() const {}

 private:
  void InvalidateAll() const;
  void ResetToEmpty() const;

  // A conversion may reclassify the value (a text read as a boolean word,
  // an integer too large for the signed range), hence mutable. Members are
  // ordered to pack tightly.
  mutable uint8_t m_type = KOR_TYPE_EMPTY;
  mutable KorBool m_signed = KOR_TRUE;
  uint8_t m_precision = 2;
  uint8_t m_wholeRule = 0;
  // Conversions fill these caches lazily, hence mutable.
  mutable int32_t m_integer = 0;
  mutable KorBool m_integerValid = KOR_TRUE;
  mutable KorBool m_decimalValid = KOR_TRUE;
  mutable KorBool m_stringValid = KOR_TRUE;
  mutable KorBool m_bytesValid = KOR_TRUE;
  mutable double m_decimal = 0.0;
  mutable KorString_c m_string;  // allocates nothing while empty or short
  mutable std::unique_ptr<KorBuffer_c> m_bytes;
};

// A value that also keeps snapshots of earlier states.
//
// A snapshot is stored lazily: TakeSnapshot only notes that a copy of the
// current state is owed, and the copy is made when the value is about to
// change or the snapshots are looked at. Every value a loaded document
// hands out has one owed, and most never change, so no copy is made for
// them, without changing what the snapshots hold.
class KorHistoryValue_c : public KorValue_c {
 public:
  KorHistoryValue_c();

  KorStatus CopyInto(KorObject_c* target) const override;  // value, limit and snapshots
  std::unique_ptr<KorObject_c> CreateNew() const override;

  // Drops snapshots newer than the list's cursor, trims the oldest so that
  // at most the limit remain, and stores a copy of the current value (none
  // with a limit of 0).
  KorStatus TakeSnapshot();
  // -1 unlimited (default); 0 discards the list.
  int32_t GetHistoryLimit() const { return m_limit; }
  void SetHistoryLimit(int32_t limit);
  // Owned list of KorValue_c copies, oldest first; null until the first snapshot.
  KorList_c* Snapshots() {
    SettleSnapshot();
    return m_snapshots.get();
  }
  const KorList_c* Snapshots() const {
    SettleSnapshot();
    return m_snapshots.get();
  }
  uint32_t SnapshotCount() const {
    SettleSnapshot();
    return m_snapshots ? m_snapshots->Count() : 0;
  }

 protected:
  void BeforeChange() const override { SettleSnapshot(); }

 private:
  // Stores the snapshot TakeSnapshot owes, if any.
  void SettleSnapshot() const;

  mutable std::unique_ptr<KorList_c> m_snapshots;
  int32_t m_limit = -1;
  mutable bool m_snapshotOwed = false;
};
