#include "benchreport.h"

#include <sys/utsname.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>
#include <thread>

namespace {

std::map<std::string, std::string>& Notes() {
  static std::map<std::string, std::string> notes;
  return notes;
}

// First line of a file that starts with key, the part after the separator.
std::string FileField(const char* path, const std::string& key, char separator) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    size_t at = line.find(separator);
    if (at == std::string::npos) continue;
    std::string value = line.substr(at + 1);
    size_t start = value.find_first_not_of(" \t\"");
    size_t end = value.find_last_not_of(" \t\"");
    return start == std::string::npos ? std::string() : value.substr(start, end - start + 1);
  }
  return {};
}

std::string Fixed(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", digits, v);
  return buf;
}

// Three significant figures, plain notation.
std::string Sig3(double v) {
  if (v == 0 || !std::isfinite(v)) return Fixed(v, 0);
  int digits = 2 - static_cast<int>(std::floor(std::log10(std::fabs(v))));
  return Fixed(v, digits < 0 ? 0 : digits);
}

std::string Mebi(double bytes) { return Sig3(bytes / (1024.0 * 1024.0)); }

const BenchResult* Find(const std::map<std::string, BenchResult>& results,
                        const std::string& name) {
  auto it = results.find(name);
  return it == results.end() ? nullptr : &it->second;
}

std::string Cell(const BenchResult* r, const std::string& text) {
  if (!r) return "not run";
  if (r->failed) return "failed: " + r->error;
  return text;
}

}  // namespace

void BenchNote(const std::string& key, const std::string& text) { Notes()[key] = text; }
const std::map<std::string, std::string>& BenchNotes() { return Notes(); }

bool BenchCollector_c::ReportContext(const Context& context) {
  m_cpus = context.cpu_info.num_cpus;
  m_mhz = context.cpu_info.cycles_per_second / 1e6;
  double load[1];
  m_load = getloadavg(load, 1) == 1 ? load[0] : -1;
  return ConsoleReporter::ReportContext(context);
}

void BenchCollector_c::ReportRuns(const std::vector<Run>& reports) {
  for (const Run& run : reports) {
    bool aggregate = run.run_type == Run::RT_Aggregate;
    if (aggregate && run.aggregate_name != "median") continue;
    BenchResult r;
    r.name = run.run_name.function_name;
    auto existing = m_results.find(r.name);
    // A median replaces the single repetitions; a repetition never replaces
    // a median.
    if (!aggregate && existing != m_results.end() && m_medians.count(r.name)) continue;
    r.failed = run.error_occurred;
    r.error = run.error_message;
    double toNs = 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    r.cpuNs = run.GetAdjustedCPUTime() * toNs;
    r.realNs = run.GetAdjustedRealTime() * toNs;
    for (const auto& [key, counter] : run.counters) {
      if (key == "bytes_per_second")
        r.bytesPerSecond = counter.value;
      else
        r.counters[key] = counter.value;
    }
    if (aggregate) m_medians.insert(r.name);
    if (existing == m_results.end()) m_order.push_back(r.name);
    m_results[r.name] = r;
  }
  ConsoleReporter::ReportRuns(reports);
}

bool WriteBenchMarkdown(const std::string& path, const BenchCollector_c& collector,
                        int repetitions) {
  const auto& results = collector.Results();
  const auto& notes = BenchNotes();
  std::ostringstream md;

  std::time_t now = std::time(nullptr);
  char date[64];
  std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  std::string cpu = FileField("/proc/cpuinfo", "model name", ':');
  std::string memKb = FileField("/proc/meminfo", "MemTotal", ':');
  std::string memory = memKb.empty() ? std::string("unknown")
                                     : Sig3(std::atof(memKb.c_str()) / (1024.0 * 1024.0)) + " GiB";
  std::string os = FileField("/etc/os-release", "PRETTY_NAME", '=');
  utsname uts{};
  uname(&uts);

  md << "# Performance\n\n"
     << "Figures from one run of `scripts/bench.sh` (preset `bench`: Release, -O2). The file is\n"
     << "written by `tarvo-bench --markdown=...`; run the script again to refresh it rather than\n"
     << "editing it. Benchmarks are never timed tests: nothing fails on a slow figure.\n\n"
     << "| | |\n|---|---|\n"
     << "| date | " << date << " |\n"
     << "| CPU | " << (cpu.empty() ? "unknown" : cpu) << ", " << collector.NumCpus()
     << " logical CPUs, " << Fixed(collector.MHz(), 0) << " MHz |\n"
     << "| memory | " << memory << " |\n"
     << "| system | " << (os.empty() ? "unknown" : os) << ", Linux " << uts.release << " |\n"
     << "| compiler | "
     <<
#if defined(__clang__)
      "clang "
#else
      "g++ "
#endif
     << __VERSION__ << " |\n"
     << "| references | pugixml " << PUGIXML_VERSION / 1000 << "." << (PUGIXML_VERSION % 1000) / 10
     << " |\n"
     << "| timing | CPU time per iteration, "
     << (repetitions > 1 ? "median of " + std::to_string(repetitions) + " repetitions"
                         : std::string("one repetition"))
     << "; the load average was "
     << (collector.LoadAverage() < 0 ? std::string("unknown") : Fixed(collector.LoadAverage(), 1))
     << " when the run began (other work on a shared machine adds noise and cache misses) |\n\n";

  // XML.
  md << "## XML tree: parse and compact write\n\n"
     << "Generated product files (`tarvo-prdgen --seed 20261206 --size N`), the same bytes for "
        "both\n"
     << "parsers. Parse: bytes in to a complete tree (our `KorXML_c` document node; pugixml\n"
     << "`load_buffer` with the declaration kept), tree destruction not timed. Write: the whole "
        "tree\n"
     << "as one line (ours: measure, size the buffer, write, as the document's save does; "
        "pugixml:\n"
     << "`save` with `format_raw` into a string). MB/s are MiB of file per second. Freed memory "
        "is\n"
     << "reused (our node pool keeps its chunks; `mallopt` keeps the heap), so iterations after "
        "the\n"
     << "first measure the code rather than fresh page faults.\n\n"
     << "| file | parse ours | parse pugixml | ours/pugixml | write ours | write pugixml | "
        "ours/pugixml |\n"
     << "|---|---:|---:|---:|---:|---:|---:|\n";
  double worstParseRatio = -1;
  for (int mb : {1, 10, 50}) {
    std::string size = std::to_string(mb) + "MB";
    const BenchResult* po = Find(results, "XML/parse/ours/" + size);
    const BenchResult* pp = Find(results, "XML/parse/pugixml/" + size);
    const BenchResult* wo = Find(results, "XML/write/ours/" + size);
    const BenchResult* wp = Find(results, "XML/write/pugixml/" + size);
    auto rate = [](const BenchResult* r) { return Cell(r, r ? Mebi(r->bytesPerSecond) : ""); };
    auto ratio = [](const BenchResult* a, const BenchResult* b) -> std::string {
      if (!a || !b || a->failed || b->failed || b->bytesPerSecond <= 0) return "-";
      return Fixed(a->bytesPerSecond / b->bytesPerSecond, 2);
    };
    if (po && pp && !po->failed && !pp->failed && pp->bytesPerSecond > 0) {
      double r = po->bytesPerSecond / pp->bytesPerSecond;
      if (worstParseRatio < 0 || r < worstParseRatio) worstParseRatio = r;
    }
    md << "| " << mb << " MiB | " << rate(po) << " | " << rate(pp) << " | " << ratio(po, pp)
       << " | " << rate(wo) << " | " << rate(wp) << " | " << ratio(wo, wp) << " |\n";
  }
  md << "\n";
  if (worstParseRatio >= 0) {
    md << "Lowest parse ratio ours/pugixml: " << Fixed(worstParseRatio, 2)
       << (worstParseRatio < 1.0 / 3 ? " (below one third of pugixml: profile the parser)."
                                     : " (at least one third of pugixml).")
       << "\n";
  }
  for (const auto& [key, text] : notes)
    if (key.rfind("xml:", 0) == 0) md << "\n" << text << "\n";
  md << "\n";

  // Documents.
  md << "## Documents: load, bind and read every field\n\n"
     << "`ProductDataDocument_c::LoadXML`, `ProductData()` (binds the product root), then every\n"
     << "command, message, substring, parameter, operation, setup message, variable, list entry "
        "and\n"
     << "port read through the model with `Count`/`Item` and the getters, as the editors read a\n"
     << "file; the document is destroyed inside the timing. Files from `tarvo-prdgen --seed "
        "20261206\n"
     << "--events N`.\n\n"
     << "| events | file | time per document | per event | per event vs 200 |\n"
     << "|---:|---:|---:|---:|---:|\n";
  double first = 0, last = 0;
  for (int n : {200, 2000, 20000}) {
    const BenchResult* r = Find(results, "Document/load+bind+read/" + std::to_string(n));
    if (!r || r->failed) {
      md << "| " << n << " | | " << Cell(r, "") << " | | |\n";
      continue;
    }
    double perEvent = r->cpuNs / n;
    if (n == 200) first = perEvent;
    last = perEvent;
    double bytes = r->counters.count("file_bytes") ? r->counters.at("file_bytes") : 0;
    md << "| " << n << " | " << Mebi(bytes) << " MiB | " << Sig3(r->cpuNs / 1e6) << " ms | "
       << Sig3(perEvent / 1e3) << " µs | "
       << (first > 0 ? Fixed(perEvent / first, 2) : std::string("-")) << " |\n";
  }
  md << "\n";
  if (first > 0 && last > 0) {
    double growth = last / first;
    md << "Per-event time at 20,000 events is " << Fixed(growth, 2) << " times that at 200: "
       << (growth > 1.5 ? "it grows with N; profile the load path."
                        : "flat (within the 1.5 factor we accept for cache effects).")
       << "\n";
  }
  for (const auto& [key, text] : notes)
    if (key.rfind("doc:", 0) == 0) md << "\n" << text << "\n";
  md << "\n";

  // Expressions.
  md << "## Expressions: PreviewExpression\n\n"
     << "One call of `PreviewExpression` (parse, evaluate, the three outputs) per iteration, on\n"
     << "messages typical of product files.\n\n"
     << "| message | expression | ns per preview |\n|---|---|---:|\n";
  bool anyExpr = false;
  for (const std::string& name : collector.Order()) {
    if (name.rfind("Expr/preview/", 0) != 0) continue;
    const BenchResult& r = results.at(name);
    anyExpr = true;
    std::string id = name.substr(13);
    auto it = notes.find("expr:" + id);
    std::string text = it == notes.end() ? "" : it->second;
    std::string cell;
    for (char c : text) cell += c == '|' ? std::string("\\|") : std::string(1, c);
    md << "| " << id << " | `" << cell << "` | " << Cell(&r, Sig3(r.cpuNs)) << " |\n";
  }
  if (!anyExpr) md << "| - | not built: the expression library has no preview entry yet | - |\n";
  md << "\n";

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << md.str();
  return static_cast<bool>(out);
}
