// zbdb_bench: the record engine against the I/O floor and SQLite, with a
// summary of the ratios. Google Benchmark's options apply
// (--benchmark_filter, --benchmark_repetitions, --benchmark_out, ...).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <unistd.h>

#include <cstring>
#include <iostream>

#include "bench_files.h"
#include "summary.h"

namespace {

// A reporter of our own does not learn --benchmark_color from the library:
// colour only on a terminal, and never when asked not to.
benchmark::ConsoleReporter::OutputOptions ConsoleOptions(int argc,
                                                         char** argv) {
  bool color = isatty(STDOUT_FILENO) != 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--benchmark_color=false") == 0 ||
        std::strcmp(argv[i], "--benchmark_color=no") == 0)
      color = false;
    if (std::strcmp(argv[i], "--benchmark_color=true") == 0 ||
        std::strcmp(argv[i], "--benchmark_color=yes") == 0)
      color = true;
  }
  return color ? benchmark::ConsoleReporter::OO_ColorTabular
               : benchmark::ConsoleReporter::OO_Tabular;
}

}  // namespace

int main(int argc, char** argv) {
  const auto console_options = ConsoleOptions(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  zbbench::BenchFiles& files = zbbench::BenchFiles::Get();
  files.Prepare();
  std::cout << "Files in " << files.folder() << ": " << zbbench::kRecords
            << " records of " << zbbench::kRecordSize << " bytes; SQLite "
            << sqlite3_libversion() << std::endl;
  zbbench::SummaryReporter reporter(console_options);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  files.Remove();
  benchmark::Shutdown();
  // The figures are the result; a missed target is reported, not an error.
  return 0;
}
