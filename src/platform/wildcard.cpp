// Windows file-name wildcards. FindFirstFile turns a pattern into the DOS
// forms before matching: '?' matches one character but never a period (at a
// period or the end of the name it matches nothing), '*' before a period
// stops at the name's last period, and a period before '*', '?' or the end
// of the pattern also matches the end of a name without extension. This is
// why "*.*" finds "README" and "PRO?????.PRO" finds "PRO1.PRO".
#include "platform/platform.h"

namespace zb::platform {
namespace {

unsigned char FoldCp1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

struct Matcher {
  const std::string& p;
  const std::string& n;
  size_t last_dot;  // position of the name's final period, or npos

  bool Match(size_t pi, size_t ni) const {
    while (pi < p.size()) {
      const char c = p[pi];
      if (c == '*') {
        const bool dos_star = pi + 1 < p.size() && p[pi + 1] == '.';
        for (size_t k = ni; k <= n.size(); ++k) {
          if (Match(pi + 1, k)) return true;
          // DOS_STAR consumes characters only up to the final period.
          if (dos_star && k == last_dot) break;
        }
        return false;
      }
      if (c == '?') {
        if (ni < n.size() && n[ni] != '.') ++ni;
        ++pi;
        continue;
      }
      if (c == '.') {
        const bool dos_dot =
            pi + 1 == p.size() || p[pi + 1] == '*' || p[pi + 1] == '?';
        if (ni < n.size() && n[ni] == '.') {
          ++ni;
          ++pi;
          continue;
        }
        if (dos_dot && ni == n.size()) {
          ++pi;
          continue;
        }
        return false;
      }
      if (ni >= n.size() ||
          FoldCp1252(static_cast<unsigned char>(c)) !=
              FoldCp1252(static_cast<unsigned char>(n[ni])))
        return false;
      ++pi;
      ++ni;
    }
    return ni == n.size();
  }
};

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  Matcher m{pattern, name, name.rfind('.')};
  return m.Match(0, 0);
}

}  // namespace zb::platform
