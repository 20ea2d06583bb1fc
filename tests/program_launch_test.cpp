// Starting a calculation program with a position: ZB_PositionStart and the
// explorer's print launch start a stand-in program from the program folder
// and hand it the task file; a missing program and a cancelled program
// choice start nothing.
#include "explorer/program_launch.h"
#include "explorer/list_print.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

#include "support/installed_data_fixture.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

namespace ex = zb::explorer;

class ProgramLaunchTest : public InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    ASSERT_TRUE(MakeFolder(Path("Programme")));
    ASSERT_TRUE(MakeFolder(Path("User")));
    const std::string exe = JoinPath(Path("Programme"), "DLT.exe");
    ASSERT_TRUE(CopyFileTo(ChildProgram("fake_program"), exe));
    std::filesystem::permissions(exe, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    lib().context().folders.program = Path("Programme") + "\\";
    lib().context().folders.configuration = Path("User") + "\\";
    received_ = Path("received.txt");
#ifdef _WIN32
    _putenv_s("ZBDB_FAKE_PROGRAM_OUT", received_.c_str());
#else
    setenv("ZBDB_FAKE_PROGRAM_OUT", received_.c_str(), 1);
#endif
  }
  // The lines the program wrote, once it has written `lines` of them.
  std::string Received(size_t lines) {
    std::string text;
    for (int i = 0; i < 200; ++i) {
      text = ReadText(received_);
      size_t count = 0;
      for (char c : text) count += c == '\n';
      if (count >= lines) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return text;
  }
  // The task file, without the blanks around quoted values (the private
  // profile functions of wine drop them, ours keep them).
  std::string TaskFile() {
    std::string text;
    for (char c : ReadText(JoinPath(Path("User"), "ZB_Kem.ini")))
      if (c != '\r') text += c;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"= \"", "=\""},
                                   {"\" \n", "\"\n"}})
      for (size_t at; (at = text.find(from)) != std::string::npos;)
        text.replace(at, from.size(), to);
    return text;
  }

  std::string received_;
};

TEST_F(ProgramLaunchTest, StartPrintMissingAndCancelled) {
  const std::string task = Path("User") + "\\ZB_Kem.ini";
  const std::string exe = Path("Programme") + "\\DLT.exe";

  // Open: the program gets itself and "/C", the quoted task file and its
  // (empty) parameters; the task file names the position only.
  ZBPROPOS request = Plain("DLT", "Pos 1");
  EXPECT_EQ(ZB_PositionStart(&request), 1);
  const std::string line = Received(1);
  const std::string arguments = "|/C \"" + task + "\" \n";
  ASSERT_GT(line.size(), arguments.size());
  EXPECT_EQ(line.substr(line.size() - arguments.size()), arguments);
  EXPECT_EQ(line.substr(line.size() - arguments.size() - 7, 7), "DLT.exe");
  std::string written = TaskFile();
  for (const std::string& line :
       {std::string("PosName=\"Pos 1\"\n"), std::string("PosNameLong=\"Pos 1\"\n"),
        std::string("ProName=\"") + kProject + "\"\n",
        std::string("ClassName=ZB_Explorer"),
        std::string("WindowTitel=ZB_Dokument_Manager//Explorer")})
    EXPECT_TRUE(Contains(written, line)) << line;
  EXPECT_EQ(written.find("[Options]"), std::string::npos);
  EXPECT_TRUE(LogHas("\n\n*** PositionStart: DLT :  mit Pro "));
  EXPECT_TRUE(LogHas("\n*** ENDE DLT: /retour OK!! \n"));

  // Print: waited for, the job in the task file written anew.
  ZBPROPOS_L print = Long("DLT", kStuetze);
  EXPECT_TRUE(ex::LaunchProgram(lib().context(), "DLT", print,
                                ex::LaunchMode::kPrint));
  EXPECT_EQ(Received(2).size(), 2 * line.size());
  written = TaskFile();
  EXPECT_EQ(written.find("Pos 1"), std::string::npos);
  for (const char* line : {"NoSplash=True", "Silent=True", "Cmd1=PrintAll"})
    EXPECT_TRUE(Contains(written, line)) << line;
  EXPECT_TRUE(LogHas("*** START: " + exe + " : print mit Pro "));

  // A program whose executable is missing: the reasons, nothing started.
  request = Plain("DACH", "Dach 1");
  EXPECT_EQ(ZB_PositionStart(&request), -101);
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_EQ(ui_.messages().back().text,
            "'Sparrendach' kann nicht gestartet werden .\n ExePath falsch "
            "oder Programm nicht vorhanden\nSTART: DACH: " +
                Path("Programme") + "\\DACH.exe ");
  EXPECT_EQ(ui_.messages().back().icon, zb::environment::Icon::kInformation);
  EXPECT_TRUE(LogHas("\n*** ENDE DACH: /fehler!! \n"));

  // No program named and the choice cancelled; the explorer without a
  // program filter.
  request = Plain("ALLE", "Pos 1");
  ui_.QueueText(std::nullopt);
  EXPECT_EQ(ZB_PositionStart(&request), 0);
  EXPECT_TRUE(LogHas("\n*** Programmauswahl....\n*** IDOK != cSelectPrgDlg.DoModal()"));
  EXPECT_FALSE(ex::LaunchProgram(lib().context(), "ALLE", print,
                                 ex::LaunchMode::kNewPosition));
  EXPECT_EQ(ui_.messages().back().text,
            "Programm 'ALLE' kann nicht gestartet werden .\n W\xE4hlen Sie "
            "zuerst ein Programm aus (Menu/Ansicht/Programmfilter...) ");
  EXPECT_EQ(Received(2).size(), 2 * line.size());
}

// List printing: each job replaces the one before; the lines are laid
// out in columns; without the print program the user learns where the
// job file is.
TEST_F(ProgramLaunchTest, PrintJobs) {
  ex::PrintTable projects{{"Projekt", "ge\xE4ndert", "Autor"}, {0, 10, 0},
                          {{kProject, "01.02.2026", "anna"}}};
  ex::WriteProjectListJob(lib().context(), data_, projects);
  ex::PrintTable positions{
      {"Position", "Beschreibung", "ge\xE4ndert", "Programm", "Seite"},
      {0, 0, 10, 0, 5},
      {{"Pos 1", "Tr\xE4ger", "01.02.2026", "DLT", "3"},
       {kStuetze, "", "", "DLT", "7"},
       {"Pos 3", "Dach", "02.02.2026", "DACH", "12"}}};
  ZBPROPOS_L request = Long("DLT", "");
  SetText(request.szAuthor, sizeof request.szAuthor, "anna");
  ex::WritePositionListJob(lib().context(), request, positions);
  const std::string job = ReadText(JoinPath(Path("User"), "ZB_Orm.ini"));
  EXPECT_EQ(job.find("[PROJEKT]"), std::string::npos);
  EXPECT_EQ(job.find("[PATH]"), std::string::npos);
  for (const std::string& line :
       {std::string("szPrgName=DLT"), std::string("\"anna\""),
        std::string("H0=\"Position           Beschreibung  ge\xE4ndert   Programm  Seite\""),
        std::string("L0="), std::string("L1="), std::string("L2=")})
    EXPECT_TRUE(Contains(job, line)) << line;
  EXPECT_EQ(job.find("L3="), std::string::npos);
  EXPECT_EQ(ex::PrintLines(positions)[2],
            std::string(kStuetze) + std::string(27, ' ') + "DLT       7    ");

  EXPECT_FALSE(ex::StartPrintProgram(lib().context()));
  EXPECT_TRUE(LogHas("\n\n*** START: " + Path("Programme") +
                     "\\ZBDB_Print.exe : mit /C " + Path("User") +
                     "\\ZB_Orm.ini "));
  ASSERT_FALSE(ui_.messages().empty());
  EXPECT_TRUE(Contains(ui_.messages().back().text, "ZB_Orm.ini"));
}

}  // namespace
}  // namespace zbtest
