// GoogleTest base for the project store's tests: a library of its own, a known
// user on a known computer, the log in the test's folder and a ScriptedUi
// answering every window.
#ifndef ZBDB_TESTS_SUPPORT_PROJECT_FIXTURE_H_
#define ZBDB_TESTS_SUPPORT_PROJECT_FIXTURE_H_

#include <string>

#include "environment/library_context.h"
#include "environment/scripted_ui.h"
#include "projectstore/store.h"
#include "support/record_fixture.h"

namespace zbtest {

// The store of the library installed for the test, for helpers outside a
// fixture.
inline zb::projectstore::Store& InstalledStore() {
  return zb::api::TheLibrary().store();
}

class ProjectStoreTest : public RecordStoreTest {
 protected:
  void SetUp() override {
    RecordStoreTest::SetUp();
    lib().context().user = "anna";
    lib().context().computer = "CAD-01";
    log_ = Path("DBReport.Log");
    lib().log().set_path(log_);
  }
  zb::api::LibraryServices Services() override {
    zb::api::LibraryServices services;
    services.ui = &ui_;
    return services;
  }
  zb::projectstore::Store& store() { return lib().store(); }
  // The text of this test's log, without '\r'.
  std::string Logged() const { return LogOf(log_); }
  ::testing::AssertionResult LogHas(const std::string& text) const {
    return Contains(Logged(), text);
  }

  zb::environment::ScriptedUi ui_;
  std::string log_;
};

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_PROJECT_FIXTURE_H_
