// The Ui of the zbdb tool: messages go to the terminal, questions are
// answered by --yes or --no, or else asked on the terminal (and cancelled
// when nobody can answer there).
#ifndef ZBDB_TOOLS_CONSOLE_UI_H_
#define ZBDB_TOOLS_CONSOLE_UI_H_

#include <cstdio>
#include <string>

#include "environment/ui.h"

namespace zb::tool {

class ConsoleUi final : public environment::Ui {
 public:
  enum class Policy { kAsk, kYes, kNo };
  ConsoleUi(Policy policy, std::FILE* in, std::FILE* out, bool raw)
      : policy_(policy), in_(in), out_(out), raw_(raw) {}

  environment::Answer Ask(const std::string& caption, const std::string& text,
                          environment::Buttons buttons,
                          environment::Icon icon) override;
  bool ChooseFolder(const std::string& title, std::string* folder) override;
  bool FolderSettings(environment::FolderSettingsModel& model) override;
  // Asks for a program key on the terminal; cancelled with --yes or --no
  // (no key can be guessed) and at end of input.
  bool SelectProgram(const std::string& prompt, std::string* program) override;

 private:
  // "y"/"n"/"c" from the terminal; the negative answer at end of input.
  char ReadChoice(const char* choices);

  Policy policy_;
  std::FILE* in_;
  std::FILE* out_;
  bool raw_;
};

}  // namespace zb::tool

#endif  // ZBDB_TOOLS_CONSOLE_UI_H_
