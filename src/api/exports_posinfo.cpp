// The position information exports: the list of a project's positions read
// once into a process-wide cache and then entry by entry, in the short form
// (plain, B) and the long form (_L, _LB), and the date helpers for Basic
// callers that cannot split a time value themselves.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "api/byte_string.h"
#include "api/frame.h"
#include "api/library.h"
#include "api/position_info_cache.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "projectstore/project_catalogue.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::FieldText;

// The positions of the project the request names; none when the project
// list does not know it or the file cannot be read.
std::vector<zb::api::PositionListEntry> PositionsOf(Library& lib,
                                                    const ZBPROPOS_L& request) {
  std::string path;
  if (ps::FindProject(lib.store(), FieldText(request.szDataPfad),
                      FieldText(request.szProName), nullptr, &path) < 0)
    return {};
  return zb::api::LoadPositionList(lib, path);
}

// The plain form's implementation behind the frame: the same list into the
// short cache (the frame has logged in and written the title block).
int32_t ZBAPI InitShortCache(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return lib.short_position_infos().Fill(PositionsOf(lib, *request));
}

void Store(int16_t* out, int value) {
  if (out) *out = static_cast<int16_t>(value);
}

}  // namespace

extern "C" {

int32_t ZBAPI ZB_InitPosinfos_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return 0;
  env::EnsureLoggedIn(lib.session());
  lib.context().log.Title("ZB_GetPosinfosDim_L");
  return lib.long_position_infos().Fill(PositionsOf(lib, *request));
}

int32_t ZBAPI ZB_InitPosinfos(ZBPROPOS* request) {
  if (!request) return 0;
  zb::api::FrameOptions options;
  options.entry_title = "ZB_GetPosinfosDim";
  return zb::api::PlainFrame(options, request, &InitShortCache);
}

int32_t ZBAPI ZB_InitPosinfosB(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_InitPosinfos);
}

int32_t ZBAPI ZB_InitPosinfos_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_InitPosinfos_L);
}

int32_t ZBAPI ZB_GetPosinfo(int32_t index, void* posinfo) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return lib.short_position_infos().Get(index, posinfo);
}

int32_t ZBAPI ZB_GetPosinfo_L(int32_t index, void* posinfo) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return lib.long_position_infos().Get(index, posinfo);
}

int32_t ZBAPI ZB_GetPosinfoB(int32_t index, void* posinfo) {
  uint8_t entry[zb::api::kShortEntrySize];
  const int32_t result = ZB_GetPosinfo(index, entry);
  if (result > 0 && posinfo)
    zb::api::ShortEntryToBlank(entry, static_cast<uint8_t*>(posinfo));
  return result;
}

int32_t ZBAPI ZB_GetPosinfo_LB(int32_t index, void* posinfo) {
  uint8_t entry[zb::api::kLongEntrySize];
  const int32_t result = ZB_GetPosinfo_L(index, entry);
  if (result > 0 && posinfo)
    zb::api::LongEntryToBlank(entry, static_cast<uint8_t*>(posinfo));
  return result;
}

int32_t ZBAPI ZB_KillPosinfos() {
  return zb::api::TheLibrary().short_position_infos().Kill();
}
int32_t ZBAPI ZB_KillPosinfosB() { return ZB_KillPosinfos(); }
int32_t ZBAPI ZB_KillPosinfos_L() {
  return zb::api::TheLibrary().long_position_infos().Kill();
}
int32_t ZBAPI ZB_KillPosinfos_LB() { return ZB_KillPosinfos_L(); }

int32_t ZBAPI ZB_GetPosname_L(int32_t index, char* name) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const zb::api::PositionListEntry* entry =
      lib.long_position_infos().Entry(index);
  if (!entry || !name) return 0;
  std::memcpy(name, entry->info.PosNameLong, sizeof entry->info.PosNameLong);
  return static_cast<int32_t>(
      strnlen(entry->info.PosNameLong, sizeof entry->info.PosNameLong));
}

ZB_BYTESTRING ZBAPI ZB_GetPosname_LB(int16_t index) {
  char name[sizeof(zb::recordstore::PosInfoExt::PosNameLong)] = {};
  const int32_t length = ZB_GetPosname_L(index, name);
  return zb::api::AllocByteString(
      std::string(name, static_cast<size_t>(length)));
}

int32_t ZBAPI ZBDB_GetPosinfoDateB(uint32_t time, int16_t* year, int16_t* month,
                                   int16_t* day, int16_t* hour, int16_t* minute,
                                   int16_t* second) {
  const zb::api::TimeParts parts = zb::api::UniversalTimeParts(time);
  Store(year, parts.year);
  Store(month, parts.month);
  Store(day, parts.day);
  Store(hour, parts.hour);
  Store(minute, parts.minute);
  Store(second, parts.second);
  return static_cast<int32_t>(time);
}

int32_t ZBAPI ZBDB_SetPosinfoDateB(uint32_t* time, int16_t year, int16_t month,
                                   int16_t day, int16_t hour, int16_t minute,
                                   int16_t second) {
  zb::api::TimeParts parts;
  parts.year = year;
  parts.month = month;
  parts.day = day;
  parts.hour = hour;
  parts.minute = minute;
  parts.second = second;
  const uint32_t value = zb::api::TimeFromLocalParts(parts);
  if (time) *time = value;
  return static_cast<int32_t>(value);
}

}  // extern "C"
