// ZB_Save_L, ZB_SaveAs_L, ZB_SilentSave_L and ZB_SilentSaveEx_L: the
// working file back into its project, into another position chosen in the
// position dialog, or into the position the request names.
#include <cstring>
#include <string>

#include "api/library.h"
#include "api/open_calls.h"
#include "api/open_save.h"
#include "environment/library_context.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/working_file.h"
#include "recordstore/typed_records.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::FieldText;
using zb::recordstore::SetFieldText;

const char kConvertedText[] =
    "In diesem Projekt haben Sie nur Leserechte.\n Das Projekt ist in ein "
    "anderes Datenformat konvertiert worden\n und steht unter der "
    "Verwaltung von ZB-Manager. \n Position lesen?";

// Only an existing data folder is asked: a project list is never made
// anywhere else.
bool IsConverted(Library& lib, const ZBPROPOS_L& request) {
  const std::string folder = FieldText(request.szDataPfad);
  return lib.os().IsFolder(folder) &&
         ps::ProjectKind(lib.store(), folder, FieldText(request.szProName)) ==
             1;
}

// Does the request still name what its working file holds? 0 unchanged,
// 1 the position differs, 2 the project differs (or is of the other data
// format, whose name is then cleared).
int32_t MatchWithWorkingFile(Library& lib, ZBPROPOS_L* request) {
  if (IsConverted(lib, *request)) {
    std::memset(request->szProName, 0, sizeof request->szProName);
    return 2;
  }
  return ps::CompareRequestWithWorkingFile(lib.store(), request);
}

// After a save of at least the three header records.
void AfterStored(Library& lib, ZBPROPOS_L* request, int32_t records) {
  if (records < 3) return;
  zb::api::MakeProjectActive(lib, *request);
  zb::api::WriteRequestHistory(lib, *request);
}

}  // namespace

using namespace zb::api;

extern "C" {

int32_t ZBAPI ZB_SaveAs_L(ZBPROPOS_L* request);

int32_t ZBAPI ZB_Save_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  EnterOpenSaveCall(lib, request, "*** ZB_Save_L");
  const ZBPROPOS_L as_given = *request;
  if (!CheckProgram(lib, request)) {
    lib.log().Append("\n*** ZB_Save_L result: -1 , PrgSelect failed ");
    return -1;
  }
  const int32_t status = CheckFolders(lib, request, false);
  if (status < 0) return status;
  ResetProgressSignal(lib);

  const int32_t match = MatchWithWorkingFile(lib, request);
  if (match != 0) {
    if (match == 1)
      lib.log().Append("\n*** ZB_Save -> ZB_SaveAs (PosChanged) \n");
    else if (match == 2)
      lib.log().Append("\n*** ZB_Save -> ZB_SaveAs (ProChanged) \n");
    else
      lib.log().Append("\n*** ZB_Save -> ZB_SaveAs (Pro/Pos Changed) \n");
    char project[sizeof request->szProName];
    std::memcpy(project, request->szProName, sizeof project);
    *request = as_given;
    std::memcpy(request->szProName, project, sizeof project);
    return ZB_SaveAs_L(request);
  }
  if (IsAutoSaveName(FieldText(request->szPosNameLong)))
    return SaveAsAutoSave(lib, request);
  const int32_t result = StoreRequest(lib, request, 0);
  AfterStored(lib, request, result);
  return result;
}

int32_t ZBAPI ZB_SaveAs_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  EnterOpenSaveCall(lib, request, "*** ZB_SaveAs_L");
  if (!CheckProgram(lib, request)) return -1;
  const int32_t status = CheckFolders(lib, request, false);
  if (status < 0) return status;
  if (IsConverted(lib, *request))
    std::memset(request->szProName, 0, sizeof request->szProName);
  if (request->szProName[0] == 0) SetFieldText(request->szProName, "???");

  env::LibraryContext& context = lib.context();
  context.progress_code = 5;
  context.progress_callback = &SaveDialogProgress;
  env::PositionTransferResult stored;
  const bool chosen = lib.ui().PositionDialog(
      env::PositionDialogMode::kSave, "Position speichern unter", request,
      [&lib](ZBPROPOS_L* r) { return StoreRequestPosition(lib, r); }, &stored);
  int32_t result = 0;
  if (chosen && stored.error >= 0) {
    result = CappedCount(stored.records);
    lib.log().Printf("\n*** Zb_SaveAs_L result : %u  records ",
                     static_cast<unsigned>(result));
    AfterStored(lib, request, result);
  } else {
    if (chosen) result = stored.error;
    lib.log().Printf("\n*** ZB_SaveAs_L result : %d  records ",
                     static_cast<int>(result));
  }
  ResetProgressSignal(lib);
  lib.log().Request(*request);
  if (result > 0) lib.log().Journal(*request, "W");
  ZBPROPOS_L check = *request;
  MatchWithWorkingFile(lib, &check);
  return result;
}

int32_t ZBAPI ZB_SilentSaveEx_L(ZBPROPOS_L* request, int16_t control) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  EnterOpenSaveCall(lib, request, "*** ZB_SilentSaveEx_L");
  zb::platform::Platform& os = lib.os();
  std::string data = FieldText(request->szDataPfad);
  if (!os.IsFolder(data) && AskForFolder(lib, "Datenverzeichnis", &data))
    SetFieldText(request->szDataPfad, data);
  std::string temporary = FieldText(request->szTmpPfad);
  if (!os.IsFolder(temporary)) {
    if (!AskForFolder(lib, "Temporäres Verzeichnis", &temporary)) {
      lib.log().Printf("\n*** ERROR %d : ERR_DIR_UNDEF , TmpPath '%s' false ",
                       static_cast<int>(kFolderUndefined), temporary.c_str());
      return kFolderUndefined;
    }
    SetFieldText(request->szTmpPfad, temporary);
  }
  const std::string program = FieldText(request->szPrgName);
  if (lib.catalogue().NumberByKey(program) == ps::kAllPrograms) {
    lib.log().Printf("\n*** ERROR %d : PrgKey not found. Prg= '%s' ", -1,
                     program.c_str());
    return -1;
  }
  if (IsAutoSaveName(FieldText(request->szPosNameLong)))
    return SaveAsAutoSave(lib, request);

  char data_copy[sizeof request->szDataPfad];
  char project_copy[sizeof request->szProName];
  std::memcpy(data_copy, request->szDataPfad, sizeof data_copy);
  std::memcpy(project_copy, request->szProName, sizeof project_copy);
  const std::string folder = FieldText(request->szDataPfad);
  const std::string name = FieldText(request->szProName);
  // A blank name is refused below; no project is made for it.
  const bool named = !ps::TrimProjectName(name).empty();
  if (named && os.IsFolder(folder) &&
      ps::FindProject(lib.store(), folder, name, nullptr, nullptr) < 0)
    ps::CreateProject(lib.store(), folder, name, FieldText(request->szAuthor));

  if (IsConverted(lib, *request)) {
    const bool yes =
        (control & kControlSilent) == 0 &&
        lib.ui().Ask(env::kMessageTitle,
                     " \n PROJEKT:  " + name + "  \n\n " + kConvertedText,
                     env::Buttons::kYesNo,
                     env::Icon::kWarning) == env::Answer::kYes;
    if (!yes) {
      lib.log().Printf(
          "\n*** ERROR:  %d : Position-save in ZB_Manager-Project not "
          "allowed!",
          static_cast<int>(kConvertedProject));
      return kConvertedProject;
    }
  }
  std::string trimmed = name;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  if (trimmed.empty()) {
    lib.log().Printf("\n*** ERROR:  %d : Noname Project",
                     static_cast<int>(kProjectUndefined));
    return kProjectUndefined;
  }
  const int32_t result =
      StoreRequest(lib, request, static_cast<uint16_t>(control));
  if (result < 0) {
    lib.log().Printf("\n*** ERROR: %d records", static_cast<int>(result));
    return result;
  }
  if ((control & kControlActivate) == 0) {
    std::memcpy(request->szDataPfad, data_copy, sizeof data_copy);
    std::memcpy(request->szProName, project_copy, sizeof project_copy);
  }
  AfterStored(lib, request, result);
  lib.log().Printf("\n*** result: %u records", static_cast<unsigned>(result));
  return result;
}

int32_t ZBAPI ZB_SilentSave_L(ZBPROPOS_L* request) {
  return ZB_SilentSaveEx_L(request, 1);
}

}  // extern "C"
