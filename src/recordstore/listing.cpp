#include "recordstore/listing.h"

#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "recordstore/engine.h"
#include "recordstore/record_format.h"

namespace zb::recordstore {
namespace {

constexpr int16_t kProPosKey = 30000;
constexpr int16_t kIdTopKey = 30001;
constexpr int16_t kPosInfoKey = 30002;
constexpr int16_t kProInfoKey = 30003;
constexpr int16_t kDelSizeKey = 30005;
// Bytes of each record that are cleared before it is read, so fields of a
// short record read as empty: the interpreted fields all lie below this.
constexpr size_t kInterpretedBytes = 512;

// A text field of a record, which need not carry a terminator.
std::string Text(const uint8_t* data, size_t offset, size_t width) {
  const char* p = reinterpret_cast<const char*>(data + offset);
  size_t len = 0;
  while (len < width && p[len] != '\0') ++len;
  return std::string(p, len);
}

void PrintPosInfo(std::FILE* out, const uint8_t* d, int32_t bytes,
                  const char* label, bool labelled_fields) {
  const std::string short_name = Text(d, 52, 10);
  const int id = LoadU16(d);
  const int recs = LoadI16(d + 70);
  const int ctrl = LoadU16(d + 2);
  const std::string msg = Text(d, 12, 40);
  const int dat_ver = LoadI16(d + 4);
  const std::string prg_ver = Text(d, 6, 6);
  if (labelled_fields) {
    std::string name = short_name;
    if (bytes == 248) name = Text(d, 144, 42) + " (" + short_name + ")";
    std::fprintf(out, "%8s: %s,", label, name.c_str());
    std::fprintf(out, "%8s id :%d,", " ", id);
    std::fprintf(out, "%8s Recs:%d,", " ", recs);
    std::fprintf(out, "%8s Ctrl:%d,", " ", ctrl);
    std::fprintf(out, "%8s Msg :%s", " ", msg.c_str());
    std::fprintf(out, "%8s DatVer:%d,", " ", dat_ver);
    std::fprintf(out, "%8s PrgVer:%s,", " ", prg_ver.c_str());
  } else {
    if (bytes == 248)
      std::fprintf(out, "%8s: %s(%s),", label, Text(d, 144, 42).c_str(),
                   short_name.c_str());
    else
      std::fprintf(out, "%8s: %s,", label, short_name.c_str());
    std::fprintf(out, "id :%d,", id);
    std::fprintf(out, "Recs:%d,", recs);
    std::fprintf(out, "Ctrl:%d,", ctrl);
    std::fprintf(out, "Msg :%s", msg.c_str());
    std::fprintf(out, "DatVer:%d,", dat_ver);
    std::fprintf(out, "PrgVer:%s,", prg_ver.c_str());
  }
}

void Interpret(std::FILE* out, int16_t key1, int16_t key2, const uint8_t* d,
               int32_t bytes) {
  if (key1 == kProPosKey) {
    std::fprintf(out, "%8s : (%s,%d,%s,%d)", "PROPOS", Text(d, 0, 42).c_str(),
                 LoadU16(d + 42), Text(d, 44, 10).c_str(), LoadI16(d + 54));
  } else if (key1 == kIdTopKey) {
    std::fprintf(out, "%s %d", "INDEX=IdTop", LoadU16(d));
  } else if (key1 == kPosInfoKey) {
    PrintPosInfo(out, d, bytes, "POSINFO", true);
  } else if (key1 == -kPosInfoKey) {
    // A position header that a delete left behind in a project file.
    PrintPosInfo(out, d, bytes, "DELETED: POSINFO", true);
  } else if (key1 == kProInfoKey) {
    std::fprintf(out, "%8s : (Projekt %s,Prg %s, Autor %s)", "PROINFO",
                 Text(d, 4, 42).c_str(), Text(d, 46, 6).c_str(),
                 Text(d, 52, 30).c_str());
  } else if (key1 == kDelSizeKey) {
    std::fprintf(out, "%8s %u", "DELSIZE",
                 static_cast<unsigned>(static_cast<int>(LoadI16(d))));
  } else if (key1 < 0) {
    // Other deleted records are listed without interpretation.
  } else if (key2 == kPosInfoKey) {
    PrintPosInfo(out, d, bytes, "POSINFO", false);
  } else if (key2 == kProInfoKey) {
    std::fprintf(out, "%8s:(Projekt:%s,Prg:%s,Autor:%s)", "PROINFO",
                 Text(d, 4, 42).c_str(), Text(d, 46, 6).c_str(),
                 Text(d, 52, 30).c_str());
  } else if (key2 == kIdTopKey) {
    std::fprintf(out, "%8s %d", "INDEX=IdTop", LoadU16(d));
  } else if (key2 == kProPosKey) {
    std::fprintf(out, "%8s:(Bezeichnung:%s,%d,%s,%d)", "PROPOS",
                 Text(d, 0, 42).c_str(), LoadI16(d + 42),
                 Text(d, 44, 10).c_str(), LoadU16(d + 54));
  }
}

}  // namespace

uint32_t ListRecords(Engine& engine, int h, std::FILE* out) {
  std::fprintf(out, "\n%8s %8s %8s %8s %8s %8s\n", "RecNr.", "Offset", "Key1",
               "Key2", "Bytes", "Text");
  std::vector<uint8_t> data(kMaxRecordSize + 1);
  uint32_t count = 0;
  uint32_t total = 0;
  for (uint32_t n = 0;; ++n) {
    std::memset(data.data(), 0, kInterpretedBytes);
    // A fresh search for every record, as the listing always did: each
    // record is found by its occurrence number among all records.
    const int32_t bytes = engine.Read(h, kWildcard, kWildcard, n,
                                      kMaxRecordSize, data.data());
    if (bytes < 0) break;
    ++count;
    total += static_cast<uint32_t>(bytes);
    int16_t key1 = 0, key2 = 0;
    engine.GetKeys(&key1, &key2);
    const uint32_t offset = engine.found_last().offset;
    std::fprintf(out, "\n%8u %8u %8d %8d %8d %s ", count, offset, key1, key2,
                 bytes, Text(data.data(), 0, 40).c_str());
    Interpret(out, key1, key2, data.data(), bytes);
  }
  std::fprintf(out, "\n\nRecords %u \n, Bytes: 500 + %u ", count, total);
  return count;
}

uint32_t ListRecordsToFile(Engine& engine, int h,
                           const std::string& text_path) {
  std::FILE* out = engine.platform().OpenStream(text_path, "a+");
  if (!out) return 0;
  const uint32_t count = ListRecords(engine, h, out);
  std::fclose(out);
  return count;
}

}  // namespace zb::recordstore
