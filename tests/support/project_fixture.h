// GoogleTest base for the project store's tests: a clean library, a known
// user on a known computer, the log in the test's folder and a ScriptedUi
// answering every window.
#ifndef ZBDB_TESTS_SUPPORT_PROJECT_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_PROJECT_FIXTURE_H_

#include <string>

#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "projectstore/position_locks.h"
#include "support/record_fixture.h"

namespace zbtest {

class ProjectStoreTest : public RecordStoreTest {
 protected:
  void SetUp() override {
    RecordStoreTest::SetUp();
    zb::environment::ResetContextForTests();
    zb::projectstore::ResetOwnLockForTests();
    zb::environment::Context().user = "anna";
    zb::environment::Context().computer = "CAD-01";
    log_ = Path("DBReport.Log");
    zb::environment::Context().log.set_path(log_);
    zb::environment::SetUi(&ui_);
  }
  void TearDown() override {
    zb::environment::SetUi(nullptr);
    zb::projectstore::ResetOwnLockForTests();
    zb::environment::ResetContextForTests();
    RecordStoreTest::TearDown();
  }

  zb::environment::ScriptedUi ui_;
  std::string log_;
};

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_PROJECT_FIXTURE_H_
