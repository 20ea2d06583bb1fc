// GoogleTest base for the program interface's tests: a project store test
// whose "Daten" folder holds copies of files from the fixture installation's
// data folder ("Brücke Nord" with DLT "Stütze 12 Achse B"), with the
// program catalogue of its Programme folder loaded.
#ifndef ZBDB_TESTS_SUPPORT_INSTALLED_DATA_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_INSTALLED_DATA_FIXTURE_H_

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "environment/library_context.h"
#include "support/project_fixture.h"
#include "support/test_support.h"

namespace zbtest {

// Names in the fixture installation, in the library's character set.
inline constexpr char kStuetze[] = "St\xFCtze 12 Achse B";
inline constexpr char kProject[] =
    "Br\xFC"
    "cke Nord";

class InstalledDataTest : public ProjectStoreTest {
 protected:
  // The projects' files most tests need: ZBPROS.ZB and four project files.
  static std::vector<std::string> ProjectFiles() {
    return {"ZBPROS.ZB", "PRO00001.PRO", "PRO00002.PRO", "PRO00004.PRO",
            "PRO00005.PRO"};
  }

  // The same with the preview file of "Brücke Nord" (a preview of DLT
  // position 1).
  static std::vector<std::string> ProjectFilesWithPreviews() {
    std::vector<std::string> files = ProjectFiles();
    files.push_back("PRO00001.PRV");
    return files;
  }

  // files: what SetUp copies into "Daten"; with none, SetUp neither makes
  // the folder nor loads the catalogue and a test may call InstallData.
  explicit InstalledDataTest(std::vector<std::string> files = ProjectFiles())
      : files_(std::move(files)) {}

  void SetUp() override {
    ProjectStoreTest::SetUp();
    // The folders are the test's own, no first login's checks.
    lib().context().login_counter = 2;
    if (!files_.empty()) InstallData(files_);
  }
  // Makes data_ with copies of the fixture data folder's files and loads
  // the fixture's program catalogue. Fails the test (void) when it cannot.
  void InstallData(const std::vector<std::string>& files) {
    data_ = Path("Daten");
    ASSERT_TRUE(MakeFolder(data_));
    for (const std::string& file : files)
      ASSERT_TRUE(CopyFileTo(FixturePath("ZBStatik/Daten/" + file),
                             JoinPath(data_, file)));
    ASSERT_EQ(lib().catalogue().Load(FixturePath("ZBStatik/Programme/")), 7);
  }

  // A request on data_ (and request_tmp_ when set), as a program fills it.
  ZBPROPOS_L Long(const std::string& program, const std::string& name,
                  const std::string& project = kProject) const {
    ZBPROPOS_L r{};
    SetText(r.szDataPfad, sizeof r.szDataPfad, data_);
    SetText(r.szTmpPfad, sizeof r.szTmpPfad, request_tmp_);
    SetText(r.szPrgName, sizeof r.szPrgName, program);
    SetText(r.szProName, sizeof r.szProName, project);
    SetText(r.szPosNameLong, sizeof r.szPosNameLong, name);
    return r;
  }
  // The same request in the plain record, the name as its short name.
  ZBPROPOS Plain(const std::string& program, const std::string& name,
                 const std::string& project = kProject) const {
    const ZBPROPOS_L l = Long(program, name, project);
    ZBPROPOS r{};
    std::memcpy(&r, &l, sizeof r);
    SetText(r.szPosName, sizeof r.szPosName, name);
    return r;
  }

  std::string data_;
  std::string request_tmp_;

 private:
  std::vector<std::string> files_;
};

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_INSTALLED_DATA_FIXTURE_H_
