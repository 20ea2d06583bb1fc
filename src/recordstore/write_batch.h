// A write batch for the length of a scope: an operation that writes many
// records into one file (a save, an import, a copy) declares one, and its
// writes to that file reach it in one write per 64 KB or more, in the
// order they were made (Engine::BeginBatch, batched_file.h).
//
//   recordstore::WriteBatch batch(engine, h);
//
// Ending the scope ends the batch, unless the file was closed before: its
// close sent everything on. A read-only or unopened handle gets no batch.
#ifndef ZBDB_RECORDSTORE_WRITE_BATCH_H_
#define ZBDB_RECORDSTORE_WRITE_BATCH_H_

#include <cstdint>

#include "recordstore/engine.h"

namespace zb::recordstore {

class WriteBatch {
 public:
  WriteBatch(Engine& engine, int h);
  ~WriteBatch() { End(); }
  WriteBatch(const WriteBatch&) = delete;
  WriteBatch& operator=(const WriteBatch&) = delete;

  // Ends the batch now: Engine::EndBatch's result, or DB_SUCCESS when it
  // has ended already or the file was closed meanwhile.
  int32_t End();

 private:
  Engine& engine_;
  int h_;
  uint64_t open_serial_ = 0;  // of the open the batch belongs to
  bool active_ = false;
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_WRITE_BATCH_H_
