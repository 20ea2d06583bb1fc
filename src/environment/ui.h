// The Ui seam: every message box, question, folder chooser and dialog the
// library shows goes through the one Ui held for the process. The stores
// never include a toolkit header.
//
// Implementations: the Win32 windows in the DLL, ScriptedUi for tests
// (queued answers and a record of everything shown), ConsoleUi for zbdb,
// and HeadlessUi where nobody can answer (answers as if cancelled).
#ifndef ZBDB_ENVIRONMENT_UI_H_
#define ZBDB_ENVIRONMENT_UI_H_

#include <string>

namespace zb::environment {

class FolderSettingsModel;

enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel, kRetryCancel };
enum class Icon { kNone, kError, kWarning, kQuestion, kInformation };
enum class Answer { kOk, kCancel, kYes, kNo, kRetry };

// The message box title of the library's own boxes.
extern const char kMessageTitle[];  // "ZB_Datenverwaltung "

class Ui {
 public:
  virtual ~Ui() = default;

  virtual Answer MessageBox(const std::string& caption,
                            const std::string& text, Buttons buttons,
                            Icon icon) = 0;
  // Lets the user pick a folder, starting at *folder. False: cancelled.
  virtual bool ChooseFolder(const std::string& title, std::string* folder) = 0;
  // The folder settings dialog over the model; true when it closed with OK
  // (the model has then handed the folders on), false when cancelled (the
  // caller then runs the model's cancel handling).
  virtual bool FolderSettings(FolderSettingsModel& model) = 0;
};

// Answers every question as cancelled, "no" where there is no cancel.
class HeadlessUi final : public Ui {
 public:
  Answer MessageBox(const std::string&, const std::string&, Buttons buttons,
                    Icon) override;
  bool ChooseFolder(const std::string&, std::string*) override { return false; }
  bool FolderSettings(FolderSettingsModel&) override;
};

// The process-wide Ui; never null. SetUi(nullptr) restores the default,
// a HeadlessUi (the DLL installs its Win32 windows when it is loaded).
Ui& CurrentUi();
void SetUi(Ui* ui);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_UI_H_
