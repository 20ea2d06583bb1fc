// The result file beside every project file: a record file named
// PRO<number>.ERG in the data folder whose user header carries the
// project's PROINFO, so that a result file that no longer belongs to its
// project (a project deleted and its number given again) is recognised.
// The project file points to it with its result link record.
#ifndef ZBDB_API_RESULT_FILES_H_
#define ZBDB_API_RESULT_FILES_H_

#include <cstdint>
#include <string>

#include "zbdb900.h"

namespace zb::api {

class Library;

constexpr int16_t kKeyResultLink = 30030;   // with Key2 1, in the project file
constexpr int16_t kResultLinkSize = 1032;
constexpr int kResultLinkFolderAt = 2;      // zero-terminated, 260 bytes
constexpr int kResultLinkPathAt = 262;      // zero-terminated, 260 bytes

// A data folder as the open and save calls take it: one trailing backslash
// removed, and a text naming an existing file cut to that file's folder.
std::string NormaliseDataFolder(Library& lib, const std::string& folder);

// "%s\%s%05d%s": the normalised data folder, "PRO", the number, ".ERG".
std::string ResultFilePath(Library& lib, const std::string& data_folder,
                           int number);

// The project's result file, made when missing (with its header and the
// link record in the project file). 1 with *path set, or -1 with *path
// empty: the project is not in the list of the folder or the file or its
// link record could not be written. Logs what it does.
int32_t GetResultFile(Library& lib, const std::string& data_folder, int number,
                      std::string* path);

// Whether the result file at result_path belongs to the project file:
// 1 it does, -1 the project has no readable header or number 0, -2 there is
// no result file, -3 the project names differ, -4 the names agree but the
// numbers do not.
int32_t CheckResultFile(Library& lib, const std::string& project_path,
                        const std::string& result_path);

// Renames a result file that does not belong to its project to
// "<path without .ERG>_<its project name>.ERG" and, unless `silent`, tells
// the user. True when the rename succeeded; *new_path receives the name.
bool SetStaleResultFileAside(Library& lib, const std::string& result_path,
                             bool silent, std::string* new_path);

// The result file of the request's project (the work of
// ZB_GetErgDateiEx2_L on the 470 leading bytes of a request): the project
// number with request->szTmpDatei naming the result file, or <= 0.
// *position receives the id of the position `long_name` of the request's
// program (0 when there is none), *program the program number.
int32_t ResultFileOfRequest(Library& lib, ZBPROPOS* request,
                            const std::string& long_name, int16_t* position,
                            int16_t* program);

}  // namespace zb::api

#endif  // ZBDB_API_RESULT_FILES_H_
