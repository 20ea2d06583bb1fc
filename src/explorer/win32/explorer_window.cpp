#include "explorer/win32/explorer_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "explorer/win32/explorer_ids.h"
#include "explorer/win32/mail_dialog.h"
#include "explorer/win32/preview_window.h"

namespace zb::explorer::win32 {

namespace {

constexpr int kMinimumSide = 10;  // each side of a splitter keeps this

// The controls the layout moves, in the order they are laid out.
constexpr int kLaidOut[] = {
    IDC_EX_FOLDER,       IDC_EX_CHOOSE_FOLDER,   IDC_EX_PROJECTS,
    IDC_EX_SPLIT_HORIZONTAL, IDC_EX_PREVIEW_FRAME, IDC_EX_PREVIEW,
    IDC_EX_SPLIT_VERTICAL,   IDC_EX_POSITIONS,     IDC_EX_PROJECT_COUNTER,
    IDC_EX_PROGRESS,     IDC_EX_POSITION_COUNTER};

// Toolbar buttons: command and image (standard images first, then the
// view images behind them); 0 is a separator.
struct ToolButton {
  int command;
  int image;
};
constexpr int kViewImages = STD_PRINT + 1;  // where the view images start
constexpr ToolButton kToolButtons[] = {
    {IDM_EX_VIEW_ICON, kViewImages + VIEW_LARGEICONS},
    {IDM_EX_VIEW_SMALLICON, kViewImages + VIEW_SMALLICONS},
    {IDM_EX_VIEW_LIST, kViewImages + VIEW_LIST},
    {IDM_EX_VIEW_REPORT, kViewImages + VIEW_DETAILS},
    {0, 0},
    {IDM_EX_PRINT_SELECTED, STD_PRINT},
    {IDM_EX_COPY, STD_COPY},
    {IDM_EX_DELETE, STD_DELETE},
    {0, 0},
    {IDM_EX_READ_CATALOGUE, STD_REDOW},
    {0, 0},
    {IDM_EX_FILTER, kViewImages + VIEW_SORTTYPE},
    {0, 0},
    {IDM_EX_INFO, STD_PROPERTIES},
};

ControlRect RectOf(HWND dialog, int id) {
  RECT r = {};
  HWND control = GetDlgItem(dialog, id);
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool Contains(const ControlRect& r, POINT p) {
  return p.x >= r.x && p.x < r.x + r.width && p.y >= r.y && p.y < r.y + r.height;
}

ExplorerFocus ListOf(int id) {
  if (id == IDC_EX_PROJECTS) return ExplorerFocus::kProjects;
  if (id == IDC_EX_POSITIONS) return ExplorerFocus::kPositions;
  return ExplorerFocus::kNone;
}

// The text of string `id` of the module: the part after "\n" is the tool
// tip, the part before it the status text.
std::string ToolTipOf(int id) {
  char text[256] = {};
  LoadStringA(ResourceModule(), static_cast<UINT>(id), text, sizeof text);
  const char* tip = std::strchr(text, '\n');
  return tip ? tip + 1 : text;
}

// ---- Column choice ----------------------------------------------------

class ColumnsDialog final : public Dialog {
 public:
  explicit ColumnsDialog(ColumnChoice& choice) : choice_(choice) {}
  bool Run(HWND parent) { return RunModal(IDD_EXPLORER_COLUMNS, parent) == IDOK; }

 private:
  bool OnInit() override {
    DialogState state;
    state.title = choice_.title;
    for (int i = 0; i < 10; ++i) {
      ControlState& box = state[IDC_COL_FIRST + i];
      const bool used = i < static_cast<int>(choice_.labels.size());
      box.visible = used;
      if (!used) continue;
      box.text = choice_.labels[i];
      box.checked = choice_.checked[i];
      box.enabled = choice_.enabled[i];
    }
    state[IDC_COL_WITH_TIME].visible = choice_.offers_time;
    state[IDC_COL_WITH_TIME].checked = choice_.with_time;
    state[IDC_COL_NOTE].text = choice_.note;
    Mirror(state);
    return true;
  }
  void OnOK() override {
    for (size_t i = 0; i < choice_.labels.size(); ++i)
      choice_.checked[i] =
          Button(Item(IDC_COL_FIRST + static_cast<int>(i)).handle()).checked();
    choice_.with_time = Button(Item(IDC_COL_WITH_TIME).handle()).checked();
    End(IDOK);
  }

  ColumnChoice& choice_;
};

}  // namespace

class CleanupDialog final : public Dialog {
 public:
  explicit CleanupDialog(CleanupChoice& choice) : choice_(choice) {}
  bool Run(HWND parent) { return RunModal(IDD_EXPLORER_CLEANUP, parent) == IDOK; }

 private:
  bool OnInit() override {
    DialogState state;
    state[IDC_CLEAN_SETTINGS].checked = choice_.settings;
    state[IDC_CLEAN_TEMPORARY].checked = choice_.temporary;
    state[IDC_CLEAN_LOG].checked = choice_.log;
    state[IDC_CLEAN_ALL].checked = choice_.all_programs;
    state[IDC_CLEAN_CURRENT].checked = !choice_.all_programs;
    state[IDC_CLEAN_CURRENT].text = "nur f\xFCr das Programm " + choice_.program;
    state[IDC_CLEAN_CURRENT].visible = !choice_.program.empty();
    Mirror(state);
    EnableProgramChoice();
    return true;
  }
  bool OnCommand(int id, int code) override {
    if (id != IDC_CLEAN_TEMPORARY || code != BN_CLICKED) return false;
    EnableProgramChoice();
    return true;
  }
  // The program choice belongs to the temporary files only.
  void EnableProgramChoice() {
    const bool on = Button(Item(IDC_CLEAN_TEMPORARY).handle()).checked();
    for (int id : {IDC_CLEAN_ALL, IDC_CLEAN_CURRENT})
      EnableWindow(Item(id).handle(), on);
  }
  void OnOK() override {
    choice_.settings = Button(Item(IDC_CLEAN_SETTINGS).handle()).checked();
    choice_.temporary = Button(Item(IDC_CLEAN_TEMPORARY).handle()).checked();
    choice_.log = Button(Item(IDC_CLEAN_LOG).handle()).checked();
    choice_.all_programs = !Button(Item(IDC_CLEAN_CURRENT).handle()).checked();
    End(IDOK);
  }

  CleanupChoice& choice_;
};

bool ExplorerDialogsWin32::Mail(MailDialogModel& model) {
  MailDialog dialog(model);
  return dialog.Run(owner_);
}

bool ExplorerDialogsWin32::Columns(ColumnChoice* choice) {
  ColumnsDialog dialog(*choice);
  return dialog.Run(owner_);
}

bool ExplorerDialogsWin32::Cleanup(CleanupChoice* choice) {
  CleanupDialog dialog(*choice);
  return dialog.Run(owner_);
}

bool ExplorerDialogsWin32::Help(const std::string& help_file) {
  // The shell opens the help file with the viewer the system has for it.
  const INT_PTR done = reinterpret_cast<INT_PTR>(
      ShellExecuteA(owner_, "open", help_file.c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL));
  return done > 32;
}

bool ExplorerDialogsWin32::ChooseFile(const std::string& title,
                                      const std::string& folder,
                                      const std::string& pattern,
                                      std::string* path) {
  char file[MAX_PATH] = {};
  // "Positionen (*.POS)\0*.POS\0"
  std::string filter = "Positionen (" + pattern + ")";
  filter.push_back('\0');
  filter += pattern;
  filter.push_back('\0');
  OPENFILENAMEA open = {};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner_;
  open.lpstrFilter = filter.c_str();
  open.lpstrFile = file;
  open.nMaxFile = sizeof file;
  open.lpstrInitialDir = folder.c_str();
  open.lpstrTitle = title.c_str();
  open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&open)) return false;
  *path = file;
  return true;
}

ExplorerWindow::~ExplorerWindow() {
  for (HIMAGELIST images : images_)
    if (images) ImageList_Destroy(images);
}

bool ExplorerWindow::Run(HWND parent) {
  return RunModal(IDD_EXPLORER, parent) == IDOK;
}

bool ExplorerWindow::OnInit() {
  previous_parent_ = *dialog_parent_;
  *dialog_parent_ = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle()));
  dialogs_.set_owner(handle());
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  // The template brings the menu, so the client area is sized with it.
  menu_ = GetMenu(handle());
  CreateToolbar();
  CreateImageLists();
  for (int id : {IDC_EX_PROJECTS, IDC_EX_POSITIONS})
    ListView_SetExtendedListViewStyle(Item(id).handle(),
                                      LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);

  RECT window = {};
  GetWindowRect(handle(), &window);
  minimum_ = {window.right - window.left, window.bottom - window.top};
  RememberLayout();
  RECT list = {};
  GetClientRect(Item(IDC_EX_POSITIONS).handle(), &list);
  model_.OnInit(list.right - list.left);
  if (!model_.preview_shown()) {
    // The project list reaches down to the bottom of the position list.
    ControlRect& projects = layout_[IDC_EX_PROJECTS];
    const ControlRect& positions = layout_[IDC_EX_POSITIONS];
    projects.height = positions.y + positions.height - projects.y;
    layout_.erase(IDC_EX_SPLIT_HORIZONTAL);
    Item(IDC_EX_SPLIT_HORIZONTAL).Show(false);
  }
  const std::vector<uint8_t> placement = model_.ReadPlacement();
  if (placement.size() == sizeof(WINDOWPLACEMENT)) {
    WINDOWPLACEMENT stored;
    std::memcpy(&stored, placement.data(), sizeof stored);
    stored.length = sizeof stored;
    if (stored.showCmd == SW_SHOWMINIMIZED) stored.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(handle(), &stored);
  }
  RECT client = {};
  GetClientRect(handle(), &client);
  Layout(client.right, client.bottom);
  Update();
  Item(IDC_EX_PROJECTS).Focus();
  model_.SetFocus(ExplorerFocus::kProjects);
  SetTimer(handle(), IDT_EX_SELECTION, ExplorerModel::kTimerMs, nullptr);
  return false;
}

void ExplorerWindow::CreateToolbar() {
  const ControlRect place = RectOf(handle(), IDC_EX_TOOLBAR);
  DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT |
                CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN;
  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", style, place.x, place.y,
                             place.width, place.height, handle(),
                             reinterpret_cast<HMENU>(IDC_EX_TOOLBAR + 1),
                             ResourceModule(), nullptr);
  ShowWindow(GetDlgItem(handle(), IDC_EX_TOOLBAR), SW_HIDE);
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolbar_, TB_LOADIMAGES, IDB_STD_SMALL_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  SendMessageA(toolbar_, TB_LOADIMAGES, IDB_VIEW_SMALL_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  TBBUTTON buttons[sizeof kToolButtons / sizeof kToolButtons[0]] = {};
  for (size_t i = 0; i < sizeof kToolButtons / sizeof kToolButtons[0]; ++i) {
    buttons[i].iBitmap = kToolButtons[i].command ? kToolButtons[i].image : 6;
    buttons[i].idCommand = kToolButtons[i].command;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = kToolButtons[i].command ? BTNS_BUTTON : BTNS_SEP;
  }
  SendMessageA(toolbar_, TB_ADDBUTTONSA,
               sizeof kToolButtons / sizeof kToolButtons[0],
               reinterpret_cast<LPARAM>(buttons));
}

void ExplorerWindow::CreateImageLists() {
  // Projects as folders, positions with their programs' icons and the
  // padlock of positions locked by others.
  images_[0] = ShellIconList(3, 32, 4);
  images_[1] = ShellIconList(3, 16, 4);
  const std::vector<std::string> icons = model_.positions().IconFiles();
  images_[2] = ProgramIconList(icons, 32, kOverlayLockedByOther);
  images_[3] = ProgramIconList(icons, 16, kOverlayLockedByOther);
  ListView(Item(IDC_EX_PROJECTS).handle()).SetImageLists(images_[0], images_[1]);
  ListView(Item(IDC_EX_POSITIONS).handle()).SetImageLists(images_[2], images_[3]);
}

void ExplorerWindow::RememberLayout() {
  for (int id : kLaidOut) layout_[id] = RectOf(handle(), id);
  RECT client = {};
  GetClientRect(handle(), &client);
  client_at_open_ = {client.right, client.bottom};
}

void ExplorerWindow::Layout(int client_width, int client_height) {
  if (layout_.empty()) return;
  const ExplorerLayout now =
      ResizedLayout(layout_, client_width - client_at_open_.cx,
                    client_height - client_at_open_.cy, model_.preview_shown());
  HDWP batch = BeginDeferWindowPos(static_cast<int>(now.size()));
  for (const auto& [id, r] : now) {
    HWND control = GetDlgItem(handle(), id);
    if (control && batch)
      batch = DeferWindowPos(batch, control, nullptr, r.x, r.y, r.width,
                             r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch) EndDeferWindowPos(batch);
  InvalidateRect(Item(IDC_EX_PREVIEW).handle(), nullptr, TRUE);
}

void ExplorerWindow::MoveSplitter(int id, int delta) {
  const bool vertical = id == IDC_EX_SPLIT_VERTICAL;
  const ControlRect& near_side = layout_[vertical ? IDC_EX_PROJECTS : IDC_EX_PROJECTS];
  const ControlRect& far_side =
      layout_[vertical ? IDC_EX_POSITIONS : IDC_EX_PREVIEW_FRAME];
  // Each side keeps at least kMinimumSide pixels.
  const int near_size = vertical ? near_side.width : near_side.height;
  const int far_size = vertical ? far_side.width : far_side.height;
  delta = std::max(delta, kMinimumSide - near_size);
  delta = std::min(delta, far_size - kMinimumSide);
  if (delta == 0) return;
  if (vertical) {
    for (int left : {IDC_EX_PROJECTS, IDC_EX_SPLIT_HORIZONTAL,
                     IDC_EX_PREVIEW_FRAME, IDC_EX_PREVIEW})
      if (layout_.count(left)) layout_[left].width += delta;
    layout_[IDC_EX_SPLIT_VERTICAL].x += delta;
    layout_[IDC_EX_POSITIONS].x += delta;
    layout_[IDC_EX_POSITIONS].width -= delta;
  } else {
    layout_[IDC_EX_PROJECTS].height += delta;
    layout_[IDC_EX_SPLIT_HORIZONTAL].y += delta;
    for (int below : {IDC_EX_PREVIEW_FRAME, IDC_EX_PREVIEW}) {
      layout_[below].y += delta;
      layout_[below].height -= delta;
    }
  }
  RECT client = {};
  GetClientRect(handle(), &client);
  Layout(client.right, client.bottom);
}

void ExplorerWindow::Update() {
  mirroring_ = true;
  ListView projects(Item(IDC_EX_PROJECTS).handle());
  ListView positions(Item(IDC_EX_POSITIONS).handle());
  if (project_revision_ != model_.project_revision()) {
    projects.Mirror(model_.projects().state());
    project_revision_ = model_.project_revision();
    ComboBox folders(Item(IDC_EX_FOLDER).handle());
    folders.Reset();
    for (const std::string& folder : model_.folder_choices()) folders.Add(folder);
    const std::string& current = model_.state().text(IDC_EX_FOLDER);
    SendMessageA(folders.handle(), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(current.c_str()));
  } else {
    projects.MirrorSelection(model_.projects().state());
  }
  if (position_revision_ != model_.position_revision()) {
    positions.Mirror(model_.positions().state());
    position_revision_ = model_.position_revision();
  } else {
    positions.MirrorSelection(model_.positions().state());
  }
  Mirror(model_.state());
  model_.FocusTaken();
  InvalidateRect(Item(IDC_EX_PREVIEW).handle(), nullptr, TRUE);
  if (model_.label_edit() == ExplorerFocus::kProjects) {
    model_.LabelEditStarted();
    const int row = model_.projects().state().FirstSelected();
    if (row >= 0) {
      projects.Focus();
      ListView_EditLabel(projects.handle(), row);
    }
  }
  mirroring_ = false;
  if (model_.ended() && !closing_) Close();
}

void ExplorerWindow::TakeColumnWidths() {
  ListView(Item(IDC_EX_PROJECTS).handle())
      .TakeColumnWidths(&model_.projects().state());
  ListView(Item(IDC_EX_POSITIONS).handle())
      .TakeColumnWidths(&model_.positions().state());
}

void ExplorerWindow::Close() {
  closing_ = true;
  KillTimer(handle(), IDT_EX_SELECTION);
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (GetWindowPlacement(handle(), &placement)) {
    std::vector<uint8_t> bytes(sizeof placement);
    std::memcpy(bytes.data(), &placement, sizeof placement);
    model_.WritePlacement(bytes);
  }
  *dialog_parent_ = previous_parent_;
  End(model_.accepted() ? IDOK : IDCANCEL);
}

bool ExplorerWindow::OnCommand(int id, int code) {
  if (mirroring_) return id != IDOK && id != IDCANCEL;
  if (id == IDC_EX_FOLDER) {
    if (code == CBN_SETFOCUS) model_.SetFocus(ExplorerFocus::kNone);
    if (code == CBN_SELENDOK) {
      ComboBox folders(Item(id).handle());
      model_.OnDataFolderPicked(folders.ItemText(folders.Selection()));
      Update();
    }
    return true;
  }
  if (id == IDOK || id == IDCANCEL) return false;
  if (code != 0 && code != 1 && code != BN_CLICKED) return false;
  TakeColumnWidths();
  // The generic commands act on the list that really has the focus.
  const int focused = FocusedId();
  if (focused == IDC_EX_PROJECTS || focused == IDC_EX_POSITIONS)
    model_.SetFocus(ListOf(focused));
  else if (focused == IDC_EX_FOLDER)
    model_.SetFocus(ExplorerFocus::kNone);
  model_.OnCommand(id);
  Update();
  return true;
}

bool ExplorerWindow::OnNotify(int id, NMHDR* header, LRESULT* result) {
  if (header->code == TTN_GETDISPINFOA) {
    static std::string tip;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    tip = ToolTipOf(static_cast<int>(header->idFrom));
    info->lpszText = const_cast<char*>(tip.c_str());
    return true;
  }
  const ExplorerFocus list = ListOf(id);
  if (list == ExplorerFocus::kNone || mirroring_) return false;
  *result = 0;
  ListView control(header->hwndFrom);
  ListState& state = list == ExplorerFocus::kProjects
                         ? model_.projects().state()
                         : model_.positions().state();
  switch (header->code) {
    case NM_SETFOCUS:
      model_.SetFocus(list);
      return true;
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if (!(change->uChanged & LVIF_STATE) || change->iItem < 0 ||
          change->iItem >= static_cast<int>(state.rows.size()))
        return true;
      ListRow& row = state.rows[change->iItem];
      row.selected = (change->uNewState & LVIS_SELECTED) != 0;
      row.focused = (change->uNewState & LVIS_FOCUSED) != 0;
      if ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) {
        if (list == ExplorerFocus::kProjects)
          model_.OnProjectSelectionChanged();
        else
          model_.OnPositionSelectionChanged();
        Mirror(model_.state());
      }
      return true;  // the timer takes the change up
    }
    case NM_DBLCLK:
      model_.SetFocus(list);
      model_.OnOk();
      break;
    case NM_RCLICK: {
      model_.SetFocus(list);
      POINT at;
      GetCursorPos(&at);
      ContextMenu(list == ExplorerFocus::kProjects ? 0 : 1, at);
      return true;
    }
    case LVN_COLUMNCLICK:
      model_.OnColumnClick(list, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      break;
    case LVN_KEYDOWN: {
      const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      if (key == VK_DELETE) {
        model_.OnCommand(IDM_EX_DELETE);
      } else if (key == VK_F5) {
        model_.OnCommand(list == ExplorerFocus::kProjects ? IDM_EX_READ_CATALOGUE
                                                          : IDM_EX_SHOW_POSITIONS);
      } else {
        return true;
      }
      break;
    }
    case LVN_BEGINLABELEDITA:
      *result = list == ExplorerFocus::kProjects ? FALSE : TRUE;
      return true;
    case LVN_ENDLABELEDITA: {
      const auto* edit = reinterpret_cast<NMLVDISPINFOA*>(header);
      if (edit->item.pszText) model_.OnProjectLabelEdited(edit->item.pszText);
      *result = FALSE;  // the list is filled anew
      break;
    }
    default:
      return false;
  }
  Update();
  return true;
}

void ExplorerWindow::ContextMenu(int submenu, POINT at) {
  HMENU edit = GetSubMenu(menu_, 1);
  HMENU popup = edit ? GetSubMenu(edit, submenu) : nullptr;
  if (!popup) return;
  const int command = PickFromMenu(popup, at, handle());
  if (command == 0) return;
  model_.OnCommand(command);
  Update();
}

void ExplorerWindow::OnTimer(UINT_PTR timer) {
  if (timer != IDT_EX_SELECTION || closing_) return;
  model_.OnTimer();
  Update();
}

void ExplorerWindow::OnOK() {
  if (closing_) return;
  TakeColumnWidths();
  model_.OnOk();
  Update();
}

void ExplorerWindow::OnCancel() {
  if (closing_) return;
  TakeColumnWidths();
  model_.OnCancel();
  Update();
}

bool ExplorerWindow::OnMessage(UINT message, WPARAM w, LPARAM l,
                               LRESULT* result) {
  switch (message) {
    case WM_SIZE:
      if (w != SIZE_MINIMIZED) Layout(LOWORD(l), HIWORD(l));
      return false;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(l);
      if (minimum_.cx > 0) info->ptMinTrackSize = {minimum_.cx, minimum_.cy};
      *result = 0;
      return true;
    }
    case WM_DRAWITEM: {
      if (w != IDC_EX_PREVIEW) return false;
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      DrawPreviewPicture(item->hDC, item->rcItem, model_.preview().state,
                         model_.preview().metafile);
      *result = TRUE;
      return true;
    }
    case WM_INITMENUPOPUP: {
      HMENU menu = reinterpret_cast<HMENU>(w);
      for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id == static_cast<UINT>(-1) || id == 0) continue;
        CheckMenuItem(menu, id,
                      MF_BYCOMMAND | (model_.checked(static_cast<int>(id))
                                          ? MF_CHECKED
                                          : MF_UNCHECKED));
      }
      return false;
    }
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(handle(), &p);
      for (int id : {IDC_EX_SPLIT_VERTICAL, IDC_EX_SPLIT_HORIZONTAL}) {
        RECT now;
        GetWindowRect(GetDlgItem(handle(), id), &now);
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&now), 2);
        if (layout_.count(id) && PtInRect(&now, p)) {
          SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(
                                             id == IDC_EX_SPLIT_VERTICAL
                                                 ? IDC_SIZEWE
                                                 : IDC_SIZENS)));
          *result = TRUE;
          return true;
        }
      }
      return false;
    }
    case WM_LBUTTONDOWN: {
      // The splitter bars are plain statics: their clicks reach the window.
      const POINT p = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      for (int id : {IDC_EX_SPLIT_VERTICAL, IDC_EX_SPLIT_HORIZONTAL}) {
        if (!layout_.count(id) || !Contains(RectOf(handle(), id), p)) continue;
        dragging_ = id;
        drag_from_ = p;
        SetCapture(handle());
        return true;
      }
      return false;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      if (dragging_ == 0) return false;
      const POINT p = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
      const int delta = dragging_ == IDC_EX_SPLIT_VERTICAL ? p.x - drag_from_.x
                                                           : p.y - drag_from_.y;
      MoveSplitter(dragging_, delta);
      drag_from_ = p;
      if (message == WM_LBUTTONUP) {
        dragging_ = 0;
        ReleaseCapture();
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace zb::explorer::win32
