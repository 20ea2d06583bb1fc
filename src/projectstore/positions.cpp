#include "projectstore/positions.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "projectstore/position_index.h"
#include "projectstore/position_locks.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"
#include "recordstore/engine.h"

namespace zb::projectstore {

using recordstore::Engine;
using recordstore::PosInfoExt;

namespace {

using recordstore::FieldText;

// Windows-1252 letters to lower case: A-Z and the accented capitals
// (0xC0-0xDE without the multiplication sign).
unsigned char LowerWindows(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
    return static_cast<unsigned char>(c + 32);
  return c;
}

}  // namespace

std::string PositionCompareName(const std::string& name) {
  const size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const size_t last = name.find_last_not_of(' ');
  std::string out = DosUmlautsToWindows(name.substr(first, last - first + 1));
  for (char& c : out)
    c = static_cast<char>(LowerWindows(static_cast<unsigned char>(c)));
  return out;
}

std::string DesignationFromProPos(Store& store, int h, int16_t id,
                                  int16_t program) {
  Engine& engine = store.engine();
  uint8_t buf[4 + sizeof(PROPOS)];
  for (uint32_t n = 0;; ++n) {
    std::memset(buf, 0, sizeof buf);
    const int32_t got = engine.Read(h, static_cast<int16_t>(id), program, n,
                                    sizeof buf, buf);
    if (got < 0) return {};
    int16_t k1, k2;
    std::memcpy(&k1, buf, 2);
    std::memcpy(&k2, buf + 2, 2);
    if (got >= 4 && k1 == program && k2 == kKeyProPos)
      return FieldText(reinterpret_cast<const char*>(buf + 4), 42);
  }
}

int32_t ReadStoredPosInfo(Store& store, int h, int16_t program,
                          uint32_t occurrence, PosInfoExt* out) {
  uint8_t buf[recordstore::kPosInfoExtFileSize] = {};
  const int32_t got =
      store.engine().Read(h, kKeyPosInfo, program, occurrence, sizeof buf, buf);
  if (got < 0) return got;
  if (got < recordstore::kPosInfoExtFileSize) {
    // Old files keep the short form; anything shorter is read as far as
    // it goes and widened like it.
    uint8_t short_form[recordstore::kPosInfoShortFileSize] = {};
    std::memcpy(short_form, buf, std::min<size_t>(got, sizeof short_form));
    recordstore::WidenPosInfo(short_form, out);
  } else {
    std::memcpy(out, buf, sizeof *out);
  }
  return got;
}

int32_t FindPosition(Store& store, int h, const std::string& name,
                     int16_t program, PosInfoExt* out) {
  const std::string wanted = PositionCompareName(name);
  // The index names the occurrence; the record itself is read to hand it
  // out, and confirms the index on the way.
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int32_t n = IndexedFind(store, h, program, wanted);
    if (n < 0) return -1;
    PosInfoExt info{};
    const int32_t size =
        ReadStoredPosInfo(store, h, program, static_cast<uint32_t>(n), &info);
    const PosInfoNames names = NamesOf(info, size);
    if (size < 0 ||
        !(wanted.empty() ? names.empty_match : names.search == wanted)) {
      ForgetPositionIndex(store, h);  // changed behind the index: read it anew
      continue;
    }
    if (size < recordstore::kPosInfoExtFileSize) {
      std::memset(&info.page_start, 0, 26);
      if (info.Designation[0] == '\0')
        recordstore::CopyTextField(
            info.Designation,
            DesignationFromProPos(store, h, static_cast<int16_t>(info.id),
                                  program)
                .substr(0, sizeof info.Designation - 1)
                .c_str(),
            sizeof info.Designation);
    }
    if (info.PosNameLong[0] == '\0')
      recordstore::CopyTextField(info.PosNameLong, "    ",
                                 sizeof info.PosNameLong);
    if (out) *out = info;
    return n;
  }
  return -1;
}

int32_t WritePosInfo(Store& store, int h, int16_t program, uint32_t occurrence,
                     const PosInfoExt& info) {
  Engine& engine = store.engine();
  PosInfoExt stored{};
  const int32_t size =
      ReadStoredPosInfo(store, h, program, occurrence, &stored);
  if (size >= recordstore::kPosInfoExtFileSize) {
    const int32_t r = engine.WriteFar(h, kKeyPosInfo, program, occurrence,
                                      sizeof info, &info, false);
    if (r < 0) return r;
    PositionIndexRewritten(store, h, program, occurrence, info, sizeof info);
    return static_cast<int32_t>(occurrence);
  }
  // A short record cannot grow in place: it moves to the end of the list.
  if (size >= 0) {
    const int32_t d = engine.Delete(h, kKeyPosInfo, program, occurrence);
    if (d < 0) return d;
    PositionIndexDeleted(store, h, program, occurrence);
  }
  const int32_t r =
      engine.Append(h, kKeyPosInfo, program, sizeof info, &info);
  if (r < 0) return r;
  return IndexedCount(store, h, program) - 1;
}

int32_t PositionState(Store& store, int h, int16_t program,
                      const std::string& name, PosInfoExt* out) {
  PosInfoExt info{};
  if (FindPosition(store, h, name, program, &info) < 0) return 0;
  if (out) *out = info;
  if (!(info.Ctrl & kCtrlLocked)) return 1;
  LockRecord lock{};
  ReadLockRecord(store, h, program, info.id, &lock);  // missing: all zeros
  return lock.time == store.context().position_lock.block.time ? 1 : 2;
}

int32_t PositionStateOfFile(Store& store, const std::string& project_path,
                            int16_t program, const std::string& name,
                            PosInfoExt* out) {
  RecordFile project = RecordFile::OpenReadOnly(store.engine(), project_path);
  if (!project.is_open()) return 0;
  return PositionState(store, project.handle(), program, name, out);
}

bool ShortNameTaken(Store& store, int h, int16_t program,
                    const std::string& short_name) {
  return IndexedShortNameTaken(store, h, program,
                               PositionCompareName(short_name));
}

void UniqueShortName(Store& store, int h, int16_t program,
                     const std::string& long_name, char short_name[10]) {
  std::memset(short_name, 0, 10);
  if (long_name.size() <= 8) {
    std::memcpy(short_name, long_name.data(), long_name.size());
    return;
  }
  recordstore::ShortNameFromLong(long_name.c_str(), short_name);
  const std::string base = FieldText(short_name, 10);
  if (!ShortNameTaken(store, h, program, base)) return;
  for (int k = 1;; ++k) {
    const std::string counter = "~" + std::to_string(k);
    // The counter may not take the whole name.
    if (counter.size() >= base.size()) return;
    const std::string candidate =
        base.substr(0, base.size() - counter.size()) + counter;
    if (!ShortNameTaken(store, h, program, candidate)) {
      std::memset(short_name, 0, 10);
      std::memcpy(short_name, candidate.data(), candidate.size());
      return;
    }
  }
}

int32_t CreatePosition(Store& store, int h, const std::string& long_name,
                       const std::string& description, int16_t program) {
  Engine& engine = store.engine();
  if (!engine.OpenSlot(h)) return -2;
  uint16_t top = 0;
  if (engine.Read(h, kKeyCounter, program, 0, sizeof top, &top) < 0) top = 0;
  const uint16_t id = static_cast<uint16_t>(top + 1);

  PosInfoExt info{};
  info.id = id;
  info.id_copy = id;
  recordstore::CopyTextField(info.PosNameLong,
                             long_name.substr(0, 41).c_str(),
                             sizeof info.PosNameLong);
  recordstore::CopyTextField(info.Msg, description.substr(0, 39).c_str(),
                             sizeof info.Msg);
  info.created = info.saved = store.os().Now();
  UniqueShortName(store, h, program, FieldText(info.PosNameLong, 42),
                  info.PosName);
  if (info.PosNameLong[0] == '\0')
    std::memcpy(info.PosNameLong, info.PosName, sizeof info.PosName);

  int32_t r = engine.WriteFar(h, kKeyCounter, program, 0, sizeof id, &id, true);
  if (r < 0) return r;
  r = engine.Append(h, kKeyPosInfo, program, sizeof info, &info);
  if (r < 0) return r;
  return id;
}

}  // namespace zb::projectstore
