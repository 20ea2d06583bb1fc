// ZB_Save_L, ZB_SaveAs_L, ZB_SilentSave_L and ZB_SilentSaveEx_L: the
// working file back into its project, into another position chosen in the
// position dialog, or into the position the request names.
#include <cstring>
#include <string>

#include "api/open_calls.h"
#include "api/open_save.h"
#include "environment/catalogue_access.h"
#include "environment/library_context.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/working_file.h"
#include "recordstore/typed_records.h"

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::FieldText;
using zb::recordstore::SetFieldText;

const char kConvertedText[] =
    "In diesem Projekt haben Sie nur Leserechte.\n Das Projekt ist in ein "
    "anderes Datenformat konvertiert worden\n und steht unter der "
    "Verwaltung von ZB-Manager. \n Position lesen?";

env::Log& TheLog() { return env::Context().log; }

// Only an existing data folder is asked: a project list is never made
// anywhere else.
bool IsConverted(const ZBPROPOS_L& request) {
  const std::string folder = FieldText(request.szDataPfad);
  return zb::platform::Default().IsFolder(folder) &&
         ps::ProjectKind(folder, FieldText(request.szProName)) == 1;
}

// Does the request still name what its working file holds? 0 unchanged,
// 1 the position differs, 2 the project differs (or is of the other data
// format, whose name is then cleared).
int32_t MatchWithWorkingFile(ZBPROPOS_L* request) {
  if (IsConverted(*request)) {
    std::memset(request->szProName, 0, sizeof request->szProName);
    return 2;
  }
  return ps::CompareRequestWithWorkingFile(request);
}

// After a save of at least the three header records.
void AfterStored(ZBPROPOS_L* request, int32_t records) {
  if (records < 3) return;
  zb::api::MakeProjectActive(*request);
  zb::api::WriteRequestHistory(*request);
}

}  // namespace

using namespace zb::api;

extern "C" {

int32_t ZBAPI ZB_SaveAs_L(ZBPROPOS_L* request);

int32_t ZBAPI ZB_Save_L(ZBPROPOS_L* request) {
  if (!request) return -1;
  EnterOpenSaveCall(request, "*** ZB_Save_L");
  const ZBPROPOS_L as_given = *request;
  if (!CheckProgram(request)) {
    TheLog().Append("\n*** ZB_Save_L result: -1 , PrgSelect failed ");
    return -1;
  }
  const int32_t status = CheckFolders(request, false);
  if (status < 0) return status;
  ResetProgressSignal();

  const int32_t match = MatchWithWorkingFile(request);
  if (match != 0) {
    if (match == 1)
      TheLog().Append("\n*** ZB_Save -> ZB_SaveAs (PosChanged) \n");
    else if (match == 2)
      TheLog().Append("\n*** ZB_Save -> ZB_SaveAs (ProChanged) \n");
    else
      TheLog().Append("\n*** ZB_Save -> ZB_SaveAs (Pro/Pos Changed) \n");
    char project[sizeof request->szProName];
    std::memcpy(project, request->szProName, sizeof project);
    *request = as_given;
    std::memcpy(request->szProName, project, sizeof project);
    return ZB_SaveAs_L(request);
  }
  if (IsAutoSaveName(FieldText(request->szPosNameLong)))
    return SaveAsAutoSave(request);
  const int32_t result = StoreRequest(request, 0);
  AfterStored(request, result);
  return result;
}

int32_t ZBAPI ZB_SaveAs_L(ZBPROPOS_L* request) {
  if (!request) return -1;
  EnterOpenSaveCall(request, "*** ZB_SaveAs_L");
  if (!CheckProgram(request)) return -1;
  const int32_t status = CheckFolders(request, false);
  if (status < 0) return status;
  if (IsConverted(*request))
    std::memset(request->szProName, 0, sizeof request->szProName);
  if (request->szProName[0] == 0) SetFieldText(request->szProName, "???");

  env::LibraryContext& context = env::Context();
  context.progress_code = 5;
  context.progress_callback = &SaveDialogProgress;
  env::PositionTransferResult stored;
  const bool chosen = env::CurrentUi().PositionDialog(
      env::PositionDialogMode::kSave, "Position speichern unter", request,
      &StoreRequestPosition, &stored);
  int32_t result = 0;
  if (chosen && stored.error >= 0) {
    result = CappedCount(stored.records);
    TheLog().Printf("\n*** Zb_SaveAs_L result : %u  records ",
                    static_cast<unsigned>(result));
    AfterStored(request, result);
  } else {
    if (chosen) result = stored.error;
    TheLog().Printf("\n*** ZB_SaveAs_L result : %d  records ",
                    static_cast<int>(result));
  }
  ResetProgressSignal();
  TheLog().Request(*request);
  if (result > 0) TheLog().Journal(*request, "W");
  ZBPROPOS_L check = *request;
  MatchWithWorkingFile(&check);
  return result;
}

int32_t ZBAPI ZB_SilentSaveEx_L(ZBPROPOS_L* request, int16_t control) {
  if (!request) return -1;
  EnterOpenSaveCall(request, "*** ZB_SilentSaveEx_L");
  zb::platform::Platform& os = zb::platform::Default();
  std::string data = FieldText(request->szDataPfad);
  if (!os.IsFolder(data) && AskForFolder("Datenverzeichnis", &data))
    SetFieldText(request->szDataPfad, data);
  std::string temporary = FieldText(request->szTmpPfad);
  if (!os.IsFolder(temporary)) {
    if (!AskForFolder("Temporäres Verzeichnis", &temporary)) {
      TheLog().Printf("\n*** ERROR %d : ERR_DIR_UNDEF , TmpPath '%s' false ",
                      static_cast<int>(kFolderUndefined), temporary.c_str());
      return kFolderUndefined;
    }
    SetFieldText(request->szTmpPfad, temporary);
  }
  const std::string program = FieldText(request->szPrgName);
  if (env::Catalogue().NumberByKey(program) == ps::kAllPrograms) {
    TheLog().Printf("\n*** ERROR %d : PrgKey not found. Prg= '%s' ", -1,
                    program.c_str());
    return -1;
  }
  if (IsAutoSaveName(FieldText(request->szPosNameLong)))
    return SaveAsAutoSave(request);

  char data_copy[sizeof request->szDataPfad];
  char project_copy[sizeof request->szProName];
  std::memcpy(data_copy, request->szDataPfad, sizeof data_copy);
  std::memcpy(project_copy, request->szProName, sizeof project_copy);
  const std::string folder = FieldText(request->szDataPfad);
  const std::string name = FieldText(request->szProName);
  // A blank name is refused below; no project is made for it.
  const bool named = !ps::TrimProjectName(name).empty();
  if (named && os.IsFolder(folder) &&
      ps::FindProject(folder, name, nullptr, nullptr) < 0)
    ps::CreateProject(folder, name, FieldText(request->szAuthor));

  if (IsConverted(*request)) {
    const bool yes =
        (control & kControlSilent) == 0 &&
        env::CurrentUi().MessageBox(
            env::kMessageTitle,
            " \n PROJEKT:  " + name + "  \n\n " + kConvertedText,
            env::Buttons::kYesNo, env::Icon::kWarning) == env::Answer::kYes;
    if (!yes) {
      TheLog().Printf(
          "\n*** ERROR:  %d : Position-save in ZB_Manager-Project not "
          "allowed!",
          static_cast<int>(kConvertedProject));
      return kConvertedProject;
    }
  }
  std::string trimmed = name;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  if (trimmed.empty()) {
    TheLog().Printf("\n*** ERROR:  %d : Noname Project",
                    static_cast<int>(kProjectUndefined));
    return kProjectUndefined;
  }
  const int32_t result = StoreRequest(request, static_cast<uint16_t>(control));
  if (result < 0) {
    TheLog().Printf("\n*** ERROR: %d records", static_cast<int>(result));
    return result;
  }
  if ((control & kControlActivate) == 0) {
    std::memcpy(request->szDataPfad, data_copy, sizeof data_copy);
    std::memcpy(request->szProName, project_copy, sizeof project_copy);
  }
  AfterStored(request, result);
  TheLog().Printf("\n*** result: %u records", static_cast<unsigned>(result));
  return result;
}

int32_t ZBAPI ZB_SilentSave_L(ZBPROPOS_L* request) {
  return ZB_SilentSaveEx_L(request, 1);
}

}  // extern "C"
