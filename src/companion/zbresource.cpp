// ZBResource900: the resource handle of the library (see zbresource.h).
#include "companion/zbresource.h"

#include "companion/by_ordinal.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zb::companion::resource {
namespace {

int g_holders = 0;  // handles handed out and not yet given back

void* OwnHandle() {
#ifdef _WIN32
  // This DLL's own module: the place a resource lookup would search.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&g_holders), &module);
  return module;
#else
  return &g_holders;
#endif
}

}  // namespace
}  // namespace zb::companion::resource

using namespace zb::companion::resource;

extern "C" {

void* ZBAPI ResourceAcquire(const char* module_name, void*) {
  if (module_name == nullptr || module_name[0] == '\0') return nullptr;
  ++g_holders;
  return OwnHandle();
}

int32_t ZBAPI ResourceRelease(void* handle) {
  if (handle == nullptr || handle != OwnHandle() || g_holders == 0) return 0;
  --g_holders;
  return 1;
}

int32_t ZBAPI ResourceSelectLanguage(int32_t) { return 0; }
int32_t ZBAPI ResourceSecondSelectionA() { return 0; }
int32_t ZBAPI ResourceSecondSelectionB() { return 0; }

}  // extern "C"

#if !defined(_WIN32)
extern "C" __attribute__((visibility("default"))) void* zb_procedure_by_ordinal(
    int ordinal) {
  using zb::companion::OrdinalEntry;
  static const OrdinalEntry kTable[] = {
      {kAcquire, reinterpret_cast<void*>(&ResourceAcquire)},
      {kRelease, reinterpret_cast<void*>(&ResourceRelease)},
      {kSecondSelectionA, reinterpret_cast<void*>(&ResourceSecondSelectionA)},
      {kSecondSelectionB, reinterpret_cast<void*>(&ResourceSecondSelectionB)},
      {kSelectLanguage, reinterpret_cast<void*>(&ResourceSelectLanguage)},
  };
  return zb::companion::FindOrdinal(kTable, ordinal);
}
#endif
