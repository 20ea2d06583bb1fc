// A record file while a write batch runs on it: writes are gathered in one
// window of the file and reach it in one write per 64 KB or more.
//
// The window is a contiguous range of the file held in memory as the file
// will be once it is written. A write that starts inside the window or
// right after it (a short gap is first filled from the file), and not
// before the write that joined last, joins the window; any other write
// first sends the window on. So the file sees the same bytes in the same
// order as without the batch, only fewer, larger writes: a process that
// ends in the middle, even inside a write that is cut short, leaves what
// an unbatched run leaves at some earlier write. Reads inside the window
// are served from it; a read that overlaps it otherwise sends it on first.
//
// When sending the window on fails, the writes it held from the first
// byte not written on are lost (the file's own bytes in the window are
// not: the file has them); their ranges are kept for the engine
// (TakeLostRanges) and every later call goes straight to the file.
// Destroying the object drops what was not sent on, as a process that is
// killed does.
#ifndef ZBDB_RECORDSTORE_BATCHED_FILE_H_
#define ZBDB_RECORDSTORE_BATCHED_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/platform.h"

namespace zb::recordstore {

class BatchedFile final : public platform::File {
 public:
  // A range of the file, [from, to).
  struct Range {
    uint64_t from;
    uint64_t to;
  };

  // The window is sent on once this many bytes in it were written.
  static constexpr size_t kFlushAt = 64 * 1024;
  // The window never grows beyond this (a last record may cross kFlushAt).
  static constexpr size_t kMaxWindow = 2 * kFlushAt;

  explicit BatchedFile(std::unique_ptr<platform::File> base);

  platform::Status ReadAt(uint64_t offset, void* buf, size_t n,
                          size_t* got) override;
  // Reports n bytes written when they joined the window. When the write
  // that sends the window on fails, the status is that failure and
  // *written counts the bytes of this call that reached the file.
  platform::Status WriteAt(uint64_t offset, const void* data, size_t n,
                           size_t* written) override;
  // The file's size as it will be once the window is written.
  platform::Status Size(uint64_t* size) override;

  // Sends the window on; false when that write failed.
  bool Flush();
  // After a failed write, once: the ranges written into the window that
  // the file did not get, ascending and apart. Empty otherwise.
  std::vector<Range> TakeLostRanges();
  bool failed() const { return failed_; }
  // The file itself, after Flush.
  std::unique_ptr<platform::File> Release() { return std::move(base_); }

 private:
  uint64_t window_end() const { return start_ + window_.size(); }
  void NoteWritten(uint64_t from, uint64_t to);
  // Grows the window with the file's bytes up to at least `end` (and some
  // more, so that a run of small reads and writes costs one read). False
  // when the file ends before `end` or the window would grow too large.
  bool ExtendTo(uint64_t end);
  // Starts a new window with the given bytes, after sending the old on.
  platform::Status Restart(uint64_t offset, const void* data, size_t n,
                           size_t* written);

  std::unique_ptr<platform::File> base_;
  uint64_t start_ = 0;
  uint64_t last_start_ = 0;  // where the write that joined last began
  std::vector<uint8_t> window_;
  // The part of the window written (the rest is the file's own bytes).
  size_t dirty_from_ = 0;
  size_t dirty_to_ = 0;
  // What was written into the window, ascending and apart (writes never
  // start before the one that joined last).
  std::vector<Range> written_;
  size_t read_ahead_;
  bool failed_ = false;
  uint64_t lost_from_ = 0;  // the first byte the failed write did not get
  std::vector<Range> lost_;
};

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_BATCHED_FILE_H_
