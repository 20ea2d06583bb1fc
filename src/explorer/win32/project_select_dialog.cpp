#include "explorer/win32/project_select_dialog.h"

#include <shellapi.h>

#include "explorer/win32/project_select_ids.h"

namespace zb::explorer::win32 {

namespace {

// Six project icons by status, the last three for folder projects: the
// shell's document and folder pictures.
HIMAGELIST ProjectIcons(int size) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 6, 1);
  for (int i = 0; i < 6; ++i) {
    HICON large = nullptr;
    HICON small = nullptr;
    ExtractIconExA("shell32.dll", i < 3 ? 0 : 3, &large, &small, 1);
    HICON icon = size > 16 ? large : small;
    if (!icon) icon = LoadIconA(nullptr, IDI_APPLICATION);
    ImageList_AddIcon(list, icon);
    if (large) DestroyIcon(large);
    if (small) DestroyIcon(small);
  }
  return list;
}

}  // namespace

ProjectSelectDialog::~ProjectSelectDialog() {
  if (large_) ImageList_Destroy(large_);
  if (small_) ImageList_Destroy(small_);
}

bool ProjectSelectDialog::Run(HWND parent) {
  return RunModal(IDD_PROJECT_SELECT, parent) == IDOK;
}

void ProjectSelectDialog::MirrorAll() {
  mirroring_ = true;
  Mirror(model_.state());
  ListView(Item(IDC_PRO_LIST).handle()).Mirror(model_.list().state());
  mirroring_ = false;
}

bool ProjectSelectDialog::OnInit() {
  model_.OnInit();
  const HWND list = Item(IDC_PRO_LIST).handle();
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  large_ = ProjectIcons(32);
  small_ = ProjectIcons(16);
  ListView(list).SetImageLists(large_, small_);
  MirrorAll();
  return true;
}

bool ProjectSelectDialog::OnCommand(int id, int code) {
  if ((id == IDC_PRO_NAME || id == IDC_PRO_AUTHOR) && code == EN_CHANGE) {
    if (!mirroring_) model_.OnText(id, Item(id).Text());
    return true;
  }
  if (code != BN_CLICKED) return false;
  if (id == IDC_PRO_NEW) {
    if (model_.OnNew()) MirrorAll();
    return true;
  }
  if (id == IDC_PRO_CHOOSE_FOLDER) {
    model_.OnChooseFolder();
    MirrorAll();
    return true;
  }
  return false;
}

bool ProjectSelectDialog::OnNotify(int id, NMHDR* header, LRESULT* result) {
  if (mirroring_ || id != IDC_PRO_LIST) return false;
  if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if ((change->uNewState & LVIS_SELECTED) &&
        !(change->uOldState & LVIS_SELECTED)) {
      model_.OnProjectSelected(change->iItem);
      mirroring_ = true;
      Mirror(model_.state());
      mirroring_ = false;
    }
    *result = 0;
    return true;
  }
  if (header->code == LVN_COLUMNCLICK) {
    model_.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    MirrorAll();
    return true;
  }
  if (header->code == NM_DBLCLK) {
    OnOK();
    return true;
  }
  return false;
}

void ProjectSelectDialog::OnOK() {
  if (model_.OnOk())
    End(IDOK);
  else
    MessageBeep(MB_OK);
}

void ProjectSelectDialog::OnCancel() {
  model_.OnClose();
  End(IDCANCEL);
}

}  // namespace zb::explorer::win32
