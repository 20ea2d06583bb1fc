// Positions and their locks, on copies of an installation's project file
// and on new project files.
#include <gtest/gtest.h>

#include <cstring>

#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "support/project_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::recordstore::PosInfoExt;

constexpr int16_t kDlt = 101;
constexpr int16_t kDach = 102;

class PositionsTest : public ProjectStoreTest {
 protected:
  // A writable copy of the installation's project "Brücke Nord".
  std::string FixtureCopy() {
    const std::string path = Path("PRO00001.PRO");
    EXPECT_TRUE(CopyFileTo(FixturePath("ZBStatik/Daten/PRO00001.PRO"), path));
    return path;
  }
  // A new, empty project file, opened exclusively.
  int16_t NewProject(const std::string& path) {
    EXPECT_EQ(DBClose(Open(path, DBOpen)), DB_SUCCESS);
    return Open(path, DBOpenExcl);
  }
  int32_t StoredSize(int16_t h, int16_t program, uint32_t n) {
    uint8_t buf[300];
    return DBRead(h, 30002, program, n, sizeof buf, buf);
  }
  PosInfoExt Find(int16_t h, const std::string& name, int16_t program,
                  int32_t expected_index) {
    PosInfoExt info{};
    EXPECT_EQ(ps::FindPosition(h, name, program, &info), expected_index)
        << name;
    return info;
  }

};

TEST_F(PositionsTest, FindsInstalledPositionsByLongNameIgnoringCase) {
  const int16_t h = Open(FixtureCopy(), DBOpenReadOnly);
  PosInfoExt p = Find(h, "St\xFCtze 12 Achse B", kDlt, 0);
  EXPECT_EQ(p.id, 1);
  EXPECT_EQ(Str(p.PosName, 10), "St\xFCtze ~");
  EXPECT_EQ(Str(p.Designation, 42), "Achse B, Geschoss 1");
  EXPECT_EQ(p.page_start, 5);
  EXPECT_EQ(p.page_count, 3);
  // Upper-case umlaut, DOS umlaut, surrounding blanks: the same position.
  EXPECT_EQ(Find(h, "ST\xDCTZE 12 ACHSE B", kDlt, 0).id, 1);
  EXPECT_EQ(Find(h, "st\x81tze 12 achse b", kDlt, 0).id, 1);
  EXPECT_EQ(Find(h, "  unterzug u1  ", kDlt, 1).id, 2);
  // The short name is not a long name; another program does not count.
  Find(h, "Unterzu~", kDlt, -1);
  Find(h, "Unterzug U1", kDach, -1);
  Find(h, "Unterzug U", kDlt, -1);
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, OldShortRecordIsWidenedWithItsDesignation) {
  const int16_t h = Open(FixtureCopy(), DBOpenReadOnly);
  EXPECT_EQ(StoredSize(h, kDach, 0), 116);
  const PosInfoExt p = Find(h, "DACH", kDach, 0);
  EXPECT_EQ(p.id, 1);
  EXPECT_EQ(p.id_copy, 1);
  EXPECT_EQ(Str(p.PosNameLong, 42), "Dach");
  EXPECT_EQ(Str(p.Designation, 42), "Dachstuhl");
  EXPECT_EQ(p.page_start + p.page_count + p.page_time, 0u);
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, StatesOfInstalledPositions) {
  const std::string path = FixtureCopy();
  PosInfoExt p{};
  EXPECT_EQ(ps::PositionStateOfFile(path, kDlt, "Unterzug U1", &p), 2);
  EXPECT_EQ(p.id, 2);
  EXPECT_EQ(ps::PositionStateOfFile(path, kDlt, "St\xFCtze 12 Achse B", &p), 1);
  EXPECT_EQ(ps::PositionStateOfFile(path, kDach, "Dach", nullptr), 1);
  EXPECT_EQ(ps::PositionStateOfFile(path, kDlt, "Dach", nullptr), 0);
  EXPECT_EQ(ps::PositionStateOfFile(Path("none.PRO"), kDlt, "Dach", nullptr), 0);
}

TEST_F(PositionsTest, LockOfAnotherUserIsReportedAndKept) {
  int h = Open(FixtureCopy(), DBOpenExcl);
  ps::LockRecord lock{};
  ASSERT_EQ(ps::ReadLockRecord(h, kDlt, 2, &lock), 538);
  EXPECT_EQ(Str(lock.user, 257), "mueller");
  EXPECT_EQ(Str(lock.computer, 16), "CAD-03");

  EXPECT_EQ(ps::CheckLockAndInform(&h, kDlt, "Unterzug U1", true), 1);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(ps::CheckLockAndInform(&h, kDlt, "Unterzug U1", false), 1);
  ASSERT_EQ(ui_.messages().size(), 1u);
  const env::ShownMessage& m = ui_.messages()[0];
  char since[32];
  const time_t t = lock.time;
  std::strftime(since, sizeof since, "%d.%m.%Y %H:%M:%S", std::gmtime(&t));
  EXPECT_EQ(m.text,
            "Position 'Unterzug U1' ist schreibgesch\xFCtzt!\n"
            "Benutzerdaten \n\t Name: mueller\n"
            "\t Rechner : CAD-03\n"
            "\t seit    : " + std::string(since) + "\n"
            "\t TmpDatei: " + Str(lock.working_file, 261) + "\n"
            "Die Position kann gelesen, verarbeitet und unter einem neuen oder "
            "einem nicht schreibgech\xFCtzten Positionsnamen gesichert werden.");
  EXPECT_EQ(m.caption, "ZB_Datenverwaltung ");
  EXPECT_EQ(m.icon, env::Icon::kInformation);
  EXPECT_EQ(ps::CheckLockAndInform(&h, kDlt, "St\xFCtze 12 Achse B", false), 0);

  // Lock_On refuses and names the holder in the log.
  EXPECT_EQ(ps::LockOn(h, 0, kDlt, "Unterzug U1"), 0);
  EXPECT_EQ(ps::OwnLock().state, 0);
  const std::string log = ReadText(log_);
  EXPECT_NE(log.find("Position 'Unterzug U1' ist in Benutzung, daher "
                     "schreibgesch\xFCtzt!"), std::string::npos) << log;
  EXPECT_NE(log.find("mueller"), std::string::npos);
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, LockOnRewritesAnOldRecordAtTheEnd) {
  const int16_t h = Open(FixtureCopy(), DBOpenExcl);
  // A second DACH position first, so the move to the end shows.
  ASSERT_EQ(ps::CreatePosition(h, "Kehlbalken", "", kDach), 2);
  EXPECT_EQ(ps::LockOn(h, 0, kDach, "Dach"), 1);
  EXPECT_EQ(StoredSize(h, kDach, 0), 248);
  EXPECT_EQ(StoredSize(h, kDach, 1), 248);
  const PosInfoExt p = Find(h, "Dach", kDach, 1);
  EXPECT_EQ(p.Ctrl & 1, 1);
  EXPECT_EQ(Str(p.Designation, 42), "Dachstuhl");
  ps::LockRecord lock{};
  ASSERT_EQ(ps::ReadLockRecord(h, kDach, 1, &lock), 538);
  EXPECT_EQ(Str(lock.user, 257) + "|" + Str(lock.computer, 16), "anna|CAD-01");
  EXPECT_EQ(ps::LockedForMe(h, 0), 1);
  EXPECT_EQ(ps::LockOff(h, kDach, "Dach"), 1);
  EXPECT_EQ(Find(h, "Dach", kDach, 1).Ctrl & 1, 0);
  EXPECT_EQ(ps::ReadLockRecord(h, kDach, 1, &lock), 538);  // the record stays
  EXPECT_EQ(ps::LockedForMe(h, 0), 0);
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, IdsAreNeverGivenTwice) {
  const int16_t h = NewProject(Path("PRO00009.PRO"));
  EXPECT_EQ(ps::CreatePosition(h, "Eins", "erste", kDlt), 1);
  EXPECT_EQ(ps::CreatePosition(h, "Zwei", "", kDlt), 2);
  EXPECT_EQ(ps::CreatePosition(h, "Eins", "", kDach), 1);  // per program
  ASSERT_EQ(DBDel(h, 30002, kDlt, 1), 248);  // its size
  EXPECT_EQ(ps::CreatePosition(h, "Drei", "", kDlt), 3);
  const PosInfoExt p = Find(h, "eins", kDlt, 0);
  EXPECT_EQ(Str(p.Msg, 40), "erste");
  EXPECT_EQ(p.id_copy, 1);
  EXPECT_NE(p.created, 0u);
  EXPECT_EQ(p.created, p.saved);
  EXPECT_EQ(ps::CreatePosition(0, "x", "", kDlt), -2);
  EXPECT_EQ(ps::CreatePosition(7, "x", "", kDlt), -2);
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, ShortNamesStayUniqueAndKeepTheirLength) {
  const int16_t h = NewProject(Path("PRO00009.PRO"));
  const char* const names[] = {"Stuetze12", "Stuetze13", "stuetze14",
                               "Kurz", "Achtzehn"};
  const char* const shorts[] = {"Stuetze~", "Stuetz~1", "stuetz~2", "Kurz",
                                "Achtzehn"};
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(ps::CreatePosition(h, names[i], "", kDlt), i + 1);
    EXPECT_EQ(Str(Find(h, names[i], kDlt, i).PosName, 10), shorts[i]);
  }
  // Another program has its own short names.
  ASSERT_EQ(ps::CreatePosition(h, "Stuetze12", "", kDach), 1);
  EXPECT_EQ(Str(Find(h, "Stuetze12", kDach, 0).PosName, 10), "Stuetze~");
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

class PositionLocksTest : public PositionsTest {
 protected:
  void SetUp() override {
    PositionsTest::SetUp();
    path_ = Path("PRO00009.PRO");
    h_ = NewProject(path_);
    ASSERT_EQ(ps::CreatePosition(h_, "Rahmen R1", "", kDlt), 1);
    ASSERT_EQ(ps::CreatePosition(h_, "Rahmen R2", "", kDlt), 2);
  }
  bool Locked(const std::string& name) {
    return (Find(h_, name, kDlt, name == "Rahmen R1" ? 0 : 1).Ctrl & 1) != 0;
  }
  // Another run of a program: same file, but this process's block is gone.
  void ForgetOwnLock() { ps::ResetOwnLockForTests(); }
  std::string path_;
  int h_ = 0;
};

TEST_F(PositionLocksTest, OwnLockRoundTrip) {
  EXPECT_EQ(ps::LockOn(h_, 0, kDlt, "rahmen r1"), 1);
  EXPECT_TRUE(Locked("Rahmen R1"));
  EXPECT_FALSE(Locked("Rahmen R2"));
  EXPECT_EQ(ps::PositionState(h_, kDlt, "Rahmen R1", nullptr), 1);
  EXPECT_EQ(ps::CheckLockAndInform(&h_, kDlt, "Rahmen R1", false), 0);
  EXPECT_EQ(ps::LockOn(h_, 0, kDlt, "Rahmen R1"), 1);  // again: still mine
  EXPECT_EQ(ps::LockedForMe(h_, 0), 1);
  EXPECT_EQ(ps::LockOff(h_, kDlt, "Rahmen R1"), 1);
  EXPECT_FALSE(Locked("Rahmen R1"));
  EXPECT_EQ(ps::OwnLock().state, 0);
  EXPECT_EQ(ps::LockOn(h_, 0, kDlt, "Rahmen R9"), -1);
  EXPECT_EQ(ps::LockOff(h_, kDlt, "Rahmen R9"), 0);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(PositionLocksTest, LeftOverLockOfTheSameUserIsRemovedOnlyOnYes) {
  ASSERT_EQ(ps::LockOn(h_, 0, kDlt, "Rahmen R1"), 1);
  ForgetOwnLock();
  EXPECT_EQ(ps::PositionState(h_, kDlt, "Rahmen R1", nullptr), 2);
  EXPECT_EQ(ps::LockedForMe(h_, 0), 0);
  EXPECT_EQ(ps::CheckLockAndInform(&h_, kDlt, "Rahmen R1", true), 1);
  EXPECT_TRUE(ui_.messages().empty());  // quiet: no question
  ui_.QueueAnswer(env::Answer::kNo);
  EXPECT_EQ(ps::CheckLockAndInform(&h_, kDlt, "Rahmen R1", false), 1);
  EXPECT_TRUE(Locked("Rahmen R1"));
  ASSERT_EQ(ui_.messages().size(), 1u);
  const std::string& text = ui_.messages()[0].text;
  EXPECT_EQ(text.substr(text.size() - 41),
            "\n\nWollen Sie den Schreibschutz entfernen?");
  EXPECT_EQ(ui_.messages()[0].buttons, env::Buttons::kYesNo);
  ui_.QueueAnswer(env::Answer::kYes);
  EXPECT_EQ(ps::CheckLockAndInform(&h_, kDlt, "Rahmen R1", false), 0);
  EXPECT_FALSE(Locked("Rahmen R1"));
}

TEST_F(PositionLocksTest, StaleBitIsClearedAlsoThroughAReadOnlyHandle) {
  EXPECT_EQ(ps::LockAll(h_, kDlt), 2);
  EXPECT_TRUE(Locked("Rahmen R1"));
  EXPECT_TRUE(Locked("Rahmen R2"));
  ASSERT_EQ(DBClose(h_), DB_SUCCESS);
  h_ = Open(path_, DBOpenReadOnly);
  EXPECT_EQ(ps::CheckLockAndInform(&h_, kDlt, "Rahmen R2", false), 0);
  ASSERT_GT(h_, 0);
  EXPECT_TRUE(Locked("Rahmen R1"));
  EXPECT_FALSE(Locked("Rahmen R2"));
  EXPECT_TRUE(ui_.messages().empty());
  ASSERT_EQ(DBClose(h_), DB_SUCCESS);
  h_ = Open(path_, DBOpenExcl);
  EXPECT_EQ(ps::UnlockAll(h_, kDlt), 2);
  EXPECT_FALSE(Locked("Rahmen R1"));
  EXPECT_EQ(ps::UnlockAll(h_, kDach), 0);
}

TEST_F(PositionLocksTest, UnknownUserGetsTheShortMessage) {
  ps::LockRecord lock{};
  lock.time = 1;
  std::strcpy(lock.user, "unbekannt");
  std::strcpy(lock.computer, "X");
  ASSERT_EQ(ps::LockAll(h_, kDlt), 2);
  ASSERT_EQ(DBWrite(h_, kDlt, 2, -1, sizeof lock, &lock), 538);
  EXPECT_EQ(ps::CheckLockAndInform(&h_, kDlt, "Rahmen R2", false), 1);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Position 'Rahmen R2' ist schreibgesch\xFCtzt!\n"
            "Benutzerdaten \n\t Name: unbekannt\n"
            "Die Position kann gelesen, verarbeitet und unter einem neuen oder "
            "einem nicht schreibgech\xFCtzten Positionsnamen gesichert werden.");
}

TEST_F(PositionLocksTest, ReleaseOwnLockThroughTheRememberedPaths) {
  const std::string work = Path("DLT00001.TMP");
  const int16_t w = Open(work, DBOpen);
  EXPECT_EQ(ps::LockOn(h_, w, kDlt, "Rahmen R2"), 1);
  EXPECT_EQ(Str(ps::OwnLock().block.working_file, 261), work);
  ASSERT_EQ(DBClose(w), DB_SUCCESS);
  ASSERT_EQ(DBClose(h_), DB_SUCCESS);
  EXPECT_EQ(ps::ReleaseOwnLock(), 1);
  EXPECT_EQ(ps::ReleaseOwnLock(), 0);  // nothing held any more
  h_ = Open(path_, DBOpenReadOnly);
  EXPECT_FALSE(Locked("Rahmen R2"));
}

TEST_F(PositionLocksTest, UnlockAllForgetsTheOwnLockOfThatFile) {
  ASSERT_EQ(ps::LockOn(h_, 0, kDlt, "Rahmen R1"), 1);
  EXPECT_EQ(ps::UnlockAll(h_, kDlt), 2);
  EXPECT_EQ(ps::OwnLock().state, 0);
  EXPECT_EQ(ps::LockedForMe(h_, 0), 0);
}

}  // namespace
}  // namespace zbtest
