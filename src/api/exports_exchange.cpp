// The in-memory zlib pair of the exchange exports.
#include "api/library.h"
#include "exchange/memory_zip.h"
#include "zbdb900.h"

uint8_t ZBAPI ZB_Zip(uint8_t* dest, uint32_t capacity, const uint8_t* source,
                     uint32_t length) {
  return zb::exchange::ZipBuffer(dest, capacity, source, length) ? 1 : 0;
}

uint8_t ZBAPI ZB_Unzip(uint8_t* buffer, int32_t length, int32_t unused,
                       uint32_t capacity) {
  (void)unused;
  if (length < 0) return 0;
  return zb::exchange::UnzipBuffer(buffer, static_cast<uint32_t>(length),
                                   capacity)
             ? 1
             : 0;
}
