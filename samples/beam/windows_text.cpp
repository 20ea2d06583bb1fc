#include "windows_text.h"

#include <cstdint>

namespace beam {
#ifndef _WIN32
namespace {

// Code points of the bytes 0x80..0x9F (0: unassigned).
const uint16_t kHighBytes[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool ByteOf(uint32_t u, char* out) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    *out = static_cast<char>(u);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (u != 0 && kHighBytes[i] == u) {
      *out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

// The next UTF-8 character at text[*i]; false for a broken or overlong
// sequence.
bool NextCodePoint(const std::string& text, size_t* i, uint32_t* u) {
  const unsigned char c = static_cast<unsigned char>(text[*i]);
  size_t len = 1;
  uint32_t min = 0;
  if (c < 0x80) {
    *u = c;
  } else if ((c & 0xE0) == 0xC0) {
    *u = c & 0x1F, len = 2, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    *u = c & 0x0F, len = 3, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    *u = c & 0x07, len = 4, min = 0x10000;
  } else {
    return false;
  }
  if (*i + len > text.size()) return false;
  for (size_t k = 1; k < len; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[*i + k]);
    if ((next & 0xC0) != 0x80) return false;
    *u = (*u << 6) | (next & 0x3F);
  }
  *i += len;
  return *u >= min;
}

}  // namespace
#endif

bool ToLibraryText(const std::string& typed, std::string* library_text) {
#ifdef _WIN32
  *library_text = typed;
  return true;
#else
  std::string out;
  for (size_t i = 0; i < typed.size();) {
    uint32_t u = 0;
    char byte = 0;
    if (!NextCodePoint(typed, &i, &u) || !ByteOf(u, &byte)) return false;
    out += byte;
  }
  *library_text = out;
  return true;
#endif
}

std::string ShownText(const std::string& library_text) {
#ifdef _WIN32
  return library_text;
#else
  std::string out;
  for (char ch : library_text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    uint32_t u = c;
    if (c >= 0x80 && c < 0xA0 && kHighBytes[c - 0x80] != 0)
      u = kHighBytes[c - 0x80];
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
#endif
}

std::string ShownPath(const std::string& library_path) {
  std::string path = ShownText(library_path);
#ifndef _WIN32
  for (char& c : path)
    if (c == '\\') c = '/';
#endif
  return path;
}

}  // namespace beam
