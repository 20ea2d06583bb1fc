// Moving a position between its project and a working file: the export
// writes the working file's header records and the position's records
// under their own keys; the import stores them back within an overwrite
// pass with the project opened exclusively for the whole time.
#ifndef ZBDB_PROJECTSTORE_TRANSFER_H_
#define ZBDB_PROJECTSTORE_TRANSFER_H_

#include <cstdint>
#include <functional>
#include <string>

#include "recordstore/typed_records.h"

namespace zb::recordstore {
class Engine;
}

namespace zb::projectstore {

class Store;

constexpr int16_t kKeyProInfo = 30003;
constexpr uint32_t kTransferQuiet = 1;
constexpr uint32_t kTransferNoLock = 4;

#pragma pack(push, 1)
// The long form of PROPOS the program interface passes.
struct ProPosLong {
  char designation[42];
  uint16_t project;
  char long_name[42];
  uint16_t id;
};
#pragma pack(pop)
static_assert(sizeof(ProPosLong) == 88, "ProPosLong");

using TransferProgress = std::function<void(int32_t percent)>;

// Project -> working file. Returns data records copied + header records
// written; *error 0 or -1 project, -3 nothing written, -4 working file,
// -5 empty position (no data records, or not in the project: then only
// the header records of a new one are written). The designation is handed
// back in pp->designation.
int32_t ExportPosition(Store& store, const std::string& project_path,
                       const std::string& working_path, int16_t program,
                       ProPosLong* pp, int32_t factor,
                       TransferProgress progress, int32_t* error,
                       uint32_t flags);

// Working file -> project, into the position pp.long_name (the working
// file's own name when empty), created when missing. Returns records
// stored + 3, or 0 with *error set (the open's code, -2 no POSINFO, -4
// working file, -5 locked).
int32_t ImportPosition(Store& store, const std::string& project_path,
                       const std::string& working_path, int16_t program,
                       const ProPosLong& pp, const char* description,
                       int32_t factor, TransferProgress progress,
                       int32_t* error, uint32_t flags);

// The header records of a position the project does not hold yet, into
// the working file w under the program key: (P, 30003) PROINFO, both
// POSINFO forms (P, 30002, 0 and 1) and the PROPOS tag (P, 30000) built
// from info for project number `project`. Returns the records written.
int32_t WriteNewPositionHeaders(Store& store, int w, int16_t program,
                                const PROINFO& project,
                                const recordstore::PosInfoExt& info,
                                uint16_t project_number);

// The PROPOS tag of a position as the working file and the project keep it.
void BuildProPos(const recordstore::PosInfoExt& info, uint16_t project,
                 PROPOS* out);

// The POSINFO the store keeps of the position last transferred.
const recordstore::PosInfoExt& LastTransferredPosInfo(Store& store);

// Both POSINFO forms of `info` into w under the program key: the short one
// at occurrence 0, the long one at 1. True when both were written.
bool WritePosInfoPair(recordstore::Engine& engine, int w, int16_t program,
                      const recordstore::PosInfoExt& info);

// Calls progress with done/total in percent (nothing when total is 0).
void ReportProgress(const TransferProgress& progress, uint32_t done,
                    uint32_t total);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_TRANSFER_H_
