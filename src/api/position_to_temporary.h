// Copying a position of a project into a caller's temporary file without
// any dialog: the calculation programs use it to read other positions
// (a cross-section another program calculated, say) beside their own.
#ifndef ZBDB_API_POSITION_TO_TEMPORARY_H_
#define ZBDB_API_POSITION_TO_TEMPORARY_H_

#include <cstdint>

#include "zbdb900.h"

namespace zb::api {

class Library;

// Loads position szPosNameLong of project szProName (program szPrgName,
// data folder szDataPfad) into szTmpDatei (szTmpPfad when empty), passing
// `control` as the transfer flags (1 quiet, 4 no lock). On success
// szTmpDatei names the file and szProBezeichnung holds the designation of
// its PROPOS. Logs the request and the time taken. Returns the records
// copied (at most 2147483647) or the transfer's negative error.
int32_t CopyPositionToTemporary(Library& lib, ZBPROPOS_L* request,
                                int16_t control);

}  // namespace zb::api

#endif  // ZBDB_API_POSITION_TO_TEMPORARY_H_
