#include "foundation/korobject.h"

KorStatus KorObject_c::CopyInto(KorObject_c* target) const {
  if (target == nullptr) return KOR_FAIL;
  target->m_kind = m_kind;
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorObject_c::CreateNew() const {
  return std::make_unique<KorObject_c>();
}

std::unique_ptr<KorObject_c> KorObject_c::Clone() const {
  std::unique_ptr<KorObject_c> copy = CreateNew();
  if (!copy || CopyInto(copy.get()) != KOR_OK) return nullptr;
  return copy;
}
