// The string utilities the calculation programs share: caller-pops,
// exported under their plain names only.
#include <cstdarg>
#include <vector>

#include "environment/string_utils.h"
#include "zbdb900.h"

namespace env = zb::environment;

extern "C" {

void ZBCDECL StrIns(const char* a, char* b) { env::StrIns(a, b); }

char* ZBCDECL strAdd(char* target, const char* first, ...) {
  std::vector<const char*> texts{first};
  if (first) {
    va_list args;
    va_start(args, first);
    while (const char* text = va_arg(args, const char*)) texts.push_back(text);
    va_end(args);
  }
  return env::StrAddList(target, texts.data(), texts.size());
}

char* ZBCDECL strLeftCompress(char* text) { return env::StrLeftCompress(text); }
char* ZBCDECL strRightCompress(char* text) {
  return env::StrRightCompress(text);
}
char* ZBCDECL lower(char* text) { return env::Lower(text); }
char* ZBCDECL upper(char* text) { return env::Upper(text); }
char* ZBCDECL backSlash(char* text) { return env::BackSlash(text); }
char* ZBCDECL noBackSlash(char* text) { return env::NoBackSlash(text); }
char* ZBCDECL cTrim(char* text, int32_t n) { return env::CTrim(text, n); }

}  // extern "C"
