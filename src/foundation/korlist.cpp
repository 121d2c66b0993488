#include "foundation/korlist.h"

#include <utility>

KorList_c::KorList_c(KorBool owning) : m_owning(owning) {}

KorList_c::~KorList_c() { Clear(); }

KorStatus KorList_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorList_c*>(target);
  if (other == nullptr || other == this || KorObject_c::CopyInto(target) != KOR_OK) {
    return KOR_FAIL;
  }
  other->Clear();
  other->m_owning = m_owning;
  for (const auto& item : m_items) {
    std::unique_ptr<KorObject_c> copy = item ? item->Clone() : nullptr;
    if (!copy) return KOR_FAIL;
    // A non-owning copy still refers to items someone must own: hand the
    // clone to the target list, which then owns it regardless.
    other->m_cursor = other->m_items.insert(other->m_items.end(), std::move(copy));
  }
  if (!KorIsTrue(m_owning)) {
    // The clones belong to nobody else; keep them owned so they are freed.
    other->m_owning = KOR_TRUE;
  }
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorList_c::CreateNew() const { return std::make_unique<KorList_c>(); }

KorStatus KorList_c::InsertAt(Store::iterator where, KorObject_c* item) {
  if (item == nullptr) return KOR_FAIL;
  m_cursor = m_items.insert(where, std::unique_ptr<KorObject_c>(item));
  return KOR_OK;
}

KorStatus KorList_c::Insert(KorObject_c* item) {
  Store::iterator where = m_items.empty() ? m_items.end() : std::next(m_cursor);
  return InsertAt(where, item);
}

KorStatus KorList_c::Insert(std::unique_ptr<KorObject_c> item) {
  if (!KorIsTrue(m_owning)) return KOR_FAIL;  // item destroyed: nobody would own it
  return Insert(item.release());
}

KorStatus KorList_c::InsertBefore(KorObject_c* item) {
  Store::iterator where = m_items.empty() ? m_items.end() : m_cursor;
  return InsertAt(where, item);
}

KorStatus KorList_c::InsertBefore(std::unique_ptr<KorObject_c> item) {
  if (!KorIsTrue(m_owning)) return KOR_FAIL;
  return InsertBefore(item.release());
}

KorStatus KorList_c::Append(KorObject_c* item) { return InsertAt(m_items.end(), item); }

KorStatus KorList_c::Append(std::unique_ptr<KorObject_c> item) {
  if (!KorIsTrue(m_owning)) return KOR_FAIL;
  return Append(item.release());
}

std::unique_ptr<KorObject_c> KorList_c::Unlink(bool preferPrevious) {
  if (m_items.empty()) return nullptr;
  Store::iterator victim = m_cursor;
  Store::iterator next = std::next(victim);
  Store::iterator target;
  const bool hasPrevious = victim != m_items.begin();
  const bool hasNext = next != m_items.end();
  if (preferPrevious) {
    target = hasPrevious ? std::prev(victim) : next;
  } else {
    target = hasNext ? next : (hasPrevious ? std::prev(victim) : m_items.end());
  }
  std::unique_ptr<KorObject_c> item = std::move(*victim);
  m_items.erase(victim);
  m_cursor = m_items.empty() ? m_items.end() : target;
  return item;
}

void KorList_c::Dispose(std::unique_ptr<KorObject_c> item) {
  if (!KorIsTrue(m_owning)) static_cast<void>(item.release());
}

KorStatus KorList_c::RemoveCurrent() {
  if (m_items.empty()) return KOR_FAIL;
  Dispose(Unlink(false));
  return KOR_OK;
}

KorStatus KorList_c::RemoveCurrentPreferPrevious() {
  if (m_items.empty()) return KOR_FAIL;
  Dispose(Unlink(true));
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorList_c::TakeCurrent() { return Unlink(false); }

KorObject_c* KorList_c::First() {
  if (m_items.empty()) return nullptr;
  m_cursor = m_items.begin();
  return m_cursor->get();
}

KorObject_c* KorList_c::Last() {
  if (m_items.empty()) return nullptr;
  m_cursor = std::prev(m_items.end());
  return m_cursor->get();
}

KorObject_c* KorList_c::Next() {
  if (m_items.empty()) return nullptr;
  Store::iterator next = std::next(m_cursor);
  if (next == m_items.end()) return nullptr;
  m_cursor = next;
  return m_cursor->get();
}

KorObject_c* KorList_c::Previous() {
  if (m_items.empty() || m_cursor == m_items.begin()) return nullptr;
  --m_cursor;
  return m_cursor->get();
}

KorObject_c* KorList_c::Current() const {
  if (m_items.empty()) return nullptr;
  return m_cursor->get();
}

KorObject_c* KorList_c::GoTo(int32_t index) {
  if (index < 0 || static_cast<uint32_t>(index) >= Count()) return nullptr;
  // Walk from the nearer end.
  Store::iterator it;
  if (static_cast<uint32_t>(index) <= Count() / 2) {
    it = std::next(m_items.begin(), index);
  } else {
    it = std::prev(m_items.end(), static_cast<int32_t>(Count()) - index);
  }
  m_cursor = it;
  return m_cursor->get();
}

int32_t KorList_c::Index() const {
  if (m_items.empty()) return KOR_FAIL;
  return static_cast<int32_t>(std::distance(m_items.begin(), Store::const_iterator(m_cursor)));
}

KorObject_c* KorList_c::Item(int32_t index, bool restoreCursor) {
  Store::iterator saved = m_cursor;
  KorObject_c* item = GoTo(index);
  if (restoreCursor) m_cursor = saved;
  return item;
}

int32_t KorList_c::Find(const KorObject_c* item) {
  // The last item first: lists grow by appending, and an item just appended
  // is often the next one sought (to be taken out again).
  if (!m_items.empty() && m_items.back().get() == item) {
    m_cursor = std::prev(m_items.end());
    return static_cast<int32_t>(m_items.size()) - 1;
  }
  int32_t index = 0;
  for (Store::iterator it = m_items.begin(); it != m_items.end(); ++it, ++index) {
    if (it->get() == item) {
      m_cursor = it;
      return index;
    }
  }
  return KOR_FAIL;
}

void KorList_c::Clear() {
  if (!KorIsTrue(m_owning)) {
    for (auto& item : m_items) static_cast<void>(item.release());
  }
  m_items.clear();
  m_cursor = m_items.end();
}
