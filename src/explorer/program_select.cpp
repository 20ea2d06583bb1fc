#include "explorer/program_select.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "environment/history_file.h"
#include "environment/library_context.h"
#include "environment/program_catalogue.h"
#include "recordstore/typed_records.h"

namespace zb::explorer {

namespace {

using environment::ProgramCatalogue;
using recordstore::FieldText;

constexpr const char* kSection = "ZB_PROGRAMVIEW";

std::string Trimmed(const std::string& text) {
  const size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

ProgramListModel::ProgramListModel(environment::LibraryContext& context)
    : context_(context) {
  // Wide enough for the captions in the dialog's font.
  state_.columns = {{"Beschreibung", 180}, {"Programm", 80}, {"Gruppe", 90},
                    {"Version", 60}};
  state_.view = ViewModeFromName(view_mode_);
}

std::string ProgramListModel::HistoryFile() const {
  return environment::HistoryPath(context_.folders.configuration);
}

void ProgramListModel::Fill(int group, bool installed_only) {
  const ProgramCatalogue& catalogue = context_.catalogue;
  std::string group_name;
  for (int g = 0; g < catalogue.group_count(); ++g)
    if (catalogue.group(g).number == group)
      group_name = Trimmed(FieldText(catalogue.group(g).name));
  state_.rows.clear();
  for (int i = 0; i < catalogue.count(); ++i) {
    const ProgramCatalogue::Entry& entry = catalogue.entry(i);
    if (entry.line.group != group) continue;
    if (installed_only && !entry.installed) continue;
    ListRow row;
    char number[16];
    std::snprintf(number, sizeof number, "%d", entry.line.number);
    row.cells = {Trimmed(FieldText(entry.line.title)),
                 Trimmed(FieldText(entry.line.key)), group_name, number};
    row.icon = i;
    row.item = static_cast<size_t>(i);
    state_.rows.push_back(row);
  }
  SetSortMode(sort_mode_);
}

void ProgramListModel::SetViewMode(const std::string& name) {
  view_mode_ = name;
  state_.view = ViewModeFromName(name);
}

void ProgramListModel::SetSortMode(const std::string& name) {
  std::string mode = name == "None" ? "TXTASCENDING" : name;
  const std::string key = mode.substr(0, 3);
  const std::string direction = mode.size() > 3 ? mode.substr(3) : "";
  const bool known = (key == "TXT" || key == "PRG" || key == "GRP" ||
                      key == "KEY") &&
                     (direction == "ASCENDING" || direction == "DESCENDING");
  if (!known) mode = "TXTASCENDING";
  sort_mode_ = mode;
  const std::string by = mode.substr(0, 3);
  const bool ascending = mode.substr(3) == "ASCENDING";
  const ProgramCatalogue& catalogue = context_.catalogue;
  const auto compare = [&](const ListRow& a, const ListRow& b) {
    const ProgramCatalogue::Entry& x = catalogue.entry(static_cast<int>(a.item));
    const ProgramCatalogue::Entry& y = catalogue.entry(static_cast<int>(b.item));
    if (by == "TXT") return a.cells[0].compare(b.cells[0]);
    if (by == "PRG") return a.cells[1].compare(b.cells[1]);
    if (by == "GRP") {
      if (x.line.group != y.line.group) return x.line.group < y.line.group ? -1 : 1;
      return a.cells[0].compare(b.cells[0]);
    }
    // Equal numbers are never equal: the first compared is the smaller.
    return x.line.number <= y.line.number ? -1 : 1;
  };
  std::stable_sort(state_.rows.begin(), state_.rows.end(),
                   [&](const ListRow& a, const ListRow& b) {
                     const int c = compare(a, b);
                     return ascending ? c < 0 : c > 0;
                   });
}

void ProgramListModel::OnColumnClick(int column) {
  static const char* const kKeys[4] = {"TXT", "PRG", "GRP", "KEY"};
  if (column < 0 || column > 3) return;
  const std::string key = kKeys[column];
  SetSortMode(sort_mode_ == key + "DESCENDING" ? key + "ASCENDING"
                                               : key + "DESCENDING");
}

void ProgramListModel::ReadSettings() {
  platform::Platform& os = context_.os();
  const std::string file = HistoryFile();
  SetViewMode(os.ReadProfileText(file, kSection, "ViewMode", view_mode_));
  different_icons_ =
      os.ReadProfileText(file, kSection, "DifferentIcons", different_icons_);
  SetSortMode(os.ReadProfileText(file, kSection, "SortMode", sort_mode_));
}

void ProgramListModel::WriteSettings() {
  platform::Platform& os = context_.os();
  const std::string file = HistoryFile();
  os.WriteProfileText(file, kSection, "ViewMode", view_mode_);
  os.WriteProfileText(file, kSection, "SortMode", sort_mode_);
  os.WriteProfileText(file, kSection, "DifferentIcons", different_icons_);
}

std::string ProgramListModel::KeyOf(int row) const {
  if (row < 0 || row >= static_cast<int>(state_.rows.size())) return "";
  return state_.rows[row].cells[1];
}

bool ProgramListModel::SelectKey(const std::string& key) {
  for (size_t i = 0; i < state_.rows.size(); ++i) {
    if (strcasecmp(state_.rows[i].cells[1].c_str(), key.c_str()) == 0) {
      state_.SelectOnly(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

ProgramSelectModel::ProgramSelectModel(environment::LibraryContext& context,
                                       const std::string& key)
    : context_(context),
      key_(Trimmed(key).empty() ? "ALLE" : Trimmed(key)),
      installed_only_(context.config.offer_all_programs == 0),
      programs_(context) {
  groups_.columns = {{"Gruppe", 120}};
  groups_.view = ViewMode::kReport;
}

const ProgramCatalogue& ProgramSelectModel::catalogue() const {
  return context_.catalogue;
}

int ProgramSelectModel::GroupOf(int row) const {
  if (row < 0 || row >= static_cast<int>(groups_.rows.size())) return -1;
  return context_.catalogue.group(static_cast<int>(groups_.rows[row].item)).number;
}

void ProgramSelectModel::OnInit() {
  const ProgramCatalogue& catalogue = context_.catalogue;
  state_.title = kTitle;
  state_[IDC_PRG_FOLDER].text = catalogue.program_folder().empty()
                                    ? context_.folders.program
                                    : catalogue.program_folder();
  programs_.ReadSettings();
  groups_.rows.clear();
  const int index = catalogue.FindKey(key_);
  const int wanted = index >= 0 ? catalogue.entry(index).line.group : -1;
  int selected = 0;
  for (int g = 0; g < catalogue.group_count(); ++g) {
    ListRow row;
    row.cells = {Trimmed(recordstore::FieldText(catalogue.group(g).name))};
    row.item = static_cast<size_t>(g);
    if (catalogue.group(g).number == wanted)
      selected = static_cast<int>(groups_.rows.size());
    groups_.rows.push_back(row);
  }
  // The caller's program is shown even when it is not installed.
  if (index >= 0 && !catalogue.entry(index).installed) installed_only_ = false;
  state_[IDC_PRG_INSTALLED].checked = installed_only_;
  state_[IDC_PRG_DELIVERABLE].checked = !installed_only_;
  groups_.SelectOnly(groups_.rows.empty() ? -1 : selected);
  Refill();
}

void ProgramSelectModel::Refill() {
  programs_.Fill(GroupOf(groups_.FirstSelected()), installed_only_);
  programs_.SelectKey(key_);
}

void ProgramSelectModel::OnGroupSelected(int row) {
  groups_.SelectOnly(row);
  Refill();
}

void ProgramSelectModel::OnClicked(int id) {
  if (id != IDC_PRG_INSTALLED && id != IDC_PRG_DELIVERABLE) return;
  installed_only_ = id == IDC_PRG_INSTALLED;
  state_[IDC_PRG_INSTALLED].checked = installed_only_;
  state_[IDC_PRG_DELIVERABLE].checked = !installed_only_;
  Refill();
}

void ProgramSelectModel::OnProgramSelected(int row) {
  programs_.state().SelectOnly(row);
}

bool ProgramSelectModel::OnOk() {
  const std::string key = programs_.KeyOf(programs_.state().FirstSelected());
  if (key.empty()) return false;
  key_ = key;
  OnClose();
  return true;
}

}  // namespace zb::explorer
