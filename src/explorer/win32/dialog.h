// The base of the library's dialogs: a window made from a dialog template
// of this module, whose procedure dispatches to OnInit, OnCommand,
// OnNotify, OnTimer, OnOK and OnCancel. A dialog class keeps its model,
// forwards the events to it and mirrors the model's state with Mirror.
#ifndef ZBDB_EXPLORER_WIN32_DIALOG_H_
#define ZBDB_EXPLORER_WIN32_DIALOG_H_

#include <windows.h>

#include "explorer/dialog_state.h"
#include "explorer/win32/controls.h"

namespace zb::explorer::win32 {

// The module whose resources hold the templates: the DLL, or the test
// program the views are linked into.
HINSTANCE ResourceModule();

class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Shows the dialog modally over `parent`; the value End gave (IDOK,
  // IDCANCEL, ...), IDCANCEL when the modal loop ended without End (the
  // program is quitting), or -1 when the window could not be made.
  INT_PTR RunModal(int template_id, HWND parent);
  // Makes the dialog modeless as a child or owned window of `parent`.
  bool Create(int template_id, HWND parent);

  HWND handle() const { return window_; }
  Window Item(int id) const { return Window(GetDlgItem(window_, id)); }

 protected:
  // Return false from OnInit when it has set the focus itself.
  virtual bool OnInit() { return true; }
  // True when the command was handled.
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  // A notification of a control; true when handled (*result then set).
  virtual bool OnNotify(int /*id*/, NMHDR* /*header*/, LRESULT* /*result*/) {
    return false;
  }
  virtual void OnTimer(UINT_PTR /*timer*/) {}
  virtual void OnOK() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }
  // Every other message; true when handled.
  virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT*) {
    return false;
  }

  void End(INT_PTR result);
  // Title, texts, enabled, visible, checked and focus of the controls the
  // state names. Texts are set only where they differ, so a field being
  // typed in keeps its caret; a button with no text in the state keeps
  // its caption.
  void Mirror(const DialogState& state) const;
  // Widens the window (about its centre, at most to the screen's work
  // area) until its title fits the caption bar, for titles that carry a
  // folder path.
  void WidenForTitle() const;
  // The focused control's id, 0 when the focus is elsewhere.
  int FocusedId() const;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM w,
                                    LPARAM l);
  INT_PTR Dispatch(UINT message, WPARAM w, LPARAM l);

  HWND window_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_DIALOG_H_
