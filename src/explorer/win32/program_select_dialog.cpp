#include "explorer/win32/program_select_dialog.h"

#include "environment/program_catalogue.h"
#include "explorer/win32/program_select_ids.h"

namespace zb::explorer::win32 {

ProgramSelectDialog::~ProgramSelectDialog() {
  for (HIMAGELIST list : {large_, small_, groups_small_})
    if (list) ImageList_Destroy(list);
}

bool ProgramSelectDialog::Run(HWND parent) {
  return RunModal(IDD_PROGRAM_SELECT, parent) == IDOK;
}

void ProgramSelectDialog::MakeImageLists() {
  const std::vector<std::string> icons = model_.catalogue().IconPaths();
  large_ = ProgramIconList(icons, 32, 0);
  small_ = ProgramIconList(icons, 16, 0);
  groups_small_ = ShellIconList(3, 16, 1);  // a group is a folder
  ListView(Item(IDC_PRG_PROGRAMS).handle()).SetImageLists(large_, small_);
  ListView(Item(IDC_PRG_GROUPS).handle()).SetImageLists(nullptr, groups_small_);
}

void ProgramSelectDialog::MirrorAll() {
  mirroring_ = true;
  Mirror(model_.state());
  ListView(Item(IDC_PRG_GROUPS).handle()).Mirror(model_.groups());
  ListView(Item(IDC_PRG_PROGRAMS).handle()).Mirror(model_.programs().state());
  mirroring_ = false;
}

bool ProgramSelectDialog::OnInit() {
  model_.OnInit();
  for (int id : {IDC_PRG_GROUPS, IDC_PRG_PROGRAMS})
    ListView_SetExtendedListViewStyle(Item(id).handle(),
                                      LVS_EX_FULLROWSELECT);
  MakeImageLists();
  MirrorAll();
  // The choice is made in the program list, not in the folder field.
  SetFocus(Item(IDC_PRG_PROGRAMS).handle());
  return false;
}

bool ProgramSelectDialog::OnCommand(int id, int code) {
  if (code != BN_CLICKED ||
      (id != IDC_PRG_INSTALLED && id != IDC_PRG_DELIVERABLE))
    return false;
  model_.OnClicked(id);
  MirrorAll();
  return true;
}

bool ProgramSelectDialog::OnNotify(int id, NMHDR* header, LRESULT* result) {
  if (mirroring_) return false;
  if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if (!(change->uNewState & LVIS_SELECTED) ||
        (change->uOldState & LVIS_SELECTED))
      return false;
    if (id == IDC_PRG_GROUPS) {
      model_.OnGroupSelected(change->iItem);
      MirrorAll();
    } else if (id == IDC_PRG_PROGRAMS) {
      model_.OnProgramSelected(change->iItem);
    }
    *result = 0;
    return true;
  }
  if (id == IDC_PRG_PROGRAMS && header->code == LVN_COLUMNCLICK) {
    model_.programs().OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    MirrorAll();
    return true;
  }
  if (id == IDC_PRG_PROGRAMS && header->code == NM_DBLCLK) {
    OnOK();
    return true;
  }
  return false;
}

void ProgramSelectDialog::OnOK() {
  if (model_.OnOk())
    End(IDOK);
  else
    MessageBeep(MB_OK);
}

void ProgramSelectDialog::OnCancel() {
  model_.OnClose();
  End(IDCANCEL);
}

}  // namespace zb::explorer::win32
