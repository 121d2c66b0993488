#pragma once

#include <string>
#include <string_view>

#include "base_helpers.h"
#include "model/document/productdatadocument.h"
#include "model/productdata.h"

// Shared by the product data tests.
namespace product_test {

using base_test::At;
using base_test::ChildTags;
using base_test::LoadText;
using base_test::ReadFixture;
using base_test::SaveText;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>";

// A document loaded from text with its product data root bound.
struct LoadedProduct {
  ProductDataDocument_c document;
  ProductData_c* root = nullptr;

  explicit LoadedProduct(std::string_view text) {
    LoadText(document, text);
    root = document.ProductData();
  }
  KorXML_c* Node(std::string_view path) { return At(document, path); }
  ProductDataProtocol_c* Protocol() { return root->Protocols()->Item(0); }
};

// The written form of one element.
inline std::string Xml(const KorXML_c* node) { return node ? node->ToXML() : "<null>"; }

}  // namespace product_test
