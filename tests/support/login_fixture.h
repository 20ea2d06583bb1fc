// GoogleTest base for tests of the login and its folders: a temporary
// installation (program folder with the program keys, data, temporary,
// user with the tester's configuration folder, base) that the companion
// fake hands out.
#ifndef ZBDB_TESTS_SUPPORT_LOGIN_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_LOGIN_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "environment/folders.h"
#include "support/memory_companions.h"
#include "support/record_fixture.h"

namespace zbtest {

class LoginFoldersTest : public RecordStoreTest {
 protected:
  using FolderKind = zb::environment::FolderKind;

  void SetUp() override {
    RecordStoreTest::SetUp();
    for (const char* name : {"Programme", "Daten", "TMP", "User", "Basis"})
      ASSERT_TRUE(MakeFolder(Path(name)));
    ASSERT_TRUE(MakeFolder(ConfigurationFolder()));
    for (const char* keys : {"zbkeys.ini", "ZBKEYS.DAT"})
      ASSERT_TRUE(CopyFileTo(FixturePath("ZBStatik/Programme/") + keys,
                             JoinPath(Path("Programme"), keys)));
    companions_.folders = {
        {FolderKind::kProgram, Path("Programme")},
        {FolderKind::kData, Path("Daten")},
        {FolderKind::kTemporary, Path("TMP")},
        {FolderKind::kUser, Path("User")},
        {FolderKind::kConfiguration, ConfigurationFolder()},
        {FolderKind::kBase, Path("Basis")},
    };
  }
  // A login that fails asks the program to end: on Windows a WM_QUIT in
  // this thread's queue. The test program goes on, and a quit left there
  // would end its next modal window before it is shown.
  void TearDown() override {
    TakeQuitMessage();
    RecordStoreTest::TearDown();
  }
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services;
    services.companions = &companions_;
    return services;
  }

  std::string ConfigurationFolder() const {
    return JoinPath(Path("User"), "tester");
  }
  // The companions' folders as the library keeps them, each ending in '\'.
  zb::environment::Folders CompanionFolders() {
    auto folder = [this](FolderKind kind) {
      return companions_.folders[kind] + "\\";
    };
    zb::environment::Folders folders;
    folders.program = folder(FolderKind::kProgram);
    folders.data = folder(FolderKind::kData);
    folders.temporary = folder(FolderKind::kTemporary);
    folders.user = folder(FolderKind::kUser);
    folders.configuration = folder(FolderKind::kConfiguration);
    folders.base = folder(FolderKind::kBase);
    return folders;
  }

  MemoryCompanions companions_;
};

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_LOGIN_FIXTURE_H_
