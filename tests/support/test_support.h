// Helpers shared by the tests and the child programs: temporary folders,
// whole-file reads and writes, little-endian byte building, marker files
// for synchronising with child processes, and starting, waiting for and
// killing child programs. Portable: POSIX and Win32 branches live in the
// .cpp. Nothing here uses GoogleTest, so child programs can link it.
#ifndef ZBDB_TESTS_SUPPORT_TEST_SUPPORT_H_
#define ZBDB_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace zbtest {

using Bytes = std::vector<uint8_t>;

// The separator of the running system ('\\' on Windows, '/' elsewhere).
char Separator();
std::string JoinPath(const std::string& folder, const std::string& name);

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes. Its own name holds only lower-case
// letters, digits and '-'.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + separator + name.
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// Creates a folder (one level); true when it exists afterwards.
bool MakeFolder(const std::string& path);
void RemoveTree(const std::string& path);

bool FileExists(const std::string& path);
// -1 when the file cannot be read.
int64_t FileSize(const std::string& path);
// The whole file; empty when it cannot be read.
Bytes ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
std::string ReadText(const std::string& path);
bool WriteText(const std::string& path, const std::string& text);
// Writes text to path + ".part" and renames it to path, so a reader that
// polls for path never sees half of it.
bool WriteMarker(const std::string& path, const std::string& text);
// Polls for the file every 20 ms; false after timeout_ms.
bool WaitForFile(const std::string& path, int timeout_ms);
void SleepMs(int ms);
bool SetWritable(const std::string& path, bool writable);
// Copies a file and makes the copy writable.
bool CopyFileTo(const std::string& from, const std::string& to);

std::string ToLowerAscii(std::string text);

// Little-endian building and reading of file bytes.
void PutI16(Bytes& out, int16_t v);
void PutU16(Bytes& out, uint16_t v);
void PutU32(Bytes& out, uint32_t v);
int16_t GetI16(const Bytes& in, size_t offset);
uint32_t GetU32(const Bytes& in, size_t offset);
// Deterministic test data of n bytes depending on seed.
Bytes Pattern(size_t n, uint32_t seed);

// One record as it lies in a record file.
struct RecordImage {
  int16_t key1;
  int16_t key2;
  Bytes data;
};

// The exact bytes of a cleanly closed record file holding these records
// back to back from offset 500, with the given user header (at most 450
// bytes; the rest of the 500-byte header is zero apart from the index
// header).
Bytes BuildClosedFile(const std::vector<RecordImage>& records,
                      const Bytes& user_header = Bytes());
// The same records followed by the end-of-data mark only: a file as a
// program leaves it that appended and never closed. The index header is
// taken as given (three words).
Bytes BuildUnclosedFile(const std::vector<RecordImage>& records,
                        uint32_t n_word = 0, uint32_t index_word = 0,
                        uint32_t third_word = 0);

// The folder of the running executable (with no trailing separator).
std::string ExecutableDir();
// The full path of a child program built next to the test executable.
std::string ChildProgram(const std::string& name);

// A child process. The destructor kills it when it still runs.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::string& program, const std::vector<std::string>& args);
  // The exit code, or -1000 when the child did not end within timeout_ms
  // (it is left running), or -1001 when there is no child.
  int Wait(int timeout_ms);
  // Ends the child at once, without giving it any chance to clean up.
  void Kill();
  bool running() const { return running_; }

 private:
  bool running_ = false;
#ifdef _WIN32
  void* process_ = nullptr;
#else
  int pid_ = -1;
#endif
};

constexpr int kWaitTimedOut = -1000;

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_TEST_SUPPORT_H_
