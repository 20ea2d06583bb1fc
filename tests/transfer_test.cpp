// Export of a position into a working file and import back, on a copy of
// the installation's project "Brücke Nord" (the working file's layout is
// compared with the installation's in working_file_test.cpp).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/transfer.h"
#include "transfer_fixture.h"

namespace zbtest {
namespace {

namespace ps = zb::projectstore;
using zb::recordstore::PosInfoExt;

class ExportImportTest : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    tmp_ = Path("DLT00001.TMP");
  }
  static ps::ProPosLong Tag(const std::string& name) {
    ps::ProPosLong pp{};
    SetText(pp.long_name, sizeof pp.long_name, name);
    pp.project = 1;
    return pp;
  }
  int32_t Export(const std::string& name, int32_t* error,
                 uint32_t flags = ps::kTransferQuiet) {
    ps::ProPosLong pp = Tag(name);
    return ps::ExportPosition(store(), project_, tmp_, kDlt, &pp, 5, nullptr,
                              error, flags);
  }
  int32_t Import(const std::string& name, int32_t* error,
                 uint32_t flags = ps::kTransferQuiet) {
    ps::ProPosLong pp = Tag(name);
    SetText(pp.designation, sizeof pp.designation, "Achse B, Geschoss 1");
    return ps::ImportPosition(store(), project_, tmp_, kDlt, pp, nullptr, 5,
                              nullptr, error, flags);
  }
  // Changes the working file with f(handle).
  template <typename F>
  void Edit(F f) {
    const int16_t w = Open(tmp_);
    f(w);
    DBClose(w);
  }
  std::string tmp_;
};

TEST_F(ExportImportTest, ExportFailuresAndDamage) {
  int32_t error = 0;
  const std::string real = project_;
  project_ = Path("missing.PRO");
  EXPECT_EQ(Export(kStuetze, &error), 0);
  EXPECT_EQ(error, -1);
  EXPECT_TRUE(LogHas("PosFct/uPosExport"));
  project_ = real;
  tmp_ = Path("no/such/folder/X.TMP");
  EXPECT_EQ(Export(kStuetze, &error), 0);
  EXPECT_EQ(error, -4);
  tmp_ = Path("DLT00001.TMP");

  // An empty position is -5 and stays unlocked.
  const int16_t h = Open(project_, DBOpenExcl);
  ASSERT_GT(ps::CreatePosition(store(), h, "Leer", "", kDlt), 0);
  // Recs says 12, the project holds 4 data records.
  PosInfoExt info{};
  const int32_t i = ps::FindPosition(store(), h, kStuetze, kDlt, &info);
  info.Recs = 12;
  ASSERT_GE(ps::WritePosInfo(store(), h, kDlt, uint32_t(i), info), 0);
  DBClose(h);
  EXPECT_EQ(Export("Leer", &error), 3);
  EXPECT_EQ(error, -5);
  EXPECT_EQ(Stored(project_, "Leer").Ctrl & ps::kCtrlLocked, 0);
  // A position the project does not hold: the header records of a new
  // one, and empty as well.
  EXPECT_EQ(Export("Fehlt", &error), 4);
  EXPECT_EQ(error, -5);
  EXPECT_EQ(Export(kStuetze, &error), 7);
  EXPECT_EQ(error, 0);
  // The damage is reported after the lock was taken.
  const std::string log = ReadText(log_);
  const size_t damaged = log.find(
      "#ERROR :POSITION St\xfctze ~ DOMAGED ? Read 4 from 12 records.");
  ASSERT_NE(damaged, std::string::npos);
  EXPECT_LT(log.rfind("Lock_On  'St\xfctze 12 Achse B'"), damaged);
}

TEST_F(ExportImportTest, RoundTripCarriesChangesCountsAndPages) {
  int32_t error = 1;
  ASSERT_EQ(Export(kStuetze, &error), 7);
  const std::vector<Rec> before = Records(project_);
  // The program changes its record (1, 11) and sets 4 pages from page 10.
  Edit([](int16_t w) {
    const char text[] = "Neue Last";
    ASSERT_GT(DBWrite(w, 1, 11, 0, sizeof text, text), 0);
    PosInfoExt info{};
    ASSERT_EQ(DBRead(w, kDlt, 30002, 1, sizeof info, &info), 248);
    info.page_start = 10;
    info.page_count = 4;
    ASSERT_GT(DBWrite(w, kDlt, 30002, 1, sizeof info, &info), 0);
  });
  EXPECT_EQ(Import(kStuetze, &error), 4 + 3);
  EXPECT_EQ(error, 0);
  const PosInfoExt info = Stored(project_, kStuetze);
  EXPECT_EQ(info.Recs, 4);
  EXPECT_EQ(info.Ctrl & ps::kCtrlLocked, 1);  // taken again
  const std::vector<Rec> now = Records(project_);
  EXPECT_EQ(Only(now, 30005, 0)[0].data, (Bytes{5, 0, 0, 0}));  // 1 + 4
  EXPECT_EQ(Only(now, 30006, 0)[0].data, (Bytes{14, 0}));
  EXPECT_EQ(Only(now, 1, kDlt).size(), 4u);  // overwritten, not added
  // Other positions and programs keep their records.
  EXPECT_TRUE(Only(now, 2, kDlt) == Only(before, 2, kDlt));
  EXPECT_TRUE(Only(now, 1, kDach) == Only(before, 1, kDach));

  ps::ReleaseOwnLock(store());
  ASSERT_EQ(Export(kStuetze, &error), 7);
  const std::vector<Rec> after = Only(Records(tmp_), 1, 11);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(Str(after[0].data.data(), after[0].data.size()), "Neue Last");
}

TEST_F(ExportImportTest, ImportOfAFileWithoutHeadersIsMinusTwo) {
  Edit([](int16_t w) { ASSERT_GT(DBWrite(w, 1, 10, -1, 2, "x"), 0); });
  int32_t error = 0;
  EXPECT_EQ(Import(kStuetze, &error), 0);
  EXPECT_EQ(error, -2);
  EXPECT_TRUE(LogHas("Position hat keine HeaderRekords!"));
}

}  // namespace
}  // namespace zbtest
