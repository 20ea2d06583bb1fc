// Record files shared with a second process: one that ends without closing
// its file, one that is killed, one that returns from main with the file
// open, and the share modes of the open calls across processes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

constexpr int kTimeoutMs = 30000;

class ProcessesTest : public RecordStoreTest {
 protected:
  void StartChild(ChildProcess& child, const std::vector<std::string>& args) {
    const std::string program = ChildProgram("record_file_child");
    ASSERT_TRUE(child.Start(program, args)) << program;
  }

  static std::vector<RecordImage> WithChildRecords(
      std::vector<RecordImage> records, int count) {
    for (int i = 0; i < count; ++i) records.push_back(ChildRecord(i));
    return records;
  }

  // The file a child left open ends with the end-of-data mark; the next
  // open walks it, finds every record, and the close writes the index.
  void ExpectReindexedAtNextOpen(const std::string& path,
                                 const std::vector<RecordImage>& all) {
    const Bytes left = ReadFileBytes(path);
    ASSERT_GE(left.size(), 4u);
    EXPECT_EQ(GetU32(left, left.size() - 4), 0x7FFF7FFFu);
    const int16_t h = Open(path);
    EXPECT_EQ(DBGetNumRecord(h), all.size());
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
    EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(all));
  }
};

// A program that ends without closing, or is killed while it waits.
TEST_F(ProcessesTest, ProgramEndingWithoutClosingOrKilledLosesNoRecord) {
  const std::vector<RecordImage> before = {{1, 1, Text("before the child")},
                                           {2, 2, Text("also before")}};
  for (const std::string end : {"quick-exit", "hang"}) {
    SCOPED_TRACE(end);
    const std::string path = Path(end + ".pro");
    MakeRecordFile(path, before);
    ChildProcess child;
    StartChild(child, {"append", path, "40", end});
    ASSERT_EQ(child.ReadLine(), "appended");
    if (end == "hang") {
      child.Kill();
    } else {
      ASSERT_EQ(child.Wait(kTimeoutMs), 0);
    }
    ExpectReindexedAtNextOpen(path, WithChildRecords(before, 40));
  }
}

TEST_F(ProcessesTest, ProgramReturningFromMainHasItsFileClosed) {
  const std::string path = Path("returned.pro");
  const std::vector<RecordImage> before = {{7, 7, Text("existing")}};
  MakeRecordFile(path, before);
  ChildProcess child;
  StartChild(child, {"append", path, "30", "return"});
  ASSERT_EQ(child.ReadLine(), "appended");
  ASSERT_EQ(child.Wait(kTimeoutMs), 0);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile(WithChildRecords(before, 30)));
}

TEST_F(ProcessesTest, ShareModesAcrossProcesses) {
  const std::vector<RecordImage> records = {{1, 1, Text("shared data")}};
  for (const std::string mode : {"excl", "shared"}) {
    SCOPED_TRACE(mode);
    const std::string path = Path(mode + ".pro");
    MakeRecordFile(path, records);
    InstalledFaults faults;  // any waiting is counted, not slept
    ChildProcess child;
    StartChild(child, {"hold", mode, path});
    // The child holds the file from its line on until it reads one.
    ASSERT_GT(std::atoi(child.ReadLine().value_or("0").c_str()), 0);

    EXPECT_EQ(DBOpenExcl(path.c_str()), DB_ACCESS_DENIED);
    EXPECT_EQ(faults->slept_ms(), 0u);  // a sharing violation: no waiting
    if (mode == "excl") {
      EXPECT_EQ(DBOpen(path.c_str()), DB_ACCESS_DENIED);
      EXPECT_EQ(DBOpenReadOnly(path.c_str()), DB_ACCESS_DENIED);
    } else {  // shared opens may read at the same time
      const int16_t h = Open(path);
      uint8_t buf[32];
      EXPECT_EQ(DBRead(h, 1, 1, 0, 32, buf), 11);
      EXPECT_EQ(DBClose(h), DB_SUCCESS);
      EXPECT_EQ(DBClose(Open(path, DBOpenReadOnly)), DB_SUCCESS);
    }
    ASSERT_TRUE(child.WriteLine("close"));
    ASSERT_EQ(child.Wait(kTimeoutMs), 0);
    EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
    EXPECT_EQ(DBClose(Open(path, DBOpenExcl)), DB_SUCCESS);
  }
}

}  // namespace
}  // namespace zbtest
