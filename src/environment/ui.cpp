#include "environment/ui.h"

namespace zb::environment {

const char kMessageTitle[] = "ZB_Datenverwaltung ";

Answer HeadlessUi::MessageBox(const std::string&, const std::string&,
                              Buttons buttons, Icon) {
  switch (buttons) {
    case Buttons::kOk: return Answer::kOk;
    case Buttons::kYesNo: return Answer::kNo;
    default: return Answer::kCancel;
  }
}

bool Ui::ProjectDialog(const std::string&, std::string*, std::string*) {
  return false;
}
bool Ui::PositionProperties(const std::string&, std::string*, std::string*) {
  return false;
}
bool Ui::PositionDialog(PositionDialogMode, const std::string&, ZBPROPOS_L*,
                        const PositionTransfer&, PositionTransferResult*) {
  return false;
}
bool Ui::PositionName(const std::string&, std::string*) { return false; }
bool Ui::SelectProject(const std::string&, std::string*) { return false; }
bool Ui::SelectProgram(const std::string&, std::string*) { return false; }
int Ui::ShellFileOperation(FileOperation, const std::string&,
                           const std::string&, const std::string&) {
  return kNoShell;
}

bool HeadlessUi::FolderSettings(FolderSettingsModel&) { return false; }

namespace {
Ui* g_ui = nullptr;
}  // namespace

Ui& CurrentUi() {
  // The DLL installs its windows when it is loaded; a library without
  // them (tests, the Linux build) answers as if cancelled.
  static HeadlessUi* headless = new HeadlessUi;
  return g_ui ? *g_ui : *headless;
}
void SetUi(Ui* ui) { g_ui = ui; }

}  // namespace zb::environment
