#include "projectstore/working_file.h"

#include <cstring>

#include "environment/library_context.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "projectstore/temporary_name.h"
#include "recordstore/engine.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::FieldText;
using recordstore::PosInfoExt;

namespace {

constexpr int32_t kLoadFactor = 5;
constexpr int kNotSavedText = 35443;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int16_t ProgramKey(Store& store, const std::string& program_name) {
  return store.catalogue().NumberByKey(program_name);
}

void SignalContextProgress(Store& store, int32_t percent) {
  // The signal carries no value: one call per percentage step is enough for
  // a progress bar, and keeps a long copy from flooding the window.
  const environment::ProgressCallback callback =
      store.context().progress_callback;
  if (callback == nullptr || percent == store.last_progress) return;
  store.last_progress = percent;
  callback();
}

const char* LoadErrorText(int32_t code) {
  switch (code) {
    case -1: return "*** DataPath ist kein Verzeichnis";
    case -2: return "*** TMP hat keine PROPOS-Info";
    case -3: return "*** TMP ist leer";
    case -4: return "*** szTMPDatei kann nicht geöffnet werden";
    case -5: return "*** Position ist leer";
    default: return "";
  }
}

std::string StoreErrorText(int32_t code, const std::string& folder) {
  switch (code) {
    case -1: return " Directory '" + folder + "' doesn't exist";
    case -2: return " TMP : no PROPOS-Info";
    case -3: return " TMP-file is empty";
    case -4: return " Cann't open TMP-file:";
    case -5: return " Position is locked, cann't write";
    case -6: return " Cann't open PRO-file";
    case -7: return " No write permission to PRO-file";
    default: return "";
  }
}

// The path a position is copied to: a file named by the program's rule
// when the caller gave only a folder (or nothing).
std::string WorkingFileOf(Store& store, const std::string& given,
                          const std::string& program_name) {
  platform::Platform& os = store.os();
  if (given.empty())
    return FreeTemporaryPath(store, store.context().folders.temporary,
                             program_name);
  if (os.IsFolder(given)) return FreeTemporaryPath(store, given, program_name);
  return given;
}

}  // namespace

TransferProgress ContextProgress(Store& store) {
  return store.context().progress_callback != nullptr
             ? TransferProgress([&store](int32_t percent) {
                 SignalContextProgress(store, percent);
               })
             : TransferProgress();
}

int32_t CreateWorkingFileForNewPosition(Store& store, std::string* working_path,
                                        const std::string& program_name,
                                        const PROINFO& project,
                                        const PosInfoExt& position) {
  const std::string path = NewTemporaryPath(store, *working_path, program_name);
  RecordFile working = RecordFile::Open(store.engine(), path);
  const int32_t w = working.handle();
  if (w <= 0) return w < 0 ? w : DB_OPENERR;
  PosInfoExt info = position;
  info.Ctrl = 0;
  if (info.PosName[0] == 0)
    recordstore::ShortNameFromLong(info.PosNameLong, info.PosName);
  const int32_t headers = WriteNewPositionHeaders(
      store, w, ProgramKey(store, program_name), project, info, project.number);
  *working_path = path;
  return headers;
}

int32_t LoadPositionIntoWorkingFile(
    Store& store, const std::string& data_folder, std::string* working_path,
    const std::string& program_name, const PROINFO& project,
    PosInfoExt* position, int32_t* error, uint32_t flags) {
  *error = 0;
  if ((flags & kTransferNoLock) == 0) {
    store.log().Printf("\n%16s§ uProPosToTmp Psst '%d' ", "iSetLockOff",
                       static_cast<int>(flags));
    ReleaseOwnLock(store);
  }
  const std::string project_name = FieldText(project.szProject,
                                         sizeof project.szProject);
  const std::string long_name = FieldText(position->PosNameLong,
                                      sizeof position->PosNameLong);
  PROINFO found{};
  std::string list_path;
  const int32_t index =
      FindProject(store, data_folder, project_name, &found, &list_path);
  std::string project_path;
  // The header records of a new position carry the project file's own
  // header where there is one.
  auto create_new = [&]() {
    PROINFO header = project;
    if (!project_path.empty()) ReadProjectHeader(store, project_path, &header);
    return CreateWorkingFileForNewPosition(store, working_path, program_name,
                                           header, *position);
  };
  if (index < 0 || found.number == 0 || Trimmed(long_name).empty()) {
    const int32_t n = create_new();
    if (n < 0) *error = n;
    return n < 0 ? 0 : n;
  }

  int32_t kind = ProjectKind(store, data_folder, project_name);
  if (kind < 0) kind = 0;
  if (kind == 0)
    project_path = ProjectFilePath(store, data_folder, found.number);
  else if (kind == 1)
    project_path = list_path;
  else
    store.log().Append("\n*****  iProjektVersion = unbekannt!!!");

  const std::string path = WorkingFileOf(store, *working_path, program_name);
  ProPosLong pp{};
  recordstore::CopyTextField(pp.designation, project_name.c_str(),
                             sizeof pp.designation);
  pp.project = found.number;
  recordstore::CopyTextField(pp.long_name, long_name.c_str(),
                             sizeof pp.long_name);
  int32_t records =
      ExportPosition(store, project_path, path, ProgramKey(store, program_name),
                     &pp, kLoadFactor, ContextProgress(store), error, flags);
  recordstore::CopyTextField(position->Designation, pp.designation,
                             sizeof position->Designation);
  const std::string given = *working_path;
  *working_path = path;
  if (*error == -5) {
    // A position without data records opens like a new one.
    const int32_t n = create_new();
    if (n >= 0) {
      *error = 0;
      records = n;
    }
  }
  if (*error != 0) {
    // The caller keeps the name it gave: no working file is handed back.
    *working_path = given;
    store.log().Append("\n***ERROR*ProPosToTmp*");
    store.log().Append(LoadErrorText(*error));
    store.log().Append("\n");
  }
  return records;
}

int32_t StoreWorkingFileIntoPosition(Store& store,
                                     const std::string& data_folder,
                                     const std::string& working_path,
                                     const std::string& program_name,
                                     const PROINFO& project,
                                     const PosInfoExt& position, int32_t* error,
                                     uint32_t flags) {
  *error = 0;
  int32_t result = 0;
  const std::string project_name = FieldText(project.szProject,
                                         sizeof project.szProject);
  std::string project_path;
  int32_t number = 0;
  if (!store.os().IsFolder(data_folder)) {
    *error = -1;
    result = -1;
  } else {
    // Only whether it opens: the import opens it itself.
    if (!RecordFile::OpenReadOnly(store.engine(), working_path).is_open()) {
      *error = -4;
    } else {
      PROINFO existing{};
      std::string author = FieldText(project.szAuthor, sizeof project.szAuthor);
      if (author.empty() && FindProject(store, data_folder, project_name,
                                        &existing, nullptr) >= 0)
        author = FieldText(existing.szAuthor, sizeof existing.szAuthor);
      number = CreateProject(store, data_folder, project_name, author);
      if (number < 1 || FindProject(store, data_folder, project_name, nullptr,
                                    &project_path) < 0)
        *error = -6;
    }
  }
  if (*error == 0) {
    if ((flags & kTransferNoLock) == 0) {
      store.log().Printf("\n%16s§ TmpToProPos Psst '%d' ", "iSetLockOff",
                         static_cast<int>(flags));
      ReleaseOwnLock(store);
    }
    ProPosLong pp{};
    recordstore::CopyTextField(pp.designation, position.Designation,
                               sizeof pp.designation);
    pp.project = static_cast<uint16_t>(number);
    recordstore::CopyTextField(pp.long_name, position.PosNameLong,
                               sizeof pp.long_name);
    const std::string description = FieldText(position.Msg, sizeof position.Msg);
    result = ImportPosition(store, project_path, working_path,
                            ProgramKey(store, program_name), pp,
                            description.c_str(), 0, nullptr, error, flags);
    if (*error == -5) *error = -7;
  }
  if (*error != 0) {
    if (result != -1) result = 0;
    const std::string text = StoreErrorText(*error, data_folder);
    store.log().Append("\n### ERROR ");
    store.log().Append(text);
    store.log().Append("\n");
    if (flags == 0)
      store.ui().Ask(
          environment::kMessageTitle,
          std::string(environment::SystemText(kNotSavedText)) + "\n\n" + text,
          environment::Buttons::kOk, environment::Icon::kError);
  }
  return result;
}

int32_t CompareRequestWithWorkingFile(Store& store, ZBPROPOS_L* request) {
  if (request->szProName[0] == 0) return 2;
  if (request->szPosNameLong[0] == 0) return 1;
  Engine& engine = store.engine();
  RecordFile working = RecordFile::OpenReadOnly(
      engine, FieldText(request->szTmpDatei, sizeof request->szTmpDatei));
  const int32_t w = working.handle();
  if (w <= 0) return -4;
  PROINFO any{};
  if (engine.Read(w, kAllPrograms, kKeyProInfo, 0, sizeof any, &any) < 0)
    return -3;
  int16_t program = 0, key2 = 0;
  engine.GetKeys(&program, &key2);
  PROPOS tag{};
  PROINFO info{};
  engine.Read(w, program, kKeyProPos, 0, sizeof tag, &tag);
  engine.Read(w, program, kKeyProInfo, 0, sizeof info, &info);
  const std::string work_project = FieldText(info.szProject,
                                         sizeof info.szProject);
  store.log().Append("\n XXXXX ProPosChanged : ");
  store.log().Printf("ProInfo.szProject aus TMP : Name %s",
                     work_project.c_str());
  PosInfoExt work{};
  const bool long_read =
      engine.Read(w, program, kKeyPosInfo, 1, sizeof work, &work) > 0;
  const bool short_read =
      engine.Read(w, program, kKeyPosInfo, 0,
                  recordstore::kPosInfoShortFileSize, &work) > 0;
  if (!long_read && !short_read) return -2;
  working.Close();

  if (FieldText(request->szProName, sizeof request->szProName) != work_project)
    return 2;
  std::string long_name = Trimmed(
      FieldText(request->szPosNameLong, sizeof request->szPosNameLong));
  const std::string short_name =
      Trimmed(FieldText(request->szPosName, sizeof request->szPosName));
  const std::string work_short = Trimmed(FieldText(work.PosName,
                                               sizeof work.PosName));
  const std::string work_long = Trimmed(FieldText(work.PosNameLong,
                                              sizeof work.PosNameLong));
  if (short_name.find('~') != std::string::npos &&
      short_name == work_short && !work_long.empty()) {
    long_name = work_long;
    recordstore::CopyTextField(request->szPosNameLong, work_long.c_str(),
                               sizeof request->szPosNameLong);
  }
  if (work_long.empty())
    return PositionCompareName(short_name) != PositionCompareName(work_short)
               ? 1
               : 0;
  return PositionCompareName(long_name) != PositionCompareName(work_long) ? 1
                                                                          : 0;
}

}  // namespace zb::projectstore
