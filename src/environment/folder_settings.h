// The folder settings dialog ("Arbeitsverzeichnisse "), toolkit-free: the
// state of its controls and a handler per user action. A Win32 view shows
// it; tests and the headless Ui drive it directly.
#ifndef ZBDB_ENVIRONMENT_FOLDER_SETTINGS_H_
#define ZBDB_ENVIRONMENT_FOLDER_SETTINGS_H_

#include <functional>
#include <optional>
#include <string>

#include "environment/folders.h"

namespace zb::environment {

enum class FolderField { kProgram, kBase, kUser, kTemporary, kData };
// The two choices of where the folders are kept.
enum class FolderChoice { kAllUsers, kLoggedInUser };

// What the dialog needs of the library: the folders as they stand, and
// handing new ones over (to the companion library, then reading them back).
struct FolderSettingsBackend {
  platform::Platform* os = nullptr;     // where the folders are checked
  recordstore::LogSink* log = nullptr;  // missing permissions go here
  std::function<Folders()> current;
  // Hands all folders over at once and returns them as read back.
  std::function<Folders(const Folders&)> apply;
};

class FolderSettingsModel {
 public:
  static constexpr const char* kTitle = "Arbeitsverzeichnisse ";
  static constexpr const char* kExpertButton = "Expertenmodus";
  static constexpr const char* kChooseButton = "...";

  explicit FolderSettingsModel(FolderSettingsBackend backend);

  // Shows the library's folders and validates them.
  void OnInit();
  // "Expertenmodus": the base and user folders become editable.
  void OnExpertMode();
  void SetText(FolderField field, const std::string& text);
  // The "..." button of a field: the chosen folder replaces its text.
  void OnChosen(FolderField field, const std::string& folder);

  // OK. With the input focus in a folder field only that field is
  // validated and the dialog stays open (false). Otherwise the folders
  // are normalised, the configuration folder is created when missing,
  // everything is handed over and read back, and the dialog closes (true).
  bool OnOk(std::optional<FolderField> focus);
  // Cancel: the folders of before the dialog come back and are validated;
  // if one is still invalid the error text is returned for the message
  // box (error icon, title "ZB_Datenverwaltung "), otherwise "".
  std::string OnCancel();

  const std::string& text(FolderField field) const;
  bool editable(FolderField field) const;
  // The small picture beside each field: valid or not.
  bool valid(FolderField field) const;
  static const char* Label(FolderField field);
  static const char* ChoiceLabel(FolderChoice choice);
  const Folders& folders() const { return folders_; }

 private:
  void Validate(FolderField field);
  std::string& Text(FolderField field);

  FolderSettingsBackend backend_;
  Folders before_;
  Folders folders_;
  bool expert_ = false;
  bool valid_[5] = {true, true, true, true, true};
};

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_FOLDER_SETTINGS_H_
