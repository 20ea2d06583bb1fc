// Moving positions between a project and working files, on copies of an
// installation's project "Brücke Nord" and against its working file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <tuple>

#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/transfer.h"
#include "support/project_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::PosInfoExt;

constexpr int16_t kDlt = 101;
const char kStuetze[] = "St\xfctze 12 Achse B";
const char kUnterzug[] = "Unterzug U1";

struct Rec {
  int16_t k1, k2;
  Bytes data;
  bool operator==(const Rec& o) const {
    return std::tie(k1, k2, data) == std::tie(o.k1, o.k2, o.data);
  }
};

class TransferTest : public ProjectStoreTest {
 protected:
  void SetUp() override {
    ProjectStoreTest::SetUp();
    project_ = Path("PRO00001.PRO");
    tmp_ = Path("DLT00001.TMP");
    ASSERT_TRUE(
        CopyFileTo(FixturePath("ZBStatik/Daten/PRO00001.PRO"), project_));
  }
  static ps::ProPosLong Request(const std::string& name) {
    ps::ProPosLong pp{};
    SetText(pp.long_name, sizeof pp.long_name, name);
    pp.project = 1;
    return pp;
  }
  int32_t Export(const std::string& name, int32_t* error,
                 uint32_t flags = ps::kTransferQuiet) {
    ps::ProPosLong pp = Request(name);
    return ps::ExportPosition(project_, tmp_, kDlt, &pp, 5, nullptr, error,
                              flags);
  }
  int32_t Import(const std::string& name, int32_t* error,
                 uint32_t flags = ps::kTransferQuiet) {
    ps::ProPosLong pp = Request(name);
    SetText(pp.designation, sizeof pp.designation, "Achse B, Geschoss 1");
    return ps::ImportPosition(project_, tmp_, kDlt, pp, nullptr, 5, nullptr,
                              error, flags);
  }
  // Every live record in append order.
  std::vector<Rec> Records(const std::string& path) {
    std::vector<Rec> out;
    const int16_t h = Open(path, DBOpenReadOnly);
    std::vector<uint8_t> buf(32759);
    int32_t n = DBRead(h, 32762, 32762, 0, int16_t(buf.size()), buf.data());
    while (n >= 0) {
      int16_t k1 = 0, k2 = 0;
      DBGetKeys(&k1, &k2);
      if (k1 >= 0) out.push_back({k1, k2, Bytes(buf.begin(), buf.begin() + n)});
      n = DBReadNext(h, buf.data());
    }
    DBClose(h);
    return out;
  }
  std::vector<Rec> Only(const std::vector<Rec>& all, int16_t k1, int16_t k2) {
    std::vector<Rec> out;
    for (const Rec& r : all)
      if (r.k1 == k1 && r.k2 == k2) out.push_back(r);
    return out;
  }
  PosInfoExt Stored(const std::string& name) {
    const int16_t h = Open(project_, DBOpenReadOnly);
    PosInfoExt info{};
    EXPECT_GE(ps::FindPosition(h, name, kDlt, &info), 0);
    DBClose(h);
    return info;
  }
  std::string LogText() {
    std::ifstream in(log_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string project_, tmp_;
};

// --- Export ----------------------------------------------------------------

TEST_F(TransferTest, ExportMatchesTheInstallationsWorkingFile) {
  int32_t error = 1;
  EXPECT_EQ(Export(kStuetze, &error), 7);  // 4 data records + 3 headers
  EXPECT_EQ(error, 0);
  const std::vector<Rec> expected =
      Records(FixturePath("ZBStatik/TMP/DLT00001.TMP"));
  const std::vector<Rec> got = Records(tmp_);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_TRUE(got[i] == expected[i]) << "record " << i;
  // The lock is taken in the project after the copy, not in the copy.
  EXPECT_EQ(Stored(kStuetze).Ctrl & ps::kCtrlLocked, 1);
  EXPECT_EQ(ps::OwnLock().state, 1);
}

TEST_F(TransferTest, ExportWithoutLockLeavesTheProjectAsItWas) {
  int32_t error = 1;
  EXPECT_EQ(Export(kStuetze, &error, 5), 7);
  EXPECT_EQ(Stored(kStuetze).Ctrl & ps::kCtrlLocked, 0);
  EXPECT_EQ(ps::OwnLock().state, 0);
}

TEST_F(TransferTest, ExportOfAPositionLockedByAnotherMarksTheCopy) {
  int32_t error = 1;
  EXPECT_EQ(Export(kUnterzug, &error), 6);  // 3 data records + 3 headers
  EXPECT_EQ(error, 0);
  const std::vector<Rec> longs = Only(Records(tmp_), kDlt, 30002);
  ASSERT_EQ(longs.size(), 2u);
  EXPECT_EQ(longs[1].data[2] & 1, 1);
  EXPECT_EQ(ps::OwnLock().state, 0);
}

TEST_F(TransferTest, ExportOfANewPositionWritesOnlyTheHeaders) {
  int32_t error = 1;
  EXPECT_EQ(Export("Neuer Balken", &error), 4);
  EXPECT_EQ(error, 0);
  const std::vector<Rec> recs = Records(tmp_);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[3].k2, 30000);
  PROPOS tag{};
  std::memcpy(&tag, recs[3].data.data(), sizeof tag);
  EXPECT_EQ(Str(tag.PosName, 10), "Neuer Ba~");
  EXPECT_EQ(tag.number1, 1);
}

TEST_F(TransferTest, ExportFailures) {
  int32_t error = 0;
  const std::string real = project_;
  project_ = Path("missing.PRO");
  EXPECT_EQ(Export(kStuetze, &error), 0);
  EXPECT_EQ(error, -1);
  EXPECT_NE(LogText().find("PosFct/uPosExport"), std::string::npos);
  project_ = real;
  tmp_ = Path("no/such/folder/X.TMP");
  EXPECT_EQ(Export(kStuetze, &error), 0);
  EXPECT_EQ(error, -4);
}

TEST_F(TransferTest, ExportOfAnEmptyPositionIsMinusFiveAndUnlocked) {
  const int16_t h = Open(project_, DBOpenExcl);
  ASSERT_GT(ps::CreatePosition(h, "Leer", "", kDlt), 0);
  DBClose(h);
  int32_t error = 0;
  EXPECT_EQ(Export("Leer", &error), 3);
  EXPECT_EQ(error, -5);
  EXPECT_EQ(Stored("Leer").Ctrl & ps::kCtrlLocked, 0);
}

TEST_F(TransferTest, ExportOfAShortPositionLogsItDamaged) {
  const int16_t h = Open(project_, DBOpenExcl);
  PosInfoExt info{};
  const int32_t i = ps::FindPosition(h, kStuetze, kDlt, &info);
  info.Recs = 12;
  ASSERT_GE(ps::WritePosInfo(h, kDlt, uint32_t(i), info), 0);
  DBClose(h);
  int32_t error = 1;
  EXPECT_EQ(Export(kStuetze, &error), 7);
  EXPECT_EQ(error, 0);
  EXPECT_NE(LogText().find("#ERROR :POSITION St\xfctze ~ DOMAGED ? Read 4 from "
                           "12 records."),
            std::string::npos);
}

// --- Import ----------------------------------------------------------------

TEST_F(TransferTest, RoundTripCarriesAChangeAndLeavesOthersAlone) {
  int32_t error = 1;
  ASSERT_EQ(Export(kStuetze, &error), 7);
  const std::vector<Rec> before = Records(project_);
  // The program changes its record (1, 11).
  {
    const int16_t w = Open(tmp_);
    const char text[] = "Neue Last";
    ASSERT_GT(DBWrite(w, 1, 11, 0, sizeof text, text), 0);
    DBClose(w);
  }
  EXPECT_EQ(Import(kStuetze, &error), 4 + 3);
  EXPECT_EQ(error, 0);
  const PosInfoExt info = Stored(kStuetze);
  EXPECT_EQ(info.Recs, 4);
  EXPECT_EQ(info.Ctrl & ps::kCtrlLocked, 1);  // taken again
  std::remove(tmp_.c_str());
  ps::ReleaseOwnLock();
  ASSERT_EQ(Export(kStuetze, &error), 7);
  const std::vector<Rec> after = Only(Records(tmp_), 1, 11);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(Str(after[0].data.data(), after[0].data.size()), "Neue Last");
  // Other positions and programs keep their records.
  const std::vector<Rec> now = Records(project_);
  for (int16_t k : {int16_t(2), int16_t(1)}) {
    const int16_t prog = k == 2 ? kDlt : int16_t(102);
    EXPECT_EQ(Only(now, k, prog).size() + 0, Only(before, k, prog).size());
    EXPECT_TRUE(Only(now, k, prog) == Only(before, k, prog));
  }
}

TEST_F(TransferTest, ImportCountsObsoleteRecordsAndRaisesThePages) {
  int32_t error = 1;
  ASSERT_EQ(Export(kStuetze, &error), 7);
  {
    // Start page 10, 4 pages: the next free page becomes 14.
    const int16_t w = Open(tmp_);
    PosInfoExt info{};
    ASSERT_EQ(DBRead(w, kDlt, 30002, 1, sizeof info, &info), 248);
    info.page_start = 10;
    info.page_count = 4;
    ASSERT_GT(DBWrite(w, kDlt, 30002, 1, sizeof info, &info), 0);
    DBClose(w);
  }
  EXPECT_EQ(Import(kStuetze, &error), 7);
  const std::vector<Rec> recs = Records(project_);
  const std::vector<Rec> counter = Only(recs, 30005, 0);
  ASSERT_EQ(counter.size(), 1u);
  EXPECT_EQ(counter[0].data, (Bytes{5, 0, 0, 0}));  // 1 + 4 released
  const std::vector<Rec> page = Only(recs, 30006, 0);
  ASSERT_EQ(page.size(), 1u);
  EXPECT_EQ(page[0].data, (Bytes{14, 0}));
  EXPECT_EQ(Only(recs, 1, kDlt).size(), 4u);  // overwritten, not added
}

TEST_F(TransferTest, ImportIntoAPositionLockedByAnotherWritesNothing) {
  int32_t error = 1;
  ASSERT_EQ(Export(kUnterzug, &error), 6);
  const std::vector<Rec> before = Records(project_);
  EXPECT_EQ(Import(kUnterzug, &error), 0);
  EXPECT_EQ(error, -5);
  EXPECT_TRUE(Records(project_) == before);
}

TEST_F(TransferTest, ImportOfAFileWithoutHeadersIsMinusTwo) {
  {
    const int16_t w = Open(tmp_);
    const char text[] = "x";
    ASSERT_GT(DBWrite(w, 1, 10, -1, sizeof text, text), 0);
    DBClose(w);
  }
  int32_t error = 0;
  EXPECT_EQ(Import(kStuetze, &error), 0);
  EXPECT_EQ(error, -2);
  EXPECT_NE(LogText().find("Position hat keine HeaderRekords!"),
            std::string::npos);
}

TEST_F(TransferTest, ImportOfANewPositionCreatesIt) {
  int32_t error = 1;
  ASSERT_EQ(Export("Neuer Balken", &error), 4);
  {
    const int16_t w = Open(tmp_);
    const char text[] = "Feld 1";
    ASSERT_GT(DBWrite(w, 1, 10, -1, sizeof text, text), 0);
    DBClose(w);
  }
  EXPECT_EQ(Import("Neuer Balken", &error, 5), 2 + 3);
  EXPECT_EQ(error, 0);
  const PosInfoExt info = Stored("Neuer Balken");
  EXPECT_EQ(info.id, 3);  // ids are never reused
  EXPECT_EQ(info.Recs, 2);
  EXPECT_EQ(info.Ctrl & ps::kCtrlLocked, 0);
}

}  // namespace
}  // namespace zbtest
