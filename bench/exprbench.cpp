// Expressions: PreviewExpression on messages typical of product files.

#include <benchmark/benchmark.h>

#include <string>

#include "benchreport.h"
#include "expr/preview.h"

namespace {

struct TypicalMessage {
  const char* id;
  const char* text;
};

// What the outgoing editor evaluates: whole stored messages and the
// per-substring sprintf calls it previews row by row.
constexpr TypicalMessage kMessages[] = {
    {"constant", R"("PWR ON\r")"},
    {"constant sprintf", R"(sprintf("PWR ON\r"))"},
    {"byte notation", R"(h02 "PLAY" h03 & 13,10)"},
    {"sprintf 1 conversion", R"(sprintf("VOL %03d\r", 42))"},
    {"sprintf 5 conversions",
     R"(sprintf("SET %03d,%02X,%s,%.1f,%p\r", 42, 200, "Main", 12.5, 4660))"},
    {"checksum", R"(sprintf("\x02PLAY %d%p\x03", 12, bytechecksum(sprintf("PLAY %d", 12))))"},
    {"nested checksums",
     R"(sprintf("%p%p\r", bcc(sprintf("ID%02X%p", 7, kornetchecksum(sprintf("ID%02X", 7)))), checksum("ABC" & bcc("DEF"))))"},
    {"md5", R"(sprintf("AUTH %s\r", md5(sprintf("%s:%d", "admin", 1234))))"},
    {"arithmetic", R"(sprintf("POS %d,%d\r", (120*25+7)/2, mod(1000-3, 256)))"},
    {"syntax error", R"(sprintf("PWR %d\r", foo(1)))"},
};

void PreviewBench(benchmark::State& state, const char* text) {
  std::string message, stringRep, hexRep;
  for (auto _ : state) {
    PreviewExpression(text, &message, &stringRep, &hexRep);
    benchmark::DoNotOptimize(message.data());
    benchmark::DoNotOptimize(hexRep.data());
  }
}

}  // namespace

void RegisterChecksumFinderBenchmarks();

void RegisterExprBenchmarks() {
  for (const TypicalMessage& m : kMessages) {
    BenchNote(std::string("expr:") + m.id, m.text);
    benchmark::RegisterBenchmark((std::string("Expr/preview/") + m.id).c_str(), PreviewBench,
                                 m.text);
  }
  RegisterChecksumFinderBenchmarks();
}
