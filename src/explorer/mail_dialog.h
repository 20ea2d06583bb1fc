// The mail dialog "Mail Anhang", toolkit-free: which files go to the
// support (project, position, log, installation protocol) and whether
// they are mailed or saved into a folder. Its OK does the work.
#ifndef ZBDB_EXPLORER_MAIL_DIALOG_H_
#define ZBDB_EXPLORER_MAIL_DIALOG_H_

#include <cstdint>
#include <string>

#include "exchange/mail.h"
#include "explorer/dialog_state.h"
#include "explorer/win32/mail_dialog_ids.h"
#include "zbdb900_types.h"

namespace zb::projectstore {
class Store;
}  // namespace zb::projectstore

namespace zb::explorer {

class MailDialogModel {
 public:
  static constexpr const char* kTitle = "Mail Anhang";
  static constexpr const char* kFolderDialogTitle =
      "Zielverzeichnis f\xFCr den AnhangMerkoEmail";

  // `flags` (exchange::kMail*) preset the project, log and protocol boxes;
  // `request` names the explorer's project and position; project_number
  // is the selected project's entry (0: none); the mail client's compose
  // dialog is owned by `parent_window`.
  MailDialogModel(projectstore::Store& store, uint32_t flags,
                  const ZBPROPOS_L& request, int32_t project_number,
                  uintptr_t parent_window);

  void OnInit();
  // A click on a check box or on "...".
  void OnClicked(int id);
  void OnFolderText(const std::string& text);
  // OK: exports the position when it is wanted, then saves the files into
  // the folder or hands the mail to the mail client. The dialog closes.
  void OnOk();

  const DialogState& state() const { return state_; }
  uint32_t flags() const;
  // What OK did: the files saved (or -1: the folder could not be made),
  // or the mail client's result (exchange::kNoMailClient without one).
  int32_t result() const { return result_; }
  bool saved() const { return saved_; }

 private:
  projectstore::Store& store_;
  uint32_t flags_;
  ZBPROPOS_L request_;
  int32_t project_number_;
  uintptr_t parent_;
  DialogState state_;
  int32_t result_ = 0;
  bool saved_ = false;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_MAIL_DIALOG_H_
