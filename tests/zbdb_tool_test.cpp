// The zbdb tool's commands, run in-process: their output, their exit codes,
// and that looking at a file never changes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <tuple>

#include "care_commands.h"
#include "environment/scripted_ui.h"
#include "exchange_commands.h"
#include "project_commands.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "recordstore/compaction.h"
#include "support/project_fixture.h"
#include "support/record_fixture.h"
#include "zbdb_commands.h"

namespace zbtest {
namespace {

namespace tool = zb::tool;
namespace ps = zb::projectstore;

using Command = std::function<int(const tool::Streams&)>;
struct Result {
  int status = -1;
  std::string out, err;
  // Expected texts are Windows-1252, as the terminal gets them converted.
  bool Says(const std::string& s) const {
    return out.find(tool::TerminalText(s, false)) != s.npos;
  }
  bool Complains(const std::string& s) const {
    return err.find(tool::TerminalText(s, false)) != s.npos;
  }
};

// A failed command that names the complaint on its error stream.
::testing::AssertionResult Fails(const Result& r, const std::string& text) {
  if (r.status == tool::kExitFailed && r.Complains(text))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "status " << r.status << ", '" << text
                                       << "' not in: " << r.err;
}

// Runs a command with its output and error streams caught in files of the
// folder.
Result Capture(const std::string& folder, const Command& command,
               bool raw = false) {
  const std::string out = JoinPath(folder, "stdout.txt"),
                    err = JoinPath(folder, "stderr.txt");
  tool::Streams io;
  io.out = std::fopen(out.c_str(), "w+b");
  io.err = std::fopen(err.c_str(), "w+b");
  io.raw = raw;
  Result r;
  if (io.out && io.err) r.status = command(io);
  if (io.out) std::fclose(io.out);
  if (io.err) std::fclose(io.err);
  r.out = ReadText(out);
  r.err = ReadText(err);
  return r;
}

class ZbdbToolTest : public RecordStoreTest {
 protected:
  Result Run(decltype(&tool::ListCommand) command, const std::string& file,
             bool raw = false) {
    return Capture(
        dir_.path(), [&](const tool::Streams& io) { return command(file, io); },
        raw);
  }

  std::string MakeDemo() {
    const std::string path = Path("PRO00001.PRO");
    EXPECT_EQ(Run(tool::DemoCommand, path).status, tool::kExitOk);
    return path;
  }
};

TEST_F(ZbdbToolTest, DemoCheckAndListOfASoundFile) {
  const std::string path = MakeDemo();
  const Bytes bytes = ReadFileBytes(path);
  EXPECT_EQ(Str(&bytes[4], 42), "Demoprojekt");  // the project header
  Result r = Run(tool::CheckCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk);
  EXPECT_TRUE(r.Says("State:           closed cleanly\nRecords:         9 "))
      << r.out;
  EXPECT_TRUE(r.Says("Deleted records: 1\n")) << r.out;
  // A record's keys overwritten after the close: the index still names
  // the old ones, and reads by key would go wrong.
  Bytes overwritten = bytes;
  overwritten[500] ^= 0x01;
  ASSERT_TRUE(WriteFileBytes(Path("KEYS.PRO"), overwritten));
  r = Run(tool::CheckCommand, Path("KEYS.PRO"));
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Says("index disagrees with its records:\n")) << r.out;
  r = Run(tool::ListCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("INDEX=IdTop 2")) << r.out;
  EXPECT_TRUE(r.Says("\n\nRecords 9, Bytes: 500 + 674\n")) << r.out;
  EXPECT_TRUE(r.Says("      -2      101")) << r.out;  // the deleted record
#ifndef _WIN32
  // The Windows-1252 umlaut reaches the terminal as UTF-8, unless raw.
  EXPECT_NE(r.out.find("Durchlauftr\xC3\xA4ger"), std::string::npos) << r.out;
  r = Run(tool::ListCommand, path, true);
  EXPECT_EQ(r.status, tool::kExitOk);
  EXPECT_NE(r.out.find("Durchlauftr\xE4ger"), std::string::npos);
#endif
  // A second demo onto the same name, or into a missing folder, fails.
  EXPECT_TRUE(Fails(Run(tool::DemoCommand, path), path));
  EXPECT_EQ(ReadFileBytes(path), bytes);
  r = Run(tool::DemoCommand, JoinPath(Path("missing"), "X.PRO"));
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_FALSE(r.err.empty());
}

TEST_F(ZbdbToolTest, UnclosedMissingAndForeignFiles) {
  const std::string path = Path("UNCLOSED.PRO");
  const Bytes bytes = BuildUnclosedFile(
      {{10, 1, Pattern(12, 1)}, {-10, 2, Pattern(3, 2)},
       {11, 1, Pattern(5, 3)}});
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  Result r = Run(tool::CheckCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.out;
  EXPECT_TRUE(r.Says("needs re-indexing")) << r.out;
  EXPECT_TRUE(r.Says("Records:         3 ")) << r.out;
  EXPECT_TRUE(r.Says("Deleted records: 1\n")) << r.out;
  EXPECT_TRUE(r.Says("End of data:     538")) << r.out;
  r = Run(tool::ListCommand, path);  // read-only: no index is written
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("Records 3, Bytes")) << r.out;
  EXPECT_EQ(ReadFileBytes(path), bytes);
  // Nothing to drop, but the open for the copy re-indexes: said so.
  const std::string unclosed = Path("LIVE.PRO");
  ASSERT_TRUE(WriteFileBytes(unclosed, BuildUnclosedFile({{10, 1, {1, 2}}})));
  r = Run(tool::CompactCommand, unclosed);
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("no deleted records to drop, but the file was "
                     "re-indexed")) << r.out;
  EXPECT_TRUE(Run(tool::CheckCommand, unclosed).Says("closed cleanly"));

  const std::string missing = Path("NONE.PRO"), text = Path("NOTES.TXT");
  ASSERT_TRUE(WriteText(text, "no record file at all\n"));
  for (const std::string& file : {missing, text}) {
    EXPECT_TRUE(Fails(Run(tool::ListCommand, file), file));
  }
  EXPECT_TRUE(Fails(Run(tool::CheckCommand, missing), missing));
  r = Run(tool::CheckCommand, text);
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Says("not a record file")) << r.out;
  EXPECT_TRUE(Fails(Run(tool::CompactCommand, text), "not a record file"));
  EXPECT_EQ(ReadText(text), "no record file at all\n");
  EXPECT_EQ(Run(tool::CompactCommand, missing).status, tool::kExitFailed);
}

TEST_F(ZbdbToolTest, CompactDropsDeletedRecordsKeepsABackupAndRefusesAnOldOne) {
  const std::string path = MakeDemo();
  const std::string backup = zb::recordstore::CompactionBackupPath(path);
  ASSERT_TRUE(WriteText(backup, "older backup"));
  const Bytes old_bytes = ReadFileBytes(path);
  Result r = Run(tool::CompactCommand, path);  // refused before anything moves
  EXPECT_TRUE(Fails(r, "move it away"));
  EXPECT_EQ(ReadFileBytes(path), old_bytes);
  EXPECT_EQ(ReadText(backup), "older backup");

  ASSERT_EQ(std::remove(backup.c_str()), 0);
  r = Run(tool::CompactCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("dropped 1 deleted record,") && r.Says(backup)) << r.out;
  EXPECT_EQ(ReadFileBytes(backup), old_bytes);
  EXPECT_TRUE(Run(tool::CheckCommand, path).Says("Records:         8 "));

  // Nothing left to drop: the file stays, and no copy is left behind.
  const Bytes compacted = ReadFileBytes(path);
  ASSERT_EQ(std::remove(backup.c_str()), 0);
  r = Run(tool::CompactCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("unchanged")) << r.out;
  EXPECT_EQ(ReadFileBytes(path), compacted);
  EXPECT_FALSE(FileExists(zb::recordstore::CompactionTempPath(path)));
  EXPECT_FALSE(FileExists(backup));
}

TEST(ZbdbTerminalText, ControlCharactersAreMaskedAndTextConverted) {
  const std::string text = std::string("a\x01\x1b[2J\tb\n\x7f") + '\x80';
  EXPECT_EQ(tool::TerminalText(text, true), text);  // raw: the bytes exactly
#ifdef _WIN32
  EXPECT_EQ(tool::TerminalText(text, false),
            std::string("a..[2J\tb\n.") + '\x80');
#else
  EXPECT_EQ(tool::TerminalText(text, false), "a..[2J\tb\n.\xE2\x82\xAC");
  EXPECT_EQ(tool::TerminalText("\xFC", false), "\xC3\xBC");
  // What the library could store only mangled is refused.
  EXPECT_TRUE(tool::IsWindows1252Text("Br\xC3\xBC" "cke \xE2\x82\xAC 1"));
  EXPECT_FALSE(tool::IsWindows1252Text("Haus \xF0\x9F\x98\x80"));  // emoji
  EXPECT_FALSE(tool::IsWindows1252Text("Haus \xFC"));  // no UTF-8
#endif
}


// ---- Projects and positions of a data folder -------------------------------

const char kBruecke[] = "Br\xFC" "cke Nord";
const char kStuetze[] = "St\xFCtze 12 Achse B";

TEST_F(ZbdbToolTest, RepairAsksKeepsTheDamagedBytesAndLeavesSoundFilesAlone) {
  Result r = Run(tool::RepairCommand, MakeDemo());
  EXPECT_EQ(r.status, tool::kExitOk);
  EXPECT_TRUE(r.Says("is a sound record file: nothing to repair.")) << r.out;

  const std::string path = Path("PRO00002.PRO");
  const Bytes damaged = ReadFileBytes(FixturePath("damaged/PRO00002.PRO"));
  ASSERT_TRUE(WriteFileBytes(path, damaged));
  r = Run(tool::RepairCommand, path);  // the question is answered No
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Says("Nothing changed.")) << r.out;
  EXPECT_EQ(ReadFileBytes(path), damaged);

  zb::environment::ScriptedUi yes;  // answers Yes
  zb::api::LibraryServices services;
  services.ui = &yes;
  UseLibrary(services);
  r = Run(tool::RepairCommand, path);
  EXPECT_EQ(r.status, tool::kExitOk) << r.out << r.err;
  EXPECT_TRUE(r.Says("Copy pass:       C, 18 records copied")) << r.out;
  EXPECT_EQ(ReadFileBytes(Path("PRO00002.OLD")), damaged);
  EXPECT_TRUE(Run(tool::CheckCommand, path).Says("closed cleanly"));
}

class ZbdbProjectToolTest : public ProjectStoreTest {
 protected:
  void SetUp() override {
    ProjectStoreTest::SetUp();
    folder_ = Path("Daten");
    ASSERT_TRUE(MakeFolder(folder_));
    ASSERT_TRUE(CopyFixtureData(folder_, true));
    lib().catalogue().Load(FixturePath("ZBStatik/Programme") + "\\");
  }
  void TearDown() override {
    lib().catalogue().Clear();
    ProjectStoreTest::TearDown();
  }

  Result Run(const Command& command) { return Capture(dir_.path(), command); }
  // Arguments as the user types them (UTF-8 on POSIX).
  static std::string Typed(const std::string& cp1252) {
    return tool::ShownText(cp1252);
  }
  Result Projects() {
    return Run([&](const tool::Streams& io) {
      return tool::ProjectsCommand(folder_, io);
    });
  }
  Result Positions(const std::string& project) {
    return Run([&](const tool::Streams& io) {
      return tool::PositionsCommand(folder_, Typed(project), io);
    });
  }
  Result Unlock(const std::string& project, const std::string& position,
                const std::string& program) {
    return Run([&](const tool::Streams& io) {
      return tool::UnlockCommand(
          {folder_, Typed(project), Typed(position), program}, io);
    });
  }
  std::string ProjectFile(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "PRO%05d.PRO", number);
    return JoinPath(folder_, name);
  }
  int32_t StateOf(int number, int16_t program, const std::string& name,
                  zb::recordstore::PosInfoExt* info = nullptr) {
    return ps::PositionStateOfFile(store(), ProjectFile(number), program, name,
                                   info);
  }

  std::string folder_;
};

TEST_F(ZbdbProjectToolTest, ProjectsAndPositionsAreListedWithoutChanges) {
  const Bytes list = ReadFileBytes(JoinPath(folder_, "ZBPROS.ZB"));
  const Bytes project = ReadFileBytes(ProjectFile(1));
  ASSERT_FALSE(project.empty());
  Result r = Projects();
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("ZBPROS.ZB: 4 projects\n")) << r.out;
  EXPECT_TRUE(r.Says("No.  Name         Author       Created     Changed     "
                     "Kind  File\n")) << r.out;
  // Paths of the writing machine (D:\ZBStatik) are relocated here.
  EXPECT_TRUE(r.Says(std::string("  1  ") + kBruecke +
                     "  Ing. Maier   01.01.2010  05.02.2011  file  "
                     "PRO00001.PRO\n")) << r.out;
  EXPECT_TRUE(r.Says("  5  Haus 00005   B\xFCro Schulz")) << r.out;

  r = Positions(kBruecke);
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("PRO00001.PRO: 3 positions, 1 locked")) << r.out;
  EXPECT_TRUE(r.Says(std::string(kStuetze) + "  St\xFCtze ~  DLT       1     4"
                     "  -\n")) << r.out;
  EXPECT_TRUE(r.Says("Unterzug U1        Unterzu~  DLT       2     3  "
                     "mueller@CAD-03  31.01.2011,12:00\n")) << r.out;
  // The old 116-byte record of another program, widened.
  EXPECT_TRUE(r.Says("Dach               Dach      DACH      1     3  -\n"))
      << r.out;
  EXPECT_EQ(ReadFileBytes(JoinPath(folder_, "ZBPROS.ZB")), list);
  EXPECT_EQ(ReadFileBytes(ProjectFile(1)), project);

  EXPECT_TRUE(Fails(Positions("Nirgendwo"), "no project 'Nirgendwo'"));
  r = Positions("brücke nord");  // project names are compared exactly
  EXPECT_EQ(r.status, tool::kExitFailed);
  r = Run([&](const tool::Streams& io) {
    return tool::ProjectsCommand(Path("Fehlt"), io);
  });
  EXPECT_TRUE(Fails(r, "no such folder"));
}

TEST_F(ZbdbProjectToolTest, ExploreShowsProjectsWithTheirPositionsAndLocks) {
  const Bytes project = ReadFileBytes(ProjectFile(1));
  Result r = Run([&](const tool::Streams& io) {
    return tool::ExploreCommand(folder_, io);
  });
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says(": 4 projects\n")) << r.out;
  EXPECT_TRUE(r.Says(std::string("Project '") + kBruecke + "' (No. 1, Ing. Maier"))
      << r.out;
  EXPECT_TRUE(r.Says("locked by mueller@CAD-03")) << r.out;
  EXPECT_TRUE(r.Says("Project 'Halle 7'")) << r.out;
  EXPECT_EQ(ReadFileBytes(ProjectFile(1)), project) << "nothing written";
}

TEST_F(ZbdbProjectToolTest, AMissingListIsRebuiltAWriteProtectedOneRefused) {
  ASSERT_EQ(std::remove(JoinPath(folder_, "ZBPROS.ZB").c_str()), 0);
  Result r = Projects();
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("made anew")) << r.out;
  EXPECT_TRUE(r.Says("ZBPROS.ZB: 5 projects")) << r.out;
  // The names clash in the headers and are made unique with the number.
  EXPECT_TRUE(r.Says("  4  Haus 00004") && r.Says("  5  Haus 00005")) << r.out;
  EXPECT_TRUE(r.Says("folder  ZBProjekt_Altbau")) << r.out;
  r = Positions("Altbau Sanierung");
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("Decken")) << r.out;

  const std::string list = JoinPath(folder_, "ZBPROS.ZB");
  const Bytes bytes = ReadFileBytes(list);
  ASSERT_TRUE(SetWritable(list, false));
  for (const Result& refused :
       {Projects(), Positions(kBruecke),
        Run([&](const tool::Streams& io) {
          return tool::NewProjectCommand(folder_, "Neubau", "", io);
        })}) {
    EXPECT_TRUE(Fails(refused, "write-protected"));
  }
  EXPECT_TRUE(ui_.messages().empty());  // the library's stop never came
  SetWritable(list, true);
  EXPECT_EQ(ReadFileBytes(list), bytes);
}

TEST_F(ZbdbProjectToolTest, NewProjectIsListedAndBadNamesAreRefused) {
  auto create = [&](const std::string& name, const std::string& author) {
    return Run([&](const tool::Streams& io) {
      return tool::NewProjectCommand(folder_, Typed(name), author, io);
    });
  };
  Result r = create("  Neubau S\xFC" "d ", "Anna");
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  // Number 3 is the first one without a file.
  EXPECT_TRUE(r.Says("Project 'Neubau S\xFC" "d' created: number 3, file "
                     "PRO00003.PRO")) << r.out;
  EXPECT_TRUE(FileExists(ProjectFile(3)));
  EXPECT_TRUE(Projects().Says("  3  Neubau S\xFC" "d   Anna")) << r.out;
  EXPECT_TRUE(Positions("Neubau S\xFC" "d").Says(": 0 positions, 0 locked"));

  const Bytes list = ReadFileBytes(JoinPath(folder_, "ZBPROS.ZB"));
  r = create(kBruecke, "Someone Else");  // never a silent change of author
  EXPECT_TRUE(Fails(r, "exists already (number 1)"));
  EXPECT_EQ(create("  ab ", "").status, tool::kExitUsage);
  EXPECT_EQ(create(std::string(41, 'x'), "").status, tool::kExitUsage);
  EXPECT_EQ(create("Lang genug", std::string(30, 'a')).status,
            tool::kExitUsage);
  EXPECT_EQ(ReadFileBytes(JoinPath(folder_, "ZBPROS.ZB")), list);
}

TEST_F(ZbdbProjectToolTest, UnlockAsksThenClearsTheLockBit) {
  zb::recordstore::PosInfoExt info;
  ASSERT_EQ(StateOf(1, 101, "Unterzug U1"), 2);
  const Bytes before = ReadFileBytes(ProjectFile(1));
  ui_.QueueAnswer(zb::environment::Answer::kNo);
  Result r = Unlock(kBruecke, "unterzug u1", "DLT");  // case does not matter
  EXPECT_EQ(r.status, tool::kExitFailed);
  EXPECT_TRUE(r.Says("The position 'Unterzug U1' (DLT) of project '" +
                     std::string(kBruecke) +
                     "' is locked by mueller@CAD-03 since 31.01.2011,12:00"))
      << r.out;
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, "zbdb unlock");
  EXPECT_EQ(ui_.messages()[0].buttons, zb::environment::Buttons::kYesNo);
  EXPECT_EQ(ReadFileBytes(ProjectFile(1)), before);

  r = Unlock(kBruecke, "Unterzug U1", "101");  // Yes (the default answer)
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("is removed")) << r.out;
  EXPECT_EQ(StateOf(1, 101, "Unterzug U1", &info), 1);
  EXPECT_EQ(info.Ctrl & ps::kCtrlLocked, 0);
  EXPECT_FALSE(lib().context().position_lock.state);
  EXPECT_TRUE(Positions(kBruecke).Says(": 3 positions, 0 locked"));

  r = Unlock(kBruecke, "Unterzug U1", "DLT");
  EXPECT_EQ(r.status, tool::kExitOk);
  EXPECT_TRUE(r.Says("is not locked; nothing to do")) << r.out;
  EXPECT_EQ(ui_.messages().size(), 2u);  // no question this time
  for (const auto& [position, program, complaint] :
       {std::tuple<std::string, std::string, std::string>{
            "Unterzug U1", "DACH", "no position 'Unterzug U1' (DACH)"},
        {"Unterzug U1", "XYZ", "unknown program 'XYZ'"},
        {"Unterzug U1", "ALLE", "names no single program"}}) {
    EXPECT_TRUE(Fails(Unlock(kBruecke, position, program), complaint));
  }
}

TEST_F(ZbdbProjectToolTest, UnlockLeavesAProjectInUseAlone) {
  const int16_t other = Open(ProjectFile(1));  // another program reads
  Result r = Unlock(kBruecke, "Unterzug U1", "DLT");
  EXPECT_TRUE(Fails(r, "nothing changed"));
  DBClose(other);
  EXPECT_EQ(StateOf(1, 101, "Unterzug U1"), 2);
}

TEST_F(ZbdbProjectToolTest, ExportAndImportOfPosFiles) {
  auto exported = [&](const std::string& position, const std::string& program,
                      const std::string& to) {
    return Run([&](const tool::Streams& io) {
      return tool::ExportCommand({folder_, Typed(kBruecke), Typed(position),
                                  program},
                                 to, io);
    });
  };
  auto imported = [&](const std::string& project, const std::string& file) {
    return Run([&](const tool::Streams& io) {
      return tool::ImportCommand(folder_, Typed(project), file, io);
    });
  };
  const std::string out = Path("out");
  ASSERT_TRUE(MakeFolder(out));
  Result r = exported(kStuetze, "DLT", out);
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  const std::string file = JoinPath(out, Typed("DLTSt\xFCtze 12 Achse B.POS"));
  EXPECT_TRUE(FileExists(file)) << r.out;
  // A locked position is written out, and keeps its holder.
  r = exported("Unterzug U1", "DLT", JoinPath(out, "u1.pos"));
  EXPECT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says("u1.pos")) << r.out;
  EXPECT_EQ(StateOf(1, 101, "Unterzug U1"), 2);
  r = exported("Nirgends", "DLT", out);  // no file of an empty position
  EXPECT_TRUE(Fails(r, "no position 'Nirgends' (DLT)"));
  EXPECT_FALSE(FileExists(JoinPath(out, "DLTNirgends.POS")));
  EXPECT_EQ(exported(kStuetze, "999", out).status, tool::kExitFailed);

  ASSERT_EQ(Run([&](const tool::Streams& io) {
              return tool::NewProjectCommand(folder_, "Neubau", "", io);
            }).status,
            tool::kExitOk);
  r = imported("Neubau", file);
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says(std::string("Position '") + kStuetze +
                     "' (DLT) stored in project 'Neubau': 4 records")) << r.out;
  EXPECT_TRUE(Positions("Neubau").Says(std::string(kStuetze) +
                                      "  St\xFCtze ~  DLT       1     4  -"));
  // The import takes no lock that outlives it.
  EXPECT_EQ(StateOf(3, 101, kStuetze), 1);

  // A position of that name exists now: overwritten only after a Yes.
  const Bytes project = ReadFileBytes(ProjectFile(3));
  ui_.QueueAnswer(zb::environment::Answer::kNo);
  EXPECT_TRUE(Fails(imported("Neubau", file), "nothing imported"));
  EXPECT_EQ(ReadFileBytes(ProjectFile(3)), project);
  EXPECT_EQ(imported("Neubau", file).status, tool::kExitOk);

  EXPECT_TRUE(imported("Neubau", JoinPath(out, "none.pos"))
                  .Complains("no such file"));
  // Failures say what is wrong with which file.
  EXPECT_TRUE(imported(kBruecke, JoinPath(out, "u1.pos"))
                  .Complains("is locked by mueller@CAD-03 since"));
  EXPECT_TRUE(exported(kStuetze, "DLT", JoinPath(Path("none"), "x.pos"))
                  .Complains("does not exist"));
  ASSERT_TRUE(SetWritable(ProjectFile(3), false));
  EXPECT_TRUE(imported("Neubau", file).Complains("is write-protected"));
  ASSERT_TRUE(SetWritable(ProjectFile(3), true));
  ASSERT_TRUE(WriteFileBytes(ProjectFile(3), Bytes(project.begin(),
                                                   project.begin() + 900)));
  r = imported("Neubau", file);
  EXPECT_TRUE(r.Complains("PRO00003.PRO is damaged")) << r.err;
  EXPECT_TRUE(imported("Gibt es nicht", file).Complains("no project"));
}

TEST_F(ZbdbProjectToolTest, DemoProjectInAFolder) {
  const std::string empty = Path("Leer");
  ASSERT_TRUE(MakeFolder(empty));
  Result r = Run([&](const tool::Streams& io) {  // no list made here
    return tool::ProjectsCommand(empty, io);
  });
  EXPECT_TRUE(Fails(r, "Leer is not a data folder"));
  EXPECT_FALSE(FileExists(JoinPath(empty, "ZBPROS.ZB")));
  r = Run([&](const tool::Streams& io) {
    return tool::DemoCommand(empty, io);
  });
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  r = Run([&](const tool::Streams& io) {
    return tool::PositionsCommand(empty, "Demoprojekt", io);
  });
  ASSERT_EQ(r.status, tool::kExitOk) << r.err;
  EXPECT_TRUE(r.Says(": 2 positions, 1 locked")) << r.out;
  EXPECT_TRUE(r.Says("DLT       2     3  anna@CAD-01")) << r.out;
  r = Run([&](const tool::Streams& io) {
    return tool::DemoCommand(empty, io);
  });
  EXPECT_TRUE(Fails(r, "already"));
}

}  // namespace
}  // namespace zbtest
