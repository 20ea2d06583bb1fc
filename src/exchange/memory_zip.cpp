#include "exchange/memory_zip.h"

#include <zlib.h>

#include <cstring>
#include <new>
#include <vector>

namespace zb::exchange {

bool ZipBuffer(uint8_t* dest, uint32_t capacity, const uint8_t* source,
               uint32_t length) {
  if (dest == nullptr || (source == nullptr && length != 0)) return false;
  uLongf written = capacity;
  return compress(dest, &written, source, length) == Z_OK;
}

bool UnzipBuffer(uint8_t* buffer, uint32_t length, uint32_t capacity) {
  if (buffer == nullptr) return false;
  // Expanded beside the stream first: a failure must leave it untouched.
  std::vector<uint8_t> expanded;
  try {
    expanded.resize(capacity);
  } catch (const std::bad_alloc&) {
    return false;
  }
  uLongf size = capacity;
  uLong read = length;
  if (uncompress2(expanded.data(), &size, buffer, &read) != Z_OK) return false;
  std::memcpy(buffer, expanded.data(), size);
  return true;
}

}  // namespace zb::exchange
