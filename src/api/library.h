// The library object: everything the library keeps for its calling process
// (the system demands one state per process, used from one thread). It
// owns the record engine's slots, the overwrite pass, the handle stack, the
// data channel, the context with the log and the program catalogue, the
// project store's state and the position information caches, and reaches
// the operating system, the windows and the companion libraries through
// the services it was made with.
//
// The exports reach the process's library through TheLibrary(); everything
// below them is handed what it needs. Tests and tools make their own and
// install it with LibraryInstallation.
#ifndef ZBDB_API_LIBRARY_H_
#define ZBDB_API_LIBRARY_H_

#include <cstdint>
#include <memory>
#include <string>

#include "api/position_info_cache.h"
#include "environment/companion.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/store.h"
#include "recordstore/data_channel.h"
#include "recordstore/engine.h"
#include "recordstore/handle_stack.h"
#include "recordstore/overwrite_pass.h"

namespace zb::api {

// What a library is made with; a service left null is made by the library
// itself: the native platform, windows that answer as if cancelled, the
// suite's companion libraries.
struct LibraryServices {
  platform::Platform* os = nullptr;
  environment::Ui* ui = nullptr;
  environment::Companions* companions = nullptr;
};

class Library {
 public:
  explicit Library(const LibraryServices& services = {});
  // Writes the index of every record file still open.
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  platform::Platform& os() const { return *os_; }
  environment::Ui& ui() const { return context_.ui(); }
  // The windows of the DLL are installed once it is loaded.
  void set_ui(environment::Ui& ui) { context_.set_ui(ui); }
  environment::LibraryContext& context() { return context_; }
  environment::Log& log() { return context_.log; }
  environment::ProgramCatalogue& catalogue() { return context_.catalogue; }
  environment::Session& session() { return session_; }
  recordstore::Engine& engine() { return engine_; }
  recordstore::OverwritePass& overwrite_pass() { return overwrite_pass_; }
  recordstore::HandleStack& handle_stack() { return handle_stack_; }
  recordstore::DataChannel& data_channel() { return data_channel_; }
  projectstore::Store& store() { return store_; }
  PositionInfoCache& short_position_infos() { return short_infos_; }
  PositionInfoCache& long_position_infos() { return long_infos_; }

  // The texts the catalogue title exports hand out: each stays valid until
  // that export is called again.
  std::string title_texts[4];

  // How the save dialog's progress reaches its progress window (message
  // and window); the DLL installs the sender, without one nothing is sent.
  using WindowMessageSender = void (*)(uintptr_t window, uint32_t message);
  WindowMessageSender progress_window_sender = nullptr;

 private:
  std::unique_ptr<platform::Platform> own_os_;
  std::unique_ptr<environment::Ui> own_ui_;
  std::unique_ptr<environment::Companions> own_companions_;
  platform::Platform* os_;
  environment::LibraryContext context_;
  recordstore::Engine engine_;
  recordstore::OverwritePass overwrite_pass_;
  recordstore::HandleStack handle_stack_;
  recordstore::DataChannel data_channel_;
  projectstore::Store store_;
  environment::Session session_;
  PositionInfoCache short_infos_;
  PositionInfoCache long_infos_;
};

// The library the exports work with: the installed one, else the process's
// own, made on first use.
Library& TheLibrary();

// Makes `library` the one the exports work with while this object lives
// (tests, tools); the one installed before comes back afterwards.
class LibraryInstallation {
 public:
  explicit LibraryInstallation(Library& library);
  ~LibraryInstallation();
  LibraryInstallation(const LibraryInstallation&) = delete;
  LibraryInstallation& operator=(const LibraryInstallation&) = delete;

 private:
  Library* previous_;
};

// The process's own library is let go: logout, the resource handle back,
// every record file closed (the DLL or .so is being unloaded).
void UnloadProcessLibrary();

}  // namespace zb::api

#endif  // ZBDB_API_LIBRARY_H_
