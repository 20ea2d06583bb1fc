// ".POS" exchange files: a position written out into a record file of the
// working-file layout, to be read into any project again (also on another
// computer). The exports ZB_PositionExport and ZB_PositionImport and the
// zbdb tool's export and import commands run these.
#ifndef ZBDB_PROJECTSTORE_POSITION_EXCHANGE_H_
#define ZBDB_PROJECTSTORE_POSITION_EXCHANGE_H_

#include <cstdint>

#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

// Writes the position named by the request (szDataPfad, szProName,
// szPrgName, szPosNameLong) into an exchange file, quiet and without taking
// its lock. szTmpDatei names the file, or a folder (empty: szTmpPfad); then
// the file is named in szTmpPfad (empty: the library's temporary folder)
// after the program and the long name (characters no file name may hold,
// and "~", become "_": "DLTTräger_ Pos 1_2.POS"). A position without data
// records, or one the project does not hold, is written as a new one would
// be (header records only, see LoadPositionIntoWorkingFile). On success
// szTmpDatei receives the file's path. Returns the records written, or the
// load's negative error.
int32_t ExportPositionFile(Store& store, ZBPROPOS_L* request);

// Reads the exchange file szTmpDatei into project szProName of szDataPfad:
// program, names, description and designation come from the file (asking
// for the program when the file's is unknown); an existing position of the
// same name is overwritten only after the user agrees. On success the
// request describes the stored position, and this process holds no lock.
// Returns the save's result (records stored + 3, or its negative error; -4
// the file does not open, -2 it holds no position), or -101 when nothing
// was given or the user declined.
int32_t ImportPositionFile(Store& store, ZBPROPOS_L* request);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_POSITION_EXCHANGE_H_
