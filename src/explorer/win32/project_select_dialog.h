// The window of the project selection "Projekt" over its model.
#ifndef ZBDB_EXPLORER_WIN32_PROJECT_SELECT_DIALOG_H_
#define ZBDB_EXPLORER_WIN32_PROJECT_SELECT_DIALOG_H_

#include "explorer/project_select.h"
#include "explorer/win32/dialog.h"

namespace zb::explorer::win32 {

class ProjectSelectDialog final : public Dialog {
 public:
  explicit ProjectSelectDialog(ProjectSelectModel& model) : model_(model) {}
  ~ProjectSelectDialog() override;
  // True when "&Ok" took a project (model().request()).
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(int id, NMHDR* header, LRESULT* result) override;
  void OnOK() override;
  void OnCancel() override;
  void MirrorAll();

  ProjectSelectModel& model_;
  HIMAGELIST large_ = nullptr;
  HIMAGELIST small_ = nullptr;
  bool mirroring_ = false;
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_PROJECT_SELECT_DIALOG_H_
