// The shared library's own start and end. Loading creates the library
// context and, in the Windows DLL, installs the real windows as the Ui;
// unloading logs out and hands the resource handle back. The record
// engine's own exit handler closes the record files still open.
#include "environment/library_context.h"
#include "environment/login.h"

#ifdef _WIN32
#include <windows.h>

#include "api/open_save.h"
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
  static zb::explorer::Win32Ui* ui = nullptr;
  if (reason == DLL_PROCESS_ATTACH) {
    ui = new zb::explorer::Win32Ui;
    zb::environment::SetUi(ui);
    zb::api::SetProgressWindowSender(&SendToWindow);
    zb::environment::Context();
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded with FreeLibrary: the process goes on and wants its log
    // footer. At process end other DLLs may already be gone.
    zb::environment::UnloadHandling();
  }
  return TRUE;
}
#else
namespace {
__attribute__((constructor)) void LibraryLoaded() {
  zb::environment::Context();
}
__attribute__((destructor)) void LibraryUnloaded() {
  zb::environment::UnloadHandling();
}
}  // namespace
#endif
