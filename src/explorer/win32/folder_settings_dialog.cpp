#include "explorer/win32/folder_settings_dialog.h"

#include "explorer/win32/folder_settings_ids.h"

namespace zb::explorer::win32 {
namespace env = zb::environment;

namespace {
constexpr int kRows = 5;
env::FolderField FieldOf(int row) { return static_cast<env::FolderField>(row); }
}  // namespace

bool FolderSettingsDialog::Run(HWND parent) {
  return RunModal(IDD_FOLDER_SETTINGS, parent) == IDOK;
}

bool FolderSettingsDialog::OnInit() {
  model_.OnInit();
  Button(Item(IDC_CHOICE_LOGGED_IN_USER).handle()).SetChecked(true);
  MirrorModel();
  // The user comes to mend a folder: start in the first invalid field he
  // may edit, else on OK.
  Window focus = Item(IDOK);
  for (int row = 0; row < kRows; ++row) {
    const env::FolderField field = FieldOf(row);
    if (!model_.valid(field) && model_.editable(field)) {
      focus = Item(IDC_FOLDER_EDIT + row);
      break;
    }
  }
  focus.Focus();
  return false;
}

void FolderSettingsDialog::MirrorModel() {
  mirroring_ = true;
  for (int row = 0; row < kRows; ++row) {
    const env::FolderField field = FieldOf(row);
    const Window edit = Item(IDC_FOLDER_EDIT + row);
    if (edit.Text() != model_.text(field)) edit.SetText(model_.text(field));
    SendMessageA(edit.handle(), EM_SETREADONLY, !model_.editable(field), 0);
    if (row > 0) Item(IDC_FOLDER_CHOOSE + row).Enable(model_.editable(field));
    InvalidateRect(Item(IDC_FOLDER_PICTURE + row).handle(), nullptr, TRUE);
  }
  mirroring_ = false;
}

std::optional<env::FolderField> FolderSettingsDialog::FocusedField() const {
  const int id = FocusedId();
  if (id >= IDC_FOLDER_EDIT && id < IDC_FOLDER_EDIT + kRows)
    return FieldOf(id - IDC_FOLDER_EDIT);
  return std::nullopt;
}

bool FolderSettingsDialog::OnCommand(int id, int code) {
  if (id >= IDC_FOLDER_EDIT && id < IDC_FOLDER_EDIT + kRows) {
    if (code == EN_CHANGE && !mirroring_)
      model_.SetText(FieldOf(id - IDC_FOLDER_EDIT),
                     Item(id).Text());
    return true;
  }
  if (id > IDC_FOLDER_CHOOSE && id < IDC_FOLDER_CHOOSE + kRows &&
      code == BN_CLICKED) {
    const env::FolderField field = FieldOf(id - IDC_FOLDER_CHOOSE);
    std::string folder = model_.text(field);
    if (ui_.ChooseFolder(env::FolderSettingsModel::Label(field), &folder)) {
      model_.OnChosen(field, folder);
      MirrorModel();
    }
    return true;
  }
  if (id == IDC_EXPERT_MODE && code == BN_CLICKED) {
    model_.OnExpertMode();
    MirrorModel();
    return true;
  }
  return false;
}

void FolderSettingsDialog::OnOK() {
  const bool close = model_.OnOk(FocusedField());
  MirrorModel();
  if (close) End(IDOK);
}

// The caller runs the model's cancel handling and shows its message.
void FolderSettingsDialog::OnCancel() { End(IDCANCEL); }

// The validity pictures: a green tick for a valid folder, a red cross for
// one that is not.
bool FolderSettingsDialog::OnMessage(UINT message, WPARAM, LPARAM l,
                                     LRESULT* result) {
  if (message != WM_DRAWITEM) return false;
  auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(l);
  const int row = static_cast<int>(draw->CtlID) - IDC_FOLDER_PICTURE;
  if (row < 0 || row >= kRows) return false;
  const RECT& r = draw->rcItem;
  FillRect(draw->hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  const bool valid = model_.valid(FieldOf(row));
  HPEN pen = CreatePen(PS_SOLID, 2, valid ? RGB(0, 150, 0) : RGB(210, 0, 0));
  HGDIOBJ old = SelectObject(draw->hDC, pen);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (valid) {
    MoveToEx(draw->hDC, r.left + w / 6, r.top + h / 2, nullptr);
    LineTo(draw->hDC, r.left + w * 2 / 5, r.bottom - h / 5);
    LineTo(draw->hDC, r.right - w / 6, r.top + h / 5);
  } else {
    MoveToEx(draw->hDC, r.left + w / 5, r.top + h / 5, nullptr);
    LineTo(draw->hDC, r.right - w / 5, r.bottom - h / 5);
    MoveToEx(draw->hDC, r.right - w / 5, r.top + h / 5, nullptr);
    LineTo(draw->hDC, r.left + w / 5, r.bottom - h / 5);
  }
  SelectObject(draw->hDC, old);
  DeleteObject(pen);
  *result = TRUE;
  return true;
}

}  // namespace zb::explorer::win32
