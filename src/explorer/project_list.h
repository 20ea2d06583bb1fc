// The project list view, toolkit-free: one row per entry of a data
// folder's project list, five columns, icons by status, the kind filter,
// the sort modes with their column clicks and the settings kept in
// DBHISTORY.INI. The window mirrors state().
#ifndef ZBDB_EXPLORER_PROJECT_LIST_H_
#define ZBDB_EXPLORER_PROJECT_LIST_H_

#include <cstdint>
#include <string>
#include <vector>

#include "explorer/list_state.h"
#include "zbdb900_types.h"

namespace zb::projectstore {
class Store;
}  // namespace zb::projectstore

namespace zb::explorer {

// One entry of the list as the catalogue hands it to a view.
struct ProjectEntry {
  int32_t number = 0;  // 1-based entry number
  int32_t status = 2;  // 0 no position, 1 none of the program, 2 not counted
  PROINFO info{};
  std::string created;  // "%d.%m.%Y", UTC
  std::string changed;
  std::string path;     // the project file
};

class ProjectListModel {
 public:
  static constexpr int kAllKinds = 4369;
  static constexpr int kProjectFolderIcon = 3;  // added for folder projects

  explicit ProjectListModel(projectstore::Store& store);

  // The section in DBHISTORY.INI ("ZB_PROJEKTVIEW"; the explorer's is
  // "ZBEX_PROVIEW").
  void set_section(const std::string& section) { section_ = section; }
  const std::string& section() const { return section_; }
  void set_kind_filter(int kind) { kind_filter_ = kind; }

  // Reads the list of `folder` and selects `project` (exact name) when it
  // is there. Returns the number of rows.
  int Show(const std::string& folder, const std::string& project);
  // Shows `entries` instead of a data folder's list (the DOS import's old
  // project files) and selects `project`.
  int ShowListed(std::vector<ProjectEntry> entries, const std::string& project);
  // The view mode by name ("ICON", "SMALLICON", "REPORT", else list).
  void SetViewMode(const std::string& name);
  // Applies a sort mode; "None" is "ASCENDING", an unknown name becomes
  // "DATEDESCENDING". The selection moves with its row.
  void SetSortMode(const std::string& name);
  // The first click on a column sorts descending, the next ascending.
  void OnColumnClick(int column);
  void ReadSettings();
  // Writes view and sort under both project list sections; false (logged)
  // when the last write failed.
  bool WriteSettings();

  void Select(int row) { state_.SelectOnly(row); }
  // The selected entry, null when none is.
  const ProjectEntry* Selected() const;
  std::string CounterText() const { return state_.CounterText(); }

  const ListState& state() const { return state_; }
  ListState& state() { return state_; }
  const std::vector<ProjectEntry>& entries() const { return entries_; }
  const std::string& sort_mode() const { return sort_mode_; }
  const std::string& view_mode() const { return view_mode_; }
  const std::string& folder() const { return folder_; }
  int sort_column() const { return sort_column_; }

 private:
  std::string HistoryFile() const;
  void Fill(const std::string& project);

  projectstore::Store& store_;
  std::string section_ = "ZB_PROJEKTVIEW";
  std::string view_mode_ = "REPORT";
  std::string sort_mode_ = "ASCENDING";
  std::string different_icons_;
  int sort_column_ = 0;
  int toggle_ = 1;
  int widths_[12] = {};
  int kind_filter_ = kAllKinds;
  std::string folder_;
  std::vector<ProjectEntry> entries_;
  ListState state_;
};

// "%d.%m.%Y" of seconds since 1970 as UTC; empty for 0.
std::string UtcDateText(uint32_t seconds);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_PROJECT_LIST_H_
