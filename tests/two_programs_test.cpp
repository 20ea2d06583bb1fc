// Two runs of the beam sample program (tests/children/beam_child.cpp, the
// sample's own code) on one position of one installation: the second finds
// the position locked, its save is refused until the first has saved and
// released it, and then goes through. Nothing else of the project changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "recordstore/inspect.h"
#include "support/record_fixture.h"
#include "support/test_support.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

constexpr int kWaitMs = 60000;
constexpr int16_t kBeam = 130;

const char kCatalogue[] =
    "[GRP1]\nGruppe=1\nName=Stabwerke\nicon=grp1.ico\n"
    "[PRG1]\nDBKey=101\nPrg=DLT\nName=Durchlauftraeger\nExeName=DLT\n"
    "Gruppe=1\nSilent=1\nTitelShort=Durchl.Tr.\n"
    "[PRG2]\nDBKey=120\nPrg=EFT\nName=Einfeldtraeger\nExeName=EFT\n"
    "Gruppe=1\nSilent=1\nTitelShort=Einfeldtr.\n"
    "[PRG3]\nDBKey=130\nPrg=BEAM\nName=Einfeldbalken\nExeName=beam\n"
    "Gruppe=1\nSilent=1\nTitelShort=Balken\n";

// One beam program held between its open and its save: it tells each step
// in a line and takes the next on a line of the test.
class HeldRun {
 public:
  HeldRun(const std::string& data, const std::string& name, const char* span,
          const char* load) {
    started_ = child_.Start(ChildProgram("beam_child"),
                            {"hold", data, "Halle Ost", name, span, load});
  }
  bool started() const { return started_; }
  std::string Next() { return child_.ReadLine().value_or("<none>"); }
  void Go() { child_.WriteLine("go"); }
  int Exit() {
    Go();
    return child_.Wait(kWaitMs);
  }

 private:
  ChildProcess child_;
  bool started_ = false;
};

class TwoProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Programme", "Daten", "TMP", "User", "Basis",
                             "cfg", "xdg"})
      ASSERT_TRUE(MakeFolder(dir_.File(name)));
    ASSERT_TRUE(WriteText(JoinPath(dir_.File("Programme"), "zbkeys.ini"),
                          kCatalogue));
    env_.Set("ZBSTATIK_HOME", dir_.path());
    env_.Set("ZBDB_PROGRAM_DIR", dir_.File("Programme"));
    env_.Set("ZBDB_DATA_DIR", dir_.File("Daten"));
    env_.Set("ZBDB_TMP_DIR", dir_.File("TMP"));
    env_.Set("ZBDB_USER_DIR", dir_.File("User"));
    env_.Set("ZBDB_INI_DIR", dir_.File("cfg"));
    env_.Set("ZBDB_BASE_DIR", dir_.File("Basis"));
    env_.Set("XDG_CONFIG_HOME", dir_.File("xdg"));
  }
  std::string Data() const { return dir_.File("Daten"); }
  int RunOnce(const std::string& name, const char* span, const char* load) {
    ChildProcess child;
    if (!child.Start(ChildProgram("beam_child"),
                     {"run", Data(), "Halle Ost", name, span, load}))
      return -1;
    return child.Wait(kWaitMs);
  }
  std::string Show(const std::string& name) {
    ChildProcess child;
    if (!child.Start(ChildProgram("beam_child"),
                     {"show", Data(), "Halle Ost", name}))
      return "<failed>";
    const std::string shown = child.ReadLine().value_or("<failed>");
    return child.Wait(kWaitMs) == 0 ? shown : "<failed>";
  }
  // The span stored in the result record of position `id`, or -1.
  double ResultSpan(int16_t id) {
    const std::string erg = JoinPath(Data(), "PRO00001.ERG");
    const int32_t h = DBOpenReadOnly(erg.c_str());
    if (h <= 0) return -1;
    uint8_t record[90] = {};
    const int32_t n = DBRead(static_cast<int16_t>(h), kBeam, id, 0,
                             sizeof record, record);
    DBClose(static_cast<int16_t>(h));
    double span = -1;
    if (n == sizeof record) std::memcpy(&span, record + 42, sizeof span);
    return span;
  }

  TempDir dir_;
  ScopedEnv env_;
};

TEST_F(TwoProgramsTest, SecondSaveIsRefusedUntilTheFirstReleases) {
  // Two positions, each saved with its result record and pages 1-2, 3-4.
  ASSERT_EQ(RunOnce("Traeger A", "5.0", "10.0"), 0);
  ASSERT_EQ(RunOnce("Traeger B", "4.0", "8.0"), 0);
  EXPECT_EQ(Show("Traeger A"), "1 5.00 10.00 1 2");
  EXPECT_EQ(Show("Traeger B"), "1 4.00 8.00 3 2");

  HeldRun anna(Data(), "Traeger A", "6.0", "12.5");
  ASSERT_TRUE(anna.started());
  const std::string anna_open = anna.Next();
  EXPECT_EQ(anna_open.substr(0, 2), "1 ") << anna_open;
  // The second program finds it locked, opens it all the same (to read).
  HeldRun bernd(Data(), "Traeger A", "8.0", "10.0");
  ASSERT_TRUE(bernd.started());
  const std::string bernd_open = bernd.Next();
  EXPECT_EQ(bernd_open.substr(0, 2), "2 ") << bernd_open;
  EXPECT_EQ(bernd_open.substr(2), anna_open.substr(2));

  // Its save is refused, quietly (no message box), and the store says why
  // in the log: the import finds the lock, the save reports -7.
  bernd.Go();  // save
  EXPECT_EQ(bernd.Next(), "-7");
  const std::string log = ReadText(JoinPath(dir_.File("cfg"), "DBReport.Log"));
  EXPECT_TRUE(Contains(log, "PosImport:PosIsLocked, no write : 'Traeger A'"));
  EXPECT_TRUE(Contains(log, "### ERROR  No write permission to PRO-file"));
  EXPECT_EQ(Show("Traeger A").substr(0, 12), "2 5.00 10.00");

  // The first saves and ends (which releases the position) ...
  anna.Go();  // save
  EXPECT_GT(std::atoi(anna.Next().c_str()), 0);
  EXPECT_EQ(anna.Exit(), 0);
  EXPECT_EQ(Show("Traeger A"), "1 6.00 12.50 1 2");
  // ... and now the second's save goes through.
  bernd.Go();  // save again
  EXPECT_GT(std::atoi(bernd.Next().c_str()), 0);
  EXPECT_EQ(bernd.Exit(), 0);

  EXPECT_EQ(Show("Traeger A"), "1 8.00 10.00 1 2");
  EXPECT_EQ(Show("Traeger B"), "1 4.00 8.00 3 2");
  const zb::recordstore::FileReport project =
      zb::recordstore::InspectRecordFile(*zb::platform::NewNativePlatform(),
                                         JoinPath(Data(), "PRO00001.PRO"));
  EXPECT_EQ(project.state, zb::recordstore::FileState::kClosed);
  EXPECT_EQ(ResultSpan(1), 5.0);
  EXPECT_EQ(ResultSpan(2), 4.0);
}

TEST_F(TwoProgramsTest, UnknownProgramKeyAndMissingFolder) {
  // A catalogue without the beam: the program stops before it opens.
  const std::string without_beam(kCatalogue);
  ASSERT_TRUE(WriteText(JoinPath(dir_.File("Programme"), "zbkeys.ini"),
                        without_beam.substr(0, without_beam.find("[PRG3]"))));
  EXPECT_EQ(RunOnce("Traeger A", "5.0", "10.0"), 1);
  ASSERT_TRUE(WriteText(JoinPath(dir_.File("Programme"), "zbkeys.ini"),
                        kCatalogue));
  // A data folder that does not exist: an error, nothing created.
  ChildProcess child;
  ASSERT_TRUE(child.Start(ChildProgram("beam_child"),
                          {"run", dir_.File("missing"), "Halle Ost",
                           "Traeger A", "5.0", "10.0"}));
  EXPECT_EQ(child.Wait(kWaitMs), 1);
  EXPECT_FALSE(FileExists(dir_.File("missing")));
}

}  // namespace
}  // namespace zbtest
