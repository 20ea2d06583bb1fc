// The folder dialog behind ZB_DirDlg: the chooser opens in the given
// folder and is shown again until the user picks an existing folder or
// cancels. The process's working directory is left as it was.
#ifndef ZBDB_EXPLORER_FOLDER_DIALOG_H_
#define ZBDB_EXPLORER_FOLDER_DIALOG_H_

#include <string>

namespace zb::environment {
class Ui;
}  // namespace zb::environment
namespace zb::platform {
class Platform;
}  // namespace zb::platform

namespace zb::explorer {

constexpr int kFolderChosen = 1;
constexpr int kFolderCancelled = 2;

// *folder in (ended with "\") and, when chosen, out ended with "\".
int RunFolderDialog(environment::Ui& ui, platform::Platform& os,
                    const std::string& title, std::string* folder);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_FOLDER_DIALOG_H_
