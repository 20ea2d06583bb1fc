// The record engine: the process-wide table of open record files and the
// keyed operations on them. The DB... exports forward here one to one; the
// results are exactly theirs (see include/zbdb900.h and the codes there).
//
// One Engine per library: the library object owns it and hands it down.
// Handles are slots 1..9 (slot 0 is never handed out but accepted, and
// answers -1 like any slot that is not open). Each slot keeps a search
// cursor, the keys and size of its last keyed call and the unread rest of
// the record read last; the Next operations and ReadRest continue from
// them. The Key1, Key2 and offset of the record found last by any search
// are process-wide.
//
// One calling thread is assumed: nothing here takes a lock.
#ifndef ZBDB_RECORDSTORE_ENGINE_H_
#define ZBDB_RECORDSTORE_ENGINE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "recordstore/key_index.h"
#include "recordstore/log_sink.h"
#include "zbdb900_types.h"

namespace zb::recordstore {

class BatchedFile;

constexpr int kSlots = 10;
constexpr size_t kMaxPathLength = 1023;

// The search state of a slot, as the handle stack saves and restores it.
struct SlotState {
  int16_t key1 = 0;
  int16_t key2 = 0;
  int16_t size = 0;
  int16_t rest = 0;
  uint32_t cursor = 0;
  uint32_t read_position = 0;
};

struct Slot {
  bool in_use = false;
  bool changed = false;
  bool read_only = false;
  // The file ends with a re-index mark instead of its closed mark, so that
  // a process ending before the close leaves the index to the walk.
  bool marked = false;
  // Changed only because the index was rebuilt at open; the size and last
  // four bytes seen then tell at close whether another process has changed
  // the file meanwhile (it then writes the index itself).
  bool rebuilt_only = false;
  uint64_t size_at_open = 0;
  uint8_t tail_at_open[4] = {};
  std::unique_ptr<platform::File> file;
  SlotState state;
  KeyIndex index;
  uint32_t end_of_data = 0;
  std::string name;  // the path exactly as given to the open
  // Different for every open of the process, so that what others keep
  // about an open file (the position index) never outlives its close.
  uint64_t open_serial = 0;
  // The write batch running on the file (it is then `file`), its depth of
  // nesting, whether one of its writes failed, and the first record it
  // appended.
  BatchedFile* batch = nullptr;
  int batch_depth = 0;
  bool batch_failed = false;
  uint32_t batch_first_record = 0;
};

struct FoundLast {
  int16_t key1 = 0;
  int16_t key2 = 0;
  uint32_t offset = 0;
};

class Engine {
 public:
  // `at_first_open` runs once, before the first open of this engine (the
  // library arranges there for every index to be written at exit).
  // Open errors are logged to `log`.
  Engine(platform::Platform& os, LogSink& log,
         std::function<void()> at_first_open = {});
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  platform::Platform& platform() const { return os_; }

  // -- Opening and closing ------------------------------------------------
  int32_t Open(const char* path);
  int32_t OpenReadOnly(const char* path);
  int32_t OpenExclusive(const char* path);
  int32_t Close(int h);
  void CloseAll();  // the exit handler
  int32_t GetFileName(char* dest, int h) const;
  int32_t GetFileHandle(const char* path) const;
  uint32_t NumRecords(int h) const;

  // -- Reading --------------------------------------------------------------
  int32_t Read(int h, int16_t k1, int16_t k2, uint32_t n, int16_t size,
               void* buf);
  int32_t ReadNext(int h, void* buf);
  int32_t ReadRest(int h, int16_t size, void* buf);
  int32_t Read4(int h, int16_t k1, int16_t k2, int16_t k3, int16_t k4,
                int32_t n, int16_t size, void* buf);
  int32_t GetKeys(int16_t* k1, int16_t* k2) const;
  const FoundLast& found_last() const { return found_last_; }

  // -- Writing --------------------------------------------------------------
  int32_t Append(int h, int16_t k1, int16_t k2, int16_t size,
                 const void* data);
  // Overwrite the n-th match in place; `append_if_none` is DBWriteAddFar.
  int32_t WriteFar(int h, int16_t k1, int16_t k2, uint32_t n, int16_t size,
                   const void* data, bool append_if_none);
  int32_t WriteNext(int h, const void* data);

  // -- Deleting and keys ----------------------------------------------------
  int32_t Delete(int h, int16_t k1, int16_t k2, uint32_t n);
  int32_t DeleteNext(int h);
  int32_t Undelete(int h, int16_t k1, int16_t k2, uint32_t n);
  int32_t UndeleteNext(int h);
  int32_t ChangeKeys(int h, int16_t k1, int16_t k2, int16_t new_k1,
                     int16_t new_k2);

  // -- User header ----------------------------------------------------------
  int32_t ReadBin(int h, int32_t offset, int32_t length, void* buf);
  int32_t WriteBin(int h, int32_t offset, int32_t length, const void* data);

  // -- Write batches (write_batch.h) ----------------------------------------
  // From BeginBatch to the matching EndBatch (batches nest: the outermost
  // counts) or the close, the writes to h are gathered and reach the file
  // in one write per 64 KB or more, in their order (batched_file.h); reads
  // through h see them, other handles of the file do not until they are
  // sent on. DB_SUCCESS, or DB_EOF when h is not open for writing.
  int32_t BeginBatch(int h);
  // Sends what is gathered on: DB_SUCCESS when all of the batch reached the
  // file, 0 when a write failed (records appended in the batch that did not
  // reach the file in full are then not in the index, as after an append
  // that fails, and the index keeps the keys the file has); DB_EOF when h
  // has no batch.
  int32_t EndBatch(int h);

  // -- For the overwrite pass, the handle stack and the tools --------------
  // The open slot h, or nullptr (h outside 0..9 or not open). A batch of
  // the slot whose write failed is settled first.
  Slot* OpenSlot(int h) {
    if (h < 0 || h >= kSlots || !slots_[h].in_use) return nullptr;
    if (slots_[h].batch) SettleBatch(slots_[h]);
    return &slots_[h];
  }
  const Slot* OpenSlot(int h) const {
    if (h < 0 || h >= kSlots || !slots_[h].in_use) return nullptr;
    return &slots_[h];
  }
  // Puts keys (k1, k2) and `size` bytes of data into the place of record
  // `record` (which is at least `size` bytes long): the data first, then
  // the header, so that the place only counts once its data are complete;
  // the index entry follows the header. False when a write failed (the
  // record then keeps its old keys).
  bool RewriteRecord(int h, uint32_t record, int16_t k1, int16_t k2,
                     int16_t size, const void* data);

  // Forgets every open file without writing its index, as a process that
  // is killed does (crash tests).
  void AbandonAll();

 private:
  enum class Mode { kReadWrite, kReadOnly, kExclusive };

  int32_t OpenWithMode(const char* path, Mode mode);
  // The second-open rule: the lower-case path equals a recorded name.
  bool OpenUnderLowerCase(const std::string& path) const;
  int32_t CreateNew(const std::string& path, platform::Share share,
                    std::unique_ptr<platform::File>* file);
  // Reads the index from a cleanly closed file, or rebuilds it by walking
  // the records: when the file does not end with its closed mark, and when
  // the end-of-data mark is not where the index header says (records were
  // appended over an old index that was never rewritten). False when the
  // file is not a record file (DB_NOEND).
  bool LoadIndex(Slot& slot);
  bool WalkRecords(Slot& slot, uint64_t file_size);
  bool Rebuild(Slot& slot, uint64_t file_size, const uint8_t tail[4]);
  // Every change of the index goes through here: the first one turns the
  // closed mark at the end of the file into a re-index mark.
  void MarkChanged(Slot& slot);
  // True when the file's size or last four bytes differ from those seen
  // when a handle rebuilt its index at open.
  bool ChangedByOthers(Slot& slot);

  // Search from the slot's cursor (or for the n-th match from record 0).
  // Returns the record number and leaves the cursor on it, or kNone with
  // the cursor at N.
  uint32_t SearchNext(Slot& slot, int16_t k1, int16_t k2);
  uint32_t SearchNth(Slot& slot, int16_t k1, int16_t k2, uint32_t n);
  int32_t ReadFound(Slot& slot, uint32_t record, int32_t size, void* buf);
  int32_t OverwriteFound(Slot& slot, uint32_t record, int32_t size,
                         const void* data);
  int32_t AppendToSlot(Slot& slot, int16_t k1, int16_t k2, int16_t size,
                       const void* data);
  int32_t FlipFound(Slot& slot, uint32_t record, bool undelete);
  void WriteIndexAndClose(Slot& slot);
  // After a failed write of the slot's batch: the index follows the file
  // again (see EndBatch).
  void SettleBatch(Slot& slot);
  // Sends the batch on, settles it and gives the slot its file back; the
  // result as EndBatch's.
  int32_t FinishBatch(Slot& slot);

  platform::Platform& os_;
  LogSink& log_;
  std::function<void()> at_first_open_;
  Slot slots_[kSlots];
  FoundLast found_last_;
  uint64_t opens_ = 0;
  std::vector<uint8_t> scratch_;  // one record's header, data and mark
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_ENGINE_H_
