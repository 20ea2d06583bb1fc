#include "recordstore/write_batch.h"

namespace zb::recordstore {

WriteBatch::WriteBatch(Engine& engine, int h) : engine_(engine), h_(h) {
  if (engine_.BeginBatch(h) != DB_SUCCESS) return;
  open_serial_ = engine_.OpenSlot(h)->open_serial;
  active_ = true;
}

int32_t WriteBatch::End() {
  if (!active_) return DB_SUCCESS;
  active_ = false;
  // The slot may hold another file by now.
  const Slot* slot = static_cast<const Engine&>(engine_).OpenSlot(h_);
  if (!slot || slot->open_serial != open_serial_) return DB_SUCCESS;
  return engine_.EndBatch(h_);
}

}  // namespace zb::recordstore
