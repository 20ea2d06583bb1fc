#include "environment/string_utils.h"

#include <cstring>

namespace zb::environment {
namespace {

bool IsRightTrimmed(char c) { return c == ' ' || c == '\n'; }

unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
  switch (c) {
    case 0x8E: return 0x84;
    case 0x99: return 0x94;
    case 0x9A: return 0x81;
    default: return c;
  }
}

unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  switch (c) {
    case 0x84: return 0x8E;
    case 0x94: return 0x99;
    case 0x81: return 0x9A;
    default: return c;
  }
}

}  // namespace

void StrIns(const char* a, char* b) {
  if (!a || !b) return;
  const size_t la = std::strlen(a);
  const size_t lb = std::strlen(b);
  std::memmove(b + la, b, lb + 1);
  std::memmove(b, a, la);  // a may lie inside b's old text
}

char* StrAddList(char* target, const char* const* texts, size_t count) {
  if (!target) return target;
  size_t length = 0;
  for (size_t i = 0; i < count; ++i) {
    const char* text = texts[i];
    if (!text) continue;
    // Callers extend a text in place: strAdd(path, path, "\\x", NULL). The
    // target as first text keeps its content; later it stands for the part
    // written so far.
    size_t n;
    if (text == target)
      n = (i == 0) ? std::strlen(target) : length;
    else
      n = std::strlen(text);
    std::memmove(target + length, text, n);
    length += n;
  }
  target[length] = '\0';
  return target;
}

char* StrRightCompress(char* text) {
  if (!text) return text;
  size_t n = std::strlen(text);
  while (n > 0 && IsRightTrimmed(text[n - 1])) --n;
  text[n] = '\0';
  return text + n;
}

char* StrLeftCompress(char* text) {
  if (!text) return text;
  size_t skip = 0;
  while (text[skip] == ' ') ++skip;
  if (skip > 0) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
  return text;
}

char* CTrim(char* text, int n) {
  if (!text) return text;
  if (n >= 1) text[n - 1] = '\0';
  StrRightCompress(text);
  return text;
}

char* Lower(char* text) {
  if (!text) return text;
  for (char* p = text; *p; ++p)
    *p = static_cast<char>(LowerByte(static_cast<unsigned char>(*p)));
  return text;
}

char* Upper(char* text) {
  if (!text) return text;
  for (char* p = text; *p; ++p)
    *p = static_cast<char>(UpperByte(static_cast<unsigned char>(*p)));
  return text;
}

char* BackSlash(char* text) {
  if (!text || !*text) return text;
  char* end = StrRightCompress(text);
  if (end == text || end[-1] != '\\') {
    end[0] = '\\';
    end[1] = '\0';
  }
  return text;
}

char* NoBackSlash(char* text) {
  if (!text || !*text) return text;
  size_t n = static_cast<size_t>(StrRightCompress(text) - text);
  // A backslash after a drive colon is the root and stays; so does a
  // leading one (the root of the current drive).
  while (n > 1 && text[n - 1] == '\\' && text[n - 2] != ':') text[--n] = '\0';
  if (!std::strchr(text, '\\')) {
    if (n == 0 || text[n - 1] != ':') text[n++] = ':';
    text[n++] = '\\';
    text[n] = '\0';
  }
  return text;
}

std::string LowerText(std::string text) {
  for (char& c : text) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
  return text;
}

std::string UpperText(std::string text) {
  for (char& c : text) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return text;
}

std::string RightCompressed(std::string text) {
  size_t n = text.size();
  while (n > 0 && IsRightTrimmed(text[n - 1])) --n;
  text.resize(n);
  return text;
}

}  // namespace zb::environment
