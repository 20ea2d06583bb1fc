// What the open and save calls share: their common entry, the program
// check, the folder check, the history, making a project the active one,
// and the two hooks the calls reach out through (the autosave copy and
// the progress window of the save dialog).
#ifndef ZBDB_API_OPEN_SAVE_H_
#define ZBDB_API_OPEN_SAVE_H_

#include <cstdint>
#include <string>

#include "zbdb900.h"

namespace zb::api {

class Library;

constexpr int32_t kNotDone = -101;           // ERR_NOTDONE
constexpr int32_t kProgramUndefined = -102;  // ERR_PRG_UNDEF
constexpr int32_t kFolderUndefined = -103;   // ERR_DIR_UNDEF
constexpr int32_t kProjectUndefined = -200;  // ERR_PRO_UNDEF
constexpr int32_t kPositionUndefined = -300;  // ERR_POS_UNDEF
constexpr int32_t kConvertedProject = -14;
constexpr int32_t kMostRecords = 2147483647;

// Control word of the Ex calls.
constexpr int16_t kControlSilent = 1;     // no project-format question
constexpr int16_t kControlActivate = 2;   // make the project active

// Every _L call: Zero form, szPosName cleared (the _L calls never take the
// short name from the caller), login, the title block and the request dump.
void EnterOpenSaveCall(Library& lib, ZBPROPOS_L* request, const char* title);

// An empty program key counts as "ALLE"; for "ALLE" the user is told and
// asked for a program until one other than "ALLE" is chosen. False when
// the selection dialog was cancelled.
bool CheckProgram(Library& lib, ZBPROPOS_L* request);

// 1 a usable folder, -3 empty or missing, -2 exists but is no folder. The
// latter is always logged; with `messages` both are shown to the user.
int32_t TestFolder(Library& lib, const std::string& folder, bool messages);

// A request folder text in its working form: one trailing backslash off
// (unless that is all), and a file's name cut to its folder.
std::string NormaliseRequestFolder(Library& lib, const std::string& folder);

// Asks for a folder with `title` until an existing one is chosen; false
// when the dialog was cancelled.
bool AskForFolder(Library& lib, const std::string& title, std::string* folder);

// The folder check of the interactive calls (TestProPosDataTmpPath):
// missing folders and names are filled from the history, missing folders
// asked for. 0 nothing taken over, 1 names taken from the history, -103 a
// folder was missing (also when another could be found).
int32_t CheckFolders(Library& lib, ZBPROPOS_L* request, bool with_position);

// The history as ZB_ReadDBHistory hands it out (checked against the data
// folder); the scratch read of the folder check.
void ReadCheckedHistory(Library& lib, ZBPROPOS_L* request);
void WriteRequestHistory(Library& lib, const ZBPROPOS_L& request);

// The project of the request becomes the current one, and the working
// file's project header records are refreshed from the project file.
void MakeProjectActive(Library& lib, const ZBPROPOS_L& request);

// The position names "AUTO-SAVE", "AUTOSAVE" and "AUTO_SAVE", any case.
bool IsAutoSaveName(const std::string& long_name);

// A save of an autosave name makes the program's autosave copy of the
// working file instead (ZB_AutoSave); the project is left alone.
int32_t SaveAsAutoSave(Library& lib, ZBPROPOS_L* request);

// The plain save of a request into its project and position, no dialog
// (the store reports failures to the user when control is 0). Records + 3
// (capped), or the store's negative code.
int32_t StoreRequest(Library& lib, ZBPROPOS_L* request, uint32_t control);

// The progress callback of the save dialog: message 1029 (the first user
// message + 5) to the progress window, through the library's sender.
void ZBAPI SaveDialogProgress();
constexpr uint32_t kProgressMessage = 0x0400 + 5;

// Resets the progress signal (0, none) and forgets the progress window.
void ResetProgressSignal(Library& lib);

// A record count for the caller: at most kMostRecords.
int32_t CappedCount(int64_t records);

}  // namespace zb::api

#endif  // ZBDB_API_OPEN_SAVE_H_
