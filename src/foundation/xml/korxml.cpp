#include "foundation/xml/korxml.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "foundation/korstring.h"

namespace {

std::atomic<int64_t> g_liveNodes{0};
std::atomic<bool> g_writeHidden{false};

KorXML_c* AsNode(KorObject_c* o) { return static_cast<KorXML_c*>(o); }

}  // namespace

void KorXMLDecode(std::string_view text, std::string* out) {
  // Decoding never lengthens the text: out is sized for all of it, then cut
  // to what was written.
  out->resize(text.size());
  char* to = out->data();
  const char* from = text.data();
  const char* const end = from + text.size();
  while (from < end) {
    const void* hit = std::memchr(from, '&', static_cast<size_t>(end - from));
    const char* amp = hit ? static_cast<const char*>(hit) : end;
    std::memmove(to, from, static_cast<size_t>(amp - from));
    to += amp - from;
    if (amp == end) break;
    from = amp;
    const size_t left = static_cast<size_t>(end - from);
    char decoded = '&';
    size_t length = 1;
    if (left >= 4 && (from[1] == 'l' || from[1] == 'g') && from[2] == 't' && from[3] == ';') {
      decoded = from[1] == 'l' ? '<' : '>';
      length = 4;
    } else if (left >= 5 && std::memcmp(from + 1, "amp;", 4) == 0) {
      length = 5;
    } else if (left >= 6 && std::memcmp(from + 1, "apos;", 5) == 0) {
      decoded = '\'';
      length = 6;
    } else if (left >= 6 && std::memcmp(from + 1, "quot;", 5) == 0) {
      decoded = '"';
      length = 6;
    }
    *to++ = decoded;
    from += length;
  }
  out->resize(static_cast<size_t>(to - out->data()));
}

std::string KorXMLDecode(std::string_view text) {
  std::string out;
  KorXMLDecode(text, &out);
  return out;
}

std::string KorXMLEncode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

void KorXML_c::TextStore_c::Replace(std::string_view text) {
  const size_t n = text.size();
  if (n <= kInline) {
    // The text may be a part of the one held: a block is freed only after
    // the copy, and text held inside is moved.
    char* const oldBlock = IsInline() ? nullptr : Block();
    const uint32_t oldSize = m_size;
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    if (oldBlock == nullptr && at - reinterpret_cast<std::uintptr_t>(m_bytes) < kInline) {
      std::memmove(m_bytes, text.data(), n);
    } else {
      CopyShort(m_bytes, text.data(), n);
    }
    m_size = static_cast<uint32_t>(n);
    if (oldBlock != nullptr) KorPoolFree(oldBlock, BlockBytes(oldSize));
    return;
  }
  // A text shorter than the old one may lie inside it.
  char* block = static_cast<char*>(KorPoolAllocate(BlockBytes(n)));
  std::memcpy(block, text.data(), n);
  Clear();
  SetBlock(block);
  m_size = static_cast<uint32_t>(n);
}

void KorXML_c::TextStore_c::FreeBlock() { KorPoolFree(Block(), BlockBytes(m_size)); }

KorXML_c::KorXML_c() { ++g_liveNodes; }

KorXML_c::KorXML_c(uint8_t type) : m_type(type) { ++g_liveNodes; }

KorXML_c::~KorXML_c() { --g_liveNodes; }

void KorXML_c::SetWriteHidden(bool on) { g_writeHidden = on; }
bool KorXML_c::GetWriteHidden() { return g_writeHidden; }
int64_t KorXML_c::LiveCount() { return g_liveNodes; }

KorValue_c* KorXML_c::GetValue() {
  if (!m_valueObject) InstallValue(std::make_unique<KorValue_c>());
  return m_valueObject.get();
}

void KorXML_c::InstallValue(std::unique_ptr<KorValue_c> value) {
  if (m_textSet) value->SetFromText(m_text.Data(), static_cast<int32_t>(m_text.Size()), true);
  m_valueObject = std::move(value);
  m_text.Clear();
  m_textSet = false;
  m_textBlank = true;
}

void KorXML_c::ResetValue() {
  m_valueObject.reset();
  m_text.Clear();
  m_textSet = false;
  m_textBlank = true;
  m_snapshotOwed = false;
}

void KorXML_c::ResetChildren() { m_children.reset(); }

std::unique_ptr<KorObject_c> KorXML_c::CreateNew() const { return std::make_unique<KorXML_c>(); }

std::unique_ptr<KorXML_c> KorXML_c::NewNode(uint8_t type) const {
  // Every node class makes nodes of its own class, so no dynamic check is
  // needed on this path, which runs once per parsed node.
  std::unique_ptr<KorXML_c> node(static_cast<KorXML_c*>(CreateNew().release()));
  node->m_type = type;
  return node;
}

KorStatus KorXML_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorXML_c*>(target);
  if (other == nullptr || other == this) return KOR_FAIL;
  // Copying into one's own subtree would copy the copy.
  for (const KorXML_c* up = other->m_parent; up != nullptr; up = up->m_parent) {
    if (up == this) return KOR_FAIL;
  }
  if (KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  other->m_type = m_type;
  other->m_flags = m_flags;
  other->ResetValue();
  if (m_valueObject) {
    if (m_valueObject->KorValue_c::CopyInto(other->GetValue()) != KOR_OK) return KOR_FAIL;
  } else if (m_textSet) {
    other->SetName(m_text.View());
  }
  other->ResetChildren();
  if (const KorList_c* children = ChildList()) {
    for (KorObject_c* o : *children) {
      const KorXML_c* child = AsNode(o);
      std::unique_ptr<KorXML_c> copy = other->NewNode(child->m_type);
      if (child->CopyInto(copy.get()) != KOR_OK) return KOR_FAIL;
      other->AppendChild(std::move(copy));
    }
  }
  return KOR_OK;
}

void KorXML_c::SetFlag(uint8_t flag, bool on) {
  if (on) {
    m_flags = static_cast<uint8_t>(m_flags | flag);
  } else {
    m_flags = static_cast<uint8_t>(m_flags & ~flag);
  }
}

bool KorXML_c::IsValueEmpty() const {
  if (!m_valueObject) return m_textBlank;
  if (m_valueObject->IsEmpty()) return true;
  // A text set without type detection may still be the empty string.
  return m_valueObject->GetType() == KOR_TYPE_STRING && m_valueObject->ToString().Length() == 0;
}

std::string_view KorXML_c::ValueView() const {
  if (IsValueEmpty()) return {};
  if (!m_valueObject) return m_text.View();
  return m_valueObject->ToString().View();
}

std::string_view KorXML_c::TextAsSet() const {
  if (!m_valueObject) return m_text.View();
  return m_valueObject->ToString().View();
}

std::string KorXML_c::GetName() const { return std::string(ValueView()); }

void KorXML_c::SetName(std::string_view name) {
  // The owed snapshot must see the text before the change.
  if (m_snapshotOwed) GetValue();
  AssignText(name);
}

void KorXML_c::AssignValueText(std::string_view text) { m_valueObject->SetText(text, true); }

KorList_c* KorXML_c::Children() {
  if (!m_children) m_children = std::make_unique<KorList_c>(KOR_TRUE);
  return m_children.get();
}

KorXML_c* KorXML_c::ChildAt(int32_t index) const {
  if (!ChildList() || index < 0) return nullptr;
  for (KorObject_c* o : *ChildList()) {
    if (index-- == 0) return AsNode(o);
  }
  return nullptr;
}

KorXML_c* KorXML_c::AppendChild(std::unique_ptr<KorXML_c> child) {
  if (!child) return nullptr;
  KorXML_c* raw = child.get();
  raw->m_parent = this;
  Children()->Append(std::unique_ptr<KorObject_c>(child.release()));
  return raw;
}

KorXML_c* KorXML_c::AppendNew(uint8_t type, std::string_view value) {
  std::unique_ptr<KorXML_c> node = NewNode(type);
  if (!value.empty()) node->SetName(value);
  return AppendChild(std::move(node));
}

KorXML_c* KorXML_c::InsertAfter(const KorXML_c* sibling, std::unique_ptr<KorXML_c> child) {
  if (!child || !ChildList() || sibling == nullptr || ChildList()->Find(sibling) < 0)
    return nullptr;
  KorXML_c* raw = child.get();
  raw->m_parent = this;
  ChildList()->Insert(std::unique_ptr<KorObject_c>(child.release()));
  return raw;
}

KorXML_c* KorXML_c::InsertBefore(const KorXML_c* sibling, std::unique_ptr<KorXML_c> child) {
  if (!child || !ChildList() || sibling == nullptr || ChildList()->Find(sibling) < 0)
    return nullptr;
  KorXML_c* raw = child.get();
  raw->m_parent = this;
  ChildList()->InsertBefore(std::unique_ptr<KorObject_c>(child.release()));
  return raw;
}

void KorXML_c::AdoptChild(KorXML_c* child) {
  if (child != nullptr) child->m_parent = this;
}

std::unique_ptr<KorXML_c> KorXML_c::Detach() {
  KorXML_c* parent = m_parent;
  if (parent == nullptr || !parent->ChildList() || parent->ChildList()->Find(this) < 0) {
    return nullptr;
  }
  std::unique_ptr<KorObject_c> taken = parent->ChildList()->TakeCurrent();
  m_parent = nullptr;
  return std::unique_ptr<KorXML_c>(AsNode(taken.release()));
}

KorStatus KorXML_c::RemoveChild(KorXML_c* child) {
  if (child == nullptr || child->m_parent != this || !ChildList() || ChildList()->Find(child) < 0) {
    return KOR_FAIL;
  }
  // Take it out first so its destructor sees a tree without it.
  std::unique_ptr<KorObject_c> taken = ChildList()->TakeCurrent();
  return KOR_OK;
}

bool KorXML_c::NameMatches(std::string_view name) const {
  if (IsValueEmpty()) return false;
  return KorString_c::EqualsIgnoreCase(ValueView(), name);
}

KorXML_c* KorXML_c::FindAttribute(std::string_view name) const {
  if (!ChildList() || (m_type != KOR_XML_ELEMENT && m_type != KOR_XML_DOCUMENT)) return nullptr;
  for (KorObject_c* o : *ChildList()) {
    KorXML_c* child = AsNode(o);
    if (child->m_type == KOR_XML_ATTRIBUTE && child->NameMatches(name)) return child;
  }
  return nullptr;
}

KorXML_c* KorXML_c::FindOrCreateAttribute(std::string_view name) {
  if (name.empty() || (m_type != KOR_XML_ELEMENT && m_type != KOR_XML_DOCUMENT)) return nullptr;
  if (KorXML_c* found = FindAttribute(name)) return found;
  std::unique_ptr<KorXML_c> attribute = NewNode(KOR_XML_ATTRIBUTE);
  attribute->SetName(name);
  attribute->AppendNew(KOR_XML_TEXT)->SetText("");
  return AppendChild(std::move(attribute));
}

const KorXML_c* KorXML_c::AttributeTextNode() const {
  if (m_type != KOR_XML_ATTRIBUTE || !ChildList()) return nullptr;
  for (KorObject_c* o : *ChildList()) {
    if (AsNode(o)->m_type == KOR_XML_TEXT) return AsNode(o);
  }
  return nullptr;
}

KorXML_c* KorXML_c::AttributeTextNode(bool create) {
  if (m_type != KOR_XML_ATTRIBUTE) return nullptr;
  if (const KorXML_c* found = static_cast<const KorXML_c*>(this)->AttributeTextNode()) {
    return const_cast<KorXML_c*>(found);
  }
  if (!create) return nullptr;
  KorXML_c* text = AppendNew(KOR_XML_TEXT);
  text->SetText("");
  return text;
}

KorStatus KorXML_c::GetAttribute(std::string_view name, std::string* value) const {
  const KorXML_c* attribute = FindAttribute(name);
  const KorXML_c* text = attribute ? attribute->AttributeTextNode() : nullptr;
  if (value) *value = text ? text->GetText() : std::string();
  return attribute ? KOR_OK : KOR_FAIL;
}

std::string KorXML_c::GetAttribute(std::string_view name) const {
  std::string value;
  GetAttribute(name, &value);
  return value;
}

KorXML_c* KorXML_c::SetAttribute(std::string_view name, std::string_view value) {
  KorXML_c* attribute = FindOrCreateAttribute(name);
  if (attribute == nullptr) return nullptr;
  attribute->AttributeTextNode(true)->SetText(value);
  return attribute;
}

bool KorXML_c::SearchMatch(const KorXML_c* node, std::string_view name, uint8_t type,
                           bool includeInternal) {
  if (type != 0 && node->m_type != type) return false;
  if (!includeInternal && node->HasFlag(KOR_XML_FLAG_INTERNAL)) return false;
  return node->NameMatches(name);
}

KorXML_c* KorXML_c::FindFirstByName(std::string_view name, uint8_t type, bool testSelf,
                                    bool searchChildren, bool recursive,
                                    bool includeInternal) const {
  if (testSelf && SearchMatch(this, name, type, includeInternal)) {
    return const_cast<KorXML_c*>(this);
  }
  if (!searchChildren || !ChildList()) return nullptr;
  for (KorObject_c* o : *ChildList()) {
    KorXML_c* child = AsNode(o);
    if (SearchMatch(child, name, type, includeInternal)) return child;
    if (recursive) {
      if (KorXML_c* found =
              child->FindFirstByName(name, type, false, true, true, includeInternal)) {
        return found;
      }
    }
  }
  return nullptr;
}

KorXML_c* KorXML_c::NthChild(uint8_t type, int32_t n) const {
  if (!ChildList() || n < 0) return nullptr;
  for (KorObject_c* o : *ChildList()) {
    KorXML_c* child = AsNode(o);
    if ((type == 0 || child->m_type == type) && !child->IsValueEmpty() && n-- == 0) return child;
  }
  return nullptr;
}

void KorXML_c::RemoveDuplicateAttributes(std::string_view name, const KorXML_c* keep) {
  if (!ChildList() || ChildList()->IsEmpty()) return;
  // Walk by index: removing moves the cursor, so re-seek each step.
  int32_t index = 0;
  while (KorXML_c* child = AsNode(ChildList()->GoTo(index))) {
    if (child != keep && child->m_type == KOR_XML_ATTRIBUTE && child->NameMatches(name)) {
      ChildList()->RemoveCurrent();
    } else {
      ++index;
    }
  }
}

std::unique_ptr<KorXML_c> KorXML_c::Clear() {
  std::unique_ptr<KorXML_c> self = Detach();
  ResetChildren();
  ResetValue();
  m_type = KOR_XML_DOCUMENT;
  m_flags = 0;
  return self;
}

std::string KorXML_c::ToXML(bool pretty) const {
  KorStringWriter_c writer;
  Write(&writer, 0, pretty);
  return std::move(writer.Text());
}
