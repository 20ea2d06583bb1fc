#include "platform/fault_injection.h"

#include <cstdlib>

namespace zb::platform {
namespace {

class FaultyFile final : public File {
 public:
  FaultyFile(std::unique_ptr<File> base, FaultInjectingPlatform& owner)
      : base_(std::move(base)), owner_(owner) {}

  Status ReadAt(uint64_t offset, void* buf, size_t n, size_t* got) override {
    return base_->ReadAt(offset, buf, n, got);
  }
  Status WriteAt(uint64_t offset, const void* data, size_t n,
                 size_t* written) override {
    size_t allowed = n;
    if (!owner_.NextWrite(n, &allowed)) {
      Status s;
      s.kind = ErrorKind::kOther;
      s.code = 28;  // as if the disk were full
      s.message = "injected write failure";
      if (allowed > 0) base_->WriteAt(offset, data, allowed, written);
      *written = allowed;
      if (owner_.end_code() >= 0) std::_Exit(owner_.end_code());
      return s;
    }
    return base_->WriteAt(offset, data, n, written);
  }
  Status Size(uint64_t* size) override { return base_->Size(size); }

 private:
  std::unique_ptr<File> base_;
  FaultInjectingPlatform& owner_;
};

}  // namespace

bool FaultInjectingPlatform::NextWrite(size_t n, size_t* allowed) {
  ++writes_;
  *allowed = n;
  if (fault_ == Fault::kNone || writes_ != target_) return true;
  *allowed = fault_ == Fault::kFail     ? 0
             : fault_ == Fault::kHalve ? n / 2
                                       : (keep_ < n ? keep_ : n);
  return false;
}

Status FaultInjectingPlatform::OpenFile(const std::string& path, Access access,
                                        Share share,
                                        std::unique_ptr<File>* file) {
  std::unique_ptr<File> base;
  Status s = base_.OpenFile(path, access, share, &base);
  if (s.ok()) file->reset(new FaultyFile(std::move(base), *this));
  return s;
}

Status FaultInjectingPlatform::NewFile(const std::string& path, Share share,
                                       std::unique_ptr<File>* file) {
  std::unique_ptr<File> base;
  Status s = base_.NewFile(path, share, &base);
  if (s.ok()) file->reset(new FaultyFile(std::move(base), *this));
  return s;
}

}  // namespace zb::platform
