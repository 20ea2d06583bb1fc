// The exports of temporary and result files: the project and result file
// of a request, the listing, cleaning and deleting of temporary files, and
// the copy of another position into a temporary file. The work is done in
// result_files, temporary_files and position_to_temporary; the _L forms
// here log in and log, the other families are the frame's wrappers.
#include <cstring>
#include <string>

#include "api/byte_string.h"
#include "api/frame.h"
#include "api/library.h"
#include "api/position_to_temporary.h"
#include "api/request_records.h"
#include "api/result_files.h"
#include "api/temporary_files.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "projectstore/project_catalogue.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace rs = zb::recordstore;

constexpr size_t kPathBuffer = 260;  // what the callers' path buffers hold

// Basic callers get the 16-bit result.
int16_t Short(int32_t result) { return static_cast<int16_t>(result); }

void LogBasic(Library& lib, const char* name) {
  env::EnsureLoggedIn(lib.session());
  lib.log().Append(std::string("\n*BASIC* ") + name);
}

void CopyPath(char* out, const std::string& path) {
  if (out) rs::CopyTextField(out, path.c_str(), kPathBuffer);
}

void SetUpHelpPath() {
  zb::api::TheLibrary().context().help_path =
      env::HelpFilePath(zb::api::TheLibrary().context());
}

}  // namespace

extern "C" {

// ---- Project file ---------------------------------------------------------

int32_t ZBAPI ZB_GetProDatei_L(ZBPROPOS_L* request, char* path) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  env::EnsureLoggedIn(lib.session());
  const std::string folder = rs::FieldText(request->szDataPfad);
  CopyPath(path, folder);
  std::string project_file;
  if (zb::projectstore::FindProject(lib.store(), folder,
                                    rs::FieldText(request->szProName), nullptr,
                                    &project_file) < 0)
    return 0;
  CopyPath(path, project_file);
  return 1;
}

int32_t ZBAPI ZB_GetProDatei(ZBPROPOS* request, char* path) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request,
                             &ZB_GetProDatei_L, path);
}

// The Basic caller's string buffer receives the path (at most 259
// characters and a terminator).
int16_t ZBAPI ZB_GetProDateiB(ZBPROPOS* request, char* path) {
  char buffer[kPathBuffer] = {};
  const int32_t result =
      zb::api::BasicFrame(request, &ZB_GetProDatei, static_cast<char*>(buffer));
  if (path) std::memcpy(path, buffer, std::strlen(buffer) + 1);
  return Short(result);
}

int16_t ZBAPI ZB_GetProDatei_LB(ZBPROPOS_L* request, char* path) {
  char buffer[kPathBuffer] = {};
  const int32_t result = zb::api::BasicLongFrame(
      request, &ZB_GetProDatei_L, static_cast<char*>(buffer));
  if (path) std::memcpy(path, buffer, std::strlen(buffer) + 1);
  return Short(result);
}

// ---- Result file ----------------------------------------------------------

int32_t ZBAPI ZB_GetErgDatei(const char* data_folder, int16_t number,
                             char* path) {
  zb::api::Library& lib = zb::api::TheLibrary();
  env::EnsureLoggedIn(lib.session());
  std::string result_path;
  const int32_t result = zb::api::GetResultFile(
      lib, data_folder ? data_folder : "", number, &result_path);
  CopyPath(path, result_path);
  return result;
}

ZB_BYTESTRING ZBAPI ZB_GetErgDateiB(const char* data_folder, int16_t number) {
  zb::api::Library& lib = zb::api::TheLibrary();
  env::EnsureLoggedIn(lib.session());
  lib.log().Printf("\n\n*BASIC* ZB_GetErgDateiB( %s, %d)",
                   data_folder ? data_folder : "", number);
  char folder[kPathBuffer] = {};
  if (data_folder) rs::CopyTextField(folder, data_folder, sizeof folder);
  char path[kPathBuffer] = {};
  ZB_GetErgDatei(folder, number, path);
  return zb::api::AllocByteString(path);
}

int32_t ZBAPI ZB_GetErgDateiEx2_L(ZBPROPOS_L* request, int16_t* position,
                                  int16_t* program) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  env::EnsureLoggedIn(lib.session());
  SetUpHelpPath();
  lib.log().Title("*** ZB_GetErgDateiEx2_L");
  ZBPROPOS copy;
  std::memcpy(&copy, request, sizeof copy);
  const int32_t result = zb::api::ResultFileOfRequest(
      lib, &copy, rs::FieldText(request->szPosNameLong), position, program);
  if (result > 0)
    std::memcpy(request->szTmpDatei, copy.szTmpDatei,
                sizeof request->szTmpDatei);
  return result;
}

int32_t ZBAPI ZB_GetErgDateiEx2(ZBPROPOS* request, int16_t* position,
                                int16_t* program) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request,
                             &ZB_GetErgDateiEx2_L, position, program);
}

int16_t ZBAPI ZB_GetErgDateiEx2B(ZBPROPOS* request, int16_t* position,
                                 int16_t* program) {
  zb::api::Library& lib = zb::api::TheLibrary();
  LogBasic(lib, "ZB_GetErgDateiEx2B");
  return Short(zb::api::BasicFrame(request, &ZB_GetErgDateiEx2, position,
                                   program));
}

int16_t ZBAPI ZB_GetErgDateiEx2_LB(ZBPROPOS_L* request, int16_t* position,
                                   int16_t* program) {
  zb::api::Library& lib = zb::api::TheLibrary();
  LogBasic(lib, "ZB_GetErgDateiEx2_LB");
  return Short(zb::api::BasicLongFrame(request, &ZB_GetErgDateiEx2_L,
                                       position, program));
}

int32_t ZBAPI ZB_GetErgDateiEx_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  env::EnsureLoggedIn(lib.session());
  SetUpHelpPath();
  ZBPROPOS copy;
  std::memcpy(&copy, request, sizeof copy);
  int16_t position = 0;
  int16_t program = 0;
  const int32_t result = ZB_GetErgDateiEx2(&copy, &position, &program);
  if (result > 0)
    std::memcpy(request->szTmpDatei, copy.szTmpDatei,
                sizeof request->szTmpDatei);
  return result;
}

// A pure output call: the caller's record is cleared before the work.
int32_t ZBAPI ZB_GetErgDateiEx(ZBPROPOS* request) {
  zb::api::FrameOptions options;
  options.clear_before = true;
  return zb::api::PlainFrame(options, request, &ZB_GetErgDateiEx_L);
}

int16_t ZBAPI ZB_GetErgDateiExB(ZBPROPOS* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  LogBasic(lib, "ZB_GetErgDateiExB");
  return Short(zb::api::BasicFrame(request, &ZB_GetErgDateiEx));
}

int16_t ZBAPI ZB_GetErgDateiEx_LB(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  LogBasic(lib, "ZB_GetErgDateiEx_LB");
  return Short(zb::api::BasicLongFrame(request, &ZB_GetErgDateiEx_L));
}

// ---- Temporary files -----------------------------------------------------

int32_t ZBAPI ZB_InhaltTmp_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  env::EnsureLoggedIn(lib.session());
  SetUpHelpPath();
  return zb::api::ListTemporaryFile(lib, rs::FieldText(request->szTmpDatei));
}

int32_t ZBAPI ZB_InhaltTmp(ZBPROPOS* request) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request,
                             &ZB_InhaltTmp_L);
}

int32_t ZBAPI ZB_InhaltTmp_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_InhaltTmp_L);
}

int32_t ZBAPI ZB_KillTmp_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return 0;
  zb::api::ZeroTerminateRequest(request);
  env::EnsureLoggedIn(lib.session());
  lib.log().Title("ZB_KillTmp");
  env::LibraryContext& context = lib.context();
  context.progress_code = 0;
  context.progress_callback = nullptr;
  context.progress_window = 0;
  const int32_t deleted =
      zb::api::DeleteTemporaryFiles(lib, rs::FieldText(request->szTmpDatei));
  lib.log().Append(deleted > 0 ? "\n ZB_KillTmp OK" : "\n ZB_KillTmp failed");
  return deleted;
}

int32_t ZBAPI ZB_KillTmp(ZBPROPOS* request) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request, &ZB_KillTmp_L);
}

int32_t ZBAPI ZB_KillTmpB(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_KillTmp);
}

int32_t ZBAPI ZB_KillTmp_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_KillTmp_L);
}

int32_t ZBAPI ZB_CleanTmp(const char* path) {
  zb::api::Library& lib = zb::api::TheLibrary();
  env::EnsureLoggedIn(lib.session());
  lib.log().Title("ZB_CleanTmp");
  const int32_t handle = path ? zb::api::ResetTemporaryFile(lib, path) : 0;
  lib.log().Append(handle > 0 ? "\n ZB_CleanTmp OK" : "\n ZB_CleanTmp failed");
  return handle;
}

int32_t ZBAPI ZB_CleanTmpB(ZBPROPOS* request) {
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  const std::string path = rs::FieldText(request->szTmpDatei);
  const int32_t result = ZB_CleanTmp(path.c_str());
  zb::api::BlankPadRequest(request);
  return result;
}

int32_t ZBAPI ZB_CleanTmp_LB(ZBPROPOS_L* request) {
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  const std::string path = rs::FieldText(request->szTmpDatei);
  const int32_t result = ZB_CleanTmp(path.c_str());
  zb::api::BlankPadRequest(request);
  return result;
}

// ---- Another position into a temporary file -------------------------------

int32_t ZBAPI iProPosToTmpExC_L(ZBPROPOS_L* request, int16_t control) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  return zb::api::CopyPositionToTemporary(lib, request, control);
}

int32_t ZBAPI iProPosToTmpC_L(ZBPROPOS_L* request) {
  return iProPosToTmpExC_L(request, 0);
}

int32_t ZBAPI iProPosToTmpExC(ZBPROPOS* request, int16_t control) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request,
                             &iProPosToTmpExC_L, control);
}

int32_t ZBAPI iProPosToTmpC(ZBPROPOS* request) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request,
                             &iProPosToTmpC_L);
}

// ---- A path for the programs' XML output ----------------------------------

ZB_BYTESTRING ZBAPI ZB_GetXMLPath(const char* text) {
  return zb::api::AllocByteString(text ? text : "");
}

ZB_BYTESTRING ZBAPI ZB_GetXMLPathB(const char* text) {
  char buffer[kPathBuffer] = {};
  if (text) rs::CopyTextField(buffer, text, sizeof buffer);
  return ZB_GetXMLPath(buffer);
}

}  // extern "C"
