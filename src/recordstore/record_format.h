// The bytes of a record file on disk.
//
//   0    user header (450 bytes, the caller's), 38 unused bytes,
//   488  index header: N, index offset (= end of data + 4), index offset + 4N
//   500  records: Key1, Key2, Size (i16 each), then Size data bytes
//   end of data: FF 7F FF 7F
//   index: N entries of Key1, Key2 (i16) and the record's offset (u32)
//   closed mark: FD 7F FD 7F
//
// Everything is little-endian and packed. Records are only appended;
// deleting negates Key1 in the record header and in the index entry.
#ifndef ZBDB_RECORDSTORE_RECORD_FORMAT_H_
#define ZBDB_RECORDSTORE_RECORD_FORMAT_H_

#include <cstdint>
#include <cstring>

namespace zb::recordstore {

constexpr uint32_t kUserHeaderSize = 450;
constexpr uint32_t kIndexHeaderOffset = 488;
constexpr uint32_t kFileHeaderSize = 500;
constexpr uint32_t kRecordHeaderSize = 6;
constexpr uint32_t kIndexEntrySize = 8;
constexpr uint32_t kNewFileSize = 508;
constexpr int16_t kEndOfDataKey = 32767;
constexpr int16_t kAltEndOfDataKey = 32766;  // also accepted as unclosed
constexpr int16_t kClosedKey = 32765;
constexpr int16_t kWildcard = 32762;
constexpr int32_t kMaxRecordSize = 32759;
constexpr uint32_t kIndexBlockEntries = 4096;

// FF 7F FF 7F and FD 7F FD 7F.
extern const uint8_t kEndOfDataMark[4];
extern const uint8_t kClosedMark[4];

inline int16_t LoadI16(const uint8_t* p) {
  return static_cast<int16_t>(p[0] | (p[1] << 8));
}
inline uint16_t LoadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void StoreI16(uint8_t* p, int16_t v) {
  const uint16_t u = static_cast<uint16_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// The 508 bytes of a new, empty record file.
void BuildNewFile(uint8_t out[kNewFileSize]);

// The three words of the index header for n records ending at end_of_data.
void BuildIndexHeader(uint32_t n, uint32_t end_of_data, uint8_t out[12]);

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_RECORD_FORMAT_H_
