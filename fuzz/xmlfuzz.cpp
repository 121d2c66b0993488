// XML tree: any bytes parse without a crash, and the written form is a
// fixed point: parse, write, parse the output, write again; both writes
// must be equal and the writer must produce what Measure announced. A parse
// that keeps some elements' children as text ends where the plain parse
// ends and differs from it only by the kept children, each of which reads
// back as the element the plain parse made there.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

[[noreturn]] void KeptFault(const char* what) {
  std::fprintf(stderr, "children kept as text: %s\n", what);
  std::abort();
}

// The children of every `a` are kept as text: a short name, so that random
// input meets it often.
void CheckKeptAsText(const uint8_t* data, size_t size) {
  KorXML_c plain(KOR_XML_DOCUMENT);
  KorXML_c kept(KOR_XML_DOCUMENT);
  KorBuffer_c plainIn;
  KorBuffer_c keptIn;
  plainIn.Attach(data, static_cast<int32_t>(size));
  keptIn.Attach(data, static_cast<int32_t>(size));
  if (plain.Parse(&plainIn) != kept.Parse(&keptIn, "a") ||
      plainIn.GetPosition() != keptIn.GetPosition()) {
    KeptFault("the parses end differently");
  }
  std::vector<std::pair<const KorXML_c*, const KorXML_c*>> pending{{&kept, &plain}};
  while (!pending.empty()) {
    const auto [k, p] = pending.back();
    pending.pop_back();
    if (k->GetType() == KOR_XML_RAW) {
      const std::string_view text = k->ValueView();
      KorXML_c again(KOR_XML_DOCUMENT);
      KorBuffer_c in;
      in.Attach(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()));
      if (p->GetType() != KOR_XML_ELEMENT || again.Parse(&in) < 0 || again.ChildCount() != 1 ||
          again.ChildAt(0)->ToXML() != p->ToXML()) {
        KeptFault("a kept child does not read back as the element");
      }
      continue;
    }
    if (k->GetType() != p->GetType() || k->ValueView() != p->ValueView() ||
        k->ChildCount() != p->ChildCount()) {
      KeptFault("a node differs");
    }
    if (k->ChildCount() == 0) continue;
    auto pc = p->PeekChildren()->begin();
    for (const KorObject_c* child : *k->PeekChildren()) {
      pending.push_back({static_cast<const KorXML_c*>(child), static_cast<const KorXML_c*>(*pc++)});
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  CheckKeptAsText(data, size);
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
