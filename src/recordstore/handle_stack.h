// DBPush / DBPop: a process-wide stack of saved search states, so a caller
// can run a nested search on a handle and then continue where it was.
// Only the search state is saved (keys, size, rest, cursor, read position);
// the index must not change between a push and its pop.
#ifndef ZBDB_RECORDSTORE_HANDLE_STACK_H_
#define ZBDB_RECORDSTORE_HANDLE_STACK_H_

#include <vector>

#include "recordstore/engine.h"

namespace zb::recordstore {

class HandleStack {
 public:
  explicit HandleStack(Engine& engine) : engine_(engine) {}
  HandleStack(const HandleStack&) = delete;
  HandleStack& operator=(const HandleStack&) = delete;

  // 1, or -1 when h is not open.
  int32_t Push(int h);
  // 1 when a state was restored into h, 0 when the stack is empty, -1 when
  // h is not open (the stack is then left as it is).
  int32_t Pop(int h);
  void Free();  // at exit; also resets for tests
  size_t depth() const { return states_.size(); }

 private:
  Engine& engine_;
  std::vector<SlotState> states_;
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_HANDLE_STACK_H_
