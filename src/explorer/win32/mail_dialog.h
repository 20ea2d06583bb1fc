// The window of the mail dialog "Mail Anhang" over its model.
#ifndef ZBDB_EXPLORER_WIN32_MAIL_DIALOG_H_
#define ZBDB_EXPLORER_WIN32_MAIL_DIALOG_H_

#include "explorer/mail_dialog.h"
#include "explorer/win32/dialog.h"

namespace zb::explorer::win32 {

class MailDialog final : public Dialog {
 public:
  explicit MailDialog(MailDialogModel& model) : model_(model) {}
  // True when OK was pressed (the model has then done its work).
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  void OnOK() override;

  MailDialogModel& model_;
  bool mirroring_ = false;
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_MAIL_DIALOG_H_
