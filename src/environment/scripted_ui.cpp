#include "environment/scripted_ui.h"

#include "recordstore/typed_records.h"

#include "environment/folder_settings.h"

namespace zb::environment {

Answer ScriptedUi::Ask(const std::string& caption, const std::string& text,
                       Buttons buttons, Icon icon) {
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

bool ScriptedUi::NextText(std::string* text) {
  if (texts_.empty()) return false;
  std::optional<std::string> answer = texts_.front();
  texts_.pop_front();
  if (!answer) return false;
  *text = *answer;
  return true;
}

bool ScriptedUi::ProjectDialog(const std::string& title, std::string* name,
                               std::string* author) {
  dialogs_.push_back(title);
  if (!NextText(name)) return false;
  std::string queued_author;
  if (NextText(&queued_author)) *author = queued_author;
  return true;
}

bool ScriptedUi::PositionProperties(const PositionPropertiesRequest& dialog) {
  dialogs_.push_back(dialog.title);
  std::string long_name;
  if (!NextText(&long_name)) return false;
  std::string description;
  const bool described = NextText(&description);
  if (ZBPROPOS_L* r = dialog.request) {
    recordstore::CopyTextField(r->szPosNameLong, long_name.substr(0, 41).c_str(),
                               sizeof r->szPosNameLong);
    if (described)
      recordstore::CopyTextField(r->szMsg, description.substr(0, 79).c_str(),
                                 sizeof r->szMsg);
  }
  if (recordstore::PosInfoExt* info = dialog.info) {
    recordstore::CopyTextField(info->PosNameLong,
                               long_name.substr(0, 41).c_str(),
                               sizeof info->PosNameLong);
    if (described)
      recordstore::CopyTextField(info->Msg, description.substr(0, 39).c_str(),
                                 sizeof info->Msg);
  }
  return true;
}

bool ScriptedUi::PositionDialog(PositionDialogMode, const std::string& title,
                                ZBPROPOS_L* request,
                                const PositionTransfer& transfer,
                                PositionTransferResult* result) {
  dialogs_.push_back(title);
  if (position_dialogs_.empty()) return false;
  PositionDialogScript script = std::move(position_dialogs_.front());
  position_dialogs_.pop_front();
  if (!script(request)) return false;
  const PositionTransferResult done = transfer(request);
  if (result) *result = done;
  return true;
}

bool ScriptedUi::PositionName(const std::string& title,
                              std::string* long_name) {
  dialogs_.push_back(title);
  return NextText(long_name);
}

bool ScriptedUi::SelectProject(const std::string&, std::string* project) {
  dialogs_.push_back("SelectProject");
  return NextText(project);
}

bool ScriptedUi::SelectProgram(const std::string&, std::string* program) {
  dialogs_.push_back("SelectProgram");
  return NextText(program);
}

bool ScriptedUi::SelectListedProject(const ListedProjects& listed,
                                     int* index) {
  dialogs_.push_back(listed.caption);
  std::string name;
  if (!NextText(&name)) return false;
  const auto trimmed = [](std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  };
  *index = -1;
  for (size_t i = 0; i < listed.projects.size(); ++i) {
    const PROINFO& p = listed.projects[i];
    if (trimmed(std::string(p.szProject, strnlen(p.szProject, sizeof p.szProject))) ==
        trimmed(name))
      *index = static_cast<int>(i);
  }
  return true;
}

int32_t ScriptedUi::Explorer(ZBPROPOS_L* request) {
  dialogs_.push_back("Explorer");
  if (explorers_.empty()) return 0;
  ExplorerScript script = std::move(explorers_.front());
  explorers_.pop_front();
  return script(request);
}

int ScriptedUi::ShowPreview(const PreviewView& view) {
  dialogs_.push_back("Preview:" + std::to_string(view.state));
  last_preview_ = view;
  return 1;
}

int ScriptedUi::ShellFileOperation(FileOperation, const std::string&,
                                   const std::string&,
                                   const std::string& progress_title) {
  dialogs_.push_back("Shell:" + progress_title);
  if (shell_results_.empty()) return kNoShell;
  const int result = shell_results_.front();
  shell_results_.pop_front();
  return result;
}

}  // namespace zb::environment
