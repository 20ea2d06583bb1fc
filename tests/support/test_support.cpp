#include "support/test_support.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace zbtest {

std::string JoinPath(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\')
    return folder + name;
  return folder + separator + name;
}

bool TakeQuitMessage() {
#ifdef _WIN32
  MSG quit;
  return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
#else
  return false;
#endif
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::random_device device;
  std::error_code ec;
  const std::string base = fs::temp_directory_path(ec).string();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "zbdb-%d-%08x", counter++,
                  static_cast<unsigned>(device()));
    if (fs::create_directory(fs::path(JoinPath(base, name)), ec) && !ec)
      path_ = JoinPath(base, name);
  }
  if (path_.empty()) std::abort();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only files left by a test must not keep the folder alive.
  for (auto it = fs::recursive_directory_iterator(fs::path(path_), ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code ignored;
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add,
                    ignored);
  }
  fs::remove_all(fs::path(path_), ec);
}

bool MakeFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directory(fs::path(path), ec);
  return fs::is_directory(fs::path(path), ec);
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
  return in ? Bytes(std::istreambuf_iterator<char>(in), {}) : Bytes();
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool SetWritable(const std::string& path, bool writable) {
  std::error_code ec;
  const auto all = fs::perms::owner_write | fs::perms::group_write |
                   fs::perms::others_write;
  fs::permissions(fs::path(path), writable ? fs::perms::owner_write : all,
                  writable ? fs::perm_options::add : fs::perm_options::remove,
                  ec);
  return !ec;
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::copy_file(fs::path(from), fs::path(to), ec);
  return !ec && SetWritable(to, true);
}

Bytes Pattern(size_t n, uint32_t seed) {
  Bytes out(n);
  uint32_t x = seed * 2654435761u + 12345u;
  for (uint8_t& b : out) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 16);
  }
  return out;
}

std::string OnDisk(const std::string& text) {
#ifdef _WIN32
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
#else
  return text;
#endif
}

static std::optional<std::string> GetEnv(const std::string& name) {
#ifdef _WIN32
  char value[4096];
  const DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
  if (n == 0 || n >= sizeof value) return std::nullopt;
  return std::string(value, n);
#else
  const char* value = std::getenv(name.c_str());
  return value ? std::optional<std::string>(value) : std::nullopt;
#endif
}

static void PutEnv(const std::string& name,
                   const std::optional<std::string>& value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
#else
  if (value)
    setenv(name.c_str(), value->c_str(), 1);
  else
    unsetenv(name.c_str());
#endif
}

void ScopedEnv::Set(const std::string& name,
                    const std::optional<std::string>& value) {
  saved_.emplace_back(name, GetEnv(name));
  PutEnv(name, value);
}

ScopedEnv::~ScopedEnv() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
    PutEnv(it->first, it->second);
}

// The header with the given index header words, the records and the
// end-of-data mark.
static Bytes Image(const std::vector<RecordImage>& records, const Bytes& user,
                   uint32_t n, uint32_t index, uint32_t third) {
  Bytes out(user.begin(), user.begin() + std::min<size_t>(user.size(), 450));
  out.resize(488, 0);
  for (uint32_t v : {n, index, third}) PutU32(out, v);
  for (const RecordImage& r : records) {
    for (int16_t v : {r.key1, r.key2, static_cast<int16_t>(r.data.size())})
      PutI16(out, v);
    out.insert(out.end(), r.data.begin(), r.data.end());
  }
  PutU32(out, 0x7FFF7FFF);
  return out;
}

Bytes BuildClosedFile(const std::vector<RecordImage>& records,
                      const Bytes& user_header) {
  uint32_t offset = 500, n = static_cast<uint32_t>(records.size());
  for (const RecordImage& r : records) offset += 6 + uint32_t(r.data.size());
  Bytes out = Image(records, user_header, n, offset + 4, offset + 4 + 4 * n);
  offset = 500;
  for (const RecordImage& r : records) {
    PutI16(out, r.key1);
    PutI16(out, r.key2);
    PutU32(out, offset);
    offset += 6 + static_cast<uint32_t>(r.data.size());
  }
  PutU32(out, 0x7FFD7FFD);
  return out;
}

Bytes BuildUnclosedFile(const std::vector<RecordImage>& records,
                        uint32_t n_word, uint32_t index_word,
                        uint32_t third_word) {
  return Image(records, Bytes(), n_word, index_word, third_word);
}

RecordImage ChildRecord(int i) {
  return {static_cast<int16_t>(100 + i % 5), static_cast<int16_t>(i),
          Pattern(static_cast<size_t>(1 + (i * 37) % 300),
                  static_cast<uint32_t>(1000 + i))};
}

std::string ChildProgram(const std::string& name) {
#ifdef _WIN32
  char buf[MAX_PATH * 4];
  const std::string self(buf, GetModuleFileNameA(nullptr, buf, sizeof buf));
  const std::string file = name + ".exe";
#else
  std::error_code ec;
  const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
  const std::string& file = name;
#endif
  return JoinPath(self.substr(0, self.find_last_of("/\\")), file);
}

void TellParent(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::optional<std::string> ReadParentLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

#ifdef _WIN32

bool ChildProcess::Start(const std::string& program,
                         const std::vector<std::string>& args) {
  std::string line = "\"" + program + "\"";
  for (const std::string& a : args) line += " \"" + a + "\"";
  // The child's ends are inherited, this process's ends are not.
  SECURITY_ATTRIBUTES inherit{DWORD(sizeof(SECURITY_ATTRIBUTES)), nullptr,
                              TRUE};
  HANDLE in_read = nullptr, in_write = nullptr;
  HANDLE out_read = nullptr, out_write = nullptr;
  if (!CreatePipe(&in_read, &in_write, &inherit, 0)) return false;
  if (!CreatePipe(&out_read, &out_write, &inherit, 0)) {
    CloseHandle(in_read);
    CloseHandle(in_write);
    return false;
  }
  SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read;
  startup.hStdOutput = out_write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  running_ = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr,
                            TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(in_read);
  CloseHandle(out_write);
  if (running_) CloseHandle(info.hThread);
  process_ = info.hProcess;
  to_child_ = in_write;
  from_child_ = out_read;
  return running_;
}

std::optional<std::string> ChildProcess::ReadLine() {
  while (pending_.find('\n') == std::string::npos) {
    char buf[512];
    DWORD got = 0;
    if (!from_child_ || !ReadFile(from_child_, buf, sizeof buf, &got, nullptr) ||
        got == 0)
      return std::nullopt;
    pending_.append(buf, got);
  }
  std::string line = pending_.substr(0, pending_.find('\n'));
  pending_.erase(0, line.size() + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool ChildProcess::WriteLine(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  return to_child_ &&
         WriteFile(to_child_, text.data(), DWORD(text.size()), &written,
                   nullptr) &&
         written == text.size();
}

int ChildProcess::Wait(int timeout_ms) {
  DWORD code = 0;
  if (!running_ || WaitForSingleObject(process_, DWORD(timeout_ms)) != 0)
    return -1;
  GetExitCodeProcess(process_, &code);
  CloseHandle(process_);
  running_ = false;
  return static_cast<int>(code);
}

void ChildProcess::Kill() {
  if (!running_) return;
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 10000);
  CloseHandle(process_);
  running_ = false;
}

ChildProcess::~ChildProcess() {
  Kill();
  for (void* pipe : {to_child_, from_child_})
    if (pipe) CloseHandle(pipe);
}

#else

bool ChildProcess::Start(const std::string& program,
                         const std::vector<std::string>& args) {
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  // A child that ended must not end this process when it is written to.
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe(in) != 0) return false;
  if (pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  // No other child inherits these ends; dup2 gives the child its own.
  for (int fd : {in[0], in[1], out[0], out[1]}) fcntl(fd, F_SETFD, FD_CLOEXEC);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  running_ = posix_spawn(&pid_, program.c_str(), &actions, nullptr,
                         argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  to_child_ = in[1];
  from_child_ = out[0];
  return running_;
}

std::optional<std::string> ChildProcess::ReadLine() {
  while (pending_.find('\n') == std::string::npos) {
    char buf[512];
    const ssize_t got = from_child_ < 0 ? 0 : read(from_child_, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    pending_.append(buf, size_t(got));
  }
  std::string line = pending_.substr(0, pending_.find('\n'));
  pending_.erase(0, line.size() + 1);
  return line;
}

bool ChildProcess::WriteLine(const std::string& line) {
  const std::string text = line + "\n";
  return to_child_ >= 0 &&
         write(to_child_, text.data(), text.size()) == ssize_t(text.size());
}

int ChildProcess::Wait(int timeout_ms) {
  for (int waited = 0; running_; waited += 10) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r != 0) {
      running_ = false;
      if (r < 0) break;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (waited > timeout_ms) break;
    SleepMs(10);
  }
  return -1;
}

void ChildProcess::Kill() {
  if (!running_) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  running_ = false;
}

ChildProcess::~ChildProcess() {
  Kill();
  for (int fd : {to_child_, from_child_})
    if (fd >= 0) close(fd);
}

#endif

}  // namespace zbtest
