// A record file the caller opened itself: the engine slot it holds is
// closed when the object goes, on every path out of an operation. Handles
// an operation is given (a caller's working file, a DB... handle) stay
// plain slot numbers and are never closed by the borrower.
#ifndef ZBDB_PROJECTSTORE_RECORD_FILE_H_
#define ZBDB_PROJECTSTORE_RECORD_FILE_H_

#include <cstdint>
#include <string>

#include "recordstore/engine.h"

namespace zb::projectstore {

class RecordFile {
 public:
  RecordFile() = default;
  // Takes over `handle` when it is an open slot (> 0); otherwise keeps it
  // as the open's negative result.
  RecordFile(recordstore::Engine& engine, int32_t handle)
      : engine_(&engine), handle_(handle) {}
  static RecordFile Open(recordstore::Engine& engine, const std::string& path) {
    return RecordFile(engine, engine.Open(path.c_str()));
  }
  static RecordFile OpenReadOnly(recordstore::Engine& engine,
                                 const std::string& path) {
    return RecordFile(engine, engine.OpenReadOnly(path.c_str()));
  }
  static RecordFile OpenExclusive(recordstore::Engine& engine,
                                  const std::string& path) {
    return RecordFile(engine, engine.OpenExclusive(path.c_str()));
  }

  RecordFile(RecordFile&& other) noexcept
      : engine_(other.engine_), handle_(other.handle_) {
    other.handle_ = 0;
  }
  RecordFile& operator=(RecordFile&& other) noexcept {
    if (this != &other) {
      Close();
      engine_ = other.engine_;
      handle_ = other.handle_;
      other.handle_ = 0;
    }
    return *this;
  }
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile() { Close(); }

  bool is_open() const { return handle_ > 0; }
  // The slot number while open; the open's result (negative) when it
  // failed; 0 once closed or released.
  int32_t handle() const { return handle_; }

  // Closes now, where the order of closes matters (a file reopened later in
  // the same operation). The engine's result, 0 when nothing was open.
  int32_t Close() {
    if (handle_ <= 0) return 0;
    const int32_t h = handle_;
    handle_ = 0;
    return engine_->Close(h);
  }
  // Hands the slot to a caller who closes it (a handle that stays open
  // after the operation).
  int32_t Release() {
    const int32_t h = handle_;
    handle_ = 0;
    return h;
  }

 private:
  recordstore::Engine* engine_ = nullptr;
  int32_t handle_ = 0;
};

// The path a slot was opened under; empty when h is not open.
inline std::string PathOfHandle(const recordstore::Engine& engine, int h) {
  char buf[recordstore::kMaxPathLength + 1] = {};
  if (h <= 0 || engine.GetFileName(buf, h) < 0) return {};
  return buf;
}

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_RECORD_FILE_H_
