// XML tree: any bytes parse without a crash, and the written form is a
// fixed point: parse, write, parse the output, write again; both writes
// must be equal and the writer must produce what Measure announced.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/korbuffer.h"
#include "foundation/xml/korxml.h"

namespace {

std::string ParseAndWrite(const uint8_t* data, size_t size) {
  KorXML_c doc(KOR_XML_DOCUMENT);
  KorBuffer_c in;
  in.Attach(data, static_cast<int32_t>(size));
  doc.Parse(&in);  // a failed parse keeps what was read; that must write too

  int32_t measured = doc.Measure(0, false);
  KorStringWriter_c out;
  int32_t written = doc.Write(&out, 0, false);
  if (measured != written || written != static_cast<int32_t>(out.Text().size())) {
    std::fprintf(stderr, "Measure %d, Write returned %d, wrote %zu bytes\n", measured, written,
                 out.Text().size());
    std::abort();
  }
  return out.Text();
}

void Dump(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s (%zu bytes):\n", what, text.size());
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  std::string first = ParseAndWrite(data, size);
  std::string second = ParseAndWrite(reinterpret_cast<const uint8_t*>(first.data()), first.size());
  if (first != second) {
    size_t at = 0;
    while (at < first.size() && at < second.size() && first[at] == second[at]) ++at;
    std::fprintf(stderr, "the writes differ from byte %zu\n", at);
    Dump("first write", first);
    Dump("second write", second);
    std::abort();
  }
  return 0;
}
