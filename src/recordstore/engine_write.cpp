// The engine's changes: appends, overwrites in place, deletes, keys and
// the user header.
#include <algorithm>
#include <cstring>

#include "recordstore/engine.h"
#include "recordstore/engine_io.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {

int32_t Engine::AppendToSlot(Slot& slot, int16_t k1, int16_t k2, int16_t size,
                             const void* data) {
  slot.state.key1 = k1;
  slot.state.key2 = k2;
  slot.state.size = size;
  slot.state.rest = 0;
  MarkChanged(slot);
  const uint32_t offset = slot.end_of_data;
  slot.index.Append(k1, k2, offset);
  // Header, data and the new end-of-data mark in one write.
  const size_t total = kRecordHeaderSize + static_cast<size_t>(size) + 4;
  scratch_.resize(std::max(scratch_.size(), total));
  uint8_t* p = scratch_.data();
  StoreI16(p, k1);
  StoreI16(p + 2, k2);
  StoreI16(p + 4, size);
  if (data)
    std::memcpy(p + kRecordHeaderSize, data, static_cast<size_t>(size));
  else
    std::memset(p + kRecordHeaderSize, 0, static_cast<size_t>(size));
  std::memcpy(p + kRecordHeaderSize + size, kEndOfDataMark, 4);
  size_t written = 0;
  slot.file->WriteAt(offset, p, total, &written);
  if (written < kRecordHeaderSize + static_cast<size_t>(size)) {
    slot.index.RemoveLast();
    WriteFully(*slot.file, offset, kEndOfDataMark, 4);
    slot.state.cursor = slot.index.size();
    return 0;
  }
  if (written < total) WriteFully(*slot.file, offset + total - 4,
                                  kEndOfDataMark, 4);
  slot.end_of_data = offset + kRecordHeaderSize + static_cast<uint32_t>(size);
  slot.state.cursor = slot.index.size();
  return size;
}

int32_t Engine::Append(int h, int16_t k1, int16_t k2, int16_t size,
                       const void* data) {
  if (h < 0 || h >= kSlots) return DB_EOF;
  if (size < 1 || size > kMaxRecordSize) return DB_RECLEN_OVERFLOW;
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  return AppendToSlot(*slot, k1, k2, size, data);
}

int32_t Engine::OverwriteFound(Slot& slot, uint32_t record, int32_t size,
                               const void* data) {
  // Every caller has just searched: the record is the one found last.
  const uint32_t offset = found_last_.offset;
  slot.state.cursor = record + 1;
  uint8_t header[kRecordHeaderSize];
  if (!ReadFully(*slot.file, offset, header, sizeof header)) return 0;
  int32_t record_size = LoadI16(header + 4);
  if (record_size < 1) record_size = 0;
  const int32_t m = std::min(record_size, size > 0 ? size : 0);
  if (m == 0 || !data) return 0;
  size_t written = 0;
  slot.file->WriteAt(offset + kRecordHeaderSize, data, static_cast<size_t>(m),
                     &written);
  return static_cast<int32_t>(written);
}

int32_t Engine::WriteFar(int h, int16_t k1, int16_t k2, uint32_t n,
                         int16_t size, const void* data, bool append_if_none) {
  if (h < 0 || h >= kSlots) return DB_EOF;
  if (size < 1 || size > kMaxRecordSize) return DB_RECLEN_OVERFLOW;
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  slot->state.key1 = k1;
  slot->state.key2 = k2;
  slot->state.size = size;
  slot->state.rest = 0;
  const uint32_t r = SearchNth(*slot, k1, k2, n);
  int32_t result =
      r == KeyIndex::kNone ? DB_EOF : OverwriteFound(*slot, r, size, data);
  if (append_if_none && result < 1)
    result = AppendToSlot(*slot, k1, k2, size, data);
  return result;
}

int32_t Engine::WriteNext(int h, const void* data) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  const SlotState& st = slot->state;
  const uint32_t r = SearchNext(*slot, st.key1, st.key2);
  if (r != KeyIndex::kNone) return OverwriteFound(*slot, r, st.size, data);
  if (st.size < 1 || st.size > kMaxRecordSize) return DB_RECLEN_OVERFLOW;
  return AppendToSlot(*slot, st.key1, st.key2, st.size, data);
}

bool Engine::RewriteRecord(int h, uint32_t record, int16_t k1, int16_t k2,
                           int16_t size, const void* data) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only || record >= slot->index.size() || size < 1)
    return false;
  const uint32_t offset = slot->index.at(record).offset;
  MarkChanged(*slot);
  // Header and data in one write: a process that ends cannot leave the new
  // header over old data (nor the reverse), and writing the header last in
  // a second call would guard nothing more without a flush between them.
  const size_t total = kRecordHeaderSize + static_cast<size_t>(size);
  scratch_.resize(
      std::max(scratch_.size(), kRecordHeaderSize + size_t{kMaxRecordSize}));
  StoreI16(scratch_.data(), k1);
  StoreI16(scratch_.data() + 2, k2);
  StoreI16(scratch_.data() + 4, size);
  if (data)
    std::memcpy(scratch_.data() + kRecordHeaderSize, data,
                static_cast<size_t>(size));
  else
    std::memset(scratch_.data() + kRecordHeaderSize, 0,
                static_cast<size_t>(size));
  if (!WriteFully(*slot->file, offset, scratch_.data(), total)) return false;
  slot->index.SetKeys(record, k1, k2);
  return true;
}

// ---------------------------------------------------------------------------
// Deleting and keys

int32_t Engine::FlipFound(Slot& slot, uint32_t record, bool undelete) {
  slot.state.cursor = record + 1;
  const IndexEntry e = slot.index.at(record);
  if (undelete ? e.key1 >= 0 : e.key1 <= 0) return 0;
  const int16_t key1 = static_cast<int16_t>(-static_cast<int32_t>(e.key1));
  MarkChanged(slot);
  uint8_t keys[4];
  StoreI16(keys, key1);
  StoreI16(keys + 2, e.key2);
  // The index follows the file, so that both agree when the write fails.
  if (!WriteFully(*slot.file, e.offset, keys, 4)) return 0;
  slot.index.SetKeys(record, key1, e.key2);
  uint8_t size[2];
  if (!ReadFully(*slot.file, e.offset + 4, size, 2)) return 0;
  return LoadI16(size);
}

int32_t Engine::Delete(int h, int16_t k1, int16_t k2, uint32_t n) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  slot->state.key1 = k1;
  slot->state.key2 = k2;
  slot->state.rest = 0;
  const uint32_t r = SearchNth(*slot, k1, k2, n);
  if (r == KeyIndex::kNone) return DB_EOF;
  return FlipFound(*slot, r, false);
}

int32_t Engine::DeleteNext(int h) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  const uint32_t r = SearchNext(*slot, slot->state.key1, slot->state.key2);
  if (r == KeyIndex::kNone) return DB_EOF;
  return FlipFound(*slot, r, false);
}

int32_t Engine::Undelete(int h, int16_t k1, int16_t k2, uint32_t n) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  // A deleted record carries its Key1 negated.
  slot->state.key1 = static_cast<int16_t>(-static_cast<int32_t>(k1));
  slot->state.key2 = k2;
  slot->state.rest = 0;
  const uint32_t r = SearchNth(*slot, slot->state.key1, k2, n);
  if (r == KeyIndex::kNone) return DB_EOF;
  return FlipFound(*slot, r, true);
}

int32_t Engine::UndeleteNext(int h) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  const uint32_t r = SearchNext(*slot, slot->state.key1, slot->state.key2);
  if (r == KeyIndex::kNone) return DB_EOF;
  return FlipFound(*slot, r, true);
}

int32_t Engine::ChangeKeys(int h, int16_t k1, int16_t k2, int16_t new_k1,
                           int16_t new_k2) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only) return DB_EOF;
  slot->state.key1 = k1;
  slot->state.key2 = k2;
  slot->state.rest = 0;
  slot->state.cursor = 0;
  int32_t changed = 0;
  uint8_t keys[4];
  StoreI16(keys, new_k1);
  StoreI16(keys + 2, new_k2);
  for (;;) {
    const uint32_t r = SearchNext(*slot, k1, k2);
    if (r == KeyIndex::kNone) break;
    MarkChanged(*slot);
    if (WriteFully(*slot->file, slot->index.at(r).offset, keys, 4))
      slot->index.SetKeys(r, new_k1, new_k2);
    slot->state.cursor = r + 1;
    ++changed;
  }
  return changed;
}

// ---------------------------------------------------------------------------
// User header

namespace {
bool InUserHeader(int32_t offset, int32_t length) {
  return offset >= 0 && length >= 0 &&
         static_cast<int64_t>(offset) + length <= kUserHeaderSize;
}
}  // namespace

int32_t Engine::ReadBin(int h, int32_t offset, int32_t length, void* buf) {
  Slot* slot = OpenSlot(h);
  if (!slot || !buf || !InUserHeader(offset, length)) return DB_EOF;
  size_t got = 0;
  slot->file->ReadAt(static_cast<uint64_t>(offset), buf,
                     static_cast<size_t>(length), &got);
  return static_cast<int32_t>(got);
}

int32_t Engine::WriteBin(int h, int32_t offset, int32_t length,
                         const void* data) {
  Slot* slot = OpenSlot(h);
  if (!slot || slot->read_only || !data || !InUserHeader(offset, length))
    return DB_EOF;
  size_t written = 0;
  slot->file->WriteAt(static_cast<uint64_t>(offset), data,
                      static_cast<size_t>(length), &written);
  return static_cast<int32_t>(written);
}

}  // namespace zb::recordstore
