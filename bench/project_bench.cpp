// The project store against its floors: a position of 10,000 records moved
// out of its project into a working file and back, against the same bytes
// read and written by hand (one pread and one pwrite per record), and the
// lookup of a position by name among 2,000 of one program.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api/library.h"
#include "bench_files.h"
#include "projectstore/positions.h"
#include "projectstore/transfer.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace zbbench {
namespace {

namespace ps = zb::projectstore;

// The store the exports work with, for the calls below them.
ps::Store& TheStore() { return zb::api::TheLibrary().store(); }

constexpr int16_t kProgram = 101;
constexpr uint32_t kPositionRecords = 10000;
constexpr uint32_t kPositions = 2000;
constexpr uint32_t kStoredPrefix = 4;  // the working file's keys in front
const char kPositionName[] = "Durchlauftr\xE4ger Achse 1";

// A record of the file as it lies on disk: where, and how many bytes with
// its header.
struct Placed {
  off_t offset;
  uint32_t span;
};

// The records of a closed record file that `wanted` takes by their keys,
// found by walking the file.
template <typename Wanted>
std::vector<Placed> PlacesOf(const std::string& path, Wanted wanted) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  std::vector<Placed> out;
  size_t at = kHeaderSize;
  while (at + 6 <= bytes.size()) {
    int16_t key[3];
    std::memcpy(key, &bytes[at], sizeof key);
    if (key[0] == 32767 || key[0] == 32766 || key[0] == 32765 || key[2] < 0)
      break;
    const uint32_t span = 6 + static_cast<uint32_t>(key[2]);
    if (wanted(key[0], key[1])) out.push_back({static_cast<off_t>(at), span});
    at += span;
  }
  return out;
}

PROINFO ProjectHeader(uint16_t number) {
  PROINFO info;
  std::memset(&info, 0, sizeof info);
  info.number = number;
  zb::recordstore::CopyTextField(info.szProject, "Bench",
                                 sizeof info.szProject);
  return info;
}

// A project with one DLT position of 10,000 data records of 64 bytes (68
// in the project, behind the working file's keys), and its working file.
struct TransferFiles {
  std::string project, working;
  std::vector<Placed> stored;           // the position's records in the project
  std::vector<Placed> working_records;  // the same in the working file
};

const TransferFiles& Transfer() {
  static TransferFiles files = [] {
    BenchFiles& bench = BenchFiles::Get();
    TransferFiles f;
    f.project = bench.Path("XFER.PRO");
    f.working = bench.Path("DLT00001.TMP");
    std::remove(f.project.c_str());
    const int32_t opened = DBOpen(f.project.c_str());
    if (opened < 0) Die("cannot create " + f.project);
    const int16_t h = static_cast<int16_t>(opened);
    const PROINFO header = ProjectHeader(1);
    DBWriteBin(h, 0, sizeof header, &header);
    const int32_t id =
        ps::CreatePosition(TheStore(), h, kPositionName, "", kProgram);
    if (id != 1) Die("cannot create the position");
    PROPOS tag;
    zb::recordstore::PosInfoExt info;
    ps::FindPosition(TheStore(), h, kPositionName, kProgram, &info);
    ps::BuildProPos(info, 1, &tag);
    std::vector<uint8_t> data(kStoredPrefix + sizeof tag);
    const int16_t tag_keys[2] = {kProgram, ps::kKeyProPos};
    std::memcpy(data.data(), tag_keys, sizeof tag_keys);
    std::memcpy(data.data() + kStoredPrefix, &tag, sizeof tag);
    DBWrite(h, 1, kProgram, -1, static_cast<int16_t>(data.size()), data.data());
    for (uint32_t i = 0; i < kPositionRecords; ++i) {
      const int16_t keys[2] = {static_cast<int16_t>(1 + i / 100),
                               static_cast<int16_t>(1 + i % 100)};
      std::vector<uint8_t> record(kStoredPrefix);
      std::memcpy(record.data(), keys, sizeof keys);
      const std::vector<uint8_t> payload = DataOf(i);
      record.insert(record.end(), payload.begin(), payload.end());
      if (DBWrite(h, 1, kProgram, -1, static_cast<int16_t>(record.size()),
                  record.data()) < 1)
        Die("cannot write " + f.project);
    }
    info.Recs = static_cast<int16_t>(kPositionRecords + 1);
    ps::WritePosInfo(TheStore(), h, kProgram, 0, info);
    DBClose(h);
    f.stored = PlacesOf(f.project, [](int16_t k1, int16_t k2) {
      return k1 == 1 && k2 == kProgram;
    });

    // The working file as an export leaves it.
    ps::ProPosLong pp{};
    zb::recordstore::CopyTextField(pp.long_name, kPositionName,
                                   sizeof pp.long_name);
    pp.project = 1;
    int32_t error = 0;
    ps::ExportPosition(TheStore(), f.project, f.working, kProgram, &pp, 5,
                       nullptr, &error,
                       ps::kTransferQuiet | ps::kTransferNoLock);
    if (error != 0) Die("the export of the bench position fails");
    // What an import stores: the PROPOS tag and the data records.
    f.working_records = PlacesOf(f.working, [](int16_t k1, int16_t k2) {
      return k1 > 0 && k2 != ps::kKeyPosInfo && k2 != ps::kKeyProInfo;
    });
    if (f.working_records.size() != f.stored.size())
      Die("the working file does not hold the position's records");
    return f;
  }();
  return files;
}

ps::ProPosLong Request() {
  ps::ProPosLong pp{};
  zb::recordstore::CopyTextField(pp.long_name, kPositionName,
                                 sizeof pp.long_name);
  pp.project = 1;
  return pp;
}

void ExportEngine(benchmark::State& state) {
  const TransferFiles& f = Transfer();
  const std::string target = BenchFiles::Get().Path("EXPORT.TMP");
  for (auto _ : state) {
    ps::ProPosLong pp = Request();
    int32_t error = 0;
    const int32_t n = ps::ExportPosition(
        TheStore(), f.project, target, kProgram, &pp, 5, nullptr, &error,
        ps::kTransferQuiet | ps::kTransferNoLock);
    if (error != 0 || n < static_cast<int32_t>(kPositionRecords)) {
      state.SkipWithError(("ExportPosition = " + std::to_string(n) +
                           ", error " + std::to_string(error))
                              .c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPositionRecords);
  std::remove(target.c_str());
}

// Per record one pread of the stored record (header, keys, data) and one
// pwrite of it as the working file keeps it (header, data), into a file
// created anew; the file opens and closes are counted too.
void ExportFloor(benchmark::State& state) {
  const TransferFiles& f = Transfer();
  const std::string target = BenchFiles::Get().Path("export.plain");
  std::vector<uint8_t> buffer(6 + kStoredPrefix + 32768);
  for (auto _ : state) {
    const int in = open(f.project.c_str(), O_RDONLY);
    const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    off_t at = kHeaderSize;
    for (const Placed& p : f.stored) {
      benchmark::DoNotOptimize(pread(in, buffer.data(), p.span, p.offset));
      const uint32_t span = p.span - kStoredPrefix;
      benchmark::DoNotOptimize(pwrite(out, buffer.data(), span, at));
      at += span;
    }
    close(out);
    close(in);
  }
  state.SetItemsProcessed(state.iterations() * kPositionRecords);
  std::remove(target.c_str());
}

void ImportEngine(benchmark::State& state) {
  const TransferFiles& f = Transfer();
  // The project of its own, so that the export's file stays as it is; the
  // import's overwrite pass reuses the places of the records it replaces.
  const std::string project = BenchFiles::Get().Path("IMPORT.PRO");
  CopyWholeFile(f.project, project);
  const ps::ProPosLong pp = Request();
  for (auto _ : state) {
    int32_t error = 0;
    const int32_t n = ps::ImportPosition(
        TheStore(), project, f.working, kProgram, pp, nullptr, 5, nullptr,
        &error, ps::kTransferQuiet | ps::kTransferNoLock);
    if (error != 0 || n < static_cast<int32_t>(kPositionRecords)) {
      state.SkipWithError(("ImportPosition = " + std::to_string(n) +
                           ", error " + std::to_string(error))
                              .c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPositionRecords);
  std::remove(project.c_str());
}

// Per record one pread from the working file and one pwrite into the place
// of the stored record it replaces (keys put in front), files opened and
// closed as well.
void ImportFloor(benchmark::State& state) {
  const TransferFiles& f = Transfer();
  const std::string project = BenchFiles::Get().Path("import.plain");
  CopyWholeFile(f.project, project);
  std::vector<uint8_t> buffer(6 + kStoredPrefix + 32768);
  for (auto _ : state) {
    const int in = open(f.working.c_str(), O_RDONLY);
    const int out = open(project.c_str(), O_WRONLY);
    for (size_t i = 0; i < f.stored.size(); ++i) {
      const Placed& from = f.working_records[i];
      benchmark::DoNotOptimize(
          pread(in, buffer.data() + kStoredPrefix, from.span, from.offset));
      const Placed& to = f.stored[i];
      benchmark::DoNotOptimize(pwrite(out, buffer.data(), to.span, to.offset));
    }
    close(out);
    close(in);
  }
  state.SetItemsProcessed(state.iterations() * kPositionRecords);
  std::remove(project.c_str());
}

// ---- A position among 2,000 of one program -------------------------------

std::string NameOf(uint32_t i) {
  char name[48];
  // The first seven characters differ, so the short names need no counter.
  std::snprintf(name, sizeof name, "P%04u Tr\xE4ger Geschoss %u", i, i % 7);
  return name;
}

const std::string& LookupProject() {
  static const std::string path = [] {
    const std::string p = BenchFiles::Get().Path("FIND.PRO");
    std::remove(p.c_str());
    const int32_t opened = DBOpen(p.c_str());
    if (opened < 0) Die("cannot create " + p);
    const PROINFO header = ProjectHeader(2);
    DBWriteBin(static_cast<int16_t>(opened), 0, sizeof header, &header);
    for (uint32_t i = 0; i < kPositions; ++i)
      if (ps::CreatePosition(TheStore(), opened, NameOf(i), "", kProgram) < 1)
        Die("cannot create position " + NameOf(i));
    DBClose(static_cast<int16_t>(opened));
    return p;
  }();
  return path;
}

// The first lookup after the project is opened: whatever the lookup needs
// besides the record is built here. The open and close are not timed.
void FindFirst(benchmark::State& state) {
  const std::string& path = LookupProject();
  const std::vector<uint32_t>& order = BenchFiles::Get().Order(kPositions);
  zb::recordstore::PosInfoExt info;
  size_t i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int32_t h = DBOpenReadOnly(path.c_str());
    const std::string name = NameOf(order[i]);
    if (++i == order.size()) i = 0;
    state.ResumeTiming();
    const int32_t found =
        ps::FindPosition(TheStore(), h, name, kProgram, &info);
    state.PauseTiming();
    DBClose(static_cast<int16_t>(h));
    if (found < 0) {
      state.SkipWithError(("not found: " + name).c_str());
      break;
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations());
}

// Lookups on the open project, names in a random order.
void FindRepeated(benchmark::State& state) {
  const std::string& path = LookupProject();
  const std::vector<uint32_t>& order = BenchFiles::Get().Order(kPositions);
  std::vector<std::string> names;
  for (uint32_t i : order) names.push_back(NameOf(i));
  const int32_t h = DBOpenReadOnly(path.c_str());
  zb::recordstore::PosInfoExt info;
  if (ps::FindPosition(TheStore(), h, names[0], kProgram, &info) < 0)
    state.SkipWithError("the first position is not found");
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ps::FindPosition(TheStore(), h, names[i], kProgram, &info));
    if (++i == names.size()) i = 0;
  }
  DBClose(static_cast<int16_t>(h));
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(ExportEngine)
    ->Name("position_10000/export")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ExportFloor)
    ->Name("position_10000/export_floor")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ImportEngine)
    ->Name("position_10000/import")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ImportFloor)
    ->Name("position_10000/import_floor")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(FindFirst)->Name("find_position_of_2000/first")->UseRealTime();
BENCHMARK(FindRepeated)->Name("find_position_of_2000/repeated")->UseRealTime();

}  // namespace zbbench
