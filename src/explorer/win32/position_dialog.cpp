#include "explorer/win32/position_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "api/open_save.h"
#include "explorer/win32/position_dialog_ids.h"
#include "explorer/win32/preview_window.h"

namespace zb::explorer::win32 {

namespace {

const UINT kPositionTimerMs = PositionDialogModel::kTimerMs;

}  // namespace

PositionDialog::~PositionDialog() {
  for (HIMAGELIST images : {large_, small_})
    if (images) ImageList_Destroy(images);
  if (menu_) DestroyMenu(menu_);
}

void PositionDialog::TakeColumnWidths() {
  ListView(Item(IDC_POS_LIST).handle())
      .TakeColumnWidths(&model_.list().state());
}

void PositionDialog::ContextMenu(POINT at) {
  if (!menu_) menu_ = LoadMenuA(ResourceModule(), MAKEINTRESOURCEA(IDR_POSITION_MENU));
  HMENU popup = menu_ ? GetSubMenu(menu_, 0) : nullptr;
  if (!popup) return;
  for (int id : {IDM_POS_VIEW_FIRST, IDM_POS_VIEW_FIRST + 1,
                 IDM_POS_VIEW_FIRST + 2, IDM_POS_VIEW_FIRST + 3,
                 IDM_POS_SORT_NAME_UP, IDM_POS_SORT_NAME_DOWN,
                 IDM_POS_SORT_DATE_UP, IDM_POS_SORT_DATE_DOWN})
    CheckMenuItem(popup, id,
                  MF_BYCOMMAND | (model_.checked(id) ? MF_CHECKED : MF_UNCHECKED));
  const UINT on_row = model_.list().Selected() ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(popup, IDM_POS_RENAME, MF_BYCOMMAND | on_row);
  EnableMenuItem(popup, IDM_POS_DELETE, MF_BYCOMMAND | on_row);
  const int command = PickFromMenu(popup, at, handle());
  if (command == 0) return;
  model_.OnMenu(command);
  Update();
}

bool PositionDialog::Run(HWND parent) {
  return RunModal(IDD_POSITION, parent) == IDOK;
}

bool PositionDialog::OnInit() {
  // While the dialog is shown, the copy's progress goes to it.
  previous_progress_ = *progress_window_;
  *progress_window_ = reinterpret_cast<uintptr_t>(handle());
  ListView list(Item(IDC_POS_LIST).handle());
  ListView_SetExtendedListViewStyle(list.handle(),
                                    LVS_EX_FULLROWSELECT);
  const std::vector<std::string> icons = model_.list().IconFiles();
  large_ = ProgramIconList(icons, 32, kOverlayLockedByOther);
  small_ = ProgramIconList(icons, 16, kOverlayLockedByOther);
  list.SetImageLists(large_, small_);
  RECT client = {};
  GetClientRect(list.handle(), &client);
  SendMessageA(Item(IDC_POS_PROGRESS).handle(), PBM_SETSTEP, 10, 0);
  model_.OnInit(client.right - client.left);
  const bool focus_set = model_.state().focus != 0;
  Update();
  SetTimer(handle(), IDT_POS_REFRESH, kPositionTimerMs, nullptr);
  return !focus_set;
}

void PositionDialog::Update() {
  mirroring_ = true;
  ComboBox folders(Item(IDC_POS_FOLDER).handle());
  if (mirrored_revision_ != model_.list_revision()) {
    ListView(Item(IDC_POS_LIST).handle()).Mirror(model_.list().state());
    mirrored_revision_ = model_.list_revision();
    folders.Reset();
    const std::string& current = model_.state().text(IDC_POS_FOLDER);
    bool listed = false;
    for (const std::string& folder : model_.folder_choices()) {
      folders.Add(folder);
      listed = listed || folder == current;
    }
    if (!listed && !current.empty()) folders.Add(current);
    SendMessageA(folders.handle(), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(current.c_str()));
  } else {
    ListView(Item(IDC_POS_LIST).handle()).MirrorSelection(model_.list().state());
  }
  Mirror(model_.state());
  model_.FocusTaken();
  InvalidateRect(Item(IDC_POS_INFO).handle(), nullptr, TRUE);
  mirroring_ = false;
  if (model_.ended()) {
    KillTimer(handle(), IDT_POS_REFRESH);
    *progress_window_ = previous_progress_;
    End(model_.accepted() ? IDOK : IDCANCEL);
  }
}

bool PositionDialog::OnCommand(int id, int code) {
  if (mirroring_) return id != IDOK && id != IDCANCEL;
  TakeColumnWidths();
  switch (id) {
    case IDC_POS_NAME:
      if (code == EN_CHANGE) model_.OnNameChanged(Item(id).Text());
      else if (code == EN_SETFOCUS) model_.OnNameFocusGained();
      else if (code == EN_KILLFOCUS) model_.OnNameFocusLost();
      else return true;
      break;
    case IDC_POS_DESIGNATION:
      if (code != EN_CHANGE) return true;
      model_.OnDesignationChanged(Item(id).Text());
      break;
    case IDC_POS_FOLDER: {
      if (code != CBN_SELENDOK) return true;
      ComboBox folders(Item(id).handle());
      model_.OnFolderSelected(folders.ItemText(folders.Selection()));
      break;
    }
    case IDC_POS_ACTION: model_.OnAction(); break;
    case IDC_POS_CHOOSE_PROJECT: model_.OnChooseProject(); break;
    case IDC_POS_CHOOSE_FOLDER: model_.OnChooseFolder(); break;
    case IDC_POS_PERMANENT: model_.OnPermanentClicked(); break;
    case IDC_POS_TEXT:
    case IDC_POS_PREVIEW: model_.OnInfoMode(id); break;
    default:
      if (code != BN_CLICKED && code != 0) return false;
      if (id == IDOK || id == IDCANCEL) return false;
      model_.OnMenu(id);
      break;
  }
  Update();
  return true;
}

bool PositionDialog::OnNotify(int id, NMHDR* header, LRESULT* result) {
  if (id != IDC_POS_LIST || mirroring_) return false;
  *result = 0;
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      const NMLISTVIEW* change = reinterpret_cast<NMLISTVIEW*>(header);
      if ((change->uNewState & LVIS_SELECTED) &&
          !(change->uOldState & LVIS_SELECTED))
        model_.OnSelectionChanged(change->iItem);
      return true;  // the timer picks the change up
    }
    case NM_DBLCLK:
      TakeColumnWidths();
      model_.OnDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
      break;
    case NM_RCLICK: {
      POINT at;
      GetCursorPos(&at);
      ContextMenu(at);
      return true;
    }
    case LVN_COLUMNCLICK:
      model_.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      break;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey != VK_DELETE)
        return true;
      model_.OnMenu(IDM_POS_DELETE);
      break;
    case LVN_ENDLABELEDITA: {
      const NMLVDISPINFOA* edit = reinterpret_cast<NMLVDISPINFOA*>(header);
      if (!edit->item.pszText) return true;
      model_.OnRename(edit->item.pszText);
      break;
    }
    default:
      return false;
  }
  Update();
  return true;
}

void PositionDialog::OnTimer(UINT_PTR timer) {
  if (timer != IDT_POS_REFRESH) return;
  model_.OnTimer();
  Update();
}

void PositionDialog::OnOK() {
  TakeColumnWidths();
  model_.OnEnter(FocusedId() == IDC_POS_NAME);
  Update();
}

void PositionDialog::OnCancel() {
  TakeColumnWidths();
  model_.OnCancel();
  Update();
}

bool PositionDialog::OnMessage(UINT message, WPARAM w, LPARAM l,
                               LRESULT* result) {
  if (message == api::kProgressMessage) {
    SendMessageA(Item(IDC_POS_PROGRESS).handle(), PBM_STEPIT, 0, 0);
    *result = 0;
    return true;
  }
  if (message == WM_CONTEXTMENU &&
      reinterpret_cast<HWND>(w) == Item(IDC_POS_LIST).handle()) {
    // Shift+F10 and the menu key give (-1, -1): open it at the focused row.
    POINT at = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    if (at.x == -1 && at.y == -1) {
      RECT row = {};
      ListView list(Item(IDC_POS_LIST).handle());
      ListView_GetItemRect(list.handle(), std::max(list.FocusedRow(), 0), &row,
                           LVIR_LABEL);
      at = {row.left, row.bottom};
      ClientToScreen(list.handle(), &at);
    }
    ContextMenu(at);
    *result = 0;
    return true;
  }
  if (message == WM_DRAWITEM && w == IDC_POS_INFO) {
    DrawInfo(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
    *result = TRUE;
    return true;
  }
  return false;
}

void PositionDialog::DrawInfo(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  InflateRect(&r, -3, -3);
  if (model_.show_preview()) {
    DrawPreviewPicture(dc, r, model_.preview().state, model_.preview().metafile);
    return;
  }
  const std::string& text = model_.state().text(IDC_POS_INFO);
  HGDIOBJ old = SelectObject(
      dc, reinterpret_cast<HGDIOBJ>(SendMessageA(handle(), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK);
  SelectObject(dc, old);
}

bool PositionPropertiesDialog::Run(HWND parent) {
  return RunModal(IDD_POSITION_PROPERTIES, parent) == IDOK;
}

PositionPropertiesDialog::~PositionPropertiesDialog() {
  if (lock_) DeleteObject(lock_);
}

bool PositionPropertiesDialog::OnInit() {
  // The bitmap's grey becomes the dialog's face colour.
  lock_ = static_cast<HBITMAP>(LoadImageA(ResourceModule(),
                                          MAKEINTRESOURCEA(IDB_POSITION_LOCK),
                                          IMAGE_BITMAP, 0, 0,
                                          LR_LOADMAP3DCOLORS));
  model_.OnInit();
  Edit(Item(IDC_PROP_NAME).handle()).SetLimit(40);
  Edit(Item(IDC_PROP_DESIGNATION).handle()).SetLimit(40);
  Edit(Item(IDC_PROP_DESCRIPTION).handle()).SetLimit(78);
  Mirror(model_.state());
  model_.FocusTaken();
  return false;  // the focus is in the name field
}

bool PositionPropertiesDialog::OnCommand(int id, int code) {
  if (id == IDC_PROP_OK && code == BN_CLICKED) {
    OnOK();
    return true;
  }
  return false;
}

void PositionPropertiesDialog::OnOK() {
  for (int id : {IDC_PROP_NAME, IDC_PROP_DESIGNATION, IDC_PROP_DESCRIPTION,
                 IDC_PROP_START_PAGE, IDC_PROP_PAGE_COUNT, IDC_PROP_NEXT_PAGE})
    model_.OnText(id, Item(id).Text());
  if (model_.OnOk()) {
    End(IDOK);
    return;
  }
  Mirror(model_.state());
  model_.FocusTaken();
}

bool PositionPropertiesDialog::OnMessage(UINT message, WPARAM w, LPARAM l,
                                         LRESULT* result) {
  if (message != WM_DRAWITEM || w != IDC_PROP_LOCK) return false;
  const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
  FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
  BITMAP size = {};
  if (lock_ && GetObjectA(lock_, sizeof size, &size)) {
    HDC memory = CreateCompatibleDC(item->hDC);
    HGDIOBJ old = SelectObject(memory, lock_);
    const RECT& r = item->rcItem;
    BitBlt(item->hDC, r.left + (r.right - r.left - size.bmWidth) / 2,
           r.top + (r.bottom - r.top - size.bmHeight) / 2, size.bmWidth,
           size.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  *result = TRUE;
  return true;
}

bool PositionNameDialog::Run(HWND parent) {
  return RunModal(IDD_POSITION_NAME, parent) == IDOK;
}

bool PositionNameDialog::OnInit() {
  Edit(Item(IDC_NAME_EDIT).handle()).SetLimit(41);
  Mirror(model_.state());
  return model_.state().focus == 0;
}

void PositionNameDialog::OnOK() {
  model_.OnText(Item(IDC_NAME_EDIT).Text());
  End(IDOK);
}

}  // namespace zb::explorer::win32
