#include "recordstore/data_channel.h"

#include <cstdio>
#include <vector>

#include "platform/platform.h"

namespace zb::recordstore {
namespace {

enum class LastOp { kNone, kRead, kWrite };

struct Stream {
  std::FILE* file = nullptr;
  LastOp last = LastOp::kNone;
};

std::vector<Stream>& Streams() {
  static std::vector<Stream>* streams = new std::vector<Stream>(1);
  return *streams;  // entry 0 stays empty: 0 means "no stream"
}

Stream* Find(uint32_t stream) {
  std::vector<Stream>& all = Streams();
  if (stream == 0 || stream >= all.size() || !all[stream].file) return nullptr;
  return &all[stream];
}

// C streams need a seek between reading and writing; Basic callers do not
// know that, so the channel inserts it.
void SwitchTo(Stream& s, LastOp op) {
  if (s.last != LastOp::kNone && s.last != op)
    std::fseek(s.file, std::ftell(s.file), SEEK_SET);
  s.last = op;
}

// A failed read or write has told its caller through its count; left set,
// the stream's error indicator would also fail every later close.
void ForgetError(Stream& s) { std::clearerr(s.file); }

// No caller's buffer holds 2 GiB; a larger product is a bad argument, and
// some C runtimes mark the stream as failed when handed one.
bool Plausible(int32_t item_size, int32_t count) {
  return item_size > 0 && count > 0 &&
         static_cast<int64_t>(item_size) * count <= 0x7FFFFFFF;
}

}  // namespace

uint32_t OpenDataStream(const char* path) {
  if (!path || !*path) return 0;
  platform::Platform& os = platform::Default();
  std::FILE* file = os.OpenStream(path, "r+b");
  if (!file) file = os.OpenStream(path, "w+b");
  if (!file) return 0;
  std::vector<Stream>& all = Streams();
  for (uint32_t i = 1; i < all.size(); ++i) {
    if (!all[i].file) {
      all[i] = {file, LastOp::kNone};
      return i;
    }
  }
  all.push_back({file, LastOp::kNone});
  return static_cast<uint32_t>(all.size() - 1);
}

int32_t GetDataItems(void* buf, int32_t item_size, int32_t count,
                     uint32_t stream) {
  Stream* s = Find(stream);
  if (!s || !buf || !Plausible(item_size, count)) return 0;
  SwitchTo(*s, LastOp::kRead);
  const size_t items = std::fread(buf, static_cast<size_t>(item_size),
                                  static_cast<size_t>(count), s->file);
  ForgetError(*s);
  return static_cast<int32_t>(items);
}

int32_t PutDataItems(const void* buf, int32_t item_size, int32_t count,
                     uint32_t stream) {
  Stream* s = Find(stream);
  if (!s || !buf || !Plausible(item_size, count)) return 0;
  SwitchTo(*s, LastOp::kWrite);
  const size_t items = std::fwrite(buf, static_cast<size_t>(item_size),
                                   static_cast<size_t>(count), s->file);
  ForgetError(*s);
  return static_cast<int32_t>(items);
}

int32_t SetDataPosition(int32_t position, uint32_t stream) {
  Stream* s = Find(stream);
  if (!s || position < 0) return 0;
  const long offset = position == 0 ? 0 : static_cast<long>(position) - 1;
  s->last = LastOp::kNone;
  return std::fseek(s->file, offset, SEEK_SET) == 0 ? 1 : 0;
}

int32_t GetDataPosition(uint32_t stream) {
  Stream* s = Find(stream);
  if (!s) return 0;
  return static_cast<int32_t>(std::ftell(s->file) + 1);
}

int32_t CloseDataStream(uint32_t stream) {
  Stream* s = Find(stream);
  if (!s) return 0;
  const int result = std::fclose(s->file);
  *s = Stream();
  return result == 0 ? 1 : 0;
}

void ResetDataStreamsForTests() {
  std::vector<Stream>& all = Streams();
  for (size_t i = 1; i < all.size(); ++i)
    if (all[i].file) std::fclose(all[i].file);
  all.assign(1, Stream());
}

}  // namespace zb::recordstore
