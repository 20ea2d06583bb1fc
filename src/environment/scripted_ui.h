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

  const std::vector<ShownMessage>& messages() const { return messages_; }
  int folder_settings_shown() const { return folder_settings_shown_; }

  Answer MessageBox(const std::string& caption, const std::string& text,
                    Buttons buttons, Icon icon) override;
  bool ChooseFolder(const std::string& title, std::string* folder) override;
  bool FolderSettings(FolderSettingsModel& model) override;

 private:
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<FolderSettingsScript> folder_settings_;
  std::vector<ShownMessage> messages_;
  int folder_settings_shown_ = 0;
};

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_SCRIPTED_UI_H_
