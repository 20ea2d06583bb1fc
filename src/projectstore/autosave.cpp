#include "projectstore/autosave.h"

#include <vector>

#include "environment/library_context.h"
#include "platform/platform.h"
#include "projectstore/file_copy.h"
#include "projectstore/positions.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/engine.h"

namespace zb::projectstore {
namespace {

constexpr const char* kAutosaveExtension = ".$POS";

std::string TemporaryFolder(Store& store) {
  std::string folder = store.context().folders.temporary;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

// The file's long POSINFO (any program), else its short one widened.
bool ReadAutosaveHeader(Store& store, const std::string& path,
                        AutosaveEntry* entry) {
  recordstore::Engine& engine = store.engine();
  RecordFile file = RecordFile::OpenReadOnly(engine, path);
  if (!file.is_open()) return false;
  int16_t key2 = 0;
  if (engine.Read(file.handle(), kAllPrograms, kKeyPosInfo, 1,
                  sizeof entry->info, &entry->info) ==
      static_cast<int32_t>(sizeof entry->info)) {
    engine.GetKeys(&entry->program, &key2);
    return true;
  }
  uint8_t narrow[recordstore::kPosInfoShortFileSize] = {};
  if (engine.Read(file.handle(), kAllPrograms, kKeyPosInfo, 0, sizeof narrow,
                  narrow) != static_cast<int32_t>(sizeof narrow))
    return false;
  engine.GetKeys(&entry->program, &key2);
  recordstore::WidenPosInfo(narrow, &entry->info);
  return true;
}

}  // namespace

std::string AutosavePath(Store& store, const std::string& program_name) {
  return TemporaryFolder(store) + "\\" + program_name + "_AutoSave" +
         kAutosaveExtension;
}

int32_t ScanAutosaves(Store& store, const std::string& program_name) {
  AutosaveState& state = store.autosave;
  state.entries.clear();
  state.list_program = 0;
  const std::string folder = TemporaryFolder(store);
  if (folder.empty()) return 0;
  std::vector<platform::DirEntry> found;
  store.os().FindFiles(folder + "\\" + program_name + "*" + kAutosaveExtension,
                       &found);
  for (const platform::DirEntry& file : found) {
    if (file.is_folder) continue;
    AutosaveEntry entry;
    entry.path = folder + "\\" + file.name;
    // A copy whose header cannot be read is listed all the same: it is
    // deleted with the others.
    ReadAutosaveHeader(store, entry.path, &entry);
    state.entries.push_back(entry);
  }
  if (!state.entries.empty()) state.list_program = state.entries[0].program;
  return static_cast<int32_t>(state.entries.size());
}

int32_t MakeAutosave(Store& store, const std::string& program_name,
                     const std::string& working_path) {
  ScanAutosaves(store, program_name);
  const std::string path = AutosavePath(store, program_name);
  if (!CopyFileReplacing(store.os(), working_path, path)) return 0;
  AutosaveState& state = store.autosave;
  bool listed = false;
  for (const AutosaveEntry& entry : state.entries) listed |= entry.path == path;
  if (!listed) {
    AutosaveEntry entry;
    entry.path = path;
    ReadAutosaveHeader(store, path, &entry);
    state.entries.push_back(entry);
  }
  state.saving_program = program_name;
  return 1;
}

int32_t EndAutosave(Store& store, const std::string& program_name) {
  AutosaveState& state = store.autosave;
  if (state.entries.empty()) ScanAutosaves(store, program_name);
  int32_t deleted = 0;
  for (const AutosaveEntry& entry : state.entries)
    if (store.os().RemoveFile(entry.path).ok()) ++deleted;
  if (deleted == static_cast<int32_t>(state.entries.size())) {
    state.entries.clear();
    state.list_program = 0;
  }
  return deleted;
}

}  // namespace zb::projectstore
