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
  while (m_firstObject != nullptr) UnregisterObject(m_firstObject);
}

void ShowDocument_c::RegisterObject(ShowXMLInterface_c* object) {
  object->m_document = this;
  object->m_previousInDocument = nullptr;
  object->m_nextInDocument = m_firstObject;
  if (m_firstObject != nullptr) m_firstObject->m_previousInDocument = object;
  m_firstObject = object;
}

void ShowDocument_c::UnregisterObject(ShowXMLInterface_c* object) {
  if (object->m_previousInDocument != nullptr) {
    object->m_previousInDocument->m_nextInDocument = object->m_nextInDocument;
  } else {
    m_firstObject = object->m_nextInDocument;
  }
  if (object->m_nextInDocument != nullptr) {
    object->m_nextInDocument->m_previousInDocument = object->m_previousInDocument;
  }
  object->m_previousInDocument = object->m_nextInDocument = nullptr;
  object->m_document = nullptr;
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

int32_t ShowDocument_c::LoadXML(KorBuffer_c* buffer) { return LoadXML(buffer, {}); }

int32_t ShowDocument_c::LoadXML(KorBuffer_c* buffer, std::string_view rawChildrenOf) {
  DiscardDataObjects();
  ClearHistory();
  m_xml->Clear();
  m_xml->SetHistory(this);
  // Every value's history starts from the loaded value, and every node
  // links to this document so that objects bound to it are told when it
  // goes: nodes made during the parse get both from CreateNew.
  m_loading = true;
  int32_t result = KOR_FAIL;
  if (buffer) {
    result =
        buffer->GetRemaining() > 0 ? m_xml->Parse(buffer, rawChildrenOf) : buffer->GetPosition();
  }
  m_loading = false;
  m_xml->OweSnapshot();
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
  m_xml->VisitSubtree([&count](KorXML_c* node) {
    if (const ShowXML_c* show = ShowXML_c::From(node)) {
      if (const auto* watchers = show->PeekWatchers()) count += watchers->size();
    }
  });
  return count;
}

void ShowDocument_c::WatchElement(KorXML_c* element, ShowXMLInterface_c* object) {
  if (ShowXML_c* show = ShowXML_c::From(element)) show->AddWatcher(object);
}

void ShowDocument_c::UnwatchElement(KorXML_c* element, ShowXMLInterface_c* object) {
  if (ShowXML_c* show = ShowXML_c::From(element)) show->RemoveWatcher(object);
}

void ShowDocument_c::ForgetNode(const ShowXML_c* node) {
  if (!node) return;
  // The node is going, so its watchers go with it; they have been handed
  // over before anyone is told, so an object that unwatches in reply finds
  // nothing left to remove.
  for (ShowXMLWatcher_c* object : const_cast<ShowXML_c*>(node)->TakeWatchers()) {
    object->NodeDestroyed(node);
  }
  // Objects bound to the parent may have cached this node (an attribute, the
  // text node or a child element they read). A parent that is being
  // destroyed itself is no longer a ShowXML_c here, and its watchers were
  // told already.
  // Looked up again at every step, in case a reader stops watching.
  if (const ShowXML_c* parent = ShowXML_c::From(node->GetParent())) {
    for (size_t i = 0; parent->PeekWatchers() && i < parent->PeekWatchers()->size(); ++i) {
      (*parent->PeekWatchers())[i]->NodeDestroyed(node);
    }
  }
}
