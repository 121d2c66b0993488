#pragma once

#include <QByteArray>
#include <QString>

#include "model/document/productdatadocument.h"

// How reading a product file's text into the document ended.
enum class ProductLoadResult {
    Loaded,            // the product root is bound and was written by this program
    NoProduct,         // the product root could not be bound
    NotWrittenByTarvo  // the root's creator attribute does not read as true
};

// Parses text into document (an empty text gives an empty document) and
// binds its product root, which is handed back through product (null when
// binding failed) whatever the result. A parse error does not stop the load
// (the root binds to what was parsed before it); wellFormed, when given,
// tells whether there was none. With commands as Text, the events are kept
// as text for the events page to read one at a time: for loads whose next
// reader of the commands is the pages' Load.
ProductLoadResult LoadProductText(ProductDataDocument_c& document, const QByteArray& text,
                                  ProductData_c*& product, bool* wellFormed = nullptr,
                                  ProductCommandsAs commands = ProductCommandsAs::Trees);

// Why opening path (whose bytes are text) was refused, naming the file: it
// could not be read, holds no XML element, holds XML whose root is not a
// product, or is a product without the creator mark (the refusal's usual
// wording).
QString OpenRefusedText(const QString& path, const QByteArray& text);

// Clears document to an empty product file and returns its fresh product root
// (null when it cannot be bound), ready for the editors to store into.
ProductData_c* ResetProductDocument(ProductDataDocument_c& document);

// Sets the root attributes every saved product file carries: the schema
// instance namespace, the schema location, creator and creator version.
void MarkWrittenByTarvo(ProductData_c& product);

// The document as the bytes of a product file; false when it cannot be written.
bool SaveProductText(ProductDataDocument_c& document, QByteArray* text);

QString ProductMake(ProductData_c& product);
QString ProductModel(ProductData_c& product);

// The start dialog's category (0 "custom" to 6 "video") for a product file's
// text, or -1 when the file is not one this program wrote and is left out.
int ProductListingGroup(const QByteArray& text);
