// The index of a program's POSINFO records in one open project file, so
// that finding a position among thousands reads one record instead of all
// of them: compare name -> occurrences, and the short names in use.
//
// An index belongs to a record handle and a program key (32762: all
// programs). It is built on the first lookup and kept exact by the
// positions code through Rewritten/Deleted after each change it makes.
// Before every lookup it is checked against the record engine's own index,
// which costs no file access: a handle that was closed since (even when
// reopened on the same file) drops it; POSINFO records appended since (by anyone) are
// read and added; a count that no longer agrees (a POSINFO deleted
// elsewhere) rebuilds it. Changes in place made behind the positions code
// are not seen: the open modes keep other processes from making them while
// the handle is open, and the library's own changes go through here.
#ifndef ZBDB_PROJECTSTORE_POSITION_INDEX_H_
#define ZBDB_PROJECTSTORE_POSITION_INDEX_H_

#include <cstdint>
#include <memory>
#include <string>

#include "recordstore/typed_records.h"

namespace zb::projectstore {

class Store;

// The indexes of one store, by handle and program.
class PositionIndexes {
 public:
  PositionIndexes();
  ~PositionIndexes();
  PositionIndexes(const PositionIndexes&) = delete;
  PositionIndexes& operator=(const PositionIndexes&) = delete;
  struct Map;  // the index map, defined where it is used
  Map& map() { return *map_; }

 private:
  std::unique_ptr<Map> map_;
};

// What a lookup compares for one stored POSINFO (all in compare form).
struct PosInfoNames {
  std::string search;      // compared with a name that is not empty
  bool empty_match = false;  // what an empty name finds
  std::string short_name;  // the short name, for uniqueness
};
// stored_size is the record's size in the file (116 or 248).
PosInfoNames NamesOf(const recordstore::PosInfoExt& info, int32_t stored_size);

// The first occurrence whose names match `wanted` (compare form; an empty
// text finds the first record without a name), or -1.
int32_t IndexedFind(Store& store, int h, int16_t program,
                    const std::string& wanted);
// True when a POSINFO of the program has this short name (compare form).
bool IndexedShortNameTaken(Store& store, int h, int16_t program,
                           const std::string& wanted);

// How many occurrences of the program's POSINFO a walk reaches; -1 when h
// is not open.
int32_t IndexedCount(Store& store, int h, int16_t program);

// Told by the positions code after it changed the file through h.
// The occurrence was rewritten in place with info.
void PositionIndexRewritten(Store& store, int h, int16_t program,
                            uint32_t occurrence,
                            const recordstore::PosInfoExt& info,
                            int32_t stored_size);
// The occurrence was deleted; the ones behind it move up by one.
void PositionIndexDeleted(Store& store, int h, int16_t program,
                          uint32_t occurrence);
// Forgets every index of h (before a close, or after sweeping changes).
void ForgetPositionIndex(Store& store, int h);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_POSITION_INDEX_H_
