#include "api/position_to_temporary.h"

#include <chrono>
#include <cstring>
#include <string>

#include "api/library.h"
#include "api/request_records.h"
#include "environment/library_context.h"
#include "projectstore/positions.h"
#include "projectstore/record_file.h"
#include "projectstore/working_file.h"
#include "recordstore/engine.h"
#include "recordstore/typed_records.h"

namespace zb::api {
namespace {

using recordstore::Engine;
namespace ps = zb::projectstore;

constexpr int16_t kProPosSize = 56;

// The designation text of the working file's PROPOS; empty when unreadable.
std::string DesignationOf(Library& lib, const std::string& path) {
  ps::RecordFile file = ps::RecordFile::OpenReadOnly(lib.engine(), path);
  if (!file.is_open()) return {};
  PROPOS tag{};
  const int32_t got = lib.engine().Read(file.handle(), ps::kAllPrograms,
                                        ps::kKeyProPos, 0, kProPosSize, &tag);
  if (got != kProPosSize) return {};
  recordstore::ZeroTerminateProPosTag(&tag);
  return recordstore::FieldText(tag.ProName);
}

}  // namespace

int32_t CopyPositionToTemporary(Library& lib, ZBPROPOS_L* request,
                                int16_t control) {
  const auto start = std::chrono::steady_clock::now();
  zb::api::ZeroTerminateRequest(request);
  if (request->szTmpDatei[0] == '\0')
    std::memcpy(request->szTmpDatei, request->szTmpPfad,
                sizeof request->szTmpDatei);

  PROINFO project{};
  recordstore::CopyTextField(project.szProject, request->szProName,
                             sizeof project.szProject);
  recordstore::CopyTextField(project.szAuthor, request->szAuthor,
                             sizeof project.szAuthor);
  recordstore::PosInfoExt position{};
  recordstore::CopyTextField(position.PosNameLong, request->szPosNameLong,
                             sizeof position.PosNameLong);
  recordstore::CopyTextField(position.Msg, request->szMsg,
                             sizeof position.Msg);
  std::string working = recordstore::FieldText(request->szTmpDatei);
  int32_t error = 0;
  const int32_t records = ps::LoadPositionIntoWorkingFile(
      lib.store(), recordstore::FieldText(request->szDataPfad), &working,
      recordstore::FieldText(request->szPrgName), project, &position, &error,
      static_cast<uint16_t>(control));
  if (error == 0) {
    recordstore::CopyTextField(request->szTmpDatei, working.c_str(),
                               sizeof request->szTmpDatei);
    recordstore::CopyTextField(request->szProBezeichnung,
                               DesignationOf(lib, working).c_str(),
                               sizeof request->szProBezeichnung);
  }

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  environment::Log& log = lib.context().log;
  log.Append("\n *** SilentOpen");
  log.Request(*request);
  if (error == 0)
    log.Printf("\n ***            result :%u records, %2.2f sec",
               static_cast<unsigned>(records), seconds);
  else
    log.Printf("\n ***            result :%d records, %2.2f sec",
               static_cast<int>(error), seconds);
  if (error != 0) return error;
  return records < 0 ? 0 : records;
}

}  // namespace zb::api
