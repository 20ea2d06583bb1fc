// Login, versions, library-wide settings, fixed answers and placeholders.
#include <cstdio>
#include <cstring>
#include <string>

#include "api/byte_string.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "platform/platform.h"
#include "zbdb900.h"

namespace env = zb::environment;

namespace {

constexpr int32_t kNotAvailable = -1111;
constexpr int32_t kNotDone = -101;

// Copies the "%u,%u,%u,%u" version of file into out when it fits there,
// terminator included; nothing is written for a file without version.
int32_t VersionQuery(const char* const* file, char* const* out,
                     int32_t max_length, bool product) {
  if (!file || !*file || !out || !*out) return 0;
  uint16_t parts[4];
  if (!zb::platform::Default().ModuleVersion(*file, product, parts)) return 0;
  char text[64];
  const int length = std::snprintf(text, sizeof text, "%u,%u,%u,%u", parts[0],
                                   parts[1], parts[2], parts[3]);
  if (length < 0 || length + 1 > max_length) return 0;
  std::memcpy(*out, text, static_cast<size_t>(length) + 1);
  return 1;
}

ZB_BYTESTRING VersionQueryB(const char* file, bool product) {
  char name[260] = {};
  if (file) std::snprintf(name, sizeof name, "%s", file);
  char result[260] = {};
  const char* name_pointer = name;
  char* result_pointer = result;
  VersionQuery(&name_pointer, &result_pointer, sizeof result, product);
  return zb::api::AllocByteString(result);
}

}  // namespace

extern "C" {

// ---- Login --------------------------------------------------------------------
int32_t ZBAPI ZBDB_Login(void) {
  env::Login();
  return 1;
}
int32_t ZBAPI ZBDB_Logout(void) { return env::Logout(); }
int32_t ZBAPI ZB_RegInit(void) { return env::RegInit(); }
double ZBAPI DSKGetSpaceMb(const char* path, int32_t kind) {
  return env::DiskSpaceMb(path ? path : "", kind);
}

// ---- Versions -----------------------------------------------------------------
int32_t ZBAPI ZBDB_GetVersion(void) { return env::Context().database_version; }
int32_t ZBAPI ZBDB_SetVersion(int32_t, int32_t) { return kNotAvailable; }
int32_t ZBAPI GetFileVersion(const char* const* file, char* const* out,
                             int32_t max_length) {
  return VersionQuery(file, out, max_length, false);
}
int32_t ZBAPI GetProductVersion(const char* const* file, char* const* out,
                                int32_t max_length) {
  return VersionQuery(file, out, max_length, true);
}
ZB_BYTESTRING ZBAPI GetFileVersionB(const char* file) {
  return VersionQueryB(file, false);
}
ZB_BYTESTRING ZBAPI GetProductVersionB(const char* file) {
  return VersionQueryB(file, true);
}

// ---- Library-wide settings ----------------------------------------------------
int32_t ZBAPI ZB_SetDlgParent(uint32_t parent) {
  env::Context().dialog_parent = parent;
  return 1;
}
int32_t ZBAPI ZB_SetPosDlgCtrl(int16_t flags) {
  env::EnsureLoggedIn();
  env::Context().position_dialog_flags = static_cast<uint16_t>(flags);
  return 1;
}
int32_t ZBAPI InitProgressSignal(int16_t code, ZB_PROGRESS_CALLBACK callback) {
  env::LibraryContext& context = env::Context();
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
