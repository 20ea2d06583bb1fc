// Backup and restore against a copy, ZB_Zip against zlib itself, and the repair of a 50 MB project file of 100,000 records that a program left
// unclosed (copy A), against the floor of reading its bytes once and
// writing them once.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/library.h"
#include "bench_files.h"
#include "exchange/backup.h"
#include "projectstore/repair.h"
#include "recordstore/record_format.h"
#include "zbdb900.h"

namespace zbbench {
namespace {

namespace rs = zb::recordstore;

constexpr uint32_t kRepairRecords = 100000;
constexpr int16_t kRepairData = 500;  // 100,000 x 506 bytes: about 50 MB

// Header, the records of five positions' programs, the end-of-data mark.
const std::vector<uint8_t>& DamagedImage() {
  static const std::vector<uint8_t> image = [] {
    std::vector<uint8_t> bytes(rs::kFileHeaderSize, 0);
    bytes.reserve(rs::kFileHeaderSize +
                  size_t{kRepairRecords} * (6 + kRepairData) + 4);
    uint8_t header[6];
    for (uint32_t i = 0; i < kRepairRecords; ++i) {
      rs::StoreI16(header, static_cast<int16_t>(1 + i % 5));
      rs::StoreI16(header + 2, static_cast<int16_t>(101 + i % 7));
      rs::StoreI16(header + 4, kRepairData);
      bytes.insert(bytes.end(), header, header + 6);
      bytes.insert(bytes.end(), kRepairData, static_cast<uint8_t>(i));
    }
    bytes.insert(bytes.end(), rs::kEndOfDataMark, rs::kEndOfDataMark + 4);
    return bytes;
  }();
  return image;
}

void WriteImage(const std::string& path, const std::vector<uint8_t>& image) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(image.data(), 1, image.size(), f);
  std::fclose(f);
}

void RepairEngine(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string path = files.Path("REPAIR01.PRO");
  const std::string backup = files.Path("REPAIR01.OLD");
  const std::vector<uint8_t>& image = DamagedImage();
  uint32_t copied = 0;
  for (auto _ : state) {
    state.PauseTiming();
    WriteImage(path, image);
    std::remove(backup.c_str());
    state.ResumeTiming();
    copied = zb::projectstore::RepairFile(zb::api::TheLibrary().store(), path,
                                          files.folder())
                 .records;
  }
  state.SetLabel(std::to_string(copied) + " records copied");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
  std::remove(path.c_str());
  std::remove(backup.c_str());
}

// One read of the whole file and one write of it elsewhere, in 1 MB pieces.
void RepairFloor(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string path = files.Path("REPAIR02.PRO");
  const std::string copy = files.Path("REPAIR02.REP");
  WriteImage(path, DamagedImage());
  std::vector<uint8_t> buffer(1 << 20);
  for (auto _ : state) {
    const int in = open(path.c_str(), O_RDONLY);
    const int out = open(copy.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    for (ssize_t n; (n = read(in, buffer.data(), buffer.size())) > 0;)
      benchmark::DoNotOptimize(write(out, buffer.data(), size_t(n)));
    close(in);
    close(out);
  }
  std::remove(path.c_str());
  std::remove(copy.c_str());
}

// Backup of the 50 MB file into a folder and its restore, against copying
// the file once. Both ask nothing: the archive and the restored project
// are removed before each run.
void BackupProject(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string project = files.Path("PRO00007.PRO");
  const std::string folder = files.Path("backup");
  mkdir(folder.c_str(), 0755);
  WriteImage(project, DamagedImage());
  const std::string archive = folder + "/PRO00007.SAV";
  int ok = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(archive.c_str());
    std::remove((folder + "/PRO00007.LST").c_str());
    state.ResumeTiming();
    ok = zb::exchange::BackupProject(zb::api::TheLibrary().store(), project,
                                     folder);
  }
  state.SetLabel(ok == 1 ? "backed up" : "backup FAILED");
}

void RestoreProject(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string folder = files.Path("backup");
  const std::string into = files.Path("restored");
  mkdir(into.c_str(), 0755);
  int ok = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::remove((into + "/PRO10007.PRO").c_str());
    std::remove((into + "/ZBPROS.ZB").c_str());
    state.ResumeTiming();
    ok = zb::exchange::RestoreProject(zb::api::TheLibrary().store(), folder,
                                      into, "PRO00007.SAV");
  }
  state.SetLabel(ok == 1 ? "restored" : "restore FAILED");
}

// The floor of both: the file copied once, in 1 MB pieces.
void CopyFloor(benchmark::State& state) {
  BenchFiles& files = BenchFiles::Get();
  const std::string project = files.Path("PRO00007.PRO");
  const std::string copy = files.Path("PRO00007.CPY");
  std::vector<uint8_t> buffer(1 << 20);
  for (auto _ : state) {
    const int in = open(project.c_str(), O_RDONLY);
    const int out = open(copy.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    for (ssize_t n; (n = read(in, buffer.data(), buffer.size())) > 0;)
      benchmark::DoNotOptimize(write(out, buffer.data(), size_t(n)));
    close(in);
    close(out);
  }
  std::remove(copy.c_str());
}

// ZB_Zip of 1 MB of a blob against zlib's compress called directly.
const std::vector<uint8_t>& ZipInput() {
  static const std::vector<uint8_t> input = [] {
    std::vector<uint8_t> bytes(1 << 20);
    uint32_t x = 12345;
    for (size_t i = 0; i < bytes.size(); ++i) {
      x = x * 1103515245u + 12345u;
      bytes[i] = i % 5 == 0 ? static_cast<uint8_t>(x >> 24) : uint8_t(i / 64);
    }
    return bytes;
  }();
  return input;
}

void ZipExport(benchmark::State& state) {
  const std::vector<uint8_t>& input = ZipInput();
  std::vector<uint8_t> out(compressBound(input.size()));
  for (auto _ : state)
    benchmark::DoNotOptimize(ZB_Zip(out.data(), uint32_t(out.size()),
                                    input.data(), uint32_t(input.size())));
}

void ZipFloor(benchmark::State& state) {
  const std::vector<uint8_t>& input = ZipInput();
  std::vector<uint8_t> out(compressBound(input.size()));
  for (auto _ : state) {
    uLongf n = out.size();
    benchmark::DoNotOptimize(compress(out.data(), &n, input.data(),
                                      input.size()));
  }
}

}  // namespace

BENCHMARK(ZipExport)->Name("zip_1mb/export")->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ZipFloor)->Name("zip_1mb/zlib_compress")->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BackupProject)->Name("backup_50mb/backup")->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RestoreProject)->Name("backup_50mb/restore")->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CopyFloor)->Name("backup_50mb/floor_copy")->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RepairEngine)->Name("repair_50mb/engine")->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RepairFloor)->Name("repair_50mb/floor_read_write")->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace zbbench
