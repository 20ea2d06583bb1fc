// The position list of one project as its list control shows it: ten
// columns, view and sort modes, a program filter, lock overlays and the
// counter, with the settings kept in a section of DBHISTORY.INI.
// Toolkit-free; the window mirrors state().
#ifndef ZBDB_EXPLORER_POSITION_LIST_H_
#define ZBDB_EXPLORER_POSITION_LIST_H_

#include <map>
#include <string>
#include <vector>

#include "api/position_info_cache.h"
#include "environment/library_context.h"
#include "explorer/list_state.h"
#include "zbdb900_types.h"

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::explorer {

constexpr int kPositionColumns = 10;
constexpr int kStoredWidths = 12;

// Overlay images of column 0.
constexpr int kOverlayLockedByOther = 1;
constexpr int kOverlayMark4 = 2;
constexpr int kOverlayMark5 = 3;

class PositionListModel {
 public:
  static constexpr const char* kDialogSection = "ZB_POSITIONVIEW";
  static constexpr const char* kExplorerSection = "ZBEX_POSVIEW";
  static constexpr const char* kWidthsKey = "HeaderCtrl";

  explicit PositionListModel(api::Library& lib,
                             std::string section = kDialogSection);
  PositionListModel(const PositionListModel&) = delete;
  PositionListModel& operator=(const PositionListModel&) = delete;

  // Once, when the host creates the control: the columns with widths from
  // the client width, the stored settings, then sort and view applied.
  void Setup(int client_width);

  // Rows of the project named by the request's data folder and project;
  // empty when the project or its file is missing.
  void ShowProject(const ZBPROPOS_L& project);
  // A program key, "ALLE" or empty; takes effect at the next ShowProject.
  void SetProgramFilter(const std::string& key) { filter_ = key; }
  void SetViewMode(const std::string& name);
  // An unknown name becomes "DATEDESCENDING".
  void SetSortMode(const std::string& name);
  void OnColumnClick(int column);
  // Caption of column 1 when it has 1 to 49 characters.
  void SetDescriptionCaption(const std::string& caption);

  void ReadSettings(const std::string& widths_key = kWidthsKey);
  // Logs "#ERROR# WriteHistory POSVIEW" when a write fails.
  bool WriteSettings(const std::string& widths_key = kWidthsKey);

  std::string CounterText() const { return state_.CounterText(); }
  // The position shown in `row`, or nullptr.
  const api::PositionListEntry* EntryOfRow(int row) const;
  const api::PositionListEntry* Selected() const {
    return EntryOfRow(state_.FirstSelected());
  }
  // The row whose long name equals `name` ignoring case, -1 when none.
  int FindRow(const std::string& name) const;
  // The icon file of each catalogue entry: the rows' icon numbers index it.
  std::vector<std::string> IconFiles() const;

  ListState& state() { return state_; }
  const ListState& state() const { return state_; }
  const std::string& view_mode() const { return view_mode_; }
  const std::string& sort_mode() const { return sort_mode_; }
  int sort_column() const { return sort_column_; }
  bool ascending() const { return ascending_; }
  const std::string& project_path() const { return project_path_; }

 private:
  void Fill();
  void AddRow(size_t index, const environment::LockBlock& lock, bool locked);
  void Sort();
  // The catalogue's texts of a program, looked up once per fill.
  struct ProgramTexts {
    int icon = 0;
    std::string key, title, short_title;
  };
  const ProgramTexts& TextsOf(int16_t number);

  api::Library& lib_;
  std::string section_;
  std::string view_mode_ = "LIST";
  std::string sort_mode_ = "None";
  int sort_column_ = 0;
  bool ascending_ = false;
  int widths_[kStoredWidths] = {};
  int column_count_ = 5;
  ZBPROPOS_L project_{};
  std::string project_path_;
  std::string filter_;
  std::string description_caption_;
  std::vector<api::PositionListEntry> entries_;
  std::map<int16_t, ProgramTexts> programs_;
  ListState state_;
};

// "%d.%m.%Y" (with ",%H:%M" when with_time) of a time as UTC; empty for 0.
std::string PositionDateText(uint32_t time, bool with_time);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_POSITION_LIST_H_
