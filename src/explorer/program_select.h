// The program selection "Z+B Programme", toolkit-free: the catalogue's
// groups on the left, the programs of the chosen group on the right (all
// of them, or only those whose executable lies in the program folder), and
// the key of the chosen program on OK.
#ifndef ZBDB_EXPLORER_PROGRAM_SELECT_H_
#define ZBDB_EXPLORER_PROGRAM_SELECT_H_

#include <string>

#include "explorer/dialog_state.h"
#include "explorer/list_state.h"
#include "explorer/win32/program_select_ids.h"

namespace zb::environment {
struct LibraryContext;
class ProgramCatalogue;
}  // namespace zb::environment

namespace zb::explorer {

// The right-hand list: title, key, group and version of the programs of
// one group; sort modes TXT, PRG, GRP and KEY, settings in section
// "ZB_PROGRAMVIEW".
class ProgramListModel {
 public:
  explicit ProgramListModel(environment::LibraryContext& context);

  // The programs of the group number; installed ones only when asked.
  void Fill(int group, bool installed_only);
  void SetViewMode(const std::string& name);
  // "None" is "TXTASCENDING"; an unknown name sorts by title ascending.
  void SetSortMode(const std::string& name);
  // Title, key, group, number: "...DESCENDING" unless the mode was that
  // already, then "...ASCENDING".
  void OnColumnClick(int column);
  void ReadSettings();
  void WriteSettings();

  // The key of the row; empty outside the list.
  std::string KeyOf(int row) const;
  // Selects the row of the key; false when it is not listed.
  bool SelectKey(const std::string& key);

  const ListState& state() const { return state_; }
  ListState& state() { return state_; }
  const std::string& sort_mode() const { return sort_mode_; }

 private:
  std::string HistoryFile() const;

  environment::LibraryContext& context_;
  std::string view_mode_ = "REPORT";
  std::string sort_mode_ = "PRGASCENDING";
  std::string different_icons_;
  ListState state_;
};

class ProgramSelectModel {
 public:
  static constexpr const char* kTitle = "Z+B Programme";

  // `key` is the caller's program; empty means "ALLE".
  ProgramSelectModel(environment::LibraryContext& context,
                     const std::string& key);

  void OnInit();
  void OnGroupSelected(int row);
  // One of the two radio buttons.
  void OnClicked(int id);
  void OnProgramSelected(int row);
  // OK (also a double click on a program): takes the selected program's
  // key; false when none is selected.
  bool OnOk();
  void OnClose() { programs_.WriteSettings(); }

  const std::string& key() const { return key_; }
  bool installed_only() const { return installed_only_; }
  const DialogState& state() const { return state_; }
  const ListState& groups() const { return groups_; }
  ProgramListModel& programs() { return programs_; }
  const environment::ProgramCatalogue& catalogue() const;
  // The catalogue's group number of a row of the group list.
  int GroupOf(int row) const;

 private:
  void Refill();

  environment::LibraryContext& context_;
  std::string key_;
  bool installed_only_;
  DialogState state_;
  ListState groups_;
  ProgramListModel programs_;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_PROGRAM_SELECT_H_
