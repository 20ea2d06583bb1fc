// The six folders of an installation: their normal form and their
// validation. Folder texts are Windows text ending in one backslash.
#ifndef ZBDB_ENVIRONMENT_FOLDERS_H_
#define ZBDB_ENVIRONMENT_FOLDERS_H_

#include <string>

#include "platform/platform.h"
#include "recordstore/log_sink.h"

namespace zb::environment {

struct Folders {
  std::string program;
  std::string data;
  std::string temporary;
  std::string user;
  std::string configuration;  // the "Ini" folder
  std::string base;
};

// Validation flags; 0 means valid.
constexpr int kDataMissing = 1;
constexpr int kDataIsDriveRoot = 2;
constexpr int kDataIsProgramFolder = 4;
constexpr int kDataLength = 8;  // 82 characters or more, or fewer than 5
constexpr int kDataInvalid = 512;
constexpr int kTemporaryInvalid = 1024;
constexpr int kUserInvalid = 2048;
constexpr int kConfigurationInvalid = 4096;

// All trailing backslashes removed, then one appended (unless empty);
// doubled backslashes made single, except the two that begin a network
// path.
std::string NormaliseFolder(const std::string& text);
std::string LowerAscii(const std::string& text);

// 0, or kDataInvalid plus the reason.
int ValidateDataFolder(platform::Platform& os, const std::string& data,
                       const std::string& program);
// 0, or kTemporaryInvalid: it must exist, not be on a CD-ROM, leave room
// for a probe file name within 100 characters, and let a file be created,
// written and removed. Missing permissions are logged.
int ValidateTemporaryFolder(platform::Platform& os, recordstore::LogSink& log,
                            const std::string& folder);
int ValidateUserFolder(platform::Platform& os, recordstore::LogSink& log,
                       const std::string& folder);
// 0, or kConfigurationInvalid when the log file cannot be written there.
int ValidateConfigurationFolder(platform::Platform& os,
                                recordstore::LogSink& log,
                                const std::string& folder);
// The sum of the four validations.
int ValidateFolders(platform::Platform& os, recordstore::LogSink& log,
                    const Folders& folders);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_FOLDERS_H_
