#include "api/result_files.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "api/library.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/position_index.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"

namespace zb::api {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using recordstore::Engine;

constexpr char kResultExtension[] = ".ERG";
constexpr int kPathWidth = 260;

// The 104-byte header block of a record file; false when the file cannot be
// opened or the block not read in full.
bool ReadHeaderBlock(Library& lib, const std::string& path, PROINFO* info) {
  std::memset(info, 0, sizeof *info);
  Engine& engine = lib.engine();
  // A file this process holds open is read through that handle.
  ps::RecordFile own;
  int32_t h = engine.GetFileHandle(path.c_str());
  if (h <= 0) {
    own = ps::RecordFile::OpenReadOnly(engine, path);
    h = own.handle();
  }
  if (h <= 0) return false;
  return engine.ReadBin(h, 0, sizeof *info, info) ==
         static_cast<int32_t>(sizeof *info);
}

// The list entry of project `number`: its PROINFO and file path.
bool ProjectByNumber(Library& lib, const std::string& folder, int number,
                     PROINFO* info, std::string* path) {
  if (number <= 0) return false;
  Engine& engine = lib.engine();
  ps::ProjectList list = ps::ProjectList::Open(lib.store(), folder);
  if (!list.is_open()) return false;
  std::string name;
  PROINFO entry{};
  for (uint32_t i = 0;; ++i) {
    std::memset(&entry, 0, sizeof entry);
    if (engine.Read(list.handle(), ps::kListKey, ps::kListKey, i, sizeof entry,
                    &entry) < 0)
      break;
    if (entry.number == number) {
      recordstore::ZeroTerminateProInfo(&entry);
      name = ps::NameOf(entry);
      break;
    }
  }
  if (name.empty()) return false;
  return list.Find(name, info, path) >= 0 && info->number == number;
}

// Adds (or renews) the result link record of the project file.
bool WriteResultLink(Library& lib, const std::string& project_path,
                     const std::string& result_folder,
                     const std::string& result_path) {
  uint8_t link[kResultLinkSize] = {};
  std::snprintf(reinterpret_cast<char*>(link) + kResultLinkFolderAt,
                kPathWidth, "%s", result_folder.c_str());
  std::snprintf(reinterpret_cast<char*>(link) + kResultLinkPathAt, kPathWidth,
                "%s", result_path.c_str());
  Engine& engine = lib.engine();
  ps::RecordFile own;
  int32_t h = engine.GetFileHandle(project_path.c_str());
  if (h <= 0) {
    if (!lib.os().FileExists(project_path)) return false;
    own = ps::RecordFile::Open(engine, project_path);
    h = own.handle();
  }
  if (h <= 0) return false;
  return engine.WriteFar(h, kKeyResultLink, 1, 0, kResultLinkSize, link,
                         true) == kResultLinkSize;
}

// Makes the result file with the project's header block.
bool CreateResultFile(Library& lib, const std::string& path,
                      const PROINFO& block) {
  Engine& engine = lib.engine();
  ps::RecordFile file = ps::RecordFile::Open(engine, path);
  return file.is_open() &&
         engine.WriteBin(file.handle(), 0, sizeof block, &block) ==
             static_cast<int32_t>(sizeof block);
}

}  // namespace

std::string NormaliseDataFolder(Library& lib, const std::string& folder) {
  std::string text = folder;
  if (text.size() > 1 && text.back() == '\\') text.pop_back();
  platform::Platform& os = lib.os();
  if (!text.empty() && os.FileExists(text) && !os.IsFolder(text)) {
    const size_t slash = text.find_last_of('\\');
    text = slash == std::string::npos ? std::string() : text.substr(0, slash);
  }
  return text;
}

std::string ResultFilePath(Library& lib, const std::string& data_folder,
                           int number) {
  char path[1200];
  std::snprintf(path, sizeof path, "%s\\%s%05d%s",
                NormaliseDataFolder(lib, data_folder).c_str(), "PRO", number,
                kResultExtension);
  return path;
}

int32_t GetResultFile(Library& lib, const std::string& data_folder, int number,
                      std::string* path) {
  path->clear();
  PROINFO project{};
  std::string project_path;
  bool ok = ProjectByNumber(lib, data_folder, number, &project, &project_path);
  std::string result_path;
  if (ok) {
    result_path = ResultFilePath(lib, data_folder, number);
    platform::Platform& os = lib.os();
    if (!os.FileExists(result_path)) {
      lib.log().Append("\n\t ERG-File :" + result_path);
      PROINFO block{};
      ok = ReadHeaderBlock(lib, project_path, &block);
      PROINFO stale{};
      // Another process may have made one meanwhile: one of another
      // project goes, as its name shows.
      if (ok && ReadHeaderBlock(lib, result_path, &stale) &&
          std::memcmp(block.szProject, stale.szProject, 4) != 0) {
        lib.log().Append("\n\t           wrong ProInfo! delete and re-open \n");
        lib.log().Printf("\n\t          %20s %20s", "tProProInfo",
                         "tErgProInfo");
        lib.log().Printf("\n\t Projekt  %20s %20s", ps::NameOf(block).c_str(),
                         ps::NameOf(stale).c_str());
        os.RemoveFile(result_path);
      }
      ok = ok && CreateResultFile(lib, result_path, block) &&
           WriteResultLink(lib, project_path,
                           NormaliseDataFolder(lib, data_folder) + "\\",
                           result_path);
    }
  }
  if (ok) *path = result_path;
  lib.log().Printf("\n ERG-Datei : %s \n", path->c_str());
  return ok ? 1 : -1;
}

int32_t CheckResultFile(Library& lib, const std::string& project_path,
                        const std::string& result_path) {
  PROINFO project{};
  if (project_path.empty() || !ReadHeaderBlock(lib, project_path, &project) ||
      project.number == 0)
    return -1;
  if (!lib.os().FileExists(result_path)) return -2;
  PROINFO result{};
  ReadHeaderBlock(lib, result_path, &result);
  recordstore::ZeroTerminateProInfo(&project);
  recordstore::ZeroTerminateProInfo(&result);
  if (ps::NameOf(project) != ps::NameOf(result)) return -3;
  if (project.number != result.number) return -4;
  return 1;
}

bool SetStaleResultFileAside(Library& lib, const std::string& result_path,
                             bool silent, std::string* new_path) {
  PROINFO block{};
  ReadHeaderBlock(lib, result_path, &block);
  recordstore::ZeroTerminateProInfo(&block);
  const std::string stem =
      result_path.size() >= 4 ? result_path.substr(0, result_path.size() - 4)
                              : result_path;
  *new_path = stem + "_" + ps::NameOf(block) + kResultExtension;
  if (!lib.os().RenameFile(result_path, *new_path).ok()) return false;
  if (!silent) {
    const std::string text =
        env::FillPlaceholders(
            "Die Ergebnisdatei \n\n'%1\n\n passt nicht zum Projekt,",
            result_path) +
        "\n" +
        env::FillPlaceholders(" und wurde deswegen gesichert als \n\n'%1'",
                              *new_path) +
        "\n\n" + "Gleichzeitig wird eine leere Ergebnisdatei zum Projekt angelegt.";
    lib.ui().Ask(env::kMessageTitle, text, env::Buttons::kOk,
                 env::Icon::kWarning);
  }
  return true;
}

int32_t ResultFileOfRequest(Library& lib, ZBPROPOS* request,
                            const std::string& long_name, int16_t* position,
                            int16_t* program) {
  const std::string folder = recordstore::FieldText(request->szDataPfad);
  const std::string name = recordstore::FieldText(request->szProName);
  std::string project_path;

  // Project, its result file (made when missing), program and position.
  auto find = [&]() -> int32_t {
    PROINFO info{};
    project_path.clear();
    if (ps::FindProject(lib.store(), folder, name, &info, &project_path) < 0) {
      project_path.clear();
      return -1;
    }
    std::string result_path;
    const int32_t got = GetResultFile(lib, folder, info.number, &result_path);
    recordstore::CopyTextField(request->szTmpDatei, result_path.c_str(),
                               sizeof request->szTmpDatei);
    const int16_t number =
        lib.catalogue().NumberByKey(recordstore::FieldText(request->szPrgName));
    int16_t id = 0;
    Engine& engine = lib.engine();
    ps::RecordFile project = ps::RecordFile::OpenReadOnly(engine, project_path);
    if (project.is_open()) {
      recordstore::PosInfoExt found{};
      if (ps::FindPosition(lib.store(), project.handle(), long_name, number,
                           &found) >= 0)
        id = static_cast<int16_t>(found.id);
      ps::ForgetPositionIndex(lib.store(), project.handle());
    }
    if (position) *position = id;
    if (program) *program = number;
    return got > 0 ? static_cast<int32_t>(info.number) : -1;
  };

  int32_t result = find();
  const int32_t finding = CheckResultFile(
      lib, project_path, recordstore::FieldText(request->szTmpDatei));
  switch (finding) {
    case -4:
    case -3: {
      lib.log().Append(" ProInfo != ErgInfo");
      std::string aside;
      if (SetStaleResultFileAside(
              lib, recordstore::FieldText(request->szTmpDatei), false, &aside))
        result = find();
      break;
    }
    case -2:
      result = find();
      break;
    case -1:
      lib.log().Append(" Project doesn't exist!");
      break;
    default:
      lib.log().Append(" Get existing Erg-File");
      result = find();
      break;
  }
  if (result <= 0) std::memset(request->szTmpDatei, 0, sizeof request->szTmpDatei);
  return result;
}

}  // namespace zb::api
