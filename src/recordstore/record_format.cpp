#include "recordstore/record_format.h"

namespace zb::recordstore {

const uint8_t kEndOfDataMark[4] = {0xFF, 0x7F, 0xFF, 0x7F};
const uint8_t kClosedMark[4] = {0xFD, 0x7F, 0xFD, 0x7F};

void BuildIndexHeader(uint32_t n, uint32_t end_of_data, uint8_t out[12]) {
  StoreU32(out, n);
  StoreU32(out + 4, end_of_data + 4);
  // The third word counts four bytes per entry although entries take
  // eight; nothing reads it, and existing files carry exactly this value.
  StoreU32(out + 8, end_of_data + 4 + 4 * n);
}

void BuildNewFile(uint8_t out[kNewFileSize]) {
  std::memset(out, 0, kNewFileSize);
  BuildIndexHeader(0, kFileHeaderSize, out + kIndexHeaderOffset);
  std::memcpy(out + kFileHeaderSize, kEndOfDataMark, 4);
  std::memcpy(out + kFileHeaderSize + 4, kClosedMark, 4);
}

}  // namespace zb::recordstore
