// The explorer exports: the window itself comes through the Ui, so that
// the DLL shows it and tests script it.
#include "api/frame.h"
#include "api/library.h"
#include "environment/login.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

extern "C" {

int32_t ZBAPI ZB_Explor_L(ZBPROPOS_L* request) {
  if (!request) return -1;
  zb::api::Library& lib = zb::api::TheLibrary();
  zb::environment::EnsureLoggedIn(lib.session());
  lib.log().Append("\n*** ZB_Explor_L");
  if (zb::recordstore::FieldText(request->szDataPfad).empty())
    zb::recordstore::SetFieldText(request->szDataPfad,
                                  lib.context().folders.data);
  const int32_t result = lib.ui().Explorer(request);
  lib.log().Printf("\n*** ZB_Explor_L: result %d", result);
  return result;
}
int32_t ZBAPI ZB_Explor(ZBPROPOS* request) {
  return zb::api::PlainFrame({}, request, &ZB_Explor_L);
}
int32_t ZBAPI ZB_ExplorB(ZBPROPOS* request) {
  return zb::api::BasicFrame(request, &ZB_Explor);
}
int32_t ZBAPI ZB_Explor_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_Explor_L);
}
int32_t ZBAPI ZB_ExplorDlg_L(ZBPROPOS_L* request) {
  return ZB_Explor_L(request);
}
int32_t ZBAPI ZB_ExplorDlg(ZBPROPOS* request) {
  return ZB_Explor(request);
}

}  // extern "C"
