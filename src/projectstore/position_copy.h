// Copying and moving a position into another project (or under another
// name): the source is loaded into a working file of its own and stored
// into the target as a save would, so the target gets a complete position
// or nothing. A copy gets no page numbers.
#ifndef ZBDB_PROJECTSTORE_POSITION_COPY_H_
#define ZBDB_PROJECTSTORE_POSITION_COPY_H_

#include <cstdint>

#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

constexpr int32_t kPositionCopyToItself = -306;  // ERR_POS_COPYTOITSELF

// Copies position szPosNameLong of program szPrgName from the source's
// project (szDataPfad, szProName) into the target's project, created when
// missing. Empty target fields take the source's: data folder, long name,
// description, designation, author. The working file lives in the source's
// szTmpPfad (its data folder when empty) and is deleted afterwards; a lock
// this process held before is taken again. Returns the records stored
// (+ 3 header records), 0 when nothing was copied, or negative: -1 no
// target project, kProjectNotFound, -302 no such source position,
// kPositionCopyToItself, or the load's or store's error.
int32_t CopyPosition(Store& store, ZBPROPOS_L* source, ZBPROPOS_L* target);

// Copy, then delete the source position when the copy stored records.
// Returns the records deleted from the source (0 when it is locked by
// another, which keeps both), or the copy's result when that is <= 0.
int32_t MovePosition(Store& store, ZBPROPOS_L* source, ZBPROPOS_L* target);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_POSITION_COPY_H_
