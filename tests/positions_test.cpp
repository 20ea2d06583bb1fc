// Positions and their locks, on copies of an installation's project file
// and on new project files.
#include "projectstore/positions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "projectstore/position_edit.h"
#include "projectstore/position_index.h"
#include "projectstore/position_locks.h"
#include "recordstore/engine.h"
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
    EXPECT_EQ(ps::FindPosition(store(), h, name, program, &info),
              expected_index)
        << name;
    return info;
  }

};

TEST_F(PositionsTest, FindsPositionsIgnoringCaseAndWidensOldRecords) {
  const int16_t h = Open(FixtureCopy(), DBOpenReadOnly);
  PosInfoExt p = Find(h, "St\xFCtze 12 Achse B", kDlt, 0);
  EXPECT_EQ(p.id, 1);
  EXPECT_EQ(Str(p.PosName, 10), "St\xFCtze ~");
  EXPECT_EQ(Str(p.Designation, 42), "Achse B, Geschoss 1");
  EXPECT_EQ(Pages(p), "5+3 @");
  // Upper-case umlaut, DOS umlaut, surrounding blanks: the same position.
  EXPECT_EQ(Find(h, "ST\xDCTZE 12 ACHSE B", kDlt, 0).id, 1);
  EXPECT_EQ(Find(h, "st\x81tze 12 achse b", kDlt, 0).id, 1);
  EXPECT_EQ(Find(h, "  unterzug u1  ", kDlt, 1).id, 2);
  // The short name is not a long name; another program does not count.
  Find(h, "Unterzu~", kDlt, -1);
  Find(h, "Unterzug U1", kDach, -1);
  Find(h, "Unterzug U", kDlt, -1);

  // An old short record is found widened, with its designation.
  EXPECT_EQ(StoredSize(h, kDach, 0), 116);
  p = Find(h, "DACH", kDach, 0);
  EXPECT_EQ(p.id, 1);
  EXPECT_EQ(p.id_copy, 1);
  EXPECT_EQ(Str(p.PosNameLong, 42), "Dach");
  EXPECT_EQ(Str(p.Designation, 42), "Dachstuhl");
  EXPECT_EQ(Pages(p), "0+0");
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, LockOfAnotherUserIsReportedAndKept) {
  int h = Open(FixtureCopy(), DBOpenExcl);
  ps::LockRecord lock{};
  ASSERT_EQ(ps::ReadLockRecord(store(), h, kDlt, 2, &lock), 538);
  EXPECT_EQ(Str(lock.user, 257), "mueller");
  EXPECT_EQ(Str(lock.computer, 16), "CAD-03");

  EXPECT_EQ(ps::CheckLockAndInform(store(), &h, kDlt, "Unterzug U1", true), 1);
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(ps::CheckLockAndInform(store(), &h, kDlt, "Unterzug U1", false), 1);
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
  EXPECT_EQ(
      ps::CheckLockAndInform(store(), &h, kDlt, "St\xFCtze 12 Achse B", false),
      0);

  // Lock_On refuses and names the holder in the log.
  EXPECT_EQ(ps::LockOn(store(), h, 0, kDlt, "Unterzug U1"), 0);
  EXPECT_EQ(lib().context().position_lock.state, 0);
  EXPECT_TRUE(
      LogHas("Position 'Unterzug U1' ist in Benutzung, daher "
             "schreibgesch\xFCtzt!"));
  EXPECT_TRUE(LogHas("mueller"));
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, LockOnRewritesAnOldRecordAtTheEnd) {
  const int16_t h = Open(FixtureCopy(), DBOpenExcl);
  // A second DACH position first, so the move to the end shows.
  ASSERT_EQ(ps::CreatePosition(store(), h, "Kehlbalken", "", kDach), 2);
  EXPECT_EQ(ps::LockOn(store(), h, 0, kDach, "Dach"), 1);
  EXPECT_EQ(StoredSize(h, kDach, 0), 248);
  EXPECT_EQ(StoredSize(h, kDach, 1), 248);
  const PosInfoExt p = Find(h, "Dach", kDach, 1);
  EXPECT_EQ(p.Ctrl & 1, 1);
  EXPECT_EQ(Str(p.Designation, 42), "Dachstuhl");
  ps::LockRecord lock{};
  ASSERT_EQ(ps::ReadLockRecord(store(), h, kDach, 1, &lock), 538);
  EXPECT_EQ(Str(lock.user, 257) + "|" + Str(lock.computer, 16), "anna|CAD-01");
  EXPECT_EQ(ps::LockedForMe(store(), h, 0), 1);
  EXPECT_EQ(ps::LockOff(store(), h, kDach, "Dach"), 1);
  EXPECT_EQ(Find(h, "Dach", kDach, 1).Ctrl & 1, 0);
  EXPECT_EQ(ps::ReadLockRecord(store(), h, kDach, 1, &lock),
            538);  // the record stays
  EXPECT_EQ(ps::LockedForMe(store(), h, 0), 0);
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, IdsAreNeverGivenTwice) {
  const int16_t h = NewProject(Path("PRO00009.PRO"));
  EXPECT_EQ(ps::CreatePosition(store(), h, "Eins", "erste", kDlt), 1);
  EXPECT_EQ(ps::CreatePosition(store(), h, "Zwei", "", kDlt), 2);
  EXPECT_EQ(ps::CreatePosition(store(), h, "Eins", "", kDach),
            1);                              // per program
  ASSERT_EQ(DBDel(h, 30002, kDlt, 1), 248);  // its size
  EXPECT_EQ(ps::CreatePosition(store(), h, "Drei", "", kDlt), 3);
  const PosInfoExt p = Find(h, "eins", kDlt, 0);
  EXPECT_EQ(Str(p.Msg, 40), "erste");
  EXPECT_EQ(p.id_copy, 1);
  EXPECT_NE(p.created, 0u);
  EXPECT_EQ(p.created, p.saved);
  EXPECT_EQ(ps::CreatePosition(store(), 0, "x", "", kDlt), -2);
  EXPECT_EQ(ps::CreatePosition(store(), 7, "x", "", kDlt), -2);
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

TEST_F(PositionsTest, ShortNamesStayUniqueAndKeepTheirLength) {
  const int16_t h = NewProject(Path("PRO00009.PRO"));
  const char* const names[] = {"Stuetze12", "Stuetze13", "stuetze14",
                               "Kurz", "Achtzehn"};
  const char* const shorts[] = {"Stuetze~", "Stuetz~1", "stuetz~2", "Kurz",
                                "Achtzehn"};
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(ps::CreatePosition(store(), h, names[i], "", kDlt), i + 1);
    EXPECT_EQ(Str(Find(h, names[i], kDlt, i).PosName, 10), shorts[i]);
  }
  // Another program has its own short names.
  ASSERT_EQ(ps::CreatePosition(store(), h, "Stuetze12", "", kDach), 1);
  EXPECT_EQ(Str(Find(h, "Stuetze12", kDach, 0).PosName, 10), "Stuetze~");
  EXPECT_EQ(DBClose(h), DB_SUCCESS);
}

// The walk the index stands in for: every POSINFO of the program in order.
int32_t ScanFind(int h, const std::string& name, int16_t program) {
  const std::string wanted = ps::PositionCompareName(name);
  uint32_t n = 0;
  PosInfoExt info{};
  int32_t size = ps::ReadStoredPosInfo(InstalledStore(), h, program, n, &info);
  if (size < 0)
    size = ps::ReadStoredPosInfo(InstalledStore(), h, program, n = 1, &info);
  for (; size >= 0;
       size = ps::ReadStoredPosInfo(InstalledStore(), h, program, ++n, &info)) {
    std::string candidate = Str(info.PosName, 10);
    if (!wanted.empty() && size == 248) candidate = Str(info.PosNameLong, 42);
    else if (candidate.empty()) candidate = Str(info.PosNameLong, 42);
    if (ps::PositionCompareName(candidate) == wanted) return int32_t(n);
  }
  return -1;
}

bool ScanShortTaken(int h, const std::string& name, int16_t program) {
  PosInfoExt info{};
  for (uint32_t n = 0;
       ps::ReadStoredPosInfo(InstalledStore(), h, program, n, &info) >= 0; ++n)
    if (ps::PositionCompareName(Str(info.PosName, 10)) ==
        ps::PositionCompareName(name))
      return true;
  return false;
}

// Random creates, renames, locks (widening old records), deletes, records
// added and deleted behind the positions code, and reopened handles: the
// index answers every lookup as the walk does.
TEST_F(PositionsTest, IndexAgreesWithTheWalk) {
  const std::string path = Path("PRO00009.PRO");
  int h = NewProject(path);
  std::mt19937 rng(20240607u);
  auto pick = [&rng](size_t n) { return size_t(rng() % n); };
  std::vector<std::string> names = {"", "  ", "Dach"};
  for (int i = 0; i < 12; ++i) names.push_back("Rahmen R" + std::to_string(i));
  for (int i = 0; i < 6; ++i)
    names.push_back("Tr\xE4ger Nummer " + std::to_string(i));
  names.push_back("TR\xC4GER NUMMER 1");
  names.push_back("tr\x84ger nummer 2");  // DOS umlaut
  const int16_t programs[] = {kDlt, kDach};
  auto check = [&](int step) {
    for (int16_t program : programs)
      for (const std::string& name : names) {
        // The index itself first: FindPosition would mend a stale one.
        const int32_t walked = ScanFind(h, name, program);
        ASSERT_EQ(
            ps::IndexedFind(store(), h, program, ps::PositionCompareName(name)),
            walked)
            << "step " << step << " '" << name << "' " << program;
        ASSERT_EQ(ps::FindPosition(store(), h, name, program, nullptr), walked);
        ASSERT_EQ(ps::ShortNameTaken(store(), h, program, name.substr(0, 8)),
                  ScanShortTaken(h, name.substr(0, 8), program))
            << "step " << step << " '" << name << "'";
      }
  };
  for (int step = 0; step < 160; ++step) {
    const int16_t program = programs[pick(2)];
    const std::string name = names[pick(names.size())];
    const std::string other = names[pick(names.size())];
    switch (pick(9)) {
      case 0:
      case 1:
        ASSERT_GT(ps::CreatePosition(store(), h, name, "", program), 0);
        break;
      case 2: {  // an old 116-byte record, appended behind the index's back
        PosInfoExt old{};
        old.id = uint16_t(900 + step);
        SetText(old.PosName, 10, name.substr(0, 9));
        ASSERT_GE(DBWriteAdd(H(h), 30002, program, -1, 116, &old), 0);
        break;
      }
      case 3: {  // to a taken name (refused) or a new one
        PosInfoExt from{}, to{};
        SetText(from.PosNameLong, 42, name);
        const std::string fresh = "Umbenannt " + std::to_string(step);
        SetText(to.PosNameLong, 42, pick(3) ? fresh : other);
        if (pick(3)) names.push_back(fresh);
        ps::SetPositionInfo(store(), h, from, to, nullptr, program);
        break;
      }
      case 4:
        ps::LockOn(store(), h, 0, program, name);
        break;
      case 5:
        ps::LockOff(store(), h, program, name);
        break;
      case 6:
        ps::DeletePosition(store(), h, program, name);
        break;
      case 7: {  // a POSINFO deleted behind the index's back
        uint8_t buf[300];
        if (DBRead(H(h), 30002, program, 0, sizeof buf, buf) >= 0) {
          ASSERT_GT(DBDel(H(h), 30002, program, pick(3)), -2);
        }
        break;
      }
      case 8:
        ASSERT_EQ(DBClose(H(h)), DB_SUCCESS);
        h = Open(path, DBOpenExcl);
        break;
    }
    check(step);
    if (HasFatalFailure()) return;
  }
  ASSERT_EQ(DBClose(H(h)), DB_SUCCESS);
}

class PositionLocksTest : public PositionsTest {
 protected:
  void SetUp() override {
    PositionsTest::SetUp();
    path_ = Path("PRO00009.PRO");
    h_ = NewProject(path_);
    ASSERT_EQ(ps::CreatePosition(store(), h_, "Rahmen R1", "", kDlt), 1);
    ASSERT_EQ(ps::CreatePosition(store(), h_, "Rahmen R2", "", kDlt), 2);
  }
  bool Locked(const std::string& name) {
    return (Find(h_, name, kDlt, name == "Rahmen R1" ? 0 : 1).Ctrl & 1) != 0;
  }
  // Another run of a program: same file, but this process's block is gone.
  void ForgetOwnLock() { lib().context().position_lock = {}; }
  std::string path_;
  int h_ = 0;
};

TEST_F(PositionLocksTest, OwnLockRoundTrip) {
  EXPECT_EQ(ps::LockOn(store(), h_, 0, kDlt, "rahmen r1"), 1);
  EXPECT_TRUE(Locked("Rahmen R1"));
  EXPECT_FALSE(Locked("Rahmen R2"));
  EXPECT_EQ(ps::PositionState(store(), h_, kDlt, "Rahmen R1", nullptr), 1);
  EXPECT_EQ(ps::CheckLockAndInform(store(), &h_, kDlt, "Rahmen R1", false), 0);
  EXPECT_EQ(ps::LockOn(store(), h_, 0, kDlt, "Rahmen R1"),
            1);  // again: still mine
  EXPECT_EQ(ps::LockedForMe(store(), h_, 0), 1);
  ps::LockRecord held = lib().context().position_lock.block;
  held.time = 0x12345678u;
  lib().context().position_lock.block.time = held.time;
  EXPECT_EQ(ps::LockOff(store(), h_, kDlt, "Rahmen R1"), 1);
  EXPECT_FALSE(Locked("Rahmen R1"));
  EXPECT_EQ(lib().context().position_lock.state, 0);
  // Lock_Off clears the first word of the block it keeps, nothing more.
  EXPECT_EQ(lib().context().position_lock.block.time, 0x12340000u);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&held) + 4,
                        reinterpret_cast<const char*>(
                            &lib().context().position_lock.block) +
                            4,
                        sizeof held - 4),
            0);
  EXPECT_EQ(ps::LockOn(store(), h_, 0, kDlt, "Rahmen R9"), -1);
  EXPECT_EQ(ps::LockOff(store(), h_, kDlt, "Rahmen R9"), 0);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(PositionLocksTest, LeftOverLockOfTheSameUserIsRemovedOnlyOnYes) {
  ASSERT_EQ(ps::LockOn(store(), h_, 0, kDlt, "Rahmen R1"), 1);
  ForgetOwnLock();
  EXPECT_EQ(ps::PositionState(store(), h_, kDlt, "Rahmen R1", nullptr), 2);
  EXPECT_EQ(ps::LockedForMe(store(), h_, 0), 0);
  EXPECT_EQ(ps::CheckLockAndInform(store(), &h_, kDlt, "Rahmen R1", true), 1);
  EXPECT_TRUE(ui_.messages().empty());  // quiet: no question
  ui_.QueueAnswer(env::Answer::kNo);
  EXPECT_EQ(ps::CheckLockAndInform(store(), &h_, kDlt, "Rahmen R1", false), 1);
  EXPECT_TRUE(Locked("Rahmen R1"));
  ASSERT_EQ(ui_.messages().size(), 1u);
  const std::string& text = ui_.messages()[0].text;
  EXPECT_EQ(text.substr(text.size() - 41),
            "\n\nWollen Sie den Schreibschutz entfernen?");
  EXPECT_EQ(ui_.messages()[0].buttons, env::Buttons::kYesNo);
  ui_.QueueAnswer(env::Answer::kYes);
  EXPECT_EQ(ps::CheckLockAndInform(store(), &h_, kDlt, "Rahmen R1", false), 0);
  EXPECT_FALSE(Locked("Rahmen R1"));
}

TEST_F(PositionLocksTest, StaleBitIsClearedAlsoThroughAReadOnlyHandle) {
  EXPECT_EQ(ps::LockAll(store(), h_, kDlt), 2);
  EXPECT_TRUE(Locked("Rahmen R1"));
  EXPECT_TRUE(Locked("Rahmen R2"));
  ASSERT_EQ(DBClose(h_), DB_SUCCESS);
  h_ = Open(path_, DBOpenReadOnly);
  EXPECT_EQ(ps::CheckLockAndInform(store(), &h_, kDlt, "Rahmen R2", false), 0);
  ASSERT_GT(h_, 0);
  EXPECT_TRUE(Locked("Rahmen R1"));
  EXPECT_FALSE(Locked("Rahmen R2"));
  EXPECT_TRUE(ui_.messages().empty());
  ASSERT_EQ(DBClose(h_), DB_SUCCESS);
  h_ = Open(path_, DBOpenExcl);
  EXPECT_EQ(ps::UnlockAll(store(), h_, kDlt), 2);
  EXPECT_FALSE(Locked("Rahmen R1"));
  EXPECT_EQ(ps::UnlockAll(store(), h_, kDach), 0);
}

TEST_F(PositionLocksTest, UnknownUserGetsTheShortMessage) {
  ps::LockRecord lock{};
  lock.time = 1;
  std::strcpy(lock.user, "unbekannt");
  std::strcpy(lock.computer, "X");
  ASSERT_EQ(ps::LockAll(store(), h_, kDlt), 2);
  ASSERT_EQ(DBWrite(h_, kDlt, 2, -1, sizeof lock, &lock), 538);
  EXPECT_EQ(ps::CheckLockAndInform(store(), &h_, kDlt, "Rahmen R2", false), 1);
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
  EXPECT_EQ(ps::LockOn(store(), h_, w, kDlt, "Rahmen R2"), 1);
  EXPECT_EQ(Str(lib().context().position_lock.block.working_file, 261), work);
  ASSERT_EQ(DBClose(w), DB_SUCCESS);
  ASSERT_EQ(DBClose(h_), DB_SUCCESS);
  EXPECT_EQ(ps::ReleaseOwnLock(store()), 1);
  EXPECT_EQ(ps::ReleaseOwnLock(store()), 0);  // nothing held any more
  h_ = Open(path_, DBOpenReadOnly);
  EXPECT_FALSE(Locked("Rahmen R2"));
}

TEST_F(PositionLocksTest, UnlockAllForgetsTheOwnLockOfThatFile) {
  ASSERT_EQ(ps::LockOn(store(), h_, 0, kDlt, "Rahmen R1"), 1);
  const uint32_t taken = lib().context().position_lock.block.time;
  EXPECT_EQ(ps::UnlockAll(store(), h_, kDlt), 2);
  EXPECT_EQ(lib().context().position_lock.state, 0);
  EXPECT_EQ(lib().context().position_lock.block.time,
            taken);  // only the state goes
  EXPECT_EQ(ps::LockedForMe(store(), h_, 0), 0);
}


// Editing and deleting positions in a new project with two positions of
// one program, the first with two data records (PROPOS first) and one of
// another program.
class PositionEditTest : public PositionLocksTest {
 protected:
  void SetUp() override {
    PositionLocksTest::SetUp();
    AddData(1, kDlt, 30000, "Altbau");
    AddData(1, kDlt, 7, "Lasten");
    ASSERT_EQ(ps::CreatePosition(store(), h_, "Dach", "", kDach), 1);
    AddData(1, kDach, 30000, "Dachbau");
  }
  // A data record as stored: working-file keys, then 46 bytes of text.
  void AddData(int16_t id, int16_t program, int16_t key2, const char* text) {
    uint8_t buf[50] = {};
    std::memcpy(buf, &program, 2);
    std::memcpy(buf + 2, &key2, 2);
    std::memcpy(buf + 4, text, std::strlen(text));
    ASSERT_GE(Engine().Append(h_, id, program, sizeof buf, buf), 0);
  }
  zb::recordstore::Engine& Engine() { return lib().engine(); }
  std::string ProPosText(int16_t id, int16_t program) {
    uint8_t buf[50] = {};
    EXPECT_EQ(Engine().Read(h_, id, program, 0, sizeof buf, buf), 50);
    return Str(buf + 4, 42);
  }
  uint32_t Counter(int16_t key) {
    uint32_t v = 0;
    if (Engine().Read(h_, key, 0, 0, sizeof v, &v) < 0) return 0xFFFFFFFF;
    return key == ps::kKeyPageCounter ? (v & 0xFFFF) : v;
  }
  PosInfoExt Named(const char* long_name) {
    PosInfoExt p{};
    std::strcpy(p.PosNameLong, long_name);
    return p;
  }
};

TEST_F(PositionEditTest, SetInfoRefusesTakenNamesAndCreatesMissingOnes) {
  PosInfoExt to = Named("rahmen r2");  // the other position, any case
  std::strcpy(to.Msg, "neu");
  EXPECT_EQ(ps::SetPositionInfo(store(), h_, Named("Rahmen R1"), to, "X", kDlt),
            0);
  EXPECT_EQ(Str(Find(h_, "Rahmen R1", kDlt, 0).Msg, 40), "");
  EXPECT_EQ(ProPosText(1, kDlt), "Altbau");
  // The same position under its own name in other case is no refusal.
  EXPECT_EQ(ps::SetPositionInfo(store(), h_, Named("Rahmen R1"),
                                Named("RAHMEN R1"), nullptr, kDlt),
            1);
  EXPECT_EQ(Str(Find(h_, "Rahmen R1", kDlt, 0).PosNameLong, 42), "RAHMEN R1");
  // A missing old position: created under the new name, next id.
  to = Named("Rahmen R3");
  std::strcpy(to.Msg, "Halle");
  EXPECT_EQ(
      ps::SetPositionInfo(store(), h_, Named("Rahmen R9"), to, nullptr, kDlt),
      3);
  EXPECT_EQ(Str(Find(h_, "Rahmen R3", kDlt, 2).Msg, 40), "Halle");
  EXPECT_TRUE(
      LogHas("\n          SETPOSINFO Position from Rahmen R1 to rahmen r2 "
             "\n Bezeichnung To:'X'"));
}

TEST_F(PositionEditTest, SetInfoRenamesAndWritesTheDesignationIntoPropos) {
  PosInfoExt to = Named("Rahmen mit Kragarm");
  std::strcpy(to.Designation, "ignored, the argument wins");
  const PosInfoExt before = Find(h_, "Rahmen R1", kDlt, 0);
  EXPECT_EQ(
      ps::SetPositionInfo(store(), h_, Named("Rahmen R1"), to, "Halle 3", kDlt),
      1);
  const PosInfoExt p = Find(h_, "rahmen mit kragarm", kDlt, 0);
  EXPECT_EQ(p.id, 1);
  // "Rahmen ~" is still its own old short name, "Rahmen~1" that of R2.
  EXPECT_EQ(Str(p.PosName, 10), "Rahmen~2");
  EXPECT_EQ(Str(p.Designation, 42), "Halle 3");
  EXPECT_EQ(p.created, before.created);  // an empty description keeps it
  EXPECT_GE(p.saved, before.saved);
  EXPECT_EQ(ProPosText(1, kDlt), "Halle 3");
  EXPECT_EQ(ProPosText(1, kDach), "Dachbau");  // other program untouched
  uint8_t second[50] = {};
  ASSERT_EQ(Engine().Read(h_, 1, kDlt, 1, sizeof second, second), 50);
  EXPECT_EQ(Str(second + 4, 42), "Lasten");
  EXPECT_EQ(Find(h_, "Rahmen R1", kDlt, -1).id, 0);
  // No designation argument: the new record's designation, PROPOS kept.
  to = Named("");
  std::strcpy(to.Designation, "Halle 4");
  std::strcpy(to.Msg, "Beschreibung");
  EXPECT_EQ(ps::SetPositionInfo(store(), h_, Named("Rahmen mit Kragarm"), to,
                                nullptr, kDlt),
            1);
  const PosInfoExt q = Find(h_, "Rahmen mit Kragarm", kDlt, 0);
  EXPECT_EQ(Str(q.Designation, 42), "Halle 4");
  EXPECT_EQ(Str(q.Msg, 40), "Beschreibung");
  EXPECT_EQ(Str(q.PosName, 10), "Rahmen~2");
  EXPECT_EQ(ProPosText(1, kDlt), "Halle 3");
  EXPECT_TRUE(
      LogHas("\n iSetPosInfo2(PROPOS-struktur.Projekt)/ "
             "iSetProBezeichnung('Halle 3')"));
}

TEST_F(PositionEditTest, DeleteOneRefusesLockedAndCountsFreedBytes) {
  ASSERT_EQ(ps::LockOn(store(), h_, 0, kDlt, "Rahmen R1"), 1);
  EXPECT_EQ(ps::DeletePosition(store(), h_, kDlt, "Rahmen R1"),
            0u);  // even my own
  EXPECT_EQ(ProPosText(1, kDlt), "Altbau");
  EXPECT_TRUE(LogHas("\n         PosDelete: Rahmen R1  is locked!"));
  ASSERT_EQ(ps::LockOff(store(), h_, kDlt, "Rahmen R1"), 1);
  EXPECT_EQ(Counter(ps::kKeyWriteCounter), 0xFFFFFFFFu);
  EXPECT_EQ(ps::DeletePosition(store(), h_, kDlt, "Rahmen R1"), 3u);
  EXPECT_EQ(Counter(ps::kKeyWriteCounter), 50u + 50u + 248u);
  EXPECT_EQ(Find(h_, "Rahmen R1", kDlt, -1).id, 0);
  EXPECT_EQ(Find(h_, "Rahmen R2", kDlt, 0).id, 2);
  EXPECT_EQ(ProPosText(1, kDach), "Dachbau");  // same id, other program
  EXPECT_EQ(ps::DeletePosition(store(), h_, kDlt, "Rahmen R1"), 0u);
  EXPECT_TRUE(LogHas("\n         result: 0!!\n"));
  // A position without data records: its POSINFO alone.
  EXPECT_EQ(ps::DeletePosition(store(), h_, kDlt, "rahmen r2"), 1u);
  EXPECT_EQ(Counter(ps::kKeyWriteCounter), 50u + 50u + 248u + 248u);
}

TEST_F(PositionEditTest, DeleteAllOnlyWhenNothingIsLocked) {
  ASSERT_EQ(ps::LockOn(store(), h_, 0, kDach, "Dach"), 1);
  const uint32_t records = Engine().NumRecords(h_);
  EXPECT_EQ(ps::DeletePosition(store(), h_, ps::kAllPrograms, "ALLE"), 0u);
  EXPECT_EQ(Engine().NumRecords(h_), records);
  EXPECT_TRUE(
      LogHas("\n          PosDelete 1 positions from 3 are "
             "locked , so not executed!"));
  // "ALLE" with one program's key is an ordinary (missing) name.
  EXPECT_EQ(ps::DeletePosition(store(), h_, kDach, "ALLE"), 0u);
  ASSERT_EQ(ps::LockOff(store(), h_, kDach, "Dach"), 1);
  uint8_t any[600];
  EXPECT_EQ(ps::DeletePosition(store(), h_, ps::kAllPrograms, "ALLE"), 9u);
  EXPECT_LT(Engine().Read(h_, 30001, kDlt, 0, sizeof any, any), 0);
  EXPECT_LT(Engine().Read(h_, 30002, kDach, 0, sizeof any, any), 0);
  EXPECT_LT(Engine().Read(h_, 1, kDlt, 0, sizeof any, any), 0);
  EXPECT_LT(Engine().Read(h_, kDach, 1, 0, sizeof any, any), 0);  // lock
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(PositionEditTest, RenameNeedsAnExistingPositionNotLockedByAnother) {
  EXPECT_EQ(ps::RenamePosition(store(), h_, kDlt, "Rahmen R9", "Neu"), -1);
  EXPECT_EQ(ps::RenamePosition(store(), h_, kDlt, "Rahmen R1", "Rahmen R2"), 0);
  EXPECT_EQ(ps::RenamePosition(store(), h_, kDlt, "Rahmen R1", "Riegel"), 1);
  const PosInfoExt p = Find(h_, "riegel", kDlt, 0);
  EXPECT_EQ(Str(p.PosName, 10), "Riegel");
  ASSERT_EQ(ps::LockOn(store(), h_, 0, kDlt, "Rahmen R2"), 1);
  EXPECT_EQ(ps::RenamePosition(store(), h_, kDlt, "Rahmen R2", "Pfette"),
            2);  // mine
  ASSERT_EQ(ps::LockOn(store(), h_, 0, kDlt, "Riegel"), 1);
  ForgetOwnLock();  // now held by an earlier run: another's lock
  EXPECT_EQ(ps::RenamePosition(store(), h_, kDlt, "Riegel", "Sparren"), 0);
  EXPECT_EQ(Find(h_, "Riegel", kDlt, 0).id, 1);
}

}  // namespace
}  // namespace zbtest
