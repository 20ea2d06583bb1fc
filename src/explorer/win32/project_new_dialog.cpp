#include "explorer/win32/project_new_dialog.h"

#include "explorer/win32/project_select_ids.h"

namespace zb::explorer::win32 {

bool ProjectNewDialog::Run(HWND parent) {
  return RunModal(IDD_PROJECT_NEW, parent) == IDOK;
}

bool ProjectNewDialog::OnInit() {
  SetWindowTextA(handle(), title_.c_str());
  WidenForTitle();
  Edit(Item(IDC_NEW_NAME).handle()).SetLimit(40);
  Edit(Item(IDC_NEW_AUTHOR).handle()).SetLimit(30);
  Item(IDC_NEW_NAME).SetText(*name_);
  Item(IDC_NEW_AUTHOR).SetText(*author_);
  Item(IDC_NEW_NAME).Focus();
  SendMessageA(Item(IDC_NEW_NAME).handle(), EM_SETSEL, 0, -1);
  return false;
}

void ProjectNewDialog::OnOK() {
  *name_ = Item(IDC_NEW_NAME).Text();
  *author_ = Item(IDC_NEW_AUTHOR).Text();
  End(IDOK);
}

}  // namespace zb::explorer::win32
