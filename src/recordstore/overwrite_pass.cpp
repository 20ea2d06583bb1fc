#include "recordstore/overwrite_pass.h"

#include "recordstore/engine.h"

namespace zb::recordstore {

int32_t OverwritePass::Release(int h, int16_t k1, int16_t k2) {
  Engine& engine = engine_;
  Slot* slot = engine.OpenSlot(h);
  if (slot && !slot->read_only) {
    slot->changed = true;
    slot->state.key1 = k1;
    slot->state.key2 = k2;
    slot->state.cursor = 0;
  }
  released_bytes_ = 0;
  released_count_ = 0;
  int32_t result = engine.Delete(h, k1, k2, 0);
  while (result >= 1) {
    const uint32_t record = engine.OpenSlot(h)->state.cursor - 1;
    released_bytes_ += static_cast<uint32_t>(result);
    by_size_[static_cast<int16_t>(result)].push_back(
        static_cast<uint32_t>(released_.size()));
    released_.push_back({record, static_cast<int16_t>(result)});
    ++released_count_;
    result = engine.DeleteNext(h);
  }
  return result;
}

int32_t OverwritePass::Start(int h, int16_t k1, int16_t k2) {
  return Release(h, k1, k2);
}

int32_t OverwritePass::StartExpecting(int h, int16_t k1, int16_t k2,
                                      uint32_t expected) {
  released_.reserve(released_.size() + expected);
  Release(h, k1, k2);
  return static_cast<int32_t>(released_count_);
}

int32_t OverwritePass::Write(int h, int16_t k1, int16_t k2, int16_t size,
                             const void* data) {
  Engine& engine = engine_;
  auto it = by_size_.find(size);
  if (size >= 1 && it != by_size_.end()) {
    size_t& next = next_of_size_[size];
    if (next < it->second.size()) {
      Released& place = released_[it->second[next]];
      if (engine.RewriteRecord(h, place.record, k1, k2, size, data)) {
        ++next;
        place.size = 0;
        released_bytes_ -= static_cast<uint32_t>(size);
        return 1;
      }
    }
  }
  engine.Append(h, k1, k2, size, data);
  return 0;
}

uint32_t OverwritePass::End() {
  released_.clear();
  by_size_.clear();
  next_of_size_.clear();
  return released_bytes_;
}

}  // namespace zb::recordstore
