// The rebuild of a project list from the files in its folder, and the
// check that decides it is due.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "environment/library_context.h"
#include "environment/string_utils.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"

namespace zb::projectstore {
namespace {

using recordstore::SetFieldText;

std::string Upper(std::string text) { return environment::UpperText(text); }

// The first 104 bytes of a file, read without the record engine (headers
// of project files the engine may refuse, and folder projects).
bool ReadHeaderBytes(Store& store, const std::string& path, PROINFO* info) {
  std::memset(info, 0, sizeof *info);
  std::unique_ptr<platform::File> file;
  if (!store.os()
           .OpenFile(path, platform::Access::kRead, platform::Share::kDenyNone,
                     &file)
           .ok())
    return false;
  size_t got = 0;
  return file->ReadAt(0, info, sizeof *info, &got).ok() &&
         got == sizeof *info;
}

// The list name with ".ZB" replaced by ".NEU".
std::string RebuildTargetPath(const std::string& list_path) {
  const size_t at = Upper(list_path).rfind(".ZB");
  if (at == std::string::npos) return list_path + ".NEU";
  return list_path.substr(0, at) + ".NEU" + list_path.substr(at + 3);
}

// Step 1 of the rebuild: number, name and list bytes of every project
// file's header made consistent, in place.
void RepairProjectHeaders(Store& store, const std::string& base) {
  platform::Platform& os = store.os();
  store.log().Printf("\n*** wRepairProInfos(%s) ***", base.c_str());
  std::vector<platform::DirEntry> entries;
  os.FindFiles(base + "*" + store.context().config.project_extension, &entries);
  for (const platform::DirEntry& entry : entries) {
    if (entry.is_folder) continue;
    std::unique_ptr<platform::File> file;
    if (!os.OpenFile(base + entry.name, platform::Access::kReadWrite,
                     platform::Share::kDenyNone, &file)
             .ok())
      continue;
    PROINFO info;
    size_t got = 0;
    if (!file->ReadAt(0, &info, sizeof info, &got).ok() || got < sizeof info)
      continue;
    const int number = NumberFromFileName(entry.name);
    if (number >= 0 && number != info.number)
      info.number = static_cast<uint16_t>(number);
    std::string name = NameOf(info);
    const size_t first = name.find_first_not_of(' ');
    name = first == std::string::npos
               ? std::string()
               : name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (name.empty()) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%05d", info.number);
      name = digits;
    }
    SetFieldText(info.szProject, name);
    SetListKind(&info, 0);
    SetListCreationCopy(&info, info.created);
    size_t written = 0;
    file->WriteAt(0, &info, sizeof info, &written);
  }
}

std::vector<platform::DirEntry> SortedFiles(platform::Platform& os,
                                            const std::string& pattern) {
  std::vector<platform::DirEntry> files;
  os.FindFiles(pattern, &files);
  std::sort(files.begin(), files.end(),
            [](const platform::DirEntry& a, const platform::DirEntry& b) {
              return a.name < b.name;
            });
  return files;
}

// Entries for the project files PRO?????.PRO, in name order.
int32_t AddProjectFiles(Store& store, const std::string& base,
                        ProjectList& list) {
  platform::Platform& os = store.os();
  int32_t count = 0;
  std::string pattern = base + "pro?????.pro";
  store.log().Printf("\n*** begin search %s", pattern.c_str());
  std::vector<platform::DirEntry> files = SortedFiles(os, pattern);
  if (files.empty()) files = SortedFiles(os, base + "PRO?????.PRO");
  for (const platform::DirEntry& file : files) {
    const std::string& name = file.name;
    if (file.is_folder || name.size() != 12 || name.rfind('.') != 8) continue;
    const int number = NumberFromFileName(name);
    if (number <= 0) continue;
    PROINFO info;
    if (ReadHeaderBytes(store, base + name, &info))
      info.number = static_cast<uint16_t>(number);
    SetListKind(&info, 0);
    SetListCreationCopy(&info, info.created);
    if (list.Add(count, info, base + name)) ++count;
  }
  return count;
}

// Entries for the folder projects ZBProjekt_*\ProjectData.ZBDB behind the
// `count` file projects; how many were added.
int32_t AddFolderProjects(Store& store, const std::string& base, int32_t count,
                          ProjectList& list) {
  platform::Platform& os = store.os();
  store.log().Printf("\n*** begin search subdirs+%s", base.c_str());
  int32_t folder_projects = 0;
  for (const platform::DirEntry& sub : SortedFiles(os, base + "*")) {
    if (!sub.is_folder ||
        Upper(sub.name).rfind(Upper(kFolderProjectPrefix), 0) != 0)
      continue;
    const std::string data = base + sub.name + "\\" + kFolderProjectFile;
    if (!os.FileExists(data)) continue;
    PROINFO info;
    ReadHeaderBytes(store, data, &info);
    info.number = static_cast<uint16_t>(count + folder_projects + 1);
    SetListKind(&info, 1);
    SetListCreationCopy(&info, info.created);
    if (list.Add(count + folder_projects, info, data)) ++folder_projects;
  }
  return folder_projects;
}

}  // namespace

int32_t RebuildProjectList(Store& store, const std::string& folder) {
  platform::Platform& os = store.os();
  const std::string base = WithBackslash(folder);
  const std::string list_path = ProjectListPath(store, folder);
  const std::string new_path = RebuildTargetPath(list_path);
  store.log().Printf("\n*** Projektlist neu lesen : %s***", list_path.c_str());

  RepairProjectHeaders(store, base);

  // A stale target of an interrupted rebuild would be appended to.
  os.RemoveFile(new_path);
  ProjectList list(store, folder, RecordFile::Open(store.engine(), new_path));
  if (!list.is_open()) {
    store.log().Append("\n### Datei " + new_path +
                       " konnte nicht angelegt werden");
    char text[1400];
    std::snprintf(text, sizeof text,
                  "\n### Projektliste %s \n kann nicht angelegt werden.\n"
                  "### DB-Fehler Nr.%d ",
                  new_path.c_str(), list.handle());
    store.ui().Ask(store.context().message_title,
                   std::string(text) + "\n### Fehlende Benutzer-Rechte? ",
                   environment::Buttons::kOk, environment::Icon::kError);
    return list.handle();
  }
  store.log().Printf("\n*** write in %s", new_path.c_str());

  int32_t count = AddProjectFiles(store, base, list);
  list.WriteNextNumber(FirstFreeNumber(store, folder));
  store.log().Printf(" Anzahl PRO-Files: %ld", static_cast<long>(count));

  const int32_t folder_projects = AddFolderProjects(store, base, count, list);
  count += folder_projects;
  if (folder_projects == 0) {
    store.log().Printf("\n### Keine subdirs + %s gefunden!!", base.c_str());
  } else {
    char marker[sizeof(PROINFO)] = "ZBDB";
    store.engine().Append(list.handle(), kFolderMarkerKey, kFolderMarkerKey,
                          sizeof marker, marker);
    store.log().Printf(" Anzahl zbdb-Files: %ld",
                       static_cast<long>(folder_projects));
  }
  if (count > 0) list.MakeNamesUnique();
  list.Close();

  os.RemoveFile(list_path);
  const platform::Status renamed = os.RenameFile(new_path, list_path);
  if (!renamed.ok())
    store.log().Printf("\n### rename :%s to %s : ret = %d ) ###",
                       new_path.c_str(), list_path.c_str(), renamed.code);
  return count;
}

int32_t CheckListAgainstFolder(Store& store, const std::string& folder) {
  const std::string base = WithBackslash(folder);
  const std::string extension = Upper(store.context().config.project_extension);
  std::vector<platform::DirEntry> entries;
  store.os().FindFiles(base + "*", &entries);
  int32_t in_folder = 0;
  for (const platform::DirEntry& entry : entries) {
    const std::string name = Upper(entry.name);
    if (name.rfind(Upper(kFolderProjectPrefix), 0) == 0 ||
        name.find(extension) != std::string::npos)
      ++in_folder;
  }
  int32_t in_list = 0;
  {
    ProjectList list = ProjectList::Open(store, folder);
    if (!list.is_open()) return list.handle();
    in_list = list.Count();
    bool found = false;
    list.PathRecord(0, &found);
    if (!found) in_list = 0;
  }
  return in_list == in_folder ? 0 : RebuildProjectList(store, folder);
}

}  // namespace zb::projectstore
