// The library context: who works, where, and what the library is doing for
// the calling program; filled by the login. The library object owns one and
// hands it down; it reaches the operating system, the windows and the
// companion libraries through the services it was made with.
#ifndef ZBDB_ENVIRONMENT_LIBRARY_CONTEXT_H_
#define ZBDB_ENVIRONMENT_LIBRARY_CONTEXT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "environment/config_file.h"
#include "environment/folders.h"
#include "environment/log.h"
#include "environment/program_catalogue.h"
#include "platform/platform.h"

namespace zb::environment {

// The position a program has open, released again on a new position and
// at logout.
struct OpenPosition {
  bool open = false;
  std::string project_file;
  std::string temporary_file;
  int32_t position = 0;
};

// The lock block a process writes into a position's lock record (keys
// program key / position id): who locked it, where and since when.
#pragma pack(push, 1)
struct LockBlock {
  uint32_t time;  // seconds since 1970
  char computer[16];
  char user[257];
  char working_file[261];
};
#pragma pack(pop)
static_assert(sizeof(LockBlock) == 538, "LockBlock");

// The position lock this process holds: state 1 while it holds one. The
// block is the one it wrote last; a lock record equal to it is its own.
struct HeldPositionLock {
  int32_t state = 0;
  std::string project_path;
  std::string working_path;
  std::string name;
  int16_t program = 0;
  LockBlock block{};
};

// The progress signal the record-copying operations report through.
using ProgressCallback = void(ZBAPI*)();

class Companions;
class Ui;

struct LibraryContext {
  LibraryContext(platform::Platform& os, Ui& ui, Companions& companions);
  LibraryContext(const LibraryContext&) = delete;
  LibraryContext& operator=(const LibraryContext&) = delete;

  platform::Platform& os() const { return *os_; }
  Ui& ui() const { return *ui_; }
  void set_ui(Ui& ui) { ui_ = &ui; }
  Companions& companions() const { return *companions_; }

  int32_t login_counter = 0;
  std::string user;
  std::string computer;
  Folders folders;
  Log log;
  ProgramCatalogue catalogue;
  std::string message_title = "ZB_Datenverwaltung ";
  std::string current_project;
  // Set when the data folder's project list must be built anew before the
  // explorer shows it.
  bool rebuild_project_list = false;
  // The 248-byte POSINFO of the position last chosen in the explorer.
  uint8_t explorer_position[248] = {};
  OpenPosition open_position;
  HeldPositionLock position_lock;
  char current_short_name[10] = {};
  int32_t database_version = 0;
  uint16_t position_dialog_flags = 0;
  ConfigSettings config;
  uintptr_t resource_handle = 0;
  std::string guid_text;
  std::string help_path;
  // The preview last loaded by ZB_GetPreview_Init, until it is fetched.
  std::vector<uint8_t> preview_buffer;
  int32_t preview_size = 0;

  // Library-wide settings of the export frame.
  uint32_t dialog_parent = 0;
  uint16_t progress_code = 0;
  ProgressCallback progress_callback = nullptr;
  uintptr_t progress_window = 0;

  std::string log_path() const { return log.path(); }

 private:
  platform::Platform* os_;
  Ui* ui_;
  Companions* companions_;
};

// "%lx-%x-%x-%x%x-%x%x%x%x%x%x" of a GUID in the Windows layout.
std::string FormatGuid(const uint8_t guid[16]);

// The name of an interface result code with its trailing blank, as the
// library spells it ("ERR_PRO_NOTFOUND "); empty for an unknown code.
const char* ResultCodeName(int32_t code);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_LIBRARY_CONTEXT_H_
