// What the project store works with: the library's context and record
// engine, and the state the store keeps between calls (the indexes of the
// positions in open project files, the last POSINFO a transfer read, the
// last progress step signalled). The library object owns one Store and
// hands it to every project store call.
#ifndef ZBDB_PROJECTSTORE_STORE_H_
#define ZBDB_PROJECTSTORE_STORE_H_

#include <cstdint>

#include "environment/library_context.h"
#include "environment/ui.h"
#include "projectstore/autosave.h"
#include "projectstore/position_index.h"
#include "recordstore/engine.h"
#include "recordstore/overwrite_pass.h"
#include "recordstore/typed_records.h"

namespace zb::projectstore {

class Store {
 public:
  Store(environment::LibraryContext& context, recordstore::Engine& engine,
        recordstore::OverwritePass& overwrite_pass)
      : context_(context), engine_(engine), overwrite_pass_(overwrite_pass) {}
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  environment::LibraryContext& context() const { return context_; }
  recordstore::Engine& engine() const { return engine_; }
  recordstore::OverwritePass& overwrite_pass() const { return overwrite_pass_; }
  platform::Platform& os() const { return context_.os(); }
  environment::Ui& ui() const { return context_.ui(); }
  environment::Log& log() const { return context_.log; }
  environment::ProgramCatalogue& catalogue() const {
    return context_.catalogue;
  }

  PositionIndexes position_indexes;
  // The POSINFO of the position a transfer read last (for the one that
  // follows it, as the working file's header).
  recordstore::PosInfoExt kept_posinfo{};
  // The percentage signalled last to the caller's progress callback.
  int32_t last_progress = -1;
  // The autosave files found last and the program that saved one.
  AutosaveState autosave;

 private:
  environment::LibraryContext& context_;
  recordstore::Engine& engine_;
  recordstore::OverwritePass& overwrite_pass_;
};

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_STORE_H_
