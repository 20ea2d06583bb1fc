#include "api/open_save.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "api/library.h"
#include "api/request_records.h"
#include "environment/folders.h"
#include "environment/history_file.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/transfer.h"
#include "projectstore/working_file.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"

namespace zb::api {

namespace env = environment;
namespace ps = projectstore;
using recordstore::FieldText;
using recordstore::SetFieldText;

namespace {

const char kNoProgramText[] =
    "Programmbezeichnung  '%1'  ist nicht zulässig.\nWählen Sie den "
    "zugehörigen Programm aus.";
const char kAllPrograms[] = "ALLE";

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Hands a data folder written to the history on to the companion library.
void HandOnDataFolder(const std::string& folder) {
  env::SetDataFolder(zb::api::TheLibrary().context(), folder);
}

}  // namespace

void EnterOpenSaveCall(Library& lib, ZBPROPOS_L* request, const char* title) {
  zb::api::ZeroTerminateRequest(request);
  std::memset(request->szPosName, 0, sizeof request->szPosName);
  env::EnsureLoggedIn(lib.session());
  lib.log().Title(title);
  lib.log().Request(*request);
}

bool CheckProgram(Library& lib, ZBPROPOS_L* request) {
  std::string key = FieldText(request->szPrgName);
  if (key.empty()) key = kAllPrograms;
  if (Upper(key) != kAllPrograms) return true;
  lib.ui().Ask(env::kMessageTitle,
               env::FillPlaceholders(kNoProgramText, kAllPrograms),
               env::Buttons::kOk, env::Icon::kWarning);
  for (;;) {
    std::string chosen;
    if (!lib.ui().SelectProgram("", &chosen)) return false;
    chosen = Trimmed(chosen);
    if (chosen.empty() || Upper(chosen) == kAllPrograms) continue;
    SetFieldText(request->szPrgName, chosen);
    lib.log().Append("PrgSelected: " + chosen);
    return true;
  }
}

int32_t TestFolder(Library& lib, const std::string& folder, bool messages) {
  platform::Platform& os = lib.os();
  char text[400];
  if (folder.empty() || !os.FileExists(folder)) {
    if (messages) {
      std::snprintf(text, sizeof text,
                    "FEHLER \n Verzeichnis '%s' existiert nicht:\n "
                    "GetFileAttributes()<0.",
                    folder.c_str());
      lib.ui().Ask(env::kMessageTitle, text, env::Buttons::kOk,
                   env::Icon::kInformation);
    }
    return -3;
  }
  if (!os.IsFolder(folder)) {
    std::snprintf(text, sizeof text,
                  "FEHLER \n Verzeichnis '%s': FileAttrib != "
                  "FILE_ATTRIBUTE_DIRECTORY.",
                  folder.c_str());
    lib.log().Append(text);
    if (messages)
      lib.ui().Ask(env::kMessageTitle, text, env::Buttons::kOk,
                   env::Icon::kInformation);
    return -2;
  }
  return 1;
}

std::string NormaliseRequestFolder(Library& lib, const std::string& folder) {
  std::string text = folder;
  if (text.size() > 1 && text.back() == '\\') text.pop_back();
  platform::Platform& os = lib.os();
  if (!text.empty() && os.FileExists(text) && !os.IsFolder(text)) {
    const size_t slash = text.find_last_of("\\/");
    text = slash == std::string::npos ? std::string() : text.substr(0, slash);
  }
  return text;
}

bool AskForFolder(Library& lib, const std::string& title, std::string* folder) {
  platform::Platform& os = lib.os();
  while (folder->empty() || !os.IsFolder(*folder)) {
    if (!lib.ui().ChooseFolder(title, folder)) return false;
  }
  return true;
}

void ReadCheckedHistory(Library& lib, ZBPROPOS_L* request) {
  env::LibraryContext& context = lib.context();
  std::memset(request, 0, sizeof *request);
  env::ReadHistory(lib.os(), context.folders, request);
  if (!context.folders.data.empty() &&
      env::ValidateDataFolder(lib.os(), context.folders.data,
                              context.folders.program) == 0)
    SetFieldText(request->szDataPfad, context.folders.data);
  const std::string project = FieldText(request->szProName);
  bool valid = false;
  if (!project.empty()) {
    const std::string folder = FieldText(request->szDataPfad);
    platform::Platform& os = lib.os();
    std::string path;
    if (os.IsFolder(folder)) {
      int32_t found =
          ps::FindProject(lib.store(), folder, project, nullptr, &path);
      if (found < 0) {
        ps::RebuildProjectList(lib.store(), folder);
        found = ps::FindProject(lib.store(), folder, project, nullptr, &path);
      }
      valid = found >= 0 && os.FileExists(path);
    }
  }
  if (!valid) {
    std::memset(request->szProName, 0, sizeof request->szProName);
    std::memset(request->szPosNameLong, 0, sizeof request->szPosNameLong);
    std::memset(request->szPosName, 0, sizeof request->szPosName);
    lib.log().Append("\n*** History no more valid");
  }
}

void WriteRequestHistory(Library& lib, const ZBPROPOS_L& request) {
  env::WriteHistory(lib.os(), lib.context().folders, request,
                    &HandOnDataFolder);
}

int32_t CheckFolders(Library& lib, ZBPROPOS_L* request, bool with_position) {
  platform::Platform& os = lib.os();
  lib.log().Append("\n**** ZB_ReadDBHistory_L...");
  ZBPROPOS_L history;
  ReadCheckedHistory(lib, &history);

  std::string data =
      NormaliseRequestFolder(lib, FieldText(request->szDataPfad));
  std::string temporary =
      NormaliseRequestFolder(lib, FieldText(request->szTmpPfad));
  const std::string history_data =
      NormaliseRequestFolder(lib, FieldText(history.szDataPfad));
  const std::string history_temporary =
      NormaliseRequestFolder(lib, FieldText(history.szTmpPfad));

  std::vector<std::string> notes;
  int32_t status = 0;
  if (!os.IsFolder(data)) {
    data = history_data;
    notes.push_back("DataPfad");
  }
  const std::string history_project = FieldText(history.szProName);
  if (request->szProName[0] == 0 && !history_project.empty() &&
      data == history_data) {
    SetFieldText(request->szProName, history_project);
    notes.push_back("szProName");
    status = 1;
  }
  const std::string history_long = FieldText(history.szPosNameLong);
  if (with_position &&
      FieldText(request->szPrgName) == FieldText(history.szPrgName) &&
      request->szPosNameLong[0] == 0 && !history_long.empty() &&
      FieldText(request->szProName) == history_project) {
    SetFieldText(request->szPosNameLong, history_long);
    notes.push_back("szPosName:");
    status = 1;
  }
  if (!os.IsFolder(temporary)) {
    temporary = history_temporary;
    notes.push_back("szTmpPfad:");
    status = kFolderUndefined;
  }

  auto finish = [&](int32_t result) {
    SetFieldText(request->szDataPfad, data);
    SetFieldText(request->szTmpPfad, temporary);
    return result;
  };
  if (!AskForFolder(lib, "Datenverzeichnis", &data)) {
    lib.log().Append("\n*** result: -3 , DataPath failed ");
    return finish(kFolderUndefined);
  }
  if (!os.IsFolder(temporary)) {
    // The system's temporary folder is the installation's one here.
    const std::string system =
        NormaliseRequestFolder(lib, lib.context().folders.temporary);
    if (os.IsFolder(system))
      temporary = system;
    else if (os.IsFolder(data))
      temporary = data;
    else if (!AskForFolder(lib, "Temporäres Verzeichnis", &temporary)) {
      lib.log().Append("\n*** result: -3 , TmpPath failed ");
      return finish(kFolderUndefined);
    }
  }
  for (const std::string& note : notes) lib.log().Append("\n" + note);
  return finish(status);
}

void MakeProjectActive(Library& lib, const ZBPROPOS_L& request) {
  env::LibraryContext& context = lib.context();
  const std::string project = FieldText(request.szProName);
  context.current_project = project;
  std::string project_path;
  if (ps::FindProject(lib.store(), FieldText(request.szDataPfad), project,
                      nullptr, &project_path) < 0)
    return;
  recordstore::Engine& engine = lib.engine();
  PROINFO header{};
  if (!ps::ReadProjectHeader(lib.store(), project_path, &header)) return;
  ps::RecordFile working =
      ps::RecordFile::Open(engine, FieldText(request.szTmpDatei));
  const int32_t w = working.handle();
  if (w <= 0) return;
  PROINFO old{};
  if (engine.Read(w, ps::kAllPrograms, ps::kKeyProInfo, 0, sizeof old, &old) >=
      0) {
    int16_t program = 0, key2 = 0;
    engine.GetKeys(&program, &key2);
    engine.WriteFar(w, program, ps::kKeyProInfo, 0, sizeof header, &header,
                    true);
  }
}

bool IsAutoSaveName(const std::string& long_name) {
  const std::string name = Upper(Trimmed(long_name));
  return name == "AUTO-SAVE" || name == "AUTOSAVE" || name == "AUTO_SAVE";
}

int32_t SaveAsAutoSave(Library&, ZBPROPOS_L* request) {
  return ZB_AutoSave(FieldText(request->szPrgName).c_str(),
                     FieldText(request->szTmpDatei).c_str());
}

int32_t StoreRequest(Library& lib, ZBPROPOS_L* request, uint32_t control) {
  PROINFO project{};
  SetFieldText(project.szProject, FieldText(request->szProName));
  SetFieldText(project.szAuthor, FieldText(request->szAuthor));
  recordstore::PosInfoExt position{};
  SetFieldText(position.PosNameLong, FieldText(request->szPosNameLong));
  SetFieldText(position.Msg, FieldText(request->szMsg));
  SetFieldText(position.Designation, FieldText(request->szProBezeichnung));
  int32_t error = 0;
  const int32_t records = ps::StoreWorkingFileIntoPosition(
      lib.store(), FieldText(request->szDataPfad),
      FieldText(request->szTmpDatei), FieldText(request->szPrgName), project,
      position, &error, control);
  if (error < 0) return error;
  return CappedCount(records);
}

void ZBAPI SaveDialogProgress() {
  zb::api::Library& lib = zb::api::TheLibrary();
  const uintptr_t window = lib.context().progress_window;
  if (window != 0 && lib.progress_window_sender != nullptr)
    lib.progress_window_sender(window, kProgressMessage);
}

void ResetProgressSignal(Library& lib) {
  env::LibraryContext& context = lib.context();
  context.progress_code = 0;
  context.progress_callback = nullptr;
  context.progress_window = 0;
}

int32_t CappedCount(int64_t records) {
  return records > kMostRecords ? kMostRecords
                                : static_cast<int32_t>(records);
}

}  // namespace zb::api
