#include "projectstore/position_locks.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/position_index.h"
#include "projectstore/positions.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"
#include "recordstore/engine.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

using recordstore::FieldText;

// Lock times are shown in UTC, like every date the library lists.
std::string TimeText(const char* format, uint32_t seconds) {
  const std::tm tm = platform::CalendarTime(seconds, false);
  char buf[64] = {};
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

std::string PathOf(Store& store, int h) {
  return PathOfHandle(store.engine(), h);
}

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] == '/') ? '\\' : a[i];
    const char y = (b[i] == '/') ? '\\' : b[i];
    if (std::tolower(static_cast<unsigned char>(x)) !=
        std::tolower(static_cast<unsigned char>(y)))
      return false;
  }
  return true;
}

// Finds the position and reads it; a short record is rewritten in the
// 248-byte form first so that later writes go in place.
int32_t FindWidened(Store& store, int h, int16_t program,
                    const std::string& name, PosInfoExt* info) {
  int32_t n = FindPosition(store, h, name, program, info);
  if (n < 0) return n;
  uint8_t probe[recordstore::kPosInfoExtFileSize];
  const int32_t size = store.engine().Read(
      h, kKeyPosInfo, program, static_cast<uint32_t>(n), sizeof probe, probe);
  if (size >= 0 && size < recordstore::kPosInfoExtFileSize)
    n = WritePosInfo(store, h, program, static_cast<uint32_t>(n), *info);
  return n;
}

void Log(Store& store, const std::string& text) {
  store.context().log.Append(text);
}

// Runs fn on a writable handle of the project behind *h: *h itself when it
// is writable, else the file reopened exclusively, and then reopened
// read-only again into *h.
template <typename Fn>
int32_t OnWritable(Store& store, int* h, Fn fn) {
  Engine& engine = store.engine();
  const recordstore::Slot* slot = engine.OpenSlot(*h);
  if (!slot) return -1;
  if (!slot->read_only) return fn(*h);
  const std::string path = PathOf(store, *h);
  ForgetPositionIndex(store, *h);
  engine.Close(*h);
  const int32_t w = engine.OpenExclusive(path.c_str());
  int32_t result = -1;
  if (w > 0) {
    result = fn(w);
    ForgetPositionIndex(store, w);
    engine.Close(w);
  }
  *h = engine.OpenReadOnly(path.c_str());
  return result;
}

}  // namespace

int32_t ReadLockRecord(Store& store, int h, int16_t program, uint16_t id,
                       LockRecord* out) {
  std::memset(out, 0, sizeof *out);
  const int32_t got = store.engine().Read(h, program, static_cast<int16_t>(id),
                                          0, sizeof *out, out);
  if (got < 0) std::memset(out, 0, sizeof *out);
  return got;
}

int32_t LockOn(Store& store, int h, int working_h, int16_t program,
               const std::string& name) {
  PosInfoExt info{};
  const int32_t n = FindWidened(store, h, program, name, &info);
  if (n < 0) return -1;
  OwnLockState& own = store.context().position_lock;
  LockRecord lock{};
  if ((info.Ctrl & kCtrlLocked) &&
      ReadLockRecord(store, h, program, info.id, &lock) >= 0 &&
      std::memcmp(&lock, &own.block, sizeof lock) != 0) {
    Log(store, "\n" + environment::SystemText(35032, name));
    Log(store, "\n" + std::string(16, ' ') +
                   FieldText(lock.user) + ", " +
                   TimeText("%d.%m.%Y %H", lock.time));
    return 0;
  }
  const environment::LibraryContext& context = store.context();
  own.state = 1;
  own.project_path = PathOf(store, h);
  own.working_path = PathOf(store, working_h);
  own.program = program;
  own.name = name;
  LockRecord block{};
  block.time = store.os().Now();
  recordstore::CopyTextField(block.computer,
                             context.computer.substr(0, 15).c_str(),
                             sizeof block.computer);
  recordstore::CopyTextField(block.user, context.user.substr(0, 256).c_str(),
                             sizeof block.user);
  recordstore::CopyTextField(block.working_file,
                             own.working_path.substr(0, 260).c_str(),
                             sizeof block.working_file);
  own.block = block;
  info.Ctrl |= kCtrlLocked;
  Engine& engine = store.engine();
  if (WritePosInfo(store, h, program, static_cast<uint32_t>(n), info) < 0)
    return 0;
  if (engine.WriteFar(h, program, static_cast<int16_t>(info.id), 0,
                      sizeof block, &block, true) < 0)
    return 0;
  store.context().log.Printf("\n%16s§ Lock_On  '%s' : %s, %s  ", " ",
                             name.c_str(), context.user.c_str(),
                             TimeText("%x,%X", block.time).c_str());
  return 1;
}

int32_t LockOff(Store& store, int h, int16_t program, const std::string& name) {
  PosInfoExt info{};
  const int32_t n = FindWidened(store, h, program, name, &info);
  if (n < 0) return 0;
  info.Ctrl &= static_cast<uint16_t>(~kCtrlLocked);
  LockRecord lock{};
  ReadLockRecord(store, h, program, info.id, &lock);
  store.context().log.Printf("\n%16s§ Lock_Off '%s' : %s, %s  ", " ",
                             name.c_str(),
                             FieldText(lock.user).c_str(),
                             TimeText("%x,%X", lock.time).c_str());
  WritePosInfo(store, h, program, static_cast<uint32_t>(n), info);
  OwnLockState& own = store.context().position_lock;
  own.state = 0;
  own.project_path.clear();
  own.working_path.clear();
  own.name.clear();
  own.program = 0;
  // Only the block's first word is cleared; the rest stays as written.
  std::memset(&own.block, 0, 2);
  return 1;
}

int32_t LockedForMe(Store& store, int h, int /*working_h*/) {
  const OwnLockState& own = store.context().position_lock;
  if (own.state != 1 || !SamePath(PathOf(store, h), own.project_path)) return 0;
  PosInfoExt info{};
  if (FindPosition(store, h, own.name, own.program, &info) < 0) return 0;
  if (!(info.Ctrl & kCtrlLocked)) return 0;
  LockRecord lock{};
  if (ReadLockRecord(store, h, own.program, info.id, &lock) >= 0 &&
      std::memcmp(&lock, &own.block, sizeof lock) != 0)
    return 0;
  store.context().log.Printf("\n%16s§ Position Is Locked for Me: '%s' ", " ",
                             own.name.c_str());
  return 1;
}

int32_t CheckLockAndInform(Store& store, int* h, int16_t program,
                           const std::string& name, bool quiet) {
  PosInfoExt info{};
  if (FindPosition(store, *h, name, program, &info) < 0) return 0;
  if (!(info.Ctrl & kCtrlLocked)) return 0;
  LockRecord lock{};
  if (ReadLockRecord(store, *h, program, info.id, &lock) < 0) {
    // A bit without record is left over from a broken run: clear it.
    OnWritable(store, h,
               [&](int w) { return LockOff(store, w, program, name); });
    return 0;
  }
  const std::string user = FieldText(lock.user);
  std::string text = environment::SystemText(35034, name) + "\n" +
                     environment::SystemText(35035, user);
  environment::Ui& ui = store.ui();
  const std::string& title = store.context().message_title;
  if (user == environment::SystemText(35007)) {
    text += "\n" + std::string(environment::SystemText(35036));
    if (!quiet)
      ui.Ask(title, text, environment::Buttons::kOk,
             environment::Icon::kInformation);
    return 1;
  }
  text += "\n" + environment::SystemText(35037, FieldText(lock.computer, 16)) + "\n" +
          environment::SystemText(35038, TimeText("%d.%m.%Y %H:%M:%S", lock.time)) + "\n" +
          environment::SystemText(35039, FieldText(lock.working_file, 261)) + "\n" +
          environment::SystemText(35036);
  if (std::memcmp(&lock, &store.context().position_lock.block, sizeof lock) ==
      0)
    return 0;
  if (user != store.context().user) {
    if (!quiet)
      ui.Ask(title, text, environment::Buttons::kOk,
             environment::Icon::kInformation);
    return 1;
  }
  // The same user: a lock left behind by an earlier run of this user.
  if (quiet) return 1;
  text += "\n\n" + std::string(environment::SystemText(35040));
  if (ui.Ask(title, text, environment::Buttons::kYesNo,
             environment::Icon::kQuestion) != environment::Answer::kYes)
    return 1;
  OnWritable(store, h, [&](int w) { return LockOff(store, w, program, name); });
  return 0;
}

int32_t LockPositionFor(Store& store, const std::string& project_path,
                        const std::string& working_path, int16_t program,
                        const std::string& name) {
  Engine& engine = store.engine();
  RecordFile project = RecordFile::OpenExclusive(engine, project_path);
  if (!project.is_open()) return project.handle();
  RecordFile working;
  if (!working_path.empty())
    working = RecordFile::OpenReadOnly(engine, working_path);
  return LockOn(store, project.handle(),
                working.is_open() ? working.handle() : 0, program, name);
}

int32_t ReleaseOwnLock(Store& store) {
  Log(store, "iSetLockOff");
  const OwnLockState own = store.context().position_lock;
  if (own.state != 1) return 0;
  Engine& engine = store.engine();
  RecordFile working;
  if (!own.working_path.empty())
    working = RecordFile::OpenReadOnly(engine, own.working_path);
  RecordFile project = RecordFile::OpenExclusive(engine, own.project_path);
  if (!project.is_open()) return 0;
  if (LockedForMe(store, project.handle(),
                  working.is_open() ? working.handle() : 0) != 1)
    return 0;
  return LockOff(store, project.handle(), own.program, own.name);
}

namespace {

int32_t SetAllBits(Store& store, int h, int16_t program, bool lock) {
  Engine& engine = store.engine();
  uint8_t buf[recordstore::kPosInfoExtFileSize];
  int32_t visited = 0;
  for (uint32_t n = 0;; ++n) {
    const int32_t size =
        engine.Read(h, kKeyPosInfo, program, n, sizeof buf, buf);
    if (size < 0) break;
    ++visited;
    if (size < 4) continue;
    uint16_t ctrl;
    std::memcpy(&ctrl, buf + 2, 2);
    const uint16_t changed =
        lock ? static_cast<uint16_t>(ctrl | kCtrlLocked)
             : static_cast<uint16_t>(ctrl & ~kCtrlLocked);
    if (changed == ctrl) continue;
    std::memcpy(buf + 2, &changed, 2);
    engine.WriteFar(h, kKeyPosInfo, program, n, static_cast<int16_t>(size),
                    buf, false);
  }
  return visited;
}

}  // namespace

int32_t LockAll(Store& store, int h, int16_t program) {
  const int32_t visited = SetAllBits(store, h, program, true);
  store.context().log.Printf(
      "\n%16s§ Lock_OnAll : Number of Position converted in lock: %d  \n", " ",
      visited);
  return visited;
}

int32_t UnlockAll(Store& store, int h, int16_t program) {
  const int32_t visited = SetAllBits(store, h, program, false);
  store.context().log.Printf(
      "\n%16s§ LockOffAll : Number of Position converted in unlock: %d  \n",
      " ", visited);
  OwnLockState& own = store.context().position_lock;
  if (own.state == 1 && SamePath(PathOf(store, h), own.project_path))
    own.state = 0;
  return visited;
}

}  // namespace zb::projectstore
