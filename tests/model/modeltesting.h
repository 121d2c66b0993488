#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "foundation/korbuffer.h"
#include "foundation/xml/korxml.h"
#include "model/document/productdatadocument.h"
#include "model/productdata.h"

// Documents loaded from and saved to byte buffers, elements reached by a
// slash-separated tag path, fixtures read from tests/model/data.
namespace model_test {

inline std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(TARVO_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline int32_t LoadText(ShowDocument_c& document, std::string_view text) {
  KorBuffer_c buffer;
  buffer.Assign(text);
  return document.LoadXML(&buffer);
}

inline std::string SaveText(ShowDocument_c& document) {
  KorBuffer_c buffer;
  if (document.SaveXML(&buffer) < 0) return "<save failed>";
  return buffer.ToStdString();
}

// The element at path below node ("product/protocols/protocol"); each step
// takes the first child element of that tag, ignoring ASCII case.
inline KorXML_c* At(KorXML_c* node, std::string_view path) {
  while (node && !path.empty()) {
    size_t slash = path.find('/');
    node = ShowXMLInterface_c::FindChildElement(node, path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return node;
}

inline KorXML_c* At(ShowDocument_c& document, std::string_view path) {
  return At(document.GetXMLDocument(), path);
}

// The tags of node's child elements, space separated.
inline std::string ChildTags(const KorXML_c* node) {
  std::string tags;
  if (!node || !node->PeekChildren()) return tags;
  for (KorObject_c* object : *node->PeekChildren()) {
    auto* child = static_cast<KorXML_c*>(object);
    if (child->GetType() != KOR_XML_ELEMENT || child->IsValueEmpty()) continue;
    if (!tags.empty()) tags += ' ';
    tags += child->GetName();
  }
  return tags;
}

// A product document loaded from text with its root bound.
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

}  // namespace model_test
