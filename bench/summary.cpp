#include "summary.h"

#include <cstdarg>
#include <cstdio>
#include <ostream>

namespace zbbench {
namespace {

double ToNanos(double value, benchmark::TimeUnit unit) {
  switch (unit) {
    case benchmark::kNanosecond: return value;
    case benchmark::kMicrosecond: return value * 1e3;
    case benchmark::kMillisecond: return value * 1e6;
    case benchmark::kSecond: return value * 1e9;
  }
  return value;
}

std::string Time(double ns) {
  char text[32];
  if (ns < 1e4)
    std::snprintf(text, sizeof text, "%.0f ns", ns);
  else if (ns < 1e7)
    std::snprintf(text, sizeof text, "%.1f us", ns / 1e3);
  else
    std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
  return text;
}

// printf into a string: the summary goes to the reporter's own stream, so
// that it follows the table it sums up.
void Print(std::string* out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  *out += line;
}

}  // namespace

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.error_occurred || run.report_big_o || run.report_rms) continue;
    const double ns = ToNanos(run.GetAdjustedRealTime(), run.time_unit);
    const double cpu = ToNanos(run.GetAdjustedCPUTime(), run.time_unit);
    if (!run.report_label.empty())
      labels_[run.run_name.function_name] = run.report_label;
    // With repetitions the median stands for the benchmark; a single run
    // stands for itself.
    std::string name = run.benchmark_name();
    if (run.run_type == Run::RT_Aggregate) {
      if (run.aggregate_name != "median") continue;
      name = name.substr(0, name.size() - std::string("_median").size());
      nanos_[name] = ns;
      cpu_nanos_[name] = cpu;
      from_median_[name] = true;
    } else if (!from_median_[name]) {
      nanos_[name] = ns;
      cpu_nanos_[name] = cpu;
    }
  }
}

double SummaryReporter::Nanos(const std::string& name) const {
  auto it = nanos_.find(name + "/real_time");
  return it == nanos_.end() ? -1 : it->second;
}

double SummaryReporter::CpuNanos(const std::string& name) const {
  auto it = cpu_nanos_.find(name + "/real_time");
  return it == cpu_nanos_.end() ? -1 : it->second;
}

std::string SummaryReporter::CpuRatio(const std::string& a,
                                      const std::string& b) const {
  const double x = CpuNanos(a), y = CpuNanos(b);
  if (x <= 0 || y <= 0) return "";
  char text[40];
  std::snprintf(text, sizeof text, " (CPU time %.2fx)", x / y);
  return text;
}

int SummaryReporter::PrintSummary() {
  std::string text;
  std::string* out = &text;
  int missed = 0;
  // Verdicts go by real time (the median with --benchmark_repetitions).
  auto verdict = [&missed](bool met) {
    if (!met) ++missed;
    return met ? "met" : "MISSED";
  };
  Print(out, "\nSummary (real time per operation)\n");

  const double read = Nanos("keyed_read/engine");
  const double read_floor = Nanos("keyed_read/floor_pread");
  const double read_sqlite = Nanos("keyed_read/sqlite");
  if (read > 0 && read_floor > 0)
    Print(out,
                 "  keyed read      engine %s, pread floor %s: %.2fx the floor%s "
                 "(target <= 1.5x: %s)\n",
                 Time(read).c_str(), Time(read_floor).c_str(),
                 read / read_floor,
                 CpuRatio("keyed_read/engine", "keyed_read/floor_pread").c_str(),
                 verdict(read / read_floor <= 1.5));
  if (read > 0 && read_sqlite > 0)
    Print(out,
                 "                  SQLite %s: %.2fx the engine's time%s "
                 "(target >= 5x: %s)\n",
                 Time(read_sqlite).c_str(), read_sqlite / read,
                 CpuRatio("keyed_read/sqlite", "keyed_read/engine").c_str(),
                 verdict(read_sqlite / read >= 5));

  const double append = Nanos("append/engine");
  const double append_kept = Nanos("append/engine_maps_kept");
  const double append_floor = Nanos("append/floor_pwrite");
  const double append_sqlite = Nanos("append/sqlite_one_transaction");
  if (append > 0 && append_floor > 0)
    Print(out,
                 "  append          engine %s, pwrite floor %s: %.2fx the "
                 "floor%s (target <= 1.5x: %s)\n",
                 Time(append).c_str(), Time(append_floor).c_str(),
                 append / append_floor,
                 CpuRatio("append/engine", "append/floor_pwrite").c_str(),
                 verdict(append / append_floor <= 1.5));
  if (append_kept > 0 && append_floor > 0)
    Print(out,
                 "                  engine keeping its key maps (keys in "
                 "ascending order) %s: %.2fx the floor%s\n",
                 Time(append_kept).c_str(), append_kept / append_floor,
                 CpuRatio("append/engine_maps_kept", "append/floor_pwrite")
                     .c_str());
  if (append > 0 && append_sqlite > 0)
    Print(out,
                 "                  SQLite insert in one transaction %s: "
                 "%.2fx the engine's time\n",
                 Time(append_sqlite).c_str(), append_sqlite / append);

  const double nth = Nanos("nth_of_10000/engine");
  const double nth_floor = Nanos("nth_of_10000/floor_pread");
  if (nth > 0 && nth_floor > 0)
    Print(out,
                 "  n-th of 10000   engine %s, pread floor %s: %.2fx the floor%s "
                 "(target <= 3x: %s)\n",
                 Time(nth).c_str(), Time(nth_floor).c_str(), nth / nth_floor,
                 CpuRatio("nth_of_10000/engine", "nth_of_10000/floor_pread")
                     .c_str(),
                 verdict(nth / nth_floor <= 3));

  const double open_clean = Nanos("open_100000/clean");
  const double open_reindex = Nanos("open_100000/reindex");
  const double open_floor = Nanos("open_100000/floor_read_index");
  if (open_clean > 0 || open_reindex > 0) {
    Print(out, "  open 100000     clean %s, re-index %s",
                 open_clean > 0 ? Time(open_clean).c_str() : "-",
                 open_reindex > 0 ? Time(open_reindex).c_str() : "-");
    if (open_floor > 0 && open_clean > 0)
      Print(out, "; reading the index alone %s (clean open %.2fx that)",
                   Time(open_floor).c_str(), open_clean / open_floor);
    Print(out, "\n");
    auto label = labels_.find("open_100000/reindex");
    if (label != labels_.end())
      Print(out, "                  re-index: %s\n",
                   label->second.c_str());
  }

  const double repair = Nanos("repair_50mb/engine");
  const double repair_floor = Nanos("repair_50mb/floor_read_write");
  if (repair > 0 && repair_floor > 0)
    Print(out,
          "  repair 50 MB    %s, reading and writing its bytes once %s: "
          "%.2fx the floor%s (target <= 3x: %s)\n",
          Time(repair).c_str(), Time(repair_floor).c_str(),
          repair / repair_floor,
          CpuRatio("repair_50mb/engine", "repair_50mb/floor_read_write")
              .c_str(),
          verdict(repair / repair_floor <= 3));

  const double backup = Nanos("backup_50mb/backup");
  const double restore = Nanos("backup_50mb/restore");
  const double copy_floor = Nanos("backup_50mb/floor_copy");
  if (backup > 0 && restore > 0 && copy_floor > 0)
    Print(out,
          "  backup 50 MB    %s, restore %s, copying the file once %s: "
          "%.2fx and %.2fx (target <= 2x: %s)\n",
          Time(backup).c_str(), Time(restore).c_str(),
          Time(copy_floor).c_str(), backup / copy_floor, restore / copy_floor,
          verdict(backup / copy_floor <= 2 && restore / copy_floor <= 2));

  const double zip = Nanos("zip_1mb/export");
  const double zip_floor = Nanos("zip_1mb/zlib_compress");
  if (zip > 0 && zip_floor > 0)
    Print(out,
          "  ZB_Zip 1 MB     %s, zlib's compress %s: %.2fx (target <= "
          "1.1x: %s)\n",
          Time(zip).c_str(), Time(zip_floor).c_str(), zip / zip_floor,
          verdict(zip / zip_floor <= 1.1));

  const double list_small = Nanos("listing/1000");
  const double list_mid = Nanos("listing/5000");
  const double list_large = Nanos("listing/10000");
  if (list_small > 0 && list_large > 0) {
    const double per_small = list_small / 1000;
    const double per_large = list_large / 10000;
    Print(out, "  listing         per record: %s at 1000",
                 Time(per_small).c_str());
    if (list_mid > 0)
      Print(out, ", %s at 5000", Time(list_mid / 5000).c_str());
    // Linear: the time per record stays put; a search from record 0 for
    // each record would make it ten times larger at ten times N.
    Print(out,
                 ", %s at 10000: %.2fx per record at 10x N (linear, target "
                 "<= 1.5x: %s)\n",
                 Time(per_large).c_str(), per_large / per_small,
                 verdict(per_large / per_small <= 1.5));
  }
  const struct {
    const char* label;
    const char* engine;
    const char* floor;
  } transfers[] = {
      {"export 10000   ", "position_10000/export", "position_10000/export_floor"},
      {"import 10000   ", "position_10000/import", "position_10000/import_floor"},
      // The exports around the same moves: login, log, lock and request.
      {"SilentOpenEx   ", "program/silent_open_10000", "position_10000/export_floor"},
      {"SilentSaveEx   ", "program/silent_save_10000", "position_10000/import_floor"},
  };
  for (const auto& t : transfers) {
    const double engine = Nanos(t.engine);
    const double floor = Nanos(t.floor);
    if (engine > 0 && floor > 0)
      Print(out,
            "  %s %s, floor %s (pread + pwrite per record): %.2fx the "
            "floor%s (target <= 3x: %s)\n",
            t.label, Time(engine).c_str(), Time(floor).c_str(),
            engine / floor, CpuRatio(t.engine, t.floor).c_str(),
            verdict(engine / floor <= 3));
  }

  // A copy moves each record twice: out into a working file and back in.
  const double copy = Nanos("program/copy_position_10000");
  const double export_floor = Nanos("position_10000/export_floor");
  const double import_floor = Nanos("position_10000/import_floor");
  if (copy > 0 && export_floor > 0 && import_floor > 0) {
    const double cpu_copy = CpuNanos("program/copy_position_10000");
    const double cpu_floor = CpuNanos("position_10000/export_floor") +
                             CpuNanos("position_10000/import_floor");
    Print(out,
          "  PositionCopy    %s, floor %s (export and import floors): %.2fx "
          "the floor (CPU time %.2fx) (target <= 3x: %s)\n",
          Time(copy).c_str(), Time(export_floor + import_floor).c_str(),
          copy / (export_floor + import_floor), cpu_copy / cpu_floor,
          verdict(copy / (export_floor + import_floor) <= 3));
  }

  const double init_posinfos = Nanos("program/init_posinfos_2000");
  if (init_posinfos > 0)
    Print(out,
          "  InitPosinfos_L  a project of 2000 positions: %s (%s per "
          "position)\n",
          Time(init_posinfos).c_str(), Time(init_posinfos / 2000).c_str());

  const double list_fill = Nanos("position_list/fill_2000");
  const double list_read = Nanos("position_list/read_posinfo_2000");
  if (list_fill > 0 && list_read > 0) {
    const bool met = list_fill / list_read <= 2;
    Print(out,
          "  position list   2000 positions filled %s, their POSINFO read "
          "%s: %.2fx%s (target <= 2x: %s)\n",
          Time(list_fill).c_str(), Time(list_read).c_str(),
          list_fill / list_read,
          CpuRatio("position_list/fill_2000", "position_list/read_posinfo_2000")
              .c_str(),
          verdict(met));
  }

  const double find_first = Nanos("find_position_of_2000/first");
  const double find_again = Nanos("find_position_of_2000/repeated");
  if (find_first > 0 && find_again > 0)
    Print(out,
          "  find position   among 2000: first lookup after the open %s, "
          "then %s (%.0f lookups/s); the first %.1fx a later one\n",
          Time(find_first).c_str(), Time(find_again).c_str(),
          1e9 / find_again, find_first / find_again);

  Print(out,
               "  SQLite: default settings (rollback journal, 2 MB page cache, "
               "one read transaction per lookup);\n"
               "  its inserts run in one transaction whose commit, like the "
               "engine's DBClose, is not timed.\n");
  if (missed > 0)
    Print(out, "  %d target%s missed in this run\n", missed,
                 missed == 1 ? "" : "s");
  GetOutputStream() << text << std::flush;
  return missed;
}

}  // namespace zbbench
