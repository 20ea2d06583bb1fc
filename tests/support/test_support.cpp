#include "support/test_support.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace zbtest {
namespace {

std::string SystemTempFolder() {
#ifdef _WIN32
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string path = (n > 0 && n < sizeof buf) ? std::string(buf, n) : ".";
#else
  const char* env = std::getenv("TMPDIR");
  std::string path = (env && *env) ? env : "/tmp";
#endif
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
    path.pop_back();
  return path;
}

int ProcessId() {
#ifdef _WIN32
  return static_cast<int>(GetCurrentProcessId());
#else
  return static_cast<int>(getpid());
#endif
}

}  // namespace

char Separator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/' || folder.back() == '\\') return folder + name;
  return folder + Separator() + name;
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::random_device device;
  const std::string base = SystemTempFolder();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "zbdb-%d-%d-%08x", ProcessId(),
                  counter.fetch_add(1), static_cast<unsigned>(device()));
    const std::string candidate = JoinPath(base, name);
    std::error_code ec;
    if (fs::create_directory(fs::path(candidate), ec) && !ec) {
      path_ = candidate;
      return;
    }
  }
  std::fprintf(stderr, "cannot create a temporary folder under %s\n",
               base.c_str());
  std::abort();
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::File(const std::string& name) const {
  return JoinPath(path_, name);
}

bool MakeFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directory(fs::path(path), ec);
  return fs::is_directory(fs::path(path), ec);
}

void RemoveTree(const std::string& path) {
  if (path.empty()) return;
  std::error_code ec;
  // Read-only files left by a test must not keep the folder alive.
  for (auto it = fs::recursive_directory_iterator(fs::path(path), ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code ignored;
    fs::permissions(it->path(), fs::perms::owner_write,
                    fs::perm_options::add, ignored);
  }
  fs::remove_all(fs::path(path), ec);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::path(path), ec);
}

int64_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(fs::path(path), ec);
  return ec ? -1 : static_cast<int64_t>(size);
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return Bytes();
  return Bytes(std::istreambuf_iterator<char>(in),
               std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

bool WriteText(const std::string& path, const std::string& text) {
  return WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

bool WriteMarker(const std::string& path, const std::string& text) {
  const std::string part = path + ".part";
  if (!WriteText(part, text)) return false;
  std::error_code ec;
  fs::rename(fs::path(part), fs::path(path), ec);
  return !ec;
}

bool WaitForFile(const std::string& path, int timeout_ms) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (FileExists(path)) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    SleepMs(20);
  }
}

void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SetWritable(const std::string& path, bool writable) {
  std::error_code ec;
  const fs::perms write_bits =
      writable ? fs::perms::owner_write
               : (fs::perms::owner_write | fs::perms::group_write |
                  fs::perms::others_write);
  fs::permissions(fs::path(path), write_bits,
                  writable ? fs::perm_options::add : fs::perm_options::remove,
                  ec);
  return !ec;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (FileExists(to)) {
    SetWritable(to, true);
    fs::remove(fs::path(to), ec);
  }
  fs::copy_file(fs::path(from), fs::path(to), ec);
  if (ec) return false;
  return SetWritable(to, true);
}

std::string ToLowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

void PutI16(Bytes& out, int16_t v) { PutU16(out, static_cast<uint16_t>(v)); }

void PutU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

int16_t GetI16(const Bytes& in, size_t offset) {
  if (offset + 2 > in.size()) return 0;
  return static_cast<int16_t>(in[offset] | (in[offset + 1] << 8));
}

uint32_t GetU32(const Bytes& in, size_t offset) {
  if (offset + 4 > in.size()) return 0;
  return static_cast<uint32_t>(in[offset]) |
         (static_cast<uint32_t>(in[offset + 1]) << 8) |
         (static_cast<uint32_t>(in[offset + 2]) << 16) |
         (static_cast<uint32_t>(in[offset + 3]) << 24);
}

Bytes Pattern(size_t n, uint32_t seed) {
  Bytes out(n);
  uint32_t x = seed * 2654435761u + 12345u;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    out[i] = static_cast<uint8_t>(x >> 16);
  }
  return out;
}

namespace {

Bytes BuildHeaderAndData(const std::vector<RecordImage>& records,
                         const Bytes& user_header, uint32_t* end_of_data) {
  Bytes out(500, 0);
  for (size_t i = 0; i < user_header.size() && i < 450; ++i)
    out[i] = user_header[i];
  for (const RecordImage& r : records) {
    PutI16(out, r.key1);
    PutI16(out, r.key2);
    PutI16(out, static_cast<int16_t>(r.data.size()));
    out.insert(out.end(), r.data.begin(), r.data.end());
  }
  *end_of_data = static_cast<uint32_t>(out.size());
  PutI16(out, 32767);
  PutI16(out, 32767);
  return out;
}

void SetU32(Bytes& bytes, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

Bytes BuildClosedFile(const std::vector<RecordImage>& records,
                      const Bytes& user_header) {
  uint32_t end_of_data = 0;
  Bytes out = BuildHeaderAndData(records, user_header, &end_of_data);
  const uint32_t n = static_cast<uint32_t>(records.size());
  SetU32(out, 488, n);
  SetU32(out, 492, end_of_data + 4);
  SetU32(out, 496, end_of_data + 4 + 4 * n);
  uint32_t offset = 500;
  for (const RecordImage& r : records) {
    PutI16(out, r.key1);
    PutI16(out, r.key2);
    PutU32(out, offset);
    offset += 6 + static_cast<uint32_t>(r.data.size());
  }
  PutI16(out, 32765);
  PutI16(out, 32765);
  return out;
}

Bytes BuildUnclosedFile(const std::vector<RecordImage>& records,
                        uint32_t n_word, uint32_t index_word,
                        uint32_t third_word) {
  uint32_t end_of_data = 0;
  Bytes out = BuildHeaderAndData(records, Bytes(), &end_of_data);
  SetU32(out, 488, n_word);
  SetU32(out, 492, index_word);
  SetU32(out, 496, third_word);
  return out;
}

std::string ExecutableDir() {
#ifdef _WIN32
  char buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  std::string path(buf, n);
#else
  std::error_code ec;
  std::string path = fs::read_symlink("/proc/self/exe", ec).string();
#endif
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

std::string ChildProgram(const std::string& name) {
#ifdef _WIN32
  return JoinPath(ExecutableDir(), name + ".exe");
#else
  return JoinPath(ExecutableDir(), name);
#endif
}

ChildProcess::~ChildProcess() {
  if (running_) Kill();
}

#ifdef _WIN32

bool ChildProcess::Start(const std::string& program,
                         const std::vector<std::string>& args) {
  std::string command = "\"" + program + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof info);
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  running_ = true;
  return true;
}

int ChildProcess::Wait(int timeout_ms) {
  if (!running_) return -1001;
  if (WaitForSingleObject(static_cast<HANDLE>(process_),
                          static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0)
    return kWaitTimedOut;
  DWORD code = 0;
  GetExitCodeProcess(static_cast<HANDLE>(process_), &code);
  CloseHandle(static_cast<HANDLE>(process_));
  process_ = nullptr;
  running_ = false;
  return static_cast<int>(code);
}

void ChildProcess::Kill() {
  if (!running_) return;
  TerminateProcess(static_cast<HANDLE>(process_), 99);
  WaitForSingleObject(static_cast<HANDLE>(process_), 10000);
  CloseHandle(static_cast<HANDLE>(process_));
  process_ = nullptr;
  running_ = false;
}

#else

bool ChildProcess::Start(const std::string& program,
                         const std::vector<std::string>& args) {
  std::vector<std::string> all;
  all.push_back(program);
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(),
                  environ) != 0)
    return false;
  pid_ = pid;
  running_ = true;
  return true;
}

int ChildProcess::Wait(int timeout_ms) {
  if (!running_) return -1001;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      running_ = false;
      pid_ = -1;
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    if (r < 0) {
      running_ = false;
      pid_ = -1;
      return -1001;
    }
    if (std::chrono::steady_clock::now() > deadline) return kWaitTimedOut;
    SleepMs(10);
  }
}

void ChildProcess::Kill() {
  if (!running_) return;
  kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  running_ = false;
}

#endif

}  // namespace zbtest
