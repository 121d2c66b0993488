#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>
#include <vector>

// One measured benchmark: the median of its repetitions when there were
// several, else its single run.
struct BenchResult {
  std::string name;
  double cpuNs = 0;           // CPU time per iteration
  double realNs = 0;          // wall time per iteration
  double bytesPerSecond = 0;  // 0 when the benchmark processes no bytes
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
  // Plain text: the output usually ends in a log.
  BenchCollector_c() : ConsoleReporter(OO_Tabular) {}
  bool ReportContext(const Context& context) override;
  void ReportRuns(const std::vector<Run>& reports) override;

  const std::map<std::string, BenchResult>& Results() const { return m_results; }
  // Names in the order they ran.
  const std::vector<std::string>& Order() const { return m_order; }
  int NumCpus() const { return m_cpus; }
  double MHz() const { return m_mhz; }
  // One-minute load average when the run began; -1 when unknown.
  double LoadAverage() const { return m_load; }

 private:
  std::map<std::string, BenchResult> m_results;
  std::set<std::string> m_medians;  // names whose result is a median
  std::vector<std::string> m_order;
  int m_cpus = 0;
  double m_mhz = 0;
  double m_load = -1;
};

// Writes the markdown report (machine, date, tables, verdicts) to path.
// False when the file cannot be written.
bool WriteBenchMarkdown(const std::string& path, const BenchCollector_c& collector,
                        int repetitions);
