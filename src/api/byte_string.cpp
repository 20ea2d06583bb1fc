#include "api/byte_string.h"

#include "api/library.h"

namespace zb::api {

ZB_BYTESTRING AllocByteString(const std::string& text) {
  return static_cast<ZB_BYTESTRING>(TheLibrary().os().NewByteString(text));
}

}  // namespace zb::api

#ifndef _WIN32
extern "C" void ZBAPI ZB_FreeByteString(ZB_BYTESTRING text) {
  zb::api::TheLibrary().os().FreeByteString(text);
}
#endif
