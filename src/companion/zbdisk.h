// zbdisk: the suite's companion library for the folder settings and the
// user-interface language, called by ordinal only (zbdisk.dll on Windows,
// libzbdisk.so elsewhere, where the one exported function
// zb_procedure_by_ordinal stands in for the ordinal table).
//
// Folders. Each query fills a buffer of kFolderBufferSize bytes and answers
// 0, or the folder's error code when it has no value (or the buffer is too
// small; the buffer is then left alone). A folder's value is, first found:
//   1. the environment setting named below, so that tests and demos can
//      point a whole installation at one folder;
//   2. the value stored per user in the key/value store of the platform,
//      subkey "Folders" (an empty stored text counts as none);
//   3. the default below the product folder. The product folder is
//      $ZBSTATIK_HOME when set; otherwise "D:\ZBStatik" on Windows
//      ("C:\ZBStatik" when D: is a CD-ROM drive) and ~/ZBStatik elsewhere.
//      Without a product folder there is no default.
//
//   kind          query set error default       setting          store name
//   program         11   14   50  \Programme\   ZBDB_PROGRAM_DIR ExePath
//   data            12   15   51  \Daten\       ZBDB_DATA_DIR    DataPath
//   temporary       13   16   52  \TMP\         ZBDB_TMP_DIR     TmpPath
//   user            18   17   57  \User\        ZBDB_USER_DIR    UserPath
//   configuration   19   50   57  \User\<user>\ ZBDB_INI_DIR     IniPath
//   base            47    -   49  \Basis\       ZBDB_BASE_DIR    BasePath
//
// The program and configuration folders get defaults too, although the
// library knows none for them: an installation must work out of the box,
// and the installed programs live in "Programme". <user> is the system's
// user name, "ZB_GAST" when it gives none.
//
// A set stores its text per user and answers 0, or the folder's error code
// when the text is missing or the store refuses; an empty text removes the
// stored value so that the default applies again. An environment setting
// still wins over a stored value.
//
// Language. Only German (1031) is installed: the language queries answer
// 1031, the list of installed languages is 1031 then 0; a chosen language
// is stored (subkey "Language", value "Chosen") and answered only when it
// is installed.
#ifndef ZBDB_COMPANION_ZBDISK_H_
#define ZBDB_COMPANION_ZBDISK_H_

#include <zbdb900.h>

#include <cstdint>

namespace zb::companion::disk {

enum Ordinal : int {
  kReadProgramFolder = 11,
  kReadDataFolder = 12,
  kReadTemporaryFolder = 13,
  kWriteProgramFolder = 14,
  kWriteDataFolder = 15,
  kWriteTemporaryFolder = 16,
  kWriteUserFolder = 17,
  kReadUserFolder = 18,
  kReadConfigurationFolder = 19,
  kLanguage = 22,           // () -> language identifier
  kLanguageSetting = 27,    // () -> the value the language dialog keeps
  kChooseLanguage = 31,     // (language) -> 0
  kSecondLanguage = 32,     // () -> language identifier
  kLanguageShortName = 34,  // (language, buffer, size) -> 0, else 1
  kFirstLanguage = 36,      // () -> first installed language
  kNextLanguage = 37,       // () -> next installed language, 0 at the end
  kPositionListValue = 41,  // (0) -> 0
  kReadBaseFolder = 47,
  kWriteConfigurationFolder = 50,
};

constexpr int32_t kFolderBufferSize = 260;
constexpr int32_t kShortNameBufferSize = 256;
constexpr int32_t kGerman = 1031;

using ReadFolderFn = int32_t(ZBAPI*)(char* buffer, int32_t size);
using WriteFolderFn = int32_t(ZBAPI*)(const char* folder);
using LanguageFn = int32_t(ZBAPI*)();
using ChooseLanguageFn = int32_t(ZBAPI*)(int32_t language);
using ShortNameFn = int32_t(ZBAPI*)(int32_t language, char* buffer,
                                    int32_t size);
using PositionListValueFn = int32_t(ZBAPI*)(int32_t unused);

}  // namespace zb::companion::disk

#endif  // ZBDB_COMPANION_ZBDISK_H_
