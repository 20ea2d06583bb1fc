#include "explorer/list_state.h"

#include <cstdio>

namespace zb::explorer {

ViewMode ViewModeFromName(const std::string& name) {
  if (name == "ICON") return ViewMode::kIcon;
  if (name == "SMALLICON") return ViewMode::kSmallIcon;
  if (name == "REPORT") return ViewMode::kReport;
  return ViewMode::kList;
}

int ListState::FirstSelected() const {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].selected) return static_cast<int>(i);
  return -1;
}

int ListState::SelectedCount() const {
  int count = 0;
  for (const ListRow& row : rows) count += row.selected ? 1 : 0;
  return count;
}

void ListState::SelectOnly(int row) {
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].selected = static_cast<int>(i) == row;
    rows[i].focused = rows[i].selected;
  }
}

std::string ListState::CounterText() const {
  char text[32];
  const int count = static_cast<int>(rows.size());
  const int selected = SelectedCount();
  if (selected > 1)
    std::snprintf(text, sizeof text, "<%d*/%d>", selected, count);
  else
    std::snprintf(text, sizeof text, "<%d/%d>", FirstSelected() + 1, count);
  return text;
}

}  // namespace zb::explorer
