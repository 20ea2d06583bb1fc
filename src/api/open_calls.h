// The two transfers behind every open and save: a position of the
// request's project into the working file, and the working file back
// into the request's position. The position dialog runs them on OK.
#ifndef ZBDB_API_OPEN_CALLS_H_
#define ZBDB_API_OPEN_CALLS_H_

#include <cstdint>

#include "environment/ui.h"
#include "zbdb900.h"

namespace zb::api {

class Library;

// Copies position szPosNameLong of szProName into the working file
// (szTmpDatei, or a new file in that folder) and updates szTmpDatei and
// szProBezeichnung. A project of the other data format is read only after
// the user agreed, which is never asked when control has bit 0: then
// nothing is copied (0 records, no error). The working file's position is
// remembered as the one this process has open.
environment::PositionTransferResult LoadRequestPosition(Library& lib,
                                                        ZBPROPOS_L* request,
                                                        uint32_t control);

// The position dialog's save transfer: the working file into the chosen
// position (failures are shown to the user).
environment::PositionTransferResult StoreRequestPosition(Library& lib,
                                                         ZBPROPOS_L* request);

}  // namespace zb::api

#endif  // ZBDB_API_OPEN_CALLS_H_
