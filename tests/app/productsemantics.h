#pragma once

#include <string>
#include <string_view>
#include <vector>

class ProductData_c;

// One thing the show controller reads from a product file: where it is
// (`event 2 "Power On" message 1`), which field, and its value.
struct ProductFact
{
    std::string place;
    std::string field;
    std::string value;
};

// The facts of a bound product, in file order: per setup message and per
// event message its name, the incoming flag, format, regular expression, manual flag
// and example text; per event its name, retries, timeout and unsolicited
// flag; per parameter (of events and messages) and device variable its
// name, type, limits, options, example and initial value, and for a list
// variable its size and entries. Reading may add
// default attributes to the tree, so hand it a document of its own.
std::vector<ProductFact> ProductFacts(ProductData_c* product);

// The facts of a product file's text; false when it has no product root.
bool ProductFactsOfText(std::string_view text, std::vector<ProductFact>* facts);

// Empty when saved holds every fact of original unchanged, else the first
// difference with its place. Allowed: a format's "XOR(" calls outside
// quoted text saved as "BCC(" (the name the language knows); a message
// turned from generated to manual while its format and regular expression
// are kept exactly (its stored text disagreed with its substrings and was
// kept as typed); the built-in variables Error and TCPStatus added to a
// file that lacked them.
std::string FirstFactDifference(const std::vector<ProductFact>& original, const std::vector<ProductFact>& saved);
