#include "model/productdatamessage.h"

#include "foundation/xml/korxml.h"
#include "model/productdatadetail.h"

using productdata_detail::FindOwnerAmong;
using productdata_detail::LazyList;

// ---------------------------------------------------------------------------
// ProductDataSubstring_c, ProductDataOperation_c

KorStatus ProductDataSubstring_c::Bind(KorXML_c* element) {
  if (ShowResourceVariable_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("substring");
  return KOR_OK;
}

KorStatus ProductDataOperation_c::Bind(KorXML_c* element) {
  if (ShowResourceVariable_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("operation");
  return KOR_OK;
}

// ---------------------------------------------------------------------------
// ProductDataMessage_c

ProductDataMessage_c::ProductDataMessage_c() = default;
ProductDataMessage_c::~ProductDataMessage_c() = default;

void ProductDataMessage_c::SetChangeTracking(KorBool flag) {
  ShowResource_c::SetChangeTracking(flag);
  if (m_params) m_params->SetChangeTracking(flag);
  if (m_substrings) m_substrings->SetChangeTracking(flag);
  if (m_operations) m_operations->SetChangeTracking(flag);
}

KorStatus ProductDataMessage_c::Bind(KorXML_c* element) {
  if (ShowResource_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("message");
  return KOR_OK;
}

void ProductDataMessage_c::Unbind() {
  m_params.reset();
  m_substrings.reset();
  m_operations.reset();
  ShowResource_c::Unbind();
}

ShowXMLInterface_c* ProductDataMessage_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowResource_c::FindOwner(node)) return owner;
  return FindOwnerAmong(node, m_params.get(), m_substrings.get(), m_operations.get());
}

ProductDataParams_c* ProductDataMessage_c::Params() { return LazyList(m_params, this); }

ProductDataSubstrings_c* ProductDataMessage_c::Substrings() { return LazyList(m_substrings, this); }

ProductDataOperations_c* ProductDataMessage_c::Operations() { return LazyList(m_operations, this); }
