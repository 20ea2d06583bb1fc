// A calculation program in miniature, for the tests that need a second
// process: it appends records and ends in different ways, or holds a record
// file open while the test tries to open it too. See
// support/child_protocol.h for the command lines.
#include <chrono>
#include <cstdlib>
#include <string>

#include "support/child_protocol.h"
#include "support/test_support.h"
#include "zbdb900.h"

namespace {

using zbtest::ChildRecord;
using zbtest::RecordImage;

int Append(const std::string& path, int count, const std::string& end,
           const std::string& marker) {
  const int32_t h = DBOpen(path.c_str());
  if (h < 1) return zbtest::kChildOpenFailed;
  for (int i = 0; i < count; ++i) {
    const RecordImage r = ChildRecord(i);
    if (DBWrite(static_cast<int16_t>(h), r.key1, r.key2, -1,
                static_cast<int16_t>(r.data.size()),
                r.data.data()) != static_cast<int32_t>(r.data.size()))
      return zbtest::kChildWriteFailed;
  }
  zbtest::WriteMarker(marker, "appended");
  if (end == "quick-exit") std::_Exit(zbtest::kChildOk);
  if (end == "hang") {
    zbtest::SleepMs(60000);
    return zbtest::kChildTimedOut;
  }
  return zbtest::kChildOk;  // "return": the exit handler closes the file
}

int Hold(const std::string& mode, const std::string& path,
         const std::string& ready, const std::string& release) {
  const int32_t h =
      mode == "excl" ? DBOpenExcl(path.c_str()) : DBOpen(path.c_str());
  zbtest::WriteMarker(ready, std::to_string(h));
  if (h < 1) return zbtest::kChildOpenFailed;
  if (!zbtest::WaitForFile(release, 60000)) return zbtest::kChildTimedOut;
  DBClose(static_cast<int16_t>(h));
  return zbtest::kChildOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "append" && argc == 6)
    return Append(argv[2], std::atoi(argv[3]), argv[4], argv[5]);
  if (command == "hold" && argc == 6)
    return Hold(argv[2], argv[3], argv[4], argv[5]);
  return zbtest::kChildBadArguments;
}
