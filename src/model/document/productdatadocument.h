#pragma once

#include <cstdint>
#include <memory>

#include "model/document/showdocument.h"
#include "model/productdata.h"

// Kind code of a product-file document (the KorObject_c kind field).
inline constexpr uint32_t PRODUCT_DOCUMENT_KIND = 2;

// What a load makes of the events' commands.
enum class ProductCommandsAs {
  Trees,  // element trees, bound into the list of commands
  Text    // the text each was read from, for TakeEachCommand to bind in turn
};

// A product file (`.prd`): an XML document whose root element is `product`,
// reached through the product data root object.
//
// Open: LoadXML (buffer), then ProductData(); the caller checks IsCreator.
// Save: Reset(), then ProductData() (a fresh, empty root), the editors store
// into it, the caller stamps the root (ProductData_c::StampCreator), then
// SaveXML (buffer).
class ProductDataDocument_c : public ShowDocument_c {
 public:
  ProductDataDocument_c();
  ~ProductDataDocument_c() override;

  std::unique_ptr<KorObject_c> CreateNew() const override;
  using ShowDocument_c::LoadXML;
  // LoadXML; with Text, every command that parsed without error is kept as
  // the text it was read from (a raw node, which the list of commands does
  // not count), so that the load never holds all of them as trees.
  int32_t LoadXML(KorBuffer_c* buffer, ProductCommandsAs commands);
  // Deletes the product data root object.
  void DiscardDataObjects() override;

  // The root bound to the document's `product` element (appended when there
  // is none), made and bound on first request; null when binding fails.
  // Lives until the next LoadXML, Reset or DiscardDataObjects.
  ProductData_c* ProductData();
  // The root if it exists; never makes one.
  ProductData_c* PeekProductData() const { return m_root.get(); }

 private:
  std::unique_ptr<ProductData_c> m_root;
};
