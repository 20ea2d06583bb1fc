// A Ui for tests: answers come from queues, and everything shown is
// recorded, so a test can assert the exact German texts.
#ifndef ZBDB_ENVIRONMENT_SCRIPTED_UI_H_
#define ZBDB_ENVIRONMENT_SCRIPTED_UI_H_

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "environment/ui.h"

namespace zb::environment {

struct ShownMessage {
  std::string caption;
  std::string text;
  Buttons buttons;
  Icon icon;
};

class ScriptedUi final : public Ui {
 public:
  using FolderSettingsScript = std::function<bool(FolderSettingsModel&)>;

  // Without a queued answer a message box is answered with its first
  // button (OK, Yes or Retry), a folder chooser is cancelled, and the
  // folder settings dialog is cancelled.
  void QueueAnswer(Answer answer) { answers_.push_back(answer); }
  void QueueFolder(std::optional<std::string> folder) {
    folders_.push_back(std::move(folder));
  }
  void QueueFolderSettings(FolderSettingsScript script) {
    folder_settings_.push_back(std::move(script));
  }

  // Answers of the name dialogs (project dialog: name, then author;
  // position properties: long name, then description; position name,
  // project and program selection: the one text). nullopt cancels.
  void QueueText(std::optional<std::string> text) {
    texts_.push_back(std::move(text));
  }
  // What the user does in the next position dialog: changes the request
  // (chooses a position, types a name) and returns true for OK, false for
  // Cancel. Without a queued script the dialog is cancelled.
  using PositionDialogScript = std::function<bool(ZBPROPOS_L* request)>;
  void QueuePositionDialog(PositionDialogScript script) {
    position_dialogs_.push_back(std::move(script));
  }
  // What the user does in the next explorer window: changes the request
  // and returns the window's result. Without one it is cancelled (0).
  using ExplorerScript = std::function<int32_t(ZBPROPOS_L* request)>;
  void QueueExplorer(ExplorerScript script) {
    explorers_.push_back(std::move(script));
  }
  // The shell's result for the next file operation (default: no shell).
  void QueueShellResult(int result) { shell_results_.push_back(result); }

  const std::vector<ShownMessage>& messages() const { return messages_; }
  int folder_settings_shown() const { return folder_settings_shown_; }
  // Titles of the dialogs shown, in order ("Projekt neu anlegen", ...);
  // the selection dialogs are recorded as "SelectProject" and
  // "SelectProgram", the shell's operations as "Shell:" + progress title.
  const std::vector<std::string>& dialogs() const { return dialogs_; }

  Answer Ask(const std::string& caption, const std::string& text,
             Buttons buttons, Icon icon) override;
  bool ChooseFolder(const std::string& title, std::string* folder) override;
  bool FolderSettings(FolderSettingsModel& model) override;
  bool ProjectDialog(const std::string& title, std::string* name,
                     std::string* author) override;
  // Queued texts: the long name, then the description, into the request
  // and the POSINFO.
  bool PositionProperties(const PositionPropertiesRequest& dialog) override;
  bool PositionDialog(PositionDialogMode mode, const std::string& title,
                      ZBPROPOS_L* request, const PositionTransfer& transfer,
                      PositionTransferResult* result) override;
  bool PositionName(const std::string& title, std::string* long_name) override;
  bool SelectProject(const std::string& folder, std::string* project) override;
  bool SelectProgram(const std::string& prompt, std::string* program) override;
  // Recorded by its caption; the queued text names the project chosen.
  bool SelectListedProject(const ListedProjects& listed, int* index) override;
  // Recorded as "Explorer".
  int32_t Explorer(ZBPROPOS_L* request) override;
  // Recorded as "Preview:" + the state; the last view is kept.
  int ShowPreview(const PreviewView& view) override;
  const PreviewView& last_preview() const { return last_preview_; }
  int ShellFileOperation(FileOperation operation, const std::string& from,
                         const std::string& to,
                         const std::string& progress_title) override;

 private:
  // The next queued text; false when none is queued or it cancels.
  bool NextText(std::string* text);

  std::deque<std::optional<std::string>> texts_;
  std::deque<int> shell_results_;
  std::deque<PositionDialogScript> position_dialogs_;
  std::deque<ExplorerScript> explorers_;
  std::vector<std::string> dialogs_;
  std::deque<Answer> answers_;
  PreviewView last_preview_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<FolderSettingsScript> folder_settings_;
  std::vector<ShownMessage> messages_;
  int folder_settings_shown_ = 0;
};

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_SCRIPTED_UI_H_
