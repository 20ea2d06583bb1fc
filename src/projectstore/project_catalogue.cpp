#include "projectstore/project_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "environment/library_context.h"
#include "environment/string_utils.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/project_copy.h"
#include "projectstore/store.h"
#include "recordstore/compaction.h"
#include "recordstore/engine.h"

namespace zb::projectstore {
namespace {

using recordstore::Engine;

constexpr char kFolderProjectPrefix[] = "ZBProjekt_";
constexpr char kFolderProjectFile[] = "ProjectData.ZBDB";

std::string Upper(std::string text) { return environment::UpperText(text); }

bool IsSep(char c) { return c == '\\' || c == '/'; }

// Separators unified and letters upper-cased, for path comparisons.
std::string PathKey(const std::string& path) {
  std::string key = Upper(path);
  for (char& c : key) c = c == '/' ? '\\' : c;
  return key;
}

std::string NameOf(const PROINFO& info) {
  return std::string(info.szProject,
                     strnlen(info.szProject, sizeof info.szProject));
}

void SetText(char* field, size_t width, const std::string& text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

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

// The five digits before the dot of "PRO00017.PRO"; -1 when not digits.
int NumberFromFileName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < 5) return -1;
  int number = 0;
  for (size_t i = dot - 5; i < dot; ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

// Stored paths may come from another machine: a path not under the list's
// folder is moved there (file projects by number, folder projects keeping
// their subfolder and file name).
std::string RelocatedPath(Store& store, const std::string& folder,
                          const std::string& stored, const PROINFO& info) {
  const std::string base = WithBackslash(folder);
  if (PathKey(stored).rfind(PathKey(base), 0) == 0) return stored;
  if (PathKey(stored).find(Upper(kFolderProjectFile)) != std::string::npos) {
    size_t last = stored.find_last_of("\\/");
    size_t before = last == std::string::npos || last == 0
                        ? std::string::npos
                        : stored.find_last_of("\\/", last - 1);
    return base + (before == std::string::npos ? stored
                                               : stored.substr(before + 1));
  }
  return ProjectFilePath(store, folder, info.number);
}

int32_t ReadNextNumber(Store& store, int32_t h) {
  uint16_t number = 0;
  if (store.engine().Read(h, kListKey, kNextNumberKey, 0, 2, &number) <= 0)
    return -1;
  return number;
}

void WriteNextNumber(Store& store, int32_t h, int32_t number) {
  const uint16_t value = static_cast<uint16_t>(number);
  store.engine().WriteFar(h, kListKey, kNextNumberKey, 0, 2, &value, true);
}

void WritePathRecord(Store& store, int32_t h, int32_t index,
                     const std::string& path) {
  char record[kPathRecordSize];
  SetText(record, sizeof record, path);
  store.engine().WriteFar(h, kPathKey, static_cast<int16_t>(index), 0,
                          sizeof record, record, true);
}

std::string ReadPathRecord(Store& store, int32_t h, int32_t index,
                           bool* found) {
  char record[kPathRecordSize + 1] = {};
  *found = store.engine().Read(h, kPathKey, static_cast<int16_t>(index), 0,
                               kPathRecordSize, record) > 0;
  return record;
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
    SetText(info.szProject, sizeof info.szProject, name);
    SetListKind(&info, 0);
    SetListCreationCopy(&info, info.created);
    size_t written = 0;
    file->WriteAt(0, &info, sizeof info, &written);
  }
}

bool AddEntry(Store& store, int32_t h, int32_t index, const PROINFO& info,
              const std::string& path) {
  if (store.engine().Append(h, kListKey, kListKey, sizeof info, &info) <= 0)
    return false;
  WritePathRecord(store, h, index, path);
  return true;
}

// Deletes entry `index` when it still names the project of `entry`, and
// moves the path records of the entries behind it up with them. 1 removed,
// 0 the delete failed, -1 the entry is no longer there.
int32_t RemoveEntryAt(Store& store, int32_t h, int32_t index,
                      const PROINFO& entry) {
  Engine& engine = store.engine();
  PROINFO found;
  if (engine.Read(h, kListKey, kListKey, index, sizeof found, &found) <= 0 ||
      std::strncmp(found.szProject, entry.szProject, sizeof found.szProject) !=
          0)
    return -1;
  if (engine.Delete(h, kListKey, kListKey, index) <= 0) return 0;
  int32_t i = index;
  for (;; ++i) {
    bool found_path = false;
    const std::string next = ReadPathRecord(store, h, i + 1, &found_path);
    if (!found_path) break;
    WritePathRecord(store, h, i, next);
  }
  engine.Delete(h, kPathKey, static_cast<int16_t>(i), 0);
  return 1;
}

}  // namespace

uint32_t ListCreationCopy(const PROINFO& info) {
  uint32_t value;
  std::memcpy(&value, info.szPrgShort, 4);
  return value;
}
uint16_t ListKind(const PROINFO& info) {
  uint16_t value;
  std::memcpy(&value, info.szPrgShort + 4, 2);
  return value;
}
void SetListCreationCopy(PROINFO* info, uint32_t value) {
  std::memcpy(info->szPrgShort, &value, 4);
}
void SetListKind(PROINFO* info, uint16_t kind) {
  std::memcpy(info->szPrgShort + 4, &kind, 2);
}

std::string WithBackslash(const std::string& folder) {
  if (folder.empty() || IsSep(folder.back())) return folder;
  return folder + "\\";
}

std::string ProjectListPath(Store& store, const std::string& folder) {
  const std::string& list = store.context().config.project_list_file;
  if (PathKey(folder).find(Upper(list)) != std::string::npos) return folder;
  return WithBackslash(folder) + list;
}

std::string ProjectFilePath(Store& store, const std::string& folder,
                            int number) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%05d%s", "PRO", number,
                store.context().config.project_extension.c_str());
  return WithBackslash(folder) + name;
}

std::string CompanionPath(const std::string& project_file,
                          const char* extension) {
  const size_t dot = project_file.rfind('.');
  const size_t sep = project_file.find_last_of("\\/");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
    return project_file + extension;
  return project_file.substr(0, dot) + extension;
}

std::string DosUmlautsToWindows(std::string text) {
  for (char& c : text) {
    switch (static_cast<unsigned char>(c)) {
      case 0x84: c = '\xE4'; break;  // ä
      case 0x94: c = '\xF6'; break;  // ö
      case 0x81: c = '\xFC'; break;  // ü
      case 0x8E: c = '\xC4'; break;  // Ä
      case 0x99: c = '\xD6'; break;  // Ö
      case 0x9A: c = '\xDC'; break;  // Ü
      case 0xE1: c = '\xDF'; break;  // ß
      default: break;
    }
  }
  return text;
}

std::string TrimProjectName(const std::string& name) {
  if (name == "    ") return name;
  const size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

int32_t OpenProjectList(Store& store, const std::string& folder) {
  platform::Platform& os = store.os();
  const std::string path = ProjectListPath(store, folder);
  if (!os.FileExists(path)) {
    const int32_t rebuilt = RebuildProjectList(store, folder);
    if (rebuilt < 0) {
      store.log().Printf("\n# %15s doesn't exist; open return =  %d#\n",
                         path.c_str(), rebuilt);
      return rebuilt;
    }
  }
  bool read_only = false;
  if (os.IsReadOnly(path, &read_only).ok() && read_only) {
    const std::string text = environment::SystemText(35042, path);
    store.ui().Ask(store.context().message_title, text,
                   environment::Buttons::kOk, environment::Icon::kError);
    store.os().EndProcess(-5);
    return DB_OPENERR;  // only when the ender came back (tests)
  }
  const int32_t h = store.engine().Open(path.c_str());
  if (h < 0) store.log().Printf("\n#DBOpen(%s) %d#\n", path.c_str(), h);
  return h;
}

int32_t FindProject(Store& store, const std::string& folder,
                    const std::string& name, PROINFO* info, std::string* path) {
  const int32_t h = OpenProjectList(store, folder);
  if (h < 0) return kListNotOpenable;
  Engine& engine = store.engine();
  const std::string wanted = DosUmlautsToWindows(TrimProjectName(name));
  int32_t result = kProjectNotFound;
  PROINFO entry;
  for (int32_t i = 0;
       engine.Read(h, kListKey, kListKey, i, sizeof entry, &entry) > 0; ++i) {
    if (DosUmlautsToWindows(TrimProjectName(NameOf(entry))) != wanted)
      continue;
    if (info) *info = entry;
    if (path) {
      bool found = false;
      std::string stored = ReadPathRecord(store, h, i, &found);
      if (!found && entry.number != 0)
        stored = ProjectFilePath(store, folder, entry.number);
      *path =
          stored.empty() ? stored : RelocatedPath(store, folder, stored, entry);
    }
    result = i;
    break;
  }
  engine.Close(h);
  return result;
}

int32_t FirstFreeNumber(Store& store, const std::string& folder) {
  platform::Platform& os = store.os();
  for (int number = 1; number <= kHighestNumber; ++number)
    if (!os.FileExists(ProjectFilePath(store, folder, number))) return number;
  return 1;
}

int32_t CreateProject(Store& store, const std::string& folder,
                      const std::string& name, const std::string& author) {
  Engine& engine = store.engine();
  PROINFO found;
  const int32_t index = FindProject(store, folder, name, &found, nullptr);
  if (index >= 0) {
    RenameProject(store, folder, index, name, author);
    return found.number;
  }

  const int32_t h = OpenProjectList(store, folder);
  if (h < 0) return h;
  int32_t next = ReadNextNumber(store, h);
  if (next < 0) {
    next = FirstFreeNumber(store, folder);
    WriteNextNumber(store, h, next);
  }
  const std::string trimmed = TrimProjectName(name);
  const uint32_t now = store.os().Now();
  PROINFO info;
  std::memset(&info, 0, sizeof info);
  SetText(info.szProject, sizeof info.szProject, trimmed);
  SetText(info.szAuthor, sizeof info.szAuthor, author);
  info.created = now;
  info.changed = now;
  info.number = static_cast<uint16_t>(next == 0 ? 1 : next);
  SetListCreationCopy(&info, info.created);
  SetListKind(&info, 0);

  // Another process may have taken the number: its file is never touched.
  const std::string path = ProjectFilePath(store, folder, info.number);
  if (store.os().FileExists(path)) {
    engine.Close(h);
    return 0;
  }
  const int32_t file = engine.Open(path.c_str());
  if (file < 0) {
    engine.Close(h);
    return file;
  }
  PROINFO header = info;
  if (trimmed == "    ") SetText(header.szProject, sizeof header.szProject, "???");
  engine.WriteBin(file, 0, sizeof header, &header);
  engine.Close(file);
  store.log().Printf("\n%12sCreateNew '%s' : DB_File : %s ", " ",
                     trimmed.c_str(), path.c_str());

  engine.Append(h, kListKey, kListKey, sizeof info, &info);
  PROINFO entry;
  for (int32_t i = 0;
       engine.Read(h, kListKey, kListKey, i, sizeof entry, &entry) > 0; ++i) {
    if (std::strncmp(entry.szProject, info.szProject,
                     sizeof entry.szProject) == 0) {
      WritePathRecord(store, h, i, path);
      break;
    }
  }
  WriteNextNumber(store, h, FirstFreeNumber(store, folder));
  engine.Close(h);

  PROINFO back;
  return FindProject(store, folder, trimmed, &back, nullptr) >= 0 ? back.number
                                                                  : 0;
}

int32_t RenameProject(Store& store, const std::string& folder, int32_t index,
                      const std::string& name, const std::string& author) {
  Engine& engine = store.engine();
  const int32_t h = OpenProjectList(store, folder);
  if (h < 0) return kListNotOpenable;
  PROINFO info;
  if (engine.Read(h, kListKey, kListKey, index, sizeof info, &info) <= 0) {
    engine.Close(h);
    return kProjectNotFound;
  }
  bool found = false;
  std::string path = ReadPathRecord(store, h, index, &found);
  path = found ? RelocatedPath(store, folder, path, info)
               : ProjectFilePath(store, folder, info.number);
  const std::string old_name = NameOf(info);
  const std::string old_author(info.szAuthor,
                               strnlen(info.szAuthor, sizeof info.szAuthor));

  SetText(info.szProject, sizeof info.szProject, TrimProjectName(name));
  SetText(info.szAuthor, sizeof info.szAuthor, author);
  info.changed = store.os().Now();
  if (info.created == 0) info.created = info.changed;
  if (ListCreationCopy(info) == 0) SetListCreationCopy(&info, info.created);
  SetListKind(&info, 0);

  const int32_t file = engine.OpenExclusive(path.c_str());
  if (file < 0) {
    engine.Close(h);
    return kProjectNoAccess;
  }
  engine.WriteBin(file, 0, sizeof info, &info);
  engine.Close(file);
  engine.WriteFar(h, kListKey, kListKey, index, sizeof info, &info, false);
  engine.Close(h);

  for (const char* extension : {environment::ConfigSettings::kPreviewExtension,
                                environment::ConfigSettings::kResultExtension}) {
    const std::string companion = CompanionPath(path, extension);
    const int32_t c = engine.Open(companion.c_str());
    if (c < 0) continue;
    engine.WriteBin(c, 0, sizeof info, &info);
    engine.Close(c);
  }
  store.log().Printf("\n ProRename from:%s//%s\n        to: %s ",
                     old_name.c_str(), old_author.c_str(),
                     NameOf(info).c_str());
  return 1;
}

int32_t ProjectKind(Store& store, const std::string& folder,
                    const std::string& name) {
  std::string path;
  const int32_t index = FindProject(store, folder, name, nullptr, &path);
  if (index < 0) return index;
  return IsFolderProjectPath(path) ? 1 : 0;
}

bool IsFolderProjectPath(const std::string& path) {
  return PathKey(path).find(Upper(kFolderProjectFile)) != std::string::npos;
}

bool MayReadProject(Store& store, const std::string& folder,
                    const std::string& name, bool ask) {
  const int32_t kind = ProjectKind(store, folder, name);
  if (kind == 0) return true;
  if (kind != 1) {
    store.log().Append("\n *** iProjektVersion nicht gelöst!!! ");
    return true;
  }
  if (!ask) return true;
  const std::string text =
      " \n PROJEKT:  " + name + "  \n\n " +
      "In diesem Projekt haben Sie nur Leserechte.\n Das Projekt ist in ein "
      "anderes Datenformat konvertiert worden\n und steht unter der "
      "Verwaltung von ZB-Manager. \n Position lesen?";
  return store.ui().Ask(
             store.context().message_title, text, environment::Buttons::kYesNo,
             environment::Icon::kWarning) == environment::Answer::kYes;
}

bool MakeNamesUnique(Store& store, int32_t h) {
  Engine& engine = store.engine();
  std::vector<PROINFO> entries;
  PROINFO entry;
  while (engine.Read(h, kListKey, kListKey, static_cast<uint32_t>(entries.size()),
                     sizeof entry, &entry) > 0) {
    entry.szProject[41] = '\0';
    entries.push_back(entry);
  }
  auto trailing_trimmed = [](const PROINFO& info) {
    std::string name = NameOf(info);
    return name.substr(0, name.find_last_not_of(' ') + 1);
  };
  auto number_it = [](PROINFO* info) {
    std::string name = NameOf(*info);
    if (name.size() > 35) name.resize(35);
    char text[48];
    std::snprintf(text, sizeof text, "%s %05d", name.c_str(), info->number);
    SetText(info->szProject, sizeof info->szProject, text);
  };
  bool changed = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (trailing_trimmed(entries[i]) != trailing_trimmed(entries[j])) continue;
      number_it(&entries[i]);
      number_it(&entries[j]);
      changed = true;
    }
  }
  if (changed)
    for (size_t i = 0; i < entries.size(); ++i)
      engine.WriteFar(h, kListKey, kListKey, static_cast<uint32_t>(i),
                      sizeof entries[i], &entries[i], false);
  return changed;
}

int32_t RebuildProjectList(Store& store, const std::string& folder) {
  platform::Platform& os = store.os();
  Engine& engine = store.engine();
  const std::string base = WithBackslash(folder);
  const std::string list_path = ProjectListPath(store, folder);
  const std::string new_path = RebuildTargetPath(list_path);
  store.log().Printf("\n*** Projektlist neu lesen : %s***", list_path.c_str());

  RepairProjectHeaders(store, base);

  // A stale target of an interrupted rebuild would be appended to.
  os.RemoveFile(new_path);
  const int32_t h = engine.Open(new_path.c_str());
  if (h < 0) {
    store.log().Append("\n### Datei " + new_path +
                       " konnte nicht angelegt werden");
    char text[1400];
    std::snprintf(text, sizeof text,
                  "\n### Projektliste %s \n kann nicht angelegt werden.\n"
                  "### DB-Fehler Nr.%d ",
                  new_path.c_str(), h);
    store.ui().Ask(store.context().message_title,
                   std::string(text) + "\n### Fehlende Benutzer-Rechte? ",
                   environment::Buttons::kOk, environment::Icon::kError);
    return h;
  }
  store.log().Printf("\n*** write in %s", new_path.c_str());

  int32_t count = 0;
  std::string pattern = base + "pro?????.pro";
  store.log().Printf("\n*** begin search %s", pattern.c_str());
  std::vector<platform::DirEntry> files;
  os.FindFiles(pattern, &files);
  if (files.empty()) os.FindFiles(base + "PRO?????.PRO", &files);
  std::sort(files.begin(), files.end(),
            [](const platform::DirEntry& a, const platform::DirEntry& b) {
              return a.name < b.name;
            });
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
    if (AddEntry(store, h, count, info, base + name)) ++count;
  }
  WriteNextNumber(store, h, FirstFreeNumber(store, folder));
  store.log().Printf(" Anzahl PRO-Files: %ld", static_cast<long>(count));

  store.log().Printf("\n*** begin search subdirs+%s", base.c_str());
  std::vector<platform::DirEntry> subfolders;
  os.FindFiles(base + "*", &subfolders);
  std::sort(subfolders.begin(), subfolders.end(),
            [](const platform::DirEntry& a, const platform::DirEntry& b) {
              return a.name < b.name;
            });
  long folder_projects = 0;
  for (const platform::DirEntry& sub : subfolders) {
    if (!sub.is_folder ||
        Upper(sub.name).rfind(Upper(kFolderProjectPrefix), 0) != 0)
      continue;
    const std::string data = base + sub.name + "\\" + kFolderProjectFile;
    if (!os.FileExists(data)) continue;
    PROINFO info;
    ReadHeaderBytes(store, data, &info);
    info.number = static_cast<uint16_t>(count + 1);
    SetListKind(&info, 1);
    SetListCreationCopy(&info, info.created);
    if (AddEntry(store, h, count, info, data)) {
      ++count;
      ++folder_projects;
    }
  }
  if (folder_projects == 0) {
    store.log().Printf("\n### Keine subdirs + %s gefunden!!", base.c_str());
  } else {
    char marker[sizeof(PROINFO)] = "ZBDB";
    engine.Append(h, kFolderMarkerKey, kFolderMarkerKey, sizeof marker, marker);
    store.log().Printf(" Anzahl zbdb-Files: %ld", folder_projects);
  }
  if (count > 0) MakeNamesUnique(store, h);
  engine.Close(h);

  os.RemoveFile(list_path);
  const platform::Status renamed = os.RenameFile(new_path, list_path);
  if (!renamed.ok())
    store.log().Printf("\n### rename :%s to %s : ret = %d ) ###",
                       new_path.c_str(), list_path.c_str(), renamed.code);
  return count;
}

int32_t CheckListAgainstFolder(Store& store, const std::string& folder) {
  platform::Platform& os = store.os();
  Engine& engine = store.engine();
  const std::string base = WithBackslash(folder);
  const std::string extension = Upper(store.context().config.project_extension);
  std::vector<platform::DirEntry> entries;
  os.FindFiles(base + "*", &entries);
  int32_t in_folder = 0;
  for (const platform::DirEntry& entry : entries) {
    const std::string name = Upper(entry.name);
    if (name.rfind(Upper(kFolderProjectPrefix), 0) == 0 ||
        name.find(extension) != std::string::npos)
      ++in_folder;
  }
  const int32_t h = OpenProjectList(store, folder);
  if (h < 0) return h;
  int32_t in_list = 0;
  PROINFO entry;
  while (engine.Read(h, kListKey, kListKey, in_list, sizeof entry, &entry) > 0)
    ++in_list;
  bool found = false;
  ReadPathRecord(store, h, 0, &found);
  if (!found) in_list = 0;
  engine.Close(h);
  return in_list == in_folder ? 0 : RebuildProjectList(store, folder);
}

int32_t CompactWhenDue(Store& store, const std::string& project_file) {
  Engine& engine = store.engine();
  const int32_t h = engine.OpenReadOnly(project_file.c_str());
  if (h < 0) return 0;
  uint32_t counter = 0;
  if (engine.Read(h, kWriteCounterKey, 0, 0, sizeof counter, &counter) <= 0)
    counter = 0;
  if (counter != 0 && counter <= 499) {
    engine.Close(h);
    return 0;
  }
  PROINFO header;
  std::memset(&header, 0, sizeof header);
  engine.ReadBin(h, 0, sizeof header, &header);
  engine.Close(h);
  const int32_t result =
      recordstore::CompactRecordFile(store.engine(), project_file);
  if (result != 0) {
    const int32_t x = engine.OpenExclusive(project_file.c_str());
    if (x >= 0) {
      const uint32_t zero = 0;
      engine.WriteFar(x, kWriteCounterKey, 0, 0, sizeof zero, &zero, true);
      engine.WriteBin(x, 0, sizeof header, &header);
      engine.Close(x);
    }
  }
  return result;
}

int32_t DeleteProject(Store& store, const std::string& folder,
                      const std::string& name) {
  platform::Platform& os = store.os();
  PROINFO info;
  std::string path;
  const int32_t index = FindProject(store, folder, name, &info, &path);
  if (index == kListNotOpenable) return -2;
  if (index < 0) return index;
  store.log().Printf("\n%8s DELETE project :%s//%s\n ", " ", folder.c_str(),
                     name.c_str());
  if (path.empty()) path = ProjectFilePath(store, folder, info.number);
  int32_t result =
      ProjectFileOperation(store, environment::Ui::FileOperation::kDelete, path,
                           std::string(), std::string());
  if (result != 0) {
    result = -1;
    if (!os.FileExists(path)) {
      os.RemoveFile(
          CompanionPath(path, environment::ConfigSettings::kResultExtension));
      os.RemoveFile(
          CompanionPath(path, environment::ConfigSettings::kPreviewExtension));
      CheckListAgainstFolder(store, folder);
      result = 1;
    }
  }
  if (result < 1)
    store.log().Printf("\n%8s ..... %s!!\n", " ",
                       result == 0 ? "interrupted" : "failed");
  if (result == 0) return -1;  // the user stopped it: the list stays
  const int32_t h = OpenProjectList(store, folder);
  if (h < 0) return -2;
  Engine& engine = store.engine();
  int32_t removed = RemoveEntryAt(store, h, index, info);
  // The check may have rebuilt the list without the entry already.
  if (removed < 0) removed = result == 1 ? 1 : 0;
  WriteNextNumber(store, h, FirstFreeNumber(store, folder));
  engine.Close(h);
  return removed;
}

int32_t RemoveListEntry(Store& store, const std::string& folder,
                        const std::string& name) {
  PROINFO info;
  const int32_t index = FindProject(store, folder, name, &info, nullptr);
  if (index == kListNotOpenable) return -2;
  if (index < 0) return 0;
  const int32_t h = OpenProjectList(store, folder);
  if (h < 0) return -2;
  const int32_t removed = RemoveEntryAt(store, h, index, info);
  WriteNextNumber(store, h, FirstFreeNumber(store, folder));
  store.engine().Close(h);
  return removed > 0 ? 1 : 0;
}

}  // namespace zb::projectstore
