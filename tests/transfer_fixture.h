// GoogleTest base for the transfer tests: a copy of the installation's
// data folder ("Brücke Nord", "Halle 7", ...) with a temporary folder
// beside it, its program catalogue loaded, the library logged in, and
// helpers that list a record file's records.
#ifndef ZBDB_TESTS_TRANSFER_FIXTURE_H_
#define ZBDB_TESTS_TRANSFER_FIXTURE_H_

#include <string>
#include <tuple>
#include <vector>

#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "support/project_fixture.h"

namespace zbtest {

constexpr int16_t kDlt = 101;
constexpr int16_t kDach = 102;
inline const char kBruecke[] = "Br\xfc" "cke Nord";
inline const char kStuetze[] = "St\xfctze 12 Achse B";
inline const char kUnterzug[] = "Unterzug U1";  // locked by mueller

struct Rec {
  int16_t k1, k2;
  Bytes data;
  bool operator==(const Rec& o) const {
    return std::tie(k1, k2, data) == std::tie(o.k1, o.k2, o.data);
  }
};

class TransferTest : public ProjectStoreTest {
 protected:
  void SetUp() override {
    ProjectStoreTest::SetUp();
    data_ = Path("Daten");
    tmp_folder_ = Path("TMP");
    ASSERT_TRUE(MakeFolder(data_));
    ASSERT_TRUE(MakeFolder(tmp_folder_));
    ASSERT_TRUE(CopyFixtureData(data_, false));
    project_ = JoinPath(data_, "PRO00001.PRO");
    lib().catalogue().Load(FixturePath("ZBStatik/Programme") + "\\");
    lib().context().login_counter = 2;
    lib().context().folders.temporary = tmp_folder_;
  }

  // Every live record of a record file in append order.
  std::vector<Rec> Records(const std::string& path) {
    std::vector<Rec> out;
    const int16_t h = Open(path, DBOpenReadOnly);
    std::vector<uint8_t> buf(32759);
    int32_t n = DBRead(h, 32762, 32762, 0, int16_t(buf.size()), buf.data());
    while (n >= 0) {
      int16_t k1 = 0, k2 = 0;
      DBGetKeys(&k1, &k2);
      if (k1 >= 0) out.push_back({k1, k2, Bytes(buf.begin(), buf.begin() + n)});
      n = DBReadNext(h, buf.data());
    }
    DBClose(h);
    return out;
  }
  static std::vector<Rec> Only(const std::vector<Rec>& all, int16_t k1,
                               int16_t k2) {
    std::vector<Rec> out;
    for (const Rec& r : all)
      if (r.k1 == k1 && r.k2 == k2) out.push_back(r);
    return out;
  }
  // The position's POSINFO in a project file; id 0 when there is none.
  zb::recordstore::PosInfoExt Stored(const std::string& project,
                                     const std::string& name,
                                     int16_t program = kDlt) {
    zb::recordstore::PosInfoExt info{};
    const int16_t h = Open(project, DBOpenReadOnly);
    if (zb::projectstore::FindPosition(store(), h, name, program, &info) < 0)
      info = {};
    DBClose(h);
    return info;
  }
  // A request on the data folder copy.
  ZBPROPOS_L Request(const std::string& project, const std::string& position,
                     const std::string& program = "DLT") {
    ZBPROPOS_L r{};
    SetText(r.szDataPfad, sizeof r.szDataPfad, data_);
    SetText(r.szTmpPfad, sizeof r.szTmpPfad, tmp_folder_);
    SetText(r.szPrgName, sizeof r.szPrgName, program);
    SetText(r.szProName, sizeof r.szProName, project);
    SetText(r.szPosNameLong, sizeof r.szPosNameLong, position);
    return r;
  }

  std::string data_, tmp_folder_, project_;
};

}  // namespace zbtest

#endif  // ZBDB_TESTS_TRANSFER_FIXTURE_H_
