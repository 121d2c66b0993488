#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Deterministic generator of realistic product files.
//
// The output is exactly what the document writer produces for such a tree
// (one line, a space before "?>" and before the end of every start tag that
// has attributes, entities for & < > ' "), so parsing it and writing it
// back must give the same bytes. The same options always give the same
// bytes on every platform: the generator uses its own pseudo-random
// sequence, never the standard distributions.
struct PrdGenOptions {
  uint64_t seed = 1;
  // Number of events (commands). Ignored when targetBytes is not 0.
  int32_t events = 200;
  // When not 0: add events until the file is at least this many bytes.
  size_t targetBytes = 0;
  // Device variables; -1 chooses from the number of events.
  int32_t variables = -1;
  // Setup and login messages; -1 chooses a few.
  int32_t setupMessages = -1;
};

// What one generated file holds, for readers that check their walk.
struct PrdGenSummary {
  int32_t events = 0;
  int32_t messages = 0;    // outgoing and incoming messages of events
  int32_t substrings = 0;  // substrings of event messages
  int32_t params = 0;      // params of events and of incoming messages
  int32_t operations = 0;  // operations of event messages
  int32_t setupMessages = 0;
  int32_t variables = 0;
  int32_t listVariables = 0;  // lv entries
  int32_t ports = 0;          // ports under the protocol
};

// The product file as bytes. summary, when given, receives the counts.
std::string GeneratePrd(const PrdGenOptions& options, PrdGenSummary* summary = nullptr);

// Small splitmix64 sequence: portable and repeatable.
class PrdRandom_c {
 public:
  explicit PrdRandom_c(uint64_t seed) : m_state(seed) {}
  uint64_t Next();
  // Uniform in [0, n) for n > 0 (0 for n <= 0).
  int32_t Below(int32_t n);
  // Uniform in [lo, hi].
  int32_t Between(int32_t lo, int32_t hi) { return lo + Below(hi - lo + 1); }
  // True with probability percent/100.
  bool Chance(int32_t percent) { return Below(100) < percent; }

 private:
  uint64_t m_state;
};
