#include "explorer/explorer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "api/library.h"
#include "api/request_records.h"
#include "environment/history_file.h"
#include "environment/login.h"
#include "environment/strings.h"
#include "exchange/backup.h"
#include "explorer/list_print.h"
#include "explorer/mail_dialog.h"
#include "explorer/program_launch.h"
#include "projectstore/position_copy.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_exchange.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "explorer/position_commands.h"
#include "explorer/texts.h"
#include "zbdb900.h"

namespace zb::explorer {

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using recordstore::FieldText;
using recordstore::SetFieldText;

template <size_t N>
void TrimField(char (&field)[N]) {
  SetFieldText(field, Trimmed(Text(field)));
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

constexpr size_t kMaxDataFolders = 10;
constexpr int32_t kProjectNameTaken = -201;  // ERR_PRO_NOTNEW
constexpr const char* kNotActive = "Aktion noch nicht aktiv";
constexpr const char* kPositionGone = "Position nicht gefunden";
constexpr const char* kManagedOnly =
    " Dieses Projekt kann nur im Z+B Manager gel\xF6scht werden ";

bool IsManagedPath(const std::string& path) {
  return Upper(path).find("PROJECTDATA.ZBDB") != std::string::npos;
}

// The sort mode of each sort command.
const char* SortModeOf(int command) {
  switch (command) {
    case IDM_EX_SORT_NAME_UP: return "ASCENDING";
    case IDM_EX_SORT_NAME_DOWN: return "DESCENDING";
    case IDM_EX_SORT_DATE_UP: return "DATEASCENDING";
    case IDM_EX_SORT_DATE_DOWN: return "DATEDESCENDING";
    case IDM_EX_SORT_AUTHOR_UP: return "AUTHORASCENDING";
    case IDM_EX_SORT_AUTHOR_DOWN: return "AUTHORDESCENDING";
    case IDM_EX_SORT_PROGRAM_UP: return "PRGASCENDING";
    case IDM_EX_SORT_PROGRAM_DOWN: return "PRGDESCENDING";
    default: return nullptr;
  }
}

// Half of `delta` rounded away from zero: the left side's share.
int LeftShare(int delta) {
  return delta >= 0 ? (delta + 1) / 2 : -((1 - delta) / 2);
}

}  // namespace

bool ExplorerDialogs::Mail(MailDialogModel&) { return false; }
bool ExplorerDialogs::Columns(ColumnChoice*) { return false; }
bool ExplorerDialogs::Cleanup(CleanupChoice*) { return false; }
bool ExplorerDialogs::Help(const std::string&) { return false; }
bool ExplorerDialogs::ChooseFile(const std::string&, const std::string&,
                                 const std::string&, std::string*) {
  return false;
}

ExplorerLayout ResizedLayout(const ExplorerLayout& at_open, int dx, int dy,
                             bool preview_shown) {
  ExplorerLayout out = at_open;
  const int h = LeftShare(dx);
  const int half_dy = dy / 2;
  const auto change = [&out](int id, int move_x, int move_y, int grow_x,
                             int grow_y) {
    auto it = out.find(id);
    if (it == out.end()) return;
    it->second.x += move_x;
    it->second.y += move_y;
    it->second.width += grow_x;
    it->second.height += grow_y;
  };
  if (preview_shown) {
    change(IDC_EX_PROJECTS, 0, 0, h, half_dy);
    change(IDC_EX_SPLIT_HORIZONTAL, 0, half_dy, h, 0);
    change(IDC_EX_PREVIEW_FRAME, 0, half_dy, h, dy - half_dy);
    change(IDC_EX_PREVIEW, 0, half_dy, h, dy - half_dy);
  } else {
    change(IDC_EX_PROJECTS, 0, 0, h, dy);
  }
  change(IDC_EX_SPLIT_VERTICAL, h, 0, 0, dy);
  change(IDC_EX_POSITIONS, h, 0, dx - h, dy);
  change(IDC_EX_CHOOSE_FOLDER, dx, 0, 0, 0);
  change(IDC_EX_FOLDER, dx, 0, 0, 0);
  change(IDC_EX_PROGRESS, h, dy, h, 0);
  change(IDC_EX_PROJECT_COUNTER, h, dy, 0, 0);
  change(IDC_EX_POSITION_COUNTER, dx, dy, 0, 0);
  return out;
}

ExplorerModel::ExplorerModel(api::Library& lib, const ZBPROPOS_L& request,
                             ExplorerDialogs& dialogs)
    : lib_(lib),
      dialogs_(dialogs),
      request_(request),
      projects_(lib.store()),
      positions_(lib, PositionListModel::kExplorerSection) {
  projects_.set_section(kProjectSection);
}

// ---- Opening, selection, timer ---------------------------------------

void ExplorerModel::OnInit(int position_list_width) {
  result_ = 0;
  state_.title = kTitle;
  env::LibraryContext& context = lib_.context();
  preview_shown_ = context.config.previews_shown != 0;
  state_[IDC_EX_PREVIEW_FRAME].visible = preview_shown_;
  state_[IDC_EX_PREVIEW].visible = preview_shown_;
  state_[IDC_EX_PROGRESS].visible = false;

  if (Text(request_.szDataPfad).empty())
    SetFieldText(request_.szDataPfad, context.folders.data);
  folders_ = env::ReadDataFolderList(lib_.os(), context.folders,
                                     kMaxDataFolders);
  const std::string folder = Text(request_.szDataPfad);
  if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
    folders_.insert(folders_.begin(), folder);
  state_[IDC_EX_FOLDER].text = folder;
  if (context.rebuild_project_list) {
    ps::RebuildProjectList(lib_.store(), folder);
    context.rebuild_project_list = false;
  }

  TrimField(request_.szProName);
  TrimField(request_.szAuthor);
  TrimField(request_.szMsg);
  TrimField(request_.szProBezeichnung);
  TrimField(request_.szPosNameLong);
  caller_key_ = Upper(Trimmed(Text(request_.szPrgName)));
  if (caller_key_.find('?') != std::string::npos) caller_key_ = "ALLE";
  SetFieldText(request_.szPrgName, caller_key_);
  filter_ = caller_key_.empty() ? "ALLE" : caller_key_;

  projects_.SetViewMode("SMALLICON");
  ShowProjects(Text(request_.szProName));
  projects_.ReadSettings();
  ++project_revision_;
  positions_.Setup(position_list_width);
  ShowPositions();
  const int row = positions_.FindRow(Text(request_.szPosNameLong));
  if (row >= 0) positions_.state().SelectOnly(row);
  DrawPreview();
  UpdateCounters();
}

void ExplorerModel::ShowProjects(const std::string& select) {
  projects_.Show(Text(request_.szDataPfad), select);
  if (!projects_.Selected() && !projects_.state().rows.empty())
    projects_.Select(0);
  ++project_revision_;
}

void ExplorerModel::ShowPositions() {
  if (const ProjectEntry* p = projects_.Selected()) {
    SetFieldText(request_.szProName, Trimmed(Text(p->info.szProject)));
    SetFieldText(request_.szAuthor, Trimmed(Text(p->info.szAuthor)));
  }
  positions_.SetProgramFilter(filter_);
  ZBPROPOS_L shown = request_;
  if (!projects_.Selected()) std::memset(shown.szProName, 0, sizeof shown.szProName);
  positions_.ShowProject(shown);
  ++position_revision_;
  checked_[IDM_EX_ALL_POSITIONS] = filter_ == "ALLE";
  UpdateCounters();
}

void ExplorerModel::UpdateCounters() {
  state_[IDC_EX_PROJECT_COUNTER].text = projects_.CounterText();
  state_[IDC_EX_POSITION_COUNTER].text = positions_.CounterText();
}

void ExplorerModel::DrawPreview() {
  preview_ = ps::PreviewPicture();
  state_[IDC_EX_PREVIEW].text = "Ohne Vorschau";
  const api::PositionListEntry* e = positions_.Selected();
  if (!e || !preview_shown_) return;
  ZBPROPOS_L request = PositionRequest(*e);
  std::vector<uint8_t> blob(ps::kPreviewBufferSize);
  const int32_t n = ps::LoadPreview(lib_.store(), &request, blob.data(),
                                    static_cast<int32_t>(blob.size()));
  preview_ = ps::DecodePreview(blob.data(), n > 0 ? n : 0);
  if (preview_.state == 0) state_[IDC_EX_PREVIEW].text.clear();
}

void ExplorerModel::TakePositionFields() {
  const api::PositionListEntry* e = positions_.Selected();
  if (!e) return;
  SetFieldText(request_.szPosNameLong, Text(e->info.PosNameLong));
  SetFieldText(request_.szMsg, Trimmed(Text(e->info.Msg)));
  SetFieldText(request_.szProBezeichnung, Trimmed(Text(e->info.Designation)));
}

void ExplorerModel::OnProjectSelectionChanged() {
  ++project_changes_;
  UpdateCounters();
}

void ExplorerModel::OnPositionSelectionChanged() {
  ++position_changes_;
  TakePositionFields();
  UpdateCounters();
}

void ExplorerModel::OnTimer() {
  if (focus_ == ExplorerFocus::kNone) return;
  bool draw = false;
  if (project_changes_ > 0 && projects_.Selected()) {
    ShowPositions();
    state_.focus = IDC_EX_PROJECTS;
    draw = true;
  } else if (focus_ == ExplorerFocus::kProjects) {
    draw = true;
  }
  if (position_changes_ > 0 && positions_.Selected()) draw = true;
  project_changes_ = 0;
  position_changes_ = 0;
  if (draw) DrawPreview();
  UpdateCounters();
}

void ExplorerModel::OnDataFolderPicked(const std::string& folder) {
  if (folder.empty() || folder == Text(request_.szDataPfad)) return;
  SetDataFolder(folder);
}

void ExplorerModel::SetDataFolder(const std::string& folder) {
  SetFieldText(request_.szDataPfad, folder);
  if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
    folders_.insert(folders_.begin(), folder);
  state_[IDC_EX_FOLDER].text = folder;
  std::memset(request_.szProName, 0, sizeof request_.szProName);
  ShowProjects("");
  ShowPositions();
  DrawPreview();
}

void ExplorerModel::OnColumnClick(ExplorerFocus list, int column) {
  if (list == ExplorerFocus::kProjects) {
    projects_.OnColumnClick(column);
    ++project_revision_;
  } else if (list == ExplorerFocus::kPositions) {
    positions_.OnColumnClick(column);
    ++position_revision_;
  }
}

bool ExplorerModel::checked(int command) const {
  auto it = checked_.find(command);
  return it != checked_.end() && it->second;
}

// ---- OK and cancel ----------------------------------------------------

void ExplorerModel::WriteSettings() {
  projects_.WriteSettings();
  positions_.WriteSettings();
}

void ExplorerModel::End(bool accepted) {
  WriteSettings();
  ended_ = true;
  accepted_ = accepted;
}

void ExplorerModel::OnOk() {
  const ProjectEntry* project = projects_.Selected();
  if (project && IsManagedPath(project->path)) {
    Tell(env::FillPlaceholders(
        "Position aus dem Manager-Projekt \n''%1' ' \nkann nicht in "
        "klassischer Projektverwaltung bearbeitet werden.\nSie k\xF6nnen: \n"
        "  - diese Position in ein klassisches Projekt kopieren \n  - oder "
        "die Manager-Projektverwaltung w\xE4hlen (Merko-Dienstprogram: "
        "DBSelect)",
        Trimmed(Text(project->info.szProject))));
    WriteSettings();
    return;
  }
  const api::PositionListEntry* e = positions_.Selected();
  if (focus_ == ExplorerFocus::kPositions && e) {
    const std::string name = Text(e->info.PosNameLong);
    if (e->info.Ctrl & 1) {
      lib_.ui().Ask(env::kMessageTitle,
                    env::FillPlaceholders("Position '%1' ist schreibgesch\xFCtzt!",
                                          name),
                    env::Buttons::kOk, env::Icon::kInformation);
      WriteSettings();
      return;
    }
    const std::string key = Trimmed(lib_.catalogue().KeyByNumber(e->program));
    const std::string caller = Trimmed(Text(request_.szPrgName));
    if (Upper(key) != caller && caller.find('?') == std::string::npos &&
        caller != "ALLE") {
      LaunchProgram(lib_.context(), key, PositionRequest(*e), LaunchMode::kOpen);
      WriteSettings();
      return;
    }
    TakePositionFields();
    SetFieldText(request_.szPrgName, key);
    if (Text(request_.szProName).empty()) SetFieldText(request_.szProName, "    ");
    if (Text(request_.szPosNameLong).empty())
      SetFieldText(request_.szPosNameLong, "    ");
    std::memcpy(lib_.context().explorer_position, &e->info,
                sizeof lib_.context().explorer_position);
    result_ = e->info.Recs < 0 ? 32767 : e->info.Recs;
    End(true);
    return;
  }
  if (focus_ == ExplorerFocus::kProjects && project) {
    SetFieldText(request_.szProName, Trimmed(Text(project->info.szProject)));
    result_ = 1;
  }
  WriteSettings();
}

void ExplorerModel::OnCancel() {
  result_ = 0;
  End(false);
}

std::vector<uint8_t> ExplorerModel::ReadPlacement() {
  std::vector<uint8_t> placement(kPlacementSize);
  const std::string file =
      env::HistoryPath(lib_.context().folders.configuration);
  if (!lib_.os().ReadProfileStruct(file, kPlacementSection, kPlacementKey,
                                   placement.data(), placement.size())) {
    lib_.log().Append("#ERROR# Read/WriteHistory ZBEX_PLACEMENT");
    return {};
  }
  return placement;
}

void ExplorerModel::WritePlacement(const std::vector<uint8_t>& placement) {
  const std::string file =
      env::HistoryPath(lib_.context().folders.configuration);
  if (placement.size() != kPlacementSize ||
      !lib_.os().WriteProfileStruct(file, kPlacementSection, kPlacementKey,
                                    placement.data(), placement.size()))
    lib_.log().Append("#ERROR# Read/WriteHistory ZBEX_PLACEMENT");
}

// ---- Requests and selections ------------------------------------------

ZBPROPOS_L ExplorerModel::ProjectRequest() const {
  ZBPROPOS_L r = request_;
  if (const ProjectEntry* p = projects_.Selected()) {
    SetFieldText(r.szProName, Trimmed(Text(p->info.szProject)));
    SetFieldText(r.szAuthor, Trimmed(Text(p->info.szAuthor)));
  }
  return r;
}

ZBPROPOS_L ExplorerModel::PositionRequest(
    const api::PositionListEntry& entry) const {
  ZBPROPOS_L r = ProjectRequest();
  SetFieldText(r.szPrgName, Trimmed(lib_.catalogue().KeyByNumber(entry.program)));
  SetFieldText(r.szPosNameLong, Text(entry.info.PosNameLong));
  std::memset(r.szPosName, 0, sizeof r.szPosName);
  SetFieldText(r.szMsg, Trimmed(Text(entry.info.Msg)));
  SetFieldText(r.szProBezeichnung, Trimmed(Text(entry.info.Designation)));
  return r;
}

std::vector<const api::PositionListEntry*> ExplorerModel::SelectedPositions()
    const {
  std::vector<const api::PositionListEntry*> out;
  const auto& rows = positions_.state().rows;
  for (size_t r = 0; r < rows.size(); ++r)
    if (rows[r].selected)
      if (const auto* e = positions_.EntryOfRow(static_cast<int>(r)))
        out.push_back(e);
  return out;
}

std::vector<const ProjectEntry*> ExplorerModel::SelectedProjects() const {
  std::vector<const ProjectEntry*> out;
  for (const ListRow& row : projects_.state().rows)
    if (row.selected) out.push_back(&projects_.entries()[row.item]);
  return out;
}

void ExplorerModel::Tell(const std::string& text) {
  lib_.ui().Ask(env::kMessageTitle, text, env::Buttons::kOk,
                env::Icon::kInformation);
}

bool ExplorerModel::Confirm(const std::string& text) {
  return lib_.ui().Ask(env::kMessageTitle, text, env::Buttons::kYesNo,
                       env::Icon::kQuestion) == env::Answer::kYes;
}

// ---- Commands ---------------------------------------------------------

void ExplorerModel::OnCommand(int id) {
  const bool on_projects = focus_ == ExplorerFocus::kProjects;
  const bool on_positions = focus_ == ExplorerFocus::kPositions;
  switch (id) {
    case IDM_EX_DATA_FOLDER: ChooseDataFolder(); return;
    case IDM_EX_PROJECT_NEW: NewProject(); return;
    case IDM_EX_POSITION_NEW: NewPosition(); return;
    case IDM_EX_MAIL:
      Mail(exchange::kMailProtocol | exchange::kMailReport |
           exchange::kMailProject);
      return;
    case IDM_EX_EXIT: End(true); return;
    case IDM_EX_PROJECT_COPY: CopyOrMoveProject(false); return;
    case IDM_EX_PROJECT_MOVE: CopyOrMoveProject(true); return;
    case IDM_EX_PROJECT_DELETE: DeleteProjects(); return;
    case IDM_EX_PROJECT_RENAME:
      if (projects_.Selected()) label_edit_ = ExplorerFocus::kProjects;
      return;
    case IDM_EX_PROJECT_PROTECT_ON: ProtectProject(true); return;
    case IDM_EX_PROJECT_PROTECT_OFF: ProtectProject(false); return;
    case IDM_EX_PRINT_PROJECT_LIST: PrintProjectList(); return;
    case IDM_EX_PRINT_POSITION_LIST: PrintPositionList(false); return;
    case IDM_EX_PRINT_PRINTED_LIST: PrintPositionList(true); return;
    case IDM_EX_PROJECT_MAIL: Mail(exchange::kMailProject); return;
    case IDM_EX_POSITION_MAIL:
      Mail(exchange::kMailProject | (on_positions ? exchange::kMailPosition : 0));
      return;
    case IDM_EX_PROJECT_PROPERTIES: ShowProjectProperties(); return;
    case IDM_EX_POSITION_OPEN: OpenPosition(); return;
    case IDM_EX_POSITION_COPY: CopyOrMovePositions(false); return;
    case IDM_EX_POSITION_MOVE: CopyOrMovePositions(true); return;
    case IDM_EX_POSITION_DELETE: DeletePositions(); return;
    case IDM_EX_POSITION_RENAME: RenamePosition(); return;
    case IDM_EX_SELECT_ALL: SelectAll(false); return;
    case IDM_EX_SELECT_INVERT: SelectAll(true); return;
    case IDM_EX_POSITION_PROTECT_ON: ProtectPositions(true); return;
    case IDM_EX_POSITION_PROTECT_OFF: ProtectPositions(false); return;
    case IDM_EX_PRINT_POSITIONS:
    case IDM_EX_PRINT_SELECTED:
      LaunchForSelected(static_cast<int>(LaunchMode::kPrint));
      return;
    case IDM_EX_MAKE_PREVIEWS:
      LaunchForSelected(static_cast<int>(LaunchMode::kPreview));
      return;
    case IDM_EX_POSITION_PROPERTIES: ShowPositionProperties(); return;
    case IDM_EX_ALL_POSITIONS:
    case IDM_EX_FILTER: ToggleFilter(); return;
    case IDM_EX_CHOOSE_FILTER: ChooseFilter(); return;
    case IDM_EX_VIEW_ICON: SetViewMode("ICON"); return;
    case IDM_EX_VIEW_SMALLICON: SetViewMode("SMALLICON"); return;
    case IDM_EX_VIEW_LIST: SetViewMode("LIST"); return;
    case IDM_EX_VIEW_REPORT: SetViewMode("REPORT"); return;
    case IDM_EX_FOLDER_SETTINGS: FolderSettings(); return;
    case IDM_EX_REPAIR_PROJECT: RepairProject(); return;
    case IDM_EX_POSITION_EXPORT: ExportPosition(); return;
    case IDM_EX_POSITION_IMPORT: ImportPosition(); return;
    case IDM_EX_READ_CATALOGUE: ReadCatalogue(); return;
    case IDM_EX_SHOW_POSITIONS: ShowPositions(); return;
    case IDM_EX_PROJECT_BACKUP: BackupProject(); return;
    case IDM_EX_CONFIGURE: ConfigureColumns(); return;
    case IDM_EX_INFO: ShowInfo(); return;
    case IDM_EX_ABOUT:
      Tell("ZBDB900 Datenverwaltung\n\nProjekte und Positionen der "
           "Statikprogramme");
      return;
    case IDM_EX_DELETE_TEMPORARY: Cleanup(); return;
    case IDM_EX_HELP: ShowHelp(); return;
    case IDM_EX_GENERAL_SETTINGS:
    case IDM_EX_PROJECT_SEARCH:
      Tell(kNotActive);
      return;
    case IDM_EX_COPY:
      if (on_projects) CopyOrMoveProject(false);
      if (on_positions) CopyOrMovePositions(false);
      return;
    case IDM_EX_MOVE:
      if (on_projects) CopyOrMoveProject(true);
      if (on_positions) CopyOrMovePositions(true);
      return;
    case IDM_EX_DELETE:
      if (on_projects) DeleteProjects();
      if (on_positions) DeletePositions();
      return;
    case IDM_EX_RENAME:
      if (on_projects && projects_.Selected())
        label_edit_ = ExplorerFocus::kProjects;
      if (on_positions) RenamePosition();
      return;
    default:
      if (SortModeOf(id)) SetSortMode(id);
      // The rest (filters by protection, tool and status bar, other
      // repairs) has no behaviour.
      return;
  }
}

void ExplorerModel::SetViewMode(const char* name) {
  if (focus_ == ExplorerFocus::kProjects) {
    projects_.SetViewMode(name);
    ++project_revision_;
  } else if (focus_ == ExplorerFocus::kPositions) {
    positions_.SetViewMode(name);
    ++position_revision_;
  }
}

void ExplorerModel::SetSortMode(int command) {
  const char* mode = SortModeOf(command);
  if (focus_ == ExplorerFocus::kProjects) {
    projects_.SetSortMode(mode);
    ++project_revision_;
  } else if (focus_ == ExplorerFocus::kPositions) {
    positions_.SetSortMode(mode);
    ++position_revision_;
  } else {
    return;
  }
  checked_[IDM_EX_SORT_NAME_UP] = command == IDM_EX_SORT_NAME_UP;
  checked_[IDM_EX_SORT_NAME_DOWN] = command == IDM_EX_SORT_NAME_DOWN;
}

void ExplorerModel::ChooseDataFolder() {
  std::string folder = Text(request_.szDataPfad);
  if (!lib_.ui().ChooseFolder("Datenverzeichnis", &folder) || folder.empty())
    return;
  SetDataFolder(folder);
}

void ExplorerModel::NewProject() {
  const std::string folder = Text(request_.szDataPfad);
  std::string name, author;
  if (!lib_.ui().ProjectDialog(
          env::FillPlaceholders("Neues Projekt im Verzeichnis '%1'", folder),
          &name, &author))
    return;
  ZBPROPOS_L r = request_;
  SetFieldText(r.szProName, name);
  SetFieldText(r.szAuthor, author);
  const int32_t number = ZB_ProjectNew_L(&r);
  if (number <= 0) {
    Tell(env::FillPlaceholders(
        "Projekt '%1' konnte nicht angelegt werden.", name));
    return;
  }
  ShowProjects(Text(r.szProName));
  ShowPositions();
}

void ExplorerModel::NewPosition() {
  if (!projects_.Selected()) return;
  std::string key = Trimmed(Text(request_.szPrgName));
  if (key.empty() || key == "ALLE") {
    if (!lib_.ui().SelectProgram("", &key) || key.empty()) return;
  }
  ZBPROPOS_L r = ProjectRequest();
  std::memset(r.szPosNameLong, 0, sizeof r.szPosNameLong);
  std::memset(r.szPosName, 0, sizeof r.szPosName);
  LaunchProgram(lib_.context(), key, r, LaunchMode::kNewPosition);
}

void ExplorerModel::Mail(uint32_t flags) {
  const ProjectEntry* p = projects_.Selected();
  ZBPROPOS_L r = ProjectRequest();
  if (const api::PositionListEntry* e = positions_.Selected())
    r = PositionRequest(*e);
  MailDialogModel model(lib_.store(), flags, r, p ? p->info.number : 0,
                        lib_.context().dialog_parent);
  dialogs_.Mail(model);
}

void ExplorerModel::CopyOrMoveProject(bool move) {
  const ProjectEntry* p = projects_.Selected();
  if (!p) return;
  const std::string name = Trimmed(Text(p->info.szProject));
  std::string folder = Text(request_.szDataPfad);
  if (!lib_.ui().ChooseFolder(
          env::FillPlaceholders(move ? "Projekt %1 verschieben in Verzeichnis... "
                                     : "Projekt %1 kopieren in Verzeichnis... ",
                                name),
          &folder) ||
      folder.empty())
    return;
  ZBPROPOS source{}, target{};
  api::RequestFromLong(ProjectRequest(), &source);
  target = source;
  SetFieldText(target.szDataPfad, folder);
  const int32_t result =
      move ? ZB_ProjectMove(&source, &target) : ZB_ProjectCopy(&source, &target);
  if (result < 0)
    Tell(env::FillPlaceholders(move ? "Projekt '%1' konnte nicht verschoben "
                                      "werden."
                                    : "Projekt '%1' konnte nicht kopiert werden.",
                               name));
  ShowProjects(move ? std::string() : name);
  ShowPositions();
}

void ExplorerModel::DeleteProjects() {
  const std::vector<const ProjectEntry*> chosen = SelectedProjects();
  if (chosen.empty()) return;
  if (chosen.size() > 1 &&
      !Confirm(env::FillPlaceholders("Die %1 markierte Projekte werden "
                                     "gel\xF6scht .",
                                     Number(static_cast<int>(chosen.size())))))
    return;
  std::vector<std::string> names;
  for (const ProjectEntry* p : chosen) {
    if (IsManagedPath(p->path)) {
      Tell(kManagedOnly);
      continue;
    }
    const std::string name = Trimmed(Text(p->info.szProject));
    if (chosen.size() == 1 && !Confirm("Projekt l\xF6schen ?")) return;
    const std::vector<api::PositionListEntry> contents =
        api::LoadPositionList(lib_, p->path);
    if (!contents.empty()) {
      if (!Confirm(env::FillPlaceholders(
              "Das Projekt  '%1'  ist nicht leer .\nSoll es trotzdem "
              "inklusive Inhalt komplett gel\xF6scht werden?",
              name)))
        continue;
      const std::string caller = Trimmed(Text(request_.szPrgName));
      const bool others = std::any_of(
          contents.begin(), contents.end(), [&](const auto& e) {
            return caller != "ALLE" &&
                   Trimmed(lib_.catalogue().KeyByNumber(e.program)) != caller;
          });
      if (others) {
        Tell(env::FillPlaceholders("Im Projekt '%1' existieren auch Positionen "
                                   "von anderen Programmen.",
                                   name) +
             "\n" + "Kontrollieren Sie die Positionsliste.");
        if (!Confirm("Soll wirklich das Projekt mit allen Positionen "
                     "gel\xF6scht werden?"))
          continue;
      }
    }
    names.push_back(name);
  }
  for (const std::string& name : names) {
    ZBPROPOS r{};
    SetFieldText(r.szDataPfad, Text(request_.szDataPfad));
    SetFieldText(r.szPrgName, Text(request_.szPrgName));
    SetFieldText(r.szProName, name);
    if (ZB_ProjectDelete(&r) < 0)
      Tell(env::FillPlaceholders("Projekt '%1' konnte nicht gel\xF6scht "
                                 "werden.",
                                 name));
  }
  if (names.empty()) return;
  ShowProjects("");
  ShowPositions();
  DrawPreview();
}

void ExplorerModel::OnProjectLabelEdited(const std::string& edited) {
  const ProjectEntry* p = projects_.Selected();
  const std::string name = Trimmed(edited);
  if (!p || name.empty()) return;
  const std::string old_name = Trimmed(Text(p->info.szProject));
  if (name == old_name) return;
  if (name.size() < 3) {
    Tell("Der Projektname muss mindestens 3 Zeichen lang sein.");
    return;
  }
  ZBPROPOS source{}, target{};
  api::RequestFromLong(ProjectRequest(), &source);
  target = source;
  SetFieldText(target.szProName, name);
  const int32_t result = ZB_ProjectRename(&source, &target);
  if (result != 1) {
    Tell(result == kProjectNameTaken
             ? env::FillPlaceholders("Projekt '%1' existiert bereits.", name)
             : env::FillPlaceholders("Projekt '%1' konnte nicht umbenannt "
                                     "werden.",
                                     old_name));
    return;
  }
  ShowProjects(name);
  ShowPositions();
}

void ExplorerModel::ProtectProject(bool on) {
  const ProjectEntry* p = projects_.Selected();
  if (!p) return;
  if (IsManagedPath(p->path)) return;
  ps::RecordFile file = ps::RecordFile::OpenExclusive(lib_.engine(), p->path);
  if (!file.is_open()) {
    Tell(env::FillPlaceholders("Projekt '%1' kann nicht ge\xF6""ffnet werden.",
                               Trimmed(Text(p->info.szProject))));
    return;
  }
  std::vector<int16_t> programs;
  for (const api::PositionListEntry& e : api::LoadPositionList(lib_, p->path))
    if (std::find(programs.begin(), programs.end(), e.program) == programs.end())
      programs.push_back(e.program);
  for (int16_t program : programs)
    on ? ps::LockAll(lib_.store(), file.handle(), program)
       : ps::UnlockAll(lib_.store(), file.handle(), program);
  file = ps::RecordFile();
  ShowPositions();
}

void ExplorerModel::ProtectPositions(bool on) {
  const std::vector<const api::PositionListEntry*> chosen = SelectedPositions();
  if (chosen.empty()) return;
  const std::string path = positions_.project_path();
  {
    ps::RecordFile file = ps::RecordFile::OpenExclusive(lib_.engine(), path);
    if (!file.is_open()) return;
    for (const api::PositionListEntry* e : chosen) {
      recordstore::PosInfoExt info{};
      const int32_t at = ps::FindPosition(lib_.store(), file.handle(),
                                          Text(e->info.PosNameLong), e->program,
                                          &info);
      if (at < 0) {
        Tell(kPositionGone);
        continue;
      }
      info.Ctrl = on ? (info.Ctrl | 1) : (info.Ctrl & ~1);
      ps::WritePosInfo(lib_.store(), file.handle(), e->program, at, info);
    }
  }
  ShowPositions();
}

namespace {

PrintTable ProjectTable(const ProjectListModel& list) {
  PrintTable table{{"Projekt", "ge\xE4ndert", "Autor"}, {0, 10, 0}, {}};
  for (const ListRow& row : list.state().rows) {
    const ProjectEntry& e = list.entries()[row.item];
    table.rows.push_back({Trimmed(Text(e.info.szProject)), e.changed,
                          Trimmed(Text(e.info.szAuthor))});
  }
  return table;
}

}  // namespace

void ExplorerModel::PrintProjectList() {
  WriteProjectListJob(lib_.context(), Text(request_.szDataPfad),
                      ProjectTable(projects_));
  StartPrintProgram(lib_.context());
}

void ExplorerModel::PrintPositionList(bool printed_only) {
  if (!projects_.Selected()) return;
  PrintTable table;
  if (printed_only)
    table = {{"Position", "gedruckt", "Seite"}, {0, 10, 5}, {}};
  else
    table = {{"Position", "Beschreibung", "ge\xE4ndert", "Programm", "Seite"},
             {0, 0, 10, 0, 5},
             {}};
  const auto& rows = positions_.state().rows;
  for (size_t r = 0; r < rows.size(); ++r) {
    const api::PositionListEntry* e = positions_.EntryOfRow(static_cast<int>(r));
    const std::vector<std::string>& cells = rows[r].cells;
    if (printed_only) {
      if (e->info.page_time == 0) continue;
      table.rows.push_back({cells[0], cells[7], cells[6]});
    } else {
      table.rows.push_back({cells[0], cells[1], cells[2], cells[5], cells[6]});
    }
  }
  WritePositionListJob(lib_.context(), ProjectRequest(), table);
  StartPrintProgram(lib_.context());
}

void ExplorerModel::ShowProjectProperties() {
  const ProjectEntry* p = projects_.Selected();
  if (!p) return;
  std::string name = Trimmed(Text(p->info.szProject));
  std::string author = Trimmed(Text(p->info.szAuthor));
  const std::string old_name = name, old_author = author;
  if (!lib_.ui().ProjectDialog(env::SystemText(35300), &name, &author)) return;
  if (name == old_name && author == old_author) return;
  ZBPROPOS source{}, target{};
  api::RequestFromLong(ProjectRequest(), &source);
  target = source;
  SetFieldText(target.szProName, name);
  SetFieldText(target.szAuthor, author);
  if (ZB_ProjectRename(&source, &target) != 1) {
    Tell(env::FillPlaceholders("Projekt '%1' konnte nicht ge\xE4ndert werden.",
                               old_name));
    return;
  }
  ShowProjects(name);
  ShowPositions();
}

void ExplorerModel::OpenPosition() {
  const api::PositionListEntry* e = positions_.Selected();
  if (!e) return;
  LaunchProgram(lib_.context(), Trimmed(lib_.catalogue().KeyByNumber(e->program)),
                PositionRequest(*e), LaunchMode::kOpen);
}

void ExplorerModel::CopyOrMovePositions(bool move) {
  const std::vector<const api::PositionListEntry*> chosen = SelectedPositions();
  if (chosen.empty()) return;
  const std::string from_project = Trimmed(Text(request_.szProName));
  const std::string count = Number(static_cast<int>(chosen.size()));
  const std::string first = Text(chosen[0]->info.PosNameLong);
  // The project selection says what is copied where.
  lib_.log().Append(
      "\n" + (chosen.size() > 1
                  ? env::FillPlaceholders(move ? "%1 Positionen verschieben in "
                                                 "Projekt ..."
                                               : "%1 Positionen kopieren in "
                                                 "Projekt...",
                                          count)
                  : env::FillPlaceholders(move ? "Position '%1' verschieben in "
                                                 "Projekt..."
                                               : "Position '%1' kopieren in "
                                                 "Projekt... ",
                                          first)));
  std::string project = from_project;
  if (!lib_.ui().SelectProject(Text(request_.szDataPfad), &project) ||
      Trimmed(project).empty())
    return;
  project = Trimmed(project);
  if (chosen.size() > 1) {
    if (!Confirm(env::FillPlaceholders(
            move ? "Sollen die %1  markierte Positionen verschoben werden?"
                 : "Die %1 markierten Positionen kopieren?",
            count)))
      return;
  } else if (!Confirm(env::FillPlaceholders(
                 move ? "Position '%1' verschieben in Projekt '%2' ?"
                      : "Position '%1' kopieren in Projekt '%2' ?",
                 first, project))) {
    return;
  }
  for (const api::PositionListEntry* e : chosen) {
    ZBPROPOS_L source = PositionRequest(*e);
    ZBPROPOS_L target = source;
    SetFieldText(target.szProName, project);
    std::string name = Text(e->info.PosNameLong);
    const auto exists = [&](const std::string& n) {
      PROINFO info{};
      std::string path;
      if (ps::FindProject(lib_.store(), Text(target.szDataPfad), project, &info,
                          &path) < 0)
        return false;
      return ps::PositionStateOfFile(lib_.store(), path, e->program, n,
                                     nullptr) != 0;
    };
    if (project == from_project || exists(name)) {
      if (project == from_project ||
          !Confirm(env::FillPlaceholders(
              "Position '%1' existiert bereits.\n\xDC""berschreiben? ", name))) {
        const std::string title = env::FillPlaceholders(
            move ? "Position '%1' verschieben in Projekt '%2' als:"
                 : "Position aus  Projekt ' %1' kopieren  in '%2' als:",
            move ? name : from_project, project);
        for (;;) {
          std::string other = name;
          if (!lib_.ui().PositionName(title, &other)) return;
          other = Trimmed(other);
          if (!other.empty() && !exists(other)) {
            name = other;
            break;
          }
        }
      }
    }
    SetFieldText(target.szPosNameLong, name);
    const int32_t result = move ? ps::MovePosition(lib_.store(), &source, &target)
                                : ps::CopyPosition(lib_.store(), &source, &target);
    if (result <= 0)
      Tell(env::FillPlaceholders(move ? "Position '%1' konnte nicht "
                                        "verschoben werden."
                                      : "Position '%1' konnte nicht kopiert "
                                        "werden.",
                                 Text(e->info.PosNameLong)));
  }
  ShowPositions();
  DrawPreview();
}

void ExplorerModel::DeletePositions() {
  std::vector<ZBPROPOS_L> requests;
  for (const api::PositionListEntry* e : SelectedPositions())
    requests.push_back(PositionRequest(*e));
  if (requests.empty() ||
      DeletePositionsAsked(lib_, env::kMessageTitle, requests) == 0)
    return;
  ShowPositions();
  DrawPreview();
}

void ExplorerModel::RenamePosition() {
  const api::PositionListEntry* e = positions_.Selected();
  if (!e) return;
  const std::string name = RenamePositionAsked(lib_, PositionRequest(*e));
  ShowPositions();
  const int row = positions_.FindRow(name);
  if (row >= 0) positions_.state().SelectOnly(row);
  UpdateCounters();
}

void ExplorerModel::SelectAll(bool invert) {
  for (ListRow& row : positions_.state().rows)
    row.selected = invert ? !row.selected : true;
  ++position_revision_;
  UpdateCounters();
}

void ExplorerModel::LaunchForSelected(int mode) {
  const std::vector<const api::PositionListEntry*> chosen = SelectedPositions();
  if (chosen.empty()) return;
  const LaunchMode launch = static_cast<LaunchMode>(mode);
  if (launch == LaunchMode::kPrint &&
      !Confirm(env::FillPlaceholders("%1 gew\xE4hlte Positionen werden "
                                     "gedruckt... ",
                                     Number(static_cast<int>(chosen.size())))))
    return;
  for (const api::PositionListEntry* e : chosen)
    if (!LaunchProgram(lib_.context(),
                       Trimmed(lib_.catalogue().KeyByNumber(e->program)),
                       PositionRequest(*e), launch))
      break;
  ShowPositions();
  DrawPreview();
}

void ExplorerModel::ShowPositionProperties() {
  const api::PositionListEntry* e = positions_.Selected();
  if (!e) return;
  ZBPROPOS_L r = PositionRequest(*e);
  recordstore::PosInfoExt info = e->info;
  env::PositionPropertiesRequest dialog;
  dialog.request = &r;
  dialog.info = &info;
  dialog.write_pages = true;
  dialog.check_new_name = true;
  if (!lib_.ui().PositionProperties(dialog)) return;
  // The dialog has put the confirmed fields into `info`.
  {
    ps::RecordFile file =
        ps::RecordFile::OpenExclusive(lib_.engine(), positions_.project_path());
    if (!file.is_open() ||
        ps::SetPositionInfo(lib_.store(), file.handle(), e->info, info,
                            Text(info.Designation).c_str(), e->program) <= 0)
      Tell(env::FillPlaceholders(
          "Position '%1' konnte nicht ge\xE4ndert werden.",
          Text(e->info.PosNameLong)));
  }
  ShowPositions();
}

void ExplorerModel::ToggleFilter() {
  filter_ = filter_ == "ALLE" && !caller_key_.empty() && caller_key_ != "ALLE"
                ? caller_key_
                : "ALLE";
  ShowPositions();
  DrawPreview();
}

void ExplorerModel::ChooseFilter() {
  std::string key = filter_ == "ALLE" ? std::string() : filter_;
  if (!lib_.ui().SelectProgram("", &key) || key.empty()) return;
  filter_ = Upper(Trimmed(key));
  ShowPositions();
  DrawPreview();
}

void ExplorerModel::FolderSettings() {
  if (env::ShowFolderSettings(lib_.context()) &&
      Text(request_.szDataPfad) != lib_.context().folders.data &&
      !lib_.context().folders.data.empty())
    SetDataFolder(lib_.context().folders.data);
}

void ExplorerModel::RepairProject() {
  if (!projects_.Selected()) return;
  ZBPROPOS_L r = ProjectRequest();
  ZB_Repair_L(&r);
  ShowPositions();
}

void ExplorerModel::ExportPosition() {
  const api::PositionListEntry* e = positions_.Selected();
  if (!e) return;
  ZBPROPOS_L r = PositionRequest(*e);
  const int32_t result = ps::ExportPositionFile(lib_.store(), &r);
  const std::string name = Text(e->info.PosNameLong);
  if (result < 0) {
    Tell(env::FillPlaceholders("Position '%1' konnte nicht exportiert werden.",
                               name));
    return;
  }
  Tell(env::FillPlaceholders("Position    '%1' \nist exportiert in Datei \n\n %2",
                             name, Text(r.szTmpDatei)));
}

void ExplorerModel::ImportPosition() {
  if (!projects_.Selected()) return;
  std::string path;
  if (!dialogs_.ChooseFile("Position Import", Text(request_.szDataPfad), "*.POS",
                           &path) ||
      path.empty())
    return;
  ZBPROPOS_L r = ProjectRequest();
  SetFieldText(r.szTmpDatei, path);
  std::memset(r.szPosNameLong, 0, sizeof r.szPosNameLong);
  const int32_t result = ps::ImportPositionFile(lib_.store(), &r);
  if (result < 0 && result != -101)
    Tell(env::FillPlaceholders("Datei '%1' konnte nicht importiert werden.",
                               path));
  ShowPositions();
}

void ExplorerModel::ReadCatalogue() {
  ps::RebuildProjectList(lib_.store(), Text(request_.szDataPfad));
  ShowProjects(Trimmed(Text(request_.szProName)));
  ShowPositions();
}

void ExplorerModel::BackupProject() {
  const ProjectEntry* p = projects_.Selected();
  if (!p) return;
  state_[IDC_EX_PROGRESS].visible = true;
  exchange::BackupProject(lib_.store(), p->path, Text(request_.szTmpPfad));
  state_[IDC_EX_PROGRESS].visible = false;
}

void ExplorerModel::ConfigureColumns() {
  WriteSettings();
  static const char* const kPositionBoxes[] = {
      "Position",     "Beschreibung", "ge\xE4ndert", "erzeugt",    "Program kurz",
      "Program",      "Seite Nr.",    "gedruckt",    "Bezeichnung"};
  ColumnChoice choice;
  choice.title = "Spalten der Positionsliste in der Detail-Ansicht ";
  choice.note =
      "\n Ausgew\xE4hlte Spalten \n werden mit Standardbreiten\n "
      "dargestellt.\n\n Nicht gew\xE4hlte werden \n in der Ansicht verdeckt";
  choice.offers_time = true;
  choice.with_time = lib_.context().config.date_time_column != 0;
  std::vector<ListColumn>& columns = positions_.state().columns;
  for (size_t c = 0; c < 9; ++c) {
    choice.labels.push_back(kPositionBoxes[c]);
    choice.checked.push_back(c == 0 || columns[c].width > 0);
    choice.enabled.push_back(c != 0);
  }
  if (dialogs_.Columns(&choice)) {
    for (size_t c = 1; c < 9; ++c) {
      if (!choice.checked[c]) columns[c].width = 0;
      else if (columns[c].width == 0) columns[c].width = 80;
    }
    const std::string file =
        env::HistoryPath(lib_.context().folders.configuration);
    if (!positions_.WriteSettings() ||
        !lib_.os().WriteProfileText(file, PositionListModel::kExplorerSection,
                                    "DateTime", Number(choice.with_time ? 1 : 0)))
      lib_.log().Append("#ERROR# Writing PosColWidth");
    lib_.context().config.date_time_column = choice.with_time ? 1 : 0;
    positions_.ReadSettings();
    ShowPositions();
  }

  static const char* const kProjectBoxes[] = {"Projekt", "ge\xE4ndert", "Autor",
                                              "erzeugt", "Projektdatei"};
  ColumnChoice projects;
  projects.title = "Spalten der Projektliste in der Detail-Ansicht ";
  projects.note = choice.note;
  std::vector<ListColumn>& project_columns = projects_.state().columns;
  for (size_t c = 0; c < 5 && c < project_columns.size(); ++c) {
    projects.labels.push_back(kProjectBoxes[c]);
    projects.checked.push_back(c == 0 || project_columns[c].width > 0);
    projects.enabled.push_back(c != 0);
  }
  if (dialogs_.Columns(&projects)) {
    for (size_t c = 1; c < projects.checked.size(); ++c) {
      if (!projects.checked[c]) project_columns[c].width = 0;
      else if (project_columns[c].width == 0) project_columns[c].width = 80;
    }
    projects_.WriteSettings();
    projects_.ReadSettings();
    ++project_revision_;
  }
}

void ExplorerModel::Cleanup() {
  CleanupChoice choice;
  // "nur ..." is offered for the program the explorer was opened for.
  if (filter_ != "ALLE" && !filter_.empty()) {
    choice.program = filter_;
    choice.all_programs = false;
  }
  if (!dialogs_.Cleanup(&choice)) return;
  Tell(CleanupReport(RunCleanup(lib_, choice)));
}

void ExplorerModel::ShowHelp() {
  const std::string file = lib_.context().help_path;
  if (file.empty() || !lib_.os().FileExists(file)) {
    Tell(env::FillPlaceholders("Die Hilfedatei '%1' wurde nicht gefunden.",
                               file));
    return;
  }
  if (!dialogs_.Help(file))
    Tell(env::FillPlaceholders(
        "Die Hilfedatei '%1' kann nicht angezeigt werden.", file));
}

void ExplorerModel::ShowInfo() {
  if (focus_ == ExplorerFocus::kPositions) {
    const api::PositionListEntry* e = positions_.Selected();
    if (!e) return;
    const bool with_time = lib_.context().config.date_time_column != 0;
    Tell("Position:  " + Text(e->info.PosNameLong) +
         "\nKurzname:  " + Text(e->info.PosName) +
         "\nProgramm:  " + lib_.catalogue().TitleByNumber(e->program) +
         "\nBeschreibung:  " + Trimmed(Text(e->info.Msg)) +
         "\nBezeichnung:  " + Trimmed(Text(e->info.Designation)) +
         "\nerzeugt:  " + PositionDateText(e->info.created, false) +
         "\nge\xE4ndert:  " + PositionDateText(e->info.saved, with_time) +
         "\nS\xE4tze:  " + Number(e->info.Recs) +
         "\nSeite Nr.:  " + Number(e->info.page_start) +
         ((e->info.Ctrl & 1) ? "\n\nschreibgesch\xFCtzt" : ""));
    return;
  }
  const ProjectEntry* p = projects_.Selected();
  if (!p) return;
  Tell("Projekt:  " + Trimmed(Text(p->info.szProject)) +
       "\nAutor:  " + Trimmed(Text(p->info.szAuthor)) +
       "\nerzeugt:  " + p->created + "\nge\xE4ndert:  " + p->changed +
       "\nPositionen:  " +
       Number(static_cast<int>(api::LoadPositionList(lib_, p->path).size())) +
       "\nDatei:  " + p->path);
}

}  // namespace zb::explorer
