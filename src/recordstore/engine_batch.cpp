// The engine's write batches: a slot's file wrapped in a BatchedFile for
// the length of one operation, and what a failed write of it leaves.
#include <algorithm>
#include <memory>
#include <vector>

#include "recordstore/batched_file.h"
#include "recordstore/engine.h"
#include "recordstore/engine_io.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {

int32_t Engine::BeginBatch(int h) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  if (slot->batch_depth++ > 0) return DB_SUCCESS;
  auto batched = std::make_unique<BatchedFile>(std::move(slot->file));
  slot->batch = batched.get();
  slot->file = std::move(batched);
  slot->batch_failed = false;
  slot->batch_first_record = slot->index.size();
  return DB_SUCCESS;
}

int32_t Engine::EndBatch(int h) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->batch_depth == 0) return DB_EOF;
  if (--slot->batch_depth > 0) return DB_SUCCESS;
  return FinishBatch(*slot);
}

int32_t Engine::FinishBatch(Slot& slot) {
  if (!slot.batch) return DB_SUCCESS;
  slot.batch->Flush();
  SettleBatch(slot);
  std::unique_ptr<platform::File> file = slot.batch->Release();
  slot.file = std::move(file);
  slot.batch = nullptr;
  slot.batch_depth = 0;
  const bool failed = slot.batch_failed;
  slot.batch_failed = false;
  return failed ? 0 : DB_SUCCESS;
}

void Engine::SettleBatch(Slot& slot) {
  if (!slot.batch) return;
  const std::vector<BatchedFile::Range> lost = slot.batch->TakeLostRanges();
  if (lost.empty()) return;
  slot.batch_failed = true;
  // Whether a lost write touched [from, to) (the ranges are ascending and
  // apart).
  auto touched = [&lost](uint64_t from, uint64_t to) {
    auto it = std::upper_bound(
        lost.begin(), lost.end(), from,
        [](uint64_t x, const BatchedFile::Range& r) { return x < r.to; });
    return it != lost.end() && it->from < to;
  };
  KeyIndex& index = slot.index;
  // An appended record that did not reach the file in full is not added,
  // and nor is any appended after it (they lie behind it).
  uint32_t keep = index.size();
  for (uint32_t r = std::min(slot.batch_first_record, keep); r < keep; ++r) {
    const uint64_t end =
        r + 1 < index.size() ? index.at(r + 1).offset : slot.end_of_data;
    if (touched(index.at(r).offset, end)) {
      keep = r;
      break;
    }
  }
  if (keep < index.size()) {
    slot.end_of_data = index.at(keep).offset;
    while (index.size() > keep) index.RemoveLast();
  }
  // The end-of-data mark may have been lost with the last record.
  WriteFully(*slot.file, slot.end_of_data, kEndOfDataMark, 4);
  // Keys written over older records and lost: the index takes the file's.
  for (uint32_t r = 0; r < keep; ++r) {
    const IndexEntry e = index.at(r);
    uint8_t keys[4];
    if (touched(e.offset, uint64_t{e.offset} + 4) &&
        ReadFully(*slot.file, e.offset, keys, sizeof keys))
      index.SetKeys(r, LoadI16(keys), LoadI16(keys + 2));
  }
  slot.state.cursor = std::min(slot.state.cursor, index.size());
}

}  // namespace zb::recordstore
