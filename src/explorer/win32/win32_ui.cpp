#include "explorer/win32/win32_ui.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "explorer/win32/explorer_window.h"
#include "explorer/win32/folder_settings_dialog.h"
#include "explorer/win32/position_dialog.h"
#include "explorer/win32/preview_window.h"
#include "explorer/win32/program_select_dialog.h"
#include "explorer/win32/project_new_dialog.h"
#include "explorer/win32/project_select_dialog.h"
#include "recordstore/typed_records.h"

namespace zb::explorer {
namespace env = zb::environment;

namespace {
HWND ParentOf(uintptr_t parent) { return reinterpret_cast<HWND>(parent); }
}  // namespace

env::Answer Win32Ui::Ask(const std::string& caption, const std::string& text,
                         env::Buttons buttons, env::Icon icon) {
  UINT flags = MB_OK;
  switch (buttons) {
    case env::Buttons::kOk: flags = MB_OK; break;
    case env::Buttons::kOkCancel: flags = MB_OKCANCEL; break;
    case env::Buttons::kYesNo: flags = MB_YESNO; break;
    case env::Buttons::kYesNoCancel: flags = MB_YESNOCANCEL; break;
    case env::Buttons::kRetryCancel: flags = MB_RETRYCANCEL; break;
  }
  switch (icon) {
    case env::Icon::kError: flags |= MB_ICONERROR; break;
    case env::Icon::kWarning: flags |= MB_ICONWARNING; break;
    case env::Icon::kQuestion: flags |= MB_ICONQUESTION; break;
    case env::Icon::kInformation: flags |= MB_ICONINFORMATION; break;
    case env::Icon::kNone: break;
  }
  const HWND owner = ParentOf(parent());
  switch (MessageBoxA(owner, text.c_str(), caption.c_str(),
                      flags | MB_TASKMODAL)) {
    case IDYES: return env::Answer::kYes;
    case IDNO: return env::Answer::kNo;
    case IDRETRY: return env::Answer::kRetry;
    case IDCANCEL: return env::Answer::kCancel;
    default: return env::Answer::kOk;
  }
}

bool Win32Ui::ChooseFolder(const std::string& title, std::string* folder) {
  BROWSEINFOA info = {};
  info.hwndOwner = ParentOf(parent());
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  if (!chosen) return false;
  char path[MAX_PATH];
  const bool ok = SHGetPathFromIDListA(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  if (ok) *folder = path;
  return ok;
}

bool Win32Ui::FolderSettings(env::FolderSettingsModel& model) {
  win32::FolderSettingsDialog dialog(model, *this);
  return dialog.Run(ParentOf(parent()));
}

bool Win32Ui::ProjectDialog(const std::string& title, std::string* name,
                            std::string* author) {
  win32::ProjectNewDialog dialog(title, name, author);
  return dialog.Run(ParentOf(parent()));
}

bool Win32Ui::SelectProject(const std::string& folder, std::string* project) {
  ZBPROPOS_L request{};
  recordstore::SetFieldText(request.szDataPfad, folder);
  recordstore::SetFieldText(request.szProName, *project);
  if (!SelectProjectIn(&request)) return false;
  *project = recordstore::FieldText(request.szProName);
  return true;
}

bool Win32Ui::SelectProjectIn(ZBPROPOS_L* request) {
  ProjectSelectModel model(library_.store(), *request);
  win32::ProjectSelectDialog dialog(model);
  if (!dialog.Run(ParentOf(parent()))) return false;
  *request = model.request();
  return true;
}

bool Win32Ui::SelectListedProject(const ListedProjects& listed, int* index) {
  ZBPROPOS_L request{};
  ProjectSelectModel model(library_.store(), request);
  model.SetListed(listed);
  win32::ProjectSelectDialog dialog(model);
  if (!dialog.Run(ParentOf(parent())) || model.chosen() < 0) return false;
  *index = model.chosen();
  return true;
}

bool Win32Ui::SelectProgram(const std::string& prompt, std::string* program) {
  if (!prompt.empty())
    Ask(library_.context().message_title, prompt, env::Buttons::kOk,
        env::Icon::kInformation);
  ProgramSelectModel model(library_.context(), *program);
  win32::ProgramSelectDialog dialog(model);
  if (!dialog.Run(ParentOf(parent()))) return false;
  *program = model.key();
  return true;
}

bool Win32Ui::PositionDialog(env::PositionDialogMode mode,
                             const std::string& title, ZBPROPOS_L* request,
                             const env::PositionTransfer& transfer,
                             env::PositionTransferResult* result) {
  PositionDialogModel model(library_, mode, *request, transfer);
  win32::PositionDialog dialog(model, &library_.context().progress_window);
  dialog.Run(ParentOf(parent()));
  (void)title;  // the model's own caption is the mode's title
  if (!model.accepted()) return false;
  *request = model.request();
  if (result) *result = model.result();
  return true;
}

bool Win32Ui::PositionProperties(const env::PositionPropertiesRequest& dialog) {
  PositionPropertiesModel model(library_, dialog);
  win32::PositionPropertiesDialog window(model);
  return window.Run(ParentOf(parent()));
}

bool Win32Ui::PositionName(const std::string& title, std::string* long_name) {
  PositionNameModel model(title, *long_name);
  win32::PositionNameDialog dialog(model);
  if (!dialog.Run(ParentOf(parent()))) return false;
  *long_name = model.Name();
  return true;
}

int32_t Win32Ui::Explorer(ZBPROPOS_L* request) {
  win32::ExplorerDialogsWin32 dialogs;
  ExplorerModel model(library_, *request, dialogs);
  win32::ExplorerWindow window(model, dialogs,
                               &library_.context().dialog_parent);
  window.Run(ParentOf(parent()));
  if (!model.ended()) return 0;  // the window could not be made
  if (model.accepted()) *request = model.request();
  return model.accepted() ? model.result() : 0;
}

int Win32Ui::ShowPreview(const PreviewView& view) {
  return ShowPreviewWindow(ParentOf(parent()), view);
}

int Win32Ui::ShellFileOperation(FileOperation operation,
                                const std::string& from, const std::string& to,
                                const std::string& progress_title) {
  // The shell wants lists ending in two zero characters.
  const std::string from_list = from + '\0';
  const std::string to_list = to + '\0';
  SHFILEOPSTRUCTA request = {};
  request.hwnd = ParentOf(parent());
  request.pFrom = from_list.c_str();
  request.fFlags = FOF_SIMPLEPROGRESS | FOF_FILESONLY | FOF_ALLOWUNDO;
  switch (operation) {
    case FileOperation::kCopy: request.wFunc = FO_COPY; break;
    case FileOperation::kMove: request.wFunc = FO_MOVE; break;
    case FileOperation::kDelete:
      request.wFunc = FO_DELETE;
      request.fFlags |= FOF_NOCONFIRMATION;
      break;
  }
  if (operation != FileOperation::kDelete) request.pTo = to_list.c_str();
  request.lpszProgressTitle = progress_title.c_str();
  return SHFileOperationA(&request);
}

}  // namespace zb::explorer
