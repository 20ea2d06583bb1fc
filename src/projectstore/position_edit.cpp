#include "projectstore/position_edit.h"

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "environment/library_context.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/position_index.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/previews.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"
#include "recordstore/engine.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

using recordstore::FieldText;

void LogF(Store& store, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  store.context().log.Append(text);
}

// Writes the designation as the project text of the position's PROPOS data
// record (the data record whose working-file Key2 is the PROPOS tag).
void WriteProPosDesignation(Store& store, int h, uint16_t id, int16_t program,
                            const std::string& designation) {
  Engine& engine = store.engine();
  uint8_t buf[4 + sizeof(::PROPOS)];
  for (uint32_t n = 0;; ++n) {
    std::memset(buf, 0, sizeof buf);
    const int32_t got = engine.Read(h, static_cast<int16_t>(id), program, n,
                                    sizeof buf, buf);
    if (got < 0) return;
    int16_t k2;
    std::memcpy(&k2, buf + 2, 2);
    if (got < 4 + 42 || k2 != kKeyProPos) continue;
    std::memset(buf + 4, 0, 42);
    std::memcpy(buf + 4, designation.data(), std::min<size_t>(41, designation.size()));
    engine.WriteFar(h, static_cast<int16_t>(id), program, n,
                    static_cast<int16_t>(got), buf, false);
    return;
  }
}

// The project's next free page number must lie behind this position's pages.
void RaisePageCounter(Store& store, int h, const PosInfoExt& info) {
  Engine& engine = store.engine();
  uint16_t next = 0;
  if (engine.Read(h, kKeyPageCounter, 0, 0, sizeof next, &next) < 0 ||
      next > 10000) {
    next = 1;
    engine.WriteFar(h, kKeyPageCounter, 0, 0, sizeof next, &next, true);
  }
  const uint32_t end = uint32_t{info.page_start} + info.page_count;
  if (next < end) {
    next = static_cast<uint16_t>(end);
    engine.WriteFar(h, kKeyPageCounter, 0, 0, sizeof next, &next, true);
  }
}

uint32_t DeleteAll(Store& store, int h) {
  Engine& engine = store.engine();
  uint8_t buf[recordstore::kPosInfoExtFileSize];
  int32_t total = 0, locked = 0;
  for (uint32_t n = 0; engine.Read(h, kKeyPosInfo, kAllPrograms, n,
                                   sizeof buf, buf) >= 0; ++n) {
    uint16_t ctrl;
    std::memcpy(&ctrl, buf + 2, 2);
    ++total;
    if (ctrl & kCtrlLocked) ++locked;
  }
  if (locked > 0) {
    LogF(store,
         "\n %8s PosDelete %d positions from %d are locked , so not executed!",
         "", locked, total);
    return 0;
  }
  uint32_t deleted = 0;
  ForgetPositionIndex(store, h);
  // Delete finds the first record, DeleteNext walks on from there.
  for (int32_t r = engine.Delete(h, kAllPrograms, kAllPrograms, 0);
       r != DB_EOF; r = engine.DeleteNext(h)) {
    if (r <= 0) continue;
    if (++deleted == 2147483647u) {
      char text[200];
      std::snprintf(text, sizeof text,
                    "Nicht ALLE Positionen gel\xF6scht! Anzahl gel\xF6schte "
                    "Datens\xE4tze: %u", deleted);
      store.ui().Ask(store.context().message_title, text,
                     environment::Buttons::kOk,
                     environment::Icon::kInformation);
      break;
    }
  }
  return deleted;
}

}  // namespace

int32_t SetPositionInfo(Store& store, int h, const PosInfoExt& old_info,
                        const PosInfoExt& new_info, const char* designation,
                        int16_t program) {
  const std::string old_name = FieldText(old_info.PosNameLong, 42);
  const std::string new_name = FieldText(new_info.PosNameLong, 42);
  LogF(store, "\n %8s SETPOSINFO Position from %s to %s \n Bezeichnung To:'%s'",
       "", old_name.c_str(), new_name.c_str(), designation ? designation : "");
  const uint32_t now = store.os().Now();

  const int32_t new_index =
      new_name.empty() ? -1
                       : FindPosition(store, h, new_name, program, nullptr);
  PosInfoExt info{};
  const int32_t old_index = FindPosition(store, h, old_name, program, &info);
  if (new_index >= 0 && new_index != old_index) return 0;
  if (old_index < 0)
    return CreatePosition(store, h, new_name, FieldText(new_info.Msg, 40),
                          program);

  if (!new_name.empty()) {
    if (new_name != FieldText(info.PosNameLong, 42))
      UniqueShortName(store, h, program, new_name, info.PosName);
    std::memcpy(info.PosNameLong, new_info.PosNameLong, sizeof info.PosNameLong);
  }
  std::memcpy(info.Designation, new_info.Designation, sizeof info.Designation);
  if (designation)
    recordstore::CopyTextField(info.Designation,
                               std::string(designation).substr(0, 41).c_str(),
                               sizeof info.Designation);
  if (new_info.Msg[0] != '\0')
    std::memcpy(info.Msg, new_info.Msg, sizeof info.Msg);
  if (info.created == 0) info.created = now;
  info.saved = now;

  // The page block travels as a whole; an impossible page count voids it.
  constexpr size_t kPageBlock = 26;
  std::memcpy(&info.page_start, &new_info.page_start, kPageBlock);
  if (info.page_count > 10000) std::memset(&info.page_start, 0, kPageBlock);
  if (info.page_count != 0 && info.page_time == 0) info.page_time = now;

  if (WritePosInfo(store, h, program, static_cast<uint32_t>(old_index), info) <
      0)
    return 0;
  RaisePageCounter(store, h, info);
  if (designation) {
    WriteProPosDesignation(store, h, info.id, program, designation);
    LogF(store,
         "\n iSetPosInfo2(PROPOS-struktur.Projekt)/ iSetProBezeichnung('%s')",
         designation);
  }
  return info.id;
}

int32_t RenamePosition(Store& store, int h, int16_t program,
                       const std::string& old_name,
                       const std::string& new_name) {
  PosInfoExt source{};
  const int32_t state = PositionState(store, h, program, old_name, &source);
  if (state == 0) return -1;
  if (state == 2) return 0;
  PosInfoExt target = source;
  std::memset(target.PosNameLong, 0, sizeof target.PosNameLong);
  std::memcpy(target.PosNameLong, new_name.data(), std::min<size_t>(41, new_name.size()));
  return SetPositionInfo(store, h, source, target, nullptr, program);
}

uint32_t DeletePosition(Store& store, int h, int16_t program,
                        const std::string& name) {
  if (program == kAllPrograms && name == "ALLE") return DeleteAll(store, h);
  Engine& engine = store.engine();
  PosInfoExt info{};
  const int32_t index = FindPosition(store, h, name, program, &info);
  uint32_t deleted = 0;
  if (index >= 0) {
    if (info.Ctrl & kCtrlLocked) {
      LogF(store, "\n%8s PosDelete: %s  is locked!", "", name.c_str());
      return 0;
    }
    // The position's preview goes with it.
    DeletePreview(store, PreviewPathOf(PathOfHandle(engine, h)), info.id,
                  program);
    uint32_t freed = 0;
    for (int32_t size; (size = engine.Delete(h, static_cast<int16_t>(info.id),
                                             program, 0)) > 0;) {
      freed += static_cast<uint32_t>(size);
      ++deleted;
    }
    const int32_t size =
        engine.Delete(h, kKeyPosInfo, program, static_cast<uint32_t>(index));
    if (size > 0) {
      PositionIndexDeleted(store, h, program, static_cast<uint32_t>(index));
      ++deleted;
      freed += static_cast<uint32_t>(size);
      uint32_t counter = 0;
      if (engine.Read(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter) < 0)
        counter = 0;
      counter += freed;
      engine.WriteFar(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter, true);
    }
  }
  LogF(store, "\n%8s result: %u!!\n", "", deleted);
  return deleted;
}

}  // namespace zb::projectstore
