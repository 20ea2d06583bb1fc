#include "recordstore/inspect.h"

#include <vector>

#include "platform/platform.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {
namespace {

bool ReadAt(platform::File& file, uint64_t offset, void* buf, size_t n) {
  size_t got = 0;
  return file.ReadAt(offset, buf, n, &got).ok() && got == n;
}

void Walk(platform::File& file, FileReport& report) {
  uint64_t offset = kFileHeaderSize;
  for (;;) {
    uint8_t header[kRecordHeaderSize];
    // The end-of-data mark is only four bytes long and may end the file.
    if (!ReadAt(file, offset, header, 4)) {
      report.state = FileState::kNotRecordFile;
      report.problem = "a record header runs past the end of the file";
      return;
    }
    const int16_t key1 = LoadI16(header);
    if (key1 == kEndOfDataKey) break;
    if (!ReadAt(file, offset + 4, header + 4, 2)) {
      report.state = FileState::kNotRecordFile;
      report.problem = "a record header runs past the end of the file";
      return;
    }
    const int16_t size = LoadI16(header + 4);
    if (size < 0) {
      report.state = FileState::kNotRecordFile;
      report.problem = "a record has a negative size";
      return;
    }
    ++report.records;
    if (key1 < 0) ++report.deleted;
    offset += kRecordHeaderSize + static_cast<uint64_t>(size);
  }
  report.end_of_data = static_cast<uint32_t>(offset);
}

}  // namespace

const char* FileStateName(FileState state) {
  switch (state) {
    case FileState::kMissing: return "missing or unreadable";
    case FileState::kClosed: return "closed cleanly";
    case FileState::kNeedsReindex: return "needs re-indexing";
    case FileState::kNotRecordFile: return "not a record file";
  }
  return "";
}

FileReport InspectRecordFile(platform::Platform& os, const std::string& path) {
  FileReport report;
  std::unique_ptr<platform::File> file;
  if (!os.OpenFile(path, platform::Access::kRead, platform::Share::kDenyNone,
                   &file)
           .ok() ||
      !file->Size(&report.file_size).ok()) {
    report.problem = "cannot be opened for reading";
    return report;
  }
  uint8_t tail[4];
  if (report.file_size < 4 ||
      !ReadAt(*file, report.file_size - 4, tail, sizeof tail)) {
    report.state = FileState::kNotRecordFile;
    report.problem = "shorter than four bytes";
    return report;
  }
  const int16_t mark = LoadI16(tail);
  if (mark == kEndOfDataKey || mark == kAltEndOfDataKey) {
    report.state = FileState::kNeedsReindex;
    Walk(*file, report);
    return report;
  }
  if (mark != kClosedKey) {
    report.state = FileState::kNotRecordFile;
    report.problem = "ends with neither a closed mark nor an end-of-data mark";
    return report;
  }
  uint8_t header[12];
  if (!ReadAt(*file, kIndexHeaderOffset, header, sizeof header)) {
    report.state = FileState::kNotRecordFile;
    report.problem = "shorter than its file header";
    return report;
  }
  const uint32_t n = LoadU32(header);
  const uint32_t index_offset = LoadU32(header + 4);
  if (index_offset < kFileHeaderSize + 4 ||
      static_cast<uint64_t>(index_offset) + uint64_t{8} * n + 4 >
          report.file_size) {
    report.state = FileState::kNotRecordFile;
    report.problem = "its index does not fit into the file";
    return report;
  }
  std::vector<uint8_t> raw(size_t{8} * n);
  if (n > 0 && !ReadAt(*file, index_offset, raw.data(), raw.size())) {
    report.state = FileState::kNotRecordFile;
    report.problem = "its index cannot be read";
    return report;
  }
  report.state = FileState::kClosed;
  report.records = n;
  report.end_of_data = index_offset - 4;
  for (uint32_t i = 0; i < n; ++i) {
    const int16_t key1 = LoadI16(raw.data() + size_t{8} * i);
    if (key1 < 0) ++report.deleted;
    const uint32_t offset = LoadU32(raw.data() + size_t{8} * i + 4);
    if (offset < kFileHeaderSize || offset >= report.end_of_data) {
      report.state = FileState::kNotRecordFile;
      report.problem = "an index entry points outside the data area";
      return report;
    }
  }
  return report;
}

}  // namespace zb::recordstore
