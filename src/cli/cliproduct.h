#pragma once

#include <string>

#include "model/document/productdatadocument.h"

namespace tarvo::cli {

// A product file loaded into a document with its product root bound.
struct LoadedProduct {
  ProductDataDocument_c document;
  ProductData_c* root = nullptr;
};

// Reads `path` ("-" for standard input), parses it and binds the product
// root. Returns kExitOk, or reports the problem and returns kExitContent for
// text that is not well-formed or holds no product element, kExitUsage when
// the file cannot be read.
int LoadProduct(const std::string& path, LoadedProduct& product);

// How a path is named in error lines.
std::string DisplayName(const std::string& path);

}  // namespace tarvo::cli
