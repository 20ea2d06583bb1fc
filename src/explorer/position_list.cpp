#include "explorer/position_list.h"

#include "explorer/texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "api/library.h"
#include "environment/history_file.h"
#include "environment/program_catalogue.h"
#include "environment/string_utils.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"

namespace zb::explorer {

namespace {

namespace ps = zb::projectstore;
using recordstore::FieldText;

// Column captions in Windows-1252.
const char* const kCaptions[kPositionColumns] = {
    "Position", "Beschreibung", "geändert", "erzeugt",  "Prg",
    "Programm", "Seite",        "gedruckt",    "Bezeichnung", "99999999"};

std::string Folded(const std::string& text) {
  return environment::LowerText(text);
}

bool KnownSortMode(const std::string& mode) {
  static const char* const kModes[] = {
      "ASCENDING",       "DESCENDING",       "DATEASCENDING",
      "DATEDESCENDING",  "CREATEASCENDING",  "CREATEDESCENDING",
      "PRGASCENDING",    "PRGDESCENDING",    "PAGEASCENDING",
      "PAGEDESCENDING",  "None"};
  for (const char* known : kModes)
    if (mode == known) return true;
  return false;
}

bool EndsWith(const std::string& text, const char* tail) {
  const size_t n = std::strlen(tail);
  return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

}  // namespace

std::vector<std::string> PositionListModel::IconFiles() const {
  return lib_.catalogue().IconPaths();
}

std::string PositionDateText(uint32_t time, bool with_time) {
  if (static_cast<int32_t>(time) <= 0) return std::string();
  const api::TimeParts t = api::UniversalTimeParts(time);
  char text[32];
  if (with_time)
    std::snprintf(text, sizeof text, "%02d.%02d.%04d,%02d:%02d", t.day,
                  t.month, t.year, t.hour, t.minute);
  else
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.day, t.month, t.year);
  return text;
}

PositionListModel::PositionListModel(api::Library& lib, std::string section)
    : lib_(lib), section_(std::move(section)) {
  for (int c = 0; c < kPositionColumns; ++c)
    state_.columns.push_back({kCaptions[c], 0});
}

void PositionListModel::Setup(int client_width) {
  const int w = client_width;
  const int first[kPositionColumns] = {w / 6 - 5, 2 * w / 6 - 5, w / 6 - 5,
                                       w / 6 - 5, w / 6 - 5, 0, 0, 0, 0, 0};
  for (int c = 0; c < kPositionColumns; ++c) {
    state_.columns[c].width = first[c];
    widths_[c] = first[c];
  }
  ReadSettings(kWidthsKey);
  for (int c = 0; c < kPositionColumns; ++c) state_.columns[c].width = widths_[c];
  SetSortMode(sort_mode_);
  SetViewMode(view_mode_);
}

void PositionListModel::SetDescriptionCaption(const std::string& caption) {
  description_caption_ = caption;
  const bool fits = !caption.empty() && caption.size() < 50;
  state_.columns[1].caption = fits ? caption : kCaptions[1];
}

void PositionListModel::ShowProject(const ZBPROPOS_L& project) {
  project_ = project;
  project_path_.clear();
  PROINFO info{};
  std::string path;
  if (ps::FindProject(lib_.store(), Text(project.szDataPfad),
                      Trimmed(Text(project.szProName)), &info, &path) >= 0)
    project_path_ = path;
  Fill();
  Sort();
}

const PositionListModel::ProgramTexts& PositionListModel::TextsOf(
    int16_t number) {
  auto it = programs_.find(number);
  if (it != programs_.end()) return it->second;
  const environment::ProgramCatalogue& catalogue = lib_.catalogue();
  ProgramTexts texts;
  const int index = catalogue.FindNumber(number);
  texts.icon = index < 0 ? 0 : index;
  texts.key = catalogue.KeyByNumber(number);
  texts.title = catalogue.TitleByNumber(number);
  texts.short_title = catalogue.ShortTitleByNumber(number);
  return programs_.emplace(number, std::move(texts)).first->second;
}

void PositionListModel::Fill() {
  programs_.clear();  // the catalogue may have changed
  state_.rows.clear();
  entries_.clear();
  if (project_path_.empty() || !lib_.os().FileExists(project_path_)) return;
  entries_ = api::LoadPositionList(lib_, project_path_);
  // Lock records are read only for rows whose lock bit is set.
  ps::RecordFile file;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const api::PositionListEntry& e = entries_[i];
    if (!filter_.empty() && filter_ != "ALLE" &&
        Trimmed(TextsOf(e.program).key) != Trimmed(filter_))
      continue;
    environment::LockBlock lock{};
    bool locked = false;
    if (e.info.Ctrl & 1) {
      if (file.handle() <= 0)
        file = ps::RecordFile::OpenReadOnly(lib_.engine(), project_path_);
      if (file.handle() > 0 &&
          ps::ReadLockRecord(lib_.store(), file.handle(), e.program, e.info.id,
                             &lock) > 0)
        locked = true;
    }
    AddRow(i, lock, locked);
  }
}

void PositionListModel::AddRow(size_t index, const environment::LockBlock& lock,
                               bool locked) {
  const api::PositionListEntry& e = entries_[index];
  const ProgramTexts& program = TextsOf(e.program);
  ListRow row;
  row.item = index;
  row.icon = program.icon;
  static const environment::LockBlock kEmpty{};
  if (locked && std::memcmp(&lock, &kEmpty, sizeof lock) != 0 &&
      std::memcmp(&lock, &lib_.context().position_lock.block, sizeof lock) != 0)
    row.overlay = kOverlayLockedByOther;
  if (e.info.Ctrl & 16) row.overlay = kOverlayMark4;
  if (e.info.Ctrl & 32) row.overlay = kOverlayMark5;
  const bool with_time = lib_.context().config.date_time_column != 0;
  char page[16];
  std::snprintf(page, sizeof page, "%d", e.info.page_start);
  row.cells = {Text(e.info.PosNameLong),
               Text(e.info.Msg),
               PositionDateText(e.info.saved, with_time),
               PositionDateText(e.info.created, false),
               program.short_title,
               program.title,
               page,
               PositionDateText(e.info.page_time, false),
               Text(e.info.Designation),
               program.key};
  state_.rows.push_back(std::move(row));
}

void PositionListModel::SetViewMode(const std::string& name) {
  view_mode_ = name;
  state_.view = ViewModeFromName(name);
}

void PositionListModel::SetSortMode(const std::string& name) {
  sort_mode_ = KnownSortMode(name) ? name : "DATEDESCENDING";
  ascending_ = !EndsWith(sort_mode_, "DESCENDING");
  if (state_.rows.empty()) Fill();
  if (!state_.rows.empty()) Sort();
}

void PositionListModel::Sort() {
  const std::string& mode = sort_mode_;
  const bool down = EndsWith(mode, "DESCENDING");
  const bool by_program = mode.rfind("PRG", 0) == 0;
  // The folded texts once per row, not per comparison.
  std::vector<std::string> key(entries_.size());
  for (const ListRow& row : state_.rows)
    key[row.item] = Folded(by_program ? row.cells[5] : row.cells[0]);
  const auto text = [&](size_t a, size_t b) { return key[a].compare(key[b]); };
  std::function<int(size_t, size_t)> compare = text;
  if (mode.rfind("DATE", 0) == 0) {
    compare = [&](size_t a, size_t b) {
      const uint32_t x = entries_[a].info.saved, y = entries_[b].info.saved;
      return x != y ? (x < y ? -1 : 1) : text(a, b);
    };
  } else if (mode.rfind("CREATE", 0) == 0) {
    compare = [&](size_t a, size_t b) {
      const uint32_t x = entries_[a].info.created, y = entries_[b].info.created;
      return x != y ? (x < y ? -1 : 1) : text(a, b);
    };
  } else if (mode.rfind("PAGE", 0) == 0) {
    // Never equal: of two equal pages neither order is promised.
    compare = [&](size_t a, size_t b) {
      return entries_[a].info.page_start < entries_[b].info.page_start ? -1 : 1;
    };
  }
  std::stable_sort(state_.rows.begin(), state_.rows.end(),
                   [&](const ListRow& x, const ListRow& y) {
                     const int c = compare(x.item, y.item);
                     return down ? c > 0 : c < 0;
                   });
}

void PositionListModel::OnColumnClick(int column) {
  sort_column_ = column;
  ascending_ = false;
  const auto toggle = [this](const std::string& down, const std::string& up) {
    return sort_mode_ == down ? up : down;
  };
  std::string mode = sort_mode_;
  switch (column) {
    case 0: mode = toggle("DESCENDING", "ASCENDING"); break;
    case 2: mode = toggle("DATEDESCENDING", "DATEASCENDING"); break;
    case 3: mode = toggle("CREATEDESCENDING", "CREATEASCENDING"); break;
    case 5:
    case 9: mode = toggle("PRGDESCENDING", "PRGASCENDING"); break;
    case 6: mode = toggle("PAGEDESCENDING", "PAGEASCENDING"); break;
    default: break;
  }
  SetSortMode(mode);
}

void PositionListModel::ReadSettings(const std::string& widths_key) {
  platform::Platform& os = lib_.os();
  const std::string file =
      environment::HistoryPath(lib_.context().folders.configuration);
  view_mode_ = "REPORT";
  sort_mode_ = "DATEDESCENDING";
  const std::string view = os.ReadProfileText(file, section_, "ViewMode", "");
  if (!view.empty()) view_mode_ = view;
  const std::string sort = os.ReadProfileText(file, section_, "SortMode", "");
  if (!sort.empty()) sort_mode_ = sort;
  const std::string column =
      os.ReadProfileText(file, section_, "SORTING_COLUMN", "0");
  std::sscanf(column.c_str(), "%d", &sort_column_);
  column_count_ = kPositionColumns;
  const std::string widths = os.ReadProfileText(file, section_, widths_key, "");
  if (!widths.empty()) {
    int w[kStoredWidths];
    std::copy(widths_, widths_ + kStoredWidths, w);
    std::sscanf(widths.c_str(), "%d %d %d %d %d %d %d %d %d %d %d %d ", &w[0],
                &w[1], &w[2], &w[3], &w[4], &w[5], &w[6], &w[7], &w[8], &w[9],
                &w[10], &w[11]);
    std::copy(w, w + kStoredWidths, widths_);
  }
}

bool PositionListModel::WriteSettings(const std::string& widths_key) {
  platform::Platform& os = lib_.os();
  const std::string file =
      environment::HistoryPath(lib_.context().folders.configuration);
  for (size_t c = 0; c < state_.columns.size() && c < kStoredWidths; ++c)
    widths_[c] = state_.columns[c].width;
  char column[16];
  std::snprintf(column, sizeof column, "%d", sort_column_);
  char widths[160];
  std::snprintf(widths, sizeof widths, "%d %d %d %d %d %d %d %d %d %d %d %d",
                widths_[0], widths_[1], widths_[2], widths_[3], widths_[4],
                widths_[5], widths_[6], widths_[7], widths_[8], widths_[9],
                widths_[10], widths_[11]);
  bool ok = os.WriteProfileText(file, section_, "ViewMode", view_mode_);
  ok = os.WriteProfileText(file, section_, "SortMode", sort_mode_) && ok;
  ok = os.WriteProfileText(file, section_, "SORTING_COLUMN", column) && ok;
  ok = os.WriteProfileText(file, section_, widths_key, widths) && ok;
  if (!ok) lib_.log().Append("#ERROR# WriteHistory POSVIEW");
  return ok;
}

const api::PositionListEntry* PositionListModel::EntryOfRow(int row) const {
  if (row < 0 || row >= static_cast<int>(state_.rows.size())) return nullptr;
  return &entries_[state_.rows[row].item];
}

int PositionListModel::FindRow(const std::string& name) const {
  const std::string wanted = ps::PositionCompareName(name);
  for (size_t r = 0; r < state_.rows.size(); ++r)
    if (ps::PositionCompareName(state_.rows[r].cells[0]) == wanted)
      return static_cast<int>(r);
  return -1;
}

}  // namespace zb::explorer
