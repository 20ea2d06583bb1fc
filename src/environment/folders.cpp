#include "environment/folders.h"

#include <cstdio>
#include <memory>

#include "platform/platform.h"
#include "recordstore/log_sink.h"

namespace zb::environment {
namespace {

constexpr size_t kFieldWidth = 100;  // the request record's folder fields
const char kProbeName[] = "xxxx00000.tmp";

bool IsDriveRoot(const std::string& normalised) {
  return normalised == "\\" ||
         (normalised.size() == 3 && normalised[1] == ':' &&
          normalised[2] == '\\');
}

void LogPermission(recordstore::LogSink& log, const char* format,
                   const std::string& path) {
  char line[600];
  std::snprintf(line, sizeof line, format, path.c_str());
  log.Append(line);
}

// Creates, writes and removes a file: what the library does in these
// folders all day.
bool ProbeFile(platform::Platform& os, recordstore::LogSink& log,
               const std::string& path, bool remove) {
  std::unique_ptr<platform::File> file;
  if (!os.NewFile(path, platform::Share::kDenyNone, &file).ok()) {
    LogPermission(log, "\n ### No open-create permission on '%s'\n", path);
    return false;
  }
  size_t written = 0;
  const char probe[] = "ZBDB";
  if (!file->WriteAt(0, probe, 4, &written).ok() || written != 4) {
    file.reset();
    os.RemoveFile(path);
    LogPermission(log, "\n ### No write permission to '%s'\n", path);
    return false;
  }
  file.reset();
  if (remove && !os.RemoveFile(path).ok()) {
    LogPermission(log, "\n ### No remove permission to '%s'\n", path);
    return false;
  }
  return true;
}

bool WritableFolder(platform::Platform& os, recordstore::LogSink& log,
                    const std::string& folder) {
  const std::string normal = NormaliseFolder(folder);
  if (normal.empty() || !os.IsFolder(normal)) return false;
  if (os.DriveKindOf(normal) == platform::Platform::DriveKind::kCdRom)
    return false;
  if (normal.size() + sizeof kProbeName - 1 >= kFieldWidth) return false;
  return ProbeFile(os, log, normal + kProbeName, true);
}

}  // namespace

std::string LowerAscii(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string NormaliseFolder(const std::string& text) {
  std::string s = text;
  while (!s.empty() && s.back() == '\\') s.pop_back();
  if (s.empty()) return s;
  s += '\\';
  const bool network = s.size() >= 2 && s[0] == '\\' && s[1] == '\\';
  std::string out = network ? "\\\\" : "";
  for (size_t i = network ? 2 : 0; i < s.size(); ++i) {
    if (s[i] == '\\' && !out.empty() && out.back() == '\\' &&
        !(network && out.size() == 2))
      continue;
    out += s[i];
  }
  return out;
}

int ValidateDataFolder(platform::Platform& os, const std::string& data,
                       const std::string& program) {
  const std::string folder = LowerAscii(NormaliseFolder(data));
  int flags = 0;
  if (folder.empty() || !os.IsFolder(folder)) {
    flags = kDataMissing;
  } else if (folder == LowerAscii(NormaliseFolder(program))) {
    flags = kDataIsProgramFolder;
  } else if (IsDriveRoot(folder) &&
             os.DriveKindOf(folder) == platform::Platform::DriveKind::kFixed) {
    flags = kDataIsDriveRoot;
  } else if (folder.size() >= 82 || folder.size() < 5) {
    flags = kDataLength;
  }
  return flags ? flags + kDataInvalid : 0;
}

int ValidateTemporaryFolder(platform::Platform& os, recordstore::LogSink& log,
                            const std::string& folder) {
  return WritableFolder(os, log, folder) ? 0 : kTemporaryInvalid;
}

int ValidateUserFolder(platform::Platform& os, recordstore::LogSink& log,
                       const std::string& folder) {
  return WritableFolder(os, log, folder) ? 0 : kUserInvalid;
}

int ValidateConfigurationFolder(platform::Platform& os,
                                recordstore::LogSink& log,
                                const std::string& folder) {
  const std::string normal = NormaliseFolder(folder);
  if (normal.empty() || !os.IsFolder(normal)) return kConfigurationInvalid;
  const std::string log_file = normal + "DBReport.Log";
  if (os.FileExists(log_file)) {
    // The log is there: it only has to stay writable, and must not be
    // removed by the check.
    std::unique_ptr<platform::File> file;
    if (!os.OpenFile(log_file, platform::Access::kReadWrite,
                     platform::Share::kDenyNone, &file)
             .ok()) {
      LogPermission(log, "\n ### No write permission to '%s'\n", log_file);
      return kConfigurationInvalid;
    }
    return 0;
  }
  return ProbeFile(os, log, log_file, true) ? 0 : kConfigurationInvalid;
}

int ValidateFolders(platform::Platform& os, recordstore::LogSink& log,
                    const Folders& folders) {
  return ValidateDataFolder(os, folders.data, folders.program) +
         ValidateTemporaryFolder(os, log, folders.temporary) +
         ValidateUserFolder(os, log, folders.user) +
         ValidateConfigurationFolder(os, log, folders.configuration);
}

}  // namespace zb::environment
