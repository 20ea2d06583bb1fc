// Changing positions inside a project file: new names, descriptions,
// designation and page block; deleting one position or all of them.
#ifndef ZBDB_PROJECTSTORE_POSITION_EDIT_H_
#define ZBDB_PROJECTSTORE_POSITION_EDIT_H_

#include <cstdint>
#include <string>

#include "recordstore/typed_records.h"

namespace zb::projectstore {

class Store;

constexpr int16_t kKeyWriteCounter = 30005;
constexpr int16_t kKeyPageCounter = 30006;

// Moves the position named by old_info's long name to new_info: long and
// short name (when new_info has a long name), description (when not empty),
// designation (new_info's, or `designation` when not null, which also goes
// into the PROPOS data record) and page block. A position that does not
// exist is created. h must be opened exclusively. Returns the position id,
// 0 when the new name belongs to another position.
int32_t SetPositionInfo(Store& store, int h,
                        const recordstore::PosInfoExt& old_info,
                        const recordstore::PosInfoExt& new_info,
                        const char* designation, int16_t program);

// Renames a position without asking: the source must exist and not be
// locked by another. Returns the id, 0 refused, -1 no such position.
int32_t RenamePosition(Store& store, int h, int16_t program,
                       const std::string& old_name,
                       const std::string& new_name);

// Deletes the position's data records and its POSINFO; the sizes freed are
// added to the write counter. The name "ALLE" with program 32762 deletes
// every record of the file. Returns the number of records deleted; 0 when
// none or when locked (for "ALLE": any position locked).
uint32_t DeletePosition(Store& store, int h, int16_t program,
                        const std::string& name);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_POSITION_EDIT_H_
