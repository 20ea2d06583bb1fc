// Answers of the platform interface where a platform offers nothing
// better: "not available". The real implementations override them.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform.h"

namespace zb::platform {

std::string Platform::ReadProfileText(const std::string&, const std::string&,
                                      const std::string&,
                                      const std::string& default_value) {
  return default_value;
}
int Platform::ReadProfileInt(const std::string&, const std::string&,
                             const std::string&, int default_value) {
  return default_value;
}
bool Platform::WriteProfileText(const std::string&, const std::string&,
                                const std::string&, const std::string&) {
  return false;
}
bool Platform::DeleteProfileKey(const std::string&, const std::string&,
                                const std::string&) {
  return false;
}
bool Platform::ReadProfileStruct(const std::string&, const std::string&,
                                 const std::string&, void*, size_t) {
  return false;
}
bool Platform::WriteProfileStruct(const std::string&, const std::string&,
                                  const std::string&, const void*, size_t) {
  return false;
}
bool Platform::ReadUserNumber(const std::string&, const std::string&,
                              uint32_t*) {
  return false;
}
bool Platform::WriteUserNumber(const std::string&, const std::string&,
                               uint32_t) {
  return false;
}
bool Platform::ReadUserText(const std::string&, const std::string&,
                            std::string*) {
  return false;
}
bool Platform::WriteUserText(const std::string&, const std::string&,
                             const std::string&) {
  return false;
}
std::string Platform::UserName() { return {}; }
std::string Platform::ComputerName() { return {}; }
bool Platform::GetDiskSpace(const std::string&, DiskSpace*) { return false; }
Platform::DriveKind Platform::DriveKindOf(const std::string&) {
  return DriveKind::kUnknown;
}
void Platform::NewGuid(uint8_t guid[16]) {
  for (int i = 0; i < 16; ++i) guid[i] = 0;
}
bool Platform::ModuleVersion(const std::string&, bool, uint16_t[4]) {
  return false;
}
std::string Platform::OwnModulePath() { return {}; }
void Platform::PostQuit(int) {}
int Platform::posted_quit() const { return -1; }
void* Platform::LoadLibraryFile(const std::string&) { return nullptr; }
void* Platform::ProcedureByOrdinal(void*, int) { return nullptr; }
void Platform::FreeLibraryFile(void*) {}

void Platform::EndProcess(int exit_code) { std::exit(exit_code); }
std::string Platform::EnvironmentText(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}
std::unique_ptr<MailClient> Platform::LoadMailClient() { return nullptr; }
Platform::StartResult Platform::StartProcess(const std::string&,
                                             const std::string&, bool) {
  return StartResult::kFailed;
}
std::string Platform::AbsolutePath(const std::string& path) { return path; }
std::FILE* Platform::ScratchStream() { return std::tmpfile(); }
uint32_t Platform::SetConsoleCodePage(uint32_t) { return 0; }
void* Platform::NewByteString(const std::string& bytes) {
  char* copy = static_cast<char*>(std::malloc(bytes.size() + 1));
  if (copy) std::memcpy(copy, bytes.c_str(), bytes.size() + 1);
  return copy;
}
void Platform::FreeByteString(void* text) { std::free(text); }

std::string ProductFolder(Platform& os) {
  std::string folder = os.EnvironmentText("ZBSTATIK_HOME");
  if (!folder.empty()) {
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/'))
      folder.pop_back();
    return folder;
  }
#ifdef _WIN32
  return os.DriveKindOf("D:\\") == Platform::DriveKind::kCdRom ? "C:\\ZBStatik"
                                                               : "D:\\ZBStatik";
#else
  const std::string home = os.EnvironmentText("HOME");
  return home.empty() ? std::string() : home + "/ZBStatik";
#endif
}

std::tm CalendarTime(uint32_t seconds, bool local) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
#ifdef _WIN32
  if (local)
    localtime_s(&tm, &t);
  else
    gmtime_s(&tm, &t);
#else
  if (local)
    localtime_r(&t, &tm);
  else
    gmtime_r(&t, &tm);
#endif
  return tm;
}

}  // namespace zb::platform
