// GoogleTest base for the record-store tests: each test starts and ends
// with a clean library and has its own temporary folder.
#ifndef ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "recordstore/data_channel.h"
#include "recordstore/engine.h"
#include "recordstore/handle_stack.h"
#include "recordstore/overwrite_pass.h"
#include "support/test_support.h"
#include "zbdb900.h"

namespace zbtest {

inline void ResetLibrary() {
  zb::platform::SetDefaultForTests(nullptr);
  zb::recordstore::Engine::Instance().ResetForTests();
  zb::recordstore::OverwritePass::Instance().ResetForTests();
  zb::recordstore::HandleStack::Instance().Free();
  zb::recordstore::ResetDataStreamsForTests();
}

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
inline std::string FixturePath(const std::string& relative) {
  return std::string(ZBDB_FIXTURES_DIR) + "/" + relative;
}

class RecordStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLibrary(); }
  void TearDown() override { ResetLibrary(); }
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
};

// Faults injected into the real platform while the object lives; sleeps
// are counted instead of waited.
class InstalledFaults {
 public:
  InstalledFaults() { zb::platform::SetDefaultForTests(&faults_); }
  ~InstalledFaults() { zb::platform::SetDefaultForTests(nullptr); }
  zb::platform::FaultInjectingPlatform* operator->() { return &faults_; }

 private:
  zb::platform::FaultInjectingPlatform faults_{zb::platform::Default()};
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
