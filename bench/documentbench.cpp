// Documents: LoadXML, bind the product root, read every field through the
// model, for files of 200, 2,000 and 20,000 events.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "benchdata.h"
#include "benchreport.h"
#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "productwalk.h"

namespace {

constexpr int32_t kEventCounts[] = {200, 2000, 20000};

bool SameCounts(const ProductWalkCounts& w, const PrdGenSummary& s) {
  return w.events == s.events && w.messages == s.messages && w.substrings == s.substrings &&
         w.params == s.params && w.operations == s.operations &&
         w.setupMessages == s.setupMessages && w.variables == s.variables &&
         w.listVariables == s.listVariables && w.ports == s.ports;
}

std::string Describe(const ProductWalkCounts& w) {
  return std::to_string(w.events) + " events, " + std::to_string(w.messages) + " messages, " +
         std::to_string(w.substrings) + " substrings, " + std::to_string(w.params) + " params, " +
         std::to_string(w.operations) + " operations, " + std::to_string(w.setupMessages) +
         " setup messages, " + std::to_string(w.variables) + " variables, " +
         std::to_string(w.listVariables) + " list entries, " + std::to_string(w.ports) + " ports";
}

void LoadBindReadBench(benchmark::State& state, int32_t events) {
  PrdGenSummary summary;
  const std::string& text = BenchProductOfEvents(events, &summary);
  ProductWalkCounts counts;
  for (auto _ : state) {
    ProductDataDocument_c doc;
    KorBuffer_c buffer;
    buffer.Attach(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()));
    if (doc.LoadXML(&buffer) < 0) {
      state.SkipWithError("LoadXML failed");
      break;
    }
    counts = WalkProduct(doc.ProductData());
    benchmark::DoNotOptimize(counts.bytes);
  }
  // The walk must have seen everything the generator wrote.
  if (state.iterations() > 0 && !SameCounts(counts, summary)) {
    BenchNote("doc:counts" + std::to_string(events),
              "Mismatch at " + std::to_string(events) + " events: the model read " +
                  Describe(counts) + "; the file holds " + std::to_string(summary.events) +
                  " events, " + std::to_string(summary.messages) + " messages, " +
                  std::to_string(summary.substrings) + " substrings.");
    state.SkipWithError("the model did not read what the file holds");
  } else if (events == kEventCounts[2]) {
    BenchNote("doc:counts", "Every walk was checked against the generator: at " +
                                std::to_string(events) + " events the model read " +
                                Describe(counts) + ".");
  }
  state.counters["events"] = events;
  state.counters["file_bytes"] = static_cast<double>(text.size());
  state.counters["per_event"] = benchmark::Counter(
      static_cast<double>(events),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

void RegisterDocumentBenchmarks() {
  for (int32_t n : kEventCounts) {
    benchmark::RegisterBenchmark(("Document/load+bind+read/" + std::to_string(n)).c_str(),
                                 LoadBindReadBench, n)
        ->Unit(benchmark::kMillisecond);
  }
}
