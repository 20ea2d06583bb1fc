// Strings handed to Basic callers (the B exports): a newly allocated byte
// string the caller owns. On Windows a BSTR made with SysAllocStringByteLen
// (the caller frees it with SysFreeString); on POSIX a malloc'ed,
// zero-terminated copy the caller frees with ZB_FreeByteString.
#ifndef ZBDB_API_BYTE_STRING_H_
#define ZBDB_API_BYTE_STRING_H_

#include <cstdint>
#include <string>

#include "zbdb900.h"

namespace zb::api {

// A copy of the bytes of text (without its terminator).
ZB_BYTESTRING AllocByteString(const std::string& text);

}  // namespace zb::api

#endif  // ZBDB_API_BYTE_STRING_H_
