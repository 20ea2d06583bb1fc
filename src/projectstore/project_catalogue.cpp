#include "projectstore/project_catalogue.h"

#include <cstring>
#include <string>

#include "environment/library_context.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/project_copy.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/compaction.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"

namespace zb::projectstore {
namespace {

using recordstore::Engine;
using recordstore::FieldText;
using recordstore::SetFieldText;

// The new project's entry, as the list and (but for the "    " name) the
// project file's header carry it.
PROINFO NewProjectEntry(Store& store, const std::string& trimmed_name,
                        const std::string& author, int32_t number) {
  const uint32_t now = store.os().Now();
  PROINFO info;
  std::memset(&info, 0, sizeof info);
  SetFieldText(info.szProject, trimmed_name);
  SetFieldText(info.szAuthor, author);
  info.created = now;
  info.changed = now;
  info.number = static_cast<uint16_t>(number == 0 ? 1 : number);
  SetListCreationCopy(&info, info.created);
  SetListKind(&info, 0);
  return info;
}

}  // namespace

int32_t FindProject(Store& store, const std::string& folder,
                    const std::string& name, PROINFO* info, std::string* path) {
  ProjectList list = ProjectList::Open(store, folder);
  if (!list.is_open()) return kListNotOpenable;
  return list.Find(name, info, path);
}

bool ReadProjectHeader(Store& store, const std::string& path, PROINFO* out) {
  RecordFile file = RecordFile::OpenReadOnly(store.engine(), path);
  PROINFO header{};
  if (!file.is_open() ||
      store.engine().ReadBin(file.handle(), 0, sizeof header, &header) < 0)
    return false;
  *out = header;
  return true;
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
  ProjectList list = ProjectList::Open(store, folder);
  if (!list.is_open()) return list.handle();
  PROINFO found;
  const int32_t index = list.Find(name, &found, nullptr);
  if (index >= 0) {
    RenameProject(list, index, name, author);
    return found.number;
  }

  int32_t next = list.NextNumber();
  if (next < 0) {
    next = FirstFreeNumber(store, folder);
    list.WriteNextNumber(next);
  }
  const std::string trimmed = TrimProjectName(name);
  const PROINFO info = NewProjectEntry(store, trimmed, author, next);

  // Another process may have taken the number: its file is never touched.
  const std::string path = ProjectFilePath(store, folder, info.number);
  if (store.os().FileExists(path)) return 0;
  RecordFile file = RecordFile::Open(engine, path);
  if (!file.is_open()) return file.handle();
  PROINFO header = info;
  if (trimmed == "    ") SetFieldText(header.szProject, "???");
  engine.WriteBin(file.handle(), 0, sizeof header, &header);
  file.Close();
  store.log().Printf("\n%12sCreateNew '%s' : DB_File : %s ", " ",
                     trimmed.c_str(), path.c_str());

  engine.Append(list.handle(), kListKey, kListKey, sizeof info, &info);
  PROINFO entry;
  for (int32_t i = 0; list.ReadEntry(i, &entry); ++i) {
    if (std::strncmp(entry.szProject, info.szProject,
                     sizeof entry.szProject) == 0) {
      list.WritePathRecord(i, path);
      break;
    }
  }
  list.WriteNextNumber(FirstFreeNumber(store, folder));

  PROINFO back;
  return list.Find(trimmed, &back, nullptr) >= 0 ? back.number : 0;
}

int32_t RenameProject(Store& store, const std::string& folder, int32_t index,
                      const std::string& name, const std::string& author) {
  ProjectList list = ProjectList::Open(store, folder);
  if (!list.is_open()) return kListNotOpenable;
  return RenameProject(list, index, name, author);
}

int32_t RenameProject(ProjectList& list, int32_t index,
                      const std::string& name, const std::string& author) {
  Store& store = list.store();
  Engine& engine = store.engine();
  PROINFO info;
  if (!list.ReadEntry(index, &info)) return kProjectNotFound;
  const std::string path = list.ProjectFileOf(index, info);
  const std::string old_name = NameOf(info);
  const std::string old_author = FieldText(info.szAuthor);

  SetFieldText(info.szProject, TrimProjectName(name));
  SetFieldText(info.szAuthor, author);
  info.changed = store.os().Now();
  if (info.created == 0) info.created = info.changed;
  if (ListCreationCopy(info) == 0) SetListCreationCopy(&info, info.created);
  SetListKind(&info, 0);

  {
    RecordFile file = RecordFile::OpenExclusive(engine, path);
    if (!file.is_open()) return kProjectNoAccess;
    engine.WriteBin(file.handle(), 0, sizeof info, &info);
  }
  engine.WriteFar(list.handle(), kListKey, kListKey, index, sizeof info, &info,
                  false);

  for (const char* extension : {environment::ConfigSettings::kPreviewExtension,
                                environment::ConfigSettings::kResultExtension}) {
    RecordFile companion = RecordFile::Open(engine, CompanionPath(path, extension));
    if (companion.is_open())
      engine.WriteBin(companion.handle(), 0, sizeof info, &info);
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

int32_t CompactWhenDue(Store& store, const std::string& project_file) {
  Engine& engine = store.engine();
  PROINFO header;
  {
    RecordFile file = RecordFile::OpenReadOnly(engine, project_file);
    if (!file.is_open()) return 0;
    uint32_t counter = 0;
    if (engine.Read(file.handle(), kWriteCounterKey, 0, 0, sizeof counter,
                    &counter) <= 0)
      counter = 0;
    if (counter != 0 && counter <= 499) return 0;
    std::memset(&header, 0, sizeof header);
    engine.ReadBin(file.handle(), 0, sizeof header, &header);
  }
  const int32_t result = recordstore::CompactRecordFile(engine, project_file);
  if (result != 0) {
    RecordFile file = RecordFile::OpenExclusive(engine, project_file);
    if (file.is_open()) {
      const uint32_t zero = 0;
      engine.WriteFar(file.handle(), kWriteCounterKey, 0, 0, sizeof zero,
                      &zero, true);
      engine.WriteBin(file.handle(), 0, sizeof header, &header);
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
  // Opened again: the check above may have rebuilt the list file.
  ProjectList list = ProjectList::Open(store, folder);
  if (!list.is_open()) return -2;
  int32_t removed = list.RemoveAt(index, info);
  // The check may have rebuilt the list without the entry already.
  if (removed < 0) removed = result == 1 ? 1 : 0;
  list.WriteNextNumber(FirstFreeNumber(store, folder));
  return removed;
}

int32_t RemoveListEntry(Store& store, const std::string& folder,
                        const std::string& name) {
  ProjectList list = ProjectList::Open(store, folder);
  if (!list.is_open()) return -2;
  PROINFO info;
  const int32_t index = list.Find(name, &info, nullptr);
  if (index < 0) return 0;
  const int32_t removed = list.RemoveAt(index, info);
  list.WriteNextNumber(FirstFreeNumber(store, folder));
  return removed > 0 ? 1 : 0;
}

}  // namespace zb::projectstore
