#include "explorer/folder_dialog.h"

#include <filesystem>
#include <system_error>

#include "environment/ui.h"
#include "platform/platform.h"

namespace zb::explorer {

namespace {

std::string WithBackslash(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\') return folder;
  return folder + "\\";
}

// The chooser may change the working directory; the caller's comes back.
class WorkingDirectoryKeeper {
 public:
  WorkingDirectoryKeeper() { saved_ = std::filesystem::current_path(error_); }
  ~WorkingDirectoryKeeper() {
    if (!error_) std::filesystem::current_path(saved_, error_);
  }

 private:
  std::error_code error_;
  std::filesystem::path saved_;
};

}  // namespace

int RunFolderDialog(environment::Ui& ui, platform::Platform& os,
                    const std::string& title, std::string* folder) {
  WorkingDirectoryKeeper keeper;
  std::string chosen = WithBackslash(*folder);
  for (;;) {
    if (!ui.ChooseFolder(title, &chosen)) return kFolderCancelled;
    chosen = WithBackslash(chosen);
    if (!chosen.empty() && os.IsFolder(chosen)) {
      *folder = chosen;
      return kFolderChosen;
    }
  }
}

}  // namespace zb::explorer
