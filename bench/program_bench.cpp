// What a calculation program waits for: ZB_SilentOpenEx and ZB_SilentSaveEx
// of a position of 10,000 records of 64 bytes, through the exports with
// login, log and lock, against the floors of moving the same bytes
// (position_10000/export_floor and import_floor), the copy of that position
// into another of its project (the work of ZB_PositionCopy: an export and
// an import, against both floors), and ZB_InitPosinfos_L on a project of
// 2,000 positions.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/library.h"
#include "api/position_info_cache.h"
#include "explorer/position_list.h"
#include "bench_files.h"
#include "projectstore/position_copy.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "zbdb900.h"

namespace zbbench {
namespace {

namespace ps = zb::projectstore;

// The store the exports work with, for the calls below them.
ps::Store& TheStore() { return zb::api::TheLibrary().store(); }

constexpr uint32_t kPositionRecords = 10000;
constexpr uint32_t kPositions = 2000;
constexpr int16_t kProgram = 101;
const char kProject[] = "Bench";
const char kListProject[] = "Bench 2000";
const char kPositionName[] = "Durchlauftr\xE4ger Achse 1";
const char kCopyName[] = "Durchlauftr\xE4ger Achse 2";

void SetField(char* field, size_t width, const std::string& text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

// An installation of its own, set up before main: whatever benchmark first
// makes the library log in (the project store's logs do), it logs in here
// and finds this catalogue. Removed at exit.
struct Installation {
  std::string product, data, tmp;
  Installation() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") +
                          "/zbdb_bench_program_XXXXXX";
    if (!mkdtemp(pattern.data())) return;
    product = pattern;
    for (const char* name : {"Programme", "Daten", "TMP", "User", "cfg",
                             "Basis", "xdg"})
      mkdir((product + "/" + name).c_str(), 0755);
    const std::string keys =
        "[GRP1]\nGruppe=1\nName=Stabwerke\nicon=grp1.ico\n"
        "[PRG1]\nDBKey=101\nPrg=DLT\nName=Durchlauftraeger\nGruppe=1\n"
        "[PRG2]\nDBKey=120\nPrg=EFT\nName=Einfeldtraeger\nGruppe=1\n"
        "[PRG3]\nDBKey=205\nPrg=STB\nName=Stuetze\nGruppe=1\n";
    if (std::FILE* f = std::fopen((product + "/Programme/zbkeys.ini").c_str(), "w")) {
      std::fputs(keys.c_str(), f);
      std::fclose(f);
    }
    setenv("ZBSTATIK_HOME", product.c_str(), 1);
    setenv("ZBDB_PROGRAM_DIR", (product + "/Programme").c_str(), 1);
    setenv("ZBDB_DATA_DIR", (product + "/Daten").c_str(), 1);
    setenv("ZBDB_TMP_DIR", (product + "/TMP").c_str(), 1);
    setenv("ZBDB_USER_DIR", (product + "/User").c_str(), 1);
    setenv("ZBDB_INI_DIR", (product + "/cfg").c_str(), 1);
    setenv("ZBDB_BASE_DIR", (product + "/Basis").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (product + "/xdg").c_str(), 1);
    data = product + "/Daten";
    tmp = product + "/TMP";
  }
  ~Installation() {
    if (!product.empty() && !std::getenv("ZBDB_BENCH_KEEP"))
      std::system(("rm -rf '" + product + "'").c_str());
  }
};

const Installation kInstallation;

const Installation& Install() {
  if (kInstallation.product.empty()) Die("cannot make the bench installation");
  return kInstallation;
}

ZBPROPOS_L Request(const std::string& project, const std::string& position) {
  const Installation& in = Install();
  ZBPROPOS_L r;
  std::memset(&r, 0, sizeof r);
  SetField(r.szDataPfad, sizeof r.szDataPfad, in.data);
  SetField(r.szTmpPfad, sizeof r.szTmpPfad, in.tmp);
  SetField(r.szTmpDatei, sizeof r.szTmpDatei, in.tmp);
  SetField(r.szPrgName, sizeof r.szPrgName, "DLT");
  SetField(r.szProName, sizeof r.szProName, project);
  SetField(r.szPosNameLong, sizeof r.szPosNameLong, position);
  return r;
}

// The position saved once through the exports: a new working file, 10,000
// records appended by the program, a silent save. The request then names
// the working file, which every open fills anew.
const ZBPROPOS_L& SavedPosition() {
  static const ZBPROPOS_L request = [] {
    ZBPROPOS_L r = Request(kProject, kPositionName);
    if (ZB_New_L(&r) <= 0) Die("ZB_New_L fails");
    const int32_t h = DBOpen(r.szTmpDatei);
    if (h <= 0) Die(std::string("cannot open ") + r.szTmpDatei);
    for (uint32_t i = 0; i < kPositionRecords; ++i) {
      const std::vector<uint8_t> data = DataOf(i);
      if (DBWrite(static_cast<int16_t>(h), static_cast<int16_t>(1 + i / 100),
                  static_cast<int16_t>(1 + i % 100), -1,
                  static_cast<int16_t>(data.size()), data.data()) < 1)
        Die("cannot fill the working file");
    }
    DBClose(static_cast<int16_t>(h));
    const int32_t saved = ZB_SilentSaveEx_L(&r, 1);
    if (saved < static_cast<int32_t>(kPositionRecords))
      Die("ZB_SilentSaveEx_L = " + std::to_string(saved));
    return r;
  }();
  return request;
}

void SilentOpen(benchmark::State& state) {
  const ZBPROPOS_L& saved = SavedPosition();
  for (auto _ : state) {
    ZBPROPOS_L r = saved;
    const int32_t n = ZB_SilentOpenEx_L(&r, 1);
    if (n < static_cast<int32_t>(kPositionRecords)) {
      state.SkipWithError(("ZB_SilentOpenEx_L = " + std::to_string(n)).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPositionRecords);
}

void SilentSave(benchmark::State& state) {
  ZBPROPOS_L r = SavedPosition();
  if (ZB_SilentOpenEx_L(&r, 1) < static_cast<int32_t>(kPositionRecords)) {
    state.SkipWithError("the position does not open");
    return;
  }
  for (auto _ : state) {
    ZBPROPOS_L again = r;
    const int32_t n = ZB_SilentSaveEx_L(&again, 1);
    if (n < static_cast<int32_t>(kPositionRecords)) {
      state.SkipWithError(("ZB_SilentSaveEx_L = " + std::to_string(n)).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPositionRecords);
}

// The saved position copied into another position of its project; from
// the second copy on, the copy replaces the one before in its places.
void CopyPositionBench(benchmark::State& state) {
  const ZBPROPOS_L& saved = SavedPosition();
  for (auto _ : state) {
    ZBPROPOS_L source = saved;
    ZBPROPOS_L target = Request(kProject, kCopyName);
    const int32_t n = ps::CopyPosition(TheStore(), &source, &target);
    if (n < static_cast<int32_t>(kPositionRecords)) {
      state.SkipWithError(("CopyPosition = " + std::to_string(n)).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPositionRecords);
}

// A project of the data folder's list with 2,000 positions of one program.
const ZBPROPOS_L& ListProject() {
  static const ZBPROPOS_L request = [] {
    const Installation& in = Install();
    const int32_t number =
        ps::CreateProject(TheStore(), in.data, kListProject, "bench");
    if (number <= 0) Die("cannot create the project " + std::string(kListProject));
    const std::string path = ps::ProjectFilePath(TheStore(), in.data, number);
    const int32_t h = DBOpenExcl(path.c_str());
    if (h <= 0) Die("cannot open " + path);
    for (uint32_t i = 0; i < kPositions; ++i) {
      char name[48];
      std::snprintf(name, sizeof name, "P%04u Tr\xE4ger Geschoss %u", i, i % 7);
      if (ps::CreatePosition(TheStore(), h, name, "", kProgram) < 1)
        Die(std::string("cannot create position ") + name);
    }
    DBClose(static_cast<int16_t>(h));
    return Request(kListProject, "");
  }();
  return request;
}

void InitPosinfos(benchmark::State& state) {
  const ZBPROPOS_L& list = ListProject();
  for (auto _ : state) {
    ZBPROPOS_L r = list;
    const int32_t n = ZB_InitPosinfos_L(&r);
    if (n != static_cast<int32_t>(kPositions)) {
      state.SkipWithError(("ZB_InitPosinfos_L = " + std::to_string(n)).c_str());
      break;
    }
  }
  ZB_KillPosinfos_L();
  state.SetItemsProcessed(state.iterations() * kPositions);
}

// The list the position dialog shows, against reading the POSINFO records
// it is built from.
void FillPositionList(benchmark::State& state) {
  const ZBPROPOS_L& list = ListProject();
  zb::explorer::PositionListModel model(zb::api::TheLibrary());
  for (auto _ : state) {
    model.ShowProject(list);
    if (model.state().rows.size() != kPositions) {
      state.SkipWithError("the list is not complete");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPositions);
}

void ReadPositionInfos(benchmark::State& state) {
  const ZBPROPOS_L& list = ListProject();
  PROINFO info{};
  std::string path;
  ps::FindProject(TheStore(), list.szDataPfad, kListProject, &info, &path);
  for (auto _ : state) {
    const auto entries = zb::api::LoadPositionList(zb::api::TheLibrary(), path);
    if (entries.size() != kPositions) {
      state.SkipWithError("not every POSINFO was read");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPositions);
}

}  // namespace

BENCHMARK(FillPositionList)
    ->Name("position_list/fill_2000")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadPositionInfos)
    ->Name("position_list/read_posinfo_2000")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(SilentOpen)
    ->Name("program/silent_open_10000")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(SilentSave)
    ->Name("program/silent_save_10000")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyPositionBench)
    ->Name("program/copy_position_10000")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(InitPosinfos)
    ->Name("program/init_posinfos_2000")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace zbbench
