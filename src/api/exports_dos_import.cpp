// The import of DOS project data: the user picks an old QT3, QT4 or QT5
// project of the data folder and the calling program gets its file name.
#include <string>
#include <vector>

#include "api/frame.h"
#include "api/library.h"
#include "api/open_save.h"
#include "environment/login.h"
#include "exchange/dos_import.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

namespace ex = zb::exchange;
using zb::recordstore::FieldText;

}  // namespace

int32_t ZBAPI ZB_ImportDOS_QT345_L(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  if (!request) return -1;
  zb::api::ZeroTerminateRequest(request);
  zb::environment::EnsureLoggedIn(lib.session());
  lib.log().Append("\n*** ZB_ImportDOS_QT345");
  lib.log().Request(*request);

  const std::string key = FieldText(request->szPrgName);
  if (!ex::IsDosProgram(key)) return -1;
  // A missing folder leaves the list empty; the user can only cancel then.
  const std::string data_folder = FieldText(request->szDataPfad);
  zb::api::TestFolder(lib, data_folder, false);
  zb::api::TestFolder(lib, FieldText(request->szTmpPfad), false);

  const std::vector<ex::DosProject> projects =
      ex::ListDosProjects(lib.engine(), data_folder, key);
  ex::DosProject chosen;
  switch (ex::ChooseDosProject(lib.ui(), *request, projects, &chosen)) {
    case ex::DosChoice::kCancelled:
      return 0;
    case ex::DosChoice::kChosen:
      ex::TakeDosProject(chosen, request);
      return 1;
    case ex::DosChoice::kNoneOfTheList:
      break;
  }
  return 1;
}

int32_t ZBAPI ZB_ImportDOS_QT345(ZBPROPOS* request) {
  return zb::api::PlainFrame(zb::api::FrameOptions(), request,
                             &ZB_ImportDOS_QT345_L);
}
int32_t ZBAPI ZB_ImportDOS_QT345_B(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_ImportDOS_QT345);
}
int32_t ZBAPI ZB_ImportDOS_QT345_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_ImportDOS_QT345_L);
}
