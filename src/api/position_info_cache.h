// The position information cache: a calculation program asks once for the
// positions of a project and then reads them entry by entry. Two
// process-wide caches are kept, one of 116-byte entries (the short POSINFO
// form, for the plain and B exports) and one of 248-byte entries (the long
// form, for the _L and _LB exports). A cache lives from the Init that filled
// it to its Kill, to a Get with an index out of range, or to the next Init
// that found positions. One calling thread is assumed: nothing is locked.
#ifndef ZBDB_API_POSITION_INFO_CACHE_H_
#define ZBDB_API_POSITION_INFO_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recordstore/typed_records.h"

namespace zb::api {

class Library;

constexpr int32_t kShortEntrySize = 116;
constexpr int32_t kLongEntrySize = 248;
constexpr int32_t kShortBlankSize = 120;
constexpr int32_t kLongBlankSize = 256;
constexpr int32_t kCopiedResult = 116;  // what a Get answers for a copy

// One position of a project: its POSINFO in the 248-byte form and the
// program key it is stored under.
struct PositionListEntry {
  recordstore::PosInfoExt info{};
  int16_t program = 0;
};

// Every POSINFO of the project file (30002, any program) in record order,
// 116-byte records widened (designation from the PROPOS tag, no page
// block), an empty long or short name given as four blanks. Empty when the
// file cannot be read.
std::vector<PositionListEntry> LoadPositionList(Library& lib,
                                                const std::string& project);

class PositionInfoCache {
 public:
  explicit PositionInfoCache(int32_t entry_size) : entry_size_(entry_size) {}

  // Takes the positions when there are any (the old entries go); leaves
  // the cache as it is otherwise. Returns the number of positions.
  int32_t Fill(const std::vector<PositionListEntry>& positions);
  // Copies entry `index` (entry_size bytes) into out and returns 116; an
  // index out of range empties the cache. 0 when nothing was copied.
  int32_t Get(int32_t index, void* out);
  // Entry `index`, or nullptr; the cache stays as it is.
  const PositionListEntry* Entry(int32_t index) const;
  // Empties the cache: the number of entries it held.
  int32_t Kill();
  int32_t count() const { return static_cast<int32_t>(entries_.size()); }

 private:
  int32_t entry_size_;
  std::vector<PositionListEntry> entries_;
};

// The Blank forms for Basic callers: blanks, the numbers and texts placed
// as the caller's record layout has them (4-byte values aligned to 4).
void ShortEntryToBlank(const uint8_t entry[kShortEntrySize],
                       uint8_t out[kShortBlankSize]);
void LongEntryToBlank(const uint8_t entry[kLongEntrySize],
                      uint8_t out[kLongBlankSize]);

// The parts of a time value as universal time (year in full, month 1-12).
struct TimeParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
TimeParts UniversalTimeParts(uint32_t time);
// A local time from its parts, each taken only within its range (year
// above 1900, month 1-12, day 1-31, hour 1-59, minute and second 1-60) and
// 0 otherwise; 0 when the result lies before 1970.
uint32_t TimeFromLocalParts(const TimeParts& parts);

}  // namespace zb::api

#endif  // ZBDB_API_POSITION_INFO_CACHE_H_
