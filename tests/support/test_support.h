// Helpers shared by the tests and the child program: temporary folders,
// whole files, little-endian bytes, record file images, marker files,
// child processes and the thread's quit message. Nothing here uses
// GoogleTest.
#ifndef ZBDB_TESTS_SUPPORT_TEST_SUPPORT_H_
#define ZBDB_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zbtest {

using Bytes = std::vector<uint8_t>;

std::string JoinPath(const std::string& folder, const std::string& name);

// A fresh folder under the system's temporary folder (its own name in lower
// case), removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const {
    return JoinPath(path_, name);
  }

 private:
  std::string path_;
};

bool MakeFolder(const std::string& path);
bool FileExists(const std::string& path);
int64_t FileSize(const std::string& path);     // -1 when unreadable
Bytes ReadFileBytes(const std::string& path);  // empty when unreadable
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
inline std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}
inline bool WriteText(const std::string& path, const std::string& text) {
  return WriteFileBytes(path, Bytes(text.begin(), text.end()));
}
inline void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
bool SetWritable(const std::string& path, bool writable);
bool CopyFileTo(const std::string& from, const std::string& to);  // writable
inline std::string ToLowerAscii(std::string text) {
  for (char& c : text) c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
  return text;
}

// Little-endian values in file bytes (the tests run on little-endian
// machines only); reads beyond the end give 0.
template <typename T>
void Put(Bytes& out, T v) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&v);
  out.insert(out.end(), p, p + sizeof v);
}
template <typename T>
T Get(const Bytes& in, size_t offset) {
  T v{};
  if (offset + sizeof v <= in.size()) std::memcpy(&v, &in[offset], sizeof v);
  return v;
}
inline void PutI16(Bytes& out, int16_t v) { Put(out, v); }
inline void PutU32(Bytes& out, uint32_t v) { Put(out, v); }
inline int16_t GetI16(const Bytes& b, size_t at) { return Get<int16_t>(b, at); }
inline uint32_t GetU32(const Bytes& b, size_t at) {
  return Get<uint32_t>(b, at);
}
Bytes Pattern(size_t n, uint32_t seed);  // deterministic test data

// The text as a file written in text mode holds it: CR LF on Windows.
std::string OnDisk(const std::string& text);
// The text, cut or zero-padded to the width of a field.
inline std::string Padded(std::string text, size_t width) {
  text.resize(width, '\0');
  return text;
}

// Environment variables changed by a test, restored by the destructor.
class ScopedEnv {
 public:
  ScopedEnv() = default;
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  // nullopt removes the variable.
  void Set(const std::string& name, const std::optional<std::string>& value);

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

struct RecordImage {
  int16_t key1;
  int16_t key2;
  Bytes data;
};

// A cleanly closed record file: the records from offset 500, behind the
// given user header (at most 450 bytes).
Bytes BuildClosedFile(const std::vector<RecordImage>& records,
                      const Bytes& user_header = Bytes());
// The records and the end-of-data mark only, as a program leaves a file
// it appended to and never closed; the index header words as given.
Bytes BuildUnclosedFile(const std::vector<RecordImage>& records,
                        uint32_t n_word = 0, uint32_t index_word = 0,
                        uint32_t third_word = 0);

RecordImage ChildRecord(int i);  // the i-th record the child appends
// The child program of that name, next to the running executable.
std::string ChildProgram(const std::string& name);

// A child process whose standard input and output are pipes to this
// process, killed by the destructor when it still runs. Parent and child
// wait for each other's lines, never for a time: a child that ends closes
// its end, and the reader sees the end of the lines at once.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool Start(const std::string& program, const std::vector<std::string>& args);
  // The next line the child wrote, without its line end; nullopt once the
  // child has closed its output (it ended) without one.
  std::optional<std::string> ReadLine();
  bool WriteLine(const std::string& line);  // to the child's input
  int Wait(int timeout_ms);  // the exit code; -1 when it did not end in time
  void Kill();               // at once, with no chance to clean up

 private:
  bool running_ = false;
  std::string pending_;  // read, not yet handed out
#ifdef _WIN32
  void* process_ = nullptr;
  void* to_child_ = nullptr;
  void* from_child_ = nullptr;
#else
  int pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
#endif
};

// The child's side: a line to the parent, written at once, and the next
// line from it (nullopt when the parent closed the pipe or ended).
void TellParent(const std::string& line);
std::optional<std::string> ReadParentLine();

// Takes a WM_QUIT posted to this thread out of its queue: true when one
// was there. Elsewhere than on Windows nothing is ever queued.
bool TakeQuitMessage();

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_TEST_SUPPORT_H_
