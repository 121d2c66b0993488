// tarvo-prdgen: writes a generated product file (see bench/README.md).

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "prdgenerator.h"

namespace {

const char kUsage[] =
    "usage: tarvo-prdgen [--seed S] [--events N | --size BYTES[K|M]] [--variables N]\n"
    "                    [--setup N] [--summary] [-o FILE]\n"
    "Writes a deterministic product file: the same options give the same bytes.\n"
    "  --seed S       pseudo-random seed (default 1)\n"
    "  --events N     number of events (default 200)\n"
    "  --size BYTES   add events until the file has at least this size (suffix K or M)\n"
    "  --variables N  device variables (default: from the number of events)\n"
    "  --setup N      setup and login messages (default: 2 or 4)\n"
    "  --summary      print the counts of what was generated to stderr\n"
    "  -o FILE        output file (default: standard output)\n";

bool ParseNumber(std::string_view text, uint64_t* value) {
  uint64_t factor = 1;
  if (!text.empty() && (text.back() == 'K' || text.back() == 'k')) factor = 1024;
  if (!text.empty() && (text.back() == 'M' || text.back() == 'm')) factor = 1024 * 1024;
  if (factor != 1) text.remove_suffix(1);
  uint64_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return false;
  *value = v * factor;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  PrdGenOptions options;
  const char* outPath = nullptr;
  bool summary = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--summary") {
      summary = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "tarvo-prdgen: %s needs a value\n%s", argv[i], kUsage);
      return 2;
    }
    std::string_view value = argv[++i];
    uint64_t n = 0;
    if (arg == "-o") {
      outPath = argv[i];
      continue;
    }
    if (!ParseNumber(value, &n) || n > 0x7FFFFFFFu * (arg == "--size" ? 64ull : 1ull)) {
      std::fprintf(stderr, "tarvo-prdgen: bad number for %s: %s\n", argv[i - 1], argv[i]);
      return 2;
    }
    if (arg == "--seed") {
      options.seed = n;
    } else if (arg == "--events") {
      options.events = static_cast<int32_t>(n);
    } else if (arg == "--size") {
      options.targetBytes = static_cast<size_t>(n);
    } else if (arg == "--variables") {
      options.variables = static_cast<int32_t>(n);
    } else if (arg == "--setup") {
      options.setupMessages = static_cast<int32_t>(n);
    } else {
      std::fprintf(stderr, "tarvo-prdgen: unknown option %s\n%s", argv[i - 1], kUsage);
      return 2;
    }
  }

  PrdGenSummary counts;
  std::string text = GeneratePrd(options, &counts);
  FILE* out = outPath ? std::fopen(outPath, "wb") : stdout;
  if (!out) {
    std::fprintf(stderr, "tarvo-prdgen: %s: %s\n", outPath, std::strerror(errno));
    return 2;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  ok = (outPath ? std::fclose(out) : std::fflush(out)) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "tarvo-prdgen: %s: write failed\n", outPath ? outPath : "stdout");
    return 2;
  }
  if (summary) {
    std::fprintf(stderr,
                 "bytes %zu, events %d, messages %d, substrings %d, params %d, operations %d, "
                 "setup messages %d, variables %d, list entries %d, ports %d\n",
                 text.size(), counts.events, counts.messages, counts.substrings, counts.params,
                 counts.operations, counts.setupMessages, counts.variables, counts.listVariables,
                 counts.ports);
  }
  return 0;
}
