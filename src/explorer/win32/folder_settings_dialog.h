// The window of the folder settings dialog over its model: five folder
// fields with their "..." buttons and validity pictures, the two choices
// of where the folders are kept, "Expertenmodus", OK and Abbrechen.
#ifndef ZBDB_EXPLORER_WIN32_FOLDER_SETTINGS_DIALOG_H_
#define ZBDB_EXPLORER_WIN32_FOLDER_SETTINGS_DIALOG_H_

#include <optional>

#include "environment/folder_settings.h"
#include "environment/ui.h"
#include "explorer/win32/dialog.h"

namespace zb::explorer::win32 {

class FolderSettingsDialog final : public Dialog {
 public:
  // `ui` chooses folders and shows the cancel message.
  FolderSettingsDialog(environment::FolderSettingsModel& model,
                       environment::Ui& ui)
      : model_(model), ui_(ui) {}

  // True when the dialog closed with OK.
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
  void OnOK() override;
  void OnCancel() override;

  void MirrorModel();
  std::optional<environment::FolderField> FocusedField() const;

  environment::FolderSettingsModel& model_;
  environment::Ui& ui_;
  bool mirroring_ = false;  // edits changed by Mirror are not user input
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_FOLDER_SETTINGS_DIALOG_H_
