// Takes a ZB_BYTESTRING the library handed out: its text, and the string
// freed the way the platform's callers free it.
#ifndef ZBDB_TESTS_SUPPORT_BYTE_STRING_H_
#define ZBDB_TESTS_SUPPORT_BYTE_STRING_H_

#include <string>

#ifdef _WIN32
#include <windows.h>
// oleauto.h needs the types of windows.h first.
#include <oleauto.h>
#endif

#include "zbdb900.h"

namespace zbtest {

inline std::string Take(ZB_BYTESTRING s) {
#ifdef _WIN32
  std::string text(reinterpret_cast<const char*>(s), SysStringByteLen(s));
  SysFreeString(s);
#else
  std::string text(s);
  ZB_FreeByteString(s);
#endif
  return text;
}

}  // namespace zbtest

#endif  // ZBDB_TESTS_SUPPORT_BYTE_STRING_H_
