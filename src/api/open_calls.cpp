// ZB_New_L, ZB_Open_L, ZB_SilentOpen_L, ZB_SilentOpenEx_L and
// ZB_ReadDBHistory_L: a position of a project into the program's working
// file, a new empty one, or the last request from the history.
#include "api/open_calls.h"

#include <cstring>
#include <string>

#include "api/library.h"
#include "api/open_save.h"
#include "api/temporary_cleaning.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/working_file.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::FieldText;
using zb::recordstore::SetFieldText;

constexpr int32_t kOldTemporaryMinutes = 14400;  // ten days

// The position whose working file was filled or created last.
void RememberOpenPosition(Library& lib, const ZBPROPOS_L& request) {
  env::OpenPosition& open = lib.context().open_position;
  std::string project_path;
  ps::FindProject(lib.store(), FieldText(request.szDataPfad),
                  FieldText(request.szProName), nullptr, &project_path);
  open.open = !project_path.empty();
  open.project_file = project_path;
  open.temporary_file = FieldText(request.szTmpDatei);
}

}  // namespace

namespace zb::api {

env::PositionTransferResult LoadRequestPosition(Library& lib,
                                                ZBPROPOS_L* request,
                                                uint32_t control) {
  env::PositionTransferResult result;
  const std::string data = FieldText(request->szDataPfad);
  const std::string project_name = FieldText(request->szProName);
  if (lib.os().IsFolder(data) &&
      ps::ProjectKind(lib.store(), data, project_name) == 1 &&
      ((control & kControlSilent) != 0 ||
       !ps::MayReadProject(lib.store(), data, project_name, true)))
    return result;
  PROINFO project{};
  SetFieldText(project.szProject, project_name);
  SetFieldText(project.szAuthor, FieldText(request->szAuthor));
  recordstore::PosInfoExt position{};
  SetFieldText(position.PosNameLong, FieldText(request->szPosNameLong));
  std::string working = FieldText(request->szTmpDatei);
  if (working.empty()) working = FieldText(request->szTmpPfad);
  result.records = ps::LoadPositionIntoWorkingFile(
      lib.store(), data, &working, FieldText(request->szPrgName), project,
      &position, &result.error, control);
  if (result.error >= 0) {
    SetFieldText(request->szTmpDatei, working);
    if (position.Designation[0] != 0)
      SetFieldText(request->szProBezeichnung, FieldText(position.Designation));
    RememberOpenPosition(lib, *request);
  }
  return result;
}

env::PositionTransferResult StoreRequestPosition(Library& lib,
                                                 ZBPROPOS_L* request) {
  env::PositionTransferResult result;
  const int32_t stored = StoreRequest(lib, request, 0);
  if (stored < 0)
    result.error = stored;
  else
    result.records = stored;
  return result;
}

}  // namespace zb::api

using namespace zb::api;

extern "C" {

int32_t ZBAPI ZB_New_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  EnterOpenSaveCall(lib, request, "\n*** ZB_New_L ");
  int32_t result = kNotDone;
  if (!CheckProgram(lib, request)) {
    lib.log().Append("\n*** result: -1 , PrgSelect failed ");
    return kProgramUndefined;
  }
  char long_name[sizeof request->szPosNameLong];
  char message[sizeof request->szMsg];
  char designation[sizeof request->szProBezeichnung];
  std::memcpy(long_name, request->szPosNameLong, sizeof long_name);
  std::memcpy(message, request->szMsg, sizeof message);
  std::memcpy(designation, request->szProBezeichnung, sizeof designation);

  const int32_t status = CheckFolders(lib, request, false);
  if (status < 0) {
    lib.log().Append("\n*** TestProPosDataTmpPath result<0!! \n");
    lib.log().Request(*request);
    return status;
  }
  if (std::strlen(request->szTmpDatei) > 8) {
    ps::ReleaseOwnLock(lib.store());
    lib.context().open_position = env::OpenPosition();
  }
  const std::string temporary = FieldText(request->szTmpPfad);
  const std::string program = FieldText(request->szPrgName);
  CleanOldTemporaryFiles(lib, temporary, program, kOldTemporaryMinutes);
  SetFieldText(request->szTmpDatei, temporary);
  std::memset(request->szPosNameLong, 0, sizeof request->szPosNameLong);
  std::memset(request->szPosName, 0, sizeof request->szPosName);

  const std::string project_name = FieldText(request->szProName);
  // The header records of the new position carry the project file's own
  // header where the project exists.
  PROINFO project{};
  SetFieldText(project.szProject, project_name);
  SetFieldText(project.szAuthor, FieldText(request->szAuthor));
  PROINFO listed{};
  std::string project_path;
  if (ps::FindProject(lib.store(), FieldText(request->szDataPfad), project_name,
                      &listed, &project_path) >= 0) {
    if (!ps::ReadProjectHeader(lib.store(), project_path, &project))
      project.number = listed.number;
  }
  lib.context().current_project = project_name;

  std::string working = temporary;
  zb::recordstore::PosInfoExt position{};
  result = ps::CreateWorkingFileForNewPosition(lib.store(), &working, program,
                                               project, position);
  if (result >= 0) {
    SetFieldText(request->szTmpDatei, working);
    RememberOpenPosition(lib, *request);
  }
  std::memcpy(request->szPosNameLong, long_name, sizeof long_name);
  std::memcpy(request->szMsg, message, sizeof message);
  std::memcpy(request->szProBezeichnung, designation, sizeof designation);
  lib.log().Printf("\n*** result : %d  records ", static_cast<int>(result));
  return result;
}

int32_t ZBAPI ZB_Open_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  EnterOpenSaveCall(lib, request, "*** ZB_Open_L");
  if (!CheckProgram(lib, request)) {
    lib.log().Append("\n*** result: -1 , PrgSelect failed ");
    return kProgramUndefined;
  }
  lib.log().Append("\n*** TestProPosDataTmpPath ");
  const int32_t status = CheckFolders(lib, request, true);
  if (status < 0) return status;

  env::PositionTransferResult copied;
  const bool chosen = lib.ui().PositionDialog(
      env::PositionDialogMode::kOpen, "Position öffnen", request,
      [&lib](ZBPROPOS_L* r) { return LoadRequestPosition(lib, r, 0); },
      &copied);
  int32_t result;
  if (chosen) {
    if (!CheckProgram(lib, request)) {
      lib.log().Append("\n*** result: -1 , PrgSelect failed ");
      return -1;
    }
  } else {
    lib.log().Append("\n*** result: 0 , Cancel");
    copied = env::PositionTransferResult();
  }
  if (copied.error >= 0) {
    WriteRequestHistory(lib, *request);
    result = CappedCount(copied.records);
    lib.log().Printf("\n***  ZB_Open_L result : %u  records ",
                     static_cast<unsigned>(result));
  } else {
    result = copied.error;
    lib.log().Printf("\n*** ZB_Open_L result : %d  records ",
                     static_cast<int>(result));
  }
  lib.log().Request(*request);
  return result;
}

int32_t ZBAPI ZB_SilentOpenEx_L(ZBPROPOS_L* request, int16_t control) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  EnterOpenSaveCall(lib, request, "\n*** ZB_SilentOpenEx_L");
  lib.log().Printf("### Ctrl = %d", static_cast<int>(control));
  if (request->szPosNameLong[0] == 0) {
    lib.log().Printf("\n*** result: %d, failed: PosName = '' , --> ZB_New()",
                     static_cast<int>(kPositionUndefined));
    return ZB_New_L(request);
  }
  const std::string program = FieldText(request->szPrgName);
  if (lib.catalogue().NumberByKey(program) == ps::kAllPrograms) {
    lib.log().Printf("\n*** result: %d, failed: PrgName = '%s' ",
                     static_cast<int>(kProgramUndefined), program.c_str());
    return kProgramUndefined;
  }
  const struct {
    const char* name;
    const char* field;
  } folders[] = {{"DataPath", request->szDataPfad},
                 {"TmpPath", request->szTmpPfad}};
  for (const auto& folder : folders) {
    const int32_t test = TestFolder(lib, folder.field, false);
    if (test == -3)
      lib.log().Printf("\n*** IsDir(%s) result:ERROR_DIR_NOTEXIST",
                       folder.name);
    else if (test == -2)
      lib.log().Printf("\n*** IsDir(%s) result:ERROR_NOTDIR", folder.name);
    if (test < 0) return kFolderUndefined;
  }
  if (request->szTmpDatei[0] == 0)
    std::memcpy(request->szTmpDatei, request->szTmpPfad,
                sizeof request->szTmpDatei);
  char data[sizeof request->szDataPfad];
  char project_name[sizeof request->szProName];
  std::memcpy(data, request->szDataPfad, sizeof data);
  std::memcpy(project_name, request->szProName, sizeof project_name);

  const std::string folder = FieldText(request->szDataPfad);
  const std::string name = FieldText(request->szProName);
  const int32_t found =
      ps::FindProject(lib.store(), folder, name, nullptr, nullptr);
  if (found >= 0) {
    if (ps::ProjectKind(lib.store(), folder, name) == 1 && control == 0)
      return ZB_Open_L(request);
  } else if (control == 1) {
    lib.log().Printf("\n*** Project %s dasn't exist : %d ", name.c_str(),
                     static_cast<int>(found));
    return found;
  } else if (!ps::TrimProjectName(name).empty()) {
    ps::CreateProject(lib.store(), folder, name, FieldText(request->szAuthor));
  }

  const env::PositionTransferResult copied =
      LoadRequestPosition(lib, request, static_cast<uint16_t>(control));
  std::memcpy(request->szDataPfad, data, sizeof data);
  std::memcpy(request->szProName, project_name, sizeof project_name);
  int32_t result;
  if (copied.error >= 0) {
    result = CappedCount(copied.records);
    if ((control & kControlActivate) != 0) {
      MakeProjectActive(lib, *request);
      WriteRequestHistory(lib, *request);
    }
  } else {
    result = copied.error;
    lib.log().Printf("\n*** Error : %d ", static_cast<int>(result));
  }
  SetFieldText(request->szDataPfad,
               NormaliseRequestFolder(lib, FieldText(request->szDataPfad)));
  return result;
}

int32_t ZBAPI ZB_SilentOpen_L(ZBPROPOS_L* request) {
  return ZB_SilentOpenEx_L(request, 1);
}

int32_t ZBAPI ZB_ReadDBHistory_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  env::EnsureLoggedIn(lib.session());
  ReadCheckedHistory(lib, request);
  return 1;
}

}  // extern "C"
