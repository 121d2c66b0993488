#include "foundation/xml/showxml.h"

#include <utility>

ShowXML_c::ShowXML_c() { m_isShowXML = true; }

ShowXML_c::ShowXML_c(uint8_t type) : KorXML_c(type) { m_isShowXML = true; }

ShowXML_c::~ShowXML_c() {
  if (m_history != nullptr) m_history->ForgetNode(this);
  for (int slot = 0; slot < kBoundSlots; ++slot) {
    if (!KorIsTrue(m_ownsBound)) static_cast<void>(m_bound[slot].release());
  }
  // The children are destroyed after this, by KorXML_c: to them the parent
  // is no longer a ShowXML_c.
  m_isShowXML = false;
}

KorStatus ShowXML_c::CopyInto(KorObject_c* target) const { return KorXML_c::CopyInto(target); }

std::unique_ptr<KorObject_c> ShowXML_c::CreateNew() const {
  auto node = std::make_unique<ShowXML_c>();
  node->m_history = m_history;
  if (m_history != nullptr && m_history->SnapshotNewNodes()) node->m_snapshotOwed = true;
  return node;
}

KorHistoryValue_c* ShowXML_c::GetValue() {
  if (!HasValueObject()) InstallValue(std::make_unique<KorHistoryValue_c>());
  auto* value = static_cast<KorHistoryValue_c*>(ValueObject());
  if (m_snapshotOwed) {
    m_snapshotOwed = false;
    value->TakeSnapshot();
  }
  return value;
}

KorObject_c* ShowXML_c::GetBoundObject(int slot) const {
  if (slot < 0 || slot >= kBoundSlots) return nullptr;
  return m_bound[slot].get();
}

void ShowXML_c::ReleaseBound(int slot) {
  if (KorIsTrue(m_ownsBound)) {
    m_bound[slot].reset();
  } else {
    static_cast<void>(m_bound[slot].release());
  }
}

KorStatus ShowXML_c::SetBoundObject(int slot, KorObject_c* object) {
  if (slot < 0 || slot >= kBoundSlots) {
    if (KorIsTrue(m_ownsBound)) std::unique_ptr<KorObject_c> discard(object);
    return KOR_FAIL;
  }
  if (m_bound[slot].get() == object) return KOR_OK;
  ReleaseBound(slot);
  m_bound[slot].reset(object);
  return KOR_OK;
}

void ShowXML_c::SetHistoryRecursive(ShowXMLHistory_c* history) {
  VisitSubtree([history](KorXML_c* node) {
    if (ShowXML_c* show = From(node)) show->m_history = history;
  });
}

void ShowXML_c::OweSnapshot() {
  if (HasValueObject()) {
    GetValue()->TakeSnapshot();
  } else {
    m_snapshotOwed = true;
  }
}

void ShowXML_c::AddWatcher(ShowXMLWatcher_c* watcher) {
  if (watcher == nullptr) return;
  if (!m_watchers) m_watchers = std::make_unique<WatcherList>();
  m_watchers->items.push_back(watcher);
}

void ShowXML_c::RemoveWatcher(ShowXMLWatcher_c* watcher) {
  if (!m_watchers) return;
  std::erase(m_watchers->items, watcher);
  if (m_watchers->items.empty()) m_watchers.reset();
}

ShowXML_c::Watchers ShowXML_c::TakeWatchers() {
  Watchers taken;
  if (m_watchers) taken = std::move(m_watchers->items);
  m_watchers.reset();
  return taken;
}
