// The Ui of the Windows DLL: real modal windows. Message boxes are the
// system's; the library's own dialogs get their windows one by one, and
// until a dialog has one it is answered as cancelled.
#ifndef ZBDB_EXPLORER_WIN32_WIN32_UI_H_
#define ZBDB_EXPLORER_WIN32_WIN32_UI_H_

#include "environment/library_context.h"
#include "environment/ui.h"

namespace zb::explorer {

class Win32Ui final : public environment::Ui {
 public:
  // The windows are owned by the context's dialog parent window.
  explicit Win32Ui(const environment::LibraryContext& context)
      : context_(context) {}

  environment::Answer Ask(const std::string& caption, const std::string& text,
                          environment::Buttons buttons,
                          environment::Icon icon) override;
  bool ChooseFolder(const std::string& title, std::string* folder) override;
  bool FolderSettings(environment::FolderSettingsModel& model) override;
  int ShowPreview(const PreviewView& view) override;
  int ShellFileOperation(FileOperation operation, const std::string& from,
                         const std::string& to,
                         const std::string& progress_title) override;

 private:
  const environment::LibraryContext& context_;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_WIN32_WIN32_UI_H_
