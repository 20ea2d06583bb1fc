// A platform wrapper for tests: forwards everything to another platform and
// spoils one chosen write, counted over all files it opened, so tests can
// see what the layers above make of a failed or short write.
#ifndef ZBDB_PLATFORM_FAULT_INJECTION_H_
#define ZBDB_PLATFORM_FAULT_INJECTION_H_

#include "platform/platform.h"

namespace zb::platform {

class FaultInjectingPlatform final : public Platform {
 public:
  // kHalve keeps the first half of the spoiled write, whatever its size.
  enum class Fault { kNone, kFail, kShorten, kHalve };

  explicit FaultInjectingPlatform(Platform& base) : base_(base) {}

  // Write number `nth` (from 1, counted from now) fails without writing, or
  // writes only `keep` bytes and reports them. Other writes pass through.
  void SpoilWrite(uint64_t nth, Fault fault, size_t keep = 0) {
    writes_ = 0;
    target_ = nth;
    fault_ = fault;
    keep_ = keep;
  }
  uint64_t writes() const { return writes_; }
  // The process ends at once right after the spoiled write, as if killed
  // there: for child programs of crash tests.
  void EndAfterSpoiledWrite(int exit_code) { end_code_ = exit_code; }
  int end_code() const { return end_code_; }
  // Sleeps are counted instead of waited, so wait loops test quickly.
  uint64_t slept_ms() const { return slept_ms_; }

  // Called by the files this wrapper hands out.
  bool NextWrite(size_t n, size_t* allowed);

  Status OpenFile(const std::string& path, Access access, Share share,
                  std::unique_ptr<File>* file) override;
  Status NewFile(const std::string& path, Share share,
                 std::unique_ptr<File>* file) override;
  Status RemoveFile(const std::string& path) override {
    return base_.RemoveFile(path);
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return base_.RenameFile(from, to);
  }
  bool FileExists(const std::string& path) override {
    return base_.FileExists(path);
  }
  bool IsFolder(const std::string& path) override {
    return base_.IsFolder(path);
  }
  Status IsReadOnly(const std::string& path, bool* read_only) override {
    return base_.IsReadOnly(path, read_only);
  }
  Status SetReadOnly(const std::string& path, bool read_only) override {
    return base_.SetReadOnly(path, read_only);
  }
  Status FindFiles(const std::string& pattern,
                   std::vector<DirEntry>* entries) override {
    return base_.FindFiles(pattern, entries);
  }
  Status CreateFolder(const std::string& path) override {
    return base_.CreateFolder(path);
  }
  std::FILE* OpenStream(const std::string& path, const char* mode) override {
    return base_.OpenStream(path, mode);
  }
  uint32_t Now() override { return base_.Now(); }
  void SleepMs(uint32_t ms) override { slept_ms_ += ms; }

  std::string ReadProfileText(const std::string& file,
                              const std::string& section,
                              const std::string& key,
                              const std::string& default_value) override {
    return base_.ReadProfileText(file, section, key, default_value);
  }
  int ReadProfileInt(const std::string& file, const std::string& section,
                     const std::string& key, int default_value) override {
    return base_.ReadProfileInt(file, section, key, default_value);
  }
  bool WriteProfileText(const std::string& file, const std::string& section,
                        const std::string& key,
                        const std::string& value) override {
    return base_.WriteProfileText(file, section, key, value);
  }
  bool DeleteProfileKey(const std::string& file, const std::string& section,
                        const std::string& key) override {
    return base_.DeleteProfileKey(file, section, key);
  }
  bool ReadProfileStruct(const std::string& file, const std::string& section,
                         const std::string& key, void* data,
                         size_t size) override {
    return base_.ReadProfileStruct(file, section, key, data, size);
  }
  bool WriteProfileStruct(const std::string& file, const std::string& section,
                          const std::string& key, const void* data,
                          size_t size) override {
    return base_.WriteProfileStruct(file, section, key, data, size);
  }
  bool ReadUserNumber(const std::string& subkey, const std::string& name,
                      uint32_t* value) override {
    return base_.ReadUserNumber(subkey, name, value);
  }
  bool WriteUserNumber(const std::string& subkey, const std::string& name,
                       uint32_t value) override {
    return base_.WriteUserNumber(subkey, name, value);
  }
  bool ReadUserText(const std::string& subkey, const std::string& name,
                    std::string* value) override {
    return base_.ReadUserText(subkey, name, value);
  }
  bool WriteUserText(const std::string& subkey, const std::string& name,
                     const std::string& value) override {
    return base_.WriteUserText(subkey, name, value);
  }
  std::string UserName() override { return base_.UserName(); }
  std::string ComputerName() override { return base_.ComputerName(); }
  bool GetDiskSpace(const std::string& path, DiskSpace* space) override {
    return base_.GetDiskSpace(path, space);
  }
  DriveKind DriveKindOf(const std::string& path) override {
    return base_.DriveKindOf(path);
  }
  void NewGuid(uint8_t guid[16]) override { base_.NewGuid(guid); }
  bool ModuleVersion(const std::string& path, bool product,
                     uint16_t parts[4]) override {
    return base_.ModuleVersion(path, product, parts);
  }
  std::string OwnModulePath() override { return base_.OwnModulePath(); }
  void PostQuit(int exit_code) override { base_.PostQuit(exit_code); }
  int posted_quit() const override { return base_.posted_quit(); }
  void* LoadLibraryFile(const std::string& name) override {
    return base_.LoadLibraryFile(name);
  }
  void* ProcedureByOrdinal(void* library, int ordinal) override {
    return base_.ProcedureByOrdinal(library, ordinal);
  }
  void FreeLibraryFile(void* library) override {
    base_.FreeLibraryFile(library);
  }
  // Recorded instead: a test goes on to check what the library did.
  void EndProcess(int exit_code) override { ended_with_ = exit_code; }
  int ended_with() const { return ended_with_; }
  std::string AbsolutePath(const std::string& path) override {
    return base_.AbsolutePath(path);
  }
  std::FILE* ScratchStream() override { return base_.ScratchStream(); }
  StartResult StartProcess(const std::string& executable,
                           const std::string& arguments, bool wait) override {
    return base_.StartProcess(executable, arguments, wait);
  }
  std::unique_ptr<MailClient> LoadMailClient() override {
    return base_.LoadMailClient();
  }
  uint32_t SetConsoleCodePage(uint32_t code_page) override {
    return base_.SetConsoleCodePage(code_page);
  }
  std::string EnvironmentText(const std::string& name) override {
    return base_.EnvironmentText(name);
  }
  void* NewByteString(const std::string& bytes) override {
    return base_.NewByteString(bytes);
  }
  void FreeByteString(void* text) override { base_.FreeByteString(text); }

 private:
  Platform& base_;
  int ended_with_ = 0;
  uint64_t writes_ = 0;
  uint64_t target_ = 0;
  Fault fault_ = Fault::kNone;
  size_t keep_ = 0;
  uint64_t slept_ms_ = 0;
  int end_code_ = -1;
};

}  // namespace zb::platform

#endif  // ZBDB_PLATFORM_FAULT_INJECTION_H_
