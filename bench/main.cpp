// zbdb_bench: the record engine against the I/O floor and SQLite, with a
// summary of the ratios. Google Benchmark's options apply
// (--benchmark_filter, --benchmark_repetitions, --benchmark_out, ...).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

#include "bench_files.h"
#include "summary.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  zbbench::BenchFiles& files = zbbench::BenchFiles::Get();
  files.Prepare();
  std::printf("Files in %s: %u records of %d bytes; SQLite %s\n",
              files.folder().c_str(), zbbench::kRecords, zbbench::kRecordSize,
              sqlite3_libversion());
  zbbench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  files.Remove();
  benchmark::Shutdown();
  // The figures are the result; a missed target is reported, not an error.
  return 0;
}
