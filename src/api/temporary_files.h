// A program's temporary (working) files: listing one as text, resetting
// one to its header records, and deleting them by pattern. Their names come
// from projectstore/temporary_name.h; old ones of a program are cleaned by
// api/temporary_cleaning.h when a new position starts.
#ifndef ZBDB_API_TEMPORARY_FILES_H_
#define ZBDB_API_TEMPORARY_FILES_H_

#include <cstdint>
#include <string>

namespace zb::api {

class Library;

// The text file a listing of `temporary_path` goes to: the path up to its
// first "." followed by ".txt"; empty when the path has no ".".
std::string ListingPathOf(const std::string& temporary_path);

// Lists the records of the temporary file into the text file above (made
// empty first). The records listed (at most 2147483647); -1 when the path
// has no "." or the text file cannot be made, or the temporary file cannot
// be opened.
int32_t ListTemporaryFile(Library& lib, const std::string& temporary_path);

// Deletes every file matching `pattern` (wildcards allowed in its last
// part) that was last written at least one whole minute ago. The number of
// files deleted.
int32_t DeleteTemporaryFiles(Library& lib, const std::string& pattern);

// Rebuilds a temporary file with only its header records (PROPOS, PROINFO
// and both POSINFO forms, under the program number of its PROPOS). A file
// this process holds open is read through that handle and stays open
// (under the handle returned); otherwise it is closed again. Returns the
// handle the file was rebuilt under (> 0), or 0 / a negative engine code
// when it lacks its header records or could not be rewritten.
int32_t ResetTemporaryFile(Library& lib, const std::string& path);

}  // namespace zb::api

#endif  // ZBDB_API_TEMPORARY_FILES_H_
