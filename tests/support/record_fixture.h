// GoogleTest base for the record-store tests: each test has a library of
// its own, installed for the exports while it runs, and its own temporary
// folder.
#ifndef ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "api/library.h"
#include "platform/fault_injection.h"
#include "support/test_support.h"
#include "zbdb900.h"

namespace zbtest {

// A library the exports work with while this object lives.
class InstalledLibrary {
 public:
  explicit InstalledLibrary(const zb::api::LibraryServices& services = {})
      : library_(services), installation_(library_) {}
  zb::api::Library& library() { return library_; }

 private:
  zb::api::Library library_;
  zb::api::LibraryInstallation installation_;
};

inline int16_t H(int32_t h) { return static_cast<int16_t>(h); }
inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
template <typename T>
Bytes BytesOf(const T& value) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
  return Bytes(p, p + sizeof value);
}
// A text field: the text, then zeros to its width.
inline void SetText(char* field, size_t width, const std::string& text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), std::min(width, text.size()));
}
// A text field up to its first zero.
inline std::string Str(const void* field, size_t width) {
  const char* p = static_cast<const char*>(field);
  return std::string(p, std::find(p, p + width, '\0'));
}
// The text with the '\r' of Windows line ends taken out.
inline std::string WithoutCr(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}
// A log file's text, without '\r'.
inline std::string LogOf(const std::string& path) {
  return WithoutCr(ReadText(path));
}
// Whether the text holds the part; the whole text is shown when it does not.
inline ::testing::AssertionResult Contains(const std::string& text,
                                           const std::string& part) {
  if (text.find(part) != std::string::npos)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "'" << part << "' not in:\n" << text;
}
// A request as a Basic caller passes it: every zero byte a blank.
template <typename T>
void BlankFilled(T* record) {
  char* bytes = reinterpret_cast<char*>(record);
  std::replace(bytes, bytes + sizeof *record, '\0', ' ');
}
inline std::string FixturePath(const std::string& relative) {
  return std::string(ZBDB_FIXTURES_DIR) + "/" + relative;
}
// A position's page block as "start+count", with " @" when it has a time.
template <typename PosInfo>
std::string Pages(const PosInfo& p) {
  return std::to_string(p.page_start) + "+" + std::to_string(p.page_count) +
         (p.page_time != 0 ? " @" : "");
}
// The project header at the start of a record file (zeros when short).
inline PROINFO ProjectHeader(const std::string& path) {
  PROINFO info;
  std::memset(&info, 0, sizeof info);
  const Bytes bytes = ReadFileBytes(path);
  if (bytes.size() >= sizeof info)
    std::memcpy(&info, bytes.data(), sizeof info);
  return info;
}
// Writable copies of the fixture data folder's list, its four project files
// and project 1's companions in `folder`; with `folder_project` also the
// other product's project folder ("Altbau Sanierung").
inline ::testing::AssertionResult CopyFixtureData(const std::string& folder,
                                                  bool folder_project) {
  const std::string from = FixturePath("ZBStatik/Daten/");
  std::vector<std::string> files = {
      "ZBPROS.ZB",    "PRO00001.PRO", "PRO00001.ERG", "PRO00001.PRV",
      "PRO00002.PRO", "PRO00004.PRO", "PRO00005.PRO"};
  if (folder_project) {
    if (!MakeFolder(JoinPath(folder, "ZBProjekt_Altbau")))
      return ::testing::AssertionFailure() << "no folder in " << folder;
    files.push_back(JoinPath("ZBProjekt_Altbau", "ProjectData.ZBDB"));
  }
  for (const std::string& file : files)
    if (!CopyFileTo(from + file, JoinPath(folder, file)))
      return ::testing::AssertionFailure() << "not copied: " << file;
  return ::testing::AssertionSuccess();
}

class RecordStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { UseLibrary(Services()); }
  // What the test's library is made with; the native platform, windows
  // that answer as if cancelled and the real companions unless a test says.
  virtual zb::api::LibraryServices Services() { return {}; }
  // Closes what a test left open before its folder goes.
  void TearDown() override { installed_.reset(); }
  zb::api::Library& lib() { return installed_->library(); }
  // A fresh library made with these services in place of the test's one.
  void UseLibrary(const zb::api::LibraryServices& services = {}) {
    installed_.reset();  // installations nest: the old one goes first
    installed_ = std::make_unique<InstalledLibrary>(services);
  }
  // As if the program ended without closing its files: the next library
  // finds them as they were left.
  void AbandonLibrary() {
    lib().engine().AbandonAll();
    UseLibrary(Services());
  }
  std::string Path(const std::string& name) const { return dir_.File(name); }

  // Opens with the given call and expects a handle.
  int16_t Open(const std::string& path, decltype(&DBOpen) open = DBOpen) {
    const int32_t h = open(path.c_str());
    EXPECT_GT(h, 0) << path;
    return H(h);
  }
  // A cleanly closed record file made by the library.
  void MakeRecordFile(const std::string& path,
                      const std::vector<RecordImage>& records) {
    const int16_t h = Open(path);
    for (const RecordImage& r : records)
      ASSERT_EQ(DBWrite(h, r.key1, r.key2, -1, int16_t(r.data.size()),
                        r.data.data()), int32_t(r.data.size()));
    ASSERT_EQ(DBClose(h), DB_SUCCESS);
  }

  TempDir dir_;
  std::unique_ptr<InstalledLibrary> installed_;
};

// A library over the fault-injecting platform, installed while the object
// lives (the test's own library comes back afterwards); sleeps are counted
// instead of waited.
class InstalledFaults {
 public:
  InstalledFaults() : installed_(Services(&faults_)) {}
  zb::platform::FaultInjectingPlatform* operator->() { return &faults_; }

 private:
  static zb::api::LibraryServices Services(zb::platform::Platform* os) {
    zb::api::LibraryServices services;
    services.os = os;
    return services;
  }
  std::unique_ptr<zb::platform::Platform> native_ =
      zb::platform::NewNativePlatform();
  zb::platform::FaultInjectingPlatform faults_{*native_};
  InstalledLibrary installed_;
};

// File bytes compared with the sizes and the first differing offset named.
inline ::testing::AssertionResult SameBytes(const Bytes& a, const Bytes& b) {
  if (a == b) return ::testing::AssertionSuccess();
  const size_t i = size_t(
      std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
  auto at = [i](const Bytes& x) {
    return i < x.size() ? std::to_string(x[i]) : std::string("(end)");
  };
  return ::testing::AssertionFailure()
         << "sizes " << a.size() << " (actual) and " << b.size()
         << " (expected); at offset " << i << ": " << at(a) << " for " << at(b);
}
#define EXPECT_BYTES(actual, expected) \
  EXPECT_TRUE(::zbtest::SameBytes((actual), (expected)))

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_
