// The repair run of a record file: what can be recognised is copied into
// "<name>.REP", indexed afresh, and put in the file's place; the damaged
// file is kept as "<name>.OLD" (renamed, never written). A second pass then
// checks every position of a project file against the records it really
// holds. The run lists what it does in "REPAIR.LST" of the listing folder
// and shows its key messages through the Ui.
#ifndef ZBDB_PROJECTSTORE_REPAIR_H_
#define ZBDB_PROJECTSTORE_REPAIR_H_

#include <cstdint>
#include <functional>
#include <string>

namespace zb::projectstore {

class Store;

struct RepairNames {
  std::string listing;
  std::string backup;  // the damaged file's bytes after the run
  std::string fresh;   // the copy, before it takes the file's name
};
RepairNames RepairNamesOf(const std::string& path,
                          const std::string& listing_folder);

struct RepairSummary {
  enum Outcome {
    kRepaired,       // copied, indexed and renamed
    kCannotOpen,     // nothing changed
    kBackupKept,     // the user kept an earlier backup: nothing changed
    kCopyFailed,     // no pass recognised anything: nothing changed
    kRenameFailed,   // the data are under the backup name and the copy's
  } outcome = kCannotOpen;
  char pass = 0;  // 'A', 'B' or 'C'
  uint32_t records = 0;
  uint32_t ignored = 0;
  // The position check (0 when the file did not open exclusively).
  bool positions_checked = false;
  uint32_t positions_ok = 0;
  uint32_t positions_not_ok = 0;
  uint32_t positions_caput = 0;
};

// `progress` (may be empty) hears the copy's percentage as well as the
// calling program's progress callback does.
RepairSummary RepairFile(
    Store& store, const std::string& path, const std::string& listing_folder,
    const std::function<void(int32_t percent)>& progress = nullptr);

// The position check alone: every POSINFO of the catalogue's programs
// against the records of its position, Recs and the Ctrl bits corrected.
void CheckPositions(Store& store, const std::string& path,
                    RepairSummary* summary);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_REPAIR_H_
