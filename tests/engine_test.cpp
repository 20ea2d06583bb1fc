// What the engine model does not reach: the handle table, second opens and
// handle look-ups, size limits, overwrite passes on read-only handles, the
// waits of the exclusive open, the log, writes the disk refuses, programs
// that end without closing, overwrite passes and nested searches.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/record_fixture.h"

namespace zbtest {
namespace {

using EngineTest = RecordStoreTest;
using Fault = zb::platform::FaultInjectingPlatform::Fault;

TEST_F(EngineTest, NineHandlesAtMostLowestFreeFirst) {
  auto path = [this](int i) { return Path("f" + std::to_string(i) + ".pro"); };
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(DBOpen(path(i).c_str()), i);
  EXPECT_EQ(DBOpen(path(10).c_str()), DB_STACKERR);
  EXPECT_FALSE(FileExists(path(10)));  // the refused open created nothing
  EXPECT_EQ(DBClose(4), DB_SUCCESS);
  EXPECT_EQ(DBClose(7), DB_SUCCESS);
  EXPECT_EQ(DBOpen(path(10).c_str()), 4);
  EXPECT_EQ(DBOpenReadOnly(path(4).c_str()), 7);
  EXPECT_EQ(DBOpen(path(11).c_str()), DB_STACKERR);
}

TEST_F(EngineTest, SecondOpensAndHandleLookUps) {
  // A path in lower case is refused a second time in any spelling.
  const std::string lower = ToLowerAscii(Path("lower.pro"));
  std::string upper = lower;
  upper.replace(upper.size() - 9, 9, "LOWER.PRO");  // the folder keeps its case
  const int16_t h = Open(lower);
  EXPECT_EQ(DBOpen(upper.c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBOpenReadOnly(lower.c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBOpenExcl(upper.c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBGetFileHnd(lower.c_str()), h);  // by the exact path only
  EXPECT_EQ(DBGetFileHnd(upper.c_str()), -1);
  // A mixed-case path opens again; the highest slot wins the look-up.
  const std::string mixed = Path("Mixed.pro");
  EXPECT_EQ(DBOpen(mixed.c_str()), 2);
  EXPECT_EQ(DBOpen(mixed.c_str()), 3);
  EXPECT_EQ(DBGetFileHnd(mixed.c_str()), 3);
  char name[1024];
  EXPECT_EQ(DBGetFileName(name, 2), 1);
  EXPECT_EQ(std::string(name), mixed);
  EXPECT_EQ(DBClose(3), DB_SUCCESS);
  EXPECT_EQ(DBGetFileHnd(mixed.c_str()), 2);
  EXPECT_EQ(DBGetFileName(name, 3), 0);
  EXPECT_EQ(name[0], '\0');
  // A file this process holds exclusively is still a second open for the
  // read-only open, not a file that may not be read.
  const std::string held = ToLowerAscii(Path("held.pro"));
  EXPECT_EQ(DBClose(Open(held)), DB_SUCCESS);
  const int16_t excl = Open(held, DBOpenExcl);
  EXPECT_EQ(DBOpenReadOnly(held.c_str()), DB_SECOND_OPEN);
  EXPECT_EQ(DBClose(excl), DB_SUCCESS);
}

TEST_F(EngineTest, RecordSizeLimits) {
  const std::string path = Path("size.pro");
  const int16_t h = Open(path);
  const Bytes big = Pattern(40000, 7);
  for (int16_t size : {0, -5, -32768, 32760, 32767}) {
    EXPECT_EQ(DBWrite(h, 1, 1, -1, size, big.data()), DB_RECLEN_OVERFLOW);
    EXPECT_EQ(DBWriteAdd(h, 1, 1, 0, size, big.data()), DB_RECLEN_OVERFLOW);
    EXPECT_EQ(DBWriteFar(h, 1, 1, 0, size, big.data()), DB_RECLEN_OVERFLOW);
    EXPECT_EQ(DBWriteAddFar(h, 1, 1, 0, size, big.data()), DB_RECLEN_OVERFLOW);
  }
  // A handle out of range is checked before the size, a closed one after.
  EXPECT_EQ(DBWrite(10, 1, 1, -1, 0, big.data()), DB_EOF);
  EXPECT_EQ(DBWriteFar(5, 1, 1, 0, 0, big.data()), DB_RECLEN_OVERFLOW);
  EXPECT_EQ(DBWrite(h, 1, 1, -1, 32759, big.data()), 32759);
  Bytes buf(40000);
  EXPECT_EQ(DBRead(h, 1, 1, 0, 32767, buf.data()), 32759);
  EXPECT_TRUE(std::equal(big.begin(), big.begin() + 32759, buf.begin()));
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_EQ(FileSize(path), 500 + 6 + 32759 + 4 + 8 + 4);
}

TEST_F(EngineTest, ReadOnlyHandleTakesNoOverwritePass) {
  // The model covers the other changes on read-only handles.
  const std::string path = Path("readonly.pro");
  MakeRecordFile(path, {{1, 1, Text("one")}, {2, 2, Text("two")}});
  const Bytes before = ReadFileBytes(path);
  const int16_t h = Open(path, DBOpenReadOnly);
  EXPECT_EQ(DBOverWrite(h, 4, 4, 3, "new"), 0);
  DBStartOverWrite(h, 2, 2);
  DBOverWrite(h, 2, 2, 3, "TWO");
  DBEndOverWrite();
  EXPECT_EQ(DBGetNumRecord(h), 2u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), before);
}

TEST_F(EngineTest, ExclusiveOpenWaitsForAWriteProtectedFile) {
  const std::string path = Path("protected.pro");
  MakeRecordFile(path, {{1, 1, Text("data")}});
  ASSERT_TRUE(SetWritable(path, false));
  InstalledFaults faults;
  EXPECT_EQ(DBOpenExcl(path.c_str()), DB_ACCESS_DENIED);  // four waits of 3 s
  EXPECT_EQ(faults->slept_ms(), 12000u);
  EXPECT_EQ(DBOpen(path.c_str()), DB_ACCESS_DENIED);  // at once
  EXPECT_EQ(DBClose(Open(path, DBOpenReadOnly)), DB_SUCCESS);
  ASSERT_TRUE(SetWritable(path, true));
  EXPECT_EQ(DBClose(Open(path, DBOpenExcl)), DB_SUCCESS);
  EXPECT_EQ(faults->slept_ms(), 12000u);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile({{1, 1, Text("data")}}));
}

TEST_F(EngineTest, MissingFilesAndTheLogEntryOfAFailedCreation) {
  const std::string log = Path("DBReport.Log");
  lib().log().set_path(log);
  auto logged = [&log] { return LogOf(log); };
  const std::string missing = Path("missing.pro");
  const std::string path = JoinPath(Path("no-such-folder"), "new.pro");
  for (const std::string& p : {missing, path}) {
    EXPECT_EQ(DBOpenReadOnly(p.c_str()), DB_EOF);
    EXPECT_EQ(DBOpenExcl(p.c_str()), DB_EOF);
  }
  EXPECT_EQ(DBOpen(path.c_str()), DB_OPENERR);
  EXPECT_FALSE(FileExists(path) || FileExists(missing));
  const std::string entry = logged();
  const std::string head =
      "\n### ERROR on creating : " + path +
      "\n### DBOpen(.. O_BINARY | O_RDWR, SH_DENYNO) = ENOENT "
      "\n### _sopen(" + path + "," +
      "\n###         O_Attr = O_BINARY | O_CREAT | O_RDWR "
      "\n###         S_Attr = SH_DENYNO"
      "\n###         pmode  = S_IREAD | S_IWRITE"
      "\n###        ) = errno ";
  EXPECT_EQ(entry.substr(0, head.size()), head);
  // Then the error number, and the system's text on its own line.
  const size_t text = entry.find("\n### :", head.size());
  ASSERT_NE(text, std::string::npos) << entry;
  const std::string number = entry.substr(head.size(), text - head.size());
  EXPECT_FALSE(number.empty());
  EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << entry;
  EXPECT_EQ(entry.substr(entry.size() - 2), " \n");
  EXPECT_EQ(DBOpen(missing.c_str()), 1);  // a creation that works: no entry
  EXPECT_EQ(logged(), entry);
}

TEST_F(EngineTest, AppendThatCannotBeWrittenIsNotAdded) {
  const std::string path = Path("full.pro");
  MakeRecordFile(path, {{1, 1, Text("first")}});
  InstalledFaults faults;
  const int16_t h = Open(path);
  // The disk refuses a write completely, then takes part of a record header.
  // (Write 1 is the first change's re-index mark over the closed mark.)
  faults->SpoilWrite(2, Fault::kFail);
  EXPECT_EQ(DBWrite(h, 2, 2, -1, 6, "second"), 0);
  faults->SpoilWrite(1, Fault::kShorten, 3);
  EXPECT_EQ(DBWrite(h, 2, 2, -1, 6, "second"), 0);
  EXPECT_EQ(DBGetNumRecord(h), 1u);
  uint8_t buf[8];
  EXPECT_EQ(DBRead(h, 2, 2, 0, 8, buf), DB_EOF);
  // The next append takes the place the failed ones did not get.
  faults->SpoilWrite(0, Fault::kNone);
  EXPECT_EQ(DBWrite(h, 3, 3, -1, 5, "third"), 5);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile({{1, 1, Text("first")}, {3, 3, Text("third")}}));
}

// Twenty records of four bytes: their index (160 bytes) is longer than a
// short record, so a short append stays inside the old index.
std::vector<RecordImage> Twenty() {
  std::vector<RecordImage> records;
  for (int16_t i = 1; i <= 20; ++i) records.push_back({i, i, Text("abcd")});
  return records;
}

TEST_F(EngineTest, ChangesOfAProgramThatEndsWithoutClosingAreFoundAgain) {
  const std::string path = Path("left.pro");
  std::vector<RecordImage> records = Twenty();
  MakeRecordFile(path, records);
  int16_t h = Open(path);
  // The first change turns the closed mark at the end into a re-index mark.
  ASSERT_EQ(DBDel(h, 5, 5, 0), 4);
  const Bytes open_file = ReadFileBytes(path);
  EXPECT_EQ(GetU32(open_file, open_file.size() - 4), 0x7FFE7FFEu);
  ASSERT_EQ(DBWrite(h, 99, 99, -1, 2, "ab"), 2);  // inside the old index
  ASSERT_EQ(DBStartOverWrite(h, 7, 7), DB_EOF);
  ASSERT_EQ(DBOverWrite(h, 7, 7, 4, "new!"), 1);
  ASSERT_EQ(DBStartOverWrite(h, 8, 8), DB_EOF);  // released, not rewritten
  DBChangeKeys(h, 1, 1, 3, 4);  // in the record header at once
  AbandonLibrary();             // ends without closing

  h = Open(path, DBOpenReadOnly);
  EXPECT_EQ(DBGetNumRecord(h), 21u);
  uint8_t buf[8] = {};
  for (int16_t gone : {1, 5, 8}) EXPECT_EQ(DBRead(h, gone, gone, 0, 8, buf), DB_EOF);
  EXPECT_EQ(DBRead(h, 3, 4, 0, 8, buf), 4);
  EXPECT_EQ(DBRead(h, 99, 99, 0, 8, buf), 2);
  EXPECT_EQ(DBRead(h, 7, 7, 0, 8, buf), 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "new!");
  EXPECT_EQ(DBClose(h), DB_SUCCESS);

  // Closed, then an append past the old end: the end-of-data mark is last.
  EXPECT_EQ(DBClose(Open(path)), DB_SUCCESS);
  records[0] = {3, 4, Text("abcd")};
  records[4].key1 = -5;
  records[6].data = Text("new!");
  records[7].key1 = -8;
  records.push_back({99, 99, Text("ab")});
  records.push_back({50, 50, Pattern(300, 9)});
  ASSERT_EQ(DBWrite(Open(path), 50, 50, -1, 300, records.back().data.data()),
            300);
  AbandonLibrary();
  h = Open(path);
  EXPECT_EQ(DBGetNumRecord(h), 22u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

TEST_F(EngineTest, ShortAppendOverAnOldIndexOfAnotherWriterKeepsTheOldIndex) {
  // As a writer that knows no re-index mark leaves the file: the closed
  // mark still ends it, the end-of-data mark has moved on. The old index is
  // read again and the file is left as it is, for the repair.
  const std::string path = Path("other.pro");
  const std::vector<RecordImage> records = Twenty();
  Bytes bytes = BuildClosedFile(records);
  const uint32_t end = GetU32(bytes, 492) - 4;
  const Bytes append = {99, 0, 99, 0, 2, 0, 'a', 'b', 0xFF, 0x7F, 0xFF, 0x7F};
  std::copy(append.begin(), append.end(), bytes.begin() + end);
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  const int16_t h = Open(path);
  EXPECT_EQ(DBGetNumRecord(h), 20u);
  char buf[8];
  EXPECT_LT(DBRead(h, 99, 99, 0, sizeof buf, buf), 0);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), bytes);
}

TEST_F(EngineTest, CloseCutShortAtAnyWriteLeavesAFileTheWalkReads) {
  // The close writes a re-index mark where the closed mark goes, the
  // index, the index header and the closed mark; stopping after any of
  // them must not leave a torn index to be trusted or refused.
  for (uint64_t k = 1; k <= 4; ++k) {
    for (const Fault fault : {Fault::kFail, Fault::kShorten}) {
      SCOPED_TRACE(k);
      const std::string path =
          Path("cut" + std::to_string(k) + "-" +
               std::to_string(static_cast<int>(fault)) + ".pro");
      std::vector<RecordImage> records = Twenty();
      MakeRecordFile(path, records);
      records.push_back({50, 50, Text("a longer record, past the old end")});
      {
        InstalledFaults faults;
        const int16_t h = Open(path);
        const RecordImage& r = records.back();
        ASSERT_EQ(DBWrite(h, r.key1, r.key2, -1, int16_t(r.data.size()),
                          r.data.data()), int32_t(r.data.size()));
        faults->SpoilWrite(k, fault, 5);
        ASSERT_EQ(DBClose(h), DB_SUCCESS);
      }
      const int16_t h = Open(path);
      EXPECT_EQ(DBGetNumRecord(h), records.size());
      ASSERT_EQ(DBClose(h), DB_SUCCESS);
      EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
    }
  }
}

TEST_F(EngineTest, IndexRebuiltAtOpenDoesNotOverwriteAnotherWritersIndex) {
  // Two handles walk the same unclosed file; the one that appends writes
  // its index, and the other, which only rebuilt its index, leaves it.
  const std::string path = Path("Shared.pro");  // mixed case: two handles
  std::vector<RecordImage> records = {{1, 1, Text("one")}, {2, 2, Text("two")}};
  ASSERT_TRUE(WriteFileBytes(path, BuildUnclosedFile(records)));
  const int16_t reader = Open(path);
  const int16_t writer = Open(path);
  ASSERT_NE(reader, writer);
  ASSERT_EQ(DBWrite(writer, 3, 3, -1, 5, "three"), 5);
  records.push_back({3, 3, Text("three")});
  ASSERT_EQ(DBClose(writer), DB_SUCCESS);
  ASSERT_EQ(DBClose(reader), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path), BuildClosedFile(records));
}

// Overwrite passes: a set of records saved again in the places of the old
// ones.
TEST_F(EngineTest, SizesOneHundredTwoHundredOneHundred) {
  const std::string path = Path("pass.pro");
  const int16_t h = Open(path);
  const Bytes old2 = Pattern(200, 2), other = Pattern(100, 4);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 100, Pattern(100, 1).data()), 100);
  ASSERT_EQ(DBWrite(h, 51, 7, -1, 100, other.data()), 100);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 200, old2.data()), 200);
  ASSERT_EQ(DBWrite(h, 50, 7, -1, 100, Pattern(100, 3).data()), 100);
  EXPECT_EQ(DBStartOverWrite(h, 50, 7), DB_EOF);  // the search ran out
  const Bytes new1 = Pattern(100, 11), new2 = Pattern(100, 12),
              new3 = Pattern(300, 13);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 100, new1.data()), 1);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 100, new2.data()), 1);
  EXPECT_EQ(DBOverWrite(h, 50, 7, 300, new3.data()), 0);
  EXPECT_EQ(DBEndOverWrite(), 200u);
  EXPECT_EQ(DBGetNumRecord(h), 5u);
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile({{50, 7, new1}, {51, 7, other}, {-50, 7, old2},
                                {50, 7, new2}, {50, 7, new3}}));
  EXPECT_EQ(DBEndOverWrite(), 200u);  // ending again keeps the figure
}

TEST_F(EngineTest, PlacesAreTakenOnceInOrderUnderAnyKeys) {
  const std::string path = Path("order.pro");
  const int16_t h = Open(path);
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "no"), 0);  // no pass: appended
  ASSERT_EQ(DBDel(h, 8, 8, 0), 2);
  for (const std::string s : {"aa", "bbb", "cc", "ddd", "ee"})
    ASSERT_EQ(DBWrite(h, 8, 8, -1, int16_t(s.size()), s.data()), int(s.size()));
  EXPECT_EQ(DBStartOverWrite(h, 8, 8), DB_EOF);
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "XXX"), 1);  // the place of "bbb"
  EXPECT_EQ(DBOverWrite(h, 3, 3, 2, "YY"), 1);   // "aa", under new keys
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "ZZ"), 1);   // "cc"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "WWW"), 1);  // "ddd"
  EXPECT_EQ(DBOverWrite(h, 8, 8, 3, "VVV"), 0);  // appended
  EXPECT_EQ(DBEndOverWrite(), 2u);               // "ee" left
  EXPECT_EQ(DBOverWrite(h, 8, 8, 2, "UU"), 0);   // the pass has ended
  ASSERT_EQ(DBClose(h), DB_SUCCESS);
  EXPECT_BYTES(ReadFileBytes(path),
               BuildClosedFile({{-8, 8, Text("no")}, {3, 3, Text("YY")},
                                {8, 8, Text("XXX")}, {8, 8, Text("ZZ")},
                                {8, 8, Text("WWW")}, {-8, 8, Text("ee")},
                                {8, 8, Text("VVV")}, {8, 8, Text("UU")}}));
  // A pass stops at a record that cannot be deleted (Key1 = 0).
  const int16_t z = Open(Path("zero.pro"));
  ASSERT_EQ(DBWrite(z, 0, 5, -1, 2, "z1"), 2);
  EXPECT_EQ(DBStartOverWrite(z, 0, 5), 0);
  EXPECT_EQ(DBOverWrite(z, 0, 5, 2, "z2"), 0);
  EXPECT_EQ(DBEndOverWrite(), 0u);
  EXPECT_EQ(DBGetNumRecord(z), 2u);
}

TEST_F(EngineTest, NestedSearchesRestoreEveryLevel) {
  const int16_t h = Open(Path("stack.pro"));
  const Bytes first = Pattern(100, 5);
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 100, first.data()), 100);
  for (int i = 0; i < 30; ++i) {
    const uint8_t v = uint8_t(i);
    ASSERT_EQ(DBWrite(h, 1, 1, -1, 1, &v), 1);
  }
  ASSERT_EQ(DBWrite(h, 2, 2, -1, 100, first.data()), 100);
  uint8_t buf[128];
  ASSERT_EQ(DBRead(h, 2, 2, 0, 40, buf), 40);
  ASSERT_EQ(DBPush(h), DB_SUCCESS);
  ASSERT_EQ(DBRead(h, 1, 1, 0, 4, buf), 1);  // 25 levels, each one further
  for (int level = 0; level < 25; ++level) {
    ASSERT_EQ(DBPush(h), DB_SUCCESS);
    ASSERT_EQ(DBReadNext(h, buf), 1);
    ASSERT_EQ(buf[0], level + 1);
  }
  EXPECT_EQ(DBPop(9), DB_EOF);  // a handle not open leaves the stack alone
  for (int level = 24; level >= 0; --level) {
    ASSERT_GT(DBPop(h), 0);
    ASSERT_EQ(DBReadNext(h, buf), 1);
    ASSERT_EQ(buf[0], level + 1) << level;
  }
  // The outer search: the unread rest of its record, then its keys and size.
  ASSERT_GT(DBPop(h), 0);
  EXPECT_EQ(DBReadRest(h, 100, buf), 60);
  EXPECT_EQ(Bytes(buf, buf + 60), Bytes(first.begin() + 40, first.end()));
  EXPECT_EQ(DBReadNext(h, buf), 40);
  EXPECT_EQ(DBPop(h), 0);  // an empty stack changes nothing
  EXPECT_EQ(DBReadNext(h, buf), DB_EOF);
}

}  // namespace
}  // namespace zbtest
