// The Ui of the Windows DLL: real modal windows. Message boxes are the
// system's; the library's own dialogs get their windows one by one, and
// until a dialog has one it is answered as cancelled.
#ifndef ZBDB_EXPLORER_WIN32_WIN32_UI_H_
#define ZBDB_EXPLORER_WIN32_WIN32_UI_H_

#include "api/library.h"
#include "environment/ui.h"

namespace zb::explorer {

class Win32Ui final : public environment::Ui {
 public:
  // The windows are owned by the context's dialog parent window; their
  // models work on `library`.
  explicit Win32Ui(api::Library& library) : library_(library) {}

  environment::Answer Ask(const std::string& caption, const std::string& text,
                          environment::Buttons buttons,
                          environment::Icon icon) override;
  bool ChooseFolder(const std::string& title, std::string* folder) override;
  bool FolderSettings(environment::FolderSettingsModel& model) override;
  int ShowPreview(const PreviewView& view) override;
  int32_t Explorer(ZBPROPOS_L* request) override;
  bool ProjectDialog(const std::string& title, std::string* name,
                     std::string* author) override;
  bool SelectProject(const std::string& folder, std::string* project) override;
  bool SelectProjectIn(ZBPROPOS_L* request) override;
  bool SelectProgram(const std::string& prompt, std::string* program) override;
  bool SelectListedProject(const ListedProjects& listed, int* index) override;
  bool PositionDialog(environment::PositionDialogMode mode,
                      const std::string& title, ZBPROPOS_L* request,
                      const environment::PositionTransfer& transfer,
                      environment::PositionTransferResult* result) override;
  bool PositionProperties(
      const environment::PositionPropertiesRequest& dialog) override;
  bool PositionName(const std::string& title, std::string* long_name) override;
  int ShellFileOperation(FileOperation operation, const std::string& from,
                         const std::string& to,
                         const std::string& progress_title) override;

 private:
  uintptr_t parent() const { return library_.context().dialog_parent; }

  api::Library& library_;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_WIN32_WIN32_UI_H_
