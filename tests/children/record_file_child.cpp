// A second process for the multi-process tests; it tells the test what it
// did in lines on its standard output and waits for the test's lines.
//   append <path> <count> <quick-exit|return|hang>
//     appends ChildRecord(0..count-1), tells "appended", then ends at once
//     without closing, returns from main with the file open, or waits to be
//     killed.
//   hold <excl|shared> <path>
//     opens the file, tells the open's result, and closes it once the test
//     sends a line (or closes the pipe).
#include <cstdlib>
#include <string>

#include "support/test_support.h"
#include "zbdb900.h"

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "append" && argc == 5) {
    const int16_t h = static_cast<int16_t>(DBOpen(argv[2]));
    if (h < 1) return 3;
    for (int i = 0; i < std::atoi(argv[3]); ++i) {
      const zbtest::RecordImage r = zbtest::ChildRecord(i);
      const int16_t size = static_cast<int16_t>(r.data.size());
      if (DBWrite(h, r.key1, r.key2, -1, size, r.data.data()) != size) return 4;
    }
    zbtest::TellParent("appended");
    const std::string end = argv[4];
    if (end == "quick-exit") std::_Exit(0);
    // Killed while it waits; should the test end first, as if killed too.
    if (end == "hang") std::_Exit(zbtest::ReadParentLine() ? 6 : 7);
    return end == "return" ? 0 : 5;  // "return": the exit handler closes
  }
  if (command == "hold" && argc == 4) {
    const bool excl = std::string(argv[2]) == "excl";
    const int32_t h = excl ? DBOpenExcl(argv[3]) : DBOpen(argv[3]);
    zbtest::TellParent(std::to_string(h));
    if (h < 1) return 3;
    zbtest::ReadParentLine();
    DBClose(static_cast<int16_t>(h));
    return 0;
  }
  return 2;
}
