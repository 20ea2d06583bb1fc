#include "explorer/win32/dialog.h"

#include <commctrl.h>

namespace zb::explorer::win32 {

HINSTANCE ResourceModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ResourceModule), &module);
  return module;
}

namespace {
void InitControls() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX controls = {sizeof controls,
                                   ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                       ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  done = true;
}
}  // namespace

Dialog::~Dialog() {
  if (window_ && !modal_) DestroyWindow(window_);
}

INT_PTR Dialog::RunModal(int template_id, HWND parent) {
  InitControls();
  modal_ = true;
  ended_ = false;
  const INT_PTR result = DialogBoxParamA(
      ResourceModule(), MAKEINTRESOURCEA(template_id), parent,
      &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  // A WM_QUIT of the host program ends the modal loop before the user has
  // answered (often before the window is even shown); the system then
  // returns the dialog's default result, IDOK, which must not count as the
  // user's confirmation.
  if (result != -1 && !ended_) return IDCANCEL;
  return result;
}

bool Dialog::Create(int template_id, HWND parent) {
  InitControls();
  modal_ = false;
  return CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(template_id),
                            parent, &Dialog::Procedure,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::End(INT_PTR result) {
  ended_ = true;
  if (modal_)
    EndDialog(window_, result);
  else
    DestroyWindow(window_);
}

void Dialog::Mirror(const DialogState& state) const {
  if (!state.title.empty()) {
    char title[256] = {};
    GetWindowTextA(window_, title, sizeof title);
    if (state.title != title) SetWindowTextA(window_, state.title.c_str());
  }
  for (const auto& [id, control] : state.controls()) {
    const Window item = Item(id);
    if (!item) continue;
    char kind[16] = {};
    GetClassNameA(item.handle(), kind, sizeof kind);
    const bool button = lstrcmpiA(kind, "Button") == 0;
    // A button keeps its caption from the template unless the model
    // gives it one; fields and labels show what the model holds.
    if ((!button || !control.text.empty()) && item.Text() != control.text)
      item.SetText(control.text);
    item.Enable(control.enabled);
    item.Show(control.visible);
    const LONG_PTR style = GetWindowLongPtrA(item.handle(), GWL_STYLE) & 0xF;
    if (button && (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX ||
                   style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON))
      Button(item.handle()).SetChecked(control.checked);
  }
  if (state.focus != 0 && FocusedId() != state.focus) {
    const Window focus = Item(state.focus);
    if (focus) focus.Focus();
  }
}

void Dialog::WidenForTitle() const {
  const std::string title = Window(window_).Text();
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return;
  HDC dc = GetDC(window_);
  HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE text = {};
  GetTextExtentPoint32A(dc, title.c_str(), static_cast<int>(title.size()), &text);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(window_, dc);
  // The icon, the close button and the frame beside the text.
  const int needed = text.cx + 3 * GetSystemMetrics(SM_CXSIZE) +
                     4 * GetSystemMetrics(SM_CXFRAME) + 16;
  RECT r = {};
  GetWindowRect(window_, &r);
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int width = r.right - r.left;
  const int wanted = needed < work.right - work.left ? needed : work.right - work.left;
  if (wanted <= width) return;
  int left = r.left - (wanted - width) / 2;
  if (left < work.left) left = work.left;
  SetWindowPos(window_, nullptr, left, r.top, wanted, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

int Dialog::FocusedId() const {
  HWND focus = GetFocus();
  if (!focus || GetParent(focus) != window_) return 0;
  return GetDlgCtrlID(focus);
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM w,
                                   LPARAM l) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(l);
    SetWindowLongPtrA(window, DWLP_USER, l);
    self->window_ = window;
  }
  auto* self =
      reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) return FALSE;
  const INT_PTR handled = self->Dispatch(message, w, l);
  if (message == WM_NCDESTROY) self->window_ = nullptr;
  return handled;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(w);
      const int code = HIWORD(w);
      if (OnCommand(id, code)) return TRUE;
      if (code == BN_CLICKED || code == 0) {
        if (id == IDOK) {
          OnOK();
          return TRUE;
        }
        if (id == IDCANCEL) {
          OnCancel();
          return TRUE;
        }
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(l);
      LRESULT result = 0;
      if (!OnNotify(static_cast<int>(header->idFrom), header, &result))
        return FALSE;
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_TIMER:
      OnTimer(w);
      return TRUE;
    default: {
      LRESULT result = 0;
      if (!OnMessage(message, w, l, &result)) return FALSE;
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
}

}  // namespace zb::explorer::win32
