#include "explorer/project_list.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <strings.h>

#include "environment/history_file.h"
#include "environment/library_context.h"
#include "projectstore/project_list.h"
#include "projectstore/project_names.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"

namespace zb::explorer {

namespace {

using recordstore::FieldText;

const char* const kCaptions[5] = {"Projekt", "ge\xE4ndert", "erzeugt",
                                  "Autor", "Dateiname"};
constexpr const char* kWidthsFormat = "%d %d %d %d %d %d %d %d %d %d %d %d";

int CompareNoCase(const char* a, const char* b) { return strcasecmp(a, b); }

// Negative when a sorts before b in ascending order of the mode's key.
int CompareBy(const std::string& key, const ProjectEntry& a,
              const ProjectEntry& b) {
  const int names = CompareNoCase(a.info.szProject, b.info.szProject);
  if (key == "DATE") {
    if (a.info.changed != b.info.changed)
      return a.info.changed < b.info.changed ? -1 : 1;
    return names;
  }
  if (key == "CREATEDATE") {
    if (a.info.created != b.info.created)
      return a.info.created < b.info.created ? -1 : 1;
    return names;
  }
  if (key == "AUTHOR") {
    const int authors = CompareNoCase(a.info.szAuthor, b.info.szAuthor);
    return authors != 0 ? authors : names;
  }
  if (key == "FILE") {
    // Equal numbers are never equal: the first compared is the smaller.
    return static_cast<int16_t>(a.info.number) <=
                   static_cast<int16_t>(b.info.number)
               ? -1
               : 1;
  }
  return names;
}

bool IsKnownMode(const std::string& key) {
  return key.empty() || key == "DATE" || key == "CREATEDATE" ||
         key == "AUTHOR" || key == "FILE";
}

}  // namespace

std::string UtcDateText(uint32_t seconds) {
  if (seconds == 0) return std::string();
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
#ifdef _WIN32
  gmtime_s(&tm, &t);
#else
  gmtime_r(&t, &tm);
#endif
  char text[20];
  std::snprintf(text, sizeof text, "%02d.%02d.%d", tm.tm_mday, tm.tm_mon + 1,
                tm.tm_year + 1900);
  return text;
}

ProjectListModel::ProjectListModel(projectstore::Store& store)
    : store_(store) {
  // Widths before any are stored: wide enough for a name and a date.
  static const int kFirstWidths[5] = {140, 70, 70, 100, 220};
  for (int i = 0; i < 5; ++i) {
    state_.columns.push_back({kCaptions[i], kFirstWidths[i]});
    widths_[i] = kFirstWidths[i];
  }
  state_.view = ViewModeFromName(view_mode_);
}

std::string ProjectListModel::HistoryFile() const {
  return environment::HistoryPath(store_.context().folders.configuration);
}

int ProjectListModel::Show(const std::string& folder,
                           const std::string& project) {
  folder_ = folder;
  entries_.clear();
  if (!folder.empty() && store_.os().IsFolder(folder)) {
    projectstore::ProjectList list = projectstore::ProjectList::Open(store_, folder);
    if (list.is_open()) {
      PROINFO info;
      for (int32_t i = 0; list.ReadEntry(i, &info); ++i) {
        ProjectEntry entry;
        entry.number = i + 1;
        entry.info = info;
        entry.created = UtcDateText(info.created);
        entry.changed = UtcDateText(info.changed);
        entry.path = list.ProjectFileOf(i, info);
        entries_.push_back(entry);
      }
    }
  }
  Fill(project);
  return static_cast<int>(state_.rows.size());
}

int ProjectListModel::ShowListed(std::vector<ProjectEntry> entries,
                                 const std::string& project) {
  folder_.clear();
  entries_ = std::move(entries);
  Fill(project);
  return static_cast<int>(state_.rows.size());
}

void ProjectListModel::Fill(const std::string& project) {
  state_.rows.clear();
  for (size_t i = 0; i < entries_.size(); ++i) {
    const ProjectEntry& entry = entries_[i];
    const bool folder_project = projectstore::IsFolderProjectPath(entry.path);
    const int kind = folder_project ? 1 : 0;
    if (kind_filter_ != kAllKinds && kind != kind_filter_) continue;
    ListRow row;
    row.cells = {FieldText(entry.info.szProject), entry.changed, entry.created,
                 FieldText(entry.info.szAuthor), entry.path};
    row.icon = entry.status + (folder_project ? kProjectFolderIcon : 0);
    row.item = i;
    row.selected = row.focused = !project.empty() && row.cells[0] == project;
    state_.rows.push_back(row);
  }
  SetSortMode(sort_mode_);
}

void ProjectListModel::SetViewMode(const std::string& name) {
  view_mode_ = name;
  state_.view = ViewModeFromName(name);
}

void ProjectListModel::SetSortMode(const std::string& name) {
  std::string mode = name == "None" ? "ASCENDING" : name;
  std::string key;
  bool ascending = true;
  const auto ends = [&](const char* tail) {
    const std::string t = tail;
    return mode.size() >= t.size() &&
           mode.compare(mode.size() - t.size(), t.size(), t) == 0;
  };
  if (ends("DESCENDING")) {
    key = mode.substr(0, mode.size() - 10);
    ascending = false;
  } else if (ends("ASCENDING")) {
    key = mode.substr(0, mode.size() - 9);
  } else {
    key = "?";
  }
  if (!IsKnownMode(key)) {
    mode = "DATEDESCENDING";
    key = "DATE";
    ascending = false;
  }
  sort_mode_ = mode;
  std::stable_sort(state_.rows.begin(), state_.rows.end(),
                   [&](const ListRow& a, const ListRow& b) {
                     const int c = CompareBy(key, entries_[a.item],
                                             entries_[b.item]);
                     return ascending ? c < 0 : c > 0;
                   });
}

void ProjectListModel::OnColumnClick(int column) {
  static const char* const kKeys[5] = {"", "DATE", "CREATEDATE", "AUTHOR",
                                       "FILE"};
  if (column < 0 || column > 4) return;
  sort_column_ = column;
  const bool descending = toggle_ == 1;
  toggle_ = descending ? 0 : 1;
  SetSortMode(std::string(kKeys[column]) +
              (descending ? "DESCENDING" : "ASCENDING"));
}

void ProjectListModel::ReadSettings() {
  platform::Platform& os = store_.os();
  const std::string file = HistoryFile();
  const std::string view = os.ReadProfileText(file, section_, "ViewMode", "");
  if (!view.empty()) SetViewMode(view);
  different_icons_ =
      os.ReadProfileText(file, section_, "DifferentProjektIcons", different_icons_);
  const std::string sort = os.ReadProfileText(file, section_, "SortMode", "");
  if (!sort.empty()) sort_mode_ = sort == "None" ? "ASCENDING" : sort;
  std::sscanf(os.ReadProfileText(file, section_, "SORTING_COLUMN", "0").c_str(),
              "%d", &sort_column_);
  const std::string widths = os.ReadProfileText(file, section_, "HeaderCtrl", "");
  int w[12];
  if (std::sscanf(widths.c_str(), "%d %d %d %d %d %d %d %d %d %d %d %d ", &w[0],
                  &w[1], &w[2], &w[3], &w[4], &w[5], &w[6], &w[7], &w[8], &w[9],
                  &w[10], &w[11]) == 12) {
    std::copy(w, w + 12, widths_);
    for (size_t i = 0; i < state_.columns.size(); ++i)
      state_.columns[i].width = widths_[i];
  }
  SetSortMode(sort_mode_);
}

bool ProjectListModel::WriteSettings() {
  platform::Platform& os = store_.os();
  const std::string file = HistoryFile();
  char column[16];
  std::snprintf(column, sizeof column, "%d", sort_column_);
  for (const char* section : {"ZBEX_PROVIEW", "ZB_PROJEKTVIEW"}) {
    os.WriteProfileText(file, section, "ViewMode", view_mode_);
    os.WriteProfileText(file, section, "SortMode", sort_mode_);
    os.WriteProfileText(file, section, "SORTING_COLUMN", column);
  }
  os.WriteProfileText(file, section_, "ProjektVersion", "0");
  os.WriteProfileText(file, section_, "DifferentProjektIcons", different_icons_);
  for (size_t i = 0; i < state_.columns.size() && i < 12; ++i)
    widths_[i] = state_.columns[i].width;
  char widths[160];
  std::snprintf(widths, sizeof widths, kWidthsFormat, widths_[0], widths_[1],
                widths_[2], widths_[3], widths_[4], widths_[5], widths_[6],
                widths_[7], widths_[8], widths_[9], widths_[10], widths_[11]);
  if (!os.WriteProfileText(file, section_, "HeaderCtrl", widths)) {
    store_.log().Append("#ERROR# WriteHistory PROVIEW");
    return false;
  }
  return true;
}

const ProjectEntry* ProjectListModel::Selected() const {
  const int row = state_.FirstSelected();
  return row < 0 ? nullptr : &entries_[state_.rows[row].item];
}

}  // namespace zb::explorer
