// The store side of opening and saving a position: a program's working
// file filled from its position (or made for a new one), stored back into
// the position, and the test whether a request still names what a working
// file holds. Project and program are named as the request names them: a
// data folder, the project's name, the program key text ("DLT").
#ifndef ZBDB_PROJECTSTORE_WORKING_FILE_H_
#define ZBDB_PROJECTSTORE_WORKING_FILE_H_

#include <cstdint>
#include <string>

#include "projectstore/transfer.h"
#include "recordstore/typed_records.h"
#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

// Fills the working file with the position position->PosNameLong of
// project project.szProject in data_folder. An unknown project, one of
// number 0, an empty long name, or a position without data records give
// the working file of a new position instead. *working_path names the file
// or the folder to name one in (empty: the library's temporary folder) and
// receives the file's path on success. position->Designation receives the
// position's designation. Unless flags has kTransferNoLock, this process's
// lock is released first and the position's taken after the copy.
// Returns the records written; *error 0, or -1 project not openable, -2,
// -3 nothing written, -4 working file not creatable (then logged).
int32_t LoadPositionIntoWorkingFile(
    Store& store, const std::string& data_folder, std::string* working_path,
    const std::string& program_name, const PROINFO& project,
    recordstore::PosInfoExt* position, int32_t* error, uint32_t flags);

// A working file for a position the project does not hold yet: named by the
// program's temporary-file rule from *working_path (a folder, or a file
// given before, which is replaced), holding only the header records.
// Returns the header records written, or the open's negative code.
int32_t CreateWorkingFileForNewPosition(
    Store& store, std::string* working_path, const std::string& program_name,
    const PROINFO& project, const recordstore::PosInfoExt& position);

// Stores the working file into position position.PosNameLong of project
// project.szProject (created with project.szAuthor when missing; an empty
// author leaves an existing project's author alone). Unless flags has
// kTransferNoLock, this process's lock is released first and the position's
// taken again afterwards. Returns the records stored + 3; on failure 0 (-1
// when data_folder is no folder) with *error -1, -2, -3, -4 working file not
// openable, -6 project not creatable, -7 position locked by another or
// project write-protected, or another engine code. Failures are logged and,
// when flags is 0, shown to the user.
int32_t StoreWorkingFileIntoPosition(Store& store,
                                     const std::string& data_folder,
                                     const std::string& working_path,
                                     const std::string& program_name,
                                     const PROINFO& project,
                                     const recordstore::PosInfoExt& position,
                                     int32_t* error, uint32_t flags);

// Whether the request still names what its working file (szTmpDatei) holds:
// 0 unchanged, 1 another position, 2 another project (or none named), -2 no
// POSINFO, -3 no PROINFO, -4 working file not openable. A short name with
// "~" that is the file's own brings the file's long name into the request.
int32_t CompareRequestWithWorkingFile(Store& store, ZBPROPOS_L* request);

// The percentage callback for transfers that report through the progress
// signal the calling program registered; nullptr when it registered none.
TransferProgress ContextProgress(Store& store);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_WORKING_FILE_H_
