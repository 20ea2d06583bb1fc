#include "recordstore/handle_stack.h"

namespace zb::recordstore {

int32_t HandleStack::Push(int h) {
  Slot* slot = engine_.OpenSlot(h);
  if (!slot) return DB_EOF;
  if (states_.capacity() == 0) states_.reserve(10);
  states_.push_back(slot->state);
  return DB_SUCCESS;
}

int32_t HandleStack::Pop(int h) {
  Slot* slot = engine_.OpenSlot(h);
  if (!slot) return DB_EOF;
  if (states_.empty()) return 0;
  slot->state = states_.back();
  states_.pop_back();
  return DB_SUCCESS;
}

void HandleStack::Free() {
  states_.clear();
  states_.shrink_to_fit();
}

}  // namespace zb::recordstore
