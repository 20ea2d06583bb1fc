// Working file -> project: the steps of ImportPosition. The project is held
// exclusively from the first step to the last, so no other process sees a
// position half stored except through a kill, and the POSINFO claim written
// before the records makes that visible.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "environment/library_context.h"
#include "platform/platform.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "projectstore/transfer.h"
#include "recordstore/engine.h"
#include "recordstore/overwrite_pass.h"
#include "recordstore/record_format.h"
#include "recordstore/write_batch.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::FieldText;
using recordstore::PosInfoExt;

namespace {

constexpr int16_t kMaxData = recordstore::kMaxRecordSize;
constexpr int16_t kAny = kAllPrograms;

bool IsHeaderKey(int16_t k2) {
  return k2 == kKeyProPos || k2 == kKeyPosInfo || k2 == kKeyProInfo;
}

// One import: both files and what the steps learn on the way.
struct Import {
  Import(Store& s, int16_t prg, RecordFile project)
      : store(s), engine(s.engine()), program(prg),
        project_file(std::move(project)) {}

  Store& store;
  Engine& engine;
  int16_t program;
  RecordFile project_file;  // declared first: closed after the working file
  RecordFile working;
  PROINFO work_project{};
  PosInfoExt work{};
  PROPOS work_tag{};
  PROINFO project{};
  std::string name;
  PosInfoExt stored{};
  int32_t index = -1;
  PosInfoExt merged{};

  int h() const { return project_file.handle(); }
  int w() const { return working.handle(); }
};

// The working file's header records; the long POSINFO, else the short one
// widened. False when it has neither.
bool ReadWorkingHeaders(Import& job) {
  Engine& engine = job.engine;
  const int w = job.w();
  engine.Read(w, kAny, kKeyProInfo, 0, sizeof job.work_project,
              &job.work_project);
  if (engine.Read(w, kAny, kKeyPosInfo, 1, sizeof job.work, &job.work) !=
      static_cast<int32_t>(sizeof job.work)) {
    uint8_t narrow[recordstore::kPosInfoShortFileSize];
    if (engine.Read(w, kAny, kKeyPosInfo, 0, sizeof narrow, narrow) !=
        static_cast<int32_t>(sizeof narrow))
      return false;
    recordstore::WidenPosInfo(narrow, &job.work);
  }
  engine.Read(w, kAny, kKeyProPos, 0, sizeof job.work_tag, &job.work_tag);
  return true;
}

// The project's PROINFO names project and program in both files' headers
// and takes the save time (a project without number keeps its header).
void StampProjectHeaders(Import& job, uint32_t now) {
  job.engine.ReadBin(job.h(), 0, sizeof job.project, &job.project);
  if (job.project.number == 0) return;
  PROINFO& work = job.work_project;
  recordstore::CopyTextField(work.szProject, job.project.szProject,
                             sizeof job.project.szProject);
  work.number = job.project.number;
  const std::string key =
      job.store.catalogue().KeyByNumber(static_cast<uint16_t>(job.program));
  recordstore::CopyTextField(work.szPrgShort, key.c_str(),
                             sizeof work.szPrgShort);
  recordstore::CopyTextField(job.project.szPrgShort, key.c_str(),
                             sizeof job.project.szPrgShort);
  work.changed = now;
  job.project.changed = now;
}

// The position to store into, created when the project does not hold it.
bool FindOrCreateTarget(Import& job) {
  job.index = FindPosition(job.store, job.h(), job.name, job.program,
                           &job.stored);
  if (job.index >= 0) return true;
  CreatePosition(job.store, job.h(), job.name,
                 FieldText(job.work.Msg, sizeof job.work.Msg), job.program);
  job.index = FindPosition(job.store, job.h(), job.name, job.program,
                           &job.stored);
  return job.index >= 0;
}

// A lock of this working file is ours to lift; anyone else's refuses the
// save. False when refused.
bool TakeOverLock(Import& job, bool quiet) {
  if (!(job.stored.Ctrl & kCtrlLocked)) return true;
  Store& store = job.store;
  if (LockedForMe(store, job.h(), job.w()) == 1) {
    LockOff(store, job.h(), job.program, job.name);
    store.log().Printf("\n%16s§ PosImport: PositionIsLockedForMe; Lock_Off %s",
                       " ", job.name.c_str());
  } else {
    // The project is open exclusively, so the check never reopens it.
    int h = job.h();
    if (CheckLockAndInform(store, &h, job.program, job.name, quiet) == 1) {
      store.log().Printf("\n%16s§ PosImport:PosIsLocked, no write : '%s' \n",
                         " ", job.name.c_str());
      return false;
    }
  }
  FindPosition(store, job.h(), job.name, job.program, &job.stored);
  return true;
}

// The project decides who the position is; the working file what it holds.
void MergePosInfo(Import& job, const ProPosLong& pp) {
  const PosInfoExt& work = job.work;
  const PosInfoExt& stored = job.stored;
  PosInfoExt& merged = job.merged;
  if (work.id != 0) {
    merged = work;
    merged.id = stored.id;
    merged.id_copy = stored.id;
    std::memcpy(merged.PosNameLong, stored.PosNameLong,
                sizeof merged.PosNameLong);
    std::memcpy(merged.PosName, stored.PosName, sizeof merged.PosName);
  } else {
    merged = stored;
    std::memcpy(merged.Msg, work.Msg, sizeof merged.Msg);
    std::memcpy(merged.PrgVer, work.PrgVer, sizeof merged.PrgVer);
    merged.DatVer = work.DatVer;
    merged.Recs = work.Recs;
  }
  recordstore::CopyTextField(merged.Designation, pp.designation,
                             sizeof merged.Designation);
  if (merged.PosName[0] == 0)
    recordstore::ShortNameFromLong(merged.PosNameLong, merged.PosName);
  merged.Ctrl &= static_cast<uint16_t>(~0x0031u);
  BuildProPos(merged, job.project.number, &job.work_tag);
}

void WriteHeaders(Import& job) {
  Engine& engine = job.engine;
  engine.WriteBin(job.h(), 0, sizeof job.project, &job.project);
  engine.WriteFar(job.w(), job.program, kKeyProInfo, 0,
                  sizeof job.work_project, &job.work_project, true);
  WritePosInfoPair(engine, job.w(), job.program, job.merged);
  engine.WriteFar(job.w(), job.program, kKeyProPos, 0, sizeof job.work_tag,
                  &job.work_tag, true);
}

// Until the save ends, the stored POSINFO claims at least as many records
// as either version has: a save cut short then always shows fewer records
// than Recs says, never a silent mix of old and new. Only a record that
// already has its long form is rewritten here, in place, so the file ends
// up laid out as without this step.
void ClaimRecords(Import& job, uint32_t total) {
  PosInfoExt pending{};
  const uint32_t index = static_cast<uint32_t>(job.index);
  if (ReadStoredPosInfo(job.store, job.h(), job.program, index, &pending) !=
      recordstore::kPosInfoExtFileSize)
    return;
  const uint32_t claim = std::min<uint32_t>(
      32767, std::max<uint32_t>(pending.Recs > 0 ? pending.Recs : 0, total));
  pending.Recs = static_cast<int16_t>(claim);
  WritePosInfo(job.store, job.h(), job.program, index, pending);
}

// The tag and every data record of the working file into the position,
// through the overwrite pass; the project's write counter counts the
// records the pass released. Returns the records stored.
uint32_t StoreRecords(Import& job, int32_t factor,
                      const TransferProgress& progress) {
  Engine& engine = job.engine;
  const int h = job.h();
  uint32_t counter = 0;
  engine.Read(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter);
  const uint32_t total = engine.NumRecords(job.w());
  recordstore::OverwritePass& pass = job.store.overwrite_pass();
  const int16_t id = static_cast<int16_t>(job.merged.id);
  ClaimRecords(job, total);
  const int32_t released = pass.StartExpecting(h, id, job.program, total);
  job.store.log().Printf("\n%16s§ PosImport: PositionIsNotLocked", " ");
  std::vector<uint8_t> buf(static_cast<size_t>(kMaxData) + 4);
  uint32_t stored_count = 0;
  // Each stored record starts with the keys it has in the working file.
  auto store_record = [&](int16_t k1, int16_t k2, int32_t size,
                          const uint8_t* data) {
    recordstore::StoreI16(buf.data(), k1);
    recordstore::StoreI16(buf.data() + 2, k2);
    std::memmove(buf.data() + 4, data, size);
    pass.Write(h, id, job.program, static_cast<int16_t>(size + 4), buf.data());
    ++stored_count;
  };
  store_record(job.program, kKeyProPos, sizeof job.work_tag,
               reinterpret_cast<const uint8_t*>(&job.work_tag));
  const uint32_t step =
      static_cast<uint32_t>(factor > 0 ? factor : 1) * (total ? total : 1);
  uint32_t since = 0;
  std::vector<uint8_t> rec(kMaxData);
  for (int32_t n = engine.Read(job.w(), kAny, kAny, 0, kMaxData, rec.data());
       n >= 0; n = engine.ReadNext(job.w(), rec.data())) {
    int16_t k1 = 0, k2 = 0;
    engine.GetKeys(&k1, &k2);
    if (k1 <= 0 || IsHeaderKey(k2)) continue;
    store_record(k1, k2, n, rec.data());
    if (++since > step / 100) {
      since = 0;
      ReportProgress(progress, stored_count, total);
    }
  }
  pass.End();
  if (released > 0) counter += static_cast<uint32_t>(released);
  engine.WriteFar(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter, true);
  return stored_count;
}

// The final POSINFO: description, save time, record count; the project's
// next free page moved past the position's pages.
void FinishPosInfo(Import& job, const char* description, uint32_t now,
                   uint32_t stored_count) {
  Engine& engine = job.engine;
  PosInfoExt& merged = job.merged;
  if (description != nullptr && merged.Msg[0] == 0)
    recordstore::CopyTextField(merged.Msg, description, sizeof merged.Msg);
  merged.saved = now;
  merged.Recs =
      static_cast<int16_t>(stored_count > 32767 ? 32767 : stored_count);
  uint16_t next_page = 0;
  engine.Read(job.h(), kKeyPageCounter, 0, 0, sizeof next_page, &next_page);
  const uint32_t end_page = merged.page_start + merged.page_count;
  if (end_page > next_page) {
    next_page = static_cast<uint16_t>(end_page);
    engine.WriteFar(job.h(), kKeyPageCounter, 0, 0, sizeof next_page,
                    &next_page, true);
  }
  WritePosInfo(job.store, job.h(), job.program,
               static_cast<uint32_t>(job.index), merged);
}

}  // namespace

int32_t ImportPosition(Store& store, const std::string& project_path,
                       const std::string& working_path, int16_t program,
                       const ProPosLong& pp, const char* description,
                       int32_t factor, TransferProgress progress,
                       int32_t* error, uint32_t flags) {
  *error = 0;
  Engine& engine = store.engine();
  Import job(store, program, RecordFile::OpenExclusive(engine, project_path));
  if (!job.project_file.is_open()) {
    store.log().Printf("\n####  ERROR DBOpen ( %s) ", project_path.c_str());
    *error = job.project_file.handle();
    return 0;
  }
  job.working = RecordFile::Open(engine, working_path);
  if (!job.working.is_open()) {
    *error = -4;
    return 0;
  }
  // The project's writes go out in large batches (ended before the files
  // close, as the job outlives it).
  recordstore::WriteBatch batch(engine, job.h());
  if (!ReadWorkingHeaders(job)) {
    store.log().Append("\n #-> Position hat keine HeaderRekords!");
    *error = -2;
    return 0;
  }
  const uint32_t now = store.os().Now();
  StampProjectHeaders(job, now);

  // The caller names the position (a save under another name, a copy);
  // without a name the working file's own is meant.
  job.name = FieldText(pp.long_name, sizeof pp.long_name);
  if (job.name.empty())
    job.name = FieldText(job.work.PosNameLong, sizeof job.work.PosNameLong);
  if (!FindOrCreateTarget(job)) {
    *error = -2;
    return 0;
  }
  if (!TakeOverLock(job, (flags & kTransferQuiet) != 0)) {
    *error = -5;
    return 0;
  }
  MergePosInfo(job, pp);
  WriteHeaders(job);
  const uint32_t stored_count = StoreRecords(job, factor, progress);
  FinishPosInfo(job, description, now, stored_count);

  if ((flags & kTransferNoLock) == 0) {
    store.log().Printf("\n%16s§ PosImport: Lock_On", " ");
    LockOn(store, job.h(), job.w(), program, job.name);
    store.kept_posinfo = job.merged;
  }
  return static_cast<int32_t>(stored_count) + 3;
}

}  // namespace zb::projectstore
