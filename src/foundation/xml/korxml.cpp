#include "foundation/xml/korxml.h"

#include <atomic>
#include <cstring>

#include "foundation/korstring.h"

namespace {

std::atomic<int64_t> g_liveNodes{0};
std::atomic<bool> g_writeHidden{false};

struct Entity {
  const char* text;
  size_t length;
  char character;
};
constexpr Entity kEntities[] = {
    {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&apos;", 6, '\''}, {"&quot;", 6, '"'}};

KorXML_c* AsNode(KorObject_c* o) { return static_cast<KorXML_c*>(o); }

}  // namespace

std::string KorXMLDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const void* hit = std::memchr(text.data() + pos, '&', text.size() - pos);
    if (hit == nullptr) {
      out.append(text.data() + pos, text.size() - pos);
      break;
    }
    const size_t amp = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    out.append(text.data() + pos, amp - pos);
    pos = amp;
    bool decoded = false;
    for (const Entity& e : kEntities) {
      if (text.compare(pos, e.length, e.text) == 0) {
        out += e.character;
        pos += e.length;
        decoded = true;
        break;
      }
    }
    if (!decoded) {
      out += '&';
      ++pos;
    }
  }
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
  if (m_textSet) value->SetFromText(m_text.data(), static_cast<int32_t>(m_text.size()), true);
  m_valueObject = std::move(value);
  m_text.clear();
  m_text.shrink_to_fit();
  m_textSet = false;
  m_textBlank = true;
}

void KorXML_c::ResetValue() {
  m_valueObject.reset();
  m_text.clear();
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
    other->SetName({m_text.data(), m_text.size()});
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
  if (!m_valueObject) return {m_text.data(), m_text.size()};
  return m_valueObject->ToString().View();
}

std::string_view KorXML_c::TextAsSet() const {
  if (!m_valueObject) return {m_text.data(), m_text.size()};
  return m_valueObject->ToString().View();
}

std::string KorXML_c::GetName() const { return std::string(ValueView()); }

void KorXML_c::SetName(std::string_view name) {
  // The owed snapshot must see the text before the change.
  if (m_snapshotOwed) GetValue();
  AssignText(name);
}

void KorXML_c::AssignText(std::string_view name) {
  if (m_valueObject) {
    m_valueObject->SetText(name, true);
    return;
  }
  m_text.assign(name.data(), name.size());
  m_textSet = true;
  // Only spaces detect as an empty value.
  m_textBlank = name.find_first_not_of(' ') == std::string_view::npos;
}

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
