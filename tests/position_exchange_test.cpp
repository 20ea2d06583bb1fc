// ".POS" exchange files: a position written out under a file name made
// from program and long name, and read into another project with the
// questions and refusals of the import.
#include <gtest/gtest.h>

#include "projectstore/position_copy.h"
#include "api/request_records.h"
#include "projectstore/position_exchange.h"
#include "projectstore/working_file.h"
#include "transfer_fixture.h"

namespace zbtest {
namespace {

namespace ps = zb::projectstore;
namespace env = zb::environment;

const char kHalle[] = "Halle 7";
const char kTraeger[] = "Tr\xe4ger: Pos 1/2";

class PositionExchangeTest : public TransferTest {
 protected:
  std::string Halle() { return JoinPath(data_, "PRO00002.PRO"); }
  ZBPROPOS_L ImportRequest(const std::string& file) {
    ZBPROPOS_L r = Request(kHalle, "Wird ersetzt", "DACH");
    SetText(r.szTmpDatei, sizeof r.szTmpDatei, file);
    return r;
  }
};

TEST_F(PositionExchangeTest, ExportNamesTheFileAndImportReadsItBack) {
  ZBPROPOS_L source = Request(kBruecke, kStuetze);
  ZBPROPOS_L target = Request(kBruecke, kTraeger);
  ASSERT_EQ(ps::CopyPosition(store(), &source, &target), 7);
  ZBPROPOS_L r = Request(kBruecke, kTraeger);
  EXPECT_EQ(ps::ExportPositionFile(store(), &r), 7);
  const std::string file = tmp_folder_ + "\\DLTTr\xe4ger_ Pos 1_2.POS";
  EXPECT_EQ(Str(r.szTmpDatei, 100), file);
  EXPECT_TRUE(LogHas("*** ZB_PositionExport"));
  // Quiet and without a lock: the project is as it was.
  EXPECT_EQ(Stored(project_, kTraeger).Ctrl & ps::kCtrlLocked, 0);
  EXPECT_EQ(lib().context().position_lock.state, 0);

  r = ImportRequest(file);
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), 7);
  EXPECT_EQ(Str(r.szPrgName, 6), "DLT");
  EXPECT_EQ(Str(r.szPosNameLong, 42), kTraeger);
  EXPECT_EQ(Str(r.szProBezeichnung, 42), "Achse B, Geschoss 1");
  EXPECT_EQ(Stored(Halle(), kTraeger).Recs, 4);
  EXPECT_EQ(Stored(Halle(), kTraeger).Ctrl & ps::kCtrlLocked, 0);
  EXPECT_EQ(lib().context().position_lock.state, 0);

  // There now: overwritten only after a Yes.
  r = ImportRequest(file);
  ui_.QueueAnswer(env::Answer::kNo);
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), -101);
  EXPECT_EQ(Str(r.szPrgName, 6), "DACH");  // untouched on failure
  EXPECT_EQ(ui_.messages().back().text,
            "Position 'DLT:Tr\xe4ger: Pos 1/2' existiert bereits.\n\xdc"
            "berschreiben? ");
  ui_.QueueAnswer(env::Answer::kYes);
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), 7);
}

TEST_F(PositionExchangeTest, TheInstallationsExchangeFileImports) {
  const std::string file = Path("DLTUnterzug U1.POS");
  ASSERT_TRUE(CopyFileTo(FixturePath("exchange/DLTUnterzug U1.POS"), file));
  ZBPROPOS_L r = ImportRequest(file);
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), 3 + 3);
  EXPECT_EQ(Str(r.szPosNameLong, 42), kUnterzug);
  // Locked where it came from; free in its new project.
  EXPECT_EQ(Stored(Halle(), kUnterzug).Ctrl & ps::kCtrlLocked, 0);
  EXPECT_EQ(Stored(Halle(), kUnterzug).Recs, 3);
}

TEST_F(PositionExchangeTest, ExportOfWhatTheProjectLacksAndIntoAnotherFolder) {
  // A folder in szTmpDatei: the file is still named into szTmpPfad.
  const std::string other = Path("Anderswo");
  ASSERT_TRUE(MakeFolder(other));
  ZBPROPOS_L r = Request(kBruecke, kStuetze);
  SetText(r.szTmpDatei, sizeof r.szTmpDatei, other);
  EXPECT_EQ(ps::ExportPositionFile(store(), &r), 7);
  EXPECT_EQ(Str(r.szTmpDatei, 260),
            tmp_folder_ + "\\DLTSt\xfctze 12 Achse B.POS");

  // A position the project does not hold is written as a new one.
  r = Request(kBruecke, "Fehlt");
  EXPECT_EQ(ps::ExportPositionFile(store(), &r), 4);
  EXPECT_EQ(Str(r.szTmpDatei, 260), tmp_folder_ + "\\DLTFehlt.POS");
  EXPECT_EQ(Only(Records(tmp_folder_ + "\\DLTFehlt.POS"), kDlt, 30002)
                .size(),
            2u);
}

TEST_F(PositionExchangeTest, Refusals) {
  ZBPROPOS_L r = ImportRequest("");
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), -101);
  r = ImportRequest(Path("x.POS"));
  SetText(r.szProName, 42, "");
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), -101);
  r = ImportRequest(Path("missing.POS"));
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), -4);

  // A file of no known program: the user assigns one, or nothing happens.
  PROINFO project{};
  SetText(project.szProject, 42, "Fremd");
  zb::recordstore::PosInfoExt position{};
  SetText(position.PosNameLong, 42, "Fremde Pos");
  std::string file = tmp_folder_;
  ASSERT_EQ(ps::CreateWorkingFileForNewPosition(store(), &file, "XYZ", project,
                                                position),
            4);
  r = ImportRequest(file);
  ui_.QueueText(std::nullopt);
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), -101);
  EXPECT_EQ(ui_.dialogs().back(), "SelectProgram");
  ui_.QueueText(std::string("DLT"));
  EXPECT_EQ(ps::ImportPositionFile(store(), &r), 1 + 3);
  EXPECT_NE(Stored(Halle(), "Fremde Pos").id, 0);
}

// Plain callers: a short name and the library's temporary folder.
TEST_F(PositionExchangeTest, ThroughTheExports) {
  ZBPROPOS r{};
  zb::api::RequestFromLong(Request(kBruecke, "Dach", "DACH"), &r);
  std::memset(r.szTmpPfad, 0, sizeof r.szTmpPfad);
  EXPECT_EQ(ZB_PositionExport(&r), 6);
  const std::string file = tmp_folder_ + "\\DACHDach.POS";
  EXPECT_EQ(Str(r.szTmpDatei, 100), file);
  ZBPROPOS in{};
  zb::api::RequestFromLong(Request(kHalle, "", ""), &in);
  SetText(in.szTmpDatei, 100, file);
  EXPECT_EQ(ZB_PositionImport(&in), 6);
  EXPECT_EQ(Str(in.szPrgName, 6), "DACH");
  EXPECT_EQ(Str(in.szPosName, 10), "Dach");
  EXPECT_TRUE(LogHas("*** ZB_PositionImport"));
}

}  // namespace
}  // namespace zbtest
