// The diagnostic check of a project file behind TEST_CheckPro, for the
// export and for zbdb: the worst finding as a TEST_CHECKPRO_ code (the
// details in the log); nothing is changed.
#ifndef ZBDB_API_PROJECT_CHECK_H_
#define ZBDB_API_PROJECT_CHECK_H_

#include <cstdint>
#include <string>

namespace zb::api {

class Library;

int32_t CheckProjectFile(Library& lib, const std::string& path);

}  // namespace zb::api

#endif  // ZBDB_API_PROJECT_CHECK_H_
