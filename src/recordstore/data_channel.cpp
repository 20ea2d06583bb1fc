#include "recordstore/data_channel.h"

namespace zb::recordstore {
namespace {

// No caller's buffer holds 2 GiB; a larger product is a bad argument, and
// some C runtimes mark the stream as failed when handed one.
bool Plausible(int32_t item_size, int32_t count) {
  return item_size > 0 && count > 0 &&
         static_cast<int64_t>(item_size) * count <= 0x7FFFFFFF;
}

}  // namespace

DataChannel::~DataChannel() {
  for (size_t i = 1; i < streams_.size(); ++i)
    if (streams_[i].file) std::fclose(streams_[i].file);
}

DataChannel::Stream* DataChannel::Find(uint32_t stream) {
  if (stream == 0 || stream >= streams_.size() || !streams_[stream].file)
    return nullptr;
  return &streams_[stream];
}

uint32_t DataChannel::Open(const char* path) {
  if (!path || !*path) return 0;
  std::FILE* file = os_.OpenStream(path, "r+b");
  if (!file) file = os_.OpenStream(path, "w+b");
  if (!file) return 0;
  for (uint32_t i = 1; i < streams_.size(); ++i) {
    if (!streams_[i].file) {
      streams_[i] = {file, LastOp::kNone};
      return i;
    }
  }
  streams_.push_back({file, LastOp::kNone});
  return static_cast<uint32_t>(streams_.size() - 1);
}

// C streams need a seek between reading and writing; Basic callers do not
// know that, so the channel inserts it. A failed read or write has told its
// caller through its count; left set, the stream's error indicator would
// also fail every later close, so it is cleared.
int32_t DataChannel::Get(void* buf, int32_t item_size, int32_t count,
                         uint32_t stream) {
  Stream* s = Find(stream);
  if (!s || !buf || !Plausible(item_size, count)) return 0;
  if (s->last == LastOp::kWrite)
    std::fseek(s->file, std::ftell(s->file), SEEK_SET);
  s->last = LastOp::kRead;
  const size_t items = std::fread(buf, static_cast<size_t>(item_size),
                                  static_cast<size_t>(count), s->file);
  std::clearerr(s->file);
  return static_cast<int32_t>(items);
}

int32_t DataChannel::Put(const void* buf, int32_t item_size, int32_t count,
                         uint32_t stream) {
  Stream* s = Find(stream);
  if (!s || !buf || !Plausible(item_size, count)) return 0;
  if (s->last == LastOp::kRead)
    std::fseek(s->file, std::ftell(s->file), SEEK_SET);
  s->last = LastOp::kWrite;
  const size_t items = std::fwrite(buf, static_cast<size_t>(item_size),
                                   static_cast<size_t>(count), s->file);
  std::clearerr(s->file);
  return static_cast<int32_t>(items);
}

int32_t DataChannel::SetPosition(int32_t position, uint32_t stream) {
  Stream* s = Find(stream);
  if (!s || position < 0) return 0;
  const long offset = position == 0 ? 0 : static_cast<long>(position) - 1;
  s->last = LastOp::kNone;
  return std::fseek(s->file, offset, SEEK_SET) == 0 ? 1 : 0;
}

int32_t DataChannel::GetPosition(uint32_t stream) {
  Stream* s = Find(stream);
  if (!s) return 0;
  return static_cast<int32_t>(std::ftell(s->file) + 1);
}

int32_t DataChannel::Close(uint32_t stream) {
  Stream* s = Find(stream);
  if (!s) return 0;
  const int result = std::fclose(s->file);
  *s = Stream();
  return result == 0 ? 1 : 0;
}

}  // namespace zb::recordstore
