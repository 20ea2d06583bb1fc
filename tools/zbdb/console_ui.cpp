#include "console_ui.h"

#include <cctype>
#include <cstring>
#include <string>

#include "environment/folder_settings.h"
#include "zbdb_commands.h"

namespace zb::tool {
namespace env = zb::environment;

char ConsoleUi::ReadChoice(const char* choices) {
  std::fprintf(out_, " [%s] ", choices);
  std::fflush(out_);
  char line[64];
  while (std::fgets(line, sizeof line, in_)) {
    const char c = static_cast<char>(
        std::tolower(static_cast<unsigned char>(line[0])));
    if (c && std::strchr(choices, c)) return c;
    std::fprintf(out_, " [%s] ", choices);
    std::fflush(out_);
  }
  return 0;
}

env::Answer ConsoleUi::Ask(const std::string& caption, const std::string& text,
                           env::Buttons buttons, env::Icon icon) {
  const char* kind = icon == env::Icon::kError     ? "error"
                     : icon == env::Icon::kWarning ? "warning"
                                                   : "message";
  std::fprintf(out_, "%s (%s): %s\n", TerminalText(caption, raw_).c_str(),
               kind, TerminalText(text, raw_).c_str());
  const bool question = buttons == env::Buttons::kYesNo ||
                        buttons == env::Buttons::kYesNoCancel;
  if (buttons == env::Buttons::kOk) return env::Answer::kOk;
  if (policy_ == Policy::kYes)
    return question ? env::Answer::kYes
                    : buttons == env::Buttons::kRetryCancel ? env::Answer::kRetry
                                                            : env::Answer::kOk;
  if (policy_ == Policy::kNo)
    return buttons == env::Buttons::kYesNo ? env::Answer::kNo
                                           : env::Answer::kCancel;
  if (question) {
    const char c = ReadChoice(buttons == env::Buttons::kYesNo ? "yn" : "ync");
    if (c == 'y') return env::Answer::kYes;
    if (c == 'n' || buttons == env::Buttons::kYesNo) return env::Answer::kNo;
    return env::Answer::kCancel;
  }
  const char c = ReadChoice("yn");
  if (c == 'y')
    return buttons == env::Buttons::kRetryCancel ? env::Answer::kRetry
                                                 : env::Answer::kOk;
  return env::Answer::kCancel;
}

bool ConsoleUi::ChooseFolder(const std::string& title, std::string* folder) {
  if (policy_ != Policy::kAsk) return false;
  // The title is the library's; the question is the tool's.
  std::fprintf(out_, "%s - folder (Enter keeps '%s'): ",
               TerminalText(title, raw_).c_str(),
               TerminalText(*folder, raw_).c_str());
  std::fflush(out_);
  char line[512];
  if (!std::fgets(line, sizeof line, in_)) return false;
  std::string answer(line);
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r'))
    answer.pop_back();
  if (!answer.empty()) *folder = answer;
  return true;
}

bool ConsoleUi::SelectProgram(const std::string& prompt,
                              std::string* program) {
  if (policy_ != Policy::kAsk) return false;
  if (!prompt.empty())
    std::fprintf(out_, "%s\n", TerminalText(prompt, raw_).c_str());
  std::fprintf(out_, "Program key (see 'zbdb programs'): ");
  std::fflush(out_);
  char line[64];
  if (!std::fgets(line, sizeof line, in_)) return false;
  std::string answer(line);
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' ||
                             answer.back() == ' '))
    answer.pop_back();
  if (answer.empty()) return false;
  *program = answer;
  return true;
}

bool ConsoleUi::FolderSettings(env::FolderSettingsModel& model) {
  // The terminal cannot show the dialog; it lists the folders, and with
  // --yes takes them as they are.
  model.OnInit();
  std::fprintf(out_, "%s\n", env::FolderSettingsModel::kTitle);
  for (env::FolderField f :
       {env::FolderField::kProgram, env::FolderField::kBase,
        env::FolderField::kUser, env::FolderField::kTemporary,
        env::FolderField::kData})
    std::fprintf(out_, "  %-22s %s%s\n",
                 TerminalText(env::FolderSettingsModel::Label(f), raw_).c_str(),
                 TerminalText(model.text(f), raw_).c_str(),
                 model.valid(f) ? "" : "   (invalid)");
  if (policy_ != Policy::kYes) return false;
  return model.OnOk(std::nullopt);
}

}  // namespace zb::tool
