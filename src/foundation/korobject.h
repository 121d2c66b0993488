#pragma once

#include <cstdint>
#include <memory>

// Status codes returned by operations that succeed or fail. Operations that
// return a position, count or index return it non-negative, or KOR_FAIL.
using KorStatus = int8_t;
inline constexpr KorStatus KOR_OK = 2;
inline constexpr KorStatus KOR_FAIL = -2;

// Truth values stored or passed by the library. Anything other than
// KOR_TRUE tests as false.
using KorBool = int8_t;
inline constexpr KorBool KOR_TRUE = 3;
inline constexpr KorBool KOR_FALSE = -3;

inline bool KorIsTrue(KorBool b) { return b == KOR_TRUE; }
inline KorBool KorFromBool(bool b) { return b ? KOR_TRUE : KOR_FALSE; }

// Common base of library and model objects: a kind code plus the virtual
// copy-into / create-new pair from which Clone is built.
class KorObject_c {
 public:
  KorObject_c() = default;
  virtual ~KorObject_c() = default;
  KorObject_c(const KorObject_c&) = delete;
  KorObject_c& operator=(const KorObject_c&) = delete;

  uint32_t GetKind() const { return m_kind; }
  void SetKind(uint32_t kind) { m_kind = kind; }

  // Copies this object's state into target, which must be of the same class
  // (or a class derived from it). The base copies the kind. KOR_FAIL when
  // target is null or of another class.
  virtual KorStatus CopyInto(KorObject_c* target) const;

  // A new, empty object of the same class.
  virtual std::unique_ptr<KorObject_c> CreateNew() const;

  // CreateNew followed by CopyInto; null when the copy fails.
  std::unique_ptr<KorObject_c> Clone() const;

  // Clone cast to T; null when the clone fails or is not a T.
  template <class T>
  std::unique_ptr<T> CloneAs() const {
    std::unique_ptr<KorObject_c> copy = Clone();
    if (T* typed = dynamic_cast<T*>(copy.get())) {
      copy.release();
      return std::unique_ptr<T>(typed);
    }
    return nullptr;
  }

 protected:
  uint32_t m_kind = 0;
};
