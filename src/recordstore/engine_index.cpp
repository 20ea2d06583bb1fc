// The engine's index on disk: loaded at open, rebuilt by walking the
// records when the file was not closed, written back at close.
#include <algorithm>
#include <cstring>
#include <vector>

#include "recordstore/engine.h"
#include "recordstore/engine_io.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {

bool Engine::LoadIndex(Slot& slot) {
  platform::File& file = *slot.file;
  uint64_t size = 0;
  if (!file.Size(&size).ok() || size < 4) return false;
  uint8_t tail[4];
  if (!ReadFully(file, size - 4, tail, 4)) return false;
  const int16_t mark = LoadI16(tail);

  if (mark == kEndOfDataKey || mark == kAltEndOfDataKey)
    return Rebuild(slot, size, tail);
  if (mark != kClosedKey) return false;

  uint8_t header[12];
  if (size < kFileHeaderSize + 8 ||
      !ReadFully(file, kIndexHeaderOffset, header, sizeof header))
    return false;
  const uint32_t n = LoadU32(header);
  const uint32_t index_offset = LoadU32(header + 4);
  // The index and the closed mark must lie inside the file.
  if (index_offset < kFileHeaderSize + 4 ||
      static_cast<uint64_t>(index_offset) + uint64_t{8} * n + 4 > size)
    return false;
  // A file whose writer ended without closing after appending less than
  // the old index was long still ends with its old closed mark: the old
  // index is read again, as the format has it (the repair finds the rest).
  // This library never leaves such a file: its first change replaces the
  // closed mark with the re-index mark.
  // The entries are read straight into the index: their memory layout is
  // the disk layout.
  IndexEntry* entries = slot.index.PrepareLoad(n);
  if (n > 0 && !ReadFully(file, index_offset, entries, size_t{8} * n)) {
    slot.index.Clear();
    return false;
  }
  if (!slot.read_only) WriteFully(file, size - 4, tail, 4);
  slot.end_of_data = index_offset - 4;
  return true;
}

bool Engine::Rebuild(Slot& slot, uint64_t file_size, const uint8_t tail[4]) {
  slot.index.Clear();
  if (!WalkRecords(slot, file_size)) {
    slot.index.Clear();
    return false;
  }
  // The rebuilt index must reach the disk at close; a read-only handle
  // never writes.
  slot.changed = !slot.read_only;
  slot.rebuilt_only = slot.changed;
  slot.marked = LoadI16(tail) != kClosedKey;
  slot.size_at_open = file_size;
  std::memcpy(slot.tail_at_open, tail, 4);
  return true;
}

void Engine::MarkChanged(Slot& slot) {
  slot.changed = true;
  slot.rebuilt_only = false;
  if (slot.marked) return;
  slot.marked = true;
  uint64_t size = 0;
  if (slot.file->Size(&size).ok() && size >= 4)
    WriteFully(*slot.file, size - 4, kReindexMark, 4);
}

bool Engine::WalkRecords(Slot& slot, uint64_t file_size) {
  // Read in large chunks: one small read per record would make reopening a
  // big file that was not closed slow.
  constexpr size_t kChunk = 1 << 16;
  std::vector<uint8_t> chunk(kChunk);
  uint64_t chunk_start = 0;
  size_t chunk_len = 0;
  uint64_t offset = kFileHeaderSize;
  for (;;) {
    // The end-of-data mark is only four bytes long and may end the file.
    const uint64_t wanted =
        std::min<uint64_t>(kRecordHeaderSize, file_size - std::min(offset, file_size));
    if (wanted < 4) return false;
    if (offset < chunk_start || offset + wanted > chunk_start + chunk_len) {
      chunk_start = offset;
      if (!slot.file->ReadAt(offset, chunk.data(), kChunk, &chunk_len).ok())
        return false;
      if (chunk_len < wanted) return false;
    }
    const uint8_t* h = chunk.data() + (offset - chunk_start);
    const int16_t key1 = LoadI16(h);
    if (key1 == kEndOfDataKey) break;
    if (wanted < kRecordHeaderSize) return false;
    const int16_t size = LoadI16(h + 4);
    // A negative size would walk backwards forever; offsets are 32-bit.
    if (size < 0 || offset > 0xFFFFFFFFull - kRecordHeaderSize - size)
      return false;
    slot.index.Append(key1, LoadI16(h + 2), static_cast<uint32_t>(offset));
    offset += kRecordHeaderSize + static_cast<uint32_t>(size);
  }
  slot.end_of_data = static_cast<uint32_t>(offset);
  return true;
}

bool Engine::ChangedByOthers(Slot& slot) {
  uint64_t size = 0;
  uint8_t tail[4];
  return !slot.file->Size(&size).ok() || size != slot.size_at_open ||
         size < 4 || !ReadFully(*slot.file, size - 4, tail, 4) ||
         std::memcmp(tail, slot.tail_at_open, 4) != 0;
}

void Engine::WriteIndexAndClose(Slot& slot) {
  // The records of a batch reach the file before the index that names them.
  FinishBatch(slot);
  platform::File& file = *slot.file;
  // Another process changing the file writes its own index at its close;
  // an index this handle only rebuilt at open would be older.
  if (!slot.read_only && slot.changed && slot.rebuilt_only &&
      ChangedByOthers(slot))
    slot.changed = false;
  if (!slot.read_only) {
    if (slot.changed) {
      // Until the closed mark is written the file ends with a re-index
      // mark, so a process ending at any point of the close leaves a file
      // that the walk re-indexes rather than a torn index that is trusted
      // or refused.
      const uint32_t n = slot.index.size();
      const uint64_t closed_at =
          uint64_t{slot.end_of_data} + 4 + uint64_t{8} * n;
      // A write that fails ends the close there: the mark stays, and the
      // next open walks the records instead of trusting half an index.
      uint64_t size = 0;
      file.Size(&size);
      bool ok = true;
      if (closed_at + 4 >= size)
        ok = WriteFully(file, closed_at, kReindexMark, 4);
      else if (!slot.marked)
        ok = WriteFully(file, size - 4, kReindexMark, 4);
      std::vector<uint8_t> tail(4 + size_t{8} * n);
      std::memcpy(tail.data(), kEndOfDataMark, 4);
      uint8_t* p = tail.data() + 4;
      for (const IndexEntry& e : slot.index.entries()) {
        StoreI16(p, e.key1);
        StoreI16(p + 2, e.key2);
        StoreU32(p + 4, e.offset);
        p += 8;
      }
      ok = ok && WriteFully(file, slot.end_of_data, tail.data(), tail.size());
      uint8_t header[12];
      BuildIndexHeader(n, slot.end_of_data, header);
      ok = ok && WriteFully(file, kIndexHeaderOffset, header, sizeof header);
      ok = ok && WriteFully(file, closed_at, kClosedMark, 4);
      // Bytes beyond the index (left by a process that ended early; files
      // are never truncated) must not hide the closed mark.
      if (ok && closed_at + 4 < size)
        WriteFully(file, size - 4, kClosedMark, 4);
    } else {
      uint64_t size = 0;
      if (file.Size(&size).ok() && size >= 4)
        WriteFully(file, size - 4, kClosedMark, 4);
    }
  }
  slot.file.reset();
  slot.index.Clear();
  slot.in_use = false;
  slot.changed = false;
  slot.marked = false;
  slot.rebuilt_only = false;
  slot.read_only = false;
  slot.state = SlotState();
  slot.end_of_data = 0;
  slot.name.clear();
}

}  // namespace zb::recordstore
