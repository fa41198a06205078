// ratios.h - the closing table every benchmark program prints: each of our operations beside
// its counterparts, as the ratio of their median times (ours / theirs; below 1, ours is faster).
//
// The same figures come out however the program is run. A benchmark run once has one time;
// run with --benchmark_repetitions its median is used: the median row Google Benchmark
// reports, or, when it reports only the repetitions, their median worked out here. Mean,
// deviation and coefficient-of-variation rows are never taken for a time. Times are CPU time
// per iteration in seconds, whatever unit the console shows; when both sides of a pair count
// items, the ratio is of time per item, so operations whose results differ in size (the
// rotations) compare fairly.
#pragma once
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

struct Timing {
  double seconds = 0;         // CPU time per iteration
  double itemsPerSecond = 0;  // 0 when the benchmark counts no items
};

// Whether a run was stopped by an error (or skipped). Google Benchmark 1.7 (Debian 12) says so
// in `error_occurred`; 1.8 and later (Debian 13) replaced it with `skipped`.
template <typename Run>
bool Failed(const Run& run) {
  if constexpr (requires { run.skipped; })
    return static_cast<bool>(run.skipped);
  else
    return run.error_occurred;
}

class MedianReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, as Google Benchmark's own console reporter does by default.
  MedianReporter() : MedianReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}
  explicit MedianReporter(OutputOptions options) : ConsoleReporter(options) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (Failed(run) || run.iterations <= 0) continue;
      const std::string name = run.run_name.str();
      if (!seen_.count(name)) {
        seen_[name] = true;
        order_.push_back(name);
      }
      Timing t;
      t.seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      auto items = run.counters.find("items_per_second");
      if (items != run.counters.end()) t.itemsPerSecond = items->second.value;
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") medians_[name] = t;
      } else {
        repetitions_[name].push_back(t);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The median timing of a benchmark by its name (arguments included), if it ran.
  std::optional<Timing> Median(const std::string& name) const {
    if (auto m = medians_.find(name); m != medians_.end()) return m->second;
    auto r = repetitions_.find(name);
    if (r == repetitions_.end() || r->second.empty()) return std::nullopt;
    std::vector<Timing> runs = r->second;
    std::sort(runs.begin(), runs.end(),
              [](const Timing& a, const Timing& b) { return a.seconds < b.seconds; });
    const size_t n = runs.size();
    if (n % 2) return runs[n / 2];
    const Timing& a = runs[n / 2 - 1];
    const Timing& b = runs[n / 2];
    return Timing{(a.seconds + b.seconds) / 2, (a.itemsPerSecond + b.itemsPerSecond) / 2};
  }

  // Every benchmark that ran, in the order it first reported.
  const std::vector<std::string>& Names() const { return order_; }

 private:
  std::map<std::string, std::vector<Timing>> repetitions_;
  std::map<std::string, Timing> medians_;
  std::map<std::string, bool> seen_;
  std::vector<std::string> order_;
};

struct Pair {
  const char* ours;
  const char* theirs;
};

// One line per pair of which both sides ran; pairs with a side filtered out are left out.
inline void PrintRatios(const MedianReporter& reporter, std::initializer_list<Pair> pairs) {
  std::printf("\n%-36s %-36s %s\n", "ours", "theirs", "ours/theirs (median CPU time)");
  for (const Pair& p : pairs) {
    const std::optional<Timing> a = reporter.Median(p.ours), b = reporter.Median(p.theirs);
    if (!a || !b) continue;
    const bool perItem = a->itemsPerSecond > 0 && b->itemsPerSecond > 0;
    const double ratio = perItem ? b->itemsPerSecond / a->itemsPerSecond
                                 : (b->seconds > 0 ? a->seconds / b->seconds : 0);
    std::printf("%-36s %-36s %6.2f%s\n", p.ours, p.theirs, ratio, perItem ? " per item" : "");
  }
}

// The main function of a benchmark program: runs the benchmarks the command line selects, then
// prints the ratio table of pairs. Returns the program's exit status.
inline int RunWithRatios(int argc, char** argv, std::initializer_list<Pair> pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter, pairs);
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
