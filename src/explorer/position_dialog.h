// The position dialog "Position" in its open and save modes, toolkit-free:
// the list of the current project's positions, the name and designation
// fields, project and data folder choosers, the information area and the
// action that runs the caller's transfer. The window forwards events and
// mirrors state() and list().
#ifndef ZBDB_EXPLORER_POSITION_DIALOG_H_
#define ZBDB_EXPLORER_POSITION_DIALOG_H_

#include <string>
#include <vector>

#include "environment/ui.h"
#include "explorer/dialog_state.h"
#include "explorer/position_list.h"
#include "explorer/win32/position_dialog_ids.h"
#include "projectstore/previews.h"
#include "zbdb900_types.h"

namespace zb::explorer {

class PositionDialogModel {
 public:
  static constexpr const char* kOpenCaption = "Position öffnen";
  static constexpr const char* kSaveCaption = "Position speichern unter";
  static constexpr const char* kEmptyLabel =
      "Im aktuellen Projekt gibt es keine Positionen";
  static constexpr int kTimerMs = 250;

  PositionDialogModel(api::Library& lib, environment::PositionDialogMode mode,
                      const ZBPROPOS_L& request,
                      environment::PositionTransfer transfer);
  PositionDialogModel(const PositionDialogModel&) = delete;
  PositionDialogModel& operator=(const PositionDialogModel&) = delete;

  // list_width: the client width of the list control (its first widths).
  void OnInit(int list_width);
  void OnAction();
  // Enter; name_has_focus: the input focus is in the position name field.
  void OnEnter(bool name_has_focus);
  void OnCancel();
  void OnChooseProject();
  void OnChooseFolder();
  void OnFolderSelected(const std::string& folder);
  void OnPermanentClicked();
  void OnInfoMode(int id);  // IDC_POS_TEXT or IDC_POS_PREVIEW
  void OnNameChanged(const std::string& text);
  void OnNameFocusGained();
  void OnNameFocusLost();
  void OnDesignationChanged(const std::string& text);
  void OnSelectionChanged(int row);  // picked up by the timer
  void OnDoubleClick(int row);
  void OnColumnClick(int column);
  void OnMenu(int id);  // view, sort, rename, delete commands
  // The view or sort command `id` names the list's current mode.
  bool checked(int id) const;
  // The in-place label edit of the selected row ended with new_name.
  void OnRename(const std::string& new_name);
  void OnDelete();
  void OnTimer();

  const DialogState& state() const { return state_; }
  // The window has moved the focus where state() asked.
  void FocusTaken() { state_.focus = 0; }
  PositionListModel& list() { return list_; }
  const PositionListModel& list() const { return list_; }
  // Changes each time the rows are refilled, so the window re-mirrors.
  int list_revision() const { return list_revision_; }
  const std::vector<std::string>& folder_choices() const { return folders_; }
  // The picture of the information area when "Vorschau" is chosen.
  const projectstore::PreviewPicture& preview() const { return preview_; }
  bool show_preview() const { return show_preview_; }

  bool ended() const { return ended_; }
  bool accepted() const { return accepted_; }
  const ZBPROPOS_L& request() const { return request_; }
  const environment::PositionTransferResult& result() const { return result_; }

 private:
  bool open_mode() const {
    return mode_ == environment::PositionDialogMode::kOpen;
  }
  const char* caption() const {
    return open_mode() ? kOpenCaption : kSaveCaption;
  }
  void ShowList();
  void SelectRow(int row);
  void ApplyControlFlags();
  void RefreshInfo();
  void OpenAction();
  void SaveAction();
  // The copy into the working file, then the rescue of autosave copies.
  void Transfer();
  // The message on a write-protected project folder or project file.
  void WarnIfWriteProtected();
  static const char* SortModeOf(int id);
  // The request naming the position of `entry` in the dialog's project.
  ZBPROPOS_L RequestOf(const api::PositionListEntry& entry) const;
  void End(bool ok);

  api::Library& lib_;
  environment::PositionDialogMode mode_;
  ZBPROPOS_L request_;
  std::string first_project_;
  std::string warned_project_;
  environment::PositionTransfer transfer_;
  PositionListModel list_;
  DialogState state_;
  std::vector<std::string> folders_;
  projectstore::PreviewPicture preview_;
  environment::PositionTransferResult result_;
  std::string name_;
  std::string designation_;
  int list_revision_ = 0;
  bool pending_ = false;
  bool show_preview_ = false;
  bool ended_ = false;
  bool accepted_ = false;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_POSITION_DIALOG_H_
