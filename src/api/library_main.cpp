// The shared library's own start and end. Loading makes the process's
// library object and, in the Windows DLL, gives it the real windows;
// unloading logs out, hands the resource handle back and closes the record
// files still open.
#include "api/library.h"

#ifdef _WIN32
#include <windows.h>

#include "explorer/win32/win32_ui.h"

namespace {
// The save dialog's progress: a message to the progress window while it
// is still a window.
void SendToWindow(uintptr_t window, uint32_t message) {
  const HWND hwnd = reinterpret_cast<HWND>(window);
  if (hwnd && IsWindow(hwnd)) SendMessageA(hwnd, message, 0, 0);
}
}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // The windows live as long as the DLL: the process library may still
  // show them while the process ends.
  static zb::explorer::Win32Ui* ui = nullptr;
  if (reason == DLL_PROCESS_ATTACH) {
    zb::api::Library& library = zb::api::TheLibrary();
    ui = new zb::explorer::Win32Ui(library);
    library.set_ui(*ui);
    library.progress_window_sender = &SendToWindow;
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded with FreeLibrary: the process goes on and wants its log
    // footer. At process end other DLLs may already be gone.
    zb::api::UnloadProcessLibrary();
  }
  return TRUE;
}
#else
namespace {
__attribute__((constructor)) void LibraryLoaded() { zb::api::TheLibrary(); }
__attribute__((destructor)) void LibraryUnloaded() {
  zb::api::UnloadProcessLibrary();
}
}  // namespace
#endif
