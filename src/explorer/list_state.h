// The state of a list control as a list model keeps it and its window
// mirrors it: columns, rows with their cells, icon and overlay, the
// selection and the view mode.
#ifndef ZBDB_EXPLORER_LIST_STATE_H_
#define ZBDB_EXPLORER_LIST_STATE_H_

#include <cstddef>
#include <string>
#include <vector>

namespace zb::explorer {

struct ListColumn {
  std::string caption;
  int width = 0;  // pixels; 0 hides the column
};

struct ListRow {
  std::vector<std::string> cells;  // one per column
  int icon = 0;
  int overlay = 0;  // 0: none
  bool selected = false;
  bool focused = false;
  size_t item = 0;  // the model's own index of what the row shows
};

enum class ViewMode { kIcon, kSmallIcon, kReport, kList };

// "ICON", "SMALLICON", "REPORT"; every other name is the list mode.
ViewMode ViewModeFromName(const std::string& name);

struct ListState {
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  ViewMode view = ViewMode::kList;

  // Index of the first selected row, -1 when none is.
  int FirstSelected() const;
  int SelectedCount() const;
  // Selects only `row` (and focuses it); -1 clears the selection.
  void SelectOnly(int row);
  // "<%d*/%d>" with several rows selected, otherwise "<%d/%d>" with the
  // selected row's number from 1 (0 when none is) and the row count.
  std::string CounterText() const;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_LIST_STATE_H_
