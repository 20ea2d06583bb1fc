// Login, folders and logout of the library context, with the companion
// library replaced by a fake whose folders point into a temporary
// installation, and every window answered by a ScriptedUi.
#include <gtest/gtest.h>

#include <map>

#include "environment/companion.h"
#include "environment/folder_settings.h"
#include "environment/config_file.h"
#include "environment/folders.h"
#include "environment/history_file.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/scripted_ui.h"
#include "platform/platform.h"
#include "support/login_fixture.h"

namespace zbtest {
namespace {

namespace env = zb::environment;
using env::FolderKind;

class LoginTest : public LoginFoldersTest {
 protected:
  void SetUp() override {
    LoginFoldersTest::SetUp();
    companions_.base_folder_read_only = true;
  }
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services = LoginFoldersTest::Services();
    services.ui = &ui_;
    return services;
  }
  // A library that has not logged in yet, with this test's companions.
  void RestartLibrary() { UseLibrary(Services()); }
  std::string LogText() {
    return ReadText(JoinPath(ConfigurationFolder(), "DBReport.Log"));
  }

  env::ScriptedUi ui_;
};

TEST(FoldersTest, NormalFormOfFolderTexts) {
  EXPECT_EQ(env::NormaliseFolder("C:\\Daten\\\\"), "C:\\Daten\\");
  EXPECT_EQ(env::NormaliseFolder("C:\\Daten"), "C:\\Daten\\");
  EXPECT_EQ(env::NormaliseFolder("C:\\\\a\\\\b\\\\\\"), "C:\\a\\b\\");
  EXPECT_EQ(env::NormaliseFolder("\\\\server\\\\share\\"),
            "\\\\server\\share\\");
  EXPECT_EQ(env::NormaliseFolder("\\\\\\"), "");
  EXPECT_EQ(env::NormaliseFolder(""), "");
}

TEST_F(LoginTest, DataFolderValidation) {
  const std::string program = Path("Programme");
  EXPECT_EQ(env::ValidateDataFolder(lib().os(), Path("Daten"), program), 0);
  EXPECT_EQ(env::ValidateDataFolder(lib().os(), Path("missing"), program), 513);
  EXPECT_EQ(env::ValidateDataFolder(lib().os(), program + "\\", program), 516);
  std::string deep = Path("d");
  while (env::NormaliseFolder(deep).size() < 85) deep += "x";
  deep.resize(84);
  ASSERT_TRUE(MakeFolder(deep));
  ASSERT_EQ(env::NormaliseFolder(deep).size(), 85u);
  EXPECT_EQ(env::ValidateDataFolder(lib().os(), deep, program), 520);
  EXPECT_EQ(env::ValidateDataFolder(lib().os(), "C:\\", program),
            514);  // POSIX: "/"
  EXPECT_EQ(env::ValidateTemporaryFolder(lib().os(), lib().log(), Path("TMP")),
            0);
  EXPECT_EQ(env::ValidateTemporaryFolder(lib().os(), lib().log(), Path("none")),
            env::kTemporaryInvalid);
  EXPECT_EQ(
      env::ValidateConfigurationFolder(lib().os(), lib().log(), Path("none")),
      env::kConfigurationInvalid);
}

TEST_F(LoginTest, LoginFillsTheContextAndCountsOn) {
  EXPECT_EQ(ZBDB_GetVersion(), 0);
  EXPECT_EQ(env::Login(lib().session()), 1);
  env::LibraryContext& context = lib().context();
  EXPECT_EQ(context.login_counter, 2);
  EXPECT_FALSE(context.user.empty());
  EXPECT_FALSE(context.computer.empty());
  EXPECT_EQ(context.folders.data, Path("Daten") + "\\");
  EXPECT_EQ(context.log.path(),
            JoinPath(Path("User"), "tester") + "\\DBReport.Log");
  EXPECT_EQ(context.help_path, Path("Programme") + "\\ZBDB.hlp");
  EXPECT_GE(context.guid_text.size(), 20u);
  EXPECT_EQ(ui_.folder_settings_shown(), 0);
  const std::string log = LogText();
  EXPECT_TRUE(Contains(log, "*** DataPath      " + Path("Daten") + "\\"))
      << log;
  EXPECT_EQ(ZBDB_Login(), 1);
  EXPECT_EQ(context.login_counter, 3);
  EXPECT_EQ(ZBDB_Logout(), 1);
  EXPECT_TRUE(Contains(LogText(), "*** LOGOUT ZBDB *** "));
}

TEST_F(LoginTest, TooSmallACatalogueAsksTheProgramToQuit) {
  zb::platform::Platform& os = lib().os();
  for (const char* keys : {"zbkeys.ini", "ZBKEYS.DAT"})
    ASSERT_TRUE(os.RemoveFile(JoinPath(Path("Programme"), keys)).ok());
  EXPECT_EQ(env::Login(lib().session()), -101);
  EXPECT_EQ(os.posted_quit(), 1);
  EXPECT_EQ(lib().context().login_counter, 1);
  const std::string log = LogText();
  EXPECT_TRUE(Contains(log, "\n### ERROR ###  ProgramKeysFile= '"));
  EXPECT_TRUE(Contains(log,
                       "\n### ERROR ###  No Program keys loaded. Restart the "
                       "program."));
}

TEST_F(LoginTest, InvalidFoldersShowTheSettingsDialog) {
  // Cancelled: the message lists the invalid folders under their headings,
  // the login fails.
  const std::string gone = JoinPath(Path("User"), "gone");
  companions_.folders[FolderKind::kData] = Path("gone");
  companions_.folders[FolderKind::kConfiguration] = gone;
  EXPECT_EQ(env::Login(lib().session()), 0);
  EXPECT_EQ(ui_.folder_settings_shown(), 1);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].caption, "ZB_Datenverwaltung ");
  EXPECT_EQ(ui_.messages()[0].icon, env::Icon::kError);
  const std::string& text = ui_.messages()[0].text;
  for (const std::string& part : {std::string("Datenverzeichnis"),
                                  std::string("Persönlicher Ordner"), gone,
                                  std::string(" \n\n Fehler! Programm wird beendet")})
    EXPECT_TRUE(Contains(text, part)) << part;
  EXPECT_EQ(text.find("Ordner (ohne Benutzernamen)"), std::string::npos);

  // Confirmed with a valid data folder: handed to the companion, logged in.
  RestartLibrary();
  companions_.folders[FolderKind::kConfiguration] = JoinPath(Path("User"), "tester");
  ui_.QueueFolderSettings([this](env::FolderSettingsModel& model) {
    EXPECT_FALSE(model.valid(env::FolderField::kData));
    EXPECT_FALSE(model.editable(env::FolderField::kProgram));
    model.SetText(env::FolderField::kData, Path("Daten"));
    EXPECT_FALSE(model.OnOk(env::FolderField::kData));  // focus: stays open
    EXPECT_TRUE(model.valid(env::FolderField::kData));
    return model.OnOk(std::nullopt);
  });
  EXPECT_EQ(env::Login(lib().session()), 1);
  EXPECT_EQ(companions_.folders[FolderKind::kData], Path("Daten") + "\\");
}

TEST_F(LoginTest, ConfigurationAndHistoryFiles) {
  const std::string folder = JoinPath(Path("User"), "tester");
  zb::platform::Platform& os = lib().os();
  env::ConfigSettings settings =
      env::ReadConfig(lib().os(), lib().log(), folder);
  EXPECT_EQ(settings.project_extension, ".PRO");
  EXPECT_EQ(settings.previews_enabled, 1);
  settings.project_extension = "XYZ";
  settings.more_icons = 3;
  env::WriteConfig(lib().os(), lib().log(), folder, settings);
  EXPECT_EQ(
      os.ReadProfileText(env::ConfigPath(folder), "PROJEKTE:", "MoreIcons", ""),
      "3");
  const env::ConfigSettings again =
      env::ReadConfig(lib().os(), lib().log(), folder);
  EXPECT_EQ(again.project_extension, ".XYZ");  // the dot comes back
  EXPECT_EQ(again.more_icons, 3);

  // A ten-character long name sets the short name, unless one is stored.
  env::Folders folders;
  folders.configuration = folder + "\\";
  folders.data = Path("Daten") + "\\";
  const std::string history = env::HistoryPath(folders.configuration);
  os.WriteProfileText(history, "ZB_PROPOS", "Position", "Pos 123456");
  ZBPROPOS_L request{};
  env::ReadHistory(lib().os(), folders, &request);
  EXPECT_STREQ(request.szPosNameLong, "Pos 123456");
  EXPECT_STREQ(request.szPosName, "Pos 12345");  // nine characters fit
  EXPECT_STREQ(request.szPrgName, "ALLE");
  EXPECT_EQ(std::string(request.szDataPfad), folders.data);
  os.WriteProfileText(history, "ZB_PROPOS", "PositionShort", "Kurz");
  env::ReadHistory(lib().os(), folders, &request);
  EXPECT_STREQ(request.szPosName, "Kurz");

  EXPECT_GT(DSKGetSpaceMb(Path("Daten").c_str(), 0), 0.0);
}

}  // namespace
}  // namespace zbtest
