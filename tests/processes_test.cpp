// Record files shared with a second process: a program that ends without
// closing its file, one that returns from main with the file still open,
// and the share modes of the open calls across processes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/child_protocol.h"
#include "support/record_fixture.h"

namespace zbtest {
namespace {

constexpr int kTimeoutMs = 30000;

class ProcessesTest : public RecordStoreTest {
 protected:
  // The records a child appends after the records already there.
  static std::vector<RecordImage> WithChildRecords(
      std::vector<RecordImage> records, int count) {
    for (int i = 0; i < count; ++i) records.push_back(ChildRecord(i));
    return records;
  }

  bool StartChild(ChildProcess& child, const std::vector<std::string>& args) {
    const std::string program = ChildProgram(kRecordFileChild);
    if (!FileExists(program)) {
      ADD_FAILURE() << "child program missing: " << program;
      return false;
    }
    if (!child.Start(program, args)) {
      ADD_FAILURE() << "cannot start " << program;
      return false;
    }
    return true;
  }

  // The file as the parent finds it after a child ended without closing:
  // the open walks it, and the close writes the index.
  void ExpectReindexedAtNextOpen(const std::string& path,
                                 const std::vector<RecordImage>& all) {
    const Bytes left = ReadFileBytes(path);
    ASSERT_GE(left.size(), 4u);
    // The appends reached beyond the old end: the end-of-data mark ends it.
    EXPECT_EQ(GetI16(left, left.size() - 4), 32767);
    EXPECT_EQ(GetI16(left, left.size() - 2), 32767);
    const int32_t h = DBOpen(path.c_str());
    ASSERT_GT(h, 0) << "the file a program left open must open again";
    EXPECT_EQ(DBGetNumRecord(static_cast<int16_t>(h)), all.size());
    std::vector<uint8_t> buf(400);
    for (size_t i = 0; i < all.size(); ++i) {
      const int32_t got =
          DBRead(static_cast<int16_t>(h), DB_WILDCARD, DB_WILDCARD,
                 static_cast<int32_t>(i), 400, buf.data());
      ASSERT_EQ(got, static_cast<int32_t>(all[i].data.size())) << i;
      EXPECT_EQ(Bytes(buf.begin(), buf.begin() + got), all[i].data) << i;
    }
    ASSERT_EQ(DBClose(static_cast<int16_t>(h)), DB_SUCCESS);
    EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(all));
  }
};

TEST_F(ProcessesTest, ProgramEndingWithoutClosingLosesNoAppendedRecord) {
  const std::string path = Path("quick.pro");
  const std::vector<RecordImage> before = {{1, 1, Text("before the child")},
                                           {2, 2, Text("also before")}};
  MakeRecordFile(path, before);
  ChildProcess child;
  ASSERT_TRUE(StartChild(child, {"append", path, "40", "quick-exit",
                                 Path("appended.marker")}));
  ASSERT_EQ(child.Wait(kTimeoutMs), kChildOk);
  ASSERT_TRUE(FileExists(Path("appended.marker")));
  ExpectReindexedAtNextOpen(path, WithChildRecords(before, 40));
}

TEST_F(ProcessesTest, KilledProgramLosesNoAppendedRecord) {
  const std::string path = Path("killed.pro");
  ChildProcess child;
  ASSERT_TRUE(StartChild(
      child, {"append", path, "25", "hang", Path("appended.marker")}));
  ASSERT_TRUE(WaitForFile(Path("appended.marker"), kTimeoutMs));
  child.Kill();
  ExpectReindexedAtNextOpen(path, WithChildRecords({}, 25));
}

TEST_F(ProcessesTest, ProgramReturningFromMainHasItsFileClosed) {
  const std::string path = Path("returned.pro");
  const std::vector<RecordImage> before = {{7, 7, Text("existing")}};
  MakeRecordFile(path, before);
  ChildProcess child;
  ASSERT_TRUE(StartChild(
      child, {"append", path, "30", "return", Path("appended.marker")}));
  ASSERT_EQ(child.Wait(kTimeoutMs), kChildOk);
  const Bytes bytes = ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(GetI16(bytes, bytes.size() - 4), 32765);
  EXPECT_EQ(GetI16(bytes, bytes.size() - 2), 32765);
  EXPECT_BYTES(bytes, BuildClosedFile(WithChildRecords(before, 30)));
}

TEST_F(ProcessesTest, ExclusiveHolderKeepsOtherProcessesOut) {
  const std::string path = Path("excl.pro");
  const std::vector<RecordImage> records = {{1, 1, Text("shared data")}};
  MakeRecordFile(path, records);
  InstalledFaults faults;  // any waiting is counted, not slept
  ChildProcess child;
  ASSERT_TRUE(StartChild(child, {"hold", "excl", path, Path("ready.marker"),
                                 Path("release.marker")}));
  ASSERT_TRUE(WaitForFile(Path("ready.marker"), kTimeoutMs));
  ASSERT_GT(std::atoi(ReadText(Path("ready.marker")).c_str()), 0);

  EXPECT_EQ(DBOpen(path.c_str()), -5);
  EXPECT_EQ(DBOpenReadOnly(path.c_str()), -5);
  EXPECT_EQ(DBOpenExcl(path.c_str()), -5);

  ASSERT_TRUE(WriteMarker(Path("release.marker"), "go"));
  ASSERT_EQ(child.Wait(kTimeoutMs), kChildOk);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
  const int32_t h = DBOpen(path.c_str());
  EXPECT_GT(h, 0);
  if (h > 0) DBClose(static_cast<int16_t>(h));
}

TEST_F(ProcessesTest, SharedHolderKeepsOutOnlyTheExclusiveOpen) {
  const std::string path = Path("shared.pro");
  const std::vector<RecordImage> records = {{1, 1, Text("shared data")}};
  MakeRecordFile(path, records);
  InstalledFaults faults;
  ChildProcess child;
  ASSERT_TRUE(StartChild(child, {"hold", "shared", path, Path("ready.marker"),
                                 Path("release.marker")}));
  ASSERT_TRUE(WaitForFile(Path("ready.marker"), kTimeoutMs));
  ASSERT_GT(std::atoi(ReadText(Path("ready.marker")).c_str()), 0);

  EXPECT_EQ(DBOpenExcl(path.c_str()), -5);
  // Shared opens may read at the same time.
  const int32_t h = DBOpen(path.c_str());
  ASSERT_GT(h, 0);
  uint8_t buf[32];
  EXPECT_EQ(DBRead(static_cast<int16_t>(h), 1, 1, 0, 32, buf), 11);
  EXPECT_EQ(DBClose(static_cast<int16_t>(h)), DB_SUCCESS);
  const int32_t reader = DBOpenReadOnly(path.c_str());
  EXPECT_GT(reader, 0);
  if (reader > 0) DBClose(static_cast<int16_t>(reader));

  ASSERT_TRUE(WriteMarker(Path("release.marker"), "go"));
  ASSERT_EQ(child.Wait(kTimeoutMs), kChildOk);
  const int32_t excl = DBOpenExcl(path.c_str());
  EXPECT_GT(excl, 0);
  if (excl > 0) DBClose(static_cast<int16_t>(excl));
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

}  // namespace
}  // namespace zbtest
