#include "explorer/win32/mail_dialog.h"

#include "explorer/win32/mail_dialog_ids.h"

namespace zb::explorer::win32 {

bool MailDialog::Run(HWND parent) {
  return RunModal(IDD_MAIL, parent) == IDOK;
}

bool MailDialog::OnInit() {
  model_.OnInit();
  mirroring_ = true;
  Mirror(model_.state());
  mirroring_ = false;
  return true;
}

bool MailDialog::OnCommand(int id, int code) {
  if (id == IDC_MAIL_FOLDER) {
    if (code == EN_CHANGE && !mirroring_) model_.OnFolderText(Item(id).Text());
    return true;
  }
  if (code != BN_CLICKED || id == IDOK || id == IDCANCEL) return false;
  model_.OnClicked(id);
  mirroring_ = true;
  Mirror(model_.state());
  mirroring_ = false;
  return true;
}

void MailDialog::OnOK() {
  // The mail client's compose dialog belongs to our owner, not to us.
  ShowWindow(handle(), SW_HIDE);
  model_.OnOk();
  End(IDOK);
}

}  // namespace zb::explorer::win32
