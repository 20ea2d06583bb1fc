#include "projectstore/page_numbers.h"

#include <cstring>
#include <map>

#include "environment/library_context.h"
#include "platform/platform.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_index.h"
#include "projectstore/positions.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/engine.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

constexpr size_t kPageBlockSize = 26;
constexpr uint32_t kWorkingLongPosInfo = 1;  // occurrence in a working file

void ClearPageBlock(PosInfoExt* info) {
  std::memset(&info->page_start, 0, kPageBlockSize);
}

// The working file's long POSINFO gets the same page block, so that the
// program's next save keeps it.
void WriteBlockIntoWorkingFile(Store& store, const std::string& path,
                               const PosInfoExt& block_source) {
  Engine& engine = store.engine();
  // The program may hold the file open itself: its handle serves.
  RecordFile own;
  int32_t h = engine.GetFileHandle(path.c_str());
  if (h <= 0) {
    own = RecordFile::Open(engine, path);
    h = own.handle();
  }
  if (h <= 0) {
    store.log().RecordFileError("ZB_SetStartPageNr_L", path, h);
    return;
  }
  uint8_t record[recordstore::kPosInfoExtFileSize] = {};
  if (engine.Read(h, kAllPrograms, kKeyPosInfo, kWorkingLongPosInfo,
                  sizeof record, record) == recordstore::kPosInfoExtFileSize) {
    int16_t key1 = 0, key2 = 0;
    engine.GetKeys(&key1, &key2);
    std::memcpy(record + offsetof(PosInfoExt, page_start),
                &block_source.page_start, kPageBlockSize);
    engine.WriteFar(h, key1, kKeyPosInfo, kWorkingLongPosInfo, sizeof record,
                    record, false);
  }
}

}  // namespace

uint16_t NextPageOf(Store& store, int h) {
  uint16_t next = 0;
  if (store.engine().Read(h, kKeyPageCounter, 0, 0, sizeof next, &next) < 0 ||
      next > kMaxPageNumber)
    return 1;
  return next;
}

int32_t ReadPositionForPaging(Store& store, int h, int16_t program,
                              const std::string& name, PagingPosition* out) {
  *out = PagingPosition{};
  if (program == kAllPrograms) return -1;
  const int32_t index = FindPosition(store, h, name, program, &out->info);
  if (index < 0) return -1;
  out->index = index;
  PosInfoExt stored{};
  if (ReadStoredPosInfo(store, h, program, static_cast<uint32_t>(index),
                        &stored) < recordstore::kPosInfoExtFileSize)
    return -1;  // the short form has no page block
  out->id = out->info.id;
  out->next_page = NextPageOf(store, h);
  if (out->info.page_start == 0) out->info.page_start = out->next_page;
  if (out->info.Designation[0] == '\0')
    recordstore::SetFieldText(
        out->info.Designation,
        DesignationFromProPos(store, h, static_cast<int16_t>(out->info.id),
                              program));
  return out->id;
}

int32_t SetStartPage(Store& store, const std::string& project_path,
                     int16_t program, const std::string& name, uint16_t start,
                     uint16_t count, const std::string& working_file) {
  PosInfoExt block{};
  block.page_start = start;
  block.page_count = count;
  block.page_time = count != 0 ? store.os().Now() : 0;
  if (count > kMaxPageNumber) ClearPageBlock(&block);

  RecordFile project = RecordFile::OpenExclusive(store.engine(), project_path);
  const int32_t h = project.handle();
  if (h <= 0) {
    store.log().RecordFileError("ZB_SetStartPageNr_L", project_path, h);
    return 0;
  }
  PagingPosition position;
  ReadPositionForPaging(store, h, program, name, &position);
  const std::string designation =
      recordstore::FieldText(position.info.Designation);
  store.log().Printf("\n BEZEICHNUNG:  iSetPageNr-iSetPosInfo(%s)",
                     designation.c_str());
  // Page numbers never create a position; an old 116-byte one gets its
  // page block by being stored in the long form.
  int32_t id = 0;
  if (position.index >= 0 && program != kAllPrograms) {
    PosInfoExt changed = position.info;
    std::memcpy(&changed.page_start, &block.page_start, kPageBlockSize);
    id = SetPositionInfo(store, h, position.info, changed, designation.c_str(),
                         program);
  }
  project.Close();  // before the working file, which may be opened anew
  if (id > 0 && !working_file.empty())
    WriteBlockIntoWorkingFile(store, working_file, block);
  return id;
}

int32_t GetStartPage(Store& store, const std::string& project_path,
                     int16_t program, const std::string& name, uint16_t* start,
                     uint16_t* count) {
  *start = 0;
  *count = 0;
  int32_t id = -1;
  PagingPosition position;
  {
    RecordFile project = RecordFile::OpenReadOnly(store.engine(), project_path);
    if (!project.is_open()) {
      store.log().RecordFileError("ZB_GetStartPageNr_L", project_path,
                                  project.handle());
      return -1;
    }
    id = ReadPositionForPaging(store, project.handle(), program, name,
                               &position);
  }
  if (id < 0) return -1;
  *start = position.info.page_start;
  *count = position.info.page_count;
  if (*start > kMaxPageNumber || *count > kMaxPageNumber) {
    *start = 0;
    *count = 0;
  } else if (position.next_page < *count) {
    // The project's numbering was restarted below this printout.
    *count = 0;
  }
  return id;
}

int32_t SetNextPage(Store& store, const std::string& project_path,
                    uint16_t next) {
  Engine& engine = store.engine();
  RecordFile project = RecordFile::OpenExclusive(engine, project_path);
  const int32_t h = project.handle();
  if (h <= 0) {
    store.log().RecordFileError("ZB_SetNextPageNr_L", project_path, h);
    return h < 0 ? h : -1;
  }
  const int32_t result =
      engine.WriteFar(h, kKeyPageCounter, 0, 0, sizeof next, &next, true);
  if (result > 0) store.log().Printf("\n*** ZB_SetNextPageNr: %d", next);
  return result;
}

int32_t GetNextPage(Store& store, const std::string& project_path,
                    uint16_t* next) {
  *next = 1;
  RecordFile project = RecordFile::OpenReadOnly(store.engine(), project_path);
  if (!project.is_open()) {
    store.log().RecordFileError("ZB_GetNextPageNr_L", project_path,
                                project.handle());
    return -1;
  }
  uint16_t value = 0;
  const int32_t got = store.engine().Read(project.handle(), kKeyPageCounter, 0,
                                          0, sizeof value, &value);
  if (got < 0) return got;
  *next = value > kMaxPageNumber ? 1 : value;
  return 1;
}

int32_t ResetPages(Store& store, const std::string& project_path,
                   int16_t program, const std::string& name) {
  if (!name.empty() && program == kAllPrograms) return 0;
  Engine& engine = store.engine();
  RecordFile project = RecordFile::OpenExclusive(engine, project_path);
  const int32_t h = project.handle();
  if (h <= 0) {
    store.log().RecordFileError("ZB_ResetPageNr_L", project_path, h);
    return -1;
  }
  int32_t result = 0;
  if (!name.empty()) {
    PosInfoExt info{};
    result = FindPosition(store, h, name, program, &info);
    PosInfoExt stored{};
    // A 116-byte record has no page numbers to clear.
    if (result >= 0 &&
        ReadStoredPosInfo(store, h, program, static_cast<uint32_t>(result),
                          &stored) >= recordstore::kPosInfoExtFileSize) {
      ClearPageBlock(&stored);
      WritePosInfo(store, h, program, static_cast<uint32_t>(result), stored);
    }
    return result;
  }

  // Records are read in file order; each program's own occurrence count
  // tells under which occurrence a record is written back.
  std::map<int16_t, uint32_t> occurrences;
  uint8_t record[recordstore::kPosInfoExtFileSize];
  for (uint32_t n = 0;; ++n) {
    std::memset(record, 0, sizeof record);
    const int32_t got =
        engine.Read(h, kKeyPosInfo, program, n, sizeof record, record);
    if (got != recordstore::kPosInfoExtFileSize) break;
    int16_t key1 = 0, key2 = 0;
    engine.GetKeys(&key1, &key2);
    const uint32_t occurrence = occurrences[key2]++;
    PosInfoExt info;
    std::memcpy(&info, record, sizeof info);
    ClearPageBlock(&info);
    if (WritePosInfo(store, h, key2, occurrence, info) < 0) break;
    ++result;
  }
  const uint16_t first_page = 1;
  engine.WriteFar(h, kKeyPageCounter, 0, 0, sizeof first_page, &first_page,
                  true);
  return result;
}

}  // namespace zb::projectstore
