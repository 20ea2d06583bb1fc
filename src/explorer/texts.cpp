#include "explorer/texts.h"

#include <cstdio>

namespace zb::explorer {

std::string RightTrimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string()
                                    : RightTrimmed(text.substr(first));
}

std::string Number(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

}  // namespace zb::explorer
