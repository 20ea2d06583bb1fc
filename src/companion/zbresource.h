// ZBResource900: the suite's companion library that holds the library's
// resource handle, called by ordinal only (ZBResource900.dll on Windows,
// libZBResource900.so elsewhere, looked up through zb_procedure_by_ordinal).
//
// Ordinal 1 hands out the resource handle for a module name (the library
// passes "ZBDB900" and its instance): the resource library's own module on
// Windows, a fixed non-zero token elsewhere; null for a missing or empty
// name. Ordinal 2 gives a handle back (1 when it was one of ours, else 0).
// Ordinals 13, 4 and 5 serve the language dialog; with one language
// installed there is nothing to switch, so they only answer 0.
#ifndef ZBDB_COMPANION_ZBRESOURCE_H_
#define ZBDB_COMPANION_ZBRESOURCE_H_

#include <zbdb900.h>

#include <cstdint>

namespace zb::companion::resource {

enum Ordinal : int {
  kAcquire = 1,           // (module name, instance) -> handle
  kRelease = 2,           // (handle) -> 1 when it was ours
  kSecondSelectionA = 4,  // () -> 0
  kSecondSelectionB = 5,  // () -> 0
  kSelectLanguage = 13,   // (language) -> 0
};

using AcquireFn = void*(ZBAPI*)(const char* module_name, void* instance);
using ReleaseFn = int32_t(ZBAPI*)(void* handle);
using SelectLanguageFn = int32_t(ZBAPI*)(int32_t language);
using NoArgumentFn = int32_t(ZBAPI*)();

}  // namespace zb::companion::resource

#endif  // ZBDB_COMPANION_ZBRESOURCE_H_
