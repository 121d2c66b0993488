#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/korobject.h"
#include "foundation/korpool.h"

// A byte string (embedded zero bytes allowed), always followed by a zero
// byte. Comparisons ignoring case fold ASCII letters only.
class KorString_c : public KorObject_c {
 public:
  KorString_c() = default;
  explicit KorString_c(std::string_view text);

  KorStatus CopyInto(KorObject_c* target) const override;
  std::unique_ptr<KorObject_c> CreateNew() const override;
  virtual int32_t Length() const;

  // length -1: up to the first zero byte. A null pointer with length 0 or -1
  // makes the string empty; null with a positive length fails.
  KorStatus Set(const char* bytes, int32_t length = -1);
  KorStatus Set(std::string_view text) {
    return Set(text.data() ? text.data() : "", static_cast<int32_t>(text.size()));
  }
  KorStatus Set(const KorString_c& other);
  void Clear() { m_text.clear(); }

  const char* CStr() const { return m_text.c_str(); }  // always zero-terminated
  std::string_view View() const { return {m_text.data(), m_text.size()}; }
  std::string ToStdString() const { return std::string(View()); }
  bool IsEmpty() const { return Length() == 0; }

  // -1, 0 or 1 as this is less than, equal to or greater than the other
  // side; KOR_FAIL when the other side is missing. count > 0 compares only
  // the first count bytes of each side; otherwise the whole lengths.
  int32_t Compare(const char* bytes, int32_t length = -1, bool ignoreCase = false,
                  int32_t count = -1) const;
  int32_t Compare(const KorString_c* other, bool ignoreCase = false, int32_t count = -1) const;

  // Index of needle at or after start, or KOR_FAIL.
  int32_t Find(const char* needle, int32_t needleLength = -1, int32_t start = 0,
               bool ignoreCase = false) const;
  // Non-overlapping occurrences of needle (0 for an empty needle).
  int32_t CountOf(const char* needle, int32_t needleLength = -1, bool ignoreCase = false) const;

  // Copies length bytes from start into target. A negative start counts
  // from the end; length <= 0 takes the rest. KOR_FAIL for a null target.
  KorStatus Mid(KorString_c* target, int32_t start, int32_t length) const;
  // Copies the bytes from index to the end into target.
  KorStatus Right(KorString_c* target, int32_t index) const;

  // Compares two byte runs ignoring ASCII case: -1, 0 or 1.
  static int32_t CompareBytes(const char* a, int32_t lengthA, const char* b, int32_t lengthB,
                              bool ignoreCase);
  static bool EqualsIgnoreCase(std::string_view a, std::string_view b);

 private:
  // The string keeps the zero byte after the bytes and stores short texts
  // (most names and values) without allocating; longer ones come from the
  // pool, next to the XML nodes that hold them.
  std::basic_string<char, std::char_traits<char>, KorPoolAllocator<char>> m_text;
};
