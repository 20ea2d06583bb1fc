#include "platform/posix/profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zb::platform::posix {
namespace {

// The characters Windows trims around names and values; 0x1A is the DOS
// end-of-file mark some old editors leave behind.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' ||
         c == '\f' || c == '\x1a';
}

std::string Trim(const std::string& text, size_t begin, size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

unsigned char Fold(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(static_cast<unsigned char>(a[i])) !=
        Fold(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

struct Line {
  size_t begin;  // first byte
  size_t end;    // before the line end ("\r\n", "\n" or none)
  size_t next;   // first byte of the next line
};

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    const size_t next = nl == std::string::npos ? text.size() : nl + 1;
    size_t end = nl == std::string::npos ? text.size() : nl;
    if (end > at && text[end - 1] == '\r') --end;
    lines.push_back({at, end, next});
    at = next;
  }
  return lines;
}

// The name of a section header line, which starts (after blanks) with '['
// and runs to the line's last ']'.
bool HeaderName(const std::string& text, const Line& line, std::string* name) {
  size_t b = line.begin;
  while (b < line.end && IsBlank(text[b])) ++b;
  if (b == line.end || text[b] != '[') return false;
  size_t close = line.end;
  while (close > b + 1 && text[close - 1] != ']') --close;
  if (close <= b + 1) return false;  // no ']': not a header
  *name = Trim(text, b + 1, close - 1);
  return true;
}

// Key and value of a "key=value" line.
bool KeyLine(const std::string& text, const Line& line, std::string* key,
             std::string* value) {
  size_t eq = line.begin;
  while (eq < line.end && text[eq] != '=') ++eq;
  if (eq == line.end) return false;
  *key = Trim(text, line.begin, eq);
  if (value) *value = Trim(text, eq + 1, line.end);
  return true;
}

// Where a section's lines are in the file: [first, last) over `lines`,
// first being the header (or 0 for the lines before any header).
struct Found {
  bool section = false;
  size_t first = 0, last = 0;
  bool key = false;
  size_t key_line = 0;
  std::string value;
};

Found Locate(const std::string& text, const std::vector<Line>& lines,
             const std::string& section, const std::string& key) {
  Found f;
  std::string name;
  size_t i = 0;
  if (section.empty()) {
    f.section = true;  // the lines before the first header
  } else {
    for (; i < lines.size(); ++i)
      if (HeaderName(text, lines[i], &name) && SameName(name, section)) break;
    if (i == lines.size()) return f;
    f.section = true;
    ++i;
  }
  f.first = section.empty() ? 0 : i - 1;
  for (; i < lines.size(); ++i) {
    if (HeaderName(text, lines[i], &name)) break;
    std::string k, v;
    if (!f.key && KeyLine(text, lines[i], &k, &v) && SameName(k, key)) {
      f.key = true;
      f.key_line = i;
      f.value = v;
    }
  }
  f.last = i;
  return f;
}

bool ReadWhole(const std::string& native, std::string* text, bool* missing) {
  text->clear();
  *missing = false;
  const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *missing = errno == ENOENT || errno == ENOTDIR;
    return false;
  }
  char buf[8192];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

bool WriteWhole(const std::string& native, const std::string& text) {
  struct stat st;
  // Windows refuses to write a read-only file, whoever asks.
  if (stat(native.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) return false;
  const int fd =
      open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fd);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return close(fd) == 0;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

}  // namespace

bool ProfileLookup(const std::string& native_file, const std::string& section,
                   const std::string& key, std::string* value) {
  std::string text;
  bool missing = false;
  if (!ReadWhole(native_file, &text, &missing)) return false;
  const std::string sec = Trim(section, 0, section.size());
  const std::string k = Trim(key, 0, key.size());
  const Found f = Locate(text, SplitLines(text), sec, k);
  if (!f.key) return false;
  *value = f.value;
  return true;
}

bool ProfileStore(const std::string& native_file, const std::string& section,
                  const std::string& key, const std::string* value) {
  std::string text;
  bool missing = false;
  if (!ReadWhole(native_file, &text, &missing) && !missing) return false;
  if (missing && !value) return true;  // nothing to remove
  const std::string sec = Trim(section, 0, section.size());
  const std::string k = Trim(key, 0, key.size());
  const std::vector<Line> lines = SplitLines(text);
  const Found f = Locate(text, lines, sec, k);

  std::string out;
  if (f.key) {
    const Line& line = lines[f.key_line];
    out = text.substr(0, line.begin);
    if (value) {
      // The key keeps the file's spelling; the line its line end.
      std::string old_key;
      KeyLine(text, line, &old_key, nullptr);
      out += old_key + "=" + *value;
      out += text.substr(line.end);
    } else {
      out += text.substr(line.next);
    }
  } else if (!value) {
    return true;
  } else if (f.section) {
    // After the section's last non-blank line, so blank lines that part it
    // from the next section stay where they are.
    size_t after = f.first;  // the header; for "" nothing yet
    bool any = !sec.empty();
    for (size_t i = f.first; i < f.last; ++i) {
      if (Trim(text, lines[i].begin, lines[i].end).empty()) continue;
      after = i;
      any = true;
    }
    const size_t at = any ? lines[after].next : 0;
    out = text.substr(0, at);
    if (any && lines[after].next == lines[after].end) out += "\r\n";
    out += k + "=" + *value + "\r\n";
    out += text.substr(at);
  } else {
    out = text;
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    out += "[" + sec + "]\r\n" + k + "=" + *value + "\r\n";
  }
  return WriteWhole(native_file, out);
}

std::string StripProfileQuotes(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
      value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

int ProfileInt(const std::string& value) {
  size_t i = 0;
  while (i < value.size() && IsBlank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  uint32_t base = 10;
  if (i + 1 < value.size() && value[i] == '0') {
    switch (value[i + 1]) {
      case 'x': base = 16; i += 2; break;
      case 'o': base = 8; i += 2; break;
      case 'b': base = 2; i += 2; break;
      default: break;
    }
  }
  uint32_t n = 0;
  for (; i < value.size(); ++i) {
    const int d = DigitValue(value[i]);
    if (d >= static_cast<int>(base)) break;
    n = n * base + static_cast<uint32_t>(d);
  }
  if (negative) n = 0u - n;
  return static_cast<int>(n);
}

std::string ProfileStructText(const void* data, size_t size) {
  static const char kHex[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string text;
  unsigned sum = 0;
  for (size_t i = 0; i <= size; ++i) {
    const unsigned b = i < size ? bytes[i] : (sum & 0xFF);
    sum += b;
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

bool ParseProfileStruct(const std::string& text, void* data, size_t size) {
  if (text.size() != 2 * size + 2) return false;
  std::vector<unsigned char> bytes(size + 1);
  for (size_t i = 0; i <= size; ++i) {
    const int hi = DigitValue(text[2 * i]);
    const int lo = DigitValue(text[2 * i + 1]);
    if (hi > 15 || lo > 15) return false;
    bytes[i] = static_cast<unsigned char>(hi * 16 + lo);
  }
  unsigned sum = 0;
  for (size_t i = 0; i < size; ++i) sum += bytes[i];
  if ((sum & 0xFF) != bytes[size]) return false;
  if (size) std::memcpy(data, bytes.data(), size);
  return true;
}

std::string UserStorePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home && home[0]) {
      base = home;
    } else if (const passwd* pw = getpwuid(getuid())) {
      base = pw->pw_dir;
    }
    base += "/.config";
  }
  return base + "/ZBStatik/registry.ini";
}

namespace {

std::string SectionOf(const std::string& subkey) {
  size_t b = 0;
  while (b < subkey.size() && subkey[b] == '\\') ++b;
  return subkey.substr(b);
}

bool MakeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

bool ReadUserValue(const std::string& subkey, const std::string& name,
                   std::string* value) {
  std::string raw;
  if (!ProfileLookup(UserStorePath(), SectionOf(subkey), name, &raw))
    return false;
  *value = StripProfileQuotes(raw);
  return true;
}

bool WriteUserValue(const std::string& subkey, const std::string& name,
                    const std::string& value) {
  const std::string path = UserStorePath();
  if (!MakeFolders(path.substr(0, path.rfind('/')))) return false;
  // Quoted where trimming or quote stripping would change the text.
  std::string text = value;
  if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                         value.front() == '"' || value.front() == '\''))
    text = "\"" + value + "\"";
  return ProfileStore(path, SectionOf(subkey), name, &text);
}

}  // namespace zb::platform::posix
