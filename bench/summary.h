// The console report of Google Benchmark, followed by a short summary that
// puts the record engine beside its floor and beside SQLite and says for
// each speed target whether this run met it.
#ifndef ZBDB_BENCH_SUMMARY_H_
#define ZBDB_BENCH_SUMMARY_H_

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace zbbench {

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  explicit SummaryReporter(OutputOptions options)
      : ConsoleReporter(options) {}
  void ReportRuns(const std::vector<Run>& runs) override;
  // Prints the summary; returns the number of targets missed.
  int PrintSummary();

 private:
  // Real time per iteration in nanoseconds, or a negative value when the
  // benchmark did not run (filtered out or failed).
  double Nanos(const std::string& name) const;
  double CpuNanos(const std::string& name) const;
  // " (CPU time 1.23x)": the same ratio in CPU time, which a busy machine
  // disturbs less than real time.
  std::string CpuRatio(const std::string& a, const std::string& b) const;

  std::map<std::string, double> nanos_;        // by benchmark name
  std::map<std::string, double> cpu_nanos_;
  std::map<std::string, bool> from_median_;    // taken from the median
  std::map<std::string, std::string> labels_;
};

}  // namespace zbbench

#endif  // ZBDB_BENCH_SUMMARY_H_
