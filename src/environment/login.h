// Login and logout of the library context, and the folder access the
// other parts use.
//
// Login fills the context: user and computer, the six folders from the
// companion library (validated; the folder settings dialog when they are
// not valid), ZBDB.CFG, the program catalogue, the log header and the help
// file path. The login counter only grows: 0 before the first login, 1
// while one did not finish, 2 and more once one did.
#ifndef ZBDB_ENVIRONMENT_LOGIN_H_
#define ZBDB_ENVIRONMENT_LOGIN_H_

#include <cstdint>
#include <functional>
#include <string>

#include "environment/folders.h"
#include "environment/library_context.h"
#include "recordstore/engine.h"

namespace zb::environment {

// What login and logout work on: the context, the record engine (the open
// position's project is tried exclusively at logout) and the release of the
// position lock this process holds, which the project store keeps.
struct Session {
  LibraryContext& context;
  recordstore::Engine& engine;
  std::function<int32_t()> release_position_lock;
};

// 1 when logged in; 0 when the folders stayed invalid (the folder dialog
// was cancelled); -101 when the program catalogue holds 3 entries or fewer.
// Both failures ask the calling program to quit (exit code 1).
int32_t Login(Session& session);
// Logs in when the context has not logged in yet (counter 0).
void EnsureLoggedIn(Session& session);
// Releases the open position and writes the log footer: 1 when the open
// position's project file could be opened for the release (or there was
// none), else 0.
int32_t Logout(Session& session);
// What the library does when it is unloaded: logout, then the resource
// handle goes back.
void UnloadHandling(Session& session);

// Reads the six folders from the companion library again: 1 when all
// could be read, else 0 (the folders keep their previous values).
int32_t RegInit(LibraryContext& context);

// The folder settings dialog over the library's folders; false when the
// user cancelled it (told why when a folder is still invalid).
bool ShowFolderSettings(LibraryContext& context);
// Hands folders to the companion library (an empty text keeps the current
// value; the base folder is not set) and reads everything back.
Folders SetFolders(LibraryContext& context, const Folders& folders);
// Only a text of more than 5 and fewer than 100 characters is passed on.
void SetDataFolder(LibraryContext& context, const std::string& folder);

// The help file path of the user interface language.
std::string HelpFilePath(LibraryContext& context);

// Free space of the drive of path in megabytes: kind 0 available to the
// caller, 1 all free, otherwise the total size; -1/1024 on failure.
double DiskSpaceMb(platform::Platform& os, const std::string& path,
                   int32_t kind);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_LOGIN_H_
