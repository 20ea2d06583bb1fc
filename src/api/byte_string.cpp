#include "api/byte_string.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#endif

namespace zb::api {

ZB_BYTESTRING AllocByteString(const std::string& text) {
#ifdef _WIN32
  return SysAllocStringByteLen(text.data(), static_cast<UINT>(text.size()));
#else
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
#endif
}

}  // namespace zb::api

#ifndef _WIN32
extern "C" void ZBAPI ZB_FreeByteString(ZB_BYTESTRING text) { std::free(text); }
#endif
