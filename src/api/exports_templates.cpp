// Template positions: one per program, named as the program, in the project
// "VORLAGE" of the configuration folder. Saving and opening one go through
// the silent save and open; afterwards the working file belongs to the
// caller's own project again, so that its next save goes there.
#include <cstring>
#include <string>

#include "api/frame.h"
#include "api/library.h"
#include "api/open_save.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/transfer.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::api::Library;
using zb::recordstore::FieldText;
using zb::recordstore::SetFieldText;

constexpr const char* kTemplateProject = "VORLAGE";
constexpr int kSaveTemplateQuestion = 35046;

ZBPROPOS_L TemplateRequest(Library& lib, const ZBPROPOS_L& caller) {
  ZBPROPOS_L request = caller;
  const std::string program = FieldText(caller.szPrgName);
  SetFieldText(request.szDataPfad, lib.context().folders.configuration);
  SetFieldText(request.szProName, kTemplateProject);
  SetFieldText(request.szPosNameLong, program);
  SetFieldText(request.szPosName, program);
  return request;
}

// The working file's header records name the caller's project again: its
// PROINFO, and a PROPOS with the project's number and the position's short
// name and id. The number of header records written; -202 without project.
int32_t ReturnToCallersProject(Library& lib, const ZBPROPOS_L& caller) {
  const std::string project = FieldText(caller.szProName);
  if (project == kTemplateProject) return 0;
  ps::Store& store = lib.store();
  PROINFO header{};
  std::string path;
  if (ps::FindProject(store, FieldText(caller.szDataPfad), project, &header,
                      &path) < 0)
    return ps::kProjectNotFound;
  ps::ReadProjectHeader(store, path, &header);
  zb::recordstore::Engine& engine = lib.engine();
  ps::RecordFile working =
      ps::RecordFile::Open(engine, FieldText(caller.szTmpDatei));
  const int32_t w = working.handle();
  if (w <= 0) return 0;
  zb::recordstore::PosInfoExt info{};
  if (engine.Read(w, ps::kAllPrograms, ps::kKeyPosInfo, 1, sizeof info,
                  &info) != static_cast<int32_t>(sizeof info))
    return 0;
  int16_t program = 0, key2 = 0;
  engine.GetKeys(&program, &key2);
  PROPOS tag{};
  engine.Read(w, program, ps::kKeyProPos, 0, sizeof tag, &tag);
  tag.number1 = header.number;
  std::memcpy(tag.PosName, info.PosName, sizeof tag.PosName);
  tag.number2 = info.id;
  int32_t written = 0;
  if (engine.WriteFar(w, program, ps::kKeyProInfo, 0, sizeof header, &header,
                      true) > 0)
    ++written;
  if (ps::WritePosInfoPair(engine, w, program, info)) written += 2;
  if (engine.WriteFar(w, program, ps::kKeyProPos, 0, sizeof tag, &tag, true) >
      0)
    ++written;
  return written;
}

// What both template transfers do once the save or open has run.
void HandBackToCaller(Library& lib, const ZBPROPOS_L& caller) {
  ps::ReleaseOwnLock(lib.store());
  ReturnToCallersProject(lib, caller);
  zb::api::WriteRequestHistory(lib, caller);
}

}  // namespace

int32_t ZBAPI ZB_SaveTemplate_L(ZBPROPOS_L* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  if (lib.ui().Ask(lib.context().message_title,
                   env::SystemText(kSaveTemplateQuestion),
                   env::Buttons::kYesNo,
                   env::Icon::kQuestion) != env::Answer::kYes)
    return zb::api::kNotDone;
  lib.log().Append("\n*** ZB_SaveTemplate_L");
  const std::string working = FieldText(request->szTmpDatei);
  if (working.size() <= FieldText(request->szTmpPfad).size()) {
    lib.log().Printf("\n*** ERROR:  %d : TmpFile : '%s'", -5, working.c_str());
    return -5;
  }
  ZBPROPOS_L template_request = TemplateRequest(lib, *request);
  const int32_t result = ZB_SilentSaveEx_L(&template_request, 1);
  if (result > 0) zb::api::WriteRequestHistory(lib, template_request);
  HandBackToCaller(lib, *request);
  lib.log().Printf("\n*** ZB_SaveTemplate_L return :%d",
                   static_cast<int>(result));
  lib.log().Append("\n*** SetActivProject, WriteProPosHistory");
  return result;
}

int32_t ZBAPI ZB_OpenTemplate_L(ZBPROPOS_L* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  lib.log().Append("\n*** ZB_OpenTemplate_L begin");
  if (zb::api::CheckFolders(lib, request, false) < 0) {
    lib.log().Append("\n*** TestProPosDataTmpPath result<0!! \n");
    lib.log().Request(*request);
  }
  ZBPROPOS_L template_request = TemplateRequest(lib, *request);
  ps::Store& store = lib.store();
  const std::string folder = lib.context().folders.configuration;
  if (ps::FindProject(store, folder, kTemplateProject, nullptr, nullptr) < 0)
    ps::CreateProject(store, folder, kTemplateProject,
                      FieldText(request->szAuthor));
  ps::CheckListAgainstFolder(store, folder);
  const int32_t result = ZB_SilentOpenEx_L(&template_request, 1);
  if (result > 0) {
    zb::api::WriteRequestHistory(lib, template_request);
    std::memcpy(request->szTmpDatei, template_request.szTmpDatei,
                sizeof request->szTmpDatei);
  }
  HandBackToCaller(lib, *request);
  lib.log().Printf("\n*** ZB_OpenTemplate_L return :%d",
                   static_cast<int>(result));
  return result;
}

int32_t ZBAPI ZB_TemplateExist_L(ZBPROPOS_L* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  ZBPROPOS_L template_request = TemplateRequest(lib, *request);
  const int32_t state = ZB_PositionExist_L(&template_request);
  lib.log().Printf("\n*** ZB_TemplateExist : %d", static_cast<int>(state));
  return state;
}

int32_t ZBAPI ZB_DeleteTemplate_L(ZBPROPOS_L* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return 0;
  env::EnsureLoggedIn(lib.session());
  lib.log().Append("\n*** ZB_DeleteTemplate ");
  const ZBPROPOS_L template_request = TemplateRequest(lib, *request);
  ps::Store& store = lib.store();
  std::string path;
  if (ps::FindProject(store, FieldText(template_request.szDataPfad),
                      kTemplateProject, nullptr, &path) < 0)
    return 0;
  ps::RecordFile project = ps::RecordFile::OpenExclusive(lib.engine(), path);
  if (!project.is_open()) return 0;
  const int16_t program =
      lib.catalogue().NumberByKey(FieldText(template_request.szPrgName));
  return ps::DeletePosition(store, project.handle(), program,
                            FieldText(template_request.szPosNameLong)) > 0
             ? 1
             : 0;
}

// The plain and B forms leave the caller's record as it was.
int32_t ZBAPI ZB_SaveTemplate(ZBPROPOS* request) {
  zb::api::FrameOptions options;
  options.write_back = false;
  return zb::api::PlainFrame(options, request, &ZB_SaveTemplate_L);
}
int32_t ZBAPI ZB_SaveTemplate_B(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_SaveTemplate);
}
int32_t ZBAPI ZB_SaveTemplate_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_SaveTemplate_L);
}

int32_t ZBAPI ZB_OpenTemplate(ZBPROPOS* request) {
  zb::api::FrameOptions options;
  options.write_back = false;
  return zb::api::PlainFrame(options, request, &ZB_OpenTemplate_L);
}
int32_t ZBAPI ZB_OpenTemplate_B(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_OpenTemplate);
}
int32_t ZBAPI ZB_OpenTemplate_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_OpenTemplate_L);
}

int32_t ZBAPI ZB_TemplateExist_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_TemplateExist_L);
}
int32_t ZBAPI ZB_DeleteTemplate_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_DeleteTemplate_L);
}
