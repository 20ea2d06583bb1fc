// The selection exports: a project (ZB_ProSelect), a program
// (ZB_PrgSelect) and a folder (ZB_DirDlg), each through the Ui so that
// tests answer them. 1 when something was chosen, 0 when cancelled.
#include <algorithm>
#include <cstring>
#include <string>

#include "api/frame.h"
#include "api/library.h"
#include "api/open_save.h"
#include "api/request_records.h"
#include "environment/library_context.h"
#include "environment/ui.h"
#include "explorer/folder_dialog.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;
using zb::recordstore::FieldText;
using zb::recordstore::SetFieldText;

constexpr size_t kFolderBuffer = 260;

// The dialogs of one call are owned by the caller's window when it gives
// one; the library-wide parent is back afterwards.
class ParentForCall {
 public:
  ParentForCall(Library& lib, uint32_t parent)
      : context_(lib.context()), saved_(context_.dialog_parent) {
    if (parent != 0) context_.dialog_parent = parent;
  }
  ~ParentForCall() { context_.dialog_parent = saved_; }

 private:
  zb::environment::LibraryContext& context_;
  uint32_t saved_;
};

int32_t SelectProject(ZBPROPOS_L* request, uint32_t parent) {
  if (!request) return -1;
  Library& lib = zb::api::TheLibrary();
  zb::environment::EnsureLoggedIn(lib.session());
  ParentForCall owner(lib, parent);
  if (FieldText(request->szDataPfad).empty())
    SetFieldText(request->szDataPfad, lib.context().folders.data);
  lib.log().Append("\n*** ZB_ProSelect_L");
  if (!lib.ui().SelectProjectIn(request)) {
    lib.log().Append("\n*** result: 0 , Cancel");
    return 0;
  }
  lib.context().current_project = FieldText(request->szProName);
  return 1;
}

int32_t SelectProgram(ZBPROPOS_L* request, uint32_t parent) {
  if (!request) return -1;
  Library& lib = zb::api::TheLibrary();
  zb::environment::EnsureLoggedIn(lib.session());
  ParentForCall owner(lib, parent);
  std::string key = FieldText(request->szPrgName);
  if (!lib.ui().SelectProgram("", &key) || key.empty()) return 0;
  SetFieldText(request->szPrgName, key);
  lib.log().Append("PrgSelected: " + key);
  return 1;
}

// The folder dialog of ZB_DirDlg and its aliases; their `options` have no
// effect, the chooser has no variants. `folder` (up to kFolderBuffer with
// its zero) is where it opens and is overwritten only with a chosen folder.
int32_t ChooseFolder(char* folder, const char* title, uint32_t parent) {
  if (!folder) return -1;
  Library& lib = zb::api::TheLibrary();
  ParentForCall owner(lib, parent);
  std::string chosen(folder, strnlen(folder, kFolderBuffer - 1));
  const int32_t result = zb::explorer::RunFolderDialog(
      lib.ui(), lib.os(), title ? title : "", &chosen);
  if (result == zb::explorer::kFolderChosen) {
    chosen.resize(std::min(chosen.size(), kFolderBuffer - 1));
    std::memcpy(folder, chosen.c_str(), chosen.size() + 1);
  }
  return result;
}

}  // namespace

extern "C" {

int32_t ZBAPI ZB_ProSelect_L(ZBPROPOS_L* request) {
  return SelectProject(request, 0);
}
int32_t ZBAPI ZB_ProSelectEx_L(ZBPROPOS_L* request, uint32_t parent) {
  return SelectProject(request, parent);
}
int32_t ZBAPI ZB_ProSelect(ZBPROPOS* request) {
  return zb::api::PlainFrame({}, request, &ZB_ProSelect_L);
}
int32_t ZBAPI ZB_ProSelectB(ZBPROPOS* request) {
  zb::api::ResetProgressSignal(zb::api::TheLibrary());
  return zb::api::BasicFrame(request, &ZB_ProSelect);
}
int32_t ZBAPI ZB_ProSelect_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_ProSelect_L);
}

int32_t ZBAPI ZB_PrgSelect_L(ZBPROPOS_L* request) {
  return SelectProgram(request, 0);
}
int32_t ZBAPI ZB_PrgSelectEx_L(ZBPROPOS_L* request, uint32_t parent) {
  return SelectProgram(request, parent);
}
int32_t ZBAPI ZB_PrgSelect(ZBPROPOS* request) {
  return zb::api::PlainFrame({}, request, &ZB_PrgSelect_L);
}
int32_t ZBAPI ZB_PrgSelectEx(ZBPROPOS* request, uint32_t parent) {
  return zb::api::PlainFrame({}, request, &ZB_PrgSelectEx_L, parent);
}
int32_t ZBAPI ZB_PrgSelectB(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_PrgSelect);
}
int32_t ZBAPI ZB_PrgSelect_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_PrgSelect_L);
}

int32_t ZBAPI ZB_DirDlg(char* folder, const char* title, int32_t /*options*/,
                        uint32_t parent) {
  return ChooseFolder(folder, title, parent);
}
int32_t ZBAPI ZB_DirDlgNet(char* folder, const char* title,
                           int32_t /*options*/, uint32_t parent) {
  return ChooseFolder(folder, title, parent);
}
int32_t ZBCDECL OXDirDlg(char* folder, const char* title, int32_t /*options*/,
                         uint32_t parent) {
  return ChooseFolder(folder, title, parent);
}
// Basic: -1 (true) when a folder was chosen, else 0.
int32_t ZBAPI ZB_DirDlgB(char* folder, const char* title, int32_t /*options*/,
                         uint32_t parent) {
  if (!folder) return 0;
  return ChooseFolder(folder, title, parent) == zb::explorer::kFolderChosen
             ? -1
             : 0;
}

}  // extern "C"
