// Copying and moving positions between the installation's projects, and
// ZB_PositionCopy's questions when the target leaves project or name open.
#include <gtest/gtest.h>

#include "projectstore/position_copy.h"
#include "api/request_records.h"
#include "projectstore/position_edit.h"
#include "projectstore/working_file.h"
#include "transfer_fixture.h"

namespace zbtest {
namespace {

namespace ps = zb::projectstore;
namespace env = zb::environment;
using zb::recordstore::PosInfoExt;

const char kHalle[] = "Halle 7";

class PositionCopyTest : public TransferTest {
 protected:
  std::string Halle() { return JoinPath(data_, "PRO00002.PRO"); }
  // The data of the position's records as the project stores them.
  std::vector<Bytes> DataOf(const std::string& project, int16_t id,
                            int16_t program = kDlt) {
    std::vector<Bytes> out;
    for (const Rec& r : Only(Records(project), id, program))
      out.push_back(r.data);
    return out;
  }
  bool TmpFolderEmpty() {
    std::vector<zb::platform::DirEntry> found;
    lib().os().FindFiles(tmp_folder_ + "\\*.*", &found);
    for (const auto& e : found)
      if (!e.is_folder) return false;
    return true;
  }
  // Plain requests as a program passes them to the exports.
  static ZBPROPOS Plain(const ZBPROPOS_L& r) {
    ZBPROPOS p{};
    zb::api::RequestFromLong(r, &p);
    return p;
  }
};

TEST_F(PositionCopyTest, CopyBetweenProjectsWithoutPagesAndLocks) {
  ZBPROPOS_L source = Request(kBruecke, kStuetze);
  ZBPROPOS_L target = Request(kHalle, "");
  EXPECT_EQ(ps::CopyPosition(store(), &source, &target), 4 + 3);
  const PosInfoExt copy = Stored(Halle(), kStuetze);
  ASSERT_NE(copy.id, 0);
  EXPECT_EQ(Pages(copy), "0+0");  // the original starts at page 5, 3 pages
  EXPECT_EQ(copy.Recs, 4);
  EXPECT_EQ(copy.Ctrl & ps::kCtrlLocked, 0);
  EXPECT_EQ(Str(copy.Designation, 42), "Achse B, Geschoss 1");
  const PosInfoExt original = Stored(project_, kStuetze);
  EXPECT_EQ(original.page_count, 3);
  EXPECT_EQ(original.Ctrl & ps::kCtrlLocked, 0);
  // The records after the PROPOS tag are the original's.
  const std::vector<Bytes> from = DataOf(project_, original.id);
  const std::vector<Bytes> to = DataOf(Halle(), int16_t(copy.id));
  ASSERT_EQ(to.size(), from.size());
  for (size_t i = 1; i < to.size(); ++i) EXPECT_EQ(to[i], from[i]) << i;
  EXPECT_EQ(lib().context().position_lock.state, 0);
  EXPECT_TRUE(TmpFolderEmpty());
  EXPECT_TRUE(LogHas(" COPY position from: " + data_ + "//" + kBruecke +
                     "//St\xfctze ~\n" + std::string(25, ' ') + "to: " + data_ +
                     "//" + kHalle + "//St\xfctze ~ "));
  EXPECT_TRUE(LogHas(" result: 7!!\n"));
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(PositionCopyTest, ALockHeldBeforeIsTakenAgain) {
  PROINFO project{};
  SetText(project.szProject, 42, kBruecke);
  PosInfoExt dach{};
  SetText(dach.PosNameLong, 42, "Dach");
  std::string working = tmp_folder_;
  int32_t error = 0;
  ASSERT_EQ(ps::LoadPositionIntoWorkingFile(store(), data_, &working, "DACH",
                                            project, &dach, &error, 0),
            6);
  ASSERT_EQ(lib().context().position_lock.state, 1);
  ZBPROPOS_L source = Request(kBruecke, kStuetze);
  ZBPROPOS_L target = Request(kHalle, "Kopie");
  EXPECT_EQ(ps::CopyPosition(store(), &source, &target), 7);
  EXPECT_EQ(lib().context().position_lock.state, 1);
  EXPECT_EQ(lib().context().position_lock.name, "Dach");
  EXPECT_EQ(Stored(project_, "Dach", kDach).Ctrl & ps::kCtrlLocked, 1);
  EXPECT_NE(Stored(Halle(), "Kopie").id, 0);
}

TEST_F(PositionCopyTest, MoveDeletesTheSourceUnlessLockedByAnother) {
  ZBPROPOS_L source = Request(kBruecke, kStuetze);
  ZBPROPOS_L target = Request(kHalle, "");
  EXPECT_EQ(ps::MovePosition(store(), &source, &target),
            5);  // 4 records + POSINFO
  EXPECT_EQ(Stored(project_, kStuetze).id, 0);
  EXPECT_EQ(Stored(Halle(), kStuetze).Recs, 4);
  EXPECT_TRUE(LogHas(" MOVE position = COPY + DELETE"));
  EXPECT_TRUE(LogHas("\n         DELETE position  " + data_ + "//" + kBruecke +
                     "//" + kStuetze));
  // mueller's position: copied, but the original stays.
  source = Request(kBruecke, kUnterzug);
  target = Request(kHalle, "");
  EXPECT_EQ(ps::MovePosition(store(), &source, &target), 0);
  EXPECT_NE(Stored(project_, kUnterzug).id, 0);
  EXPECT_EQ(Stored(Halle(), kUnterzug).Recs, 3);
}

TEST_F(PositionCopyTest, Refusals) {
  ZBPROPOS_L source = Request(kBruecke, kStuetze);
  ZBPROPOS_L target = Request(kBruecke, "st\xfctze 12 achse b");
  EXPECT_EQ(ps::MovePosition(store(), &source, &target),
            ps::kPositionCopyToItself);
  EXPECT_NE(Stored(project_, kStuetze).id, 0);
  source = Request(kBruecke, "Fehlt");
  target = Request(kHalle, "");
  EXPECT_EQ(ps::CopyPosition(store(), &source, &target), -302);
  source = Request("Fehlt", kStuetze);
  EXPECT_EQ(ps::CopyPosition(store(), &source, &target), -202);
  source = Request(kBruecke, kStuetze);
  target = Request("", "");
  EXPECT_EQ(ps::CopyPosition(store(), &source, &target), -1);
  ZBPROPOS plain_source = Plain(source), plain_target = Plain(target);
  EXPECT_EQ(ZB_PositionMove(&plain_source, &plain_target), -1);
}

// Plain callers name the position by its short name: "Dach" of DACH.
TEST_F(PositionCopyTest, ZBPositionCopyAsksForProjectAndName) {
  ZBPROPOS source = Plain(Request(kBruecke, "Dach", "DACH"));
  ZBPROPOS target = Plain(Request("", "", ""));
  ui_.QueueText(std::string(kHalle));
  EXPECT_EQ(ZB_PositionCopy(&source, &target), 6);
  EXPECT_EQ(ui_.dialogs().at(0), "SelectProject");
  EXPECT_EQ(ui_.messages().at(0).text,
            "Position 'Dach' kopieren in Projekt 'Halle 7' ?");
  EXPECT_EQ(Stored(Halle(), "Dach", kDach).Recs, 3);
  EXPECT_EQ(Str(target.szProName, 42), kHalle);

  // There now: No to overwriting, then names until a free one is given.
  target = Plain(Request(kHalle, "", ""));
  ui_.QueueAnswer(env::Answer::kYes);
  ui_.QueueAnswer(env::Answer::kNo);
  ui_.QueueText(std::string("dach"));
  ui_.QueueText(std::string("Dach 2"));
  EXPECT_EQ(ZB_PositionCopy(&source, &target), 1);
  EXPECT_EQ(ui_.messages().at(2).text,
            "Position 'DACH:Dach' existiert bereits.\n\xdc" "berschreiben? ");
  const std::string title =
      "Position aus  Projekt ' Br\xfc" "cke Nord' kopieren  in 'Halle 7' als:";
  EXPECT_EQ(ui_.dialogs(),
            (std::vector<std::string>{"SelectProject", title, title}));
  EXPECT_EQ(Stored(Halle(), "Dach 2", kDach).Recs, 3);

  // The last answer is the result: No, or the name dialog cancelled.
  target = Plain(Request(kHalle, "", ""));
  ui_.QueueAnswer(env::Answer::kNo);
  EXPECT_EQ(ZB_PositionCopy(&source, &target), 7);
  target = Plain(Request(kHalle, "", ""));
  ui_.QueueAnswer(env::Answer::kYes);
  ui_.QueueAnswer(env::Answer::kNo);
  ui_.QueueText(std::nullopt);
  EXPECT_EQ(ZB_PositionCopy(&source, &target), 2);
  // Both given: copied at once, the copy's result.
  target = Plain(Request(kHalle, "Dach 3", ""));
  EXPECT_EQ(ZB_PositionCopy(&source, &target), 3 + 3);
}

}  // namespace
}  // namespace zbtest
