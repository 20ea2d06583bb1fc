// The engine's searches and reads.
#include <algorithm>
#include <cstring>
#include <vector>

#include "recordstore/engine.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {

uint32_t Engine::SearchNext(Slot& slot, int16_t k1, int16_t k2) {
  IndexEntry e;
  const uint32_t r = slot.index.FindFrom(slot.state.cursor, k1, k2, &e);
  if (r == KeyIndex::kNone) {
    slot.state.cursor = slot.index.size();
    return r;
  }
  slot.state.cursor = r;
  found_last_ = {e.key1, e.key2, e.offset};
  return r;
}

uint32_t Engine::SearchNth(Slot& slot, int16_t k1, int16_t k2, uint32_t n) {
  IndexEntry e;
  const uint32_t r = slot.index.FindNth(n, k1, k2, &e);
  if (r == KeyIndex::kNone) {
    slot.state.cursor = slot.index.size();
    return r;
  }
  slot.state.cursor = r;
  found_last_ = {e.key1, e.key2, e.offset};
  return r;
}

int32_t Engine::ReadFound(Slot& slot, uint32_t record, int32_t size,
                          void* buf) {
  // Every caller has just searched: the record is the one found last.
  const uint32_t offset = found_last_.offset;
  slot.state.cursor = record + 1;
  slot.state.rest = 0;
  const int32_t wanted = (size > 0 && buf) ? size : 0;
  // Header and data in one read; bytes beyond a shorter record are ignored.
  // Records lie in index order, so the next one (or the end of the data)
  // bounds this one: a caller's large buffer does not turn into a large
  // read. Small reads skip the look at the next entry, which costs more
  // than the bytes it would save.
  constexpr int32_t kSmallRead = 4096;
  int32_t to_read = wanted;
  if (wanted > kSmallRead) {
    const uint64_t next = record + 1 < slot.index.size()
                              ? slot.index.at(record + 1).offset
                              : slot.end_of_data;
    if (next > uint64_t{offset} + kRecordHeaderSize)
      to_read = static_cast<int32_t>(std::min<uint64_t>(
          wanted, next - offset - kRecordHeaderSize));
  }
  scratch_.resize(kRecordHeaderSize + kMaxRecordSize + 8);
  size_t got = 0;
  slot.file->ReadAt(offset, scratch_.data(), kRecordHeaderSize + to_read,
                    &got);
  if (got < kRecordHeaderSize) return 0;
  int32_t record_size = LoadI16(scratch_.data() + 4);
  if (record_size < 1) record_size = 0;
  const int32_t m = std::min(record_size, wanted);
  slot.state.rest = static_cast<int16_t>(record_size - m);
  slot.state.read_position = offset + kRecordHeaderSize + m;
  const int32_t delivered =
      std::min<int32_t>(m, static_cast<int32_t>(got - kRecordHeaderSize));
  if (m > 0) {
    std::memset(buf, 0, m);
    std::memcpy(buf, scratch_.data() + kRecordHeaderSize, delivered);
  }
  return delivered;
}

int32_t Engine::Read(int h, int16_t k1, int16_t k2, uint32_t n, int16_t size,
                     void* buf) {
  Slot* slot = OpenSlot(h);
  if (!slot) return DB_EOF;
  slot->state.key1 = k1;
  slot->state.key2 = k2;
  slot->state.size = size;
  slot->state.rest = 0;
  const uint32_t r = SearchNth(*slot, k1, k2, n);
  if (r == KeyIndex::kNone) return DB_EOF;
  return ReadFound(*slot, r, size, buf);
}

int32_t Engine::ReadNext(int h, void* buf) {
  Slot* slot = OpenSlot(h);
  if (!slot) return DB_EOF;
  const uint32_t r = SearchNext(*slot, slot->state.key1, slot->state.key2);
  if (r == KeyIndex::kNone) return DB_EOF;
  return ReadFound(*slot, r, slot->state.size, buf);
}

int32_t Engine::ReadRest(int h, int16_t size, void* buf) {
  Slot* slot = OpenSlot(h);
  if (!slot || !buf) return 0;
  const int32_t m = std::min<int32_t>(size, slot->state.rest);
  if (m <= 0) return 0;
  size_t got = 0;
  slot->file->ReadAt(slot->state.read_position, buf, static_cast<size_t>(m),
                     &got);
  slot->state.rest = static_cast<int16_t>(slot->state.rest - m);
  slot->state.read_position += static_cast<uint32_t>(m);
  return static_cast<int32_t>(got);
}

int32_t Engine::Read4(int h, int16_t k1, int16_t k2, int16_t k3, int16_t k4,
                      int32_t n, int16_t size, void* buf) {
  const int32_t work_size = static_cast<int32_t>(size) + 6;
  std::vector<uint8_t> work(work_size > 0 ? work_size : 0);
  if (n < 1) n = 1;
  int32_t matches = 0;
  for (uint32_t i = 0;; ++i) {
    // The engine's size argument is 16 bits; a larger work size is cut as
    // the original call cuts it.
    const int32_t r = Read(h, k1, k2, i, static_cast<int16_t>(work_size),
                           work.empty() ? nullptr : work.data());
    if (r < 1) return r;
    if (r >= 4 && LoadI16(work.data()) == k3 && LoadI16(work.data() + 2) == k4 &&
        ++matches == n) {
      if (r <= static_cast<int32_t>(size) + 4 && r > 8 && buf)
        std::memcpy(buf, work.data() + 4, static_cast<size_t>(r - 4));
      return r;
    }
  }
}

int32_t Engine::GetKeys(int16_t* k1, int16_t* k2) const {
  if (k1) *k1 = found_last_.key1;
  if (k2) *k2 = found_last_.key2;
  return found_last_.key2;
}

}  // namespace zb::recordstore
