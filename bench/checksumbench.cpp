// Checksum finder: FindChecksums over eight sample frames of 64 bytes.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "benchreport.h"
#include "expr/checksumfinder.h"

namespace {

// STX, 60 printable data bytes, the two's complement of their sum as two
// uppercase hex digits, ETX: a fit that is not the first variant tried.
std::vector<std::string> HexFrames() {
  std::vector<std::string> frames;
  uint32_t seed = 12345;
  for (int f = 0; f < 8; ++f) {
    std::string data;
    for (int i = 0; i < 60; ++i) {
      seed = seed * 1103515245u + 12345u;
      data.push_back(static_cast<char>(0x20 + (seed >> 16) % 95));
    }
    unsigned sum = 0;
    for (const unsigned char c : data) sum += c;
    const unsigned check = (256 - sum % 256) % 256;
    const char digits[] = "0123456789ABCDEF";
    frames.push_back("\x02" + data + digits[check >> 4] + digits[check & 15] + "\x03");
  }
  return frames;
}

// The same frames with their check bytes spoiled: nothing fits, so every
// variant and every common CRC is tried on every range.
std::vector<std::string> UnfitFrames() {
  std::vector<std::string> frames = HexFrames();
  for (size_t f = 0; f < frames.size(); ++f) frames[f][62] = static_cast<char>('G' + f);
  return frames;
}

void FindBench(benchmark::State& state, bool fits) {
  const std::vector<std::string> frames = fits ? HexFrames() : UnfitFrames();
  size_t found = 0;
  for (auto _ : state) {
    const ChecksumSearch search = FindChecksums(frames);
    found = search.candidates.size();
    benchmark::DoNotOptimize(found);
  }
  BenchNote(std::string("checksum:") + (fits ? "fit" : "none"),
            std::to_string(found) + " candidates over 8 frames of " + std::to_string(frames[0].size()) + " bytes");
}

}  // namespace

void RegisterChecksumFinderBenchmarks() {
  benchmark::RegisterBenchmark("Checksum/find/8x64 hex two's complement", FindBench, true)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Checksum/find/8x64 nothing fits", FindBench, false)->Unit(benchmark::kMillisecond);
}
