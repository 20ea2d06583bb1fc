// A save ended at any point: a child process imports a position into a
// project of several positions and dies at its n-th write (the write
// failed, or cut in half), or is killed at a random moment. Afterwards the
// project opens, the list and every other position are as they were, and
// the saved position is whole (old or new) or shows that it is damaged:
// fewer records than its POSINFO's Recs. The outcomes are counted and
// printed ("[ outcomes ]" lines, and as test properties).
//
// A failed write ends the save between two writes: the project must always
// open. A cut write is torn inside (half of it reaches the disk), and so
// may be a write of several pages that a kill interrupts (the system stops
// it at a page); the format has no checksums, so a torn record or mark may
// leave a file that only the repair opens again: those are counted, not
// failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>

#include "projectstore/project_catalogue.h"
#include "project_processes.h"
#include "support/project_fixture.h"

namespace zbtest {
namespace {

namespace ps = zb::projectstore;

const char kSaved[] = "Pos B";
const char* const kOthers[] = {"Pos A", "Pos C"};
constexpr int kVersions = 3;
constexpr int kCrashed = 42;
constexpr int kTimeoutMs = 60000;

// A version forty times over: saving it takes long enough for random
// kills to land inside the save rather than between two saves.
std::vector<DataRecord> LargeVersion(int v) {
  std::vector<DataRecord> out;
  for (int copy = 0; copy < 40; ++copy)
    for (DataRecord r : PositionVersion(v, copy)) {
      r.k2 = int16_t(r.k2 + 10 * copy);
      out.push_back(r);
    }
  return out;
}

struct Outcomes {
  int old_version = 0;
  int new_version = 0;
  int damaged_detected = 0;
  int mixed_undetected = 0;
  int unopenable = 0;
  int total() const {
    return old_version + new_version + damaged_detected + mixed_undetected +
           unopenable;
  }
  std::string Text() const {
    return "old " + std::to_string(old_version) + ", new " +
           std::to_string(new_version) + ", damaged-detected " +
           std::to_string(damaged_detected) + ", mixed-undetected " +
           std::to_string(mixed_undetected) + ", not opening " +
           std::to_string(unopenable);
  }
};

class CrashSaveTest : public ProjectStoreTest {
 protected:
  void SetUp() override {
    ProjectStoreTest::SetUp();
    project_ = NewProjectFile(dir_.path(), "Kraftwerk");
    ASSERT_FALSE(project_.empty());
    list_ = Path("ZBPROS.ZB");
    ASSERT_GT(SavePosition(project_, Path("setup.TMP"), kOthers[0],
                           PositionVersion(1, 1)), 0);
    ASSERT_GT(SavePosition(project_, Path("setup.TMP"), kSaved,
                           PositionVersion(1)), 0);
    ASSERT_GT(SavePosition(project_, Path("setup.TMP"), kOthers[1],
                           PositionVersion(3, 3)), 0);
    for (const char* name : kOthers)
      others_.push_back(ReadStoredPosition(project_, name));
    list_bytes_ = ReadFileBytes(list_);
    ASSERT_FALSE(list_bytes_.empty());
  }

  // The project after a save of the position from version `from` to `to`
  // ended early.
  void Judge(const std::vector<DataRecord>& from,
             const std::vector<DataRecord>& to, const std::string& what,
             Outcomes* outcomes, bool torn = false) {
    const StoredPosition saved = ReadStoredPosition(project_, kSaved);
    if (torn && saved.open == DB_NOEND) {
      ++outcomes->unopenable;
      return;
    }
    ASSERT_GT(saved.open, 0) << what;
    ASSERT_TRUE(saved.found) << what;
    for (size_t i = 0; i < others_.size(); ++i) {
      const StoredPosition other = ReadStoredPosition(project_, kOthers[i]);
      EXPECT_TRUE(other.data == others_[i].data) << what << kOthers[i];
      EXPECT_TRUE(other.posinfo == others_[i].posinfo) << what << kOthers[i];
    }
    EXPECT_TRUE(ReadFileBytes(list_) == list_bytes_) << what;
    EXPECT_GE(
        ps::FindProject(store(), dir_.path(), "Kraftwerk", nullptr, nullptr), 0)
        << what;
    // A save may put records into released places in another order.
    const std::vector<DataRecord> data = Sorted(saved.data);
    if (data == Sorted(from)) {
      ++outcomes->old_version;
    } else if (data == Sorted(to)) {
      ++outcomes->new_version;
    } else if (saved.records < saved.recs) {
      ++outcomes->damaged_detected;
    } else {
      // The import claims the larger record count before it releases the
      // old records, so a mix always shows fewer records than Recs.
      ++outcomes->mixed_undetected;
      ADD_FAILURE() << what << ": a mix of old and new without a sign, "
                    << saved.records << " records, Recs " << saved.recs;
    }
  }

  void Report(const std::string& kind, const Outcomes& outcomes) {
    std::printf("[ outcomes ] %s: %s\n", kind.c_str(),
                outcomes.Text().c_str());
    RecordProperty(kind, outcomes.Text());
  }

  // One import of the working file by a child, ended at write n (mode
  // "fail" or "cut"), or whole ("none": the number of writes is returned).
  int CrashImport(const std::string& working, const std::string& mode,
                  uint64_t n) {
    ChildProcess child;
    if (!child.Start(ChildProgram("project_child"),
                     {"crash-import", project_, working, "101", kSaved, mode,
                      std::to_string(n)}))
      return -1;
    const std::string result = child.ReadLine().value_or("");
    const int code = child.Wait(kTimeoutMs);
    if (mode != "none") return code;
    int r = 0, error = 0, writes = 0;
    if (code != 0 ||
        std::sscanf(result.c_str(), "%d %d %d", &r, &error, &writes) != 3 ||
        r <= 0 || error != 0)
      return -1;
    return writes;
  }

  std::string project_, list_;
  Bytes list_bytes_;
  std::vector<StoredPosition> others_;
};

TEST_F(CrashSaveTest, SaveEndedAtEveryWrite) {
  Outcomes failed, cut;
  // Growing with new sizes (reuse and appends), then shrinking (reuse only).
  for (const auto& [from, to] : {std::pair{1, 2}, std::pair{2, 3}}) {
    ASSERT_GT(SavePosition(project_, Path("setup.TMP"), kSaved,
                           PositionVersion(from)), 0);
    const Bytes project = ReadFileBytes(project_);
    const std::string working = Path("save.TMP");
    ASSERT_TRUE(WriteWorkingFile(project_, working, kSaved,
                                 PositionVersion(to)));
    const Bytes work = ReadFileBytes(working);
    const int writes = CrashImport(working, "none", 0);
    ASSERT_GT(writes, 10);
    EXPECT_EQ(Sorted(ReadStoredPosition(project_, kSaved).data),
              Sorted(PositionVersion(to)));
#ifdef _WIN32
    const int stride = 3;  // starting a process under wine is slow
#else
    const int stride = 1;
#endif
    for (const std::string mode : {"fail", "cut"}) {
      for (int n = 1; n <= writes; n += (n + stride > writes ? 1 : stride)) {
        const std::string what = mode + " write " + std::to_string(n) +
                                 " of " + std::to_string(writes) + ", " +
                                 std::to_string(from) + "->" +
                                 std::to_string(to);
        ASSERT_TRUE(WriteFileBytes(project_, project));
        ASSERT_TRUE(WriteFileBytes(working, work));
        ASSERT_EQ(CrashImport(working, mode, uint64_t(n)), kCrashed) << what;
        Judge(PositionVersion(from), PositionVersion(to), what,
              mode == "fail" ? &failed : &cut, mode == "cut");
      }
    }
    ASSERT_TRUE(WriteFileBytes(project_, project));
  }
  Report("write_failed", failed);
  Report("write_cut", cut);
  EXPECT_GT(failed.old_version, 0);
  EXPECT_GT(failed.new_version, 0);
  EXPECT_GT(failed.damaged_detected, 0);
}

TEST_F(CrashSaveTest, SaveKilledAtRandomMoments) {
  ASSERT_GT(SavePosition(project_, Path("setup.TMP"), kSaved,
                         LargeVersion(1)), 0);
  const Bytes with_first = ReadFileBytes(project_);
  for (int v = 1; v <= kVersions; ++v)
    ASSERT_TRUE(WriteWorkingFile(project_, Path("loop" + std::to_string(v) +
                                                ".TMP"),
                                 kSaved, LargeVersion(v)));
  const char* seed_text = std::getenv("ZBDB_CRASH_SEED");
  const uint32_t seed = seed_text ? uint32_t(std::atoi(seed_text)) : 20240611u;
  std::mt19937 random(seed);
  Outcomes killed;
  for (int round = 0; round < 12; ++round) {
    // Every round starts from the first version whole, whatever the kill
    // before left: a kill in the loop's first import must find the version
    // before it in the file, as a kill in any later one does.
    ASSERT_TRUE(WriteFileBytes(project_, with_first));
    ChildProcess child;
    ASSERT_TRUE(child.Start(ChildProgram("project_child"),
                            {"import-loop", project_, Path("loop"), "101",
                             kSaved, "2", std::to_string(kVersions)}));
    // The loop tells each version before it imports it.
    std::optional<std::string> told = child.ReadLine();
    ASSERT_TRUE(told) << "the import loop ended before its first import";
    SleepMs(int(random() % 12));
    const int ended = child.Wait(0);  // -1: still running, as it should
    child.Kill();
    ASSERT_EQ(ended, -1) << "the import loop stopped by itself";
    // The version it was importing (its last line); the one before was
    // whole in the file.
    for (std::optional<std::string> line; (line = child.ReadLine());)
      told = line;
    const int to = std::atoi(told->c_str());
    ASSERT_GE(to, 1);
    const int before = (to + kVersions - 2) % kVersions + 1;
    Judge(LargeVersion(before), LargeVersion(to),
          "kill " + std::to_string(round) + " importing " +
              std::to_string(to) + " (seed " + std::to_string(seed) + ")",
          &killed, /*torn=*/true);
  }
  Report("killed", killed);
  EXPECT_EQ(killed.total(), 12);
}

}  // namespace
}  // namespace zbtest
