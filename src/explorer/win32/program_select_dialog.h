// The window of the program selection "Z+B Programme" over its model.
#ifndef ZBDB_EXPLORER_WIN32_PROGRAM_SELECT_DIALOG_H_
#define ZBDB_EXPLORER_WIN32_PROGRAM_SELECT_DIALOG_H_

#include "explorer/program_select.h"
#include "explorer/win32/dialog.h"

namespace zb::explorer::win32 {

class ProgramSelectDialog final : public Dialog {
 public:
  explicit ProgramSelectDialog(ProgramSelectModel& model) : model_(model) {}
  ~ProgramSelectDialog() override;
  // True when OK took a program (model().key()).
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(int id, NMHDR* header, LRESULT* result) override;
  void OnOK() override;
  void OnCancel() override;
  void MirrorAll();
  void MakeImageLists();

  ProgramSelectModel& model_;
  HIMAGELIST large_ = nullptr;
  HIMAGELIST small_ = nullptr;
  HIMAGELIST groups_small_ = nullptr;
  bool mirroring_ = false;
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_PROGRAM_SELECT_DIALOG_H_
