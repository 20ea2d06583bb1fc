// Position locks between programs: each program is a process of its own
// (tests/children/project_child.cpp) with its own user, computer and lock
// block, working on one project in a shared data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "projectstore/project_catalogue.h"
#include "project_processes.h"
#include "support/project_fixture.h"

namespace zbtest {
namespace {

namespace ps = zb::projectstore;

const char kName[] = "Traeger 1";
const char kProgram[] = "101";

std::vector<int> Numbers(const std::string& reply) {
  std::istringstream in(reply.substr(0, reply.find('\n')));
  std::vector<int> out;
  for (int v; in >> v;) out.push_back(v);
  return out;
}

class LockProcessesTest : public ProjectStoreTest {
 protected:
  void SetUp() override {
    ProjectStoreTest::SetUp();
    project_ = NewProjectFile(dir_.path(), "Halle 9");
    ASSERT_FALSE(project_.empty());
    ASSERT_GT(SavePosition(project_, Path("setup.TMP"), kName,
                           PositionVersion(1)), 0);
  }
  // A program opens the position: export into its working file + Lock_On.
  void OpenPosition(ChildSession& program, const std::string& working) {
    const std::vector<int> r =
        Numbers(program.Send({"export", project_, working, kProgram, kName}));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], 10);  // 6 records + PROPOS + 3 header records
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(r[2], 1);  // the program holds the lock
  }
  std::string State(ChildSession& program) {
    return program.Send({"state", project_, kProgram, kName});
  }
  std::string project_;
};

TEST_F(LockProcessesTest, LockIsSeenNamedAndReleasedBySaving) {
  ChildSession anna, bernd;
  ASSERT_TRUE(anna.Start(Path("anna"), "anna", "CAD-01"));
  ASSERT_TRUE(bernd.Start(Path("bernd"), "bernd", "CAD-02"));
  const std::string anna_tmp = Path("anna.TMP"), bernd_tmp = Path("bernd.TMP");
  OpenPosition(anna, anna_tmp);
  EXPECT_EQ(State(anna), "1");
  EXPECT_EQ(State(bernd), "2");

  // Bernd may read the position, but his save is refused and logged.
  EXPECT_EQ(Numbers(bernd.Send({"export", project_, bernd_tmp, kProgram,
                                kName})),
            (std::vector<int>{10, 0, 0}));
  EXPECT_EQ(bernd.Send({"import", project_, bernd_tmp, kProgram, kName, "1"}),
            "0 -5");
  EXPECT_TRUE(Contains(bernd.Log("bernd"),
                       "PosImport:PosIsLocked, no write : 'Traeger 1'"));
  EXPECT_EQ(Sorted(ReadStoredPosition(project_, kName).data),
            Sorted(PositionVersion(1)));

  // He is told who holds it, where, and with which working file.
  const std::string told = bernd.Send({"check", project_, kProgram, kName, "-"});
  EXPECT_EQ(told.substr(0, 2), "1\n");
  EXPECT_TRUE(Contains(told, "| buttons 0\n"));  // a message, no question
  EXPECT_TRUE(Contains(told, "Name: anna"));
  EXPECT_TRUE(Contains(told, "Rechner : CAD-01"));
  EXPECT_TRUE(Contains(told, "TmpDatei: " + anna_tmp));

  // Anna saves her change and releases the position; then Bernd may lock.
  ASSERT_TRUE(WriteWorkingFile(project_, anna_tmp, kName, PositionVersion(2)));
  const std::vector<int> saved = Numbers(
      anna.Send({"import", project_, anna_tmp, kProgram, kName, "1"}));
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0], 9 + 3);  // 8 records + PROPOS, + 3
  EXPECT_EQ(saved[1], 0);
  EXPECT_EQ(Sorted(ReadStoredPosition(project_, kName).data),
            Sorted(PositionVersion(2)));
  EXPECT_EQ(anna.Send({"release"}), "1");
  EXPECT_EQ(State(bernd), "1");
  EXPECT_EQ(bernd.Send({"lock", project_, kProgram, kName}), "1");
  EXPECT_EQ(State(anna), "2");
  EXPECT_EQ(State(bernd), "1");
  EXPECT_EQ(bernd.Send({"release"}), "1");
  EXPECT_EQ(anna.Exit(), 0);
  EXPECT_EQ(bernd.Exit(), 0);
}

TEST_F(LockProcessesTest, LockOfAKilledProgramIsNeverIgnoredSilently) {
  ChildSession killed;
  ASSERT_TRUE(killed.Start(Path("killed"), "anna", "CAD-01"));
  OpenPosition(killed, Path("anna.TMP"));
  killed.Kill();

  // Others are told, and kept out.
  ChildSession bernd;
  ASSERT_TRUE(bernd.Start(Path("bernd"), "bernd", "CAD-02"));
  EXPECT_EQ(State(bernd), "2");
  const std::string told = bernd.Send({"check", project_, kProgram, kName, "-"});
  EXPECT_EQ(told.substr(0, 2), "1\n");
  EXPECT_TRUE(Contains(told, "Name: anna"));
  EXPECT_TRUE(Contains(told, "| buttons 0\n"));
  EXPECT_FALSE(Contains(told, "entfernen?"));

  // The same user's next run is asked; No keeps the lock, Yes removes it.
  ChildSession again;
  ASSERT_TRUE(again.Start(Path("again"), "anna", "CAD-01"));
  EXPECT_EQ(State(again), "2");
  const std::string asked = again.Send({"check", project_, kProgram, kName, "no"});
  EXPECT_EQ(asked.substr(0, 2), "1\n");
  EXPECT_TRUE(Contains(asked, "| buttons 2\n"));  // Yes/No
  EXPECT_TRUE(Contains(asked, "Wollen Sie den Schreibschutz entfernen?"))
      << asked;
  EXPECT_EQ(State(bernd), "2");
  EXPECT_EQ(again.Send({"check", project_, kProgram, kName, "yes"})
                .substr(0, 2), "0\n");
  EXPECT_EQ(State(bernd), "1");
  EXPECT_EQ(State(again), "1");
  EXPECT_EQ(again.Exit(), 0);
  EXPECT_EQ(bernd.Exit(), 0);
}

TEST_F(LockProcessesTest, NobodyReadsAPositionWhileItIsImported) {
  ChildSession anna, bernd;
  ASSERT_TRUE(anna.Start(Path("anna"), "anna", "CAD-01"));
  ASSERT_TRUE(bernd.Start(Path("bernd"), "bernd", "CAD-02"));
  const std::string tmp = Path("anna.TMP");
  OpenPosition(anna, tmp);
  ASSERT_TRUE(WriteWorkingFile(project_, tmp, kName, PositionVersion(2)));
  anna.Post({"paused-import", project_, tmp, kProgram, kName});
  ASSERT_EQ(anna.Reply("paused"), "");  // and it waits for a line

  // Half of the new records are in the project: nobody may open it.
  EXPECT_EQ(DBOpenReadOnly(project_.c_str()), DB_ACCESS_DENIED);
  EXPECT_EQ(DBOpen(project_.c_str()), DB_ACCESS_DENIED);
  EXPECT_EQ(State(bernd), "0");  // not readable, so not found

  anna.Tell("go");
  EXPECT_EQ(Numbers(anna.Reply()), (std::vector<int>{12, 0}));
  const StoredPosition stored = ReadStoredPosition(project_, kName);
  EXPECT_EQ(Sorted(stored.data), Sorted(PositionVersion(2)));
  EXPECT_EQ(stored.records, stored.recs);
  EXPECT_EQ(State(bernd), "2");  // Anna works on
  EXPECT_EQ(anna.Exit(), 0);
  EXPECT_EQ(bernd.Exit(), 0);
}

}  // namespace
}  // namespace zbtest
