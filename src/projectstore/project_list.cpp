#include "projectstore/project_list.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "environment/library_context.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/project_names.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"

namespace zb::projectstore {

using recordstore::SetFieldText;

ProjectList ProjectList::Open(Store& store, const std::string& folder) {
  platform::Platform& os = store.os();
  const std::string path = ProjectListPath(store, folder);
  if (!os.FileExists(path)) {
    const int32_t rebuilt = RebuildProjectList(store, folder);
    if (rebuilt < 0) {
      store.log().Printf("\n# %15s doesn't exist; open return =  %d#\n",
                         path.c_str(), rebuilt);
      return ProjectList(store, folder, RecordFile(store.engine(), rebuilt));
    }
  }
  bool read_only = false;
  if (os.IsReadOnly(path, &read_only).ok() && read_only) {
    const std::string text = environment::SystemText(35042, path);
    store.ui().Ask(store.context().message_title, text,
                   environment::Buttons::kOk, environment::Icon::kError);
    os.EndProcess(-5);
    // Only when the ender came back (tests).
    return ProjectList(store, folder, RecordFile(store.engine(), DB_OPENERR));
  }
  RecordFile file = RecordFile::Open(store.engine(), path);
  if (!file.is_open())
    store.log().Printf("\n#DBOpen(%s) %d#\n", path.c_str(), file.handle());
  return ProjectList(store, folder, std::move(file));
}

ProjectList::ProjectList(Store& store, std::string folder, RecordFile file)
    : store_(&store), folder_(std::move(folder)), file_(std::move(file)) {}

bool ProjectList::ReadEntry(int32_t index, PROINFO* entry) {
  return store_->engine().Read(handle(), kListKey, kListKey, index,
                               sizeof *entry, entry) > 0;
}

int32_t ProjectList::Count() {
  int32_t count = 0;
  PROINFO entry;
  while (ReadEntry(count, &entry)) ++count;
  return count;
}

int32_t ProjectList::Find(const std::string& name, PROINFO* info,
                          std::string* path) {
  const std::string wanted = DosUmlautsToWindows(TrimProjectName(name));
  PROINFO entry;
  for (int32_t i = 0; ReadEntry(i, &entry); ++i) {
    if (DosUmlautsToWindows(TrimProjectName(NameOf(entry))) != wanted)
      continue;
    if (info) *info = entry;
    if (path) {
      bool found = false;
      std::string stored = PathRecord(i, &found);
      if (!found && entry.number != 0)
        stored = ProjectFilePath(*store_, folder_, entry.number);
      *path = stored.empty() ? stored : Relocated(stored, entry);
    }
    return i;
  }
  return kProjectNotFound;
}

std::string ProjectList::ProjectFileOf(int32_t index, const PROINFO& entry) {
  bool found = false;
  const std::string stored = PathRecord(index, &found);
  return found ? Relocated(stored, entry)
               : ProjectFilePath(*store_, folder_, entry.number);
}

std::string ProjectList::Relocated(const std::string& stored,
                                   const PROINFO& info) {
  const std::string base = WithBackslash(folder_);
  if (PathKey(stored).rfind(PathKey(base), 0) == 0) return stored;
  if (IsFolderProjectPath(stored)) {
    // A folder project keeps its subfolder and file name.
    size_t last = stored.find_last_of("\\/");
    size_t before = last == std::string::npos || last == 0
                        ? std::string::npos
                        : stored.find_last_of("\\/", last - 1);
    return base + (before == std::string::npos ? stored
                                               : stored.substr(before + 1));
  }
  return ProjectFilePath(*store_, folder_, info.number);
}

std::string ProjectList::PathRecord(int32_t index, bool* found) {
  char record[kPathRecordSize + 1] = {};
  *found = store_->engine().Read(handle(), kPathKey,
                                 static_cast<int16_t>(index), 0,
                                 kPathRecordSize, record) > 0;
  return record;
}

void ProjectList::WritePathRecord(int32_t index, const std::string& path) {
  char record[kPathRecordSize];
  SetFieldText(record, path);
  store_->engine().WriteFar(handle(), kPathKey, static_cast<int16_t>(index), 0,
                            sizeof record, record, true);
}

int32_t ProjectList::NextNumber() {
  uint16_t number = 0;
  if (store_->engine().Read(handle(), kListKey, kNextNumberKey, 0, 2,
                            &number) <= 0)
    return -1;
  return number;
}

void ProjectList::WriteNextNumber(int32_t number) {
  const uint16_t value = static_cast<uint16_t>(number);
  store_->engine().WriteFar(handle(), kListKey, kNextNumberKey, 0, 2, &value,
                            true);
}

bool ProjectList::Add(int32_t index, const PROINFO& info,
                      const std::string& path) {
  if (store_->engine().Append(handle(), kListKey, kListKey, sizeof info,
                              &info) <= 0)
    return false;
  WritePathRecord(index, path);
  return true;
}

int32_t ProjectList::RemoveAt(int32_t index, const PROINFO& entry) {
  recordstore::Engine& engine = store_->engine();
  PROINFO found;
  if (!ReadEntry(index, &found) ||
      std::strncmp(found.szProject, entry.szProject, sizeof found.szProject) !=
          0)
    return -1;
  if (engine.Delete(handle(), kListKey, kListKey, index) <= 0) return 0;
  int32_t i = index;
  for (;; ++i) {
    bool found_path = false;
    const std::string next = PathRecord(i + 1, &found_path);
    if (!found_path) break;
    WritePathRecord(i, next);
  }
  engine.Delete(handle(), kPathKey, static_cast<int16_t>(i), 0);
  return 1;
}

bool ProjectList::MakeNamesUnique() {
  std::vector<PROINFO> entries;
  PROINFO entry;
  while (ReadEntry(static_cast<int32_t>(entries.size()), &entry)) {
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
    SetFieldText(info->szProject, text);
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
      store_->engine().WriteFar(handle(), kListKey, kListKey,
                                static_cast<uint32_t>(i), sizeof entries[i],
                                &entries[i], false);
  return changed;
}

}  // namespace zb::projectstore
