// Cleaning a program's old working files out of a temporary folder, so
// that files left behind by crashed or killed runs do not pile up.
#ifndef ZBDB_API_TEMPORARY_CLEANING_H_
#define ZBDB_API_TEMPORARY_CLEANING_H_

#include <cstdint>
#include <string>

namespace zb::api {

class Library;

// Deletes the files "<program_key>*.TMP" in folder whose last write lies
// more than age_minutes (whole minutes, rounded down) back. While more than
// 20 files are left and the limit is at least 1, runs again with half the
// limit. Returns the files left, counted over every run.
int32_t CleanOldTemporaryFiles(Library& lib, const std::string& folder,
                               const std::string& program_key,
                               int32_t age_minutes);

}  // namespace zb::api

#endif  // ZBDB_API_TEMPORARY_CLEANING_H_
