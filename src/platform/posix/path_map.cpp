#include "platform/posix/path_map.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace zb::platform::posix {
namespace {

// Unicode code points of Windows-1252 bytes 0x80..0x9F (0 = unassigned).
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t CodePointOf(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) {
    const uint16_t u = kHighControls[c - 0x80];
    return u ? u : c;
  }
  return c;
}

void AppendUtf8(uint32_t u, std::string* out) {
  if (u < 0x80) {
    out->push_back(static_cast<char>(u));
  } else if (u < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (u >> 6)));
    out->push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (u >> 12)));
    out->push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (u & 0x3F)));
  }
}

bool ByteOf(uint32_t u, char* out) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    *out = static_cast<char>(u);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == u && u != 0) {
      *out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

bool Exists(const std::string& native) {
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

// The entry of folder whose name equals component ignoring case, or "".
std::string FindIgnoringCase(const std::string& folder,
                             const std::string& component) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  const std::string wanted = Utf8ToCp1252(component);
  std::string found;
  while (dirent* e = readdir(dir)) {
    const std::string name = Utf8ToCp1252(e->d_name);
    if (name.size() == wanted.size() &&
        WildcardMatch(wanted, name) && name != "." && name != "..") {
      // WildcardMatch without wildcards is a case-insensitive compare; a
      // component holding '*' or '?' is never a real name to resolve.
      if (wanted.find_first_of("*?") == std::string::npos) {
        found = e->d_name;
        break;
      }
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string Cp1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) AppendUtf8(CodePointOf(c), &out);
  return out;
}

std::string Utf8ToCp1252(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = text[i];
    uint32_t u;
    size_t len;
    if (c < 0x80) {
      u = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      u = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      u = c & 0x0F;
      len = 3;
    } else {
      return text;
    }
    if (i + len > text.size()) return text;
    for (size_t k = 1; k < len; ++k) {
      const unsigned char cc = text[i + k];
      if ((cc & 0xC0) != 0x80) return text;
      u = (u << 6) | (cc & 0x3F);
    }
    char b;
    if (!ByteOf(u, &b)) return text;
    out.push_back(b);
    i += len;
  }
  return out;
}

std::string MapPathText(const std::string& windows_path) {
  std::string path = windows_path;
  std::string prefix;
  if (path.size() >= 2 && path[1] == ':' &&
      std::isalpha(static_cast<unsigned char>(path[0]))) {
    const char drive = static_cast<char>(
        std::toupper(static_cast<unsigned char>(path[0])));
    const std::string setting = std::string("ZBDB_DRIVE_") + drive;
    if (const char* mapped = std::getenv(setting.c_str())) prefix = mapped;
    path = path.substr(2);
    if (path.empty() || (path[0] != '\\' && path[0] != '/')) path = "/" + path;
  }
  for (char& c : path)
    if (c == '\\') c = '/';
  while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
  return Cp1252ToUtf8(prefix + path);
}

std::string ToNativePath(const std::string& windows_path) {
  const std::string mapped = MapPathText(windows_path);
  if (mapped.empty() || Exists(mapped)) return mapped;

  // Walk the components; resolve each missing one in its folder.
  std::string resolved = mapped[0] == '/' ? "/" : "";
  size_t pos = mapped[0] == '/' ? 1 : 0;
  bool resolving = true;
  while (pos <= mapped.size()) {
    size_t slash = mapped.find('/', pos);
    if (slash == std::string::npos) slash = mapped.size();
    std::string component = mapped.substr(pos, slash - pos);
    if (!component.empty()) {
      std::string candidate = resolved + component;
      if (resolving && !Exists(candidate)) {
        const std::string match = FindIgnoringCase(resolved, component);
        if (!match.empty()) {
          candidate = resolved + match;
        } else {
          resolving = false;  // the rest cannot exist either
        }
      }
      resolved = candidate;
    }
    if (slash < mapped.size()) {
      if (resolved.empty() || resolved.back() != '/') resolved += '/';
    }
    pos = slash + 1;
  }
  return resolved;
}

}  // namespace zb::platform::posix
