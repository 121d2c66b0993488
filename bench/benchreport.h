#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// One measured benchmark: the median of its repetitions when there were
// several, else its single run.
struct BenchResult {
  std::string name;
  double cpuNs = 0;            // CPU time per iteration
  double realNs = 0;           // wall time per iteration
  double bytesPerSecond = 0;   // 0 when the benchmark processes no bytes
  std::map<std::string, double> counters;
  bool failed = false;
  std::string error;
};

// Facts the benchmarks establish while they run (a round trip that matched,
// a count that was checked), shown under the tables.
void BenchNote(const std::string& key, const std::string& text);
const std::map<std::string, std::string>& BenchNotes();

// Prints like the console reporter and keeps every result.
class BenchCollector_c : public benchmark::ConsoleReporter {
 public:
  bool ReportContext(const Context& context) override;
  void ReportRuns(const std::vector<Run>& reports) override;

  const std::map<std::string, BenchResult>& Results() const { return m_results; }
  int NumCpus() const { return m_cpus; }
  double MHz() const { return m_mhz; }

 private:
  std::map<std::string, BenchResult> m_results;
  std::set<std::string> m_medians;  // names whose result is a median
  int m_cpus = 0;
  double m_mhz = 0;
};

// Writes the markdown report (machine, date, tables, verdicts) to path.
// False when the file cannot be written.
bool WriteBenchMarkdown(const std::string& path, const BenchCollector_c& collector,
                        int repetitions);
