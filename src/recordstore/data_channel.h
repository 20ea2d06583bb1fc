// The data channel: buffered binary files for the calculation programs'
// own data, with positions counted from 1 as Basic counts them. Streams are
// handed out as small numbers from a table (never pointers), so they fit
// the 32-bit value callers keep on 64-bit builds too.
#ifndef ZBDB_RECORDSTORE_DATA_CHANNEL_H_
#define ZBDB_RECORDSTORE_DATA_CHANNEL_H_

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/platform.h"

namespace zb::recordstore {

class DataChannel {
 public:
  explicit DataChannel(platform::Platform& os) : os_(os) {}
  ~DataChannel();  // closes the streams still open
  DataChannel(const DataChannel&) = delete;
  DataChannel& operator=(const DataChannel&) = delete;

  // Opens "r+b", or creates the file empty "w+b"; 0 when both fail.
  uint32_t Open(const char* path);
  int32_t Get(void* buf, int32_t item_size, int32_t count, uint32_t stream);
  int32_t Put(const void* buf, int32_t item_size, int32_t count,
              uint32_t stream);
  // 1 when positioned at byte position - 1 (0 also means the start).
  int32_t SetPosition(int32_t position, uint32_t stream);
  // The current byte offset + 1 (0 for an unknown stream).
  int32_t GetPosition(uint32_t stream);
  // 1 when closed without error.
  int32_t Close(uint32_t stream);

 private:
  enum class LastOp { kNone, kRead, kWrite };
  struct Stream {
    std::FILE* file = nullptr;
    LastOp last = LastOp::kNone;
  };
  Stream* Find(uint32_t stream);

  platform::Platform& os_;
  std::vector<Stream> streams_ = std::vector<Stream>(1);  // 0: no stream
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_DATA_CHANNEL_H_
