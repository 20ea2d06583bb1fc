// The record engine against the I/O floor (one pread or pwrite of the same
// bytes at the same offset) and against SQLite doing the same keyed work.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api/library.h"
#include "bench_files.h"
#include "recordstore/listing.h"
#include "zbdb900.h"

namespace zbbench {
namespace {

off_t OffsetOf(uint32_t record) {
  return static_cast<off_t>(kHeaderSize) + off_t{kRecordSpan} * record;
}

int OpenPlain(benchmark::State& state, const std::string& path, int flags) {
  const int fd = open(path.c_str(), flags, 0644);
  if (fd < 0) state.SkipWithError(("cannot open " + path).c_str());
  return fd;
}

int16_t OpenRecords(benchmark::State& state, const std::string& path,
                    bool read_only) {
  const int32_t h = read_only ? DBOpenReadOnly(path.c_str())
                              : DBOpen(path.c_str());
  if (h < 0)
    state.SkipWithError(("DBOpen of " + path + " = " + std::to_string(h))
                            .c_str());
  return static_cast<int16_t>(h);
}

sqlite3* OpenSqlite(benchmark::State& state, const std::string& path,
                    const char* sql, sqlite3_stmt** stmt) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
      sqlite3_prepare_v2(db, sql, -1, stmt, nullptr) != SQLITE_OK) {
    state.SkipWithError(("SQLite: " + path + ": " + sqlite3_errmsg(db)).c_str());
    sqlite3_close(db);
    return nullptr;
  }
  return db;
}

// ---- Keyed read: the record of a random key pair, occurrence 0 ----------

void KeyedReadEngine(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const int16_t h = OpenRecords(state, files.keyed_file(), true);
  if (h < 0) return;
  const std::vector<uint32_t>& order = files.Order(kRecords);
  uint8_t buf[kRecordSize];
  // The first search builds the key maps: part of opening, not of a read.
  const KeyPair first = KeysOf(order[0]);
  if (DBRead(h, first.k1, first.k2, 0, kRecordSize, buf) != kRecordSize ||
      std::memcmp(buf, DataOf(order[0]).data(), kRecordSize) != 0)
    state.SkipWithError("DBRead does not find the record of its keys");
  size_t i = 0;
  for (auto _ : state) {
    const KeyPair k = KeysOf(order[i]);
    if (++i == order.size()) i = 0;
    benchmark::DoNotOptimize(DBRead(h, k.k1, k.k2, 0, kRecordSize, buf));
  }
  DBClose(h);
}

// The record file itself through a plain descriptor: the same bytes in the
// same page-cache pages. (A copy written in one piece may sit in larger
// page-cache folios than a file grown record by record, and read faster.)
void KeyedReadFloor(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const int fd = OpenPlain(state, files.keyed_file(), O_RDONLY);
  if (fd < 0) return;
  const std::vector<uint32_t>& order = files.Order(kRecords);
  uint8_t buf[kRecordSpan];
  size_t i = 0;
  for (auto _ : state) {
    const uint32_t r = order[i];
    if (++i == order.size()) i = 0;
    benchmark::DoNotOptimize(pread(fd, buf, kRecordSpan, OffsetOf(r)));
  }
  close(fd);
}

void KeyedReadSqlite(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  sqlite3_stmt* select = nullptr;
  sqlite3* db = OpenSqlite(
      state, files.keyed_sqlite(),
      "SELECT data FROM recs WHERE k1 = ?1 AND k2 = ?2 AND n = ?3", &select);
  if (!db) return;
  const std::vector<uint32_t>& order = files.Order(kRecords);
  uint8_t buf[kRecordSize];
  size_t i = 0;
  for (auto _ : state) {
    const KeyPair k = KeysOf(order[i]);
    if (++i == order.size()) i = 0;
    sqlite3_bind_int(select, 1, k.k1);
    sqlite3_bind_int(select, 2, k.k2);
    sqlite3_bind_int(select, 3, 0);
    if (sqlite3_step(select) == SQLITE_ROW)
      std::memcpy(buf, sqlite3_column_blob(select, 0),
                  static_cast<size_t>(sqlite3_column_bytes(select, 0)));
    sqlite3_reset(select);
    benchmark::DoNotOptimize(buf);
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
}

// ---- Append: 64 bytes at the end of the 100,000-record file --------------

// With keep_maps a keyed read comes first, so the key maps exist and every
// append keeps them exact, as in a file that is read and written. The keys
// run through the existing pairs in ascending order.
void AppendEngineRun(benchmark::State& state, bool keep_maps) {
  BenchFiles& files = BenchFiles::Get();
  const std::string path = files.Path("APPEND.PRO");
  CopyWholeFile(files.keyed_file(), path);
  const int16_t h = OpenRecords(state, path, false);
  if (h < 0) return;
  uint8_t buf[kRecordSize];
  if (keep_maps) DBRead(h, 1, 1, 0, kRecordSize, buf);
  const std::vector<uint8_t> data = DataOf(7);
  uint32_t i = 0;
  for (auto _ : state) {
    const KeyPair k = KeysOf(i);
    if (++i == kRecords) i = 0;
    benchmark::DoNotOptimize(
        DBWrite(h, k.k1, k.k2, -1, kRecordSize, data.data()));
  }
  DBClose(h);  // writes the index: not part of an append
  std::remove(path.c_str());
}

void AppendEngine(benchmark::State& state) { AppendEngineRun(state, false); }
void AppendEngineMapsKept(benchmark::State& state) {
  AppendEngineRun(state, true);
}

void AppendFloor(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  // Copied like the engine's file, so both grow from alike page-cache pages.
  const std::string path = files.Path("append.plain");
  CopyWholeFile(files.keyed_file(), path);
  const int fd = OpenPlain(state, path, O_WRONLY);
  if (fd < 0) return;
  // Header, data and the end-of-data mark, as the engine writes them.
  std::vector<uint8_t> record(kRecordSpan + 4, 0x11);
  off_t offset = OffsetOf(kRecords);
  for (auto _ : state) {
    benchmark::DoNotOptimize(pwrite(fd, record.data(), record.size(), offset));
    offset += kRecordSpan;
  }
  close(fd);
  std::remove(path.c_str());
}

void AppendSqlite(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string path = files.Path("append.sqlite");
  CopyWholeFile(files.keyed_sqlite(), path);
  sqlite3_stmt* insert = nullptr;
  sqlite3* db = OpenSqlite(state, path,
                           "INSERT INTO recs VALUES(?1, ?2, ?3, ?4)", &insert);
  if (!db) return;
  // One transaction around all inserts: SQLite's journal is written and
  // synced once, not per record, which is the fair comparison with the
  // record file's unsynced appends.
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  const std::vector<uint8_t> data = DataOf(7);
  uint32_t i = 0;
  for (auto _ : state) {
    // Key pairs beyond the existing ones, so every insert is new.
    sqlite3_bind_int(insert, 1, 200 + static_cast<int>(i / 1000));
    sqlite3_bind_int(insert, 2, 1 + static_cast<int>(i % 1000));
    sqlite3_bind_int(insert, 3, 0);
    sqlite3_bind_blob(insert, 4, data.data(), kRecordSize, SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) {
      state.SkipWithError(sqlite3_errmsg(db));
      break;
    }
    sqlite3_reset(insert);
    ++i;
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);  // like DBClose
  sqlite3_close(db);
  std::remove(path.c_str());
  std::remove((path + "-journal").c_str());
}

// ---- The n-th occurrence among 10,000 records with equal keys ------------

void NthEngine(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const int16_t h = OpenRecords(state, files.same_key_file(), true);
  if (h < 0) return;
  const std::vector<uint32_t>& order = files.Order(kSameKeyRecords);
  uint8_t buf[kRecordSize];
  if (DBRead(h, 1, 1, static_cast<int32_t>(order[0]), kRecordSize, buf) !=
          kRecordSize ||
      std::memcmp(buf, DataOf(order[0]).data(), kRecordSize) != 0)
    state.SkipWithError("DBRead does not find the n-th occurrence");
  size_t i = 0;
  for (auto _ : state) {
    const uint32_t n = order[i];
    if (++i == order.size()) i = 0;
    benchmark::DoNotOptimize(
        DBRead(h, 1, 1, static_cast<int32_t>(n), kRecordSize, buf));
  }
  DBClose(h);
}

void NthFloor(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const int fd = OpenPlain(state, files.same_key_file(), O_RDONLY);
  if (fd < 0) return;
  const std::vector<uint32_t>& order = files.Order(kSameKeyRecords);
  uint8_t buf[kRecordSpan];
  size_t i = 0;
  for (auto _ : state) {
    const uint32_t n = order[i];
    if (++i == order.size()) i = 0;
    benchmark::DoNotOptimize(pread(fd, buf, kRecordSpan, OffsetOf(n)));
  }
  close(fd);
}

// ---- Opening the 100,000-record file -------------------------------------

void OpenClean(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string path = files.Path("OPEN.PRO");
  CopyWholeFile(files.keyed_file(), path);
  for (auto _ : state) {
    const int32_t h = DBOpen(path.c_str());
    if (h < 0) {
      state.SkipWithError(("DBOpen = " + std::to_string(h)).c_str());
      break;
    }
    DBClose(static_cast<int16_t>(h));
  }
  std::remove(path.c_str());
}

// What any open must do at least: read the index of 100,000 entries.
void OpenFloor(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string& path = files.keyed_file();
  std::vector<uint8_t> index(size_t{8} * kRecords);
  const off_t index_offset = OffsetOf(kRecords) + 4;
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDONLY);
    benchmark::DoNotOptimize(pread(fd, index.data(), index.size(), index_offset));
    close(fd);
  }
}

// A file that was not closed: its index is rebuilt by walking the records.
// The open then owes the file its new index, written at close; the copy is
// made anew and closed outside the timing.
void OpenReindex(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string path = files.Path("REINDEX.PRO");
  std::vector<uint8_t> image = files.unclosed_image();
  WriteWholeFile(path, image);
  int32_t probe = DBOpen(path.c_str());
  if (probe < 0) {
    // Measure the walk all the same, on a copy that carries two bytes more
    // after its end-of-data mark, and say so next to the figure.
    state.SetLabel("DBOpen=" + std::to_string(probe) +
                   " on the exact file; walked a copy with 2 bytes after "
                   "the mark");
    image.push_back(0);
    image.push_back(0);
    WriteWholeFile(path, image);
    probe = DBOpen(path.c_str());
    if (probe < 0) {
      state.SkipWithError(("DBOpen = " + std::to_string(probe)).c_str());
      return;
    }
  }
  DBClose(static_cast<int16_t>(probe));
  for (auto _ : state) {
    state.PauseTiming();
    WriteWholeFile(path, image);
    state.ResumeTiming();
    const int32_t h = DBOpen(path.c_str());
    state.PauseTiming();
    if (h < 0) {
      state.SkipWithError(("DBOpen = " + std::to_string(h)).c_str());
      break;
    }
    DBClose(static_cast<int16_t>(h));
    state.ResumeTiming();
  }
  std::remove(path.c_str());
}

// ---- Listing N records ----------------------------------------------------

void Listing(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const uint32_t n = static_cast<uint32_t>(state.range(0));
  const int16_t h = OpenRecords(state, files.ListingFile(n), true);
  if (h < 0) return;
  std::FILE* devnull = std::fopen("/dev/null", "w");
  for (auto _ : state)
    benchmark::DoNotOptimize(zb::recordstore::ListRecords(
        zb::api::TheLibrary().engine(), h, devnull));
  std::fclose(devnull);
  DBClose(h);
  state.SetComplexityN(n);
  state.counters["per_record"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate |
             benchmark::Counter::kInvert);
}

}  // namespace

// Registered in this order, which is also the order of the run.
BENCHMARK(KeyedReadEngine)->Name("keyed_read/engine")->UseRealTime();
BENCHMARK(KeyedReadFloor)->Name("keyed_read/floor_pread")->UseRealTime();
BENCHMARK(KeyedReadSqlite)->Name("keyed_read/sqlite")->UseRealTime();
BENCHMARK(AppendEngine)->Name("append/engine")->UseRealTime();
BENCHMARK(AppendEngineMapsKept)->Name("append/engine_maps_kept")->UseRealTime();
BENCHMARK(AppendFloor)->Name("append/floor_pwrite")->UseRealTime();
BENCHMARK(AppendSqlite)->Name("append/sqlite_one_transaction")->UseRealTime();
BENCHMARK(NthEngine)->Name("nth_of_10000/engine")->UseRealTime();
BENCHMARK(NthFloor)->Name("nth_of_10000/floor_pread")->UseRealTime();
BENCHMARK(OpenClean)->Name("open_100000/clean")->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenReindex)->Name("open_100000/reindex")->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenFloor)->Name("open_100000/floor_read_index")->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Listing)->Name("listing")->Arg(1000)->Arg(5000)->Arg(10000)
    ->Complexity(benchmark::oN)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace zbbench
