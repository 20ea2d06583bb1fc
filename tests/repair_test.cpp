// The repair of damaged project files, on the installation's damaged copies
// of "Brücke Nord" and on files cut and garbled at random; whatever goes
// wrong, the damaged bytes survive under the backup name.
#include "projectstore/repair.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "environment/scripted_ui.h"
#include "platform/fault_injection.h"
#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

namespace ps = zb::projectstore;
using zb::environment::Answer;
using Fault = zb::platform::FaultInjectingPlatform::Fault;

class RepairTest : public InstalledDataTest {
 protected:
  RepairTest() : InstalledDataTest({"ZBPROS.ZB"}) {}
  // The file to repair, with the given bytes, in the data folder.
  std::string Place(const Bytes& bytes) {
    const std::string path = JoinPath(data_, "PRO00001.PRO");
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }
  ps::RepairSummary Repair(const std::string& path) {
    return ps::RepairFile(store(), path, data_);
  }
  std::string Listing() { return ReadText(JoinPath(data_, "REPAIR.LST")); }
  // Records of the repaired file as the engine sees them.
  int32_t RecordsOf(const std::string& path) {
    const int32_t h = DBOpenReadOnly(path.c_str());
    if (h <= 0) return h;
    char buf[32760];
    int32_t n = 0;
    while (DBRead(static_cast<int16_t>(h), 32762, 32762, n, sizeof buf, buf) >= 0)
      ++n;
    DBClose(static_cast<int16_t>(h));
    return n;
  }
};

TEST_F(RepairTest, DamagedFixturesAreCopiedIndexedAndKeptAsBackup) {
  const struct {
    const char* fixture;
    char pass;
  } cases[] = {{"PRO00001.PRO", 'A'}, {"PRO00002.PRO", 'C'},
               {"PRO00003.PRO", 'A'}};
  const std::string backup = JoinPath(data_, "PRO00001.OLD");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    const Bytes damaged = ReadFileBytes(FixturePath(std::string("damaged/") + c.fixture));
    const std::string path = Place(damaged);
    std::remove(backup.c_str());
    const ps::RepairSummary summary = Repair(path);
    EXPECT_EQ(summary.outcome, ps::RepairSummary::kRepaired);
    EXPECT_EQ(summary.pass, c.pass);
    EXPECT_GT(summary.records, 0u);
    EXPECT_TRUE(SameBytes(ReadFileBytes(backup), damaged));
    EXPECT_FALSE(FileExists(JoinPath(data_, "PRO00001.REP")));
    EXPECT_GE(RecordsOf(path), static_cast<int32_t>(summary.records));
    EXPECT_TRUE(summary.positions_checked);
    EXPECT_NE(Listing().find(c.pass == 'A' ? "S\xE4tze erfolgreich kopiert: "
                                           : "Kein Ende gefunden."),
              std::string::npos);
    // The repaired file is sound for the check support runs.
    ZBPROPOS check{};
    SetText(check.szTmpDatei, sizeof check.szTmpDatei, path);
    EXPECT_EQ(TEST_CheckPro(&check), TEST_CHECKPRO_SOUND);
  }
  EXPECT_NE(Logged().find("\n======> REPAIR "), std::string::npos);

  // An earlier backup is kept when the user says No: nothing changes.
  const Bytes before = ReadFileBytes(JoinPath(data_, "PRO00001.PRO"));
  const Bytes kept = ReadFileBytes(backup);
  ui_.QueueAnswer(Answer::kNo);
  EXPECT_EQ(Repair(JoinPath(data_, "PRO00001.PRO")).outcome,
            ps::RepairSummary::kBackupKept);
  EXPECT_EQ(ReadFileBytes(JoinPath(data_, "PRO00001.PRO")), before);
  EXPECT_EQ(ReadFileBytes(backup), kept);

  // A file another handle holds exclusively is not read: nothing changes.
  const int32_t held = DBOpenExcl(JoinPath(data_, "PRO00001.PRO").c_str());
  ASSERT_GT(held, 0);
  EXPECT_EQ(Repair(JoinPath(data_, "PRO00001.PRO")).outcome,
            ps::RepairSummary::kCannotOpen);
  DBClose(static_cast<int16_t>(held));
  EXPECT_EQ(ReadFileBytes(JoinPath(data_, "PRO00001.PRO")), before);

  // A file that is not there: the two messages, nothing made.
  const size_t shown = ui_.messages().size();
  EXPECT_EQ(Repair(JoinPath(data_, "PRO09999.PRO")).outcome,
            ps::RepairSummary::kCannotOpen);
  ASSERT_GE(ui_.messages().size(), shown + 2);
  EXPECT_EQ(ui_.messages()[shown].text, "\nDateiname ung\xFCltig!\n");
  EXPECT_EQ(ui_.messages()[shown + 1].text,
            "Fehler! Programm wird beendet. <beliebige Taste>");
}

TEST_F(RepairTest, AFailedWriteOrAnyMutationNeverLosesTheOriginalBytes) {
  const Bytes sound = ReadFileBytes(FixturePath("ZBStatik/Daten/PRO00001.PRO"));
  const std::string backup = JoinPath(data_, "PRO00001.OLD");
  {
    // The copy's write fails: the file keeps its name and its records (the
    // position check still corrects their headers in place).
    const std::string path = Place(sound);
    const int32_t records = RecordsOf(path);
    InstalledFaults faults;
    faults->SpoilWrite(1, Fault::kFail);
    const ps::RepairSummary summary =
        ps::RepairFile(InstalledStore(), path, data_);
    EXPECT_EQ(summary.outcome, ps::RepairSummary::kCopyFailed);
    EXPECT_EQ(RecordsOf(path), records);
    EXPECT_FALSE(FileExists(backup));
    EXPECT_FALSE(FileExists(JoinPath(data_, "PRO00001.REP")));
  }
  // Cut anywhere, bytes flipped anywhere: never a crash, and the bytes that
  // went in are the backup (repaired) or still the file (not repaired).
  std::mt19937 random(900);
  int runs = 0, repaired = 0;
  for (; runs < 150; ++runs) {
    Bytes mutated = sound;
    if (runs % 3 != 1) mutated.resize(random() % (sound.size() + 1));
    for (int flips = runs % 4; flips > 0 && !mutated.empty(); --flips)
      mutated[random() % mutated.size()] ^= static_cast<uint8_t>(1 + random() % 255);
    const std::string path = Place(mutated);
    std::remove(backup.c_str());
    const ps::RepairSummary summary = Repair(path);
    if (summary.outcome == ps::RepairSummary::kRepaired) {
      ++repaired;
      ASSERT_TRUE(SameBytes(ReadFileBytes(backup), mutated)) << "run " << runs;
    } else {
      ASSERT_TRUE(SameBytes(ReadFileBytes(path), mutated)) << "run " << runs;
    }
  }
  EXPECT_GT(repaired, 50) << runs << " runs";
}

}  // namespace
}  // namespace zbtest
