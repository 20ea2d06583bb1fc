#include "explorer/position_dialog.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "api/library.h"
#include "api/open_save.h"
#include "environment/history_file.h"
#include "environment/strings.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "explorer/position_commands.h"
#include "explorer/texts.h"
#include "zbdb900.h"

namespace zb::explorer {

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using recordstore::FieldText;
using recordstore::SetFieldText;

constexpr size_t kMaxDataFolders = 10;
// The view modes of the commands IDM_POS_VIEW_FIRST and the three after it.
const char* const kViews[] = {"ICON", "SMALLICON", "LIST", "REPORT"};

}  // namespace

PositionDialogModel::PositionDialogModel(api::Library& lib,
                                         env::PositionDialogMode mode,
                                         const ZBPROPOS_L& request,
                                         env::PositionTransfer transfer)
    : lib_(lib),
      mode_(mode),
      request_(request),
      first_project_(Trimmed(Text(request.szProName))),
      transfer_(std::move(transfer)),
      list_(lib, PositionListModel::kDialogSection) {}

void PositionDialogModel::OnInit(int list_width) {
  state_.title = caption();
  state_[IDC_POS_ACTION].text = open_mode() ? "&Öffnen" : "&Speichern";
  state_[IDC_POS_EMPTY].text = kEmptyLabel;
  state_[IDC_POS_USER].text = lib_.context().user;
  state_[IDC_POS_PROGRESS].visible = false;
  state_[IDC_POS_TEXT].checked = true;
  state_[IDC_POS_FOLDER].text = Text(request_.szDataPfad);
  folders_ = env::ReadDataFolderList(lib_.os(), lib_.context().folders,
                                     kMaxDataFolders);
  list_.Setup(list_width);
  ShowList();
  ApplyControlFlags();
  if (open_mode()) {
    if (!list_.state().rows.empty()) {
      const int row = list_.FindRow(Text(request_.szPosNameLong));
      if (row >= 0) SelectRow(row);
      const api::PositionListEntry* selected = list_.Selected();
      if (selected) name_ = Text(selected->info.PosNameLong);
      state_[IDC_POS_NAME].text = name_;
    }
  } else {
    name_ = RightTrimmed(Text(request_.szPosNameLong));
    designation_ = Text(request_.szProBezeichnung);
    state_[IDC_POS_NAME].text = name_;
    state_[IDC_POS_DESIGNATION].text = designation_;
    const int row = list_.FindRow(name_);
    if (row >= 0) SelectRow(row);
    state_[IDC_POS_PERMANENT].text = "Projekt permanent wechseln";
    state_.focus = IDC_POS_NAME;
  }
  state_[IDC_POS_PERMANENT].visible = false;
  state_[IDC_POS_IMPORT].visible = false;
  state_[IDC_POS_ACTION].enabled = true;
  state_[IDC_POS_DESIGNATION].enabled = true;
  RefreshInfo();
  WarnIfWriteProtected();
}

void PositionDialogModel::WarnIfWriteProtected() {
  // Once per project: the warning would repeat on every refill otherwise.
  const std::string& file = list_.project_path();
  if (file.empty() || file == warned_project_) return;
  const size_t slash = file.find_last_of("\\/");
  const std::string folder =
      slash == std::string::npos ? std::string() : file.substr(0, slash);
  bool folder_read_only = false, file_read_only = false;
  platform::Platform& os = lib_.os();
  if (!folder.empty()) os.IsReadOnly(folder, &folder_read_only);
  os.IsReadOnly(file, &file_read_only);
  if (!folder_read_only && !file_read_only) return;
  warned_project_ = file;
  lib_.ui().Ask(caption(), env::SystemText(35042, folder), env::Buttons::kOk,
                env::Icon::kWarning);
}

void PositionDialogModel::ShowList() {
  list_.ShowProject(request_);
  ++list_revision_;
  state_[IDC_POS_PROJECT].text = Text(request_.szProName);
  state_[IDC_POS_EMPTY].visible = list_.state().rows.empty();
  state_[IDC_POS_COUNTER].text = list_.CounterText();
}

void PositionDialogModel::SelectRow(int row) {
  list_.state().SelectOnly(row);
  state_[IDC_POS_COUNTER].text = list_.CounterText();
}

void PositionDialogModel::ApplyControlFlags() {
  const uint16_t flags = lib_.context().position_dialog_flags;
  const bool hide = (flags & 16) != 0;
  const auto off = [&](int id) {
    state_[id].enabled = false;
    if (hide) state_[id].visible = false;
  };
  if (flags & 1) {
    off(IDC_POS_CHOOSE_FOLDER);
    off(IDC_POS_FOLDER);
  }
  if (flags & 2) {
    off(IDC_POS_CHOOSE_PROJECT);
    off(IDC_POS_PROJECT);
  }
}

void PositionDialogModel::RefreshInfo() {
  const api::PositionListEntry* e = list_.Selected();
  const int ids[] = {IDC_POS_CREATED, IDC_POS_CHANGED,  IDC_POS_RECORDS,
                     IDC_POS_PROGRAM, IDC_POS_DATA_VERSION, IDC_POS_PRINTED,
                     IDC_POS_PAGE,    IDC_POS_INFO};
  for (int id : ids) state_[id].text.clear();
  preview_ = ps::PreviewPicture();
  if (!e) return;
  const bool with_time = lib_.context().config.date_time_column != 0;
  state_[IDC_POS_CREATED].text = PositionDateText(e->info.created, false);
  state_[IDC_POS_CHANGED].text = PositionDateText(e->info.saved, with_time);
  state_[IDC_POS_RECORDS].text = Number(e->info.Recs);
  state_[IDC_POS_PROGRAM].text = lib_.catalogue().TitleByNumber(e->program);
  state_[IDC_POS_DATA_VERSION].text = Number(e->info.DatVer);
  state_[IDC_POS_PRINTED].text = PositionDateText(e->info.page_time, false);
  state_[IDC_POS_PAGE].text = Number(e->info.page_start);
  if (show_preview_) {
    ZBPROPOS_L request = RequestOf(*e);
    std::vector<uint8_t> blob(ps::kPreviewBufferSize);
    const int32_t n = ps::LoadPreview(lib_.store(), &request, blob.data(),
                                      static_cast<int32_t>(blob.size()));
    preview_ = ps::DecodePreview(blob.data(), n > 0 ? n : 0);
  } else {
    std::string text = Text(e->info.Msg);
    const std::string designation = Text(e->info.Designation);
    if (!designation.empty()) text += "\r\n" + designation;
    state_[IDC_POS_INFO].text = text;
  }
}

ZBPROPOS_L PositionDialogModel::RequestOf(
    const api::PositionListEntry& entry) const {
  ZBPROPOS_L r = request_;
  SetFieldText(r.szPrgName, lib_.catalogue().KeyByNumber(entry.program));
  std::string name = Text(entry.info.PosNameLong);
  if (Trimmed(name).empty()) name = Text(entry.info.PosName);
  SetFieldText(r.szPosNameLong, name);
  std::memset(r.szPosName, 0, sizeof r.szPosName);
  return r;
}

void PositionDialogModel::End(bool ok) {
  ended_ = true;
  list_.WriteSettings();
  accepted_ = ok;
  if (ok && state_.at(IDC_POS_PERMANENT).checked)
    lib_.context().current_project = Trimmed(Text(request_.szProName));
}

void PositionDialogModel::OnAction() {
  if (open_mode())
    OpenAction();
  else
    SaveAction();
}

void PositionDialogModel::OnEnter(bool name_has_focus) {
  if (!open_mode() && name_has_focus) {
    state_.focus = IDC_POS_DESIGNATION;
    return;
  }
  if (!open_mode()) return;
  OpenAction();
}

void PositionDialogModel::OnCancel() {
  lib_.log().Append("\n*ESC*\n");
  End(false);
}

void PositionDialogModel::OpenAction() {
  // A typed name picks its row; a name of no position may become a new one.
  const api::PositionListEntry* selected = list_.Selected();
  const std::string typed = Trimmed(name_);
  if (!typed.empty() &&
      (!selected || ps::PositionCompareName(Text(selected->info.PosNameLong)) !=
                        ps::PositionCompareName(typed))) {
    const int row = list_.FindRow(typed);
    if (row >= 0) {
      SelectRow(row);
    } else {
      const env::Answer answer = lib_.ui().Ask(
          kOpenCaption,
          env::FillPlaceholders(
              "Position '%1' existiert nicht.\nNeue Position anlegen?", typed),
          env::Buttons::kYesNo, env::Icon::kQuestion);
      if (answer != env::Answer::kYes) return;
      // The transfer makes a new position of a name that has none.
      End(true);
      SetFieldText(request_.szPosNameLong, typed.substr(0, 41));
      std::memset(request_.szPosName, 0, sizeof request_.szPosName);
      SetFieldText(request_.szProBezeichnung, designation_);
      Transfer();
      return;
    }
  }
  End(true);
  if (list_.state().rows.empty()) {
    lib_.ui().Ask("Meldung",
                  "Positionsliste ist leer. \nÖffnen nicht möglich.",
                  env::Buttons::kOk, env::Icon::kInformation);
    return;
  }
  selected = list_.Selected();
  if (!selected) return;
  request_ = RequestOf(*selected);
  const std::string folder =
      api::NormaliseRequestFolder(lib_, Text(request_.szDataPfad));
  SetFieldText(request_.szDataPfad, folder);
  if (api::TestFolder(lib_, folder, true) < 0) {
    result_.error = api::kFolderUndefined;
    return;
  }
  Transfer();
}

void PositionDialogModel::Transfer() {
  result_ = transfer_(&request_);
  // An unsaved position this program left behind is offered once it runs.
  ZB_AutoSaveGet(Trimmed(Text(request_.szPrgName)).c_str());
  lib_.log().Append("\n** OK **\n");
}

void PositionDialogModel::SaveAction() {
  const std::string typed = Trimmed(name_);
  if (typed.empty()) {
    state_.focus = IDC_POS_NAME;
    return;
  }
  const int16_t program =
      lib_.catalogue().NumberByKey(Trimmed(Text(request_.szPrgName)));
  const std::string wanted = ps::PositionCompareName(typed);
  bool same_program = false, other_program = false;
  for (size_t r = 0; r < list_.state().rows.size(); ++r) {
    const api::PositionListEntry* e = list_.EntryOfRow(static_cast<int>(r));
    if (ps::PositionCompareName(Text(e->info.PosNameLong)) != wanted) continue;
    (e->program == program ? same_program : other_program) = true;
  }
  if (other_program && !same_program &&
      lib_.ui().Ask(kSaveCaption,
                    "Der Positionsname existiert schon jedoch zu einem anderen "
                    "Programm. \nGleichnamige Position anlegen?",
                    env::Buttons::kYesNo,
                    env::Icon::kQuestion) != env::Answer::kYes)
    return;
  if (same_program &&
      lib_.ui().Ask(kSaveCaption,
                    env::FillPlaceholders(
                        "Position '%1' existiert bereits.\nÜberschreiben? ",
                        typed),
                    env::Buttons::kYesNo,
                    env::Icon::kQuestion) != env::Answer::kYes)
    return;
  SetFieldText(request_.szPosNameLong, typed.substr(0, 41));
  std::memset(request_.szPosName, 0, sizeof request_.szPosName);
  SetFieldText(request_.szProBezeichnung, designation_);
  state_[IDC_POS_PROGRESS].visible = true;
  result_ = transfer_(&request_);
  state_[IDC_POS_PROGRESS].visible = false;
  End(true);
}

void PositionDialogModel::OnChooseProject() {
  std::string project = Trimmed(Text(request_.szProName));
  if (!lib_.ui().SelectProject(Text(request_.szDataPfad), &project)) return;
  SetFieldText(request_.szProName, project);
  ShowList();
  state_[IDC_POS_PERMANENT].visible = Trimmed(project) != first_project_;
  RefreshInfo();
  WarnIfWriteProtected();
}

void PositionDialogModel::OnChooseFolder() {
  std::string folder = Text(request_.szDataPfad);
  if (!lib_.ui().ChooseFolder("Datenverzeichnis", &folder)) return;
  OnFolderSelected(folder);
}

void PositionDialogModel::OnFolderSelected(const std::string& folder) {
  if (folder.empty() || folder == Text(request_.szDataPfad)) return;
  SetFieldText(request_.szDataPfad, folder);
  state_[IDC_POS_FOLDER].text = folder;
  ShowList();
  RefreshInfo();
  WarnIfWriteProtected();
}

void PositionDialogModel::OnPermanentClicked() {
  state_[IDC_POS_PERMANENT].checked = !state_[IDC_POS_PERMANENT].checked;
}

void PositionDialogModel::OnInfoMode(int id) {
  show_preview_ = id == IDC_POS_PREVIEW;
  state_[IDC_POS_TEXT].checked = !show_preview_;
  state_[IDC_POS_PREVIEW].checked = show_preview_;
  RefreshInfo();
}

void PositionDialogModel::OnNameChanged(const std::string& text) {
  name_ = text;
  state_[IDC_POS_NAME].text = text;
  if (list_.state().rows.empty()) return;
  SelectRow(-1);
  state_[IDC_POS_DESIGNATION].enabled = false;
  RefreshInfo();
}

void PositionDialogModel::OnNameFocusGained() {
  name_ = RightTrimmed(name_);
  state_[IDC_POS_NAME].text = name_;
}

void PositionDialogModel::OnNameFocusLost() {
  // A typed name of a listed position selects it; another name is a new
  // position, whose designation may be typed.
  const int row = list_.FindRow(Trimmed(name_));
  if (row >= 0) {
    SelectRow(row);
    designation_ = Text(list_.Selected()->info.Designation);
    state_[IDC_POS_DESIGNATION].text = designation_;
  }
  state_[IDC_POS_DESIGNATION].enabled = !open_mode() || row < 0;
  RefreshInfo();
}

void PositionDialogModel::OnDesignationChanged(const std::string& text) {
  designation_ = text;
  state_[IDC_POS_DESIGNATION].text = text;
}

void PositionDialogModel::OnSelectionChanged(int row) {
  if (row != list_.state().FirstSelected()) SelectRow(row);
  pending_ = true;
}

void PositionDialogModel::OnTimer() {
  if (!pending_) return;
  pending_ = false;
  state_[IDC_POS_COUNTER].text = list_.CounterText();
  if (const api::PositionListEntry* e = list_.Selected()) {
    name_ = Text(e->info.PosNameLong);
    state_[IDC_POS_NAME].text = name_;
    designation_ = Text(e->info.Designation);
    state_[IDC_POS_DESIGNATION].text = designation_;
    state_[IDC_POS_DESIGNATION].enabled = true;
  }
  RefreshInfo();
}

void PositionDialogModel::OnDoubleClick(int row) {
  if (row < 0 || !list_.EntryOfRow(row)) return;
  SelectRow(row);
  name_ = Text(list_.Selected()->info.PosNameLong);
  state_[IDC_POS_NAME].text = name_;
  OnAction();
}

void PositionDialogModel::OnColumnClick(int column) {
  list_.OnColumnClick(column);
  ++list_revision_;
}

void PositionDialogModel::OnMenu(int id) {
  if (id >= IDM_POS_VIEW_FIRST && id < IDM_POS_VIEW_FIRST + 4) {
    list_.SetViewMode(kViews[id - IDM_POS_VIEW_FIRST]);
  } else if (const char* mode = SortModeOf(id)) {
    list_.SetSortMode(mode);
  } else if (id == IDM_POS_RENAME) {
    const api::PositionListEntry* e = list_.Selected();
    if (!e) return;
    const std::string name = RenamePositionAsked(lib_, RequestOf(*e));
    ShowList();
    SelectRow(list_.FindRow(name));
    RefreshInfo();
    return;
  } else if (id == IDM_POS_DELETE) {
    OnDelete();
    return;
  } else {
    return;
  }
  ++list_revision_;
}

const char* PositionDialogModel::SortModeOf(int id) {
  switch (id) {
    case IDM_POS_SORT_NAME_UP: return "ASCENDING";
    case IDM_POS_SORT_NAME_DOWN: return "DESCENDING";
    case IDM_POS_SORT_DATE_UP: return "DATEASCENDING";
    case IDM_POS_SORT_DATE_DOWN: return "DATEDESCENDING";
    default: return nullptr;
  }
}

bool PositionDialogModel::checked(int id) const {
  if (id >= IDM_POS_VIEW_FIRST && id < IDM_POS_VIEW_FIRST + 4)
    return list_.view_mode() == kViews[id - IDM_POS_VIEW_FIRST];
  const char* mode = SortModeOf(id);
  return mode && list_.sort_mode() == mode;
}

void PositionDialogModel::OnRename(const std::string& new_name) {
  const api::PositionListEntry* e = list_.Selected();
  if (!e || Trimmed(new_name).empty()) return;
  ZBPROPOS_L source = RequestOf(*e);
  ZBPROPOS_L target = source;
  SetFieldText(target.szPosNameLong, Trimmed(new_name).substr(0, 41));
  const std::string kept = name_;
  if (ZB_PositionRename_L(&source, &target) > 0) {
    ShowList();
    SelectRow(list_.FindRow(Trimmed(new_name)));
  }
  name_ = kept;
  RefreshInfo();
}

void PositionDialogModel::OnDelete() {
  const api::PositionListEntry* e = list_.Selected();
  if (!e) return;
  if (DeletePositionsAsked(lib_, caption(), {RequestOf(*e)}) > 0) ShowList();
  RefreshInfo();
}

}  // namespace zb::explorer
