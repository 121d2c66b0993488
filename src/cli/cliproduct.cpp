#include "cli/cliproduct.h"

#include "cli/clicommon.h"
#include "foundation/korbuffer.h"
#include "foundation/xml/showxml.h"

namespace tarvo::cli {

std::string DisplayName(const std::string& path) { return path == "-" ? "<stdin>" : path; }

int LoadProduct(const std::string& path, LoadedProduct& product) {
  auto input = ReadInput(path);
  if (!input) return kExitUsage;
  KorBuffer_c buffer;
  buffer.Attach(reinterpret_cast<const uint8_t*>(input->data()), static_cast<int32_t>(input->size()));
  if (product.document.LoadXML(&buffer) == KOR_FAIL) {
    ReportError(DisplayName(path), "not well-formed XML (parse error near byte " +
                                       std::to_string(buffer.GetPosition()) + ")");
    return kExitContent;
  }
  // Binding would create an empty product element; a file without one is not a product file.
  if (!product.document.GetXMLDocument()->FindChildElement("product")) {
    ReportError(DisplayName(path), "no product element");
    return kExitContent;
  }
  product.root = product.document.ProductData();
  if (!product.root) {
    ReportError(DisplayName(path), "the product element cannot be bound");
    return kExitContent;
  }
  return kExitOk;
}

}  // namespace tarvo::cli
