#include "explorer/project_select.h"

#include "explorer/texts.h"

#include <cstdio>

#include "environment/folders.h"
#include "environment/library_context.h"
#include "environment/ui.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/project_names.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"

namespace zb::explorer {

namespace {

using recordstore::FieldText;
using recordstore::SetFieldText;

constexpr size_t kShortestName = 3;

}  // namespace

std::string NewProjectTitle(const std::string& folder) {
  std::string title = ProjectSelectModel::kNewTitle;
  title.replace(title.find("%1"), 2, folder);
  return title;
}

ProjectSelectModel::ProjectSelectModel(projectstore::Store& store,
                                       const ZBPROPOS_L& request)
    : store_(store), request_(request), list_(store) {}

void ProjectSelectModel::SetListed(
    const environment::Ui::ListedProjects& listed) {
  listed_ = &listed;
}

void ProjectSelectModel::OnInit() {
  state_.title = listed_ ? listed_->caption : kTitle;
  state_[IDC_PRO_DEFAULT].visible = false;
  if (listed_) {
    state_[IDC_PRO_OK].text = listed_->button;
    for (int id : {IDC_PRO_FOLDER, IDC_PRO_CHOOSE_FOLDER, IDC_PRO_NEW})
      state_[id].visible = false;
    SetFieldText(request_.szProName, listed_->selected);
  }
  std::string folder = FieldText(request_.szDataPfad);
  if (folder.empty()) folder = store_.context().folders.data;
  SetFieldText(request_.szDataPfad, environment::NormaliseFolder(folder));
  list_.ReadSettings();
  ShowFolder(FieldText(request_.szProName));
}

void ProjectSelectModel::ShowFolder(const std::string& project) {
  const std::string folder = FieldText(request_.szDataPfad);
  state_[IDC_PRO_FOLDER].text = folder;
  const std::string name = projectstore::TrimProjectName(project);
  int rows;
  if (listed_) {
    std::vector<ProjectEntry> entries;
    for (const PROINFO& info : listed_->projects) {
      ProjectEntry entry;
      entry.number = info.number;
      entry.info = info;
      entry.created = UtcDateText(info.created);
      entry.changed = UtcDateText(info.changed);
      entries.push_back(entry);
    }
    rows = list_.ShowListed(std::move(entries), name);
  } else {
    rows = list_.Show(folder, name);
  }
  state_[IDC_PRO_EMPTY].text = kNoProject;
  state_[IDC_PRO_EMPTY].visible = rows == 0;
  ShowSelected();
}

void ProjectSelectModel::ShowSelected() {
  const ProjectEntry* entry = list_.Selected();
  state_[IDC_PRO_COUNTER].text = list_.CounterText();
  if (!entry) {
    for (int id : {IDC_PRO_CREATED, IDC_PRO_CHANGED, IDC_PRO_ID,
                   IDC_PRO_AUTHOR_INFO})
      state_[id].text.clear();
    return;
  }
  char id[16];
  std::snprintf(id, sizeof id, "%d", entry->info.number);
  state_[IDC_PRO_CREATED].text = entry->created;
  state_[IDC_PRO_CHANGED].text = entry->changed;
  state_[IDC_PRO_ID].text = id;
  state_[IDC_PRO_AUTHOR_INFO].text = FieldText(entry->info.szAuthor);
  state_[IDC_PRO_NAME].text = FieldText(entry->info.szProject);
  state_[IDC_PRO_AUTHOR].text = FieldText(entry->info.szAuthor);
}

void ProjectSelectModel::OnProjectSelected(int row) {
  list_.Select(row);
  ShowSelected();
}

void ProjectSelectModel::OnColumnClick(int column) {
  list_.OnColumnClick(column);
  state_[IDC_PRO_COUNTER].text = list_.CounterText();
}

bool ProjectSelectModel::OnNew() {
  const std::string folder = FieldText(request_.szDataPfad);
  std::string name = state_.text(IDC_PRO_NAME);
  std::string author = state_.text(IDC_PRO_AUTHOR);
  if (!store_.ui().ProjectDialog(NewProjectTitle(folder), &name, &author))
    return false;
  name = Trimmed(name).substr(0, 40);
  author = author.substr(0, 30);
  if (name.size() < kShortestName) {
    store_.ui().Ask(store_.context().message_title,
                    "Projektname mu\xDF mindestens 3 Zeichnen lang sein.",
                    environment::Buttons::kOk, environment::Icon::kWarning);
    return false;
  }
  if (projectstore::CreateProject(store_, folder, name, author) <= 0)
    return false;
  ShowFolder(name);
  return true;
}

void ProjectSelectModel::OnChooseFolder() {
  std::string folder = FieldText(request_.szDataPfad);
  if (store_.ui().ChooseFolder("Datenverzeichnis", &folder))
    ChangeFolder(folder);
}

void ProjectSelectModel::ChangeFolder(const std::string& folder) {
  const std::string normal = environment::NormaliseFolder(folder);
  if (normal.empty() || !store_.os().IsFolder(normal)) return;
  SetFieldText(request_.szDataPfad, normal);
  ShowFolder("");
}

bool ProjectSelectModel::OnOk() {
  const ProjectEntry* entry = list_.Selected();
  if (!entry) return false;
  chosen_ = list_.state().rows[list_.state().FirstSelected()].item;
  SetFieldText(request_.szProName, FieldText(entry->info.szProject));
  SetFieldText(request_.szAuthor, FieldText(entry->info.szAuthor));
  OnClose();
  return true;
}

}  // namespace zb::explorer
