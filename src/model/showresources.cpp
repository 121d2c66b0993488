#include "model/showresource.h"

#include "foundation/korstring.h"
#include "foundation/xml/korxml.h"

// ---------------------------------------------------------------------------
// ShowResources_c

ShowResources_c::ShowResources_c() = default;

ShowResources_c::ShowResources_c(const char* wrapperTag, const char* itemTag)
    : m_wrapperTag(wrapperTag ? wrapperTag : ""), m_itemTag(itemTag ? itemTag : "") {}

ShowResources_c::~ShowResources_c() = default;

KorStatus ShowResources_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<ShowResources_c*>(target);
  if (!other) return KOR_FAIL;
  other->m_wrapperTag = m_wrapperTag;
  other->m_itemTag = m_itemTag;
  return ShowXMLInterface_c::CopyInto(target);
}

void ShowResources_c::SetChangeTracking(KorBool flag) {
  ShowXMLInterface_c::SetChangeTracking(flag);
  for (auto& item : m_items) item->SetChangeTracking(flag);
}

void ShowResources_c::ClearItems() {
  m_cursor = nullptr;
  m_counted.clear();
  m_countValid = false;
  m_items.clear();
}

void ShowResources_c::Unbind() {
  ShowXMLInterface_c::Unbind();
  InvalidateCount();
}

KorXML_c* ShowResources_c::BindSource() const {
  if (!GetElement()) return nullptr;
  return m_wrapperTag.empty() ? GetElement() : GetElement()->GetParent();
}

KorStatus ShowResources_c::Bind(KorXML_c* element) {
  ClearItems();
  Unbind();
  if (!element) return KOR_FAIL;
  KorXML_c* wrapper = element;
  if (!m_wrapperTag.empty()) {
    if (element->GetType() != KOR_XML_ELEMENT && element->GetType() != KOR_XML_DOCUMENT)
      return KOR_FAIL;
    wrapper = FindOrCreateChildElement(element, m_wrapperTag);
  }
  if (AttachElement(wrapper, m_wrapperTag.empty() ? nullptr : m_wrapperTag.c_str()) != KOR_OK)
    return KOR_FAIL;
  const KorList_c* children = wrapper->PeekChildren();
  if (!children) return KOR_OK;
  for (KorObject_c* object : *children) {
    auto* child = static_cast<KorXML_c*>(object);
    if (child->GetType() != KOR_XML_ELEMENT || child->IsValueEmpty()) continue;
    if (!m_itemTag.empty() && !KorString_c::EqualsIgnoreCase(child->GetName(), m_itemTag))
      continue;
    std::unique_ptr<ShowResource_c> item = CreateItem(child);
    if (!item) continue;
    Adopt(item.get());
    item->m_ownerList = this;
    if (item->Bind(child) != KOR_OK) return KOR_FAIL;
    m_items.push_back(std::move(item));
  }
  return KOR_OK;
}

std::unique_ptr<ShowResource_c> ShowResources_c::CreateItem(KorXML_c*) {
  return std::make_unique<ShowResource_c>();
}

ShowXMLInterface_c* ShowResources_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowXMLInterface_c::FindOwner(node)) return owner;
  if (!node) return nullptr;
  for (auto& item : m_items)
    if (ShowXMLInterface_c* owner = item->FindOwner(node)) return owner;
  return nullptr;
}

void ShowResources_c::RebuildCounted() {
  m_counted.clear();
  for (auto& item : m_items) {
    const KorXML_c* element = item->GetElement();
    if (element && !element->IsValueEmpty()) m_counted.push_back(item.get());
  }
  m_countValid = true;
}

int32_t ShowResources_c::Count() {
  if (!m_countValid) RebuildCounted();
  return static_cast<int32_t>(m_counted.size());
}

ShowResource_c* ShowResources_c::Item(int32_t index, bool create) {
  if (index < 0) return nullptr;
  if (index < Count()) return m_counted[static_cast<size_t>(index)];
  if (!create || !GetElement()) return nullptr;
  while (Count() <= index) {
    if (!AppendTagged(nullptr, true, false)) return nullptr;
  }
  return m_counted[static_cast<size_t>(index)];
}

ShowResource_c* ShowResources_c::FindByName(std::string_view name, int32_t* index) {
  int32_t count = Count();
  for (int32_t i = 0; i < count; ++i) {
    ShowResource_c* item = m_counted[static_cast<size_t>(i)];
    // Read without creating: a search must not add `name` to every item.
    const KorXML_c* attr = item->GetElement()->FindAttribute("name");
    const KorXML_c* text = attr ? attr->AttributeTextNode() : nullptr;
    if (text && KorString_c::EqualsIgnoreCase(text->GetText(), name)) {
      if (index) *index = i;
      return item;
    }
  }
  if (index) *index = -1;
  return nullptr;
}

int32_t ShowResources_c::CursorIndexInItems() const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i].get() == m_cursor) return static_cast<int32_t>(i);
  return -1;
}

ShowResource_c* ShowResources_c::First() {
  if (Count() == 0) return nullptr;
  m_cursor = m_counted.front();
  return m_cursor;
}

ShowResource_c* ShowResources_c::Current() {
  if (!m_cursor) return nullptr;
  const KorXML_c* element = m_cursor->GetElement();
  return element && !element->IsValueEmpty() ? m_cursor : nullptr;
}

ShowResource_c* ShowResources_c::Next() {
  int32_t at = CursorIndexInItems();
  if (at < 0) return nullptr;
  for (size_t i = static_cast<size_t>(at) + 1; i < m_items.size(); ++i) {
    const KorXML_c* element = m_items[i]->GetElement();
    if (element && !element->IsValueEmpty()) return m_cursor = m_items[i].get();
  }
  return nullptr;
}

ShowResource_c* ShowResources_c::Previous() {
  int32_t at = CursorIndexInItems();
  for (int32_t i = at - 1; i >= 0; --i) {
    const KorXML_c* element = m_items[static_cast<size_t>(i)]->GetElement();
    if (element && !element->IsValueEmpty()) return m_cursor = m_items[static_cast<size_t>(i)].get();
  }
  return nullptr;
}

ShowResource_c* ShowResources_c::Append(bool before) { return AppendTagged(nullptr, false, before); }

ShowResource_c* ShowResources_c::AppendTagged(const char* tag, bool atEnd, bool before) {
  KorXML_c* wrapper = GetElement();
  if (!wrapper) return nullptr;
  const char* name = tag ? tag : (!m_itemTag.empty() ? m_itemTag.c_str() : "resource");

  Count();
  ShowResource_c* anchor = atEnd ? nullptr : Current();
  int32_t anchorAt = anchor ? CursorIndexInItems() : -1;
  if (anchor && !before && anchor == m_counted.back()) {
    // After the last item means at the end of the wrapper.
    anchor = nullptr;
    anchorAt = -1;
  }

  std::unique_ptr<KorObject_c> made = wrapper->CreateNew();
  auto* fresh = dynamic_cast<KorXML_c*>(made.get());
  if (!fresh) return nullptr;
  made.release();
  std::unique_ptr<KorXML_c> node(fresh);
  node->SetType(KOR_XML_ELEMENT);
  node->SetName(name);
  KorXML_c* element = nullptr;
  if (!anchor)
    element = wrapper->AppendChild(std::move(node));
  else if (before)
    element = wrapper->InsertBefore(anchor->GetElement(), std::move(node));
  else
    element = wrapper->InsertAfter(anchor->GetElement(), std::move(node));
  if (!element) return nullptr;

  // Binding the new item marks the count stale; when it was right before,
  // the items before the new one are unchanged.
  const bool countValid = m_countValid;
  std::unique_ptr<ShowResource_c> item = CreateItem(element);
  if (item) {
    Adopt(item.get());
    item->m_ownerList = this;
    if (item->Bind(element) != KOR_OK) item.reset();
  }
  if (!item) {
    wrapper->RemoveChild(element);
    return nullptr;
  }

  ShowResource_c* added = item.get();
  if (!anchor) {
    m_items.push_back(std::move(item));
    if (countValid) {
      m_counted.push_back(added);
      m_countValid = true;
    }
  } else {
    auto where = m_items.begin() + anchorAt + (before ? 0 : 1);
    m_items.insert(where, std::move(item));
    m_countValid = false;
  }
  m_cursor = added;
  MarkChanged();
  return added;
}

std::vector<std::unique_ptr<ShowResource_c>> ShowResources_c::TakeItems() {
  if (!m_countValid) RebuildCounted();
  std::vector<std::unique_ptr<ShowResource_c>> taken;
  taken.reserve(m_counted.size());
  for (auto& item : m_items) {
    const KorXML_c* element = item->GetElement();
    if (!element || element->IsValueEmpty()) continue;
    item->m_ownerList = nullptr;
    taken.push_back(std::move(item));
  }
  ClearItems();
  return taken;
}

void ShowResources_c::ReleaseItem(std::unique_ptr<ShowResource_c> item) {
  if (!item) return;
  KorXML_c* element = item->GetElement();
  item.reset();
  if (element && element->GetParent()) element->GetParent()->RemoveChild(element);
}

KorStatus ShowResources_c::RemoveCurrent() {
  if (!Current()) return KOR_FAIL;
  int32_t at = CursorIndexInItems();
  if (at < 0) return KOR_FAIL;
  ShowResource_c* next = Next();
  if (!next) {
    m_cursor = m_items[static_cast<size_t>(at)].get();
    next = Previous();
  }
  std::unique_ptr<ShowResource_c> removed = std::move(m_items[static_cast<size_t>(at)]);
  m_items.erase(m_items.begin() + at);
  m_countValid = false;
  m_cursor = next;
  KorXML_c* element = removed->GetElement();
  removed.reset();
  // Destroying the element unbinds any other object bound inside it.
  if (element && element->GetParent()) element->GetParent()->RemoveChild(element);
  MarkChanged();
  return KOR_OK;
}
