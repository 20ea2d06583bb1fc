#include "projectstore/transfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "environment/library_context.h"
#include "platform/platform.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
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

}  // namespace

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

void ReportProgress(const TransferProgress& progress, uint32_t done,
                    uint32_t total) {
  if (progress != nullptr && total > 0)
    progress(static_cast<int32_t>(done * 100 / total));
}

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

namespace {

// The position's records from the project into the working file, each under
// the keys it carries in its first four bytes. Returns the records copied.
uint32_t CopyRecordsOut(Store& store, int h, int w, int16_t program,
                        const PosInfoExt& info, TransferProgress progress) {
  Engine& engine = store.engine();
  std::vector<uint8_t> buf(kMaxData);
  const uint32_t expected = info.Recs > 0 ? info.Recs : 0;
  uint32_t copied = 0;
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
    ReportProgress(progress, copied, expected);
  }
  return copied;
}

}  // namespace

int32_t ExportPosition(Store& store, const std::string& project_path,
                       const std::string& working_path, int16_t program,
                       ProPosLong* pp, int32_t factor,
                       TransferProgress progress, int32_t* error,
                       uint32_t flags) {
  (void)factor;
  *error = 0;
  Engine& engine = store.engine();
  RecordFile project_file = RecordFile::OpenReadOnly(engine, project_path);
  if (!project_file.is_open()) {
    store.log().RecordFileError("PosFct/uPosExport", project_path,
                                project_file.handle());
    *error = -1;
    return 0;
  }
  const std::string name = FieldText(pp->long_name, sizeof pp->long_name);
  PosInfoExt info{};
  const int32_t index =
      FindPosition(store, project_file.handle(), name, program, &info);

  store.os().RemoveFile(working_path);
  RecordFile working = RecordFile::Open(engine, working_path);
  if (!working.is_open()) {
    store.log().RecordFileError("PosFct/uPosExport", working_path,
                                working.handle());
    *error = -4;
    return 0;
  }
  const int w = working.handle();
  recordstore::WriteBatch batch(engine, w);
  PROINFO project{};
  engine.ReadBin(project_file.handle(), 0, sizeof project, &project);

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
    // The lock check may reopen the project to clear a stale lock: take
    // back whatever slot it leaves.
    int h = project_file.Release();
    locked = CheckLockAndInform(store, &h, program, name, true) == 1;
    project_file = RecordFile(engine, h);
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
    copied = CopyRecordsOut(store, h, w, program, info, progress);
  }
  if (headers == 0) *error = -3;
  project_file.Close();
  // A position without data records (a new one included) is empty.
  if (*error == 0 && !locked) {
    if (copied == 0) {
      *error = -5;
    } else if ((flags & kTransferNoLock) == 0) {
      // The lock is written into the project, so it is opened exclusively
      // once both files are closed.
      working.Close();
      LockPositionFor(store, project_path, working_path, program, name);
      store.kept_posinfo = info;
    }
  }
  if (index >= 0 && copied < static_cast<uint32_t>(std::max<int16_t>(
                                 info.Recs, 0)))
    store.log().Printf("#ERROR :POSITION %s DOMAGED ? Read %u from %d records.",
                       FieldText(info.PosName, sizeof info.PosName).c_str(),
                       copied, static_cast<int>(info.Recs));
  return static_cast<int32_t>(copied) + headers;
}

}  // namespace zb::projectstore
