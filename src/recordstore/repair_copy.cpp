#include "recordstore/repair_copy.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "recordstore/record_format.h"

namespace zb::recordstore {
namespace {

constexpr int16_t kLargestKey = 30051;       // keys are below this
constexpr int16_t kLargestRepairSize = 4096;  // passes B and C stop above
constexpr size_t kWindow = 4 * 1024 * 1024;
constexpr size_t kWriteChunk = 1024 * 1024;
const char kDashLine[] = "--------------------------------------------------";

// Reads of the damaged file through a window, so that the byte-by-byte
// resynchronisation costs no system call per byte.
class WindowReader {
 public:
  WindowReader(platform::File& file, uint64_t size) : file_(file), size_(size) {}
  uint64_t size() const { return size_; }
  // The bytes at [offset, offset + n) that exist; their count.
  size_t Read(uint64_t offset, void* out, size_t n) {
    if (offset >= size_) return 0;
    if (offset + n > size_) n = static_cast<size_t>(size_ - offset);
    if (n > kWindow) return Direct(offset, out, n);
    if (offset < start_ || offset + n > start_ + window_.size()) Fill(offset);
    const size_t from = static_cast<size_t>(offset - start_);
    const size_t got = std::min(n, window_.size() - std::min(from, window_.size()));
    std::memcpy(out, window_.data() + from, got);
    return got;
  }

 private:
  void Fill(uint64_t offset) {
    start_ = offset;
    window_.resize(kWindow);
    size_t got = 0;
    if (!file_.ReadAt(offset, window_.data(), kWindow, &got).ok()) got = 0;
    window_.resize(got);
  }
  size_t Direct(uint64_t offset, void* out, size_t n) {
    size_t got = 0;
    if (!file_.ReadAt(offset, out, n, &got).ok()) return 0;
    return got;
  }

  platform::File& file_;
  uint64_t size_;
  uint64_t start_ = 0;
  std::vector<uint8_t> window_;
};

// Appends to the new file in large writes; the first failure sticks.
class ChunkWriter {
 public:
  explicit ChunkWriter(platform::File& file) : file_(file) {}
  void WriteAt(uint64_t offset, const void* data, size_t n) {
    Flush();
    Put(offset, data, n);
    at_ = offset + n;
  }
  void Append(const void* data, size_t n) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    pending_.insert(pending_.end(), bytes, bytes + n);
    if (pending_.size() >= kWriteChunk) Flush();
  }
  bool Finish() {
    Flush();
    return ok_;
  }

 private:
  void Flush() {
    if (pending_.empty()) return;
    Put(at_, pending_.data(), pending_.size());
    at_ += pending_.size();
    pending_.clear();
  }
  void Put(uint64_t offset, const void* data, size_t n) {
    size_t written = 0;
    if (ok_ && (!file_.WriteAt(offset, data, n, &written).ok() || written != n))
      ok_ = false;
  }

  platform::File& file_;
  uint64_t at_ = 0;
  std::vector<uint8_t> pending_;
  bool ok_ = true;
};

struct Header {
  int16_t key1 = 0, key2 = 0, size = 0;
  bool IsMark() const {
    return (key1 == kEndOfDataKey && key2 == kEndOfDataKey) ||
           (key1 == kClosedKey && key2 == kClosedKey);
  }
};

bool ReadHeader(WindowReader& in, uint64_t at, Header* h) {
  uint8_t b[kRecordHeaderSize];
  if (in.Read(at, b, sizeof b) != sizeof b) return false;
  h->key1 = LoadI16(b);
  h->key2 = LoadI16(b + 2);
  h->size = LoadI16(b + 4);
  return true;
}

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// The 500-byte file header with its index header zeroed, at offset 0.
void CopyFileHeader(WindowReader& in, ChunkWriter& out) {
  uint8_t header[kFileHeaderSize] = {};
  in.Read(0, header, sizeof header);
  std::memset(header + kIndexHeaderOffset, 0,
              kFileHeaderSize - kIndexHeaderOffset);
  out.WriteAt(0, header, sizeof header);
}

// Header and data of the record at `at` onto the new file.
bool CopyRecord(WindowReader& in, uint64_t at, const Header& h,
                ChunkWriter& out) {
  uint8_t bytes[kRecordHeaderSize + kMaxRecordSize];
  const size_t n = kRecordHeaderSize + static_cast<size_t>(h.size);
  if (in.Read(at, bytes, n) != n) return false;
  out.Append(bytes, n);
  return true;
}

// The walk from 500 to a mark; its offset, or -1 when there is none.
int64_t WalkToEnd(WindowReader& in, RepairReport& report) {
  report.Message("Erfassen der Daten - Endemarkierung suchen", false);
  report.Message(Line("DateiGr\xF6\xDF" "e = %ld Bytes",
                      static_cast<long>(in.size())),
                 false);
  uint64_t at = kFileHeaderSize;
  while (at + kRecordHeaderSize <= in.size()) {
    Header h;
    ReadHeader(in, at, &h);
    report.Message(Line(" Pos  = %8ld | Key1 = %6d | Key2 = %6d | Size = %6d",
                        static_cast<long>(at), h.key1, h.key2, h.size),
                   false);
    if (h.IsMark()) return static_cast<int64_t>(at);
    if (!IsPlausibleHeader(h.key1, h.key2, h.size)) {
      ++at;
      continue;
    }
    const uint64_t next = at + kRecordHeaderSize + static_cast<uint64_t>(h.size);
    if (next > in.size()) break;
    at = next;
  }
  return -1;
}

void PassA(WindowReader& in, uint64_t end, ChunkWriter& out,
           RepairReport& report, RepairCopyResult* result) {
  report.Message(std::string("\n") + "Die Daten sind Ok!" +
                     "Umkopieren und erzeugen einer neuen Indexliste." + "\n" +
                     kDashLine,
                 false);
  CopyFileHeader(in, out);
  std::string last;
  uint64_t at = kFileHeaderSize;
  int32_t shown = -1;
  while (at < end) {
    Header h;
    if (!ReadHeader(in, at, &h)) break;
    if (!IsPlausibleHeader(h.key1, h.key2, h.size) || h.IsMark()) {
      ++at;
      continue;
    }
    const uint64_t next = at + kRecordHeaderSize + static_cast<uint64_t>(h.size);
    if (next > in.size()) break;
    if (h.key1 >= 0 && CopyRecord(in, at, h, out))
      ++result->records;
    else
      ++result->ignored;
    last = Line("S\xE4tze erfolgreich kopiert: %ld, gel\xF6schte ignoriert: %ld",
                static_cast<long>(result->records),
                static_cast<long>(result->ignored));
    report.Message(last, false);
    const int32_t percent = static_cast<int32_t>(at * 100 / (end ? end : 1));
    if (percent != shown) report.Progress(shown = percent);
    at = next;
  }
  if (last.empty())
    last = Line("S\xE4tze erfolgreich kopiert: %ld, gel\xF6schte ignoriert: %ld",
                0L, 0L);
  report.Message(last, true);
  out.Append(kEndOfDataMark, sizeof kEndOfDataMark);
}

// The offset of the first complete end-of-data mark from 500, or -1.
// Searched a megabyte at a time; pieces overlap by three bytes so that a
// mark across their border is found.
int64_t FindEndMark(WindowReader& in) {
  constexpr size_t kPiece = 1 << 20;
  std::vector<uint8_t> piece(kPiece);
  for (uint64_t at = kFileHeaderSize; at + 4 <= in.size(); at += kPiece - 3) {
    const size_t got = in.Read(at, piece.data(), kPiece);
    if (got < 4) break;
    const uint8_t* begin = piece.data();
    const uint8_t* end = begin + got;
    const uint8_t* found =
        std::search(begin, end, kEndOfDataMark, kEndOfDataMark + 4);
    if (found != end) return static_cast<int64_t>(at + (found - begin));
    if (got < kPiece) break;
  }
  return -1;
}

struct IndexEntry {
  int16_t key1 = 0, key2 = 0;
  uint32_t offset = 0;
};

bool ReadEntry(WindowReader& in, uint64_t at, IndexEntry* e) {
  uint8_t b[kIndexEntrySize];
  if (in.Read(at, b, sizeof b) != sizeof b) return false;
  e->key1 = LoadI16(b);
  e->key2 = LoadI16(b + 2);
  e->offset = LoadU32(b + 4);
  return true;
}

bool PassB(WindowReader& in, ChunkWriter& out, RepairReport& report,
           RepairCopyResult* result) {
  CopyFileHeader(in, out);
  uint8_t word[4] = {};
  in.Read(kIndexHeaderOffset + 4, word, 4);
  uint64_t index = LoadU32(word);
  const int64_t mark = FindEndMark(in);
  if (mark >= 0 && static_cast<uint64_t>(mark) + 4 != index) index = mark + 4;
  if (index == 0) return false;
  report.Message(std::string("\n") + "Kein Ende gefunden." +
                     "Daten werden mit Indexliste verglichen." + "\n" +
                     kDashLine,
                 true);
  IndexEntry entry;
  if (!ReadEntry(in, index, &entry) || entry.offset > in.size()) return false;
  Header h;
  if (!ReadHeader(in, entry.offset, &h)) return false;
  uint32_t copied = 0;
  for (uint64_t slot = index;;) {
    if (h.size < 1 || h.size > kLargestRepairSize) break;
    const uint64_t at = entry.offset;
    const uint64_t behind = at + kRecordHeaderSize + static_cast<uint64_t>(h.size);
    slot += kIndexEntrySize;
    IndexEntry next;
    const bool have_next = ReadEntry(in, slot, &next);
    const bool confirmed =
        (have_next && next.offset == behind) ||
        (h.key1 == entry.key1 && h.key2 == entry.key2);
    if (h.key1 >= 1 && h.key2 >= 1 && confirmed && CopyRecord(in, at, h, out))
      ++copied;
    else
      ++result->ignored;
    if (!have_next || next.offset > in.size()) break;
    entry = next;
    if (!ReadHeader(in, entry.offset, &h)) break;
  }
  out.Append(kEndOfDataMark, sizeof kEndOfDataMark);
  result->records = copied;
  return copied > 0;
}

bool PassC(WindowReader& in, ChunkWriter& out, RepairReport& report,
           RepairCopyResult* result) {
  report.Message(std::string("Kein Ende gefunden.") +
                     "Keine \xDC" "bereinstimmung mit Indexliste!" +
                     "S\xE4tze mit positiver L\xE4nge werden umkopiert." +
                     "Da wesentliche Informationen zu Wiederherstellung der "
                     "Daten" +
                     "fehlen, kann kein Erfolg garantiert werden." + kDashLine,
                 true);
  CopyFileHeader(in, out);
  uint32_t copied = 0;
  uint64_t at = kFileHeaderSize;
  for (;;) {
    Header h;
    if (!ReadHeader(in, at, &h)) break;
    if (h.size == 0) {
      at += kRecordHeaderSize;
      continue;
    }
    if ((h.key1 == 0 && h.key2 == 0) || h.size < 0 ||
        h.size > kLargestRepairSize)
      break;
    const uint64_t next = at + kRecordHeaderSize + static_cast<uint64_t>(h.size);
    if (next > in.size()) break;
    if (h.key1 > 0 && h.key2 > 0 && CopyRecord(in, at, h, out))
      ++copied;
    else
      ++result->ignored;
    at = next;
  }
  out.Append(kEndOfDataMark, sizeof kEndOfDataMark);
  result->records = copied;
  return copied > 0;
}

}  // namespace

bool IsPlausibleHeader(int16_t key1, int16_t key2, int16_t size) {
  if ((key1 == kEndOfDataKey && key2 == kEndOfDataKey) ||
      (key1 == kClosedKey && key2 == kClosedKey))
    return true;
  return key2 >= 0 && !(key1 == 0 && key2 == 0) && std::abs(key1) < kLargestKey &&
         std::abs(key2) < kLargestKey && size >= 1 && size <= kMaxRecordSize;
}

RepairCopyResult CopyRecognisedRecords(platform::File& source, uint64_t size,
                                       platform::Platform& os,
                                       const std::string& target_path,
                                       RepairReport& report) {
  WindowReader in(source, size);
  RepairCopyResult result;
  // Each pass starts the new file afresh, so no pass sees another's bytes.
  auto run = [&](char pass, auto&& body) {
    std::unique_ptr<platform::File> target;
    if (!os.NewFile(target_path, platform::Share::kDenyReadWrite, &target).ok())
      return false;
    ChunkWriter out(*target);
    result = RepairCopyResult();
    if (!body(out) || !out.Finish()) return false;
    result.copied = true;
    result.pass = pass;
    return true;
  };
  const int64_t end = WalkToEnd(in, report);
  if (end >= 0) {
    run('A', [&](ChunkWriter& out) {
      PassA(in, static_cast<uint64_t>(end), out, report, &result);
      return true;
    });
    return result;
  }
  if (run('B', [&](ChunkWriter& out) {
        return PassB(in, out, report, &result);
      }))
    return result;
  run('C', [&](ChunkWriter& out) { return PassC(in, out, report, &result); });
  return result;
}

}  // namespace zb::recordstore
