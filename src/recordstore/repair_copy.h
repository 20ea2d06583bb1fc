// The copy phase of a record file repair: every record that can still be
// recognised in a damaged file is copied into a new file, which the engine
// then indexes afresh. The damaged file is only read.
//
// Three passes, the first that works wins:
//   walk   from offset 500 to the end-of-data or closed mark, resynchronising
//          byte by byte over headers that are not plausible;
//   A      (the walk found a mark) every plausible live record up to it;
//   B      (no mark) the records the source's own index confirms;
//   C      (B copied nothing) every record with positive keys, in order.
// What the passes do is told to a RepairReport line by line, in German, as
// the repair listing has it.
#ifndef ZBDB_RECORDSTORE_REPAIR_COPY_H_
#define ZBDB_RECORDSTORE_REPAIR_COPY_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace zb::recordstore {

class RepairReport {
 public:
  virtual ~RepairReport() = default;
  // One message of the listing; `box`: the user sees it as well.
  virtual void Message(const std::string& text, bool box) = 0;
  virtual void Progress(int32_t percent) { (void)percent; }
};

// Key1, Key2 and Size of a record header as they may stand in a sound
// file: the marks, or keys within the library's range and a size that
// fits one record.
bool IsPlausibleHeader(int16_t key1, int16_t key2, int16_t size);

struct RepairCopyResult {
  bool copied = false;     // a pass produced the new file
  char pass = 0;           // 'A', 'B' or 'C'; 0 when none worked
  uint32_t records = 0;    // records copied
  uint32_t ignored = 0;    // deleted or unconfirmed records left out
};

// Copies what can be recognised of `source` (open for reading, `size`
// bytes) into a new file at `target_path` (made anew by each pass). An I/O
// error on the target makes the copy fail; the source is never written.
RepairCopyResult CopyRecognisedRecords(platform::File& source, uint64_t size,
                                       platform::Platform& os,
                                       const std::string& target_path,
                                       RepairReport& report);

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_REPAIR_COPY_H_
