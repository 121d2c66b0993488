#include "model/document/productdatadocument.h"

#include "foundation/korstring.h"

ProductDataDocument_c::ProductDataDocument_c() {
  SetKind(PRODUCT_DOCUMENT_KIND);
  Extension()->Set("prd");
  RootName()->Set("product");
}

// The root goes first, while the tree it is bound to still exists.
ProductDataDocument_c::~ProductDataDocument_c() { DiscardDataObjects(); }

std::unique_ptr<KorObject_c> ProductDataDocument_c::CreateNew() const {
  return std::make_unique<ProductDataDocument_c>();
}

int32_t ProductDataDocument_c::LoadXML(KorBuffer_c* buffer, ProductCommandsAs commands) {
  return LoadXML(buffer, commands == ProductCommandsAs::Text ? PRODUCT_COMMANDS_TAG : "");
}

void ProductDataDocument_c::DiscardDataObjects() {
  m_root.reset();
  ShowDocument_c::DiscardDataObjects();
}

ProductData_c* ProductDataDocument_c::ProductData() {
  if (m_root) return m_root.get();
  auto root = std::make_unique<ProductData_c>();
  root->SetDocument(this);
  if (root->Bind(GetXMLDocument()) != KOR_OK) {
    DiscardDataObjects();
    return nullptr;
  }
  m_root = std::move(root);
  return m_root.get();
}
