#include "environment/ui.h"

#include "recordstore/typed_records.h"

namespace zb::environment {

const char kMessageTitle[] = "ZB_Datenverwaltung ";

Answer HeadlessUi::Ask(const std::string&, const std::string&, Buttons buttons,
                       Icon) {
  switch (buttons) {
    case Buttons::kOk: return Answer::kOk;
    case Buttons::kYesNo: return Answer::kNo;
    default: return Answer::kCancel;
  }
}

bool Ui::ProjectDialog(const std::string&, std::string*, std::string*) {
  return false;
}
bool Ui::PositionProperties(const PositionPropertiesRequest&) { return false; }
bool Ui::PositionDialog(PositionDialogMode, const std::string&, ZBPROPOS_L*,
                        const PositionTransfer&, PositionTransferResult*) {
  return false;
}
bool Ui::PositionName(const std::string&, std::string*) { return false; }
bool Ui::SelectProject(const std::string&, std::string*) { return false; }
bool Ui::SelectProjectIn(ZBPROPOS_L* request) {
  std::string project;
  if (!SelectProject(recordstore::FieldText(request->szDataPfad), &project))
    return false;
  recordstore::SetFieldText(request->szProName, project);
  return true;
}
bool Ui::SelectProgram(const std::string&, std::string*) { return false; }
int Ui::ShowPreview(const PreviewView&) { return 0; }
int32_t Ui::Explorer(ZBPROPOS_L*) { return 0; }
bool Ui::SelectListedProject(const ListedProjects&, int*) { return false; }
int Ui::ShellFileOperation(FileOperation, const std::string&,
                           const std::string&, const std::string&) {
  return kNoShell;
}

bool HeadlessUi::FolderSettings(FolderSettingsModel&) { return false; }

}  // namespace zb::environment
