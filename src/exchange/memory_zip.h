// Compression of a caller's memory buffer as one zlib stream (RFC 1950:
// header, deflate data, Adler-32), at zlib's default level.
#ifndef ZBDB_EXCHANGE_MEMORY_ZIP_H_
#define ZBDB_EXCHANGE_MEMORY_ZIP_H_

#include <cstdint>

namespace zb::exchange {

// `source` into `dest` (capacity bytes); true when zlib reports success.
// The compressed length is not handed back: the stream carries its end.
bool ZipBuffer(uint8_t* dest, uint32_t capacity, const uint8_t* source,
               uint32_t length);

// Expands the stream at the start of `buffer` (at most `length` bytes are
// read; more than the stream is fine) in place, up to `capacity` bytes.
// False leaves the buffer as it was.
bool UnzipBuffer(uint8_t* buffer, uint32_t length, uint32_t capacity);

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_MEMORY_ZIP_H_
