#include "index_check.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "recordstore/record_format.h"

namespace zb::tool {
namespace {

namespace rs = zb::recordstore;

bool ReadAt(platform::File& file, uint64_t offset, void* buffer, size_t n) {
  size_t got = 0;
  return file.ReadAt(offset, buffer, n, &got).ok() && got == n;
}

std::string Keys(int16_t key1, int16_t key2) {
  return std::to_string(key1) + "/" + std::to_string(key2);
}

}  // namespace

std::string IndexDisagreement(platform::Platform& os, const std::string& path,
                              const rs::FileReport& report) {
  if (report.state != rs::FileState::kClosed) return std::string();
  std::unique_ptr<platform::File> file;
  if (!os.OpenFile(path, platform::Access::kRead, platform::Share::kDenyNone,
                   &file)
           .ok())
    return "it cannot be read again";

  // The walk: offset -> keys of every record before the end of data.
  std::map<uint32_t, std::pair<int16_t, int16_t>> walked;
  uint64_t offset = rs::kFileHeaderSize;
  while (offset < report.end_of_data) {
    uint8_t header[rs::kRecordHeaderSize];
    const int16_t size = ReadAt(*file, offset, header, sizeof header)
                             ? rs::LoadI16(header + 4)
                             : -1;
    if (size < 0 || offset + rs::kRecordHeaderSize + size > report.end_of_data)
      return "the record at " + std::to_string(offset) +
             " runs past the end of data " +
             std::to_string(report.end_of_data);
    walked[static_cast<uint32_t>(offset)] = {rs::LoadI16(header),
                                             rs::LoadI16(header + 2)};
    offset += rs::kRecordHeaderSize + static_cast<uint64_t>(size);
  }

  std::vector<uint8_t> index(size_t{rs::kIndexEntrySize} * report.records);
  if (!index.empty() &&
      !ReadAt(*file, uint64_t{report.end_of_data} + 4, index.data(),
              index.size()))
    return "its index cannot be read";
  std::string first;
  uint32_t wrong = 0;
  for (uint32_t i = 0; i < report.records; ++i) {
    const uint8_t* entry = index.data() + size_t{rs::kIndexEntrySize} * i;
    const int16_t key1 = rs::LoadI16(entry);
    const int16_t key2 = rs::LoadI16(entry + 2);
    const uint32_t at = rs::LoadU32(entry + 4);
    const auto record = walked.find(at);
    std::string what;
    if (record == walked.end())
      what = "index entry " + std::to_string(i + 1) + " points to " +
             std::to_string(at) + ", where no record starts";
    else if (record->second != std::make_pair(key1, key2))
      what = "the record at " + std::to_string(at) + " has the keys " +
             Keys(record->second.first, record->second.second) +
             ", its index entry " + Keys(key1, key2);
    if (what.empty()) continue;
    if (wrong++ == 0) first = what;
  }
  if (wrong > 0)
    return first + (wrong > 1 ? " (" + std::to_string(wrong) +
                                    " index entries disagree)"
                              : std::string());
  if (walked.size() != report.records)
    return std::to_string(walked.size()) + " records before the end of data, " +
           std::to_string(report.records) + " in the index";
  return std::string();
}

}  // namespace zb::tool
