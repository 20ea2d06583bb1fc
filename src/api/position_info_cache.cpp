#include "api/position_info_cache.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "api/library.h"
#include "platform/platform.h"
#include "projectstore/position_index.h"
#include "projectstore/positions.h"
#include "projectstore/record_file.h"
#include "recordstore/engine.h"

namespace zb::api {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

constexpr char kNoName[] =
    "    ";  // how the lists show a position without name

bool BlankText(const char* field, size_t width) {
  const size_t n = strnlen(field, width);
  return std::all_of(field, field + n, [](char c) { return c == ' '; });
}

// Copies a text with its terminator, as far as the field reaches.
void CopyWithTerminator(uint8_t* to, const uint8_t* from, size_t width) {
  const size_t n = strnlen(reinterpret_cast<const char*>(from), width);
  std::memcpy(to, from, n);
  if (n < width) to[n] = 0;
}

}  // namespace

std::vector<PositionListEntry> LoadPositionList(Library& lib,
                                                const std::string& project) {
  std::vector<PositionListEntry> list;
  Engine& engine = lib.engine();
  projectstore::RecordFile file =
      projectstore::RecordFile::OpenReadOnly(engine, project);
  const int32_t h = file.handle();
  if (h <= 0) return list;
  uint8_t record[recordstore::kPosInfoExtFileSize];
  for (uint32_t n = 0;; ++n) {
    std::memset(record, 0, sizeof record);
    const int32_t got =
        engine.Read(h, projectstore::kKeyPosInfo, projectstore::kAllPrograms, n,
                    sizeof record, record);
    if (got < 0) break;
    PositionListEntry entry;
    int16_t key1 = 0;
    engine.GetKeys(&key1, &entry.program);
    if (got >= recordstore::kPosInfoExtFileSize) {
      std::memcpy(&entry.info, record, sizeof entry.info);
    } else {
      recordstore::WidenPosInfo(record, &entry.info);
      if (entry.info.Designation[0] == '\0')
        recordstore::SetFieldText(
            entry.info.Designation,
            projectstore::DesignationFromProPos(
                lib.store(), h, static_cast<int16_t>(entry.info.id),
                entry.program));
    }
    if (BlankText(entry.info.PosNameLong, sizeof entry.info.PosNameLong))
      recordstore::SetFieldText(entry.info.PosNameLong, kNoName);
    if (BlankText(entry.info.PosName, sizeof entry.info.PosName))
      recordstore::SetFieldText(entry.info.PosName, kNoName);
    list.push_back(entry);
  }
  return list;
}

int32_t PositionInfoCache::Fill(
    const std::vector<PositionListEntry>& positions) {
  if (positions.empty()) return 0;
  entries_ = positions;
  return count();
}

int32_t PositionInfoCache::Get(int32_t index, void* out) {
  if (entries_.empty()) return 0;
  if (index < 0 || index >= count()) {
    // Reading past the end is how a caller lets the list go.
    Kill();
    return 0;
  }
  if (!out) return 0;
  std::memcpy(out, &entries_[static_cast<size_t>(index)].info,
              static_cast<size_t>(entry_size_));
  return kCopiedResult;
}

const PositionListEntry* PositionInfoCache::Entry(int32_t index) const {
  if (index < 0 || index >= count()) return nullptr;
  return &entries_[static_cast<size_t>(index)];
}

int32_t PositionInfoCache::Kill() {
  const int32_t held = count();
  entries_.clear();
  entries_.shrink_to_fit();
  return held;
}

void ShortEntryToBlank(const uint8_t entry[kShortEntrySize],
                       uint8_t out[kShortBlankSize]) {
  std::memset(out, ' ', kShortBlankSize);
  std::memcpy(out + 0, entry + 0, 2);            // id
  std::memcpy(out + 2, entry + 2, 2);            // Ctrl
  std::memcpy(out + 4, entry + 4, 2);            // DatVer
  CopyWithTerminator(out + 6, entry + 6, 6);     // PrgVer
  CopyWithTerminator(out + 12, entry + 12, 40);  // Msg
  CopyWithTerminator(out + 52, entry + 52, 10);  // PosName
  // The four-byte values move to the aligned places of the record in
  // memory.
  static const int kFrom[] = {62, 66, 70, 72, 76};
  static const int kTo[] = {64, 68, 72, 76, 80};
  for (size_t i = 0; i < 5; ++i) std::memcpy(out + kTo[i], entry + kFrom[i], 4);
}

void LongEntryToBlank(const uint8_t entry[kLongEntrySize],
                      uint8_t out[kLongBlankSize]) {
  std::memset(out, ' ', kLongBlankSize);
  ShortEntryToBlank(entry, out);
  std::memcpy(out + 148, entry + 142, 2);          // copy of id
  CopyWithTerminator(out + 150, entry + 144, 42);  // long name
  CopyWithTerminator(out + 192, entry + 186, 42);  // designation
}

TimeParts UniversalTimeParts(uint32_t time) {
  const std::tm tm = platform::CalendarTime(time, false);
  TimeParts parts;
  parts.year = tm.tm_year + 1900;
  parts.month = tm.tm_mon + 1;
  parts.day = tm.tm_mday;
  parts.hour = tm.tm_hour;
  parts.minute = tm.tm_min;
  parts.second = tm.tm_sec;
  return parts;
}

uint32_t TimeFromLocalParts(const TimeParts& parts) {
  const auto within = [](int value, int low, int high) {
    return value >= low && value <= high ? value : 0;
  };
  std::tm tm{};
  tm.tm_year = parts.year > 1900 ? parts.year - 1900 : 0;
  const int month = within(parts.month, 1, 12);
  tm.tm_mon = month > 0 ? month - 1 : 0;
  tm.tm_mday = within(parts.day, 1, 31);
  tm.tm_hour = within(parts.hour, 1, 59);
  tm.tm_min = within(parts.minute, 1, 60);
  tm.tm_sec = within(parts.second, 1, 60);
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  if (t <= 0 || static_cast<int64_t>(t) > 0xFFFFFFFFll) return 0;
  return static_cast<uint32_t>(t);
}

}  // namespace zb::api
