// tarvo-bench: every benchmark of the core in one run.
//
//   tarvo-bench [--markdown=FILE] [Google Benchmark flags]
//
// With --markdown the figures also go to FILE as the table of
// docs/performance.md (scripts/bench.sh passes it).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "benchreport.h"

// Each area registers its benchmarks; an area whose library is not built
// is left out by the build.
#ifdef TARVO_BENCH_XML
void RegisterXMLBenchmarks();
#endif
#ifdef TARVO_BENCH_DOCUMENT
void RegisterDocumentBenchmarks();
#endif
#ifdef TARVO_BENCH_EXPR
void RegisterExprBenchmarks();
#endif

int main(int argc, char** argv) {
  std::string markdown;
  int repetitions = 1;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--markdown=", 11) == 0) {
      markdown = a + 11;
      continue;
    }
    if (std::strncmp(a, "--benchmark_repetitions=", 24) == 0) repetitions = std::atoi(a + 24);
    args.push_back(argv[i]);
  }
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

#ifdef TARVO_BENCH_XML
  RegisterXMLBenchmarks();
#endif
#ifdef TARVO_BENCH_DOCUMENT
  RegisterDocumentBenchmarks();
#endif
#ifdef TARVO_BENCH_EXPR
  RegisterExprBenchmarks();
#endif

  // Buffers of 50 MiB are above glibc's largest mmap threshold, so every
  // iteration would map fresh pages and measure the kernel's page faults
  // rather than the code. Keeping freed memory in the heap makes every
  // iteration after the first reuse it, for ours and pugixml alike.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);

  BenchCollector_c collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();
  if (!markdown.empty()) {
    if (!WriteBenchMarkdown(markdown, collector, repetitions)) {
      std::fprintf(stderr, "tarvo-bench: %s: cannot write the report\n", markdown.c_str());
      return 2;
    }
    std::fprintf(stderr, "tarvo-bench: report written to %s\n", markdown.c_str());
  }
  return 0;
}
