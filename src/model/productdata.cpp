#include "model/productdata.h"

#include <algorithm>

#include "foundation/xml/korxml.h"
#include "model/productdatadetail.h"

using productdata_detail::BoundChild;
using productdata_detail::FindOwnerAmong;

namespace {

// The parent of an object's element: where objects that find or create their
// element under a given one are bound again from.
KorXML_c* ParentOf(const KorXML_c* element) { return element ? element->GetParent() : nullptr; }

// node is child (an element under the bound element) or one of its text nodes.
bool IsElementOrItsText(const KorXML_c* node, const KorXML_c* child) {
  if (!node || !child) return false;
  return node == child || (node->GetType() == KOR_XML_TEXT && node->GetParent() == child);
}

}  // namespace

// ---------------------------------------------------------------------------
// ShowDataInfoAuthors_c

ShowDataInfoAuthors_c::ShowDataInfoAuthors_c() { SetKind(SHOW_KIND_INFO_AUTHORS); }
ShowDataInfoAuthors_c::~ShowDataInfoAuthors_c() = default;

KorXML_c* ShowDataInfoAuthors_c::BindSource() const { return ParentOf(GetElement()); }

void ShowDataInfoAuthors_c::Unbind() {
  m_authors.clear();
  ShowXMLInterface_c::Unbind();
}

KorStatus ShowDataInfoAuthors_c::Bind(KorXML_c* element) {
  Unbind();
  if (!element || element->GetType() != KOR_XML_ELEMENT) return KOR_FAIL;
  if (AttachElement(FindOrCreateChildElement(element, "authors"), "authors") != KOR_OK)
    return KOR_FAIL;
  if (const KorList_c* children = GetElement()->PeekChildren()) {
    for (KorObject_c* item : *children) {
      auto* child = static_cast<KorXML_c*>(item);
      if (child->GetType() == KOR_XML_ELEMENT && !child->IsValueEmpty()) m_authors.push_back(child);
    }
  }
  return KOR_OK;
}

void ShowDataInfoAuthors_c::NodeDestroyed(const KorXML_c* node) {
  std::erase(m_authors, node);
  ShowXMLInterface_c::NodeDestroyed(node);
}

ShowXMLInterface_c* ShowDataInfoAuthors_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowXMLInterface_c::FindOwner(node)) return owner;
  for (const KorXML_c* author : m_authors)
    if (IsElementOrItsText(node, author)) return this;
  return nullptr;
}

int32_t ShowDataInfoAuthors_c::AuthorCount() const {
  // An author element renamed to nothing (through the tree) no longer counts.
  return static_cast<int32_t>(std::count_if(m_authors.begin(), m_authors.end(),
                                            [](const KorXML_c* a) { return !a->IsValueEmpty(); }));
}

KorXML_c* ShowDataInfoAuthors_c::AuthorNode(int32_t index, bool create) {
  if (!GetElement() || index < 0) return nullptr;
  // Drop entries that lost their tag, so indices match AuthorCount.
  std::erase_if(m_authors, [](const KorXML_c* a) { return a->IsValueEmpty(); });
  if (static_cast<size_t>(index) < m_authors.size()) return m_authors[index];
  if (!create) return nullptr;
  while (m_authors.size() <= static_cast<size_t>(index)) {
    KorXML_c* author = GetElement()->AppendNew(KOR_XML_ELEMENT, "author");
    if (!author) return nullptr;
    m_authors.push_back(author);
    MarkChanged();
  }
  return m_authors[index];
}

std::string ShowDataInfoAuthors_c::GetAuthor(int32_t index, KorStatus* status, bool create) {
  KorXML_c* author = AuthorNode(index, create);
  if (status) *status = author ? KOR_OK : KOR_FAIL;
  if (!author) return {};
  const KorXML_c* text = author->TextChild();
  return text ? text->GetText() : std::string();
}

KorStatus ShowDataInfoAuthors_c::SetAuthor(int32_t index, std::string_view name, bool create) {
  return WriteNodeText(AuthorNode(index, create), name, false);
}

// ---------------------------------------------------------------------------
// ShowDataInfo_c

ShowDataInfo_c::ShowDataInfo_c() { SetKind(SHOW_KIND_INFO); }
ShowDataInfo_c::~ShowDataInfo_c() = default;

void ShowDataInfo_c::SetChangeTracking(KorBool flag) {
  ShowXMLInterface_c::SetChangeTracking(flag);
  if (m_authors) m_authors->SetChangeTracking(flag);
}

KorXML_c* ShowDataInfo_c::BindSource() const { return ParentOf(GetElement()); }

void ShowDataInfo_c::Unbind() {
  m_authors.reset();
  ShowXMLInterface_c::Unbind();
}

KorStatus ShowDataInfo_c::Bind(KorXML_c* element) {
  Unbind();
  if (!element || element->GetType() != KOR_XML_ELEMENT) return KOR_FAIL;
  if (AttachElement(FindOrCreateChildElement(element, "info"), "info") != KOR_OK) return KOR_FAIL;
  m_authors = BoundChild<ShowDataInfoAuthors_c>(this, GetElement());
  return m_authors ? KOR_OK : KOR_FAIL;
}

ShowXMLInterface_c* ShowDataInfo_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowXMLInterface_c::FindOwner(node)) return owner;
  const KorXML_c* element = GetElement();
  if (!node || !element) return nullptr;
  for (const char* tag : {"version", "description"})
    if (IsElementOrItsText(node, FindChildElement(element, tag))) return this;
  return FindOwnerAmong(node, m_authors.get());
}

// ---------------------------------------------------------------------------
// ProductData_c

ProductData_c::ProductData_c() = default;
ProductData_c::~ProductData_c() = default;

void ProductData_c::SetChangeTracking(KorBool flag) {
  ShowXMLInterface_c::SetChangeTracking(flag);
  if (m_info) m_info->SetChangeTracking(flag);
  if (m_hardware) m_hardware->SetChangeTracking(flag);
  if (m_protocols) m_protocols->SetChangeTracking(flag);
}

void ProductData_c::DropChildren() {
  m_protocols.reset();
  m_hardware.reset();
  m_info.reset();
}

void ProductData_c::Unbind() {
  DropChildren();
  ShowXMLInterface_c::Unbind();
}

KorXML_c* ProductData_c::BindSource() const { return ParentOf(GetElement()); }

KorStatus ProductData_c::Bind(KorXML_c* node) {
  Unbind();
  if (!node || node->GetType() != KOR_XML_DOCUMENT) return KOR_FAIL;
  // The first `product` among the document's direct children, in any case;
  // its tag is normalised like every other element the model binds.
  if (AttachElement(FindOrCreateChildElement(node, "product"), "product") != KOR_OK)
    return KOR_FAIL;
  KorXML_c* product = GetElement();
  m_info = BoundChild<ShowDataInfo_c>(this, product);
  if (!m_info) return KOR_FAIL;
  m_hardware = BoundChild<ProductDataHardware_c>(this, product);
  if (!m_hardware) return KOR_FAIL;
  m_protocols = BoundChild<ProductDataProtocols_c>(this, product);
  return m_protocols ? KOR_OK : KOR_FAIL;
}

ShowXMLInterface_c* ProductData_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowXMLInterface_c::FindOwner(node)) return owner;
  return FindOwnerAmong(node, m_info.get(), m_hardware.get(), m_protocols.get());
}

KorStatus ProductData_c::StampCreator() {
  if (!IsBound()) return KOR_FAIL;
  bool ok = SetXmlnsXsi(PRODUCT_XMLNS_XSI) == KOR_OK;
  ok = SetSchemaLocation(PRODUCT_SCHEMA_LOCATION) == KOR_OK && ok;
  ok = SetCreator(true) == KOR_OK && ok;
  ok = SetCreatorVersion(PRODUCT_CREATOR_VERSION) == KOR_OK && ok;
  return ok ? KOR_OK : KOR_FAIL;
}

ProductDataProtocol_c* ProductData_c::FirstProtocol() {
  if (!m_protocols) return nullptr;
  if (ProductDataProtocol_c* first = m_protocols->Item(0)) return first;
  return m_protocols->Item(0, true);
}
