// ZB_PositionStart: a calculation program starts another one with a
// position, as the explorer does.
#include <cstdio>
#include <string>

#include "api/library.h"
#include "api/request_records.h"
#include "environment/login.h"
#include "explorer/program_launch.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {
namespace ex = zb::explorer;
using zb::recordstore::FieldText;
constexpr int32_t kNotDone = -101;
}  // namespace

int32_t ZBAPI ZB_PositionStart(ZBPROPOS* caller) {
  if (!caller) return -1;
  zb::api::Library& lib = zb::api::TheLibrary();
  zb::api::ZeroTerminateRequest(caller);
  zb::environment::EnsureLoggedIn(lib.session());
  ZBPROPOS_L request;
  zb::api::RequestToLong(*caller, &request);
  std::string program = FieldText(request.szPrgName);
  if (program.empty()) program = "ALLE";
  const ex::LaunchMode mode = FieldText(request.szPosNameLong).empty()
                                  ? ex::LaunchMode::kNewPosition
                                  : ex::LaunchMode::kOpen;
  char line[512];
  std::snprintf(line, sizeof line, "\n\n*** PositionStart: %s : %s mit Pro %s Pos %s",
                program.c_str(), ex::LaunchModeText(mode), request.szProName,
                request.szPosNameLong);
  lib.log().Append(line);
  if (program == "ALLE") {
    lib.log().Append("\n*** Programmauswahl....");
    std::string chosen;
    if (!lib.ui().SelectProgram("", &chosen) || chosen.empty() ||
        chosen == "ALLE") {
      lib.log().Append("\n*** IDOK != cSelectPrgDlg.DoModal()");
      return 0;
    }
    program = chosen;
  }
  return ex::LaunchProgram(lib.context(), program, request, mode) ? 1
                                                                  : kNotDone;
}

int32_t ZBAPI ZB_PositionStart_L(ZBPROPOS_L* request) {
  // Its first 470 bytes are the plain request.
  return ZB_PositionStart(reinterpret_cast<ZBPROPOS*>(request));
}
