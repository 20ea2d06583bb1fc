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
#include <string>

#include "environment/folders.h"

namespace zb::environment {

// 1 when logged in; 0 when the folders stayed invalid (the folder dialog
// was cancelled); -101 when the program catalogue holds 3 entries or fewer.
// Both failures ask the calling program to quit (exit code 1).
int32_t Login();
// Logs in when the context has not logged in yet (counter 0).
void EnsureLoggedIn();
// Releases the open position and writes the log footer: 1 when the open
// position's project file could be opened for the release (or there was
// none), else 0.
int32_t Logout();
// What releases the open position's lock at logout; the position store
// installs it (the environment cannot reach that layer itself).
using PositionLockRelease = int32_t (*)();
void SetPositionLockRelease(PositionLockRelease release);
// What the library does when it is unloaded: logout, then the resource
// handle goes back.
void UnloadHandling();

// Reads the six folders from the companion library again: 1 when all
// could be read, else 0 (the folders keep their previous values).
int32_t RegInit();
// Hands folders to the companion library (an empty text keeps the current
// value; the base folder is not set) and reads everything back.
Folders SetFolders(const Folders& folders);
// Only a text of more than 5 and fewer than 100 characters is passed on.
void SetDataFolder(const std::string& folder);

// The product folder the defaults lie below: "D:\ZBStatik" ("C:\ZBStatik"
// when D: is a CD-ROM drive); on POSIX $ZBSTATIK_HOME or ~/ZBStatik.
std::string ProductFolder();

// The help file path of the user interface language.
std::string HelpFilePath();

// Free space of the drive of path in megabytes: kind 0 available to the
// caller, 1 all free, otherwise the total size; -1/1024 on failure.
double DiskSpaceMb(const std::string& path, int32_t kind);

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_LOGIN_H_
