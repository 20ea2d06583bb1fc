// The engine's slots: opening a record file into one, and closing it.
#include "recordstore/engine.h"

#include <cstdio>
#include <cstring>

#include "recordstore/engine_io.h"
#include "recordstore/log_sink.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {
namespace {

using platform::Access;
using platform::ErrorKind;
using platform::Share;
using platform::Status;

// The C runtime's open and share flags, as the creation log names them.
constexpr int kOpenBinaryReadWrite = 0x8000 | 0x0002;  // O_BINARY | O_RDWR
constexpr int kOpenBinaryRead = 0x8000;                // O_BINARY | O_RDONLY
constexpr int kShareDenyNone = 0x40;                   // SH_DENYNO
constexpr int kShareDenyReadWrite = 0x10;              // SH_DENYRW

// The exclusive open waits this long, this often, while a file is
// write-protected.
constexpr uint32_t kExclusiveWaitMs = 3000;
constexpr int kExclusiveWaits = 4;

std::string AsciiLower(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string Format(const char* format, const std::string& a) {
  char buf[2048];
  std::snprintf(buf, sizeof buf, format, a.c_str());
  return buf;
}

std::string Format(const char* format, int a) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, a);
  return buf;
}

}  // namespace

Engine::Engine(platform::Platform& os, LogSink& log,
               std::function<void()> at_first_open)
    : os_(os), log_(log), at_first_open_(std::move(at_first_open)) {}

// ---------------------------------------------------------------------------
// Opening

int32_t Engine::Open(const char* path) {
  return OpenWithMode(path, Mode::kReadWrite);
}

int32_t Engine::OpenReadOnly(const char* path) {
  if (!path || !*path) return DB_EOF;
  platform::Platform& os = os_;
  if (!os.FileExists(path) || os.IsFolder(path)) return DB_EOF;
  // The readability check below opens the file, so a file this process
  // holds exclusively would look unreadable; the second-open rule must
  // answer first, as it does for the other opens.
  if (OpenUnderLowerCase(path)) return DB_SECOND_OPEN;
  // A file that may not be read is not opened.
  std::unique_ptr<platform::File> probe;
  Status s = os.OpenFile(path, Access::kRead, Share::kDenyNone, &probe);
  if (s.kind == ErrorKind::kAccessDenied) return -5;
  probe.reset();
  return OpenWithMode(path, Mode::kReadOnly);
}

int32_t Engine::OpenExclusive(const char* path) {
  if (!path || !*path) return DB_EOF;
  platform::Platform& os = os_;
  if (!os.FileExists(path) || os.IsFolder(path)) return DB_EOF;
  // Write protection is often lifted by whoever set it (a copy finishing,
  // a user): wait for it a while before giving up.
  for (int waits = 0;; ++waits) {
    bool read_only = false;
    Status s = os.IsReadOnly(path, &read_only);
    if (!s.ok()) return DB_EOF;
    if (!read_only) break;
    if (waits == kExclusiveWaits) return -5;
    os.SleepMs(kExclusiveWaitMs);
  }
  return OpenWithMode(path, Mode::kExclusive);
}

int32_t Engine::CreateNew(const std::string& path, Share share,
                          std::unique_ptr<platform::File>* file) {
  platform::Platform& os = os_;
  std::unique_ptr<platform::File> created;
  Status s = os.NewFile(path, share, &created);
  uint8_t layout[kNewFileSize];
  BuildNewFile(layout);
  if (s.ok() && !WriteFully(*created, 0, layout, kNewFileSize)) {
    created.reset();
    os.RemoveFile(path);
    s.kind = ErrorKind::kOther;
    s.code = 28;
    s.message = "No space left on device";
  }
  if (!s.ok()) {
    std::string entry = Format("\n### ERROR on creating : %s", path);
    entry += "\n### DBOpen(.. O_BINARY | O_RDWR, SH_DENYNO) = ENOENT ";
    entry += Format("\n### _sopen(%s,", path);
    entry += "\n###         O_Attr = O_BINARY | O_CREAT | O_RDWR ";
    entry += "\n###         S_Attr = SH_DENYNO";
    entry += "\n###         pmode  = S_IREAD | S_IWRITE";
    entry += Format("\n###        ) = errno %d", s.code);
    entry += Format("\n### :%s \n", s.message);
    log_.Append(entry);
    return DB_OPENERR;
  }
  created.reset();
  s = os.OpenFile(path, Access::kReadWrite, share, file);
  if (!s.ok()) {
    char buf[1200];
    std::snprintf(buf, sizeof buf,
                  "\n### ReOpen nach Create (%s) : Error = %d ***\n",
                  path.c_str(), s.code);
    log_.Append(buf);
    log_.Append(Format("\n### DBOpenError : O_BINARY |O_Attr = %d ***\n",
                       kOpenBinaryReadWrite));
    log_.Append(Format(
        "\n### DBOpenError :  S_Attr = %d ***\n",
        share == Share::kDenyNone ? kShareDenyNone : kShareDenyReadWrite));
    return DB_OPENERR;
  }
  return 0;
}

bool Engine::OpenUnderLowerCase(const std::string& path) const {
  // Names are recorded as given, so only a name opened in lower case is
  // ever recognised again.
  const std::string lower = AsciiLower(path);
  for (int h = 1; h < kSlots; ++h)
    if (slots_[h].in_use && slots_[h].name == lower) return true;
  return false;
}

int32_t Engine::OpenWithMode(const char* path_text, Mode mode) {
  if (!path_text || !*path_text) return DB_OPENERR;
  const std::string path(path_text);
  // The name table keeps 1023 characters; a longer path is refused rather
  // than cut, which could name another file.
  if (path.size() > kMaxPathLength) return DB_OPENERR;

  // 1. A path opened in lower case is recognised again (ignoring case).
  if (OpenUnderLowerCase(path)) return DB_SECOND_OPEN;

  // 2. The first open arranges for every index to be written at exit.
  if (at_first_open_) {
    std::function<void()> once = std::move(at_first_open_);
    at_first_open_ = nullptr;
    once();
  }

  const Access access =
      mode == Mode::kReadOnly ? Access::kRead : Access::kReadWrite;
  const Share share =
      mode == Mode::kExclusive ? Share::kDenyReadWrite : Share::kDenyNone;
  platform::Platform& os = os_;

  // 3. The lowest free slot; other errors move on to the next free one.
  for (int h = 1; h < kSlots; ++h) {
    Slot& slot = slots_[h];
    if (slot.in_use) continue;
    std::unique_ptr<platform::File> file;
    Status s = os.OpenFile(path, access, share, &file);
    bool created = false;
    if (s.kind == ErrorKind::kAccessDenied) return -5;
    if (s.kind == ErrorKind::kNotFound) {
      if (mode != Mode::kReadWrite) return DB_EOF;  // vanished meanwhile
      const int32_t result = CreateNew(path, share, &file);
      if (result != 0) return result;
      created = true;
    } else if (!s.ok()) {
      continue;
    }

    slot.file = std::move(file);
    slot.read_only = mode == Mode::kReadOnly;
    slot.changed = false;
    slot.marked = false;
    slot.rebuilt_only = false;
    slot.state = SlotState();
    slot.index.Clear();
    if (created) {
      slot.end_of_data = kFileHeaderSize;
    } else if (!LoadIndex(slot)) {
      // 4. Not a record file: refused, and not a byte changed.
      slot.file.reset();
      slot.index.Clear();
      slot.read_only = false;
      slot.changed = false;
      return DB_NOEND;
    }
    slot.in_use = true;
    slot.name = path;
    slot.open_serial = ++opens_;
    return h;
  }
  return DB_STACKERR;
}

// ---------------------------------------------------------------------------
// Closing

int32_t Engine::Close(int h) {
  Slot* slot = OpenSlot(h);
  if (!slot) return DB_EOF;
  WriteIndexAndClose(*slot);
  return DB_SUCCESS;
}

void Engine::CloseAll() {
  for (int h = 1; h < kSlots; ++h)
    if (slots_[h].in_use) WriteIndexAndClose(slots_[h]);
}

void Engine::AbandonAll() {
  for (Slot& slot : slots_) {
    // What a batch gathered is lost with the process.
    slot.file.reset();
    slot.batch = nullptr;
    slot.batch_depth = 0;
    slot.batch_failed = false;
    slot.index.Clear();
    slot.in_use = slot.changed = slot.read_only = false;
    slot.marked = slot.rebuilt_only = false;
    slot.state = SlotState();
    slot.end_of_data = 0;
    slot.name.clear();
  }
  found_last_ = FoundLast();
}

int32_t Engine::GetFileName(char* dest, int h) const {
  const Slot* slot = OpenSlot(h);
  if (!slot) {
    if (dest) dest[0] = '\0';
    return 0;
  }
  if (dest) std::memcpy(dest, slot->name.c_str(), slot->name.size() + 1);
  return 1;
}

int32_t Engine::GetFileHandle(const char* path) const {
  if (!path) return DB_EOF;
  for (int h = kSlots - 1; h >= 1; --h)
    if (slots_[h].in_use && slots_[h].name == path) return h;
  return DB_EOF;
}

uint32_t Engine::NumRecords(int h) const {
  const Slot* slot = OpenSlot(h);
  return slot ? slot->index.size() : 0xFFFFFFFFu;
}

}  // namespace zb::recordstore
