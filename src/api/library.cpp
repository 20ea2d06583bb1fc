#include "api/library.h"

#include <cstdlib>

#include "projectstore/autosave.h"
#include "projectstore/position_locks.h"
#include "projectstore/store.h"

namespace zb::api {
namespace {

// The accessor's two pointers are the only process-wide state: the library
// made for the process, and the one a test or tool installed over it.
Library* g_process_library = nullptr;
Library* g_installed = nullptr;

Library* CurrentOrNull() {
  return g_installed ? g_installed : g_process_library;
}

// Registered by the first record file open: the process may end without
// unloading the library, and every index must still be written.
void CloseRecordFilesAtExit() {
  if (Library* library = CurrentOrNull()) {
    library->engine().CloseAll();
    library->handle_stack().Free();
  }
}

// Once per process, however many libraries a test or tool makes.
void RegisterCloseAtExit() {
  static const bool registered = std::atexit(CloseRecordFilesAtExit) == 0;
  (void)registered;
}

}  // namespace

Library::Library(const LibraryServices& services)
    : own_os_(services.os ? nullptr : platform::NewNativePlatform()),
      own_ui_(services.ui ? nullptr
                          : std::make_unique<environment::HeadlessUi>()),
      own_companions_(nullptr),
      os_(services.os ? services.os : own_os_.get()),
      context_(
          *os_, services.ui ? *services.ui : *own_ui_,
          services.companions
              ? *services.companions
              : *(own_companions_ =
                      std::make_unique<environment::LoadedCompanions>(*os_))),
      engine_(*os_, context_.log, [] { RegisterCloseAtExit(); }),
      overwrite_pass_(engine_),
      handle_stack_(engine_),
      data_channel_(*os_),
      store_(context_, engine_, overwrite_pass_),
      session_{context_, engine_,
               [this] { return projectstore::ReleaseOwnLock(store_); }},
      short_infos_(kShortEntrySize),
      long_infos_(kLongEntrySize) {}

Library::~Library() {
  engine_.CloseAll();
  handle_stack_.Free();
}

Library& TheLibrary() {
  if (g_installed) return *g_installed;
  if (!g_process_library) g_process_library = new Library;
  return *g_process_library;
}

LibraryInstallation::LibraryInstallation(Library& library)
    : previous_(g_installed) {
  g_installed = &library;
}

LibraryInstallation::~LibraryInstallation() { g_installed = previous_; }

void UnloadProcessLibrary() {
  if (!g_process_library) return;
  // The autosave copy of the program that made one goes with the library.
  projectstore::Store& store = g_process_library->store();
  const std::string program = store.autosave.saving_program;
  if (!program.empty() && program != "ALLE")
    projectstore::EndAutosave(store, program);
  environment::UnloadHandling(g_process_library->session());
  delete g_process_library;
  g_process_library = nullptr;
}

}  // namespace zb::api
