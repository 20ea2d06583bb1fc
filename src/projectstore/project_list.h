// The project list of a data folder (ZBPROS.ZB): a record file with one
// PROINFO entry per project (kListKey, kListKey), the path of entry i at
// (kPathKey, i) and the next free number at (kListKey, kNextNumberKey).
// An operation opens the list once and works through this object; the
// list closes when it goes.
#ifndef ZBDB_PROJECTSTORE_PROJECT_LIST_H_
#define ZBDB_PROJECTSTORE_PROJECT_LIST_H_

#include <cstdint>
#include <string>

#include "projectstore/record_file.h"
#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

// Keys of the project list.
constexpr int16_t kListKey = 30003;        // with kListKey: entry i
constexpr int16_t kNextNumberKey = 30001;  // (kListKey, this): next number
constexpr int16_t kPathKey = 30008;        // (this, i): path of entry i
constexpr int16_t kFolderMarkerKey = 901;  // (901, 901): folder projects seen
constexpr int kPathRecordSize = 260;
constexpr int kHighestNumber = 29999;

// Result codes (those of the interface exports).
constexpr int32_t kProjectNotFound = -202;  // ERR_PRO_NOTFOUND
constexpr int32_t kProjectNoAccess = -209;  // ERR_PRO_NOACCES
constexpr int32_t kListNotOpenable = -211;

class ProjectList {
 public:
  // Opens the list of `folder`, shared. A missing list is rebuilt first; a
  // write-protected one ends the process after telling the user.
  static ProjectList Open(Store& store, const std::string& folder);
  // The list in a file opened by the caller (a rebuild's new list).
  ProjectList(Store& store, std::string folder, RecordFile file);

  ProjectList(ProjectList&&) = default;
  ProjectList& operator=(ProjectList&&) = default;

  bool is_open() const { return file_.is_open(); }
  // The slot while open, else the open's negative result.
  int32_t handle() const { return file_.handle(); }
  Store& store() const { return *store_; }
  const std::string& folder() const { return folder_; }
  void Close() { file_.Close(); }

  // Entry `index`; false past the last one.
  bool ReadEntry(int32_t index, PROINFO* entry);
  int32_t Count();
  // The entry whose trimmed, umlaut-converted name equals `name` exactly:
  // its index, or kProjectNotFound. `info` and `path` (its project file,
  // relocated into the folder; empty for an entry without one) may be null.
  int32_t Find(const std::string& name, PROINFO* info, std::string* path);
  // The project file of entry `index`: its stored path relocated into the
  // folder, or the file of its number when no path is stored.
  std::string ProjectFileOf(int32_t index, const PROINFO& entry);

  // The path record of entry `index`; `found` tells whether there is one.
  std::string PathRecord(int32_t index, bool* found);
  void WritePathRecord(int32_t index, const std::string& path);
  // -1 when the list has no next number.
  int32_t NextNumber();
  void WriteNextNumber(int32_t number);

  // Appends the entry and its path record as entry `index`.
  bool Add(int32_t index, const PROINFO& info, const std::string& path);
  // Deletes entry `index` when it still names the project of `entry`; the
  // path records of the entries behind it move up with them. 1 removed,
  // 0 the delete failed, -1 the entry is no longer there.
  int32_t RemoveAt(int32_t index, const PROINFO& entry);
  // Gives clashing names the project number; true when any changed.
  bool MakeNamesUnique();

 private:
  // Stored paths may come from another machine: a path not under the
  // list's folder is moved there.
  std::string Relocated(const std::string& stored, const PROINFO& info);

  Store* store_;
  std::string folder_;
  RecordFile file_;
};

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_PROJECT_LIST_H_
