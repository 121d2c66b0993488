#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "foundation/korbuffer.h"
#include "foundation/xml/korxml.h"
#include "model/document/showdocument.h"
#include "model/showresource.h"

// Shared by the base-class tests: load and save documents through byte
// buffers and reach elements by a slash-separated tag path.
namespace base_test {

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
    std::string_view step = path.substr(0, slash);
    node = ShowXMLInterface_c::FindChildElement(node, step);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return node;
}

inline KorXML_c* At(ShowDocument_c& document, std::string_view path) {
  return At(document.GetXMLDocument(), path);
}

// The first text child of node, empty or not.
inline KorXML_c* FirstText(const KorXML_c* node) {
  if (!node || !node->PeekChildren()) return nullptr;
  for (KorObject_c* object : *node->PeekChildren())
    if (static_cast<KorXML_c*>(object)->GetType() == KOR_XML_TEXT)
      return static_cast<KorXML_c*>(object);
  return nullptr;
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

}  // namespace base_test
