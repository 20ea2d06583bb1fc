// Repair of a damaged record file, and the diagnostic check of a project
// file for support.
#include <string>
#include <vector>

#include "api/frame.h"
#include "api/library.h"
#include "api/project_check.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "projectstore/position_locks.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/repair.h"
#include "recordstore/inspect.h"
#include "recordstore/record_format.h"
#include "zbdb900.h"

namespace {

namespace ps = zb::projectstore;
using zb::api::Library;
using zb::recordstore::FieldText;

// Records of each position against its POSINFO, and lock bits against lock
// records; the worst finding (the most negative code), 1 when none.
int32_t CheckPositionsOf(Library& lib, const std::string& path) {
  zb::recordstore::Engine& engine = lib.engine();
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(engine, path);
  if (!file.is_open()) return TEST_CHECKPRO_UNREADABLE;
  const int h = file.handle();
  int32_t worst = TEST_CHECKPRO_SOUND;
  std::vector<uint8_t> record(zb::recordstore::kMaxRecordSize);
  const zb::environment::ProgramCatalogue& catalogue = lib.catalogue();
  for (int p = 0; p < catalogue.count(); ++p) {
    const int16_t program = catalogue.entry(p).line.number;
    if (program == ps::kAllPrograms) continue;
    for (uint32_t n = 0;; ++n) {
      zb::recordstore::PosInfoExt info{};
      if (engine.Read(h, ps::kKeyPosInfo, program, n, sizeof info, &info) < 0)
        break;
      uint32_t count = 0;
      for (int32_t got = engine.Read(h, static_cast<int16_t>(info.id), program,
                                     0, zb::recordstore::kMaxRecordSize,
                                     record.data());
           got >= 0; got = engine.ReadNext(h, record.data()))
        ++count;
      const std::string name = FieldText(info.PosNameLong).empty()
                                   ? FieldText(info.PosName)
                                   : FieldText(info.PosNameLong);
      if (info.Recs > 0 && count < static_cast<uint32_t>(info.Recs)) {
        lib.log().Printf("\n*** TEST_CheckPro: '%s' has %u of %d records",
                         name.c_str(), count, static_cast<int>(info.Recs));
        worst = std::min(worst, TEST_CHECKPRO_RECORDS_MISSING);
      }
      ps::LockRecord lock{};
      if ((info.Ctrl & ps::kCtrlLocked) &&
          ps::ReadLockRecord(lib.store(), h, program, info.id, &lock) < 0) {
        lib.log().Printf("\n*** TEST_CheckPro: '%s' locked without holder",
                         name.c_str());
        worst = std::min(worst, TEST_CHECKPRO_STALE_LOCK);
      }
    }
  }
  return worst;
}

}  // namespace

int32_t ZBAPI ZB_Repair_L(ZBPROPOS_L* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return 0;
  zb::environment::EnsureLoggedIn(lib.session());
  ps::RepairFile(lib.store(), FieldText(request->szTmpDatei),
                 FieldText(request->szTmpPfad));
  return 0;
}

int32_t ZBAPI ZB_Repair(ZBPROPOS* request) {
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request, &ZB_Repair_L);
}

int32_t ZBAPI TEST_CheckPro(ZBPROPOS* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return TEST_CHECKPRO_NOT_FOUND;
  zb::api::ZeroTerminateRequest(request);
  zb::environment::EnsureLoggedIn(lib.session());
  std::string path = FieldText(request->szTmpDatei);
  if (path.empty() &&
      ps::FindProject(lib.store(), FieldText(request->szDataPfad),
                      FieldText(request->szProName), nullptr, &path) < 0)
    return TEST_CHECKPRO_NOT_FOUND;
  return zb::api::CheckProjectFile(lib, path);
}

int32_t zb::api::CheckProjectFile(Library& lib, const std::string& path) {
  lib.log().Printf("\n*** TEST_CheckPro %s", path.c_str());
  const zb::recordstore::FileReport report =
      zb::recordstore::InspectRecordFile(lib.os(), path);
  switch (report.state) {
    case zb::recordstore::FileState::kMissing:
      return TEST_CHECKPRO_UNREADABLE;
    case zb::recordstore::FileState::kNotRecordFile:
      lib.log().Printf("\n*** TEST_CheckPro: %s", report.problem.c_str());
      return TEST_CHECKPRO_DAMAGED;
    case zb::recordstore::FileState::kNeedsReindex: {
      const int32_t positions = CheckPositionsOf(lib, path);
      return positions < TEST_CHECKPRO_NOT_CLOSED ? positions
                                                  : TEST_CHECKPRO_NOT_CLOSED;
    }
    case zb::recordstore::FileState::kClosed:
      break;
  }
  return CheckPositionsOf(lib, path);
}
