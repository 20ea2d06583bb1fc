// The position exports: does a position exist (and in which programs), its
// properties, rename, delete, and the short name of the position a working
// file holds. The _L forms do the work; the other families are the frame's
// wrappers around them.
#include <cstdio>
#include <cstring>
#include <string>

#include "api/frame.h"
#include "api/library.h"
#include "api/position_info_cache.h"
#include "api/request_records.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/ui.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_index.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::Engine;
using zb::recordstore::PosInfoExt;

// The lock record of a position, all zeros when it has none.
void ReadLockOf(Library& lib, const std::string& project, int16_t program,
                uint16_t id, ps::LockRecord* lock) {
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(lib.engine(), project);
  if (file.handle() > 0)
    ps::ReadLockRecord(lib.store(), file.handle(), program, id, lock);
}

constexpr int32_t kErrProgramUndefined = -102;  // ERR_PRG_UNDEF
constexpr int32_t kErrProjectNotFound = -202;   // ERR_PRO_NOTFOUND
constexpr int32_t kErrProjectOpen = -210;       // ERR_PRO_OPEN
constexpr int32_t kErrPositionNotFound = -302;  // ERR_POS_NOTFOUND
constexpr int32_t kErrPositionLocked = -303;    // ERR_POS_LOCKED
constexpr int kProgramNameBytes = 6;  // one entry of the ExistEx buffer

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The program key of the request; 32762 when none is chosen or unknown.
int16_t ProgramOf(Library& lib, const ZBPROPOS_L& request) {
  return lib.catalogue().NumberByKey(
      zb::recordstore::FieldText(request.szPrgName));
}

// The project file the request names through the project list; empty when
// the list does not know it.
std::string ProjectFileOf(Library& lib, const ZBPROPOS_L& request) {
  std::string path;
  if (ps::FindProject(
          lib.store(), zb::recordstore::FieldText(request.szDataPfad),
          zb::recordstore::FieldText(request.szProName), nullptr, &path) < 0)
    return {};
  return path;
}

// 0 not found, 1 found and not locked by another, 2 locked by another.
int32_t StateOfRequest(Library& lib, const ZBPROPOS_L& request,
                       PosInfoExt* info) {
  const int16_t program = ProgramOf(lib, request);
  if (program == ps::kAllPrograms) return 0;
  const std::string project = ProjectFileOf(lib, request);
  if (project.empty()) return 0;
  return ps::PositionStateOfFile(
      lib.store(), project, program,
      zb::recordstore::FieldText(request.szPosNameLong), info);
}

void LogState(Library& lib, int32_t state) {
  static const char* const kStateTexts[] = {"not exist ", "exist & not locked",
                                            "exist & locked"};
  lib.log().Printf("\n%8s result :%d=%s", "", state,
                   kStateTexts[state >= 0 && state <= 2 ? state : 0]);
}

// The position information cache answers for requests without a working
// file: the entry of the long list with the request's name (long or short)
// and, when the request names a program, of that program.
int32_t ShortNameFromInformationCache(Library& lib, const ZBPROPOS& request,
                                      char* text) {
  using zb::recordstore::FieldText;
  ZBPROPOS_L long_request;
  zb::api::RequestToLong(request, &long_request);
  const std::string wanted =
      ps::PositionCompareName(FieldText(long_request.szPosNameLong));
  if (wanted.empty()) return 0;
  const int16_t program = ProgramOf(lib, long_request);
  const zb::api::PositionInfoCache& cache = lib.long_position_infos();
  for (int32_t i = 0; i < cache.count(); ++i) {
    const zb::api::PositionListEntry& entry = *cache.Entry(i);
    if (program != ps::kAllPrograms && entry.program != program) continue;
    if (ps::PositionCompareName(FieldText(entry.info.PosNameLong)) != wanted &&
        ps::PositionCompareName(FieldText(entry.info.PosName)) != wanted)
      continue;
    const std::string name = FieldText(entry.info.PosName);
    std::memcpy(text, name.c_str(), name.size() + 1);
    return static_cast<int32_t>(name.size());
  }
  return 0;
}

// The short name of the first POSINFO of a working file; empty when the
// file cannot be read.
std::string ShortNameOfWorkingFile(Library& lib, const std::string& path) {
  Engine& engine = lib.engine();
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(engine, path);
  const int32_t h = file.handle();
  if (h <= 0) return {};
  uint8_t record[zb::recordstore::kPosInfoExtFileSize] = {};
  std::string name;
  if (engine.Read(h, ps::kAllPrograms, ps::kKeyPosInfo, 0, sizeof record,
                  record) >= 0)
    name.assign(reinterpret_cast<const char*>(record) + 52,
                strnlen(reinterpret_cast<const char*>(record) + 52, 10));
  return name;
}

}  // namespace

extern "C" {

int32_t ZBAPI ZB_PositionExist_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  lib.log().Title("*** ZB_PositionExist_L?");
  const int32_t state = StateOfRequest(lib, *request, nullptr);
  LogState(lib, state);
  return state;
}

int32_t ZBAPI ZB_PositionExist(ZBPROPOS* request) {
  zb::api::FrameOptions options;
  options.copy_context_short_name = true;
  return zb::api::PlainFrame(options, request, &ZB_PositionExist_L);
}

int32_t ZBAPI ZB_PositionExistB(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_PositionExist);
}

int32_t ZBAPI ZB_PositionExist_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_PositionExist_L);
}

// The overload for callers that pass the long record under the plain name:
// Zero form in place, then as the plain export.
int32_t ZBAPI ZB_PositionExistLong(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  env::EnsureLoggedIn(lib.session());
  const int32_t state = ZB_PositionExist_L(request);
  std::memcpy(request->szPosName, lib.context().current_short_name,
              sizeof request->szPosName);
  return state;
}

int32_t ZBAPI ZB_PositionExistEx_L(ZBPROPOS_L* request, char* buffer,
                                   int32_t size) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  lib.log().Title("*** ZB_PositionExistEx_L ?");
  lib.log().Request(*request);
  if (!buffer || size < 0) size = 0;
  if (size > 0) std::memset(buffer, 0, static_cast<size_t>(size));
  zb::recordstore::CopyTextField(request->szPrgName, "ALLE",
                                 sizeof request->szPrgName);
  const std::string folder = zb::recordstore::FieldText(request->szDataPfad);
  ps::CheckListAgainstFolder(lib.store(), folder);
  const std::string project = ProjectFileOf(lib, *request);
  if (project.empty()) return -1;

  Engine& engine = lib.engine();
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(engine, project);
  const int32_t h = file.handle();
  if (h <= 0) return -1;
  const std::string wanted =
      ps::PositionCompareName(zb::recordstore::FieldText(request->szPosNameLong));
  const int32_t room = size / kProgramNameBytes;
  std::string names;  // program names found, kProgramNameBytes each
  int32_t found = 0;
  uint8_t record[zb::recordstore::kPosInfoExtFileSize];
  for (uint32_t n = 0; found < room; ++n) {
    std::memset(record, 0, sizeof record);
    const int32_t got = engine.Read(h, ps::kKeyPosInfo, ps::kAllPrograms, n,
                                    sizeof record, record);
    if (got < 0) break;
    int16_t key1 = 0, program = 0;
    engine.GetKeys(&key1, &program);
    const char* text = reinterpret_cast<const char*>(record);
    // A short record has no long name: its short name stands in.
    const std::string name =
        got >= zb::recordstore::kPosInfoExtFileSize
            ? std::string(text + 144, strnlen(text + 144, 42))
            : std::string(text + 52, strnlen(text + 52, 10));
    if (ps::PositionCompareName(name) != wanted) continue;
    std::string key = lib.catalogue().KeyByNumber(program);
    key.resize(kProgramNameBytes, '\0');
    key.back() = '\0';
    names += key;
    ++found;
  }
  if (!names.empty()) std::memcpy(buffer, names.data(), names.size());
  return found > 0 ? found : -1;
}

int32_t ZBAPI ZB_PositionExistEx(ZBPROPOS* request, char* buffer,
                                 int32_t size) {
  zb::api::FrameOptions options;
  options.copy_context_short_name = true;
  return zb::api::PlainFrame(options, request, &ZB_PositionExistEx_L, buffer,
                             size);
}

int32_t ZBAPI ZB_PositionProperty_L(ZBPROPOS_L* request, void* posinfo) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  lib.log().Title("*** ZB_PositionProperty_L");
  PosInfoExt info{};
  const int32_t state = StateOfRequest(lib, *request, &info);
  if (state > 0 && posinfo) std::memcpy(posinfo, &info, sizeof info);
  LogState(lib, state);
  return state;
}

int32_t ZBAPI ZB_PositionProperty(ZBPROPOS* request, void* posinfo) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request,
                             &ZB_PositionProperty_L, posinfo);
}

int32_t ZBAPI ZB_PositionRename_L(ZBPROPOS_L* source, ZBPROPOS_L* target) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!source || !target) return -1;
  env::EnsureLoggedIn(lib.session());
  lib.log().Title("*** ZB_PositionRename_L");
  lib.log().Request(*source);
  lib.log().Request(*target);
  const int16_t program = ProgramOf(lib, *source);
  if (program == ps::kAllPrograms) return kErrProgramUndefined;
  const std::string project = ProjectFileOf(lib, *source);
  if (project.empty()) return kErrProjectNotFound;
  const std::string old_name = zb::recordstore::FieldText(source->szPosNameLong);
  PosInfoExt info{};
  switch (
      ps::PositionStateOfFile(lib.store(), project, program, old_name, &info)) {
    case 0: return kErrPositionNotFound;
    case 2: return kErrPositionLocked;
    default: break;
  }

  PosInfoExt renamed = info;
  std::string new_name = Trimmed(zb::recordstore::FieldText(target->szPosNameLong));
  if (new_name.empty()) {
    // No name given: the user names it in the properties dialog.
    ZBPROPOS_L asked = *source;
    zb::recordstore::CopyTextField(asked.szPosNameLong, info.PosNameLong,
                                   sizeof info.PosNameLong);
    zb::recordstore::CopyTextField(asked.szMsg, info.Msg, sizeof info.Msg);
    PosInfoExt shown = info;
    ps::LockRecord lock{};
    ReadLockOf(lib, project, program, info.id, &lock);
    env::PositionPropertiesRequest dialog;
    dialog.title = "Position umbenennen";
    dialog.request = &asked;
    dialog.info = &shown;
    dialog.lock = &lock;
    dialog.check_new_name = true;
    if (!lib.ui().PositionProperties(dialog)) return 0;
    new_name = Trimmed(zb::recordstore::FieldText(asked.szPosNameLong));
    if (new_name.empty()) new_name = "???";
    zb::recordstore::CopyTextField(
        renamed.Msg, zb::recordstore::FieldText(asked.szMsg).substr(0, 39).c_str(),
        sizeof renamed.Msg);
  } else {
    std::memset(renamed.Msg, 0, sizeof renamed.Msg);  // description kept
  }
  zb::recordstore::CopyTextField(renamed.PosNameLong,
                                 new_name.substr(0, 41).c_str(),
                                 sizeof renamed.PosNameLong);

  ps::RecordFile file = ps::RecordFile::OpenExclusive(lib.engine(), project);
  const int32_t h = file.handle();
  if (h <= 0) {
    lib.log().RecordFileError("ZB_PositionRename_L", project, h);
    return kErrProjectOpen;
  }
  int32_t result;
  // The lock may have been taken while the dialog was open.
  if (ps::PositionState(lib.store(), h, program, old_name, &info) == 2)
    result = kErrPositionLocked;
  else
    result =
        ps::SetPositionInfo(lib.store(), h, info, renamed, nullptr, program);
  file.Close();
  if (result > 0)
    zb::recordstore::CopyTextField(target->szPosNameLong, renamed.PosNameLong,
                                   sizeof target->szPosNameLong);
  return result;
}

int32_t ZBAPI ZB_PositionRename(ZBPROPOS* source, ZBPROPOS* target) {
  return zb::api::PlainPairFrame(zb::api::FrameOptions{}, source, target,
                                 &ZB_PositionRename_L);
}

// Takes the long record itself: there is no _L form, and the _LB form
// wraps this one.
int32_t ZBAPI ZB_PositionDelete(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return 0;
  env::EnsureLoggedIn(lib.session());
  const std::string name = zb::recordstore::FieldText(request->szPosNameLong);
  lib.log().Printf("\n%8s DELETE position  %s//%s//%s", "",
                   zb::recordstore::FieldText(request->szDataPfad).c_str(),
                   zb::recordstore::FieldText(request->szProName).c_str(),
                   name.c_str());
  const int16_t program = ProgramOf(lib, *request);
  // Without a program only "ALLE" means something: every position.
  if (program == ps::kAllPrograms && name != "ALLE") return 0;
  const std::string project = ProjectFileOf(lib, *request);
  if (project.empty()) return 0;
  ps::RecordFile file = ps::RecordFile::OpenExclusive(lib.engine(), project);
  if (!file.is_open()) {
    lib.log().RecordFileError("ZB_PositionDelete", project, file.handle());
    return 0;
  }
  const uint32_t deleted =
      ps::DeletePosition(lib.store(), file.handle(), program, name);
  return deleted > 2147483647u ? 2147483647 : static_cast<int32_t>(deleted);
}

int32_t ZBAPI ZB_PositionDelete_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_PositionDelete);
}

int32_t ZBAPI ZB_GetPositionShortName(ZBPROPOS* request, char* text) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request || !text) return 0;
  ZBPROPOS copy = *request;
  zb::api::ZeroTerminateRequest(&copy);
  const std::string working_file = zb::recordstore::FieldText(copy.szTmpDatei);
  std::string name;
  if (working_file.size() > zb::recordstore::FieldText(copy.szTmpPfad).size())
    name = ShortNameOfWorkingFile(lib, working_file);
  if (name.empty()) return ShortNameFromInformationCache(lib, copy, text);
  std::memcpy(text, name.c_str(), name.size() + 1);
  return static_cast<int32_t>(name.size());
}

}  // extern "C"
