// Thin wrappers over a dialog's controls: a window handle and the few
// messages the library's dialogs send. They own nothing; the dialog
// window owns its controls.
#ifndef ZBDB_EXPLORER_WIN32_CONTROLS_H_
#define ZBDB_EXPLORER_WIN32_CONTROLS_H_

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "explorer/list_state.h"

namespace zb::explorer::win32 {

class Window {
 public:
  explicit Window(HWND window = nullptr) : window_(window) {}
  HWND handle() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }

  void SetText(const std::string& text) const {
    SetWindowTextA(window_, text.c_str());
  }
  std::string Text() const;
  void Enable(bool enabled) const { EnableWindow(window_, enabled); }
  void Show(bool visible) const {
    ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
  }
  void Focus() const { SetFocus(window_); }

 private:
  HWND window_;
};

class Button : public Window {
 public:
  using Window::Window;
  bool checked() const {
    return SendMessageA(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetChecked(bool checked) const {
    SendMessageA(handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                 0);
  }
};

class Edit : public Window {
 public:
  using Window::Window;
  void SetLimit(int characters) const {
    SendMessageA(handle(), EM_LIMITTEXT, characters, 0);
  }
};

class ComboBox : public Window {
 public:
  using Window::Window;
  void Reset() const { SendMessageA(handle(), CB_RESETCONTENT, 0, 0); }
  void Add(const std::string& text) const {
    SendMessageA(handle(), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
  }
  int Selection() const {
    return static_cast<int>(SendMessageA(handle(), CB_GETCURSEL, 0, 0));
  }
  std::string ItemText(int index) const;
};

// An image list of `copies` times the shell's icon `shell_index` (3 a
// folder, 0 a document) in size x size pixels, for rows whose icon numbers
// have no pictures of their own; the caller destroys it.
HIMAGELIST ShellIconList(int shell_index, int size, int copies);

// The command the user picks from the popup menu at `at` (screen
// coordinates), 0 when none.
int PickFromMenu(HMENU popup, POINT at, HWND owner);

// An image list with one icon per program of the catalogue, in size x size
// pixels, from the programs' icon files (the shell's document icon where a
// file is missing). With lock_overlay > 0 the padlock (bitmap 26008) in the
// lower left corner becomes that overlay image, the mark of positions
// locked by another computer. The caller destroys the list.
HIMAGELIST ProgramIconList(const std::vector<std::string>& icon_files, int size,
                           int lock_overlay);

// A report-style list control mirroring a ListState.
class ListView : public Window {
 public:
  using Window::Window;
  // Columns, rows, selection and view mode as the state has them. Rows are
  // filled in one batch with redrawing off.
  void Mirror(const ListState& state) const;
  // Only the selection and focus of the rows.
  void MirrorSelection(const ListState& state) const;
  // The rows the user has selected, by index.
  std::vector<int> SelectedRows() const;
  int FocusedRow() const {
    return ListView_GetNextItem(handle(), -1, LVNI_FOCUSED);
  }
  int ColumnWidth(int column) const {
    return ListView_GetColumnWidth(handle(), column);
  }
  // The widths the user dragged in the detail view, into the state (other
  // views keep theirs), so the settings store what is shown.
  void TakeColumnWidths(ListState* state) const;
  void SetImageLists(HIMAGELIST large, HIMAGELIST small) const {
    ListView_SetImageList(handle(), large, LVSIL_NORMAL);
    ListView_SetImageList(handle(), small, LVSIL_SMALL);
  }
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_CONTROLS_H_
