#include "model/showresource.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "foundation/korstring.h"
#include "foundation/korvalue.h"
#include "foundation/xml/korxml.h"
#include "foundation/xml/showxml.h"
#include "model/document/showdocument.h"

namespace {

KorBool g_globalTracking = KOR_TRUE;

bool IsKnownNodeType(uint8_t type) { return type >= KOR_XML_COMMENT && type <= KOR_XML_RAW; }

// The document whose tree holds node, found through the node's history link.
ShowDocument_c* TreeDocument(const KorXML_c* node) {
  const ShowXML_c* show = ShowXML_c::From(node);
  if (!show) return nullptr;
  return dynamic_cast<ShowDocument_c*>(show->GetHistory());
}

// The first text child of node, empty or not (KorXML_c::TextChild passes
// over empty ones, which would make every read add another). The writer
// writes every text child of an element after its elements, as one text:
// later text children are joined into the first, so the text read is the
// text written.
KorXML_c* FirstTextNode(KorXML_c* node) {
  const KorList_c* children = node ? node->PeekChildren() : nullptr;
  if (!children) return nullptr;
  KorXML_c* first = nullptr;
  std::string joined;
  bool join = false;
  for (KorObject_c* object : *children) {
    auto* child = static_cast<KorXML_c*>(object);
    if (child->GetType() != KOR_XML_TEXT) continue;
    if (!first) {
      first = child;
      joined = first->GetText();
    } else if (!child->IsValueEmpty()) {
      joined += child->GetText();
      child->SetText("");
      join = true;
    }
  }
  if (join) first->SetText(joined);
  return first;
}

}  // namespace

KorStatus ShowParseInt(std::string_view text, int32_t* value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return KOR_FAIL;
  int32_t parsed = 0;
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, parsed);
  if (result.ec != std::errc() || result.ptr != end) return KOR_FAIL;
  if (value) *value = parsed;
  return KOR_OK;
}

// ---------------------------------------------------------------------------
// ShowXMLInterface_c

ShowXMLInterface_c::ShowXMLInterface_c() = default;

ShowXMLInterface_c::~ShowXMLInterface_c() {
  Unwatch();
  if (m_document) m_document->UnregisterObject(this);
}

KorStatus ShowXMLInterface_c::CopyInto(KorObject_c* target) const {
  if (KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  auto* other = dynamic_cast<ShowXMLInterface_c*>(target);
  if (!other) return KOR_FAIL;
  other->SetDocument(m_document);
  other->SetChangeTracking(m_tracking);
  KorXML_c* source = BindSource();
  if (!source) return KOR_OK;
  return other->Bind(source);
}

void ShowXMLInterface_c::SetGlobalChangeTracking(KorBool flag) { g_globalTracking = flag; }
KorBool ShowXMLInterface_c::GetGlobalChangeTracking() { return g_globalTracking; }

void ShowXMLInterface_c::SetDocument(ShowDocument_c* document) {
  if (document == m_document) return;
  if (m_document) m_document->UnregisterObject(this);
  if (document) document->RegisterObject(this);
}

void ShowXMLInterface_c::SetChangeTracking(KorBool flag) { m_tracking = flag; }

void ShowXMLInterface_c::Adopt(ShowXMLInterface_c* child) const {
  if (!child) return;
  child->SetDocument(m_document);
  child->SetChangeTracking(m_tracking);
}

KorStatus ShowXMLInterface_c::Bind(KorXML_c* element) { return AttachElement(element); }

KorStatus ShowXMLInterface_c::Rebind() {
  KorXML_c* source = BindSource();
  if (!source) return KOR_FAIL;
  return Bind(source);
}

KorStatus ShowXMLInterface_c::AttachElement(KorXML_c* element, const char* tag) {
  Unbind();
  if (!element) return KOR_FAIL;
  if (!IsKnownNodeType(element->GetType())) element->SetType(KOR_XML_ELEMENT);
  if (element->GetType() != KOR_XML_ELEMENT && element->GetType() != KOR_XML_DOCUMENT)
    return KOR_FAIL;
  m_element = element;
  Watch();
  if (tag) SetTag(tag);
  return KOR_OK;
}

void ShowXMLInterface_c::Unbind() {
  Unwatch();
  m_element = nullptr;
  ForgetCache();
}

void ShowXMLInterface_c::ForgetCache() {
  m_cache.clear();
  m_textNode = nullptr;
}

void ShowXMLInterface_c::Watch() {
  m_watchingDocument = TreeDocument(m_element);
  if (m_watchingDocument) m_watchingDocument->WatchElement(m_element, this);
}

void ShowXMLInterface_c::Unwatch() {
  if (m_watchingDocument && m_element) m_watchingDocument->UnwatchElement(m_element, this);
  m_watchingDocument = nullptr;
}

void ShowXMLInterface_c::NodeDestroyed(const KorXML_c* node) {
  if (!node) return;
  if (node == m_element) {
    // The document has already dropped its record of us for this node.
    m_watchingDocument = nullptr;
    Unbind();
    return;
  }
  if (node == m_textNode) m_textNode = nullptr;
  std::erase_if(m_cache, [node](const CachedNode& c) { return c.node == node; });
}

void ShowXMLInterface_c::SetTag(const char* tag) {
  if (!m_element || !tag) return;
  if (m_element->GetName() != tag) m_element->SetName(tag);
}

void ShowXMLInterface_c::MarkChanged() {
  if (!KorIsTrue(m_tracking) || !KorIsTrue(g_globalTracking) || !m_document) return;
  m_document->NotifyChanged();
}

ShowXMLInterface_c* ShowXMLInterface_c::FindOwner(const KorXML_c* node) {
  if (!node || !m_element) return nullptr;
  if (node == m_element) return this;
  const KorXML_c* parent = node->GetParent();
  if (node->GetType() == KOR_XML_ATTRIBUTE && parent == m_element) return this;
  if (parent && parent->GetType() == KOR_XML_ATTRIBUTE && parent->GetParent() == m_element)
    return this;
  return nullptr;
}

KorStatus ShowXMLInterface_c::Duplicate(ShowXMLInterface_c* target) {
  if (!target || !m_element || m_element->GetType() != KOR_XML_ELEMENT) return KOR_FAIL;
  // Objects that own a wrapper are bound from its parent; a copy of the
  // wrapper could not be told apart from the original by that bind.
  if (BindSource() != m_element) return KOR_FAIL;
  KorXML_c* parent = m_element->GetParent();
  if (!parent) return KOR_FAIL;
  std::unique_ptr<KorObject_c> made = m_element->CreateNew();
  auto* copy = dynamic_cast<KorXML_c*>(made.get());
  if (!copy || m_element->CopyInto(copy) != KOR_OK) return KOR_FAIL;
  made.release();
  KorXML_c* inserted = parent->InsertAfter(m_element, std::unique_ptr<KorXML_c>(copy));
  if (!inserted) return KOR_FAIL;
  MarkChanged();
  Adopt(target);
  return target->Bind(inserted);
}

// ---- cached nodes

KorXML_c* ShowXMLInterface_c::Cached(const char* key, bool isAttribute) const {
  for (const CachedNode& c : m_cache)
    if (c.isAttribute == isAttribute && c.key == key) return c.node;
  return nullptr;
}

void ShowXMLInterface_c::Remember(const char* key, bool isAttribute, KorXML_c* node) {
  m_cache.push_back({key, isAttribute, node});
}

void ShowXMLInterface_c::Forget(const char* key, bool isAttribute) {
  std::erase_if(m_cache, [&](const CachedNode& c) {
    return c.isAttribute == isAttribute && c.key == key;
  });
}

KorXML_c* ShowXMLInterface_c::AttrNode(const char* name, const char* initial) {
  if (!m_element || !name || !*name) return nullptr;
  KorXML_c* node = Cached(name, true);
  // A node that lost its name (a boolean set false through another view)
  // no longer stands for the attribute.
  if (node && node->IsValueEmpty()) {
    Forget(name, true);
    node = nullptr;
  }
  if (node) return node;
  node = m_element->FindAttribute(name);
  if (!node) {
    node = m_element->FindOrCreateAttribute(name);
    if (!node) return nullptr;
    if (initial && *initial) node->AttributeTextNode(true)->SetText(initial);
  }
  Remember(name, true, node);
  return node;
}

KorStatus ShowXMLInterface_c::WriteNodeText(KorXML_c* node, std::string_view value,
                                            bool isAttribute) {
  if (!node) return KOR_FAIL;
  KorXML_c* text = isAttribute ? node->AttributeTextNode(true) : FirstTextNode(node);
  if (!text && !isAttribute) {
    text = node->AppendNew(KOR_XML_TEXT);
  }
  if (!text) return KOR_FAIL;
  // An attribute keeps a value of spaces as it is, so it is compared as set.
  if (isAttribute ? text->TextAsSet() == value : text->GetText() == value) return KOR_OK;
  text->SetText(value);
  MarkChanged();
  return KOR_OK;
}

std::string ShowXMLInterface_c::GetStringAttr(const char* name, KorStatus* status,
                                              const char* initial) {
  KorXML_c* node = AttrNode(name, initial);
  if (status) *status = node ? KOR_OK : KOR_FAIL;
  if (!node) return {};
  const KorXML_c* text = node->AttributeTextNode();
  return text ? std::string(text->TextAsSet()) : std::string();
}

KorStatus ShowXMLInterface_c::SetStringAttr(const char* name, std::string_view value,
                                            const char* initial) {
  return WriteNodeText(AttrNode(name, initial), value, true);
}

int32_t ShowXMLInterface_c::GetIntAttr(const char* name, KorStatus* status, const char* initial) {
  KorStatus st = KOR_FAIL;
  std::string text = GetStringAttr(name, &st, initial);
  int32_t value = 0;
  if (st == KOR_OK && ShowParseInt(text, &value) != KOR_OK) {
    st = KOR_FAIL;
    value = 0;
  }
  if (status) *status = st;
  return value;
}

KorStatus ShowXMLInterface_c::SetIntAttr(const char* name, int32_t value, const char* initial) {
  return SetStringAttr(name, std::to_string(value), initial);
}

KorBool ShowXMLInterface_c::GetBoolAttr(const char* name) {
  if (!m_element || !name || !*name) return KOR_FALSE;
  // Reading a flag never creates it: an absent flag is false, and a flag set
  // false must stay out of the file.
  KorXML_c* node = Cached(name, true);
  if (node && node->IsValueEmpty()) {
    Forget(name, true);
    node = nullptr;
  }
  if (!node) {
    node = m_element->FindAttribute(name);
    if (!node) return KOR_FALSE;
    Remember(name, true, node);
  }
  const KorXML_c* text = node->AttributeTextNode();
  bool value = false;
  if (!text || KorParseBoolean(text->GetText(), &value) != KOR_OK) return KOR_FALSE;
  return KorFromBool(value);
}

KorStatus ShowXMLInterface_c::SetBoolAttr(const char* name, bool value, bool writeFalse) {
  if (!m_element) return KOR_FAIL;
  if (value || writeFalse) return SetStringAttr(name, value ? "true" : "false");
  // False removes the attribute: its node loses its name, so the writer skips
  // it and lookups miss it; a later true creates a fresh attribute.
  KorXML_c* node = m_element->FindAttribute(name);
  Forget(name, true);
  if (!node) return KOR_OK;
  node->SetName("");
  if (KorXML_c* text = node->AttributeTextNode(false)) text->SetText("");
  MarkChanged();
  return KOR_OK;
}

KorXML_c* ShowXMLInterface_c::ChildElementNode(const char* tag, const char* initial) {
  if (!m_element || !tag || !*tag) return nullptr;
  KorXML_c* node = Cached(tag, false);
  if (node && node->IsValueEmpty()) {
    Forget(tag, false);
    node = nullptr;
  }
  if (node) return node;
  node = FindChildElement(m_element, tag);
  if (!node) {
    node = m_element->AppendNew(KOR_XML_ELEMENT, tag);
    if (!node) return nullptr;
    if (initial && *initial) node->AppendNew(KOR_XML_TEXT, initial);
  }
  Remember(tag, false, node);
  return node;
}

std::string ShowXMLInterface_c::GetChildText(const char* tag, KorStatus* status,
                                             const char* initial) {
  KorXML_c* node = ChildElementNode(tag, initial);
  if (status) *status = node ? KOR_OK : KOR_FAIL;
  if (!node) return {};
  const KorXML_c* text = FirstTextNode(node);
  return text ? text->GetText() : std::string();
}

KorStatus ShowXMLInterface_c::SetChildText(const char* tag, std::string_view value,
                                           const char* initial) {
  return WriteNodeText(ChildElementNode(tag, initial), value, false);
}

std::string ShowXMLInterface_c::GetText(KorStatus* status) {
  if (!m_element) {
    if (status) *status = KOR_FAIL;
    return {};
  }
  if (!m_textNode) {
    m_textNode = FirstTextNode(m_element);
    if (!m_textNode) m_textNode = m_element->AppendNew(KOR_XML_TEXT);
  }
  if (status) *status = m_textNode ? KOR_OK : KOR_FAIL;
  return m_textNode ? m_textNode->GetText() : std::string();
}

KorStatus ShowXMLInterface_c::SetText(std::string_view text) {
  KorStatus st = KOR_FAIL;
  GetText(&st);
  if (st != KOR_OK || !m_textNode) return KOR_FAIL;
  if (m_textNode->GetText() == text) return KOR_OK;
  m_textNode->SetText(text);
  MarkChanged();
  return KOR_OK;
}

KorXML_c* ShowXMLInterface_c::FindChildElement(const KorXML_c* parent, std::string_view tag) {
  if (!parent || tag.empty()) return nullptr;
  const KorList_c* children = parent->PeekChildren();
  if (!children) return nullptr;
  for (KorObject_c* item : *children) {
    auto* child = static_cast<KorXML_c*>(item);
    if (child->GetType() == KOR_XML_ELEMENT && KorString_c::EqualsIgnoreCase(child->GetName(), tag))
      return child;
  }
  return nullptr;
}

KorXML_c* ShowXMLInterface_c::FindOrCreateChildElement(KorXML_c* parent, std::string_view tag) {
  if (!parent || tag.empty()) return nullptr;
  if (KorXML_c* found = FindChildElement(parent, tag)) return found;
  return parent->AppendNew(KOR_XML_ELEMENT, tag);
}

// ---------------------------------------------------------------------------
// ShowResource_c

ShowResource_c::ShowResource_c() = default;
ShowResource_c::~ShowResource_c() = default;

void ShowResource_c::SetChangeTracking(KorBool flag) {
  ShowXMLInterface_c::SetChangeTracking(flag);
  if (m_gui) m_gui->SetChangeTracking(flag);
}

void ShowResource_c::Unbind() {
  ShowXMLInterface_c::Unbind();
  if (m_ownerList) m_ownerList->InvalidateCount();
}

KorStatus ShowResource_c::Bind(KorXML_c* element) {
  if (GetDocument()) m_serial = GetDocument()->NextSerial();
  m_gui.reset();
  // A resource is always an element (never the document node).
  if (element && element->GetType() == KOR_XML_DOCUMENT) {
    Unbind();
    return KOR_FAIL;
  }
  if (AttachElement(element, "resource") != KOR_OK) return KOR_FAIL;
  if (m_ownerList) m_ownerList->InvalidateCount();
  if (FindChildElement(element, "gui")) {
    auto gui = std::make_unique<ShowDataGUI_c>();
    Adopt(gui.get());
    if (gui->Bind(element) == KOR_OK) m_gui = std::move(gui);
  }
  return KOR_OK;
}

ShowXMLInterface_c* ShowResource_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowXMLInterface_c::FindOwner(node)) return owner;
  return m_gui ? m_gui->FindOwner(node) : nullptr;
}

// ---------------------------------------------------------------------------
// ShowDataGUI_c

KorStatus ShowDataGUI_c::Bind(KorXML_c* element) {
  Unbind();
  if (!element) return KOR_FAIL;
  return AttachElement(FindOrCreateChildElement(element, "gui"), "gui");
}

KorXML_c* ShowDataGUI_c::BindSource() const {
  return GetElement() ? GetElement()->GetParent() : nullptr;
}
