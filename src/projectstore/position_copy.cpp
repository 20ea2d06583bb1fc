#include "projectstore/position_copy.h"

#include <cstring>
#include <string>

#include "environment/folders.h"
#include "environment/library_context.h"
#include "platform/platform.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/previews.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "projectstore/temporary_name.h"
#include "projectstore/working_file.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

constexpr int32_t kPositionNotFound = -302;  // ERR_POS_NOTFOUND

template <size_t N>
void DefaultField(char (&field)[N], const char (&from)[N]) {
  if (field[0] == 0) std::memcpy(field, from, N);
}

std::string ShortNameOf(const std::string& long_name) {
  char short_name[10];
  recordstore::ShortNameFromLong(long_name.c_str(), short_name);
  return std::string(short_name, strnlen(short_name, sizeof short_name));
}

bool SamePosition(const ZBPROPOS_L& a, const ZBPROPOS_L& b) {
  using environment::LowerAscii;
  using environment::NormaliseFolder;
  return LowerAscii(NormaliseFolder(recordstore::FieldText(a.szDataPfad))) ==
             LowerAscii(NormaliseFolder(recordstore::FieldText(b.szDataPfad))) &&
         DosUmlautsToWindows(TrimProjectName(recordstore::FieldText(a.szProName))) ==
             DosUmlautsToWindows(TrimProjectName(recordstore::FieldText(b.szProName))) &&
         PositionCompareName(recordstore::FieldText(a.szPosNameLong)) ==
             PositionCompareName(recordstore::FieldText(b.szPosNameLong));
}

// A copy carries no page numbers: they belong to the printed original.
void ClearPageBlock(Store& store, const std::string& working_path,
                    int16_t program) {
  Engine& engine = store.engine();
  RecordFile working = RecordFile::Open(engine, working_path);
  const int32_t w = working.handle();
  if (w <= 0) return;
  PosInfoExt info{};
  if (engine.Read(w, program, kKeyPosInfo, 1, sizeof info, &info) ==
      static_cast<int32_t>(sizeof info)) {
    info.page_start = 0;
    info.page_count = 0;
    info.page_time = 0;
    std::memset(info.page_reserved, 0, sizeof info.page_reserved);
    engine.WriteFar(w, program, kKeyPosInfo, 1, sizeof info, &info, false);
  }
}

// Takes the lock of the position this process held before the copy again.
void LockAgain(Store& store, const OwnLockState& before) {
  if (before.state != 1) return;
  LockPositionFor(store, before.project_path, before.working_path,
                  before.program, before.name);
}

// The source position's preview becomes the copy's.
void CopyPreviewAlong(Store& store, const std::string& source_path,
                      uint16_t source_id, const ZBPROPOS_L& target,
                      int16_t program) {
  std::string target_path;
  PosInfoExt copied{};
  if (FindProject(store, recordstore::FieldText(target.szDataPfad),
                  recordstore::FieldText(target.szProName), nullptr,
                  &target_path) < 0 ||
      PositionStateOfFile(store, target_path, program,
                          recordstore::FieldText(target.szPosNameLong),
                          &copied) == 0)
    return;
  CopyPreviewOfPosition(store, PreviewPathOf(source_path), source_id,
                        PreviewPathOf(target_path), copied.id, program);
}

}  // namespace

int32_t CopyPosition(Store& store, ZBPROPOS_L* source, ZBPROPOS_L* target) {
  // Target fields left empty are the source's; a copy keeps its program.
  DefaultField(target->szDataPfad, source->szDataPfad);
  DefaultField(target->szPosNameLong, source->szPosNameLong);
  DefaultField(target->szAuthor, source->szAuthor);
  std::memcpy(target->szPrgName, source->szPrgName, sizeof target->szPrgName);
  const std::string program = recordstore::FieldText(source->szPrgName);
  const int16_t key = store.catalogue().NumberByKey(program);
  const std::string source_folder = recordstore::FieldText(source->szDataPfad);
  const std::string target_folder = recordstore::FieldText(target->szDataPfad);
  const std::string source_long = recordstore::FieldText(source->szPosNameLong);
  const std::string target_long = recordstore::FieldText(target->szPosNameLong);

  store.log().Printf(
      "\n%8s COPY position from: %s//%s//%s\n%25sto: %s//%s//%s ", " ",
      source_folder.c_str(), recordstore::FieldText(source->szProName).c_str(),
      ShortNameOf(source_long).c_str(), "", target_folder.c_str(),
      recordstore::FieldText(target->szProName).c_str(),
      ShortNameOf(target_long).c_str());
  if (target->szProName[0] == 0) return -1;
  if (SamePosition(*source, *target)) return kPositionCopyToItself;

  std::string source_path;
  if (FindProject(store, source_folder,
                  recordstore::FieldText(source->szProName), nullptr,
                  &source_path) < 0)
    return kProjectNotFound;
  PosInfoExt stored{};
  if (PositionStateOfFile(store, source_path, key, source_long, &stored) == 0)
    return kPositionNotFound;

  PROINFO source_project{};
  recordstore::SetFieldText(source_project.szProject, recordstore::FieldText(source->szProName));
  recordstore::SetFieldText(source_project.szAuthor, recordstore::FieldText(source->szAuthor));
  PosInfoExt source_info{};
  recordstore::SetFieldText(source_info.PosNameLong, source_long);
  recordstore::SetFieldText(source_info.Msg, recordstore::FieldText(source->szMsg));
  recordstore::SetFieldText(source_info.Designation, recordstore::FieldText(source->szProBezeichnung));

  // The target is the source's position as far as the target names
  // nothing else.
  PROINFO target_project{};
  recordstore::SetFieldText(target_project.szProject, recordstore::FieldText(target->szProName));
  recordstore::SetFieldText(target_project.szAuthor, recordstore::FieldText(target->szAuthor));
  PosInfoExt target_info = stored;
  recordstore::SetFieldText(target_info.PosNameLong, target_long);
  std::memset(target_info.PosName, 0, sizeof target_info.PosName);
  if (target->szMsg[0] != 0) recordstore::SetFieldText(target_info.Msg, recordstore::FieldText(target->szMsg));
  if (target->szProBezeichnung[0] != 0)
    recordstore::SetFieldText(target_info.Designation, recordstore::FieldText(target->szProBezeichnung));

  const OwnLockState before = store.context().position_lock;
  std::string folder = recordstore::FieldText(source->szTmpPfad);
  if (folder.empty()) folder = source_folder;
  std::string working = FreeTemporaryPath(store, folder, program);
  int32_t error = 0;
  int32_t result = LoadPositionIntoWorkingFile(
      store, source_folder, &working, program, source_project, &source_info,
      &error, kTransferQuiet);
  if (error == 0 && result > 0 && working.find(".TMP") != std::string::npos) {
    ClearPageBlock(store, working, key);
    result = StoreWorkingFileIntoPosition(store, target_folder, working,
                                          program, target_project, target_info,
                                          &error, kTransferQuiet);
  }
  ReleaseOwnLock(store);
  store.os().RemoveFile(working);
  if (error == 0 && result > 0)
    CopyPreviewAlong(store, source_path, stored.id, *target, key);
  if (error < 0) {
    result = error;
    store.log().Printf("\n%8s result: %d!!\n", " ", static_cast<int>(error));
    store.log().Printf("\n### ERROR ###  PositionCopy from ( %s )",
                       source_folder.c_str());
  } else {
    store.log().Printf("\n%8s result: %u!!\n", " ",
                       static_cast<unsigned>(result));
  }
  LockAgain(store, before);
  return result;
}

int32_t MovePosition(Store& store, ZBPROPOS_L* source, ZBPROPOS_L* target) {
  store.log().Printf("\n%8s MOVE position = COPY + DELETE", " ");
  const int32_t copied = CopyPosition(store, source, target);
  if (copied <= 0) return copied;
  // The source goes as a delete of that one position goes.
  store.log().Printf("\n%8s DELETE position  %s//%s//%s", " ",
                     recordstore::FieldText(source->szDataPfad).c_str(),
                     recordstore::FieldText(source->szProName).c_str(),
                     recordstore::FieldText(source->szPosNameLong).c_str());
  std::string path;
  if (FindProject(store, recordstore::FieldText(source->szDataPfad),
                  recordstore::FieldText(source->szProName), nullptr,
                  &path) < 0)
    return 0;
  RecordFile project = RecordFile::OpenExclusive(store.engine(), path);
  if (!project.is_open()) return 0;
  const uint32_t deleted = DeletePosition(
      store, project.handle(),
      store.catalogue().NumberByKey(recordstore::FieldText(source->szPrgName)),
      recordstore::FieldText(source->szPosNameLong));
  return static_cast<int32_t>(deleted > 0x7FFFFFFFu ? 0x7FFFFFFFu : deleted);
}

}  // namespace zb::projectstore
