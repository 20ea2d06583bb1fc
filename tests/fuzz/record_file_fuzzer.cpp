// Feeds arbitrary bytes to the record file readers: the open (index load or
// walk), keyed reads, the listing and the inspection. None may crash, hang
// or change a file they refuse.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "recordstore/engine.h"
#include "recordstore/inspect.h"
#include "recordstore/listing.h"
#include "zbdb900.h"

namespace {

std::string TempPath() {
  static std::string path = [] {
    char name[] = "/tmp/zbdb_fuzz_XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  return path;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
      bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = TempPath();
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  zb::recordstore::InspectRecordFile(path);

  static std::FILE* null_out = std::fopen("/dev/null", "w");
  const int h = DBOpenReadOnly(path.c_str());
  if (h > 0) {
    zb::recordstore::ListRecords(h, null_out);
    uint8_t buf[64];
    DBRead(h, 1, 2, 0, sizeof buf, buf);
    DBReadRest(h, sizeof buf, buf);
    DB4_Read(h, DB_WILDCARD, DB_WILDCARD, 0, 0, 1, sizeof buf, buf);
    DBClose(h);
  }
  // A refused read-write open must leave the file as it was.
  const int w = DBOpen(path.c_str());
  if (w < 0) {
    const std::vector<uint8_t> after = ReadAll(path);
    if (after.size() != size || (size && std::memcmp(after.data(), data, size)))
      __builtin_trap();
  } else {
    DBClose(w);
  }
  return 0;
}
