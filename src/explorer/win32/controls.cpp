#include "explorer/win32/controls.h"

#include <shellapi.h>

#include "explorer/win32/dialog.h"
#include "explorer/win32/position_dialog_ids.h"

namespace zb::explorer::win32 {

std::string Window::Text() const {
  const int length = GetWindowTextLengthA(window_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(window_, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

std::string ComboBox::ItemText(int index) const {
  const LRESULT length = SendMessageA(handle(), CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return "";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(handle(), CB_GETLBTEXT, index,
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

namespace {
DWORD StyleOf(ViewMode mode) {
  switch (mode) {
    case ViewMode::kIcon: return LVS_ICON;
    case ViewMode::kSmallIcon: return LVS_SMALLICON;
    case ViewMode::kReport: return LVS_REPORT;
    case ViewMode::kList: break;
  }
  return LVS_LIST;
}
}  // namespace

void ListView::Mirror(const ListState& state) const {
  const HWND list = handle();
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  const LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
  SetWindowLongPtrA(list, GWL_STYLE,
                    (style & ~LVS_TYPEMASK) | StyleOf(state.view));
  ListView_DeleteAllItems(list);
  while (ListView_DeleteColumn(list, 0)) {
  }
  for (size_t c = 0; c < state.columns.size(); ++c) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = state.columns[c].width;
    column.pszText = const_cast<char*>(state.columns[c].caption.c_str());
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  ListView_SetItemCount(list, static_cast<int>(state.rows.size()));
  for (size_t r = 0; r < state.rows.size(); ++r) {
    const ListRow& row = state.rows[r];
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM;
    item.iItem = static_cast<int>(r);
    item.iImage = row.icon;
    item.lParam = static_cast<LPARAM>(row.item);
    item.state = INDEXTOOVERLAYMASK(row.overlay) |
                 (row.selected ? LVIS_SELECTED : 0) |
                 (row.focused ? LVIS_FOCUSED : 0);
    item.stateMask = LVIS_OVERLAYMASK | LVIS_SELECTED | LVIS_FOCUSED;
    item.pszText = const_cast<char*>(
        row.cells.empty() ? "" : row.cells[0].c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (size_t c = 1; c < row.cells.size(); ++c) {
      LVITEMA cell = {};
      cell.iSubItem = static_cast<int>(c);
      cell.pszText = const_cast<char*>(row.cells[c].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&cell));
    }
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  const int focused = state.FirstSelected();
  if (focused >= 0) ListView_EnsureVisible(list, focused, FALSE);
  InvalidateRect(list, nullptr, TRUE);
}

HIMAGELIST ShellIconList(int shell_index, int size, int copies) {
  HICON large = nullptr, small = nullptr;
  ExtractIconExA("shell32.dll", shell_index, &large, &small, 1);
  HIMAGELIST images =
      ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, copies, 4);
  HICON icon = size > 16 ? large : small;
  if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  for (int c = 0; c < copies; ++c) ImageList_AddIcon(images, icon);
  for (HICON made : {large, small})
    if (made) DestroyIcon(made);
  return images;
}

int PickFromMenu(HMENU popup, POINT at, HWND owner) {
  return TrackPopupMenu(popup,
                        TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, at.x,
                        at.y, 0, owner, nullptr);
}

namespace {

// The padlock in the lower left of a size x size picture on `mask`.
HBITMAP PadlockOverlay(int size, COLORREF mask) {
  HBITMAP padlock = static_cast<HBITMAP>(LoadImageA(
      ResourceModule(), MAKEINTRESOURCEA(IDB_POSITION_LOCK), IMAGE_BITMAP, 0,
      0, 0));
  if (!padlock) return nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, size, size);
  HDC to = CreateCompatibleDC(screen), from = CreateCompatibleDC(screen);
  HGDIOBJ old_to = SelectObject(to, picture);
  HGDIOBJ old_from = SelectObject(from, padlock);
  RECT all = {0, 0, size, size};
  HBRUSH background = CreateSolidBrush(mask);
  FillRect(to, &all, background);
  DeleteObject(background);
  const int side = size * 5 / 8;
  StretchBlt(to, 0, size - side, side, side, from, 0, 0, 16, 16, SRCCOPY);
  SelectObject(from, old_from);
  SelectObject(to, old_to);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  DeleteObject(padlock);
  return picture;
}

}  // namespace

HIMAGELIST ProgramIconList(const std::vector<std::string>& icon_files, int size,
                           int lock_overlay) {
  HIMAGELIST images = ImageList_Create(
      size, size, ILC_COLOR32 | ILC_MASK,
      static_cast<int>(icon_files.size()) + 1, 4);
  HICON large = nullptr, small = nullptr;
  ExtractIconExA("shell32.dll", 0, &large, &small, 1);
  HICON document = size > 16 ? large : small;
  for (const std::string& file : icon_files) {
    HICON icon = file.empty() ? nullptr
                              : static_cast<HICON>(LoadImageA(
                                    nullptr, file.c_str(), IMAGE_ICON, size,
                                    size, LR_LOADFROMFILE));
    ImageList_AddIcon(images, icon ? icon : document);
    if (icon) DestroyIcon(icon);
  }
  for (HICON made : {large, small})
    if (made) DestroyIcon(made);
  // The bitmap's face grey is the mask: only the padlock is drawn.
  const COLORREF mask = RGB(192, 192, 192);
  if (lock_overlay > 0) {
    if (HBITMAP overlay = PadlockOverlay(size, mask)) {
      const int index = ImageList_AddMasked(images, overlay, mask);
      if (index >= 0) ImageList_SetOverlayImage(images, index, lock_overlay);
      DeleteObject(overlay);
    }
  }
  return images;
}

void ListView::MirrorSelection(const ListState& state) const {
  for (size_t r = 0; r < state.rows.size(); ++r) {
    const UINT flags = (state.rows[r].selected ? LVIS_SELECTED : 0) |
                       (state.rows[r].focused ? LVIS_FOCUSED : 0);
    ListView_SetItemState(handle(), static_cast<int>(r), flags,
                          LVIS_SELECTED | LVIS_FOCUSED);
  }
}

void ListView::TakeColumnWidths(ListState* state) const {
  if ((GetWindowLongPtrA(handle(), GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT)
    return;
  for (size_t c = 0; c < state->columns.size(); ++c)
    state->columns[c].width = ColumnWidth(static_cast<int>(c));
}

std::vector<int> ListView::SelectedRows() const {
  std::vector<int> rows;
  for (int r = ListView_GetNextItem(handle(), -1, LVNI_SELECTED); r >= 0;
       r = ListView_GetNextItem(handle(), r, LVNI_SELECTED))
    rows.push_back(r);
  return rows;
}

}  // namespace zb::explorer::win32
