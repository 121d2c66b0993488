#pragma once

#include <cstdint>

class ProductData_c;

// What a walk over a bound product read.
struct ProductWalkCounts {
  int32_t events = 0;
  int32_t messages = 0;    // messages of events
  int32_t substrings = 0;  // substrings of event messages
  int32_t params = 0;      // params of events and of event messages
  int32_t operations = 0;  // operations of event messages (commands' own not counted)
  int32_t setupMessages = 0;
  int32_t variables = 0;
  int32_t listVariables = 0;
  int32_t ports = 0;   // ports of the first protocol
  uint64_t bytes = 0;  // total length of every text read
};

// Reads every field of the product through the model, the way the editors
// read a file: Count, then Item (i) and the getters of each item. Lists are
// made on first access, so this also creates the wrappers a save would.
ProductWalkCounts WalkProduct(ProductData_c* root);
