#include "recordstore/batched_file.h"

#include <algorithm>
#include <cstring>

namespace zb::recordstore {
namespace {

using platform::Status;

// The first read that grows a window is small (a single change costs no
// more than without the batch); each further one doubles, up to kFlushAt.
constexpr size_t kFirstReadAhead = 4096;
// A gap before a write is filled from the file up to this length (about
// one record, as between the keys of two records a delete writes).
constexpr uint64_t kMostGap = 32 * 1024;

Status ShortWrite() {
  Status s;
  s.kind = platform::ErrorKind::kOther;
  s.code = 28;
  s.message = "short write";
  return s;
}

}  // namespace

BatchedFile::BatchedFile(std::unique_ptr<platform::File> base)
    : base_(std::move(base)), read_ahead_(kFirstReadAhead) {}

bool BatchedFile::ExtendTo(uint64_t end) {
  const uint64_t from = window_end();
  if (end <= from) return true;
  if (end - start_ > kMaxWindow) return false;
  const size_t old = window_.size();
  const size_t want = static_cast<size_t>(std::min<uint64_t>(
      std::max<uint64_t>(end - from, read_ahead_), kMaxWindow - old));
  window_.resize(old + want);
  size_t got = 0;
  const Status s = base_->ReadAt(from, window_.data() + old, want, &got);
  if (!s.ok()) got = 0;
  window_.resize(old + got);
  read_ahead_ = std::min(read_ahead_ * 2, kFlushAt);
  // A short read means the file ends there: the window then holds all of it.
  return s.ok();
}

Status BatchedFile::ReadAt(uint64_t offset, void* buf, size_t n,
                           size_t* got) {
  if (failed_ || window_.empty() || n == 0)
    return base_->ReadAt(offset, buf, n, got);
  const uint64_t end = offset + n;
  if (offset >= start_ && offset <= window_end() && ExtendTo(end)) {
    const size_t available =
        static_cast<size_t>(std::min(end, window_end()) - offset);
    if (available > 0)
      std::memcpy(buf, window_.data() + (offset - start_), available);
    *got = available;
    return Status::Ok();
  }
  // The file must hold the window before a read that overlaps it; a failed
  // write is reported through the lost ranges.
  if (offset < window_end() && end > start_) Flush();
  return base_->ReadAt(offset, buf, n, got);
}

Status BatchedFile::WriteAt(uint64_t offset, const void* data, size_t n,
                            size_t* written) {
  if (failed_ || n == 0) return base_->WriteAt(offset, data, n, written);
  const uint64_t end = offset + n;
  // A write joins when it starts inside the window or after a gap the
  // file's own bytes can fill, and not before the write that joined last:
  // then any first part of the window, as a write cut short leaves it, is
  // what the writes in their order had made of the file at some point.
  const bool joins = !window_.empty() && offset >= last_start_ &&
                     end - start_ <= kMaxWindow &&
                     (offset <= window_end() ||
                      (offset - window_end() <= kMostGap &&
                       ExtendTo(offset) && offset <= window_end()));
  if (!joins) return Restart(offset, data, n, written);
  if (end > window_end()) window_.resize(static_cast<size_t>(end - start_));
  std::memcpy(window_.data() + (offset - start_), data, n);
  dirty_from_ = std::min(dirty_from_, static_cast<size_t>(offset - start_));
  dirty_to_ = std::max(dirty_to_, static_cast<size_t>(end - start_));
  last_start_ = offset;
  NoteWritten(offset, end);
  *written = n;
  if (dirty_to_ - dirty_from_ >= kFlushAt && !Flush()) {
    // This call's bytes are in the lost range as far as they lie in it.
    *written = lost_from_ <= offset
                   ? 0
                   : static_cast<size_t>(std::min<uint64_t>(lost_from_ - offset, n));
    return ShortWrite();
  }
  return Status::Ok();
}

Status BatchedFile::Restart(uint64_t offset, const void* data, size_t n,
                            size_t* written) {
  if (!Flush() || n >= kFlushAt) return base_->WriteAt(offset, data, n, written);
  start_ = offset;
  last_start_ = offset;
  window_.assign(static_cast<const uint8_t*>(data),
                 static_cast<const uint8_t*>(data) + n);
  dirty_from_ = 0;
  dirty_to_ = n;
  written_.assign(1, Range{offset, offset + n});
  read_ahead_ = kFirstReadAhead;
  *written = n;
  return Status::Ok();
}

Status BatchedFile::Size(uint64_t* size) {
  const Status s = base_->Size(size);
  if (s.ok() && !window_.empty()) *size = std::max(*size, window_end());
  return s;
}

bool BatchedFile::Flush() {
  bool ok = true;
  if (dirty_to_ > dirty_from_) {
    const size_t length = dirty_to_ - dirty_from_;
    size_t sent = 0;
    const Status s = base_->WriteAt(start_ + dirty_from_,
                                    window_.data() + dirty_from_, length, &sent);
    if (!s.ok() || sent < length) {
      ok = false;
      failed_ = true;
      lost_from_ = start_ + dirty_from_ + std::min(sent, length);
      for (const Range& r : written_)
        if (r.to > lost_from_)
          lost_.push_back({std::max(r.from, lost_from_), r.to});
    }
  }
  written_.clear();
  window_.clear();
  dirty_from_ = dirty_to_ = 0;
  return ok;
}

void BatchedFile::NoteWritten(uint64_t from, uint64_t to) {
  if (!written_.empty() && from <= written_.back().to)
    written_.back().to = std::max(written_.back().to, to);
  else
    written_.push_back({from, to});
}

std::vector<BatchedFile::Range> BatchedFile::TakeLostRanges() {
  std::vector<Range> lost;
  lost.swap(lost_);
  return lost;
}

}  // namespace zb::recordstore
