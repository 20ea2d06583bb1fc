// A second process for the multi-process tests.
//   append <path> <count> <quick-exit|return|hang> <marker>
//     appends ChildRecord(0..count-1), writes the marker, then ends at once
//     without closing, returns from main with the file open, or waits to be
//     killed.
//   hold <excl|shared> <path> <ready-marker> <release-marker>
//     opens the file, writes the open's result into the ready marker, and
//     closes it once the release marker appears.
#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "zbdb900.h"

int main(int argc, char** argv) {
  if (argc != 6) return 2;
  const std::string command = argv[1];
  if (command == "append") {
    const int16_t h = static_cast<int16_t>(DBOpen(argv[2]));
    if (h < 1) return 3;
    for (int i = 0; i < std::atoi(argv[3]); ++i) {
      const zbtest::RecordImage r = zbtest::ChildRecord(i);
      const int16_t size = static_cast<int16_t>(r.data.size());
      if (DBWrite(h, r.key1, r.key2, -1, size, r.data.data()) != size) return 4;
    }
    zbtest::WriteMarker(argv[5], "appended");
    const std::string end = argv[4];
    if (end == "quick-exit") std::_Exit(0);
    if (end == "hang") zbtest::SleepMs(60000);
    return end == "return" ? 0 : 5;  // "return": the exit handler closes
  }
  if (command == "hold") {
    const bool excl = std::string(argv[2]) == "excl";
    const int32_t h = excl ? DBOpenExcl(argv[3]) : DBOpen(argv[3]);
    zbtest::WriteMarker(argv[4], std::to_string(h));
    if (h < 1) return 3;
    if (!zbtest::WaitForFile(argv[5], 60000)) return 5;
    DBClose(static_cast<int16_t>(h));
    return 0;
  }
  return 2;
}
