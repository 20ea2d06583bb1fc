// The explorer window "Z+B Explorer", toolkit-free: the request it was
// opened with, the project list of one data folder beside the position
// list of the selected project, the program filter, the preview, and one
// handler per command of its menu, toolbar and keys, each calling the
// operation it names. The window forwards events and mirrors state(),
// projects() and positions().
#ifndef ZBDB_EXPLORER_EXPLORER_H_
#define ZBDB_EXPLORER_EXPLORER_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "explorer/cleanup.h"
#include "explorer/dialog_state.h"
#include "explorer/position_list.h"
#include "explorer/project_list.h"
#include "explorer/win32/explorer_ids.h"
#include "projectstore/previews.h"
#include "zbdb900_types.h"

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::explorer {

class MailDialogModel;

enum class ExplorerFocus { kNone, kProjects, kPositions };

// The column choice dialogs of "Konfiguration": one check box per column,
// OK gives the boxes back.
struct ColumnChoice {
  std::string title;
  std::vector<std::string> labels;
  std::vector<bool> checked;
  std::vector<bool> enabled;  // "Position" and "Projekt" cannot be hidden
  bool with_time = false;     // "mit Uhrzeit", position list only
  bool offers_time = false;
  std::string note;
};

// The windows the explorer opens itself, besides those of the Ui. Each
// answers as cancelled unless a window (or a test) gives it a face.
class ExplorerDialogs {
 public:
  virtual ~ExplorerDialogs() = default;
  // The mail dialog; true when it closed with OK (the model has then done
  // its work).
  virtual bool Mail(MailDialogModel& model);
  virtual bool Columns(ColumnChoice* choice);
  // A file to read, starting in `folder`, with the file name pattern.
  virtual bool ChooseFile(const std::string& title, const std::string& folder,
                          const std::string& pattern, std::string* path);
  // "Notdienst : Löschen"; true when the user chose "Löschen".
  virtual bool Cleanup(CleanupChoice* choice);
  // The help file's contents; false when it cannot be shown.
  virtual bool Help(const std::string& help_file);
};

// A control's place in client pixels.
struct ControlRect {
  int x = 0, y = 0, width = 0, height = 0;
};
using ExplorerLayout = std::map<int, ControlRect>;

// The controls' places after the client area grew by dx, dy from the
// layout at opening: the left side takes half of dx rounded away from
// zero, the preview below the project list half of dy.
ExplorerLayout ResizedLayout(const ExplorerLayout& at_open, int dx, int dy,
                             bool preview_shown);

class ExplorerModel {
 public:
  static constexpr const char* kTitle =
      "Z+B Explorer  ( Klassische Projektverwaltung)";
  static constexpr const char* kProjectSection = "ZBEX_PROVIEW";
  static constexpr const char* kPlacementSection = "ZBEX_PLACEMENT";
  static constexpr const char* kPlacementKey = "ExplorerWnd";
  static constexpr int kPlacementSize = 44;
  static constexpr int kTimerMs = 1000;

  // The result value before the window opens.
  static constexpr int32_t kNotOpened = -1;

  ExplorerModel(api::Library& lib, const ZBPROPOS_L& request,
                ExplorerDialogs& dialogs);
  ExplorerModel(const ExplorerModel&) = delete;
  ExplorerModel& operator=(const ExplorerModel&) = delete;

  // Opening: the data folder (the catalogue rebuilt first when the library
  // asks for it), the request's strings trimmed, the program filter, both
  // lists with the requested project and position, preview and counters.
  // position_list_width: the client width of the position list.
  void OnInit(int position_list_width);

  // A command of the menu, the toolbar or a key.
  void OnCommand(int id);
  // "OK", Enter or a double click in a list.
  void OnOk();
  void OnCancel();
  // The one-second timer: selection changes take effect here.
  void OnTimer();

  // The view reports which list has the input focus.
  void SetFocus(ExplorerFocus focus) { focus_ = focus; }
  // The view has changed a list's selection in its ListState.
  void OnProjectSelectionChanged();
  void OnPositionSelectionChanged();
  // The label edit of the selected project ended with `name`.
  void OnProjectLabelEdited(const std::string& name);
  // A folder picked in the data-folder box.
  void OnDataFolderPicked(const std::string& folder);
  void OnColumnClick(ExplorerFocus list, int column);

  // The window placement record as stored, empty when there is none.
  std::vector<uint8_t> ReadPlacement();
  void WritePlacement(const std::vector<uint8_t>& placement);

  const DialogState& state() const { return state_; }
  // The window has moved the focus where state() asked.
  void FocusTaken() { state_.focus = 0; }
  ProjectListModel& projects() { return projects_; }
  const ProjectListModel& projects() const { return projects_; }
  PositionListModel& positions() { return positions_; }
  const PositionListModel& positions() const { return positions_; }
  // Change each time a list is filled or sorted anew, so the view mirrors.
  int project_revision() const { return project_revision_; }
  int position_revision() const { return position_revision_; }
  const std::vector<std::string>& folder_choices() const { return folders_; }
  const projectstore::PreviewPicture& preview() const { return preview_; }
  bool preview_shown() const { return preview_shown_; }
  ExplorerFocus focus() const { return focus_; }
  // The list whose selected row the view should open for label editing
  // (kNone: none); the view clears it when it has started the edit.
  ExplorerFocus label_edit() const { return label_edit_; }
  void LabelEditStarted() { label_edit_ = ExplorerFocus::kNone; }
  const std::string& program_filter() const { return filter_; }
  // The menu items shown checked.
  bool checked(int command) const;

  bool ended() const { return ended_; }
  bool accepted() const { return accepted_; }
  int32_t result() const { return result_; }
  const ZBPROPOS_L& request() const { return request_; }

 private:
  // The request naming the selected project (and its author).
  ZBPROPOS_L ProjectRequest() const;
  // The request naming one position of the shown project.
  ZBPROPOS_L PositionRequest(const api::PositionListEntry& entry) const;
  std::vector<const api::PositionListEntry*> SelectedPositions() const;
  std::vector<const ProjectEntry*> SelectedProjects() const;
  bool SelectedIsManaged() const;

  void SetDataFolder(const std::string& folder);
  void ShowProjects(const std::string& select);
  void ShowPositions();
  void UpdateCounters();
  void DrawPreview();
  void TakePositionFields();
  void WriteSettings();
  void End(bool accepted);

  // Commands.
  void ChooseDataFolder();
  void NewProject();
  void NewPosition();
  void Mail(uint32_t flags);
  void CopyOrMoveProject(bool move);
  void DeleteProjects();
  void ProtectProject(bool on);
  void PrintProjectList();
  void PrintPositionList(bool printed_only);
  void ShowProjectProperties();
  void OpenPosition();
  void CopyOrMovePositions(bool move);
  void DeletePositions();
  void RenamePosition();
  void SelectAll(bool invert);
  void ProtectPositions(bool on);
  void LaunchForSelected(int mode);
  void ShowPositionProperties();
  void ToggleFilter();
  void ChooseFilter();
  void SetViewMode(const char* name);
  void SetSortMode(int command);
  void FolderSettings();
  void DeleteTemporaryFiles();
  void RepairProject();
  void ExportPosition();
  void ImportPosition();
  void ReadCatalogue();
  void BackupProject();
  void ConfigureColumns();
  void ShowInfo();
  void Cleanup();
  void ShowHelp();
  void Tell(const std::string& text);
  bool Confirm(const std::string& text);

  api::Library& lib_;
  ExplorerDialogs& dialogs_;
  ZBPROPOS_L request_;
  std::string caller_key_;
  std::string filter_;
  ProjectListModel projects_;
  PositionListModel positions_;
  DialogState state_;
  std::vector<std::string> folders_;
  projectstore::PreviewPicture preview_;
  std::map<int, bool> checked_;
  ExplorerFocus focus_ = ExplorerFocus::kNone;
  ExplorerFocus label_edit_ = ExplorerFocus::kNone;
  int project_revision_ = 0;
  int position_revision_ = 0;
  int project_changes_ = 0;
  int position_changes_ = 0;
  bool preview_shown_ = true;
  int32_t result_ = kNotOpened;
  bool ended_ = false;
  bool accepted_ = false;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_EXPLORER_H_
