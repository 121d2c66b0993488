#include "model/productdatacommand.h"

#include "foundation/xml/korxml.h"
#include "model/productdatadetail.h"

using productdata_detail::FindOwnerAmong;
using productdata_detail::LazyList;

ProductDataCommand_c::ProductDataCommand_c() = default;
ProductDataCommand_c::~ProductDataCommand_c() = default;

void ProductDataCommand_c::SetChangeTracking(KorBool flag) {
  ShowResource_c::SetChangeTracking(flag);
  if (m_params) m_params->SetChangeTracking(flag);
  if (m_operations) m_operations->SetChangeTracking(flag);
  if (m_messages) m_messages->SetChangeTracking(flag);
}

KorStatus ProductDataCommand_c::Bind(KorXML_c* element) {
  if (ShowResource_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("command");
  return KOR_OK;
}

void ProductDataCommand_c::Unbind() {
  m_params.reset();
  m_operations.reset();
  m_messages.reset();
  ShowResource_c::Unbind();
}

ShowXMLInterface_c* ProductDataCommand_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowResource_c::FindOwner(node)) return owner;
  const KorXML_c* element = GetElement();
  if (!node || !element) return nullptr;
  // The description element and its text belong to the command itself.
  const KorXML_c* candidate = node->GetType() == KOR_XML_TEXT ? node->GetParent() : node;
  if (candidate && candidate->GetParent() == element &&
      candidate == FindChildElement(element, "description"))
    return this;
  return FindOwnerAmong(node, m_params.get(), m_operations.get(), m_messages.get());
}

ProductDataParams_c* ProductDataCommand_c::Params() { return LazyList(m_params, this); }

ProductDataOperations_c* ProductDataCommand_c::Operations() { return LazyList(m_operations, this); }

ProductDataMessages_c* ProductDataCommand_c::Messages() { return LazyList(m_messages, this); }
