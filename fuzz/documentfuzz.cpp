// Product documents: load any bytes, bind the product root, read every
// field through the model and save. Loading that save, binding, reading and
// saving again must give the same bytes: the model's normalisation is done
// in one pass and nothing read is lost or changed by a save.
//
// The window's save and the driver checks have a target of their own
// (savefuzz.cpp): the editor pages would slow this one to a few runs a second.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "productwalk.h"

namespace {

std::string LoadWalkSave(const uint8_t* data, size_t size, ProductWalkCounts* counts) {
  ProductDataDocument_c doc;
  KorBuffer_c in;
  in.Attach(data, static_cast<int32_t>(size));
  doc.LoadXML(&in);  // the caller does not check it: a partial tree is bound too
  *counts = WalkProduct(doc.ProductData());
  KorBuffer_c out;
  int32_t written = doc.SaveXML(&out);
  if (written < 0 || written != out.GetLength()) {
    std::fprintf(stderr, "SaveXML returned %d for a buffer of %d bytes\n", written,
                 out.GetLength());
    std::abort();
  }
  return out.ToStdString();
}

bool SameItems(const ProductWalkCounts& a, const ProductWalkCounts& b) {
  return a.events == b.events && a.messages == b.messages && a.substrings == b.substrings &&
         a.params == b.params && a.operations == b.operations &&
         a.setupMessages == b.setupMessages && a.variables == b.variables &&
         a.listVariables == b.listVariables && a.ports == b.ports;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (256u << 10)) return 0;
  ProductWalkCounts firstCounts, secondCounts;
  std::string first = LoadWalkSave(data, size, &firstCounts);
  std::string second =
      LoadWalkSave(reinterpret_cast<const uint8_t*>(first.data()), first.size(), &secondCounts);
  // Text split by child elements is joined by the writer, so the texts read
  // may differ in length between the rounds; what the lists hold may not.
  if (first != second || !SameItems(firstCounts, secondCounts)) {
    size_t at = 0;
    while (at < first.size() && at < second.size() && first[at] == second[at]) ++at;
    std::fprintf(stderr, "the saves differ from byte %zu\nfirst save (%zu bytes):\n", at,
                 first.size());
    std::fwrite(first.data(), 1, first.size(), stderr);
    std::fprintf(stderr, "\nsecond save (%zu bytes):\n", second.size());
    std::fwrite(second.data(), 1, second.size(), stderr);
    std::fputc('\n', stderr);
    std::fprintf(stderr,
                 "read events %d/%d, messages %d/%d, substrings %d/%d, params %d/%d, "
                 "operations %d/%d, setup messages %d/%d, variables %d/%d, list entries %d/%d, "
                 "ports %d/%d\n",
                 firstCounts.events, secondCounts.events, firstCounts.messages,
                 secondCounts.messages, firstCounts.substrings, secondCounts.substrings,
                 firstCounts.params, secondCounts.params, firstCounts.operations,
                 secondCounts.operations, firstCounts.setupMessages, secondCounts.setupMessages,
                 firstCounts.variables, secondCounts.variables, firstCounts.listVariables,
                 secondCounts.listVariables, firstCounts.ports, secondCounts.ports);
    std::abort();
  }
  return 0;
}
