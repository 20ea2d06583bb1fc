#include "recordstore/engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "recordstore/log_sink.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {
namespace {

using platform::Access;
using platform::ErrorKind;
using platform::Share;
using platform::Status;

// The C runtime's open and share flags, as the creation log names them.
constexpr int kOpenBinaryReadWrite = 0x8000 | 0x0002;  // O_BINARY | O_RDWR
constexpr int kOpenBinaryRead = 0x8000;                // O_BINARY | O_RDONLY
constexpr int kShareDenyNone = 0x40;                   // SH_DENYNO
constexpr int kShareDenyReadWrite = 0x10;              // SH_DENYRW

// The exclusive open waits this long, this often, while a file is
// write-protected.
constexpr uint32_t kExclusiveWaitMs = 3000;
constexpr int kExclusiveWaits = 4;

std::string AsciiLower(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string Format(const char* format, const std::string& a) {
  char buf[2048];
  std::snprintf(buf, sizeof buf, format, a.c_str());
  return buf;
}

std::string Format(const char* format, int a) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, a);
  return buf;
}

bool ReadFully(platform::File& file, uint64_t offset, void* buf, size_t n) {
  size_t got = 0;
  return file.ReadAt(offset, buf, n, &got).ok() && got == n;
}

bool WriteFully(platform::File& file, uint64_t offset, const void* data,
                size_t n) {
  size_t written = 0;
  return file.WriteAt(offset, data, n, &written).ok() && written == n;
}

// The mark a file carries at its end while a change is under way: read at
// open like the end-of-data mark, so the index is rebuilt by the walk.
constexpr uint8_t kReindexMark[4] = {0xFE, 0x7F, 0xFE, 0x7F};

}  // namespace

Engine::Engine(platform::Platform& os, LogSink& log,
               std::function<void()> at_first_open)
    : os_(os), log_(log), at_first_open_(std::move(at_first_open)) {}

Slot* Engine::OpenSlot(int h) {
  if (h < 0 || h >= kSlots || !slots_[h].in_use) return nullptr;
  return &slots_[h];
}

const Slot* Engine::OpenSlot(int h) const {
  if (h < 0 || h >= kSlots || !slots_[h].in_use) return nullptr;
  return &slots_[h];
}

// ---------------------------------------------------------------------------
// Opening

int32_t Engine::Open(const char* path) {
  return OpenWithMode(path, Mode::kReadWrite);
}

int32_t Engine::OpenReadOnly(const char* path) {
  if (!path || !*path) return DB_EOF;
  platform::Platform& os = os_;
  if (!os.FileExists(path) || os.IsFolder(path)) return DB_EOF;
  // The readability check below opens the file, so a file this process
  // holds exclusively would look unreadable; the second-open rule must
  // answer first, as it does for the other opens.
  if (OpenUnderLowerCase(path)) return DB_SECOND_OPEN;
  // A file that may not be read is not opened.
  std::unique_ptr<platform::File> probe;
  Status s = os.OpenFile(path, Access::kRead, Share::kDenyNone, &probe);
  if (s.kind == ErrorKind::kAccessDenied) return -5;
  probe.reset();
  return OpenWithMode(path, Mode::kReadOnly);
}

int32_t Engine::OpenExclusive(const char* path) {
  if (!path || !*path) return DB_EOF;
  platform::Platform& os = os_;
  if (!os.FileExists(path) || os.IsFolder(path)) return DB_EOF;
  // Write protection is often lifted by whoever set it (a copy finishing,
  // a user): wait for it a while before giving up.
  for (int waits = 0;; ++waits) {
    bool read_only = false;
    Status s = os.IsReadOnly(path, &read_only);
    if (!s.ok()) return DB_EOF;
    if (!read_only) break;
    if (waits == kExclusiveWaits) return -5;
    os.SleepMs(kExclusiveWaitMs);
  }
  return OpenWithMode(path, Mode::kExclusive);
}

int32_t Engine::CreateNew(const std::string& path, Share share,
                          std::unique_ptr<platform::File>* file) {
  platform::Platform& os = os_;
  std::unique_ptr<platform::File> created;
  Status s = os.NewFile(path, share, &created);
  uint8_t layout[kNewFileSize];
  BuildNewFile(layout);
  if (s.ok() && !WriteFully(*created, 0, layout, kNewFileSize)) {
    created.reset();
    os.RemoveFile(path);
    s.kind = ErrorKind::kOther;
    s.code = 28;
    s.message = "No space left on device";
  }
  if (!s.ok()) {
    std::string entry = Format("\n### ERROR on creating : %s", path);
    entry += "\n### DBOpen(.. O_BINARY | O_RDWR, SH_DENYNO) = ENOENT ";
    entry += Format("\n### _sopen(%s,", path);
    entry += "\n###         O_Attr = O_BINARY | O_CREAT | O_RDWR ";
    entry += "\n###         S_Attr = SH_DENYNO";
    entry += "\n###         pmode  = S_IREAD | S_IWRITE";
    entry += Format("\n###        ) = errno %d", s.code);
    entry += Format("\n### :%s \n", s.message);
    log_.Append(entry);
    return DB_OPENERR;
  }
  created.reset();
  s = os.OpenFile(path, Access::kReadWrite, share, file);
  if (!s.ok()) {
    char buf[1200];
    std::snprintf(buf, sizeof buf,
                  "\n### ReOpen nach Create (%s) : Error = %d ***\n",
                  path.c_str(), s.code);
    log_.Append(buf);
    log_.Append(Format("\n### DBOpenError : O_BINARY |O_Attr = %d ***\n",
                       kOpenBinaryReadWrite));
    log_.Append(Format(
        "\n### DBOpenError :  S_Attr = %d ***\n",
        share == Share::kDenyNone ? kShareDenyNone : kShareDenyReadWrite));
    return DB_OPENERR;
  }
  return 0;
}

bool Engine::OpenUnderLowerCase(const std::string& path) const {
  // Names are recorded as given, so only a name opened in lower case is
  // ever recognised again.
  const std::string lower = AsciiLower(path);
  for (int h = 1; h < kSlots; ++h)
    if (slots_[h].in_use && slots_[h].name == lower) return true;
  return false;
}

int32_t Engine::OpenWithMode(const char* path_text, Mode mode) {
  if (!path_text || !*path_text) return DB_OPENERR;
  const std::string path(path_text);
  // The name table keeps 1023 characters; a longer path is refused rather
  // than cut, which could name another file.
  if (path.size() > kMaxPathLength) return DB_OPENERR;

  // 1. A path opened in lower case is recognised again (ignoring case).
  if (OpenUnderLowerCase(path)) return DB_SECOND_OPEN;

  // 2. The first open arranges for every index to be written at exit.
  if (at_first_open_) {
    std::function<void()> once = std::move(at_first_open_);
    at_first_open_ = nullptr;
    once();
  }

  const Access access =
      mode == Mode::kReadOnly ? Access::kRead : Access::kReadWrite;
  const Share share =
      mode == Mode::kExclusive ? Share::kDenyReadWrite : Share::kDenyNone;
  platform::Platform& os = os_;

  // 3. The lowest free slot; other errors move on to the next free one.
  for (int h = 1; h < kSlots; ++h) {
    Slot& slot = slots_[h];
    if (slot.in_use) continue;
    std::unique_ptr<platform::File> file;
    Status s = os.OpenFile(path, access, share, &file);
    bool created = false;
    if (s.kind == ErrorKind::kAccessDenied) return -5;
    if (s.kind == ErrorKind::kNotFound) {
      if (mode != Mode::kReadWrite) return DB_EOF;  // vanished meanwhile
      const int32_t result = CreateNew(path, share, &file);
      if (result != 0) return result;
      created = true;
    } else if (!s.ok()) {
      continue;
    }

    slot.file = std::move(file);
    slot.read_only = mode == Mode::kReadOnly;
    slot.changed = false;
    slot.marked = false;
    slot.rebuilt_only = false;
    slot.state = SlotState();
    slot.index.Clear();
    if (created) {
      slot.end_of_data = kFileHeaderSize;
    } else if (!LoadIndex(slot)) {
      // 4. Not a record file: refused, and not a byte changed.
      slot.file.reset();
      slot.index.Clear();
      slot.read_only = false;
      slot.changed = false;
      return DB_NOEND;
    }
    slot.in_use = true;
    slot.name = path;
    slot.open_serial = ++opens_;
    return h;
  }
  return DB_STACKERR;
}

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

// ---------------------------------------------------------------------------
// Closing

bool Engine::ChangedByOthers(Slot& slot) {
  uint64_t size = 0;
  uint8_t tail[4];
  return !slot.file->Size(&size).ok() || size != slot.size_at_open ||
         size < 4 || !ReadFully(*slot.file, size - 4, tail, 4) ||
         std::memcmp(tail, slot.tail_at_open, 4) != 0;
}

void Engine::WriteIndexAndClose(Slot& slot) {
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

int32_t Engine::Close(int h) {
  Slot* slot = OpenSlot(h);
  if (!slot) return DB_EOF;
  WriteIndexAndClose(*slot);
  return DB_SUCCESS;
}

void Engine::CloseAll() {
  for (int h = 1; h < kSlots; ++h)
    if (slots_[h].in_use) WriteIndexAndClose(slots_[h]);
}

void Engine::AbandonAll() {
  for (Slot& slot : slots_) {
    slot.file.reset();
    slot.index.Clear();
    slot.in_use = slot.changed = slot.read_only = false;
    slot.marked = slot.rebuilt_only = false;
    slot.state = SlotState();
    slot.end_of_data = 0;
    slot.name.clear();
  }
  found_last_ = FoundLast();
}

int32_t Engine::GetFileName(char* dest, int h) const {
  const Slot* slot = OpenSlot(h);
  if (!slot) {
    if (dest) dest[0] = '\0';
    return 0;
  }
  if (dest) std::memcpy(dest, slot->name.c_str(), slot->name.size() + 1);
  return 1;
}

int32_t Engine::GetFileHandle(const char* path) const {
  if (!path) return DB_EOF;
  for (int h = kSlots - 1; h >= 1; --h)
    if (slots_[h].in_use && slots_[h].name == path) return h;
  return DB_EOF;
}

uint32_t Engine::NumRecords(int h) const {
  const Slot* slot = OpenSlot(h);
  return slot ? slot->index.size() : 0xFFFFFFFFu;
}

// ---------------------------------------------------------------------------
// Searching and reading

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

// ---------------------------------------------------------------------------
// Writing

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
