// GoogleTest base for the record-store tests: every test starts and ends
// with a clean library (no open record files, no overwrite pass, an empty
// handle stack, no data streams, the real platform) and gets its own
// temporary folder. Only the test executable includes this header.
#ifndef ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/platform.h"
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

class RecordStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLibrary(); }
  void TearDown() override { ResetLibrary(); }

  std::string Path(const std::string& name) const { return dir_.File(name); }

  // Creates a record file at path holding these records, cleanly closed,
  // through the library itself.
  void MakeRecordFile(const std::string& path,
                      const std::vector<RecordImage>& records) {
    const int32_t h = DBOpen(path.c_str());
    ASSERT_GT(h, 0) << path;
    for (const RecordImage& r : records)
      ASSERT_EQ(DBWrite(static_cast<int16_t>(h), r.key1, r.key2, -1,
                        static_cast<int16_t>(r.data.size()), r.data.data()),
                static_cast<int32_t>(r.data.size()));
    ASSERT_EQ(DBClose(static_cast<int16_t>(h)), DB_SUCCESS);
  }

  TempDir dir_;
};

// Installs a fault-injecting platform over the real one for the lifetime
// of the object; sleeps are then counted instead of waited.
class InstalledFaults {
 public:
  InstalledFaults() : faults_(zb::platform::Default()) {
    zb::platform::SetDefaultForTests(&faults_);
  }
  ~InstalledFaults() { zb::platform::SetDefaultForTests(nullptr); }
  zb::platform::FaultInjectingPlatform& operator*() { return faults_; }
  zb::platform::FaultInjectingPlatform* operator->() { return &faults_; }

 private:
  zb::platform::FaultInjectingPlatform faults_;
};

// The path of a file below the fixtures folder ("ZBStatik/TMP/x.TMP").
inline std::string FixturePath(const std::string& relative) {
  return std::string(ZBDB_FIXTURES_DIR) + "/" + relative;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Compares file bytes and names the sizes and the first differing offset
// instead of printing both files.
inline ::testing::AssertionResult SameBytes(const Bytes& actual,
                                            const Bytes& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
    ++i;
  auto at = [](const Bytes& b, size_t i) {
    return i < b.size() ? std::to_string(b[i]) : std::string("(end)");
  };
  return ::testing::AssertionFailure()
         << "sizes " << actual.size() << " (actual) and " << expected.size()
         << " (expected); first difference at offset " << i << ": "
         << at(actual, i) << " instead of " << at(expected, i);
}

#define EXPECT_BYTES(actual, expected) \
  EXPECT_TRUE(::zbtest::SameBytes((actual), (expected)))

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_RECORD_FIXTURE_H_
