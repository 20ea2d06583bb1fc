// The data channel: buffered binary files for the calculation programs'
// own data, with positions counted from 1 as Basic counts them. Streams are
// handed out as small numbers from a table (never pointers), so they fit
// the 32-bit value callers keep on 64-bit builds too.
#ifndef ZBDB_RECORDSTORE_DATA_CHANNEL_H_
#define ZBDB_RECORDSTORE_DATA_CHANNEL_H_

#include <cstdint>

namespace zb::recordstore {

// Opens "r+b", or creates the file empty "w+b"; 0 when both fail.
uint32_t OpenDataStream(const char* path);
int32_t GetDataItems(void* buf, int32_t item_size, int32_t count,
                     uint32_t stream);
int32_t PutDataItems(const void* buf, int32_t item_size, int32_t count,
                     uint32_t stream);
// 1 when positioned at byte position - 1 (0 also means the start).
int32_t SetDataPosition(int32_t position, uint32_t stream);
// The current byte offset + 1 (0 for an unknown stream).
int32_t GetDataPosition(uint32_t stream);
// 1 when closed without error.
int32_t CloseDataStream(uint32_t stream);
void ResetDataStreamsForTests();

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_DATA_CHANNEL_H_
