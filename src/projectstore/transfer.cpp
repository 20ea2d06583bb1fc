#include "projectstore/transfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "environment/library_context.h"
#include "platform/platform.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/store.h"
#include "recordstore/engine.h"
#include "recordstore/overwrite_pass.h"
#include "recordstore/record_format.h"
#include "recordstore/write_batch.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

constexpr int16_t kMaxData = recordstore::kMaxRecordSize;

std::string Field(const char* text, size_t width) {
  return std::string(text, strnlen(text, width));
}

bool IsHeaderKey(int16_t k2) {
  return k2 == kKeyProPos || k2 == kKeyPosInfo || k2 == kKeyProInfo;
}

// Both POSINFO forms under the program key: short at 0, long at 1.
bool WritePosInfoPair(Engine& engine, int w, int16_t program,
                      const PosInfoExt& info) {
  uint8_t narrow[recordstore::kPosInfoShortFileSize];
  recordstore::NarrowPosInfo(info, narrow);
  const bool a = engine.WriteFar(w, program, kKeyPosInfo, 0, sizeof narrow,
                                 narrow, true) > 0;
  const bool b = engine.WriteFar(w, program, kKeyPosInfo, 1, sizeof info,
                                 &info, true) > 0;
  return a && b;
}

void Progress(TransferProgress progress, uint32_t done, uint32_t total) {
  if (progress != nullptr && total > 0)
    progress(static_cast<int32_t>(done * 100 / total));
}

}  // namespace

const PosInfoExt& LastTransferredPosInfo(Store& store) {
  return store.kept_posinfo;
}

void BuildProPos(const PosInfoExt& info, uint16_t project, PROPOS* out) {
  std::memset(out, 0, sizeof *out);
  recordstore::CopyTextField(out->ProName, info.Designation,
                             sizeof out->ProName);
  out->number1 = project;
  std::memcpy(out->PosName, info.PosNameLong, sizeof out->PosName);
  // The tag's name field only ever holds a marked abbreviation.
  out->PosName[8] = '~';
  out->PosName[9] = 0;
  out->number2 = info.id;
}

int32_t WriteNewPositionHeaders(Store& store, int w, int16_t program,
                                const PROINFO& project, const PosInfoExt& info,
                                uint16_t project_number) {
  Engine& engine = store.engine();
  PROPOS tag{};
  BuildProPos(info, project_number, &tag);
  int32_t headers = 0;
  if (engine.Append(w, program, kKeyProInfo, sizeof project, &project) > 0)
    ++headers;
  if (WritePosInfoPair(engine, w, program, info)) headers += 2;
  if (engine.Append(w, program, kKeyProPos, sizeof tag, &tag) > 0) ++headers;
  return headers;
}

int32_t ExportPosition(Store& store, const std::string& project_path,
                       const std::string& working_path, int16_t program,
                       ProPosLong* pp, int32_t factor,
                       TransferProgress progress, int32_t* error,
                       uint32_t flags) {
  (void)factor;
  *error = 0;
  Engine& engine = store.engine();
  int h = engine.OpenReadOnly(project_path.c_str());
  if (h <= 0) {
    store.log().RecordFileError("PosFct/uPosExport", project_path, h);
    *error = -1;
    return 0;
  }
  const std::string name = Field(pp->long_name, sizeof pp->long_name);
  PosInfoExt info{};
  const int32_t index = FindPosition(store, h, name, program, &info);

  store.os().RemoveFile(working_path);
  const int w = engine.Open(working_path.c_str());
  if (w <= 0) {
    store.log().RecordFileError("PosFct/uPosExport", working_path, w);
    engine.Close(h);
    *error = -4;
    return 0;
  }
  recordstore::WriteBatch batch(engine, w);
  PROINFO project{};
  engine.ReadBin(h, 0, sizeof project, &project);

  int32_t headers = 0;
  uint32_t copied = 0;
  bool locked = false;
  if (index < 0) {
    // A position the project does not know yet: only the header records.
    info = PosInfoExt{};
    recordstore::CopyTextField(info.PosNameLong, pp->long_name,
                               sizeof info.PosNameLong);
    recordstore::ShortNameFromLong(info.PosNameLong, info.PosName);
    recordstore::CopyTextField(info.Designation, pp->designation,
                               sizeof info.Designation);
    headers =
        WriteNewPositionHeaders(store, w, program, project, info, pp->project);
  } else {
    locked = CheckLockAndInform(store, &h, program, name, true) == 1;
    PosInfoExt copy = info;
    if (locked) copy.Ctrl |= kCtrlLocked;
    if (copy.Designation[0] == 0)
      recordstore::CopyTextField(copy.Designation, project.szProject,
                                 sizeof copy.Designation);
    if (engine.WriteFar(w, program, kKeyProInfo, 0, sizeof project, &project,
                        true) > 0)
      ++headers;
    if (WritePosInfoPair(engine, w, program, copy)) headers += 2;
    recordstore::CopyTextField(pp->designation, copy.Designation,
                               sizeof pp->designation);
    // Each stored record starts with the keys it has in the working file.
    std::vector<uint8_t> buf(kMaxData);
    const uint32_t expected = info.Recs > 0 ? info.Recs : 0;
    int32_t n = engine.Read(h, static_cast<int16_t>(info.id), program, 0,
                            kMaxData, buf.data());
    // A record too short to name its keys is skipped, not taken for the end.
    for (; n >= 0; n = engine.ReadNext(h, buf.data())) {
      if (n < 4) continue;
      const int16_t k1 = recordstore::LoadI16(buf.data());
      const int16_t k2 = recordstore::LoadI16(buf.data() + 2);
      if (engine.Append(w, k1, k2, static_cast<int16_t>(n - 4),
                        buf.data() + 4) > 0)
        ++copied;
      Progress(progress, copied, expected);
    }
  }
  if (headers == 0) *error = -3;
  engine.Close(h);
  bool working_open = true;
  // A position without data records (a new one included) is empty.
  if (*error == 0 && !locked) {
    if (copied == 0) {
      *error = -5;
    } else if ((flags & kTransferNoLock) == 0) {
      // The lock is written into the project, so it is opened exclusively.
      engine.Close(w);
      working_open = false;
      const int x = engine.OpenExclusive(project_path.c_str());
      const int w2 = engine.OpenReadOnly(working_path.c_str());
      if (x > 0) LockOn(store, x, w2 > 0 ? w2 : 0, program, name);
      if (w2 > 0) engine.Close(w2);
      if (x > 0) engine.Close(x);
      store.kept_posinfo = info;
    }
  }
  if (index >= 0 && copied < static_cast<uint32_t>(std::max<int16_t>(
                                 info.Recs, 0)))
    store.log().Printf("#ERROR :POSITION %s DOMAGED ? Read %u from %d records.",
                       Field(info.PosName, sizeof info.PosName).c_str(), copied,
                       static_cast<int>(info.Recs));
  if (working_open) engine.Close(w);
  return static_cast<int32_t>(copied) + headers;
}

int32_t ImportPosition(Store& store, const std::string& project_path,
                       const std::string& working_path, int16_t program,
                       const ProPosLong& pp, const char* description,
                       int32_t factor, TransferProgress progress,
                       int32_t* error, uint32_t flags) {
  *error = 0;
  Engine& engine = store.engine();
  const int h = engine.OpenExclusive(project_path.c_str());
  if (h <= 0) {
    store.log().Printf("\n####  ERROR DBOpen ( %s) ", project_path.c_str());
    *error = h;
    return 0;
  }
  const int w = engine.Open(working_path.c_str());
  if (w <= 0) {
    engine.Close(h);
    *error = -4;
    return 0;
  }
  recordstore::WriteBatch batch(engine, h);
  auto finish = [&](int32_t result) {
    engine.Close(w);
    engine.Close(h);
    return result;
  };
  const int16_t any = kAllPrograms;
  PROINFO work_project{};
  engine.Read(w, any, kKeyProInfo, 0, sizeof work_project, &work_project);
  PosInfoExt work{};
  if (engine.Read(w, any, kKeyPosInfo, 1, sizeof work, &work) !=
      static_cast<int32_t>(sizeof work)) {
    uint8_t narrow[recordstore::kPosInfoShortFileSize];
    if (engine.Read(w, any, kKeyPosInfo, 0, sizeof narrow, narrow) !=
        static_cast<int32_t>(sizeof narrow)) {
      store.log().Append("\n #-> Position hat keine HeaderRekords!");
      *error = -2;
      return finish(0);
    }
    recordstore::WidenPosInfo(narrow, &work);
  }
  PROPOS work_tag{};
  engine.Read(w, any, kKeyProPos, 0, sizeof work_tag, &work_tag);

  const uint32_t now = store.os().Now();
  PROINFO project{};
  engine.ReadBin(h, 0, sizeof project, &project);
  if (project.number != 0) {
    recordstore::CopyTextField(work_project.szProject, project.szProject,
                               sizeof project.szProject);
    work_project.number = project.number;
    const std::string key =
        store.catalogue().KeyByNumber(static_cast<uint16_t>(program));
    recordstore::CopyTextField(work_project.szPrgShort, key.c_str(),
                               sizeof work_project.szPrgShort);
    recordstore::CopyTextField(project.szPrgShort, key.c_str(),
                               sizeof project.szPrgShort);
    work_project.changed = now;
    project.changed = now;
  }

  // The caller names the position (a save under another name, a copy);
  // without a name the working file's own is meant.
  std::string name = Field(pp.long_name, sizeof pp.long_name);
  if (name.empty()) name = Field(work.PosNameLong, sizeof work.PosNameLong);
  PosInfoExt stored{};
  int32_t index = FindPosition(store, h, name, program, &stored);
  if (index < 0) {
    CreatePosition(store, h, name, Field(work.Msg, sizeof work.Msg), program);
    index = FindPosition(store, h, name, program, &stored);
    if (index < 0) {
      *error = -2;
      return finish(0);
    }
  }
  if (stored.Ctrl & kCtrlLocked) {
    if (LockedForMe(store, h, w) == 1) {
      LockOff(store, h, program, name);
      store.log().Printf(
          "\n%16s§ PosImport: PositionIsLockedForMe; Lock_Off %s", " ",
          name.c_str());
    } else {
      int hh = h;
      const bool quiet = (flags & kTransferQuiet) != 0;
      if (CheckLockAndInform(store, &hh, program, name, quiet) == 1) {
        store.log().Printf("\n%16s§ PosImport:PosIsLocked, no write : '%s' \n",
                           " ", name.c_str());
        *error = -5;
        engine.Close(w);
        engine.Close(hh);
        return 0;
      }
    }
    FindPosition(store, h, name, program, &stored);
  }

  // The project decides who the position is; the working file what it holds.
  PosInfoExt merged{};
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
  BuildProPos(merged, project.number, &work_tag);
  engine.WriteBin(h, 0, sizeof project, &project);
  engine.WriteFar(w, program, kKeyProInfo, 0, sizeof work_project,
                  &work_project, true);
  WritePosInfoPair(engine, w, program, merged);
  engine.WriteFar(w, program, kKeyProPos, 0, sizeof work_tag, &work_tag, true);

  uint32_t counter = 0;
  engine.Read(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter);
  const uint32_t total = engine.NumRecords(w);
  recordstore::OverwritePass& pass = store.overwrite_pass();
  const int16_t id = static_cast<int16_t>(merged.id);
  // Until the save ends, the stored POSINFO claims at least as many records
  // as either version has: a save cut short then always shows fewer records
  // than Recs says, never a silent mix of old and new. Only a record that
  // already has its long form is rewritten here, in place, so the file
  // ends up laid out as without this step.
  PosInfoExt pending{};
  if (ReadStoredPosInfo(store, h, program, static_cast<uint32_t>(index),
                        &pending) == recordstore::kPosInfoExtFileSize) {
    const uint32_t claim =
        std::min<uint32_t>(32767, std::max<uint32_t>(
                                      pending.Recs > 0 ? pending.Recs : 0,
                                      total));
    pending.Recs = static_cast<int16_t>(claim);
    WritePosInfo(store, h, program, static_cast<uint32_t>(index), pending);
  }
  const int32_t released = pass.StartExpecting(h, id, program, total);
  store.log().Printf("\n%16s§ PosImport: PositionIsNotLocked", " ");
  std::vector<uint8_t> buf(static_cast<size_t>(kMaxData) + 4);
  uint32_t stored_count = 0;
  auto store_record = [&](int16_t k1, int16_t k2, int32_t size,
                          const uint8_t* data) {
    recordstore::StoreI16(buf.data(), k1);
    recordstore::StoreI16(buf.data() + 2, k2);
    if (data != buf.data() + 4) std::memmove(buf.data() + 4, data, size);
    pass.Write(h, id, program, static_cast<int16_t>(size + 4), buf.data());
    ++stored_count;
  };
  store_record(program, kKeyProPos, sizeof work_tag,
               reinterpret_cast<const uint8_t*>(&work_tag));
  const uint32_t step =
      static_cast<uint32_t>(factor > 0 ? factor : 1) * (total ? total : 1);
  uint32_t since = 0;
  std::vector<uint8_t> rec(kMaxData);
  int32_t n = engine.Read(w, any, any, 0, kMaxData, rec.data());
  while (n >= 0) {
    int16_t k1 = 0, k2 = 0;
    engine.GetKeys(&k1, &k2);
    if (k1 > 0 && !IsHeaderKey(k2)) {
      store_record(k1, k2, n, rec.data());
      if (++since > step / 100) {
        since = 0;
        Progress(progress, stored_count, total);
      }
    }
    n = engine.ReadNext(w, rec.data());
  }
  pass.End();
  if (released > 0) counter += static_cast<uint32_t>(released);
  engine.WriteFar(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter, true);

  if (description != nullptr && merged.Msg[0] == 0)
    recordstore::CopyTextField(merged.Msg, description, sizeof merged.Msg);
  merged.saved = now;
  merged.Recs = static_cast<int16_t>(stored_count > 32767 ? 32767
                                                          : stored_count);
  uint16_t next_page = 0;
  engine.Read(h, kKeyPageCounter, 0, 0, sizeof next_page, &next_page);
  const uint32_t end_page = merged.page_start + merged.page_count;
  if (end_page > next_page) {
    next_page = static_cast<uint16_t>(end_page);
    engine.WriteFar(h, kKeyPageCounter, 0, 0, sizeof next_page, &next_page, true);
  }
  WritePosInfo(store, h, program, static_cast<uint32_t>(index), merged);

  if ((flags & kTransferNoLock) == 0) {
    store.log().Printf("\n%16s§ PosImport: Lock_On", " ");
    LockOn(store, h, w, program, name);
    store.kept_posinfo = merged;
  }
  return finish(static_cast<int32_t>(stored_count) + 3);
}

}  // namespace zb::projectstore
