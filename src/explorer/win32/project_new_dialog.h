// The small dialog that asks name and author of a new project; its title
// names the data folder.
#ifndef ZBDB_EXPLORER_WIN32_PROJECT_NEW_DIALOG_H_
#define ZBDB_EXPLORER_WIN32_PROJECT_NEW_DIALOG_H_

#include <string>

#include "explorer/win32/dialog.h"

namespace zb::explorer::win32 {

class ProjectNewDialog final : public Dialog {
 public:
  ProjectNewDialog(std::string title, std::string* name, std::string* author)
      : title_(std::move(title)), name_(name), author_(author) {}
  // True on OK, with *name and *author as typed.
  bool Run(HWND parent);

 private:
  bool OnInit() override;
  void OnOK() override;

  std::string title_;
  std::string* name_;
  std::string* author_;
};

}  // namespace zb::explorer::win32

#endif  // ZBDB_EXPLORER_WIN32_PROJECT_NEW_DIALOG_H_
