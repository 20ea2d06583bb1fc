// The companion libraries zbdisk and ZBResource900, loaded for real from the
// folder of the test program (natively and under wine), and the library's
// side that calls them by ordinal. Each test points the product folder at a
// temporary folder and (POSIX) the per-user store at another.
#include "environment/companion.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "companion/zbdisk.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace {

using zb::environment::FolderKind;
using zb::environment::LoadedCompanions;
namespace disk = zb::companion::disk;

constexpr FolderKind kAllKinds[] = {
    FolderKind::kProgram, FolderKind::kData,          FolderKind::kTemporary,
    FolderKind::kUser,    FolderKind::kConfiguration, FolderKind::kBase};
constexpr FolderKind kSettable[] = {FolderKind::kProgram, FolderKind::kData,
                                    FolderKind::kTemporary, FolderKind::kUser,
                                    FolderKind::kConfiguration};
constexpr const char* kOverrides[] = {"ZBDB_PROGRAM_DIR", "ZBDB_DATA_DIR",
                                      "ZBDB_TMP_DIR",     "ZBDB_USER_DIR",
                                      "ZBDB_INI_DIR",     "ZBDB_BASE_DIR"};

std::string SystemUser() {
  const std::string user = zb::platform::NewNativePlatform()->UserName();
  return user.empty() ? "ZB_GAST" : user;
}

class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kOverrides) settings_.Set(name, std::nullopt);
    settings_.Set("ZBSTATIK_HOME", product_.path());
#ifndef _WIN32
    settings_.Set("XDG_CONFIG_HOME", store_.path());
#endif
    Reload();
    ClearStore();
  }
  void TearDown() override { ClearStore(); }
  // A freshly loaded pair of companion libraries.
  void Reload() {
    companions_.reset();
    companions_ = std::make_unique<LoadedCompanions>(*os_);
  }
  // The registry of the wine prefix outlives a test.
  void ClearStore() {
    for (FolderKind kind : kSettable) companions().WriteFolder(kind, "");
  }

  zb::environment::Companions& companions() { return *companions_; }
  std::string Read(FolderKind kind) {
    std::string folder = "untouched";
    const int result = companions().ReadFolder(kind, &folder);
    return result == 0 ? folder : "error " + std::to_string(result);
  }
  std::string CompanionPath(const char* file) {
    const std::string own = os_->OwnModulePath();
    return own.substr(0, own.find_last_of("\\/") + 1) + file;
  }

  std::unique_ptr<zb::platform::Platform> os_ =
      zb::platform::NewNativePlatform();
  std::unique_ptr<LoadedCompanions> companions_;
  zbtest::ScopedEnv settings_;
  zbtest::TempDir product_;
  zbtest::TempDir store_;
};

// Defaults below the product folder, stored values, the environment over
// both, a fresh library reading the store, and the default back on "".
TEST_F(CompanionTest, FolderDefaultsStoredValuesAndEnvironmentSettings) {
  const std::string below[] = {"Programme", "Daten", "TMP",
                               "User",      "User\\" + SystemUser(), "Basis"};
  for (size_t i = 0; i < std::size(below); ++i)
    EXPECT_EQ(Read(kAllKinds[i]), product_.path() + "\\" + below[i] + "\\");
  // Windows-1252 bytes and blanks must survive the store.
  const std::vector<std::string> folders = {
      "C:\\ZB Programme\\", "E:\\Daten \xC4nderung\\", "F:\\Tmp\\",
      "\\\\server\\user\\", "G:\\Ini\\f\xFCr mich\\"};
  for (size_t i = 0; i < folders.size(); ++i)
    ASSERT_EQ(companions().WriteFolder(kSettable[i], folders[i]), 0) << i;
  for (size_t i = 0; i < folders.size(); ++i)
    EXPECT_EQ(Read(kSettable[i]), folders[i]) << i;
  // A setting in the environment wins over a stored value.
  for (size_t i = 0; i < std::size(kOverrides); ++i)
    settings_.Set(kOverrides[i], "X:\\" + std::to_string(i));
  for (size_t i = 0; i < std::size(kOverrides); ++i)
    EXPECT_EQ(Read(kAllKinds[i]), "X:\\" + std::to_string(i)) << kOverrides[i];
  for (const char* name : kOverrides) settings_.Set(name, std::nullopt);

  // Kept where other programs of the suite read them, and read again by a
  // freshly loaded library.
  std::string stored;
  ASSERT_TRUE(os_->ReadUserText("Folders", "DataPath", &stored));
  EXPECT_EQ(stored, folders[1]);
  Reload();
  EXPECT_EQ(Read(FolderKind::kConfiguration), folders[4]);

  // The base folder has no setting; an empty text brings the default back.
  EXPECT_NE(companions().WriteFolder(FolderKind::kBase, "H:\\Basis\\"), 0);
  EXPECT_EQ(Read(FolderKind::kBase), product_.path() + "\\Basis\\");
  ASSERT_EQ(companions().WriteFolder(FolderKind::kData, ""), 0);
  EXPECT_EQ(Read(FolderKind::kData), product_.path() + "\\Daten\\");
  EXPECT_EQ(Read(FolderKind::kTemporary), folders[2]);

  // Without ZBSTATIK_HOME: D:\ZBStatik (C: when D: is a CD-ROM drive) on
  // Windows, the home folder's ZBStatik elsewhere.
  settings_.Set("ZBSTATIK_HOME", std::nullopt);
#ifdef _WIN32
  const bool cd =
      os_->DriveKindOf("D:\\") == zb::platform::Platform::DriveKind::kCdRom;
  EXPECT_EQ(Read(FolderKind::kData),
            std::string(cd ? "C:" : "D:") + "\\ZBStatik\\Daten\\");
#else
  settings_.Set("HOME", product_.path());
  EXPECT_EQ(Read(FolderKind::kData), product_.path() + "/ZBStatik\\Daten\\");
#endif
}

TEST_F(CompanionTest, ErrorCodesWhenAFolderHasNoValue) {
  const std::vector<int> codes = {50, 51, 52, 57, 57, 49};
  const int ordinals[] = {
      disk::kReadProgramFolder,       disk::kReadDataFolder,
      disk::kReadTemporaryFolder,     disk::kReadUserFolder,
      disk::kReadConfigurationFolder, disk::kReadBaseFolder};
  // A buffer too small for the folder is left alone.
  zb::platform::Platform& os = *os_;
  void* library =
      os.LoadLibraryFile(CompanionPath(LoadedCompanions::kDiskFile));
  ASSERT_NE(library, nullptr);
  for (size_t i = 0; i < codes.size(); ++i) {
    auto read = reinterpret_cast<disk::ReadFolderFn>(
        os.ProcedureByOrdinal(library, ordinals[i]));
    ASSERT_NE(read, nullptr) << ordinals[i];
    char small[8] = "keep";
    EXPECT_EQ(read(small, sizeof small), codes[i]) << ordinals[i];
    EXPECT_STREQ(small, "keep");
  }
  os.FreeLibraryFile(library);

#ifndef _WIN32
  // No product folder at all (no ZBSTATIK_HOME, no home) and nothing stored.
  settings_.Set("ZBSTATIK_HOME", std::nullopt);
  settings_.Set("HOME", std::nullopt);
  for (size_t i = 0; i < codes.size(); ++i)
    EXPECT_EQ(Read(kAllKinds[i]), "error " + std::to_string(codes[i])) << i;
#endif
}

TEST_F(CompanionTest, LanguageAndResourceHandle) {
  EXPECT_EQ(companions().Language(), 1031);
  EXPECT_EQ(companions().LanguageShortName(1031), "DEU");
  EXPECT_EQ(companions().LanguageShortName(1033), "ENU");
  EXPECT_EQ(companions().LanguageShortName(1036), "XXX");
  // The list restarts with every first call.
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(companions().FirstLanguage(), 1031);
    EXPECT_EQ(companions().NextLanguage(), 0);
    EXPECT_EQ(companions().NextLanguage(), 0);
  }
  // A language that is not installed is not taken.
  companions().ChooseLanguage(1033);
  EXPECT_EQ(companions().Language(), 1031);
  EXPECT_EQ(companions().LanguageSetting(), 1031);
  EXPECT_EQ(companions().SecondLanguage(), 1031);
  EXPECT_EQ(companions().PositionListValue(), 0);

  int instance = 0;
  void* handle = companions().AcquireResourceHandle(&instance);
  EXPECT_NE(handle, nullptr);
  companions().SelectResourceLanguage(1031);
  companions().SecondResourceSelection();
  companions().ReleaseResourceHandle(handle);
  EXPECT_EQ(companions().error(), "");
}

TEST_F(CompanionTest, MissingLibrariesAndOrdinalsAreReportedNotFatal) {
  LoadedCompanions missing(*os_, "no-such-zbdisk.lib", "no-such-resource.lib");
  for (FolderKind kind : kAllKinds) {
    std::string folder = "untouched";
    EXPECT_EQ(missing.ReadFolder(kind, &folder),
              zb::environment::FolderErrorCode(kind));
    EXPECT_EQ(folder, "untouched");
  }
  EXPECT_EQ(missing.error(),
            "companion library zbdisk not found (no-such-zbdisk.lib)");
  for (FolderKind kind : kAllKinds)
    EXPECT_NE(missing.WriteFolder(kind, "C:\\x\\"), 0);
  EXPECT_EQ(missing.Language(), 1031);
  EXPECT_EQ(missing.LanguageShortName(1031), "");
  EXPECT_EQ(missing.FirstLanguage(), 0);
  EXPECT_EQ(missing.AcquireResourceHandle(nullptr), nullptr);
  missing.ReleaseResourceHandle(nullptr);
  EXPECT_EQ(missing.error(),
            "companion library ZBResource900 not found (no-such-resource.lib)");

  // Each library in the other's place: found, but without the ordinals
  // asked for (none whose arguments differ is called).
  LoadedCompanions swapped(*os_, LoadedCompanions::kResourceFile,
                           LoadedCompanions::kDiskFile);
  std::string folder;
  EXPECT_EQ(swapped.ReadFolder(FolderKind::kProgram, &folder), 50);
  EXPECT_EQ(swapped.error(),
            "companion library zbdisk has no function with ordinal 11");
  EXPECT_EQ(swapped.AcquireResourceHandle(nullptr), nullptr);
  EXPECT_EQ(swapped.error(),
            "companion library ZBResource900 has no function with ordinal 1");
}

}  // namespace
