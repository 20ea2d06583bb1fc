// The names of a program's temporary (working) files: the temporary folder
// and a name made from the template "00000000.TMP", the program key over
// the start of the digits and a running number right-aligned over their
// end (DLT00001.TMP, S2001001.TMP). The first number not taken is used.
#ifndef ZBDB_PROJECTSTORE_TEMPORARY_NAME_H_
#define ZBDB_PROJECTSTORE_TEMPORARY_NAME_H_

#include <cstdint>
#include <string>

namespace zb::projectstore {

class Store;

// The file name alone for the key (trailing blanks dropped) and number.
// Digits of a number longer than the room behind the key overwrite the
// key's last characters; only the number's last eight digits fit at all.
std::string TemporaryName(const std::string& program_key, uint32_t number);

// folder (one trailing backslash removed) + "\" + the name with the first
// number from 1 up whose file does not exist.
std::string FreeTemporaryPath(Store& store, const std::string& folder,
                              const std::string& program_key);

// A temporary file for a new position. `previous` is a folder or a file
// name given before: an existing file is deleted and its name used again;
// when it cannot be deleted, or `previous` names no file, the free name in
// its folder is returned. Nothing is created.
std::string NewTemporaryPath(Store& store, const std::string& previous,
                             const std::string& program_key);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_TEMPORARY_NAME_H_
