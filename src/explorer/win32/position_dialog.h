// The windows of the position dialog "Position", the position properties
// dialog and the position name dialog, each over its model.
#ifndef ZBDB_EXPLORER_WIN32_POSITION_DIALOG_H_
#define ZBDB_EXPLORER_WIN32_POSITION_DIALOG_H_

#include "explorer/position_dialog.h"
#include "explorer/position_properties.h"
#include "explorer/win32/dialog.h"

namespace zb::explorer::win32 {

class PositionDialog final : public Dialog {
 public:
  explicit PositionDialog(PositionDialogModel& model, uintptr_t* progress)
      : model_(model), progress_window_(progress) {}
  ~PositionDialog() override;
  // True when the dialog ended with OK.
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(int id, NMHDR* header, LRESULT* result) override;
  void OnTimer(UINT_PTR timer) override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
  // The model's state into the controls; the rows only when they changed.
  void Update();
  void DrawInfo(const DRAWITEMSTRUCT& item) const;
  // The dragged column widths into the model before it stores them.
  void TakeColumnWidths();
  // The list's context menu at `at` (screen), marks from the model.
  void ContextMenu(POINT at);

  PositionDialogModel& model_;
  uintptr_t* progress_window_;
  uintptr_t previous_progress_ = 0;
  int mirrored_revision_ = -1;
  bool mirroring_ = false;
  HIMAGELIST large_ = nullptr;
  HIMAGELIST small_ = nullptr;
  HMENU menu_ = nullptr;
};

class PositionPropertiesDialog final : public Dialog {
 public:
  explicit PositionPropertiesDialog(PositionPropertiesModel& model)
      : model_(model) {}
  ~PositionPropertiesDialog() override;
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
  void OnOK() override;

  PositionPropertiesModel& model_;
  HBITMAP lock_ = nullptr;  // bitmap 26008
};

class PositionNameDialog final : public Dialog {
 public:
  explicit PositionNameDialog(PositionNameModel& model) : model_(model) {}
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  void OnOK() override;

  PositionNameModel& model_;
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_POSITION_DIALOG_H_
