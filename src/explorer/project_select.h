// The project selection "Projekt", toolkit-free: the projects of the data
// folder in a project list, the selected project's dates, id and author,
// name and author boxes, "&Neu" to create a project, and a data folder
// that can be changed. OK hands the chosen project back in the request.
#ifndef ZBDB_EXPLORER_PROJECT_SELECT_H_
#define ZBDB_EXPLORER_PROJECT_SELECT_H_

#include <string>

#include "environment/ui.h"
#include "explorer/dialog_state.h"
#include "explorer/project_list.h"
#include "explorer/win32/project_select_ids.h"
#include "zbdb900_types.h"

namespace zb::explorer {

class ProjectSelectModel {
 public:
  static constexpr const char* kTitle = "Projekt";
  static constexpr const char* kNoProject =
      "Im aktiven Verzeichnis gibt es kein Projekt";
  static constexpr const char* kNewTitle = "Neues Projekt im Verzeichnis '%1'";

  ProjectSelectModel(projectstore::Store& store, const ZBPROPOS_L& request);

  // The listed mode: `projects` instead of the data folder's list, the
  // caption and confirm button given, no folder choice and no "&Neu".
  void SetListed(const environment::Ui::ListedProjects& listed);
  void OnInit();
  void OnProjectSelected(int row);
  void OnColumnClick(int column);
  // "&Neu": asks name and author (the small project dialog), creates the
  // project and selects it. False when cancelled or refused.
  bool OnNew();
  // "Datenverzeichnis...": the folder chooser, then the folder's projects.
  void OnChooseFolder();
  // What the user typed into the name or author box.
  void OnText(int id, const std::string& text) { state_[id].text = text; }
  // A folder typed or chosen in the data folder box.
  void ChangeFolder(const std::string& folder);
  // "&Ok": false (the dialog stays) when no project is selected.
  bool OnOk();
  void OnClose() { list_.WriteSettings(); }

  const DialogState& state() const { return state_; }
  ProjectListModel& list() { return list_; }
  const ZBPROPOS_L& request() const { return request_; }
  // The entry chosen with OK (in the listed mode, the index in the list).
  int chosen() const { return chosen_; }

 private:
  void ShowFolder(const std::string& project);
  void ShowSelected();

  projectstore::Store& store_;
  ZBPROPOS_L request_;
  DialogState state_;
  ProjectListModel list_;
  const environment::Ui::ListedProjects* listed_ = nullptr;
  int chosen_ = -1;
};

// The title of the small dialog that creates a project in `folder`.
std::string NewProjectTitle(const std::string& folder);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_PROJECT_SELECT_H_
