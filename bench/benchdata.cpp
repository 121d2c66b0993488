#include "benchdata.h"

#include <map>
#include <utility>

namespace {

struct Generated {
  std::string text;
  PrdGenSummary summary;
};

}  // namespace

const std::string& BenchProductOfSize(int32_t megabytes) {
  static std::map<int32_t, Generated> cache;
  auto it = cache.find(megabytes);
  if (it == cache.end()) {
    PrdGenOptions options;
    options.seed = kBenchSeed;
    options.targetBytes = static_cast<size_t>(megabytes) * 1024 * 1024;
    Generated g;
    g.text = GeneratePrd(options, &g.summary);
    it = cache.emplace(megabytes, std::move(g)).first;
  }
  return it->second.text;
}

const std::string& BenchProductOfEvents(int32_t events, PrdGenSummary* summary) {
  static std::map<int32_t, Generated> cache;
  auto it = cache.find(events);
  if (it == cache.end()) {
    PrdGenOptions options;
    options.seed = kBenchSeed;
    options.events = events;
    Generated g;
    g.text = GeneratePrd(options, &g.summary);
    it = cache.emplace(events, std::move(g)).first;
  }
  if (summary) *summary = it->second.summary;
  return it->second.text;
}
