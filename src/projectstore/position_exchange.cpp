#include "projectstore/position_exchange.h"

#include <cstring>
#include <string>

#include "environment/library_context.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "fsutil/path_text.h"
#include "platform/platform.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "projectstore/working_file.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

constexpr int32_t kNotDone = -101;          // ERR_NOTDONE
constexpr int kAssignProgramText = 32803;
constexpr int kOverwriteText = 35331;
constexpr char kUnsafeNameCharacters[] = ">\\:|*?~//<";

std::string WithoutTrailingBackslash(std::string folder) {
  if (folder.size() > 1 && fsutil::IsSeparator(folder.back()))
    folder.pop_back();
  return folder;
}

// The header of the exchange file: its long POSINFO and the program key
// under which it is stored. -4 when the file does not open, -2 without one.
int32_t ReadExchangeHeader(Store& store, const std::string& path,
                           PosInfoExt* info, int16_t* program) {
  Engine& engine = store.engine();
  RecordFile file = RecordFile::OpenReadOnly(engine, path);
  const int32_t h = file.handle();
  if (h <= 0) return -4;
  int32_t n = engine.Read(h, kAllPrograms, kKeyPosInfo, 1, sizeof *info, info);
  if (n <= 0) {
    uint8_t narrow[recordstore::kPosInfoShortFileSize] = {};
    n = engine.Read(h, kAllPrograms, kKeyPosInfo, 0, sizeof narrow, narrow);
    if (n > 0) recordstore::WidenPosInfo(narrow, info);
  }
  int16_t key2 = 0;
  if (n > 0) engine.GetKeys(program, &key2);
  return n > 0 ? 0 : -2;
}

// The long name as part of a file name: the characters no file name may
// hold (and "~") become "_".
std::string ExchangeFileNamePart(const std::string& long_name) {
  std::string part = long_name;
  for (char& c : part)
    if (std::strchr(kUnsafeNameCharacters, c) != nullptr) c = '_';
  return part;
}

}  // namespace

int32_t ExportPositionFile(Store& store, ZBPROPOS_L* request) {
  store.log().Title("*** ZB_PositionExport");
  std::string tmp_folder = recordstore::FieldText(request->szTmpPfad);
  if (tmp_folder.empty()) tmp_folder = store.context().folders.temporary;
  tmp_folder = WithoutTrailingBackslash(tmp_folder);
  recordstore::SetFieldText(request->szTmpPfad, tmp_folder);
  std::string file = recordstore::FieldText(request->szTmpDatei);
  if (file.empty()) file = tmp_folder;
  const std::string long_name = recordstore::FieldText(request->szPosNameLong);
  const std::string program = recordstore::FieldText(request->szPrgName);
  // A folder given as the file: the file is named into the temporary
  // folder, whichever folder szTmpDatei named.
  if (store.os().IsFolder(file))
    file = tmp_folder + "\\" + program + ExchangeFileNamePart(long_name) +
           ".POS";

  const std::string folder = recordstore::FieldText(request->szDataPfad);
  PROINFO project{};
  recordstore::SetFieldText(project.szProject, recordstore::FieldText(request->szProName));
  PosInfoExt position{};
  recordstore::SetFieldText(position.PosNameLong, long_name);
  int32_t error = 0;
  const int32_t records = LoadPositionIntoWorkingFile(
      store, folder, &file, program, project, &position, &error,
      kTransferQuiet | kTransferNoLock);
  if (error < 0) return error;
  recordstore::SetFieldText(request->szTmpDatei, file);
  return records;
}

int32_t ImportPositionFile(Store& store, ZBPROPOS_L* request) {
  store.log().Title("*** ZB_PositionImport");
  if (request->szProName[0] == 0 || request->szTmpDatei[0] == 0)
    return kNotDone;
  ZBPROPOS_L work = *request;
  std::memset(work.szPrgName, 0, sizeof work.szPrgName);
  std::memset(work.szPosName, 0, sizeof work.szPosName);
  std::memset(work.szPosNameLong, 0, sizeof work.szPosNameLong);
  const std::string file = recordstore::FieldText(work.szTmpDatei);
  PosInfoExt info{};
  int16_t key = 0;
  const int32_t header = ReadExchangeHeader(store, file, &info, &key);
  if (header < 0) return header;

  environment::ProgramCatalogue& catalogue = store.catalogue();
  std::string program;
  if (catalogue.FindNumber(key) >= 0) program = catalogue.KeyByNumber(key);
  if (program.empty() || program == "ALLE") {
    program.clear();
    if (!store.ui().SelectProgram(environment::SystemText(kAssignProgramText),
                                  &program) ||
        program.empty() || program == "ALLE")
      return kNotDone;
  }
  recordstore::SetFieldText(work.szPrgName, program);
  std::string long_name = recordstore::FieldText(info.PosNameLong);
  if (long_name.empty()) long_name = recordstore::FieldText(info.PosName);
  recordstore::SetFieldText(work.szPosNameLong, long_name);
  recordstore::SetFieldText(work.szMsg, recordstore::FieldText(info.Msg));
  recordstore::SetFieldText(work.szProBezeichnung, recordstore::FieldText(info.Designation));

  const std::string folder = recordstore::FieldText(work.szDataPfad);
  const std::string project_name = recordstore::FieldText(work.szProName);
  std::string project_path;
  if (FindProject(store, folder, project_name, nullptr, &project_path) >= 0 &&
      PositionStateOfFile(store, project_path, catalogue.NumberByKey(program),
                          long_name, nullptr) != 0) {
    const environment::Answer answer = store.ui().Ask(
        environment::kMessageTitle,
        environment::SystemText(kOverwriteText, program + ":" + long_name),
        environment::Buttons::kYesNo, environment::Icon::kQuestion);
    if (answer != environment::Answer::kYes) return kNotDone;
  }

  PROINFO project{};
  recordstore::SetFieldText(project.szProject, project_name);
  recordstore::SetFieldText(project.szAuthor, recordstore::FieldText(work.szAuthor));
  PosInfoExt position{};
  recordstore::SetFieldText(position.PosNameLong, long_name);
  recordstore::SetFieldText(position.Msg, recordstore::FieldText(work.szMsg));
  recordstore::SetFieldText(position.Designation, recordstore::FieldText(work.szProBezeichnung));
  int32_t error = 0;
  const int32_t stored = StoreWorkingFileIntoPosition(
      store, folder, file, program, project, position, &error, kTransferQuiet);
  ReleaseOwnLock(store);
  if (error < 0) return error;
  if (stored > 0) *request = work;
  return stored;
}

}  // namespace zb::projectstore
