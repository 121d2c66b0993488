// Product documents: load any bytes, bind the product root, read every
// field through the model and save. Loading that save, binding, reading and
// saving again must give the same bytes: the model's normalisation is done
// in one pass and nothing read is lost or changed by a save.
//
// Built with the editors (TARVO_FUZZ_EDITORS), the same bytes also go
// through what tarvo-cli save and check run: the window's open and save with
// every editor page, and the driver checks on the pages. The first save may
// still change what a page reads differently from how it was written (an
// outgoing variable substring without its variable comes back as a local);
// from the second on, a save of a save must give the same bytes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "productwalk.h"

#ifdef TARVO_FUZZ_EDITORS
#include <QApplication>
#include <QByteArray>
#include <QString>

#include "app/producteditors.h"
#include "app/productio.h"
#endif

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

#ifdef TARVO_FUZZ_EDITORS
// The pages are widgets: one application for the whole run, never shown.
void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void SaveAndCheckWithEditors(const uint8_t* data, size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QByteArray first, saved, again;
  QString error;
  if (ResaveProductText(text, false, false, &first, &error) &&
      ResaveProductText(first, false, false, &saved, &error)) {
    if (!ResaveProductText(saved, false, false, &again, &error) || again != saved) {
      std::fprintf(stderr, "a third window save differs (%s)\nsecond:\n%s\nthird:\n%s\n",
                   error.toLocal8Bit().constData(), saved.constData(), again.constData());
      std::abort();
    }
  }
  ProductDataDocument_c document;
  ProductData_c* product = nullptr;
  LoadProductText(document, text, product);
  if (product) (void)CheckProductPages(product);
}
#endif

}  // namespace

#ifdef TARVO_FUZZ_EDITORS
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(QuietMessages);
  new QApplication(*argc, *argv);  // lives until the process ends
  return 0;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (256u << 10)) return 0;
#ifdef TARVO_FUZZ_EDITORS
  // The pages load every event into item models; larger inputs only slow the search.
  if (size <= (64u << 10)) SaveAndCheckWithEditors(data, size);
#endif
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
