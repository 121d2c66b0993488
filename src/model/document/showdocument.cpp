#include "model/document/showdocument.h"

#include <algorithm>
#include <utility>

#include "foundation/korbuffer.h"
#include "foundation/korstring.h"
#include "foundation/kortime.h"
#include "foundation/xml/korxml.h"
#include "model/showresource.h"

// ---------------------------------------------------------------------------
// KorDocument_c

KorDocument_c::KorDocument_c() = default;
KorDocument_c::~KorDocument_c() = default;

KorStatus KorDocument_c::CopyInto(KorObject_c* target) const {
  if (KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  auto* other = dynamic_cast<KorDocument_c*>(target);
  if (!other) return KOR_FAIL;
  other->m_flags = m_flags;
  if (m_rootName) other->RootName()->Set(*m_rootName);
  if (m_extension) other->Extension()->Set(*m_extension);
  return KOR_OK;
}

void KorDocument_c::SetModified(KorBool flag) {
  if (KorIsTrue(flag))
    m_flags |= KOR_DOC_FLAG_MODIFIED;
  else
    m_flags &= static_cast<uint8_t>(~KOR_DOC_FLAG_MODIFIED);
}

KorBool KorDocument_c::IsModified() const {
  return KorFromBool((m_flags & KOR_DOC_FLAG_MODIFIED) != 0);
}

KorString_c* KorDocument_c::RootName() {
  if (!m_rootName) m_rootName = std::make_unique<KorString_c>();
  return m_rootName.get();
}

KorString_c* KorDocument_c::Extension() {
  if (!m_extension) m_extension = std::make_unique<KorString_c>();
  return m_extension.get();
}

// ---------------------------------------------------------------------------
// ShowDocument_c

ShowDocument_c::ShowDocument_c() : m_xml(std::make_unique<ShowXML_c>(KOR_XML_DOCUMENT)) {
  InitDocumentNode();
}

ShowDocument_c::~ShowDocument_c() {
  // Destroy the tree while the watch records still exist, so every object
  // bound into it is unbound first.
  m_xml.reset();
  ReleaseAll();
  for (ShowXMLInterface_c* object : m_objects) object->m_document = nullptr;
  m_objects.clear();
}

void ShowDocument_c::InitDocumentNode() {
  m_xml->SetHistory(this);
  m_xml->SetType(KOR_XML_DOCUMENT);
  m_xml->SetName("xml");
  m_xml->SetAttribute("version", "1.0")->SetFlag(KOR_XML_FLAG_INTERNAL, true);
  m_xml->SetAttribute("encoding", "utf-8")->SetFlag(KOR_XML_FLAG_INTERNAL, true);
}

KorStatus ShowDocument_c::CopyInto(KorObject_c* target) const {
  if (KorDocument_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  auto* other = dynamic_cast<ShowDocument_c*>(target);
  if (!other) return KOR_FAIL;
  other->DiscardDataObjects();
  other->m_historyLimit = m_historyLimit;
  if (m_xml->CopyInto(other->m_xml.get()) != KOR_OK) return KOR_FAIL;
  other->m_xml->SetHistoryRecursive(other);
  if (m_timestamp) m_timestamp->CopyInto(other->Timestamp());
  return KOR_OK;
}

std::unique_ptr<KorObject_c> ShowDocument_c::CreateNew() const {
  return std::make_unique<ShowDocument_c>();
}

int32_t ShowDocument_c::LoadXML(KorBuffer_c* buffer) {
  DiscardDataObjects();
  ClearHistory();
  m_xml->Clear();
  m_xml->SetHistory(this);
  int32_t result = KOR_FAIL;
  if (buffer) result = buffer->GetRemaining() > 0 ? m_xml->Parse(buffer) : buffer->GetPosition();

  // Every value's history starts from the loaded value; every node links to
  // this document so that objects bound to it are told when it goes.
  std::vector<KorXML_c*> pending{m_xml.get()};
  while (!pending.empty()) {
    KorXML_c* node = pending.back();
    pending.pop_back();
    if (auto* show = dynamic_cast<ShowXML_c*>(node)) {
      show->SetHistory(this);
      show->GetValue()->TakeSnapshot();
    }
    if (const KorList_c* children = node->PeekChildren())
      for (KorObject_c* child : *children) pending.push_back(static_cast<KorXML_c*>(child));
  }
  // What was just read is what the file holds.
  SetModified(KOR_FALSE);
  return result;
}

int32_t ShowDocument_c::SaveXML(KorBuffer_c* buffer) {
  if (!buffer) return KOR_FAIL;
  KorXML_c::SetWriteHidden(true);
  if (KorIsTrue(buffer->IsOwned())) {
    int32_t size = m_xml->Measure(0, false);
    if (size < 0 || buffer->Resize(0) != KOR_OK ||
        (size > 0 && (buffer->Resize(size) != KOR_OK || buffer->GetCapacity() != size))) {
      KorXML_c::SetWriteHidden(false);
      return KOR_FAIL;
    }
    buffer->SetLength(size);
  }
  int32_t written = m_xml->Write(buffer, 0, false);
  SetModified(KOR_FALSE);
  KorXML_c::SetWriteHidden(false);
  return written;
}

void ShowDocument_c::Reset() {
  DiscardDataObjects();
  ClearHistory();
  m_xml->Clear();
  InitDocumentNode();
}

void ShowDocument_c::NotifyChanged() {
  SetModified(KOR_TRUE);
  if (m_historyLimit < 0 || m_historyCount < m_historyLimit) ++m_historyCount;
}

void ShowDocument_c::SetHistoryLimit(int32_t limit) {
  m_historyLimit = limit;
  if (limit >= 0 && m_historyCount > limit) m_historyCount = limit;
}

KorTime_c* ShowDocument_c::Timestamp() {
  if (!m_timestamp) m_timestamp = std::make_unique<KorTime_c>();
  return m_timestamp.get();
}

size_t ShowDocument_c::WatchedObjectCount() const {
  size_t count = 0;
  for (const auto& entry : m_watch) count += entry.second.size();
  return count;
}

void ShowDocument_c::WatchElement(const KorXML_c* element, ShowXMLInterface_c* object) {
  if (element && object) m_watch[element].push_back(object);
}

void ShowDocument_c::UnwatchElement(const KorXML_c* element, ShowXMLInterface_c* object) {
  auto it = m_watch.find(element);
  if (it == m_watch.end()) return;
  std::erase(it->second, object);
  if (it->second.empty()) m_watch.erase(it);
}

void ShowDocument_c::ForgetNode(const ShowXML_c* node) {
  if (!node) return;
  auto it = m_watch.find(node);
  if (it != m_watch.end()) {
    std::vector<ShowXMLInterface_c*> bound = std::move(it->second);
    m_watch.erase(it);
    for (ShowXMLInterface_c* object : bound) object->NodeDestroyed(node);
  }
  // Objects bound to the parent may have cached this node (an attribute, the
  // text node or a child element they read).
  auto parent = m_watch.find(node->GetParent());
  if (parent != m_watch.end()) {
    std::vector<ShowXMLInterface_c*> readers = parent->second;
    for (ShowXMLInterface_c* object : readers) object->NodeDestroyed(node);
  }
}

void ShowDocument_c::ReleaseAll() {
  while (!m_watch.empty()) {
    auto it = m_watch.begin();
    const KorXML_c* node = it->first;
    std::vector<ShowXMLInterface_c*> bound = std::move(it->second);
    m_watch.erase(it);
    for (ShowXMLInterface_c* object : bound) object->NodeDestroyed(node);
  }
}
