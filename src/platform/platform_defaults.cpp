// Answers of the platform interface where a platform offers nothing
// better: "not available". The real implementations override them.
#include "platform/platform.h"

namespace zb::platform {

std::string Platform::ReadProfileString(const std::string&, const std::string&,
                                        const std::string&,
                                        const std::string& default_value) {
  return default_value;
}
int Platform::ReadProfileInt(const std::string&, const std::string&,
                             const std::string&, int default_value) {
  return default_value;
}
bool Platform::WriteProfileString(const std::string&, const std::string&,
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

namespace {
Platform* g_override = nullptr;
}  // namespace

Platform& Default() {
  // Never destroyed: the record engine's exit handler may still close files
  // after static destructors have run.
  static Platform* real = NewNativePlatform();
  return g_override ? *g_override : *real;
}

void SetDefaultForTests(Platform* platform) { g_override = platform; }

}  // namespace zb::platform
