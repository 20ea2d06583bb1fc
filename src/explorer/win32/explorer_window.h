// The explorer window over its model: menu, toolbar, the project and
// position lists side by side, the preview below the projects, two
// splitters, counters and a progress bar. It forwards every event to the
// model and mirrors it; it also gives the model's own dialogs (mail,
// column choice, file choice, cleanup, help) their windows.
#ifndef ZBDB_EXPLORER_WIN32_EXPLORER_WINDOW_H_
#define ZBDB_EXPLORER_WIN32_EXPLORER_WINDOW_H_

#include <windows.h>

#include <cstdint>

#include "explorer/explorer.h"
#include "explorer/win32/dialog.h"

namespace zb::explorer::win32 {

class ExplorerDialogsWin32 final : public ExplorerDialogs {
 public:
  void set_owner(HWND owner) { owner_ = owner; }
  bool Mail(MailDialogModel& model) override;
  bool Columns(ColumnChoice* choice) override;
  bool ChooseFile(const std::string& title, const std::string& folder,
                  const std::string& pattern, std::string* path) override;
  bool Cleanup(CleanupChoice* choice) override;
  bool Help(const std::string& help_file) override;

 private:
  HWND owner_ = nullptr;
};

class ExplorerWindow final : public Dialog {
 public:
  ExplorerWindow(ExplorerModel& model, ExplorerDialogsWin32& dialogs,
                 uint32_t* dialog_parent)
      : model_(model), dialogs_(dialogs), dialog_parent_(dialog_parent) {}
  ~ExplorerWindow() override;
  // True when the window closed accepted.
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(int id, NMHDR* header, LRESULT* result) override;
  void OnTimer(UINT_PTR timer) override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

  void CreateToolbar();
  void CreateImageLists();
  void RememberLayout();
  void Layout(int client_width, int client_height);
  void Update();
  void ContextMenu(int submenu, POINT at);
  void Close();
  void TakeColumnWidths();
  // A splitter bar dragged by `delta` pixels along its axis.
  void MoveSplitter(int id, int delta);

  ExplorerModel& model_;
  ExplorerDialogsWin32& dialogs_;
  uint32_t* dialog_parent_;
  uint32_t previous_parent_ = 0;
  HWND toolbar_ = nullptr;
  HMENU menu_ = nullptr;
  HIMAGELIST images_[4] = {};  // projects large/small, positions large/small
  ExplorerLayout layout_;      // the controls at opening
  SIZE client_at_open_ = {};
  SIZE minimum_ = {};
  int project_revision_ = -1;
  int position_revision_ = -1;
  bool mirroring_ = false;
  bool closing_ = false;
  // A splitter being dragged: its id and the last mouse position.
  int dragging_ = 0;
  POINT drag_from_ = {};
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_EXPLORER_WINDOW_H_
