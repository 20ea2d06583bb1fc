// Login, versions, library-wide settings, fixed answers and placeholders.
#include <cstdio>
#include <cstring>
#include <string>

#include "api/byte_string.h"
#include "api/library.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "platform/platform.h"
#include "zbdb900.h"

namespace env = zb::environment;

namespace {

using zb::api::Library;

constexpr int32_t kNotAvailable = -1111;
constexpr int32_t kNotDone = -101;

// Copies the "%u,%u,%u,%u" version of file into out when it fits there,
// terminator included; nothing is written for a file without version.
int32_t VersionQuery(Library& lib, const char* const* file, char* const* out,
                     int32_t max_length, bool product) {
  if (!file || !*file || !out || !*out) return 0;
  uint16_t parts[4];
  if (!lib.os().ModuleVersion(*file, product, parts)) return 0;
  char text[64];
  const int length = std::snprintf(text, sizeof text, "%u,%u,%u,%u", parts[0],
                                   parts[1], parts[2], parts[3]);
  if (length < 0 || length + 1 > max_length) return 0;
  std::memcpy(*out, text, static_cast<size_t>(length) + 1);
  return 1;
}

ZB_BYTESTRING VersionQueryB(Library& lib, const char* file, bool product) {
  char name[260] = {};
  if (file) std::snprintf(name, sizeof name, "%s", file);
  char result[260] = {};
  const char* name_pointer = name;
  char* result_pointer = result;
  VersionQuery(lib, &name_pointer, &result_pointer, sizeof result, product);
  return zb::api::AllocByteString(result);
}

}  // namespace

extern "C" {

// ---- Login --------------------------------------------------------------------
int32_t ZBAPI ZBDB_Login(void) {
  zb::api::Library& lib = zb::api::TheLibrary();
  env::Login(lib.session());
  return 1;
}
int32_t ZBAPI ZBDB_Logout(void) {
  return env::Logout(zb::api::TheLibrary().session());
}
int32_t ZBAPI ZB_RegInit(void) {
  return env::RegInit(zb::api::TheLibrary().context());
}
double ZBAPI DSKGetSpaceMb(const char* path, int32_t kind) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return env::DiskSpaceMb(lib.os(), path ? path : "", kind);
}

// ---- Versions -----------------------------------------------------------------
int32_t ZBAPI ZBDB_GetVersion(void) {
  return zb::api::TheLibrary().context().database_version;
}
int32_t ZBAPI ZBDB_SetVersion(int32_t, int32_t) { return kNotAvailable; }
int32_t ZBAPI GetFileVersion(const char* const* file, char* const* out,
                             int32_t max_length) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return VersionQuery(lib, file, out, max_length, false);
}
int32_t ZBAPI GetProductVersion(const char* const* file, char* const* out,
                                int32_t max_length) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return VersionQuery(lib, file, out, max_length, true);
}
ZB_BYTESTRING ZBAPI GetFileVersionB(const char* file) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return VersionQueryB(lib, file, false);
}
ZB_BYTESTRING ZBAPI GetProductVersionB(const char* file) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return VersionQueryB(lib, file, true);
}

// ---- Library-wide settings ----------------------------------------------------
int32_t ZBAPI ZB_SetDlgParent(uint32_t parent) {
  zb::api::Library& lib = zb::api::TheLibrary();
  lib.context().dialog_parent = parent;
  return 1;
}
int32_t ZBAPI ZB_SetPosDlgCtrl(int16_t flags) {
  zb::api::Library& lib = zb::api::TheLibrary();
  env::EnsureLoggedIn(lib.session());
  lib.context().position_dialog_flags = static_cast<uint16_t>(flags);
  return 1;
}
int32_t ZBAPI InitProgressSignal(int16_t code, ZB_PROGRESS_CALLBACK callback) {
  zb::api::Library& lib = zb::api::TheLibrary();
  env::LibraryContext& context = lib.context();
  context.progress_code = static_cast<uint16_t>(code);
  context.progress_callback = callback;
  return 1;
}

// ---- Fixed answers and placeholders -------------------------------------------
int32_t ZBAPI ZB_CheckDBConnection(void) { return 1; }
int32_t ZBAPI ZB_PositionSaved(int32_t) { return kNotDone; }
int32_t ZBAPI ZB_SetProject(int32_t, int32_t) { return kNotDone; }
int32_t ZBAPI ZB_SendBroadcast_NET(void) { return kNotAvailable; }
int32_t ZBAPI ZB_RegisterEvent_NET(void) { return kNotAvailable; }
void ZBAPI ZB_DBMessageInfo_NET(void) {}
void ZBAPI ZB_EventInfo_NET(void) {}
int32_t ZBAPI ZB_EmailExport(int32_t) { return kNotAvailable; }
int32_t ZBAPI ZB_EmailImport(int32_t) { return kNotAvailable; }

}  // extern "C"
