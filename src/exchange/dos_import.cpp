#include "exchange/dos_import.h"

#include <cstdio>
#include <cstring>

#include "recordstore/typed_records.h"

namespace zb::exchange {

const char kDosDialogCaption[] = "DOS-Projekt  importieren ";
const char kDosDialogConfirm[] = "O&k";

namespace {

using recordstore::FieldText;
using recordstore::SetFieldText;

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string WithBackslash(const std::string& folder) {
  if (!folder.empty() && folder.back() == '\\') return folder;
  return folder + "\\";
}

// The header of one DOS project file, or false when the file does not open
// as a record file or its user header is short.
bool ReadDosHeader(recordstore::Engine& engine, const std::string& path,
                   PROINFO* header) {
  const int32_t handle = engine.OpenReadOnly(path.c_str());
  if (handle <= 0) return false;
  std::memset(header, 0, sizeof *header);
  const int32_t got = engine.ReadBin(handle, 0, sizeof *header, header);
  engine.Close(handle);
  if (got != static_cast<int32_t>(sizeof *header)) return false;
  recordstore::ZeroTerminateProInfo(header);
  return true;
}

}  // namespace

bool IsDosProgram(const std::string& key) {
  const std::string upper = UpperAscii(key);
  return upper == "QT3" || upper == "QT4" || upper == "QT5";
}

std::string DosProjectPath(const std::string& data_folder,
                           const std::string& key, int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%05d.PRO", number);
  return WithBackslash(data_folder) + UpperAscii(key) + name;
}

std::vector<DosProject> ListDosProjects(recordstore::Engine& engine,
                                        const std::string& data_folder,
                                        const std::string& key, size_t most) {
  std::vector<DosProject> projects;
  std::vector<platform::DirEntry> entries;
  const std::string base = WithBackslash(data_folder);
  if (!engine.platform().FindFiles(base + key + "?????.pro", &entries).ok())
    return projects;
  for (const platform::DirEntry& entry : entries) {
    if (projects.size() >= most) break;
    if (entry.is_folder) continue;
    DosProject project;
    if (!ReadDosHeader(engine, base + entry.name, &project.header)) continue;
    project.file_name = entry.name;
    if (project.header.number == 0) {
      // Projects of the first DOS versions are known by their file only.
      SetFieldText(project.header.szProject, entry.name);
      int number = 0;
      if (entry.name.size() > 3 &&
          std::sscanf(entry.name.c_str() + 3, "%5d", &number) == 1)
        project.header.number = static_cast<uint16_t>(number);
    }
    projects.push_back(project);
  }
  return projects;
}

DosChoice ChooseDosProject(environment::Ui& ui, const ZBPROPOS_L& request,
                           const std::vector<DosProject>& projects,
                           DosProject* chosen) {
  environment::Ui::ListedProjects listed;
  listed.caption = kDosDialogCaption;
  listed.button = "O&k";
  listed.selected = TrimBlanks(FieldText(request.szProName));
  for (const DosProject& project : projects)
    listed.projects.push_back(project.header);
  int index = -1;
  if (!ui.SelectListedProject(listed, &index)) return DosChoice::kCancelled;
  if (index < 0 || index >= static_cast<int>(projects.size()))
    return DosChoice::kNoneOfTheList;
  *chosen = projects[static_cast<size_t>(index)];
  return DosChoice::kChosen;
}

void TakeDosProject(const DosProject& project, ZBPROPOS_L* request) {
  const std::string key = UpperAscii(FieldText(request->szPrgName));
  SetFieldText(request->szProName,
               TrimBlanks(FieldText(project.header.szProject)));
  SetFieldText(request->szTmpDatei,
               DosProjectPath(FieldText(request->szDataPfad), key,
                              project.header.number));
  SetFieldText(request->szPrgName, key);
}

}  // namespace zb::exchange
