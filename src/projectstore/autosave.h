// Autosave copies: a calculation program may have its working file copied
// aside at any time, as "<temporary folder>\<program>_AutoSave.$POS", so
// that after a crash the unsaved position can be rescued at the next start.
// The files found for a program are kept in a list between calls (the
// store's AutosaveState); the pattern "<program>*.$POS" also finds the
// copies of programs whose names begin with this one's.
#ifndef ZBDB_PROJECTSTORE_AUTOSAVE_H_
#define ZBDB_PROJECTSTORE_AUTOSAVE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "recordstore/typed_records.h"

namespace zb::projectstore {

class Store;

struct AutosaveEntry {
  int16_t program = 0;  // Key1 of the file's POSINFO
  std::string path;
  recordstore::PosInfoExt info{};  // the long form (the short one widened)
};

struct AutosaveState {
  std::vector<AutosaveEntry> entries;
  int16_t list_program = 0;   // the program of the first entry
  std::string saving_program;  // the program that made a copy last
};

// The program's autosave file in the context's temporary folder.
std::string AutosavePath(Store& store, const std::string& program_name);

// Forgets the list and finds the program's autosave files again; their
// number (0 without a temporary folder).
int32_t ScanAutosaves(Store& store, const std::string& program_name);

// Copies the working file over the program's autosave file (a failed copy
// leaves the previous one as it was). 1 when copied, 0 not.
int32_t MakeAutosave(Store& store, const std::string& program_name,
                     const std::string& working_path);

// Deletes every autosave file of the list (scanned first when empty); the
// number deleted. The list is forgotten only when all went.
int32_t EndAutosave(Store& store, const std::string& program_name);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_AUTOSAVE_H_
