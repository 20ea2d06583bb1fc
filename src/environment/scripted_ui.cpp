#include "environment/scripted_ui.h"

#include "environment/folder_settings.h"

namespace zb::environment {

Answer ScriptedUi::MessageBox(const std::string& caption,
                              const std::string& text, Buttons buttons,
                              Icon icon) {
  messages_.push_back({caption, text, buttons, icon});
  if (!answers_.empty()) {
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  switch (buttons) {
    case Buttons::kYesNo:
    case Buttons::kYesNoCancel: return Answer::kYes;
    case Buttons::kRetryCancel: return Answer::kRetry;
    default: return Answer::kOk;
  }
}

bool ScriptedUi::ChooseFolder(const std::string&, std::string* folder) {
  if (folders_.empty()) return false;
  std::optional<std::string> answer = folders_.front();
  folders_.pop_front();
  if (!answer) return false;
  *folder = *answer;
  return true;
}

bool ScriptedUi::FolderSettings(FolderSettingsModel& model) {
  ++folder_settings_shown_;
  model.OnInit();
  if (folder_settings_.empty()) return false;
  FolderSettingsScript script = std::move(folder_settings_.front());
  folder_settings_.pop_front();
  return script(model);
}

}  // namespace zb::environment
