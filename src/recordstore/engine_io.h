// Helpers the engine's files share: whole reads and writes, and the mark a
// file carries at its end while a change is under way.
#ifndef ZBDB_RECORDSTORE_ENGINE_IO_H_
#define ZBDB_RECORDSTORE_ENGINE_IO_H_

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace zb::recordstore {

// True when all n bytes were read.
inline bool ReadFully(platform::File& file, uint64_t offset, void* buf,
                      size_t n) {
  size_t got = 0;
  return file.ReadAt(offset, buf, n, &got).ok() && got == n;
}

// True when all n bytes were written.
inline bool WriteFully(platform::File& file, uint64_t offset, const void* data,
                       size_t n) {
  size_t written = 0;
  return file.WriteAt(offset, data, n, &written).ok() && written == n;
}

// Read at open like the end-of-data mark, so the index is rebuilt by the
// walk.
constexpr uint8_t kReindexMark[4] = {0xFE, 0x7F, 0xFE, 0x7F};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_ENGINE_IO_H_
