// GoogleTest base for the tests of the real windows (Windows test build):
// the fixture installation's data with folders of the test's own, the
// companion libraries answering them, and the Win32 windows as the
// library's Ui.
#ifndef ZBDB_TESTS_SUPPORT_WINDOW_DATA_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_WINDOW_DATA_FIXTURE_H_
#ifdef _WIN32

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "explorer/win32/win32_ui.h"
#include "support/installed_data_fixture.h"
#include "support/memory_companions.h"

namespace zbtest {

class WindowDataTest : public InstalledDataTest {
 protected:
  using InstalledDataTest::InstalledDataTest;

  void SetUp() override {
    InstalledDataTest::SetUp();
    request_tmp_ = Path("TMP");
    for (const char* name : {"TMP", "Ini"}) ASSERT_TRUE(MakeFolder(Path(name)));
    auto& context = lib().context();
    context.folders.data = data_;
    context.folders.temporary = Path("TMP");
    context.folders.configuration = Path("Ini");
    using zb::environment::FolderKind;
    companions_.folders[FolderKind::kData] = data_;
    companions_.folders[FolderKind::kTemporary] = Path("TMP");
    companions_.folders[FolderKind::kConfiguration] = Path("Ini");
    win32_ui_ = std::make_unique<zb::explorer::Win32Ui>(lib());
    lib().set_ui(*win32_ui_);
  }
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services = InstalledDataTest::Services();
    services.companions = &companions_;
    return services;
  }

  MemoryCompanions companions_;
  std::unique_ptr<zb::explorer::Win32Ui> win32_ui_;
};

}  // namespace zbtest

#endif  // _WIN32
#endif  // ZBDB_TESTS_SUPPORT_WINDOW_DATA_FIXTURE_H_
