// The page number exports: start page and page count of a position, the
// project's next free page, and their reset. The _L forms do the work; the
// plain forms skip the login of the frame (the _L forms log in once the
// request has passed its checks), the B and _LB forms are the frame's.
#include <cstdint>
#include <string>

#include "api/frame.h"
#include "api/library.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "platform/platform.h"
#include "projectstore/page_numbers.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::FieldText;

constexpr int32_t kErrProgramUndefined = -102;  // ERR_PRG_UNDEF

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The check codes, in their order: -1 no project name, -2 no position name
// (when one is needed), -3 the data folder is not a folder; 0 passed.
int32_t CheckRequest(Library& lib, const ZBPROPOS_L& request,
                     bool needs_position) {
  if (Trimmed(FieldText(request.szProName)).empty()) return -1;
  if (needs_position && Trimmed(FieldText(request.szPosNameLong)).empty())
    return -2;
  const std::string folder = FieldText(request.szDataPfad);
  if (folder.empty() || !lib.os().IsFolder(folder)) {
    lib.log().Append("\n*** result: -3 , DataPath false");
    return -3;
  }
  return 0;
}

// The project file the request names; empty when the list does not know it.
std::string ProjectFileOf(Library& lib, const ZBPROPOS_L& request) {
  std::string path;
  if (ps::FindProject(lib.store(), FieldText(request.szDataPfad),
                      FieldText(request.szProName), nullptr, &path) < 0)
    return {};
  return path;
}

int16_t ProgramOf(Library& lib, const ZBPROPOS_L& request) {
  return lib.catalogue().NumberByKey(FieldText(request.szPrgName));
}

// The working file a request names: szTmpDatei when it is longer than
// szTmpPfad (a bare folder names no file).
std::string WorkingFileOf(const ZBPROPOS_L& request) {
  const std::string file = FieldText(request.szTmpDatei);
  return file.size() > FieldText(request.szTmpPfad).size() ? file
                                                           : std::string();
}

zb::api::FrameOptions PageFrame(const char* entry_line) {
  zb::api::FrameOptions options;
  options.login = false;
  options.entry_line = entry_line;
  return options;
}

}  // namespace

extern "C" {

int32_t ZBAPI ZB_SetStartPageNr_L(ZBPROPOS_L* request, int16_t start,
                                  int16_t count) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  const int32_t check = CheckRequest(lib, *request, true);
  if (check < 0) return check;
  env::EnsureLoggedIn(lib.session());
  const uint16_t first = static_cast<uint16_t>(start);
  const uint16_t pages = static_cast<uint16_t>(count);
  lib.log().Printf("\n*** ZB_SetStartPageNr_L: StartPage %d, Count %d", first,
                   pages);
  const std::string project = ProjectFileOf(lib, *request);
  if (project.empty()) return 0;
  return ps::SetStartPage(lib.store(), project, ProgramOf(lib, *request),
                          FieldText(request->szPosNameLong), first, pages,
                          WorkingFileOf(*request));
}

int32_t ZBAPI ZB_SetStartPageNr(ZBPROPOS* request, int16_t start,
                                int16_t count) {
  return zb::api::PlainFrame(PageFrame("\n*** ZB_SetStartPageNr --->  _L"),
                             request, &ZB_SetStartPageNr_L, start, count);
}

int32_t ZBAPI ZB_SetStartPageNrB(ZBPROPOS* request, int16_t start,
                                 int16_t count) {
  return zb::api::BasicFrame(request, &ZB_SetStartPageNr, start, count);
}

int32_t ZBAPI ZB_SetStartPageNr_LB(ZBPROPOS_L* request, int16_t start,
                                   int16_t count) {
  return zb::api::BasicLongFrame(request, &ZB_SetStartPageNr_L, start, count);
}

int32_t ZBAPI ZB_GetStartPageNr_L(ZBPROPOS_L* request, int16_t* start,
                                  int16_t* count) {
  zb::api::Library& lib = zb::api::TheLibrary();
  int16_t start_unused = 0, count_unused = 0;
  if (!start) start = &start_unused;
  if (!count) count = &count_unused;
  *start = 0;
  *count = 0;
  if (!request) return -1;
  const int32_t check = CheckRequest(lib, *request, true);
  if (check < 0) return check;
  env::EnsureLoggedIn(lib.session());
  uint16_t first = 0, pages = 0;
  int32_t id = -1;
  const std::string project = ProjectFileOf(lib, *request);
  if (!project.empty())
    id = ps::GetStartPage(lib.store(), project, ProgramOf(lib, *request),
                          FieldText(request->szPosNameLong), &first, &pages);
  lib.log().Printf("\n*** ZB_GetStartPageNr_L: StartPage %d, Count %d", first,
                   pages);
  *start = static_cast<int16_t>(first);
  *count = static_cast<int16_t>(pages);
  return id;
}

int32_t ZBAPI ZB_GetStartPageNr(ZBPROPOS* request, int16_t* start,
                                int16_t* count) {
  return zb::api::PlainFrame(PageFrame("\n*** ZB_GetStartPageNr --->  _L"),
                             request, &ZB_GetStartPageNr_L, start, count);
}

int32_t ZBAPI ZB_GetStartPageNrB(ZBPROPOS* request, int16_t* start,
                                 int16_t* count) {
  return zb::api::BasicFrame(request, &ZB_GetStartPageNr, start, count);
}

int32_t ZBAPI ZB_GetStartPageNr_LB(ZBPROPOS_L* request, int16_t* start,
                                   int16_t* count) {
  return zb::api::BasicLongFrame(request, &ZB_GetStartPageNr_L, start, count);
}

int32_t ZBAPI ZB_SetNextPageNr_L(ZBPROPOS_L* request, int16_t next) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  const int32_t check = CheckRequest(lib, *request, false);
  if (check < 0) return check;
  env::EnsureLoggedIn(lib.session());
  const uint16_t value = static_cast<uint16_t>(next);
  lib.log().Printf("\n*** ZB_SetNextPageNr_L: NextPage %d", value);
  const std::string project = ProjectFileOf(lib, *request);
  if (project.empty()) return -1;
  return ps::SetNextPage(lib.store(), project, value);
}

int32_t ZBAPI ZB_SetNextPageNr(ZBPROPOS* request, int16_t next) {
  return zb::api::PlainFrame(PageFrame("\n*** ZB_SetNextPageNr --->  _L"),
                             request, &ZB_SetNextPageNr_L, next);
}

int32_t ZBAPI ZB_SetNextPageNrB(ZBPROPOS* request, int16_t next) {
  return zb::api::BasicFrame(request, &ZB_SetNextPageNr, next);
}

int32_t ZBAPI ZB_SetNextPageNr_LB(ZBPROPOS_L* request, int16_t next) {
  return zb::api::BasicLongFrame(request, &ZB_SetNextPageNr_L, next);
}

int32_t ZBAPI ZB_GetNextPageNr_L(ZBPROPOS_L* request, int16_t* next) {
  zb::api::Library& lib = zb::api::TheLibrary();
  int16_t next_unused = 0;
  if (!next) next = &next_unused;
  if (!request) return -1;
  const int32_t check = CheckRequest(lib, *request, false);
  if (check < 0) return check;
  env::EnsureLoggedIn(lib.session());
  const std::string project = ProjectFileOf(lib, *request);
  if (project.empty()) return -1;
  uint16_t value = 1;
  const int32_t result = ps::GetNextPage(lib.store(), project, &value);
  lib.log().Printf("\n*** ZB_GetNextPageNr_L: iRet %d, NextPage %d", result,
                   value);
  *next = static_cast<int16_t>(value);
  return result;
}

int32_t ZBAPI ZB_GetNextPageNr(ZBPROPOS* request, int16_t* next) {
  return zb::api::PlainFrame(PageFrame("\n*** ZB_GetNextPageNr --->  _L"),
                             request, &ZB_GetNextPageNr_L, next);
}

int32_t ZBAPI ZB_GetNextPageNrB(ZBPROPOS* request, int16_t* next) {
  return zb::api::BasicFrame(request, &ZB_GetNextPageNr, next);
}

int32_t ZBAPI ZB_GetNextPageNr_LB(ZBPROPOS_L* request, int16_t* next) {
  return zb::api::BasicLongFrame(request, &ZB_GetNextPageNr_L, next);
}

int32_t ZBAPI ZB_ResetPageNr_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  const int32_t check = CheckRequest(lib, *request, false);
  if (check < 0) return check;
  env::EnsureLoggedIn(lib.session());
  const std::string key = Trimmed(FieldText(request->szPrgName));
  int16_t program = ps::kAllPrograms;
  if (!key.empty() && key != "ALLE" && key != "*") {
    program = lib.catalogue().NumberByKey(key);
    // An unknown program must not turn into all programs.
    if (program == ps::kAllPrograms) return kErrProgramUndefined;
  }
  const std::string project = ProjectFileOf(lib, *request);
  if (project.empty()) return -1;
  return ps::ResetPages(lib.store(), project, program,
                        Trimmed(FieldText(request->szPosNameLong)));
}

int32_t ZBAPI ZB_ResetPageNr(ZBPROPOS* request) {
  return zb::api::PlainFrame(PageFrame(nullptr), request, &ZB_ResetPageNr_L);
}

int32_t ZBAPI ZB_ResetPageNrB(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_ResetPageNr);
}

int32_t ZBAPI ZB_ResetPageNr_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_ResetPageNr_L);
}

}  // extern "C"
