#include "foundation/korstring.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

inline unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

}  // namespace

KorString_c::KorString_c(std::string_view text) { Set(text); }

KorStatus KorString_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorString_c*>(target);
  if (other == nullptr || KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  return other->Set(*this);
}

std::unique_ptr<KorObject_c> KorString_c::CreateNew() const {
  return std::make_unique<KorString_c>();
}

int32_t KorString_c::Length() const { return static_cast<int32_t>(m_text.size()); }

KorStatus KorString_c::Set(const char* bytes, int32_t length) {
  if (bytes == nullptr) {
    if (length > 0) return KOR_FAIL;
    m_text.clear();
    return KOR_OK;
  }
  if (length < 0) length = static_cast<int32_t>(std::strlen(bytes));
  // assign copes with bytes that point into m_text itself.
  m_text.assign(bytes, static_cast<size_t>(length));
  return KOR_OK;
}

KorStatus KorString_c::Set(const KorString_c& other) {
  if (&other != this) m_text = other.m_text;
  return KOR_OK;
}

int32_t KorString_c::CompareBytes(const char* a, int32_t lengthA, const char* b, int32_t lengthB,
                                  bool ignoreCase) {
  const int32_t common = std::min(lengthA, lengthB);
  for (int32_t i = 0; i < common; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (ignoreCase) {
      x = Fold(x);
      y = Fold(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (lengthA == lengthB) return 0;
  return lengthA < lengthB ? -1 : 1;
}

bool KorString_c::EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareBytes(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                              static_cast<int32_t>(b.size()), true) == 0;
}

int32_t KorString_c::Compare(const char* bytes, int32_t length, bool ignoreCase,
                             int32_t count) const {
  if (bytes == nullptr) return KOR_FAIL;
  if (length < 0) length = static_cast<int32_t>(std::strlen(bytes));
  int32_t own = Length();
  if (count > 0) {
    own = std::min(own, count);
    length = std::min(length, count);
  }
  return CompareBytes(CStr(), own, bytes, length, ignoreCase);
}

int32_t KorString_c::Compare(const KorString_c* other, bool ignoreCase, int32_t count) const {
  if (other == nullptr) return KOR_FAIL;
  return Compare(other->CStr(), other->Length(), ignoreCase, count);
}

int32_t KorString_c::Find(const char* needle, int32_t needleLength, int32_t start,
                          bool ignoreCase) const {
  if (needle == nullptr) return KOR_FAIL;
  if (needleLength < 0) needleLength = static_cast<int32_t>(std::strlen(needle));
  const int32_t length = Length();
  if (start < 0) start = 0;
  if (start > length || needleLength > length - start) return KOR_FAIL;
  const char* text = CStr();
  auto equal = [ignoreCase](char x, char y) {
    return ignoreCase ? Fold(static_cast<unsigned char>(x)) == Fold(static_cast<unsigned char>(y))
                      : x == y;
  };
  const char* hit = std::search(text + start, text + length, needle, needle + needleLength, equal);
  if (hit == text + length && needleLength > 0) return KOR_FAIL;
  return static_cast<int32_t>(hit - text);
}

int32_t KorString_c::CountOf(const char* needle, int32_t needleLength, bool ignoreCase) const {
  if (needle == nullptr) return KOR_FAIL;
  if (needleLength < 0) needleLength = static_cast<int32_t>(std::strlen(needle));
  if (needleLength == 0) return 0;
  int32_t count = 0;
  int32_t at = Find(needle, needleLength, 0, ignoreCase);
  while (at >= 0) {
    ++count;
    at = Find(needle, needleLength, at + needleLength, ignoreCase);
  }
  return count;
}

KorStatus KorString_c::Mid(KorString_c* target, int32_t start, int32_t length) const {
  if (target == nullptr) return KOR_FAIL;
  const int32_t total = Length();
  if (start < 0) start = std::max(0, total + start);
  if (start > total) start = total;
  const int32_t rest = total - start;
  if (length <= 0 || length > rest) length = rest;
  return target->Set(CStr() + start, length);
}

KorStatus KorString_c::Right(KorString_c* target, int32_t index) const {
  return Mid(target, index, 0);
}
